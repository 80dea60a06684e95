// The generators and Sample Type as a user meets them: chosen from the program's real menu,
// their dialogs driven through their own controls, the result read back from the tracks, and
// Undo taking it back.
#include "DialogScript.h"
#include "DocCommandIds.h"
#include "GeneratorDialog.h"
#include "GeneratorIds.h"
#include "HistorySteps.h"
#include "MainFrameIds.h"
#include "ProgramFixture.h"
#include "ScreenShot.h"
#include "TempFilePaths.h"
#include "resource.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

using namespace fxtest;

namespace {

// What the user types into an edit: every character, so that the edit marks itself modified.
void Type(HWND dialog, int id, const char* text)
{
    HWND edit = ::GetDlgItem(dialog, id);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (const char* c = text; *c; ++c)
        ::SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*c)), 0);
}

// The child window (at any depth) of that id: a control of a hosted page.
HWND FindChild(HWND parent, int id)
{
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (::GetDlgCtrlID(w) == s->id) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The dialog drawn as it is now, then the screen's picture.
void ShotOf(HWND dialog, const char* name)
{
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    kvtest::Shot(name);
}

int Height(HWND w)
{
    RECT r{};
    ::GetWindowRect(w, &r);
    return r.bottom - r.top;
}

std::set<std::string> TemporaryFiles()
{
    TempFilePaths temp;
    return FilesIn(temp.GetFolder());
}

std::vector<int16_t> Samples16(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

} // namespace

TEST(GeneratorLength, TextAndSamplesConvertAtTheDocumentsRate)
{
    AudioFormat format;
    format.Set(44100, 16, 1);
    const struct {
        int unit;
        double value;
        int64_t samples;
    } toSamples[] = {
        {kUnitSeconds, 2.0, 88200}, {kUnitMilliseconds, 2000.0, 88200}, {kUnitSamples, 88200.0, 88200},
        {kUnitSeconds, 0.0, 1},     {kUnitMilliseconds, 0.01, 1},       {kUnitSamples, 12.9, 12},
        {kUnitSeconds, -3.0, 1},    {kUnitMilliseconds, 0.5, 22},
    };
    for (const auto& c : toSamples)
        EXPECT_EQ(c.samples, GeneratorTextToSamples(format, c.unit, c.value)) << c.unit << " " << c.value;
    const struct {
        int unit;
        int64_t samples;
        const char* text;
    } toText[] = {
        {kUnitSeconds, 88200, "2.000"}, {kUnitMilliseconds, 88200, "2000.0"}, {kUnitSamples, 88200, "88200"},
        {kUnitSeconds, 1, "0.000"},     {kUnitMilliseconds, 441, "10.0"},
    };
    for (const auto& c : toText)
        EXPECT_EQ(c.text, GeneratorLengthText(c.unit, GeneratorSamplesToValue(format, c.unit, c.samples))) << c.text;
}

class GeneratorTest : public ProgramTest {
protected:
    // File New: one empty stereo track, selected.
    void EmptyDocument()
    {
        FileNew();
        doc_->GetSelection()->SetTrackSelected(0, TRUE);
        Pump();
    }
    // Chooses the item and runs the steps in its dialog (found by its length field).
    void RunGenerator(UINT id, const std::function<void(HWND)>& inDialog)
    {
        std::string text;
        ASSERT_TRUE(OpenToItem(id, &text)) << id << " is enabled";
        bool opened = false;
        Script script({[&] {
            HWND d = FindDialogWith(IDC_GENERATOR_LENGTH);
            if (!d)
                return false;
            opened = true;
            inDialog(d);
            return true;
        }});
        ChooseItem(id);
        EXPECT_TRUE(opened) << text;
        EXPECT_FALSE(script.TimedOut()) << text;
    }
    LONGLONG TrackLength(int track)
    {
        LONGLONG length = 0;
        doc_->GetTrack(track)->GetLength(&length);
        return length;
    }
};

TEST_F(GeneratorTest, SimpleToneOfTwoSecondsIsOneEffectStepAtThePagesFrequencyThatUndoEmpties)
{
    EmptyDocument();
    std::string title, shown, inMilliseconds, backInSeconds;
    int unit = -1;
    RunGenerator(ID_EFFECT_SIMPLE_TONE, [&](HWND d) {
        title = WindowText(d);
        shown = ItemText(d, IDC_GENERATOR_LENGTH);
        unit = static_cast<int>(::SendDlgItemMessageA(d, IDC_GENERATOR_UNIT, CB_GETCURSEL, 0, 0));
        Type(d, IDC_GENERATOR_LENGTH, "2");
        Choose(d, IDC_GENERATOR_UNIT, kUnitMilliseconds);
        inMilliseconds = ItemText(d, IDC_GENERATOR_LENGTH);
        Choose(d, IDC_GENERATOR_UNIT, kUnitSeconds);
        backInSeconds = ItemText(d, IDC_GENERATOR_LENGTH);
        ShotOf(d, "generator-simple-tone");
        Click(d, IDOK);
    });
    EXPECT_EQ("Simple Tone", title);
    EXPECT_EQ("1.000", shown) << "first use: one second";
    EXPECT_EQ(kUnitSeconds, unit);
    EXPECT_EQ("2000.0", inMilliseconds);
    EXPECT_EQ("2.000", backInSeconds) << "the typed length is kept through the units";
    EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_[0]);

    EXPECT_EQ(std::vector<std::string>{"Effect"}, kvtest::UndoNames(doc_->GetHistory()));
    ASSERT_EQ(88200, TrackLength(0));
    EXPECT_TRUE(doc_->IsModified());
    // 1000 Hz, the page's first frequency: two crossings of zero a cycle, in each channel.
    const std::vector<int16_t> samples = Samples16(ReadTrackBytes(doc_, 0));
    ASSERT_EQ(size_t(88200 * 2), samples.size());
    for (int ch = 0; ch < 2; ++ch) {
        int crossings = 0;
        for (size_t i = 2 + ch; i < samples.size(); i += 2)
            crossings += (samples[i - 2] < 0) != (samples[i] < 0);
        EXPECT_NEAR(4000, crossings, 4) << "channel " << ch;
    }
    EXPECT_EQ(view_->ZoomToFit(0, 1), view_->ZoomToFit(-1, 1)) << "the empty document's view is fitted";

    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(0, TrackLength(0));
    CloseDocument();
}

