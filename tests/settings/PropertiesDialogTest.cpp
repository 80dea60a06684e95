// The Properties dialog on a real document with sounding tracks and labels: opened modeless,
// typed into, Apply and OK pressed, and the document, its labels and its history read back.
#include "DocumentFixture.h"
#include "KsMultiTrackLoader.h"
#include "LevelConversion.h"
#include "PropertiesDialog.h"
#include "SettingsIds.h"
#include "SettingsTestKit.h"
#include "TestSupport.h"

#include <fstream>

using namespace settingstest;

namespace {

constexpr int64_t kRate = 44100;

class PropertiesDialogTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        doc = NewDocument({1, 1});
        doc->GetSettings().rulerUnit = PropertiesDialog::kUnitSeconds;
        for (int i = 0; i < 2; ++i)
            GiveSound(i, kRate);
    }
    void TearDown() override
    {
        if (dialog && dialog->m_hWnd)
            dialog->DestroyWindow();
        dialog.reset();
        DocumentTest::TearDown();
    }

    // A second of silence from a raw file on the track.
    void GiveSound(int track, int64_t frames)
    {
        std::string path = scratch.File("track" + std::to_string(track) + ".raw");
        std::vector<int16_t> samples((size_t)frames, 0);
        std::ofstream(path, std::ios::binary).write((const char*)samples.data(), (std::streamsize)frames * 2);
        MtFileItemRecord record{};
        lstrcpynA(record.path, path.c_str(), (int)sizeof record.path);
        record.channels = 1;
        record.bitsPerSample = 16;
        record.samplesPerSec = (DWORD)kRate;
        ComRef<IMtItemList> list;
        ComRef<IUnknown> item;
        ComRef<IMtClip> clip;
        MtClipFormat format{(DWORD)kRate, 16, 1};
        ASSERT_EQ(MtEngine::CreateItemList(list), S_OK);
        ASSERT_EQ(list->AddFileItem(&record, path.c_str(), nullptr, 0), S_OK);
        ASSERT_EQ(list->ResetItems(0), S_OK);
        ASSERT_EQ(list->NextItem(item.Out(), nullptr), S_OK);
        ASSERT_EQ(MtEngine::CreateClip(clip), S_OK);
        ASSERT_EQ(clip->SetFormat(&format), S_OK);
        ASSERT_EQ(clip->SetSource(item.Get(), 0, -1), S_OK);
        ASSERT_EQ(doc->GetTrack(track)->InsertClip(clip.Get(), 0, 0, 0), S_OK);
    }
    int AddCue(int track, double seconds)
    {
        LabelRecord label{};
        label.kind = kLabelCue;
        label.trackId = doc->GetTrackId(track);
        label.start = label.end = (int64_t)(seconds * kRate);
        lstrcpynA(label.name, "cue", (int)sizeof label.name);
        return doc->AddLabel(label);
    }
    // The starts of the track's cues, in seconds.
    std::vector<double> Cues(int track)
    {
        std::vector<LabelRecord> labels;
        doc->GetLabels().FindInRange(track, labels, 0, -1, kLabelCue);
        std::vector<double> starts;
        for (const LabelRecord& label : labels)
            starts.push_back((double)label.start / kRate);
        return starts;
    }
    HWND Open(int track = 0)
    {
        dialog = std::make_unique<PropertiesDialog>(doc, nullptr, track);
        EXPECT_TRUE(dialog->Create(IDD_PROPERTIES));
        dialog->ShowWindow(SW_SHOW);
        return dialog->m_hWnd;
    }
    void Press(int button) { settingstest::Press(dialog->m_hWnd, button); }
    // Types and leaves the edit, as the user moving on to the next field.
    void Enter(int id, const char* text)
    {
        Type(dialog->m_hWnd, id, text);
        ::SetFocus(::GetDlgItem(dialog->m_hWnd, IDC_PROP_TRACK));
    }
    bool ApplyEnabled() { return ::IsWindowEnabled(::GetDlgItem(dialog->m_hWnd, IDC_PROP_APPLY)) != FALSE; }
    int64_t Offset(int track) { return doc->GetTrackExtent(track, -1); }
    TrackPropertyRecord Track(int track)
    {
        TrackPropertyRecord record;
        record.Capture(doc, track);
        return record;
    }
    int UndoCount()
    {
        int count = 0;
        while (doc->GetHistory()->Undo() == S_OK && count < 10)
            ++count;
        return count;
    }

    kvtest::ScratchFolder scratch;
    CNyMultiTrackDoc* doc = nullptr;
    std::unique_ptr<PropertiesDialog> dialog;
    MessageCatcher boxes;
};

} // namespace

