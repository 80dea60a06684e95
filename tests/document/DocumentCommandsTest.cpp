// The document's command handlers on the real engine: routing through the message map, the
// edit commands as a user runs them, track deletion, mixdowns, process targets, the checks'
// refusals, Send, New Loop, the mono/stereo switch and the edit journal.
#include "DocumentFixture.h"

#include "ClipboardCommands.h"
#include "CommandInterfaces.h"
#include "DocWiring.h"
#include "EffectModuleTable.h"
#include "FileCommands.h"
#include "FwApp.h"
#include "FwRecordingCmdUI.h"
#include "FwResource.h"
#include "GlobalMemory.h"
#include "IGraphicEq.h"
#include "IKsDShowSource.h"
#include "ITracksWriterOutput.h"
#include "JournalHeader.h"
#include "KsMultiTrackLoader.h"
#include "ModuleObjects.h"
#include "Settings.h"
#include "HistorySteps.h"
#include "TestSupport.h"

#include <strmif.h>
#include <control.h>
#include <evcode.h>
#include <uuids.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// A raw 16-bit file of interleaved frames as one engine item.
ComRef<IUnknown> MakeItem(const std::string& path, WORD channels, const std::vector<int16_t>& samples)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
    MtFileItemRecord record{};
    strncpy(record.path, path.c_str(), sizeof(record.path) - 1);
    record.channels = channels;
    record.bitsPerSample = 16;
    record.samplesPerSec = 44100;
    ComRef<IMtItemList> list;
    EXPECT_EQ(S_OK, MtEngine::CreateItemList(list));
    EXPECT_EQ(S_OK, list->AddFileItem(&record, path.c_str(), nullptr, 0));
    list->ResetItems(0);
    ComRef<IUnknown> item;
    EXPECT_EQ(S_OK, list->NextItem(item.Out(), nullptr));
    return item;
}

// Frames of a ramp: channel c of frame f holds 100 * f + c + 1 (+ base).
std::vector<int16_t> Ramp(WORD channels, int frames, int base = 0)
{
    std::vector<int16_t> s;
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            s.push_back(static_cast<int16_t>(base + 10 * f + c + 1));
    return s;
}

void PutSound(CNyMultiTrackDoc* doc, int track, const std::string& path, WORD channels,
              const std::vector<int16_t>& samples, int64_t offset = 0)
{
    ComRef<IUnknown> item = MakeItem(path, channels, samples);
    ComRef<IMtClip> clip;
    ASSERT_EQ(S_OK, MtEngine::CreateClip(clip));
    MtClipFormat format{44100, 16, channels};
    ASSERT_EQ(S_OK, clip->SetFormat(&format));
    ASSERT_EQ(S_OK, clip->SetSource(item.Get(), 0, -1));
    IMtTrack* t = doc->GetTrack(track);
    ASSERT_NE(nullptr, t);
    ASSERT_EQ(S_OK, t->InsertClip(clip.Get(), offset, 0, 0));
}

// The track's samples of one channel over its whole time line.
std::vector<int> Samples(CNyMultiTrackDoc* doc, int track, WORD channel)
{
    std::vector<int> out;
    IMtTrack* t = doc->GetTrack(track);
    if (!t)
        return out;
    for (int64_t p = doc->GetTrackExtent(track, -1), end = doc->GetTrackExtent(track, 1); p < end; ++p) {
        LONG v = 0;
        t->ReadSample(channel, p, &v);
        out.push_back(v);
    }
    return out;
}

std::string ItemText(CNyMultiTrackDoc* doc, UINT id, int* enabled = nullptr)
{
    CRecordingCmdUI ui(id);
    ui.DoUpdate(doc, FALSE);
    if (enabled)
        *enabled = ui.enabled;
    return ui.text;
}

int Enabled(CNyMultiTrackDoc* doc, UINT id)
{
    CRecordingCmdUI ui(id);
    ui.DoUpdate(doc, FALSE);
    return ui.enabled;
}

int UndoDepth(CNyMultiTrackDoc* doc)
{
    return kvtest::UndoSteps(doc->GetHistory());
}

std::string LabelName(CNyMultiTrackDoc* doc, int track)
{
    LabelRecord r{};
    doc->GetLabels().GetTrackLabel(track, &r);
    return r.name;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Mix Tracks to New's new document (the program makes it through its document template).
std::unique_ptr<CNyMultiTrackDoc> g_mixTarget;

CNyMultiTrackDoc* NewMixTarget()
{
    g_mixTarget = std::make_unique<CNyMultiTrackDoc>();
    g_mixTarget->m_bAutoDelete = FALSE;
    if (!g_mixTarget->OnNewDocument())
        g_mixTarget.reset();
    return g_mixTarget.get();
}

class CommandsTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        owner_ = ::CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetClipboardOwnerWindow(owner_);
        DocWiring::SetNewDocumentFactory(NewMixTarget);
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
            shown.push_back(text);
            return answer;
        });
    }
    void TearDown() override
    {
        AfxSetMessageBoxHook(nullptr);
        DocWiring::SetNewDocumentFactory(nullptr);
        if (::OpenClipboard(owner_)) {
            ::EmptyClipboard();
            ::CloseClipboard();
        }
        ReleasePendingCopies();
        SetClipboardOwnerWindow(nullptr);
        ::DestroyWindow(owner_);
        g_mixTarget.reset();
        DocumentTest::TearDown();
        ::CoUninitialize();
    }

    void SelectTracks(CNyMultiTrackDoc* doc, std::initializer_list<int> tracks, int64_t start, int64_t end)
    {
        CSelectionModel* sel = doc->GetSelection();
        sel->SetTrackSelected(-1, FALSE);
        for (int t : tracks)
            ASSERT_EQ(S_OK, sel->SetTrackSelected(t, TRUE));
        ASSERT_EQ(S_OK, sel->SetSelection(start, end, TRUE));
    }

    static std::string Text(UINT id)
    {
        char buffer[512] = {};
        ::LoadStringA(AfxGetResourceHandle(), id, buffer, sizeof buffer);
        return buffer;
    }
    static std::string Format(UINT id, const char* argument)
    {
        char buffer[512] = {};
        snprintf(buffer, sizeof buffer, Text(id).c_str(), argument);
        return buffer;
    }

    std::vector<std::string> shown;
    int answer = IDOK;
    HWND owner_ = nullptr;
    kvtest::ScratchFolder scratch_;
};

} // namespace