TEST_F(GeneratorTest, TheLastLengthAndUnitComeBackAndZeroGivesOneSample)
{
    EmptyDocument();
    RunGenerator(ID_EFFECT_SIMPLE_TONE, [&](HWND d) {
        Choose(d, IDC_GENERATOR_UNIT, kUnitMilliseconds);
        Type(d, IDC_GENERATOR_LENGTH, "250");
        Click(d, IDOK);
    });
    EXPECT_EQ(11025, TrackLength(0));
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    std::string shown;
    RunGenerator(ID_EFFECT_SIMPLE_TONE, [&](HWND d) {
        shown = ItemText(d, IDC_GENERATOR_LENGTH);
        Type(d, IDC_GENERATOR_LENGTH, "0");
        Click(d, IDOK);
    });
    EXPECT_EQ("250.0", shown);
    EXPECT_EQ(1, TrackLength(0));
    CloseDocument();
}

TEST_F(GeneratorTest, SilenceHasNoTabsNoPreviewAndAShorterDialog)
{
    EmptyDocument();
    int toneHeight = 0, silenceHeight = 0;
    bool tabsShown = true, previewEnabled = true;
    RunGenerator(ID_EFFECT_SIMPLE_TONE, [&](HWND d) {
        toneHeight = Height(d);
        ChooseTab(d, IDC_GENERATOR_TABS, 0);
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(d, IDC_GENERATOR_TABS)));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d, IDC_GENERATOR_PREVIEW)));
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(0, kvtest::UndoSteps(doc_->GetHistory())) << "Cancel changes nothing";
    RunGenerator(ID_EFFECT_SILENCE, [&](HWND d) {
        silenceHeight = Height(d);
        tabsShown = ::IsWindowVisible(::GetDlgItem(d, IDC_GENERATOR_TABS));
        previewEnabled = ::IsWindowEnabled(::GetDlgItem(d, IDC_GENERATOR_PREVIEW));
        RECT client{}, help{};
        ::GetClientRect(d, &client);
        ::GetWindowRect(::GetDlgItem(d, IDC_GENERATOR_HELP), &help);
        ::MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&help), 2);
        EXPECT_LE(help.bottom, client.bottom) << "the buttons stay inside";
        Type(d, IDC_GENERATOR_LENGTH, "0.5");
        ShotOf(d, "generator-silence");
        Click(d, IDOK);
    });
    EXPECT_FALSE(tabsShown);
    EXPECT_FALSE(previewEnabled);
    EXPECT_LT(silenceHeight, toneHeight);
    ASSERT_EQ(22050, TrackLength(0));
    const std::vector<int16_t> samples = Samples16(ReadTrackBytes(doc_, 0));
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](int16_t s) { return s == 0; }));
    CloseDocument();
}

