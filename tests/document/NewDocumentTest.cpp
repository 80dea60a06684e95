// File New, the settings record, view options and the engine queries of a document.
#include "DocumentFixture.h"

#include "CommandInterfaces.h"
#include "FwDocTemplate.h"
#include "KsMultiTrackLoader.h"
#include "Settings.h"

#include <cstring>

TEST_F(DocumentTest, RecordsKeepTheirStoredSizes)
{
    EXPECT_EQ(1014u, sizeof(DocumentSettings));
    EXPECT_EQ(744u, sizeof(FileInfoRecord));
    EXPECT_EQ(284u, sizeof(LabelRecord));
}

TEST_F(DocumentTest, DefaultSettingsAreReadAndCheckedFromTheSettingsRoot)
{
    struct Case {
        const char* entry;
        int value;
        uint32_t DocumentSettings::*field32;
        uint16_t DocumentSettings::*field16;
        uint32_t expected;
    };
    const Case cases[] = {
        {"DefaultSamplesPerSec", 48000, &DocumentSettings::samplesPerSec, nullptr, 48000},
        {"DefaultSamplesPerSec", 1999, &DocumentSettings::samplesPerSec, nullptr, 44100},
        {"DefaultBitsPerSample", 24, nullptr, &DocumentSettings::bitsPerSample, 32},
        {"DefaultBitsPerSample", 24, nullptr, &DocumentSettings::validBits, 24},
        {"DefaultBitsPerSample", 33, nullptr, &DocumentSettings::bitsPerSample, 16},
        {"DefaultBitsPerSample", 8, nullptr, &DocumentSettings::validBits, 0},
        {"DefaultDataChannels", 6, nullptr, &DocumentSettings::dataChannels, 6},
        {"DefaultRecChannels", 2, nullptr, &DocumentSettings::recordChannels, 2},
        {"Unit", 0, &DocumentSettings::rulerUnit, nullptr, 0x80101},
        {"ShowVolEnv", 0, &DocumentSettings::viewOptions, nullptr,
         kViewOptionTimeRuler | kViewOptionHeader | kViewOptionPanEnv},
    };
    for (const Case& c : cases) {
        SetSettingInt(kSettingsSection, c.entry, c.value);
        DocumentSettings s = ReadDefaultDocumentSettings();
        uint32_t got = c.field32 ? s.*c.field32 : s.*c.field16;
        EXPECT_EQ(c.expected, got) << c.entry << " = " << c.value;
        SetSettingString(kSettingsSection, c.entry, nullptr);
    }
    SetSettingString(kSettingsSection, "UnitFrames", "1000.5");
    EXPECT_EQ(30.0, ReadDefaultDocumentSettings().frameRate);
    SetSettingString(kSettingsSection, "UnitFrames", "25");
    EXPECT_EQ(25.0, ReadDefaultDocumentSettings().frameRate);
}

TEST_F(DocumentTest, FileNewGivesOneTrackWithTheDefaultsOfTheSettings)
{
    struct Case {
        int documentType, dataChannels, bits;
        WORD trackChannels, engineBits, fileInfoBits;
    };
    const Case cases[] = {
        {0, 1, 16, 1, 16, 16},
        {0, 2, 24, 2, 32, 24},
        {0, 6, 16, 2, 16, 16}, // a standard document holds tracks of at most 2 channels
        {1, 6, 8, 6, 8, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.documentType << ", channels " << c.dataChannels);
        SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", 48000);
        SetSettingInt(kSettingsSection, "DefaultDocumentType", c.documentType);
        SetSettingInt(kSettingsSection, "DefaultDataChannels", c.dataChannels);
        SetSettingInt(kSettingsSection, "DefaultBitsPerSample", c.bits);
        ReadSettings();
        CMultiDocTemplate templ(403, RUNTIME_CLASS(CNyMultiTrackDoc), nullptr, RUNTIME_CLASS(CNyMultiTrackView));
        CDocument* created = templ.CreateNewDocument();
        ASSERT_TRUE(created && created->IsKindOf(RUNTIME_CLASS(CNyMultiTrackDoc)));
        auto* doc = static_cast<CNyMultiTrackDoc*>(created);
        ASSERT_TRUE(doc->OnNewDocument());

        EXPECT_EQ(1, doc->GetTrackCount());
        EXPECT_EQ(c.trackChannels, doc->GetTrackChannels(0));
        EXPECT_EQ(c.trackChannels, doc->GetSettings().dataChannels);
        EXPECT_EQ(48000u, doc->GetSamplesPerSec());
        EXPECT_EQ(c.engineBits, doc->GetBitsPerSample());
        EXPECT_EQ(48000u, doc->GetFileInfo().samplesPerSec);
        EXPECT_EQ(c.fileInfoBits, doc->GetFileInfo().bitsPerSample);
        EXPECT_EQ(1, doc->GetFileInfo().signedSamples);
        EXPECT_STREQ("Nyle Ver. 1.00,I", doc->GetCreatorText());
        EXPECT_EQ(0u, doc->GetSettings().viewOptions & kViewOptionProgramWide);
        EXPECT_EQ(0u, doc->GetSettings().readAutomation);
        LONG on = 0;
        EXPECT_EQ(S_OK, doc->GetTrackSet()->GetReadAutomation(&on));
        EXPECT_EQ(1, on) << "the engine takes the program's automation switch";
        LabelRecord label;
        EXPECT_TRUE(doc->GetLabels().GetTrackLabel(0, &label));
        EXPECT_STREQ("Track1", label.name);
        ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
        ASSERT_TRUE(journal);
        ComRef<IUnknown> linked;
        EXPECT_EQ(S_OK, journal->GetLinkedObject(linked.Out()));
        EXPECT_EQ(QueryCom<IUnknown>(doc->GetTrackSet()).Get(), linked.Get()) << "the journal knows the engine";
    }
}