TEST_F(CommandsTest, MenuCommandsAndTheirStatesReachTheDocumentThroughTheViewAndItsMessageMap)
{
    CNyMultiTrackDoc* doc = NewDocument({2});
    CCmdTarget* view = view_.get(); // the view hands what it does not handle to its document
    auto state = [view](UINT id) {
        CRecordingCmdUI ui(id);
        ui.DoUpdate(view, FALSE);
        return std::make_pair(ui.enabled, ui.text);
    };
    EXPECT_EQ(std::make_pair(0, std::string("&Undo\bCtrl+Z")), state(ID_EDIT_UNDO));
    EXPECT_EQ(1, state(1041).first);
    EXPECT_EQ(0, state(1042).first) << "5.1 tracks only in a multichannel document";
    EXPECT_EQ(0, state(2000).first) << "the effect dialogs are not in the program yet";

    EXPECT_TRUE(view->RouteCommand(1041));
    EXPECT_EQ(2, doc->GetTrackCount());
    EXPECT_EQ(2, doc->GetTrackChannels(1));
    EXPECT_EQ(std::make_pair(1, std::string("&Undo\bAdd Track Ctrl+Z")), state(ID_EDIT_UNDO));
    EXPECT_TRUE(doc->IsModified());

    doc->AddTracks(6); // refused in a standard document
    EXPECT_EQ(2, doc->GetTrackCount());
    EXPECT_TRUE(view->RouteCommand(ID_EDIT_UNDO));
    EXPECT_EQ(1, doc->GetTrackCount());
    EXPECT_EQ(std::make_pair(1, std::string("&Redo\bAdd Track Ctrl+Y")), state(ID_EDIT_REDO));
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(CommandsTest, NewUserAddsATrackImportsCutsPastesAtTheEndUndoesAndRedoes)
{
    CNyMultiTrackDoc* doc = NewDocument({1});
    doc->OnAddStereoTrack();
    ASSERT_EQ(2, doc->GetTrackCount());
    EXPECT_EQ("&Undo\bAdd Track Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));

    // Import: the file goes onto the selected stereo track as one entry.
    SelectTracks(doc, {1}, 0, 0);
    std::string path = scratch_.File("import.raw");
    ComRef<IUnknown> item = MakeItem(path, 2, Ramp(2, 40));
    ComRef<IMtItemList> items;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(items));
    ASSERT_EQ(S_OK, items->AddItem(item.Get(), 0));
    ComRef<IEditCommand> import(
        ComObject<IEditCommand>::Create<InsertFileCommand>(static_cast<CommandDocument*>(doc), 0, 0, items.Get()));
    import->SetName("Import");
    ASSERT_EQ(S_OK, doc->GetHistory()->Do(import.Get(), TRUE));
    const std::vector<int> original = Samples(doc, 1, 1);
    ASSERT_EQ(40u, original.size());
    EXPECT_EQ("&Undo\bImport Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));

    SelectTracks(doc, {1}, 10, 20);
    EXPECT_EQ(1, Enabled(doc, ID_EDIT_CUT));
    EXPECT_TRUE(doc->RouteCommand(ID_EDIT_CUT));
    std::vector<int> cut(original.begin(), original.begin() + 10);
    cut.insert(cut.end(), original.begin() + 20, original.end());
    EXPECT_EQ(cut, Samples(doc, 1, 1));
    EXPECT_EQ("&Undo\bCut Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    EXPECT_EQ(1, Enabled(doc, ID_EDIT_PASTE));

    SelectTracks(doc, {1}, 30, 30);
    EXPECT_TRUE(doc->RouteCommand(ID_EDIT_PASTE));
    std::vector<int> pasted = cut;
    pasted.insert(pasted.end(), original.begin() + 10, original.begin() + 20);
    EXPECT_EQ(pasted, Samples(doc, 1, 1));
    EXPECT_EQ("&Undo\bPaste Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));

    doc->OnEditUndo();
    EXPECT_EQ(cut, Samples(doc, 1, 1));
    EXPECT_EQ("&Undo\bCut Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    doc->OnEditUndo();
    EXPECT_EQ(original, Samples(doc, 1, 1));
    EXPECT_EQ("&Undo\bImport Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    EXPECT_EQ("&Redo\bCut Ctrl+Y", ItemText(doc, ID_EDIT_REDO));
    doc->OnEditRedo();
    EXPECT_EQ(cut, Samples(doc, 1, 1));
    EXPECT_EQ("&Undo\bCut Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    EXPECT_EQ("&Redo\bPaste Ctrl+Y", ItemText(doc, ID_EDIT_REDO));
}

TEST_F(CommandsTest, DeleteTrackRemovesTheSelectedTracksWithTheirLabelsAsOneEntry)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 1, 2, 1});
    for (int t = 0; t < 4; ++t) {
        LabelRecord label{};
        doc->GetLabels().GetTrackLabel(t, &label);
        snprintf(label.name, sizeof label.name, "T%d", t);
        doc->GetLabels().SetTrackLabel(label);
    }
    LabelRecord cue{};
    cue.kind = kLabelCue;
    cue.trackId = doc->TrackIndexToId(3);
    cue.start = cue.end = 5;
    doc->GetLabels().Add(cue);

    SelectTracks(doc, {}, 0, 0);
    doc->OnDeleteTrack();
    EXPECT_EQ(0, UndoDepth(doc)) << "nothing selected: no entry";

    SelectTracks(doc, {1, 3}, 0, 0);
    doc->OnDeleteTrack();
    ASSERT_EQ(2, doc->GetTrackCount());
    EXPECT_EQ("T0", LabelName(doc, 0));
    EXPECT_EQ("T2", LabelName(doc, 1));
    EXPECT_EQ(1, UndoDepth(doc));
    EXPECT_EQ("&Undo\bDelete Track Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    LabelRecord gone{};
    ASSERT_TRUE(doc->GetLabels().FindById(cue.id, &gone));
    EXPECT_LT(gone.id, 0) << "the cue of track 3 went with it";

    doc->OnEditUndo();
    ASSERT_EQ(4, doc->GetTrackCount());
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ("T" + std::to_string(t), LabelName(doc, t));
    std::vector<LabelRecord> cues;
    EXPECT_EQ(1, doc->GetLabels().FindInRange(3, cues, -1, -1, kLabelCue));
}

TEST_F(CommandsTest, CutOfOneChannelOfAStereoTrackIsRefusedWithItsName)
{
    CNyMultiTrackDoc* doc = NewDocument({2});
    PutSound(doc, 0, scratch_.File("s.raw"), 2, Ramp(2, 30));
    const std::vector<int> before = Samples(doc, 0, 0);
    CSelectionModel* sel = doc->GetSelection();
    sel->SetRowRange(0, 0); // the left channel's row only
    ASSERT_EQ(S_OK, sel->SetSelection(5, 15, TRUE));
    ASSERT_FALSE(doc->IsWholeTrackSelection());
    doc->OnEditCut();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(Format(61288, "Cut"), shown[0]);
    EXPECT_EQ(before, Samples(doc, 0, 0));
    EXPECT_EQ(0, UndoDepth(doc));
}

TEST_F(CommandsTest, MixTracksToNewRendersTwoOrSixChannelsIntoALabelledNewDocument)
{
    for (uint32_t type : {0u, 1u}) {
        host_.settings.documentType = type;
        CNyMultiTrackDoc* doc = NewDocument({2, 1});
        PutSound(doc, 0, scratch_.File("a.raw"), 2, Ramp(2, 100));
        PutSound(doc, 1, scratch_.File("b.raw"), 1, Ramp(1, 60), 20);
        SelectTracks(doc, {0, 1}, 0, 0);
        doc->OnMixTracksToNew();
        EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0]);
        ASSERT_NE(nullptr, g_mixTarget) << type;
        CNyMultiTrackDoc* mix = g_mixTarget.get();
        // The mix comes after the new document's own first track, which nothing selected.
        const int last = mix->GetTrackCount() - 1;
        ASSERT_GE(last, 0);
        EXPECT_EQ(type ? 6 : 2, mix->GetTrackChannels(last));
        EXPECT_EQ(100, mix->GetTrackExtent(last, 0));
        EXPECT_EQ(44100u, mix->GetSamplesPerSec());
        for (int t = 0; t <= last; ++t) {
            LabelRecord label{};
            EXPECT_TRUE(mix->GetLabels().GetTrackLabel(t, &label)) << "every track carries a stored label";
        }
        EXPECT_EQ("&Undo\bMixing Ctrl+Z", ItemText(mix, ID_EDIT_UNDO));
        EXPECT_EQ(uint32_t(type), GetDocumentHost().DefaultSettings().documentType);
        g_mixTarget.reset();
    }
    // The next mix finds its filters' modules loaded: unused, they are not freed.
    UnloadModules();
    EXPECT_NE(nullptr, GetModuleHandleA("KsTrksRd.dll"));
    EXPECT_NE(nullptr, GetModuleHandleA("KsTrksWt.dll"));
}

TEST_F(CommandsTest, OneTrackMixdownIsOneMixingEntryUndoneWithLabelsAndOffset)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 2});
    PutSound(doc, 0, scratch_.File("m.raw"), 1, Ramp(1, 50), 100);
    LabelRecord label{};
    doc->GetLabels().GetTrackLabel(0, &label);
    strcpy(label.name, "Vocal");
    doc->GetLabels().SetTrackLabel(label);
    LabelRecord cue{};
    cue.kind = kLabelCue;
    cue.trackId = doc->TrackIndexToId(0);
    cue.start = cue.end = 120;
    strcpy(cue.name, "Breath");
    doc->GetLabels().Add(cue);
    doc->GetTrack(0)->SetVolume(0.5f);
    SelectTracks(doc, {1}, 0, 0); // the selection's marks stay as they are
    const std::vector<int> before = Samples(doc, 0, 0);

    doc->MixDownTrack(0);
    EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0]);
    ASSERT_EQ(2, doc->GetTrackCount());
    EXPECT_EQ(2, doc->GetTrackChannels(0));
    EXPECT_EQ(100, doc->GetTrackExtent(0, -1));
    EXPECT_EQ("Vocal", LabelName(doc, 0));
    std::vector<LabelRecord> cues;
    EXPECT_EQ(1, doc->GetLabels().FindInRange(0, cues, -1, -1, kLabelCue));
    EXPECT_EQ(1, UndoDepth(doc));
    EXPECT_EQ("&Undo\bMixing Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    // The render marked the track alone; the engine's marks follow the selection again.
    ComRef<IMtSelection> marks = QueryCom<IMtSelection>(doc->GetTrackSet());
    for (int t = 0; t < 2; ++t) {
        LONG marked = -1;
        marks->IsTrackMarked(t, &marked);
        EXPECT_EQ(doc->GetSelection()->IsTrackSelectedAt(t) != 0, marked != 0) << t;
    }

    doc->OnEditUndo();
    EXPECT_EQ(1, doc->GetTrackChannels(0));
    EXPECT_EQ(100, doc->GetTrackExtent(0, -1));
    EXPECT_EQ(before, Samples(doc, 0, 0));
    EXPECT_EQ("Vocal", LabelName(doc, 0));
    EXPECT_EQ(1, doc->GetLabels().FindInRange(0, cues, -1, -1, kLabelCue));
    EXPECT_STREQ("Breath", cues[0].name);

    doc->MixDownTrack(1); // an empty track: nothing
    EXPECT_EQ(0, UndoDepth(doc));
}