TEST_F(GeneratorTest, FmToneOpensOnItsPageAndRendersAtTheDocumentsRate)
{
    EmptyDocument();
    std::string title;
    RunGenerator(ID_EFFECT_FM_TONE, [&](HWND d) {
        title = WindowText(d);
        ShotOf(d, "generator-fm-tone");
        Type(d, IDC_GENERATOR_LENGTH, "0.1");
        Click(d, IDOK);
    });
    EXPECT_EQ("FM Tone", title);
    EXPECT_EQ(4410, TrackLength(0));
    const std::vector<int16_t> samples = Samples16(ReadTrackBytes(doc_, 0));
    EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [](int16_t s) { return s != 0; }));
    CloseDocument();
}

TEST_F(GeneratorTest, NoiseFillsEachSelectedTrackInItsOwnChannels)
{
    EmptyDocument();
    doc_->GetTrack(0)->SetChannels(1);
    main_->SendMessage(WM_COMMAND, ID_ADD_STEREO_TRACK, 0);
    ASSERT_EQ(2, doc_->GetTrackCount());
    doc_->GetSelection()->SetTrackSelected(-1, TRUE);
    const int steps = kvtest::UndoSteps(doc_->GetHistory());
    RunGenerator(ID_EFFECT_NOISE, [&](HWND d) {
        ShotOf(d, "generator-noise");
        Click(d, IDOK);
    });
    EXPECT_EQ(steps + 1, kvtest::UndoSteps(doc_->GetHistory()));
    for (int t = 0; t < 2; ++t) {
        const WORD channels = static_cast<WORD>(t + 1);
        EXPECT_EQ(channels, doc_->GetTrackChannels(t));
        ASSERT_EQ(44100, TrackLength(t)) << "track " << t;
        const std::vector<int16_t> samples = Samples16(ReadTrackBytes(doc_, t));
        ASSERT_EQ(size_t(44100) * channels, samples.size());
        int silent = 0, same = 0;
        for (size_t i = 0; i < samples.size(); i += channels) {
            silent += samples[i] == 0;
            same += channels == 2 && samples[i] == samples[i + 1];
        }
        EXPECT_LT(silent, 200) << "track " << t;
        EXPECT_LT(same, 200) << "each channel its own noise, track " << t;
    }
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(0, TrackLength(0));
    EXPECT_EQ(0, TrackLength(1));
    CloseDocument();
}