TEST_F(PropertiesDialogTest, LevelsAreTakenInHundredthsOfADecibelWithinTheirRanges)
{
    const struct {
        int id;
        const char* typed;
        bool accepted;
        const char* shown; // after OK
        int master, level, pan;
    } cases[] = {
        {IDC_PROP_VOLUME, "-3.256", true, "-3.26", 10000, MillibelToLevel(-326), 0},
        {IDC_PROP_VOLUME, "3.5", true, "3.50", 10000, MillibelToLevel(350), 0},
        {IDC_PROP_VOLUME, "3.6", false, "3.6", 10000, 10000, 0},
        {IDC_PROP_VOLUME, "loud", true, "0.00", 10000, 10000, 0}, // no number is 0 dB
        {IDC_PROP_MASTER, "+1", false, "+1", 10000, 10000, 0},
        {IDC_PROP_MASTER, "-6", true, "-6.00", MillibelToLevel(-600), 10000, 0},
        {IDC_PROP_PAN, "-50", true, "-50.00", 10000, 10000, -5000},
        {IDC_PROP_PAN, "100.01", false, "100.01", 10000, 10000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        HWND hwnd = Open();
        Type(hwnd, c.id, c.typed);
        boxes.messages.clear();
        Press(IDOK);
        EXPECT_EQ(dialog->m_hWnd == nullptr, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(boxes.messages, std::vector<std::string>{"An invalid value was entered."});
            EXPECT_EQ(::GetFocus(), ::GetDlgItem(hwnd, c.id));
            EXPECT_EQ(Text(hwnd, c.id), c.shown);
            dialog->DestroyWindow();
        }
        EXPECT_EQ(doc->GetMasterVolume(), c.master);
        EXPECT_EQ(Track(0).level, c.level);
        EXPECT_EQ(Track(0).pan, c.pan);
        UndoCount();
    }
}

TEST_F(PropertiesDialogTest, MovingATrackEarlierDeletesTheLabelsItPassesAndOneUndoRestoresAll)
{
    doc->GetTrack(0)->SetStartOffset(10 * kRate);
    AddCue(0, 4);
    AddCue(0, 15);
    AddCue(1, 4);
    HWND hwnd = Open();
    EXPECT_EQ(Text(hwnd, IDC_PROP_OFFSET), "10.000");
    Enter(IDC_PROP_OFFSET, "0");
    EXPECT_TRUE(ApplyEnabled());
    Press(IDC_PROP_APPLY);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(Offset(0), 0);
    EXPECT_EQ(Cues(0), std::vector<double>{5.0});
    EXPECT_EQ(Cues(1), std::vector<double>{4.0});
    Enter(IDC_PROP_LABEL, "Drums");
    Press(IDOK);
    ASSERT_EQ(dialog->m_hWnd, nullptr);
    LabelRecord label{};
    doc->GetTrackLabel(0, &label);
    EXPECT_STREQ(label.name, "Drums");

    EXPECT_EQ(doc->GetHistory()->Undo(), S_OK); // the one "Properties" action
    EXPECT_EQ(Offset(0), 10 * kRate);
    EXPECT_EQ(Cues(0), (std::vector<double>{4.0, 15.0}));
    EXPECT_EQ(Cues(1), std::vector<double>{4.0});
    doc->GetTrackLabel(0, &label);
    EXPECT_STRNE(label.name, "Drums");
    EXPECT_EQ(UndoCount(), 0);
}

TEST_F(PropertiesDialogTest, AFailedApplyMovesNoLabelAndRecordsNothing)
{
    doc->GetTrack(0)->SetStartOffset(10 * kRate);
    AddCue(0, 4);
    AddCue(0, 15);
    const struct {
        std::string video;
        const char* message;
    } cases[] = {
        {scratch.File("missing.avi"), nullptr},                                  // the snapshot fails
        {"C:\\" + std::string(300, 'v') + ".avi", "The path name is too long."}, // refused, not cut
    };
    for (const auto& c : cases) {
        HWND hwnd = Open();
        Enter(IDC_PROP_OFFSET, "0");
        Type(hwnd, IDC_PROP_VIDEO, c.video.c_str());
        boxes.messages.clear();
        Press(IDC_PROP_APPLY);
        Press(IDOK);
        EXPECT_NE(dialog->m_hWnd, nullptr);
        if (c.message) {
            EXPECT_EQ(boxes.messages, (std::vector<std::string>{c.message, c.message}));
            EXPECT_EQ(::GetFocus(), ::GetDlgItem(hwnd, IDC_PROP_VIDEO));
        } else {
            EXPECT_EQ(host_.shown, (std::vector<HRESULT>{(HRESULT)0x83E800C9, (HRESULT)0x83E800C9}));
        }
        EXPECT_EQ(Text(hwnd, IDC_PROP_VIDEO), c.video);
        EXPECT_EQ(Offset(0), 10 * kRate);
        EXPECT_EQ(Cues(0), (std::vector<double>{4.0, 15.0}));
        dialog->DestroyWindow();
        EXPECT_EQ(UndoCount(), 0);
    }
}

TEST_F(PropertiesDialogTest, ShowsTheDocumentAndOnlyRealChangesEnableApply)
{
    doc->GetTrack(1)->SetStartOffset((int64_t)(3661.5 * kRate) - kRate);
    HWND hwnd = Open();
    EXPECT_EQ(Text(hwnd, IDC_PROP_LENGTH), "01:01:01.500");
    EXPECT_EQ(Text(hwnd, IDC_PROP_TRACKS), "2");
    EXPECT_EQ(Text(hwnd, IDC_PROP_RATE), "44,100Hz");
    EXPECT_EQ(Text(hwnd, IDC_PROP_BITS), "16Bit");
    EXPECT_EQ(Text(hwnd, IDC_PROP_FILENAME), "Undecided");
    EXPECT_EQ(Text(hwnd, IDC_PROP_AUDIO).substr(0, 4), "Mono");
    EXPECT_EQ(Text(hwnd, IDC_PROP_SAMPLES), "44100");
    EXPECT_EQ(ComboItems(::GetDlgItem(hwnd, IDC_PROP_UNIT)),
              (std::vector<std::string>{"Seconds", "Milliseconds", "Samples"}));

    Choose(hwnd, IDC_PROP_TRACK, 1);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(Text(hwnd, IDC_PROP_OFFSET), "3660.500");
    Choose(hwnd, IDC_PROP_UNIT, 2);
    EXPECT_EQ(Text(hwnd, IDC_PROP_OFFSET), std::to_string((int64_t)(3660.5 * kRate)));
    Enter(IDC_PROP_LABEL, "Bass");
    EXPECT_TRUE(ApplyEnabled());
    Choose(hwnd, IDC_PROP_TRACK, 0);
    Choose(hwnd, IDC_PROP_TRACK, 1);
    EXPECT_EQ(Text(hwnd, IDC_PROP_LABEL), "Bass");
    Press(IDCANCEL);
    dialog->DestroyWindow();
    EXPECT_EQ(UndoCount(), 0);
}

TEST(ParseHundredths, RoundsHalfAwayFromZero)
{
    const struct {
        const char* text;
        int64_t value;
    } cases[] = {{"-3.256", -326}, {"3.255", 326}, {"-0.005", -1}, {"12dB", 1200}, {"", 0}, {"x1", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseHundredths(c.text), c.value) << c.text;
}

TEST(PropertiesLength, IsShownAsHoursMinutesSecondsAndMilliseconds)
{
    EXPECT_EQ(std::string(PropertiesDialog::FormatLength(161472150, 44100)), "01:01:01.500");
    EXPECT_EQ(std::string(PropertiesDialog::FormatLength(65250, 1000)), "00:01:05.250");
    EXPECT_EQ(std::string(PropertiesDialog::FormatLength(0, 0)), "00:00:00.000");
}