TEST_F(CommandsTest, ProcessTargetSpansTheSelectedTracksAndTellsWhetherTheyAreCentred)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 1});
    PutSound(doc, 0, scratch_.File("p.raw"), 1, Ramp(1, 400), 100);
    PutSound(doc, 1, scratch_.File("q.raw"), 1, Ramp(1, 600), 300);
    struct Case {
        float pan;
        int centred;
    } cases[] = {{0.0f, 1}, {0.25f, 0}, {0.00004f, 1}, {-0.0001f, 0}};
    for (const Case& c : cases) {
        doc->GetTrack(1)->SetPan(c.pan);
        SelectTracks(doc, {0, 1}, 0, 0);
        UINT count = 0;
        IMtTrack** tracks = nullptr;
        int64_t start = 0, length = 0;
        int centred = -1;
        ASSERT_EQ(S_OK, doc->GetProcessTarget(&count, &tracks, &start, &length, &centred));
        EXPECT_EQ(2u, count);
        EXPECT_EQ(100, start);
        EXPECT_EQ(800, length);
        EXPECT_EQ(c.centred, centred) << c.pan;
        EXPECT_EQ(doc->GetTrack(1), tracks[1]);
        for (UINT i = 0; i < count; ++i)
            tracks[i]->Release();
        GlobalUnlockFree(tracks);
    }
    UINT count = 0;
    IMtTrack** tracks = nullptr;
    int64_t start = -1, length = 0;
    int centred = -1;
    doc->GetTrack(1)->SetPan(0.0f);
    ASSERT_EQ(S_OK, doc->GetWholeDocumentTarget(&count, &tracks, &start, &length, &centred));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(0, start);
    EXPECT_EQ(900, length);
    EXPECT_EQ(1, centred);
    for (UINT i = 0; i < count; ++i)
        tracks[i]->Release();
    GlobalUnlockFree(tracks);
}