TEST_F(GeneratorTest, AGeneratorFailingOnTheSecondTrackLeavesNoFileAndNoStep)
{
    EmptyDocument();
    // The generators make one, two or six channels: four fail once the first track is written.
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->SetChannelLimit(6));
    main_->SendMessage(WM_COMMAND, ID_ADD_STEREO_TRACK, 0);
    ASSERT_EQ(2, doc_->GetTrackCount());
    ASSERT_EQ(S_OK, doc_->GetTrack(1)->SetChannels(4));
    doc_->GetSelection()->SetTrackSelected(-1, TRUE);
    const int steps = kvtest::UndoSteps(doc_->GetHistory());
    const std::set<std::string> files = TemporaryFiles();
    bool stillOpen = false;
    RunGenerator(ID_EFFECT_NOISE, [&](HWND d) {
        Click(d, IDOK);
        stillOpen = ::IsWindow(d) && ::IsWindowVisible(d);
        Click(d, IDCANCEL);
    });
    EXPECT_TRUE(stillOpen) << "a failed render keeps the dialog";
    EXPECT_EQ(1u, boxes_.size()) << "the failure is shown";
    boxes_.clear();
    EXPECT_EQ(steps, kvtest::UndoSteps(doc_->GetHistory()));
    EXPECT_EQ(0, TrackLength(0));
    EXPECT_EQ(files, TemporaryFiles()) << "the first track's file is gone too";
    CloseDocument();
}

TEST_F(GeneratorTest, SampleTypeOpensOnTheDocumentsFormatAndConvertsInOneStepThatUndoes)
{
    NewFilledDocument();
    const std::vector<uint8_t> before = ReadTrackBytes(doc_, 0);
    std::string rate, bits, precision;
    ASSERT_TRUE(OpenToItem(ID_SAMPLE_TYPE));
    Script script({[&] {
        HWND d = FindDialogWith(IDC_SAMPLE_TYPE_HELP);
        HWND rateBox = d ? FindChild(d, 1001) : nullptr;
        if (!rateBox)
            return false;
        rate = WindowText(rateBox);
        HWND bitList = FindChild(d, 1002);
        bits = ComboItems(bitList).at(static_cast<size_t>(::SendMessageA(bitList, CB_GETCURSEL, 0, 0)));
        precision = WindowText(FindChild(d, 1003));
        // 48000 typed, 24 bits chosen: each control tells its page.
        HWND page = ::GetParent(rateBox);
        ::SetWindowTextA(rateBox, "48000");
        ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(1001, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(rateBox));
        const std::vector<std::string> depths = ComboItems(bitList);
        for (size_t i = 0; i < depths.size(); ++i)
            if (depths[i].find("24") != std::string::npos)
                ::SendMessageA(bitList, CB_SETCURSEL, i, 0);
        ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(1002, CBN_SELCHANGE), reinterpret_cast<LPARAM>(bitList));
        ShotOf(d, "sample-type");
        Click(d, IDOK);
        return true;
    }});
    ChooseItem(ID_SAMPLE_TYPE);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ("44100", rate);
    EXPECT_NE(std::string::npos, bits.find("16")) << bits;
    EXPECT_EQ("8", precision);
    EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_[0]);
    EXPECT_EQ(48000u, doc_->GetSamplesPerSec());
    EXPECT_EQ(24, doc_->GetBitsPerSample());
    EXPECT_EQ(1, kvtest::UndoSteps(doc_->GetHistory()));
    EXPECT_EQ(48000, GetSettingInt(kSettingsSection, "LastSamplesPerSec", 0));
    EXPECT_EQ(24, GetSettingInt(kSettingsSection, "LastBitsPerSample", 0));
    EXPECT_EQ(8, GetSettingInt(kSettingsSection, "LastCalcPrecision", 0));
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(44100u, doc_->GetSamplesPerSec());
    EXPECT_EQ(before, ReadTrackBytes(doc_, 0)) << "every sample back";
    CloseDocument();
}