TEST_F(DocumentTest, WithoutEngineTheQueriesAnswerTheirDefaults)
{
    CNyMultiTrackDoc doc;
    EXPECT_EQ(0, doc.GetLength());
    EXPECT_EQ(16, doc.GetBitsPerSample());
    EXPECT_EQ(0u, doc.GetSamplesPerSec());
    EXPECT_EQ(nullptr, doc.GetTrack(0));
    EXPECT_EQ(1, doc.GetTrackChannels(0));
    EXPECT_EQ(0, doc.GetTrackExtent(-1, 1));
    EXPECT_EQ(0, doc.GetTrackId(3));
    EXPECT_EQ(10000, doc.GetMasterVolume());
    EXPECT_EQ(1, doc.GetFreeGroupNumber());
}

TEST_F(DocumentTest, EngineModeSetsTheChannelLimit)
{
    CNyMultiTrackDoc* doc = NewDocument({2});
    struct Case {
        uint32_t type;
        LONG limit;
        uint16_t channelsBefore, channelsAfter;
    };
    const Case cases[] = {{1, 6, 6, 6}, {0, 2, 6, 2}, {0, 2, 1, 1}};
    for (const Case& c : cases) {
        doc->GetSettings().dataChannels = c.channelsBefore;
        EXPECT_TRUE(doc->SetEngineMode(c.type));
        LONG limit = 0;
        EXPECT_EQ(S_OK, doc->GetTrackSet()->GetChannelLimit(&limit));
        EXPECT_EQ(c.limit, limit);
        EXPECT_EQ(c.type, doc->GetSettings().documentType);
        EXPECT_EQ(c.channelsAfter, doc->GetSettings().dataChannels);
    }
}

TEST_F(DocumentTest, ViewOptionsByCommandId)
{
    CNyMultiTrackDoc* doc = NewDocument({1});
    struct Case {
        int id;
        int on;
        int previous;
        int readBack;
    };
    const Case cases[] = {
        {kCmdViewTimeRuler, 0, 1, 0},
        {kCmdViewMarkers, 1, 0, 1},
        {kCmdViewVideoTrack, 1, 0, 0}, // no video open
        {kCmdView1016, 1, 0, 0},       // always off
        {1012, 1, 1, 0},               // not an option: answers on, changes nothing
        {kCmdViewVolumeEnvelopes, 0, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.previous, doc->SetViewOption(c.id, c.on)) << c.id;
        EXPECT_EQ(c.readBack, doc->GetViewOption(c.id)) << c.id;
    }
    EXPECT_EQ(0u, host_.settings.viewOptions & kViewOptionVolumeEnv) << "the envelope switch is program-wide";
    doc->SetVideoOpen(TRUE);
    EXPECT_EQ(1, doc->GetViewOption(kCmdViewVideoTrack));
    view_->SetEditMode(1);
    EXPECT_EQ(0, doc->GetViewOption(kCmdViewMarkers)) << "markers hide in a handle edit mode";
}

TEST(EngineLoader, LoadsTheEngineOnceAndHandsOutObjects)
{
    ASSERT_EQ(S_OK, MtEngine::Load());
    EXPECT_TRUE(MtEngine::IsLoaded());
    ComRef<IMtTrackSet> set;
    ASSERT_EQ(S_OK, MtEngine::CreateTrackSet(set));
    ComRef<IMtItemList> list;
    EXPECT_EQ(S_OK, MtEngine::CreateItemList(list));
    EXPECT_NE(nullptr, MtEngine::ExportAs<PFN_MtCreateClip>(kMtOrdCreateClip));
    HMODULE module = GetModuleHandleA("KsMultiTrack.dll");
    EXPECT_NE(nullptr, module);
    EXPECT_EQ(S_OK, MtEngine::Load());
    EXPECT_EQ(module, GetModuleHandleA("KsMultiTrack.dll")) << "loaded once";
}