TEST_F(CommandsTest, NoiseAndChannelChecksRefuseWithTheirMessages)
{
    std::string temp = scratch_.Path() + "temp";
    ::CreateDirectoryA(temp.c_str(), nullptr);
    SetSettingString("Settings", "TempPath", temp.c_str());
    std::string folder = temp + "\\kv5eu\\KvSSpectralSubtraction";
    ::CreateDirectoryA((temp + "\\kv5eu").c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::string profile = folder + "\\setting.ini";
    auto writeProfile = [&](const char* ch, const char* fs) {
        ::WritePrivateProfileStringA("StreamProperty", "Ch", ch, profile.c_str());
        ::WritePrivateProfileStringA("StreamProperty", "Fs", fs, profile.c_str());
    };
    struct Case {
        const char* name;
        uint32_t documentType;
        std::vector<WORD> tracks;
        std::initializer_list<int> selected;
        const char* ch; // null: no profile file
        const char* fs;
        float pan;
        int id;
        UINT refusal; // 0: passes
    } cases[] = {
        {"two tracks selected", 0, {1, 1}, {0, 1}, "1", "44100", 0.0f, 2032, 20492},
        {"six channels", 1, {6}, {0}, "2", "44100", 0.0f, 2032, 20493},
        {"no profile", 0, {2}, {0}, nullptr, nullptr, 0.0f, 2032, 20494},
        {"profile of a mono selection", 0, {2}, {0}, "1", "44100", 0.0f, 2032, 20495},
        {"profile at another rate", 0, {2}, {0}, "2", "48000", 0.0f, 2032, 20496},
        {"multichannel document", 1, {2}, {0}, "2", "44100", 0.0f, 2032, 20499},
        {"panned mono track", 0, {1}, {0}, "1", "44100", 0.5f, 2032, 20499},
        {"matching profile", 0, {2}, {0}, "2", "44100", 0.0f, 2032, 0},
        {"getting a profile needs none", 0, {2}, {0}, nullptr, nullptr, 0.0f, 2031, 0},
        {"mono to stereo past six channels", 1, {1, 2, 2, 1}, {0}, nullptr, nullptr, 0.0f, 1122, 61302},
        {"mono to stereo within six channels", 0, {1, 1, 1, 1, 1}, {0}, nullptr, nullptr, 0.0f, 1122, 0},
        {"mono to stereo of a stereo track", 0, {2}, {0}, nullptr, nullptr, 0.0f, 1122, 20491},
        {"stereo to mono of a mono track", 0, {1}, {0}, nullptr, nullptr, 0.0f, 1123, 20491},
        {"reverse phase with no track selected", 0, {2}, {}, nullptr, nullptr, 0.0f, 1125, 61282},
        {"channel command with two tracks", 0, {1, 2}, {0, 1}, nullptr, nullptr, 0.0f, 1126, 20492},
    };
    for (const Case& c : cases) {
        host_.settings.documentType = c.documentType;
        CNyMultiTrackDoc* doc = NewDocument(c.tracks);
        ::DeleteFileA(profile.c_str());
        if (c.ch)
            writeProfile(c.ch, c.fs);
        doc->GetTrack(0)->SetPan(c.pan);
        SelectTracks(doc, c.selected, 0, 0);
        shown.clear();
        bool noise = c.id == 2031 || c.id == 2032;
        BOOL passed = noise ? doc->CheckNoiseReductionCommand(c.id) : doc->CheckChannelCommand(c.id);
        EXPECT_EQ(c.refusal == 0, passed != FALSE) << c.name;
        if (c.refusal == 0) {
            EXPECT_TRUE(shown.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(1u, shown.size()) << c.name;
        std::string expected = c.refusal == 61302   ? Format(61302, "") // %d: formatted below
                               : c.refusal == 61282 ? Format(61282, "Effect")
                                                    : Text(c.refusal);
        if (c.refusal == 61302) {
            char buffer[512];
            snprintf(buffer, sizeof buffer, Text(61302).c_str(), 6);
            expected = buffer;
        }
        EXPECT_EQ(expected, shown[0]) << c.name;
    }
}

TEST_F(CommandsTest, SendAsksBeforeAttachingAFileOfOneMebibyte)
{
    CNyMultiTrackDoc* doc = NewDocument({1});
    std::string path = scratch_.File("song.ksp");
    std::ofstream(path, std::ios::binary) << std::string(1048576, 'x');
    doc->SetPathName(path.c_str(), FALSE);
    doc->SetModifiedFlag(FALSE);
    char previous[16] = {};
    ::GetProfileStringA("MAIL", "MAPI", "", previous, sizeof previous);

    ::WriteProfileStringA("MAIL", "MAPI", "0");
    doc->OnFileSend();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(Text(20260), shown[0]);

    ::WriteProfileStringA("MAIL", "MAPI", "1");
    if (::SearchPathA(nullptr, "MAPI32.DLL", nullptr, 0, nullptr, nullptr) != 0) {
        shown.clear();
        doc->SetModifiedFlag(TRUE);
        doc->OnFileSend();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(Text(61292), shown[0]);

        shown.clear();
        doc->SetModifiedFlag(FALSE);
        answer = IDNO;
        doc->OnFileSend();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(Format(20258, "1.0M"), shown[0]);
    }
    ::WriteProfileStringA("MAIL", "MAPI", previous[0] ? previous : nullptr);
}

TEST_F(CommandsTest, ASecondNewLoopIsDisabledWhileTheLoopExists)
{
    CNyMultiTrackDoc* doc = NewDocument({1});
    PutSound(doc, 0, scratch_.File("l.raw"), 1, Ramp(1, 100));
    SelectTracks(doc, {0}, 0, 0);
    EXPECT_EQ(0, Enabled(doc, 1039)) << "no range selected";
    SelectTracks(doc, {0}, 20, 30);
    EXPECT_EQ(1, Enabled(doc, 1039));
    EXPECT_TRUE(doc->RouteCommand(1039));
    ASSERT_EQ(1, doc->GetLabels().GetCount(kLabelLoop));
    std::vector<LabelRecord> loops;
    ASSERT_EQ(1, doc->GetLabels().FindInRange(-1, loops, -1, -1, kLabelLoop));
    EXPECT_EQ(10, loops[0].end - loops[0].start);
    EXPECT_EQ("&Undo\bLoop Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    EXPECT_EQ(0, Enabled(doc, 1039));
}

TEST_F(CommandsTest, SwitchingAnEmptyTrackToStereoIsOneEntryKeepingItsLabelAndPan)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 1});
    LabelRecord label{};
    doc->GetLabels().GetTrackLabel(1, &label);
    strcpy(label.name, "Bass");
    doc->GetLabels().SetTrackLabel(label);
    doc->GetTrack(1)->SetPan(0.5f);
    doc->GetTrack(1)->SetStartOffset(40);

    doc->SetTrackStereo(1, TRUE);
    EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0]);
    EXPECT_TRUE(doc->IsTrackStereo(1));
    EXPECT_EQ("Bass", LabelName(doc, 1));
    float pan = 0.0f;
    doc->GetTrack(1)->GetPan(&pan);
    EXPECT_EQ(0.5f, pan);
    EXPECT_EQ(40, doc->GetTrackExtent(1, -1));
    EXPECT_EQ(1, UndoDepth(doc));

    doc->OnEditUndo();
    EXPECT_FALSE(doc->IsTrackStereo(1));
    EXPECT_EQ("Bass", LabelName(doc, 1));

    PutSound(doc, 0, scratch_.File("n.raw"), 1, Ramp(1, 10));
    doc->SetTrackStereo(0, TRUE); // only empty tracks change
    EXPECT_FALSE(doc->IsTrackStereo(0));
}

TEST_F(CommandsTest, SampleTypeConversionIsOneResamplingEntry)
{
    CNyMultiTrackDoc* doc = NewDocument({1});
    PutSound(doc, 0, scratch_.File("r.raw"), 1, Ramp(1, 441));
    EXPECT_EQ(S_FALSE, doc->ConvertSampleType(44100, doc->GetFileInfo().bitsPerSample, 0)) << "nothing to change";
    EXPECT_EQ(0, UndoDepth(doc));
    ASSERT_EQ(S_OK, doc->ConvertSampleType(22050, 16, 0));
    EXPECT_EQ(22050u, doc->GetSamplesPerSec());
    EXPECT_EQ("&Undo\bResampling Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    EXPECT_EQ(1, UndoDepth(doc));
    doc->OnEditUndo();
    EXPECT_EQ(44100u, doc->GetSamplesPerSec());
    EXPECT_EQ(441, doc->GetTrackExtent(0, 0));

    // A converted file that finds no track fails after the resample ran: it is taken back.
    ComRef<IMtItemList> items;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(items));
    ASSERT_EQ(S_OK, items->AddItem(MakeItem(scratch_.File("lost.raw"), 1, Ramp(1, 10)).Get(), 9999));
    EXPECT_EQ(kMtErrNoTrack, doc->ApplyConvertedFiles(items.Get(), 22050, 16));
    EXPECT_EQ(44100u, doc->GetSamplesPerSec());
    EXPECT_EQ(441, doc->GetTrackExtent(0, 0));
    EXPECT_EQ(0, UndoDepth(doc));
}

TEST_F(CommandsTest, AfterASaveTheJournalIsItsHeaderAlone)
{
    std::string temp = scratch_.Path() + "journals";
    ::CreateDirectoryA(temp.c_str(), nullptr);
    SetSettingString("Settings", "TempPath", temp.c_str());
    CNyMultiTrackDoc* doc = NewDocument({2});
    doc->OpenWorkFiles("");
    char first[MAX_PATH] = {};
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
    journal->GetPath(first, MAX_PATH);
    ASSERT_NE('\0', first[0]);
    EXPECT_NE(nullptr, strstr(first, "KVC"));
    journal->Close(); // flush for reading, then open it again as the document keeps it
    const std::string fresh = ReadFileBytes(first);
    ASSERT_GE(fresh.size(), kJournalHeaderSize);
    JournalHeaderValues v;
    std::string title = static_cast<const char*>(doc->GetTitle());
    v.title = title.c_str();
    v.samplesPerSec = doc->GetSamplesPerSec();
    v.bitsPerSample = doc->GetBitsPerSample();
    v.channelSplit = static_cast<uint32_t>(GetSettingInt("Settings", "ChannelSplit", 0));
    v.channels = static_cast<uint16_t>(doc->GetTrackChannels(0));
    auto header = BuildJournalHeader(v);
    EXPECT_NE(std::string::npos, fresh.find(std::string(header.begin(), header.end()))) << "the new document's header";

    doc->OpenWorkFiles("");
    doc->OnAddMonoTrack();
    char second[MAX_PATH] = {};
    journal->GetPath(second, MAX_PATH);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(first)) << "the replaced journal is deleted";
    // A save starts a fresh journal: the header, none of the edits before it.
    doc->OpenWorkFiles("C:\\songs\\take.ksp");
    char third[MAX_PATH] = {};
    journal->GetPath(third, MAX_PATH);
    journal->Close();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(second));
    const std::string saved = ReadFileBytes(third);
    EXPECT_EQ(fresh.size(), saved.size());
    v.path = "C:\\songs\\take.ksp";
    header = BuildJournalHeader(v);
    EXPECT_NE(std::string::npos, saved.find(std::string(header.begin(), header.end())));
    doc->CloseWorkFiles();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(third));

    // A journal that cannot be opened leaves no file for the recovery to offer.
    std::string bad = temp + "\\KVCbad.tmp";
    std::ofstream(bad, std::ios::binary) << "not a journal";
    doc->OpenWorkFilesAt(bad.c_str(), "");
    ASSERT_EQ(1u, host_.shown.size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(bad.c_str()));
}

namespace {

// The filter of a graph's first pin of a direction.
ComRef<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction)
{
    ComRef<IEnumPins> pins;
    filter->EnumPins(pins.Out());
    ComRef<IPin> pin;
    while (pins && pins->Next(1, pin.Out(), nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction)
            return pin;
        pin.Reset();
    }
    return pin;
}

} // namespace

TEST_F(CommandsTest, AnEffectOfTheTableRenderedOverASelectionIsOneEffectEntryThatUndoesEverySample)
{
    CNyMultiTrackDoc* doc = NewDocument({2});
    std::vector<int16_t> sound;
    for (int f = 0; f < 4000; ++f)
        for (int c = 0; c < 2; ++c)
            sound.push_back(static_cast<int16_t>(8000.0 * std::sin(0.05 * f + c)));
    PutSound(doc, 0, scratch_.File("fx.raw"), 2, sound);
    const std::vector<int> left = Samples(doc, 0, 0), right = Samples(doc, 0, 1);
    SelectTracks(doc, {0}, 1000, 3000);

    // Row 4 names its module file and the class of its filter.
    const EffectModuleEntry* row = GetEffectModuleEntry(4);
    ComRef<IGraphBuilder> graph;
    ASSERT_EQ(S_OK,
              CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.OutVoid()));
    ComRef<IBaseFilter> source, effect, writer;
    ASSERT_EQ(S_OK, CreateModuleObject("KsDShowSrc.dll", CLSID_KsDShowSrc, IID_IBaseFilter, source.OutVoid()));
    ASSERT_EQ(S_OK, CreateModuleObject(row->moduleFile, row->classId, IID_IBaseFilter, effect.OutVoid()));
    ASSERT_EQ(S_OK, CreateModuleObject("KsTrksWt.dll", CLSID_KsTrksWt, IID_IBaseFilter, writer.OutVoid()));
    ComRef<IKsDShowSource> sourceApi = QueryCom<IKsDShowSource>(source.Get());
    ASSERT_EQ(S_OK, sourceApi->AttachEngine(doc->GetTrackSet(), 0, 0));
    ComRef<IGraphicEq> eq = QueryCom<IGraphicEq>(effect.Get());
    ASSERT_TRUE(eq);
    ASSERT_EQ(S_OK, eq->SetMaster(-60)); // -6 dB
    for (IBaseFilter* f : {source.Get(), effect.Get(), writer.Get()})
        ASSERT_EQ(S_OK, graph->AddFilter(f, nullptr));
    ASSERT_EQ(S_OK,
              graph->Connect(FirstPin(source.Get(), PINDIR_OUTPUT).Get(), FirstPin(effect.Get(), PINDIR_INPUT).Get()));
    ASSERT_EQ(S_OK,
              graph->Connect(FirstPin(effect.Get(), PINDIR_OUTPUT).Get(), FirstPin(writer.Get(), PINDIR_INPUT).Get()));
    ComRef<IMediaControl> control;
    ComRef<IMediaEvent> events;
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, control.OutVoid()));
    ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaEvent, events.OutVoid()));
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    long code = 0;
    for (int waited = 0; waited < 60 && code != EC_COMPLETE && code != EC_ERRORABORT; ++waited) {
        LONG_PTR p1 = 0, p2 = 0;
        if (SUCCEEDED(events->GetEvent(&code, &p1, &p2, 500)))
            events->FreeEventParams(code, p1, p2);
    }
    ASSERT_EQ(EC_COMPLETE, code);
    control->Stop();

    ComRef<ITracksWriterOutput> output = QueryCom<ITracksWriterOutput>(writer.Get());
    MtFileItemRecord record{};
    char peak[MAX_PATH] = {};
    WAVEFORMATEX written{};
    ASSERT_EQ(S_OK, output->GetDataFileName(record.path));
    output->GetPeakFileName(peak);
    output->GetWaveFormat(&written);
    record.channels = written.nChannels;
    record.bitsPerSample = written.wBitsPerSample;
    record.samplesPerSec = written.nSamplesPerSec;
    ComRef<IMtItemList> results;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(results));
    ASSERT_EQ(S_OK, results->AddFileItem(&record, record.path, peak, doc->GetTrackId(0)));
    ComRef<IEditCommand> apply(ComObject<IEditCommand>::Create<EffectFileCommand>(
        Text(21017).c_str(), static_cast<CommandDocument*>(doc), results.Get(), 0));
    ASSERT_EQ(S_OK, doc->GetHistory()->Do(apply.Get(), TRUE));
    char type[64] = {};
    apply->GetTypeName(type, sizeof type);
    EXPECT_STREQ("effectfile", type);
    EXPECT_EQ(1, UndoDepth(doc));
    EXPECT_EQ("&Undo\bEffect Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    const std::vector<int> changed = Samples(doc, 0, 0);
    ASSERT_EQ(left.size(), changed.size());
    EXPECT_EQ(std::vector<int>(left.begin(), left.begin() + 1000),
              std::vector<int>(changed.begin(), changed.begin() + 1000));
    EXPECT_NE(std::vector<int>(left.begin() + 1000, left.begin() + 3000),
              std::vector<int>(changed.begin() + 1000, changed.begin() + 3000));

    doc->OnEditUndo();
    EXPECT_EQ(left, Samples(doc, 0, 0));
    EXPECT_EQ(right, Samples(doc, 0, 1));
}

TEST_F(CommandsTest, RefreshWaveformsJoinsTheLastEntryAndMixdownTestReadsTheEngine)
{
    CNyMultiTrackDoc* doc = NewDocument({2});
    PutSound(doc, 0, scratch_.File("w.raw"), 2, Ramp(2, 60));
    EXPECT_EQ(0, Enabled(doc, 1113)) << "nothing to undo";
    SelectTracks(doc, {0}, 10, 20);
    doc->OnEditDelete();
    ASSERT_EQ(1, UndoDepth(doc));
    EXPECT_EQ(1, Enabled(doc, 1113));
    doc->OnRefreshWaveforms();
    EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0]);
    EXPECT_EQ(1, UndoDepth(doc)) << "the refresh joins the delete";
    EXPECT_EQ("&Undo\bDelete Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    doc->OnEditUndo();
    EXPECT_EQ(60, doc->GetTrackExtent(0, 0));
    EXPECT_EQ(0, UndoDepth(doc));

    // The mixdown test on the engine: constant values of the envelopes count, as the mix uses them.
    EXPECT_FALSE(doc->NeedsNewerFormat(0));
    ComRef<IMtEnvelopeSet> envelopes = QueryCom<IMtEnvelopeSet>(doc->GetTrack(0));
    ASSERT_EQ(S_OK, envelopes->SetValue(kMtEnvLevel, 0.5f));
    EXPECT_TRUE(doc->NeedsNewerFormat(0));
    envelopes->SetValue(kMtEnvLevel, 1.0f);
    envelopes->SetValue(kMtEnvPan, 0.25f);
    EXPECT_TRUE(doc->NeedsNewerFormat(0));
    envelopes->SetValue(kMtEnvPan, 0.0f);
    doc->GetTrackSet()->SetMasterVolume(0.9999f);
    EXPECT_TRUE(doc->NeedsNewerFormat(0));
    doc->GetTrackSet()->SetMasterVolume(1.0f);
    EXPECT_FALSE(doc->NeedsNewerFormat(0));
}

TEST_F(CommandsTest, LabelsPastTheEndAndSplitTrack)
{
    CNyMultiTrackDoc* doc = NewDocument({2});
    PutSound(doc, 0, scratch_.File("e.raw"), 2, Ramp(2, 100));
    struct Case {
        int32_t trackId; // of the label
        int argument;
        BOOL inside;
    } cases[] = {{-1, -1, FALSE}, {0, -1, TRUE}, {0, 1, FALSE}, {-1, 1, FALSE}};
    for (const Case& c : cases) {
        doc->GetLabels().RemoveAll();
        LabelRecord section{};
        section.kind = kLabelSection;
        section.trackId = c.trackId == -1 ? -1 : doc->TrackIndexToId(c.trackId);
        section.start = 50;
        section.end = 101; // one sample past the end
        doc->GetLabels().Add(section);
        EXPECT_EQ(c.inside, doc->AreLabelsInsideDocument(c.argument)) << c.trackId << " " << c.argument;
    }

    EXPECT_EQ(S_OK, doc->SplitTrack(0));
    ASSERT_EQ(2, doc->GetTrackCount());
    EXPECT_EQ(1, doc->GetTrackChannels(0));
    EXPECT_EQ(1, UndoDepth(doc));
    EXPECT_EQ("&Undo\bSplit Track Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    doc->OnEditUndo();
    ASSERT_EQ(1, doc->GetTrackCount());
    EXPECT_EQ(2, doc->GetTrackChannels(0));
    doc->OnAddMonoTrack();
    EXPECT_EQ(S_FALSE, doc->SplitTrack(1)) << "an empty mono track does not split";
}

TEST_F(CommandsTest, AReplayedJournalFollowsAStereoSwitch)
{
    std::string temp = scratch_.Path() + "replay";
    ::CreateDirectoryA(temp.c_str(), nullptr);
    SetSettingString("Settings", "TempPath", temp.c_str());
    CNyMultiTrackDoc* doc = NewDocument({1, 1});
    doc->OpenWorkFiles("");
    doc->SetTrackStereo(1, TRUE);
    ASSERT_TRUE(doc->IsTrackStereo(1));
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
    char path[MAX_PATH] = {};
    journal->GetPath(path, MAX_PATH);
    journal->Close();
    const std::string kept = scratch_.File("kept.tmp");
    ASSERT_TRUE(::CopyFileA(path, kept.c_str(), FALSE));

    // What the recovery does after a crash: a document as the journal began, then its records.
    doc = NewDocument({1, 1});
    doc->ResumeWorkFiles(kept.c_str());
    EXPECT_TRUE(host_.shown.empty());
    EXPECT_TRUE(doc->IsTrackStereo(1));
    EXPECT_FALSE(doc->IsTrackStereo(0));
    EXPECT_EQ(1, UndoDepth(doc));
}

TEST_F(CommandsTest, TrackDragsAreNamedEntries)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 2});
    EXPECT_TRUE(doc->MoveTrack(0, 2)); // the insertion point after the last track
    EXPECT_EQ(2, doc->GetTrackChannels(0));
    EXPECT_EQ("&Undo\bMove Track Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    EXPECT_TRUE(doc->CopyTrack(0, 2));
    EXPECT_EQ(3, doc->GetTrackCount());
    EXPECT_EQ("&Undo\bCopy Track Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    EXPECT_TRUE(doc->DeleteTrack(2));
    EXPECT_EQ("&Undo\bDelete Track Ctrl+Z", ItemText(doc, ID_EDIT_UNDO));
    EXPECT_EQ(3, UndoDepth(doc));
    EXPECT_FALSE(doc->MoveTrack(0, 7)) << "a failed move answers FALSE, silently";
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(3, UndoDepth(doc));
}
