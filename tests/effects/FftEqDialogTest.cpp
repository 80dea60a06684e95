// The FFT equaliser as a user meets it in the running program: command 2026 sent to the main
// window opens its dialog over the selected tracks' first channel; the track list, the
// parameter and range dialogs and the axis are driven through their own controls; OK applies
// the curve drawn on the page as one step, New Window renders a new document.
#include "AmplitudeRangeDialog.h"
#include "AppIds.h"
#include "DialogScript.h"
#include "EffectModuleTable.h"
#include "FftEqDialog.h"
#include "FftEqIds.h"
#include "FftParametersDialog.h"
#include "HistorySteps.h"
#include "IEffectParameters.h"
#include "KvSEFFEQ.h"
#include "MainFrameIds.h"
#include "ProgramFixture.h"
#include "ScreenShot.h"

#include <cmath>
#include <cstring>

using namespace fxtest;

namespace {

constexpr UINT kFftEqCommand = 2026;

TEST(FftEqTrackList, ItemsNameEachChannelOfTheSelectedTracksAndParseBack)
{
    const std::vector<std::string> items = CFftEqDialog::TrackItems({{0, 2}, {1, 1}, {3, 6}});
    const std::vector<std::string> expected = {"TRACK 1 - L", "TRACK 1 - R", "TRACK 2",  "TRACK 4 - L",
                                               "TRACK 4 - R", "TRACK 4 - C", "TRACK 4 - LFE", "TRACK 4 - Ls",
                                               "TRACK 4 - Rs"};
    EXPECT_EQ(expected, items);
    const std::vector<int> channels = {2, 1, 2, 6};
    const struct {
        const char* item;
        bool parsed;
        int track, channel;
    } cases[] = {{"TRACK 1 - L", true, 0, 0}, {"TRACK 1 - R", true, 0, 1},   {"TRACK 2", true, 1, 0},
                 {"TRACK 4 - LFE", true, 3, 3}, {"TRACK 4 - Rs", true, 3, 5}, {"TRACK 9", false, 0, 0},
                 {"TRACK", false, 0, 0}};
    for (const auto& c : cases) {
        int track = -7, channel = -7;
        EXPECT_EQ(c.parsed, CFftEqDialog::ParseTrackItem(c.item, channels, &track, &channel)) << c.item;
        if (c.parsed) {
            EXPECT_EQ(c.track, track) << c.item;
            EXPECT_EQ(c.channel, channel) << c.item;
        }
    }
}

TEST(FftEqParameters, OverlapReadoutShowsTheSizeAndTheShare)
{
    EXPECT_EQ("/1024 (25.000%)", CFftParametersDialog::OverlapReadout(1024, 256));
    EXPECT_EQ("/512 (99.805%)", CFftParametersDialog::OverlapReadout(512, 511));
    EXPECT_EQ("/128 (0.000%)", CFftParametersDialog::OverlapReadout(128, 0));
}

class FftEqDialogTest : public ProgramTest {
protected:
    // A stereo track and a mono track, each a second of noise, both selected.
    void TwoTracks()
    {
        FileNew();
        main_->SendMessage(WM_COMMAND, ID_ADD_MONO_TRACK, 0);
        ASSERT_EQ(2, doc_->GetTrackCount());
        uint32_t seed = 99;
        for (int t = 0; t < 2; ++t) {
            std::vector<int16_t> samples(44100u * (t == 0 ? 2 : 1));
            for (int16_t& s : samples) {
                seed = seed * 1664525u + 1013904223u;
                s = static_cast<int16_t>(static_cast<int>(seed >> 17) - 16384);
            }
            Fill(t, samples);
        }
        CSelectionModel* selection = doc_->GetSelection();
        selection->SetTrackSelected(-1, FALSE);
        selection->SetTrackSelected(0, TRUE);
        selection->SetTrackSelected(1, TRUE);
        selection->SetSelection(0, 0, TRUE);
        Pump();
    }
    // A click whose handler opens a dialog: it runs from the modal loop, not from the step.
    static void PostClick(HWND dialog, int id) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    // The dialog of this thread, once no job of it runs: a reanalysis disables every control
    // (a click then goes nowhere) and enables them again when it has ended.
    static HWND IdleDialog()
    {
        HWND d = FindDialogWith(IDC_FFTEQ_TRACKS);
        return d && ::IsWindowEnabled(::GetDlgItem(d, IDOK)) ? d : nullptr;
    }
    static CFftEqDialog* DialogOf(HWND window)
    {
        return dynamic_cast<CFftEqDialog*>(CWnd::FromHandlePermanent(window));
    }
    // The screen once the window has painted what the step changed (the step runs inside a
    // modal loop that has not yet seen the paint messages).
    static void Shot(HWND window, const char* name)
    {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        kvtest::Shot(name);
    }
    static FftEqParameters Parameters(HWND window)
    {
        FftEqParameters p{};
        DialogOf(window)->Equalizer()->GetParameters(&p);
        return p;
    }
    // A point added on the page's curve with the mouse, low down: a cut at mid frequency.
    static void ClickCurve(HWND dialog)
    {
        HWND curve = nullptr;
        ::EnumChildWindows(
            dialog,
            [](HWND w, LPARAM p) -> BOOL {
                if (::GetDlgCtrlID(w) == 1063) {
                    *reinterpret_cast<HWND*>(p) = w;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&curve));
        ASSERT_NE(nullptr, curve);
        RECT r{};
        ::GetClientRect(curve, &r);
        const LPARAM at = MAKELPARAM(r.right / 2, r.bottom * 9 / 10);
        ::SendMessageA(curve, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(curve, WM_LBUTTONUP, 0, at);
    }
};

// KV_SHOT_DIR set: pictures of the dialog and its two small dialogs.
TEST_F(FftEqDialogTest, ItsCommandOpensTheDialogWhoseControlsSetTheAnalysisAndWhoseOkAppliesTheCurveAsOneStep)
{
    TwoTracks();
    const std::vector<uint8_t> before[2] = {ReadTrackBytes(doc_, 0), ReadTrackBytes(doc_, 1)};
    const int stepsBefore = kvtest::UndoSteps(doc_->GetHistory());
    std::vector<std::string> items;
    FftEqParameters afterR{}, afterSettings{}, afterRange{};
    std::string readout, overlapText;
    char title[64] = {};
    bool logChecked = false;
    Script script({
        [&] {
            HWND d = IdleDialog();
            if (!d)
                return false;
            Shot(d, "ffteq-1-dialog");
            ::GetWindowTextA(d, title, sizeof title);
            items = ComboItems(::GetDlgItem(d, IDC_FFTEQ_TRACKS));
            logChecked = ::IsDlgButtonChecked(d, IDC_FFTEQ_LOG) == BST_CHECKED;
            Choose(d, IDC_FFTEQ_TRACKS, 1); // "TRACK 1 - R": reanalysed before the call returns
            afterR = Parameters(d);
            return true;
        },
        [&] {
            HWND d = IdleDialog();
            if (!d)
                return false;
            PostClick(d, IDC_FFTEQ_SETTINGS); // its dialog's loop runs the next steps
            return true;
        },
        [&] {
            HWND p = FindDialogWith(IDC_FFT_OVERLAP);
            if (!p)
                return false;
            Choose(p, IDC_FFT_SIZE, 2); // 512
            ::SetDlgItemTextA(p, IDC_FFT_OVERLAP, "512");
            overlapText = ItemText(p, IDC_FFT_OVERLAP);
            Shot(p, "ffteq-2-fft-parameters");
            readout = ItemText(p, IDC_FFT_OVERLAP_RATIO);
            Choose(p, IDC_FFT_WINDOW, 2); // Blackman
            Click(p, IDOK);
            return true;
        },
        [&] {
            HWND d = IdleDialog();
            if (!d || FindDialogWith(IDC_FFT_OVERLAP))
                return false;
            afterSettings = Parameters(d);
            PostClick(d, IDC_FFTEQ_RANGE);
            return true;
        },
        [&] {
            HWND r = FindDialogWith(IDC_RANGE_MINIMUM);
            if (!r)
                return false;
            ::SetDlgItemTextA(r, IDC_RANGE_MAXIMUM, "-10");
            ::SetDlgItemTextA(r, IDC_RANGE_MINIMUM, "-10");
            Click(r, IDOK); // refused: the box is answered, the dialog stays
            EXPECT_TRUE(::IsWindow(r));
            ::SetDlgItemTextA(r, IDC_RANGE_MAXIMUM, "0");
            ::SetDlgItemTextA(r, IDC_RANGE_MINIMUM, "-96");
            Shot(r, "ffteq-3-amplitude-range");
            Click(r, IDOK);
            return true;
        },
        [&] {
            HWND d = IdleDialog();
            if (!d || FindDialogWith(IDC_RANGE_MINIMUM))
                return false;
            Click(d, IDC_FFTEQ_LINEAR);
            afterRange = Parameters(d);
            ClickCurve(d);
            Shot(d, "ffteq-4-curve-linear");
            Click(d, IDOK);
            return true;
        },
    });
    main_->SendMessage(WM_COMMAND, kFftEqCommand, 0);
    ASSERT_TRUE(script.Finished());
    EXPECT_FALSE(script.TimedOut());

    EXPECT_STREQ("FFT Equalizer", title) << "no menu item names the command: the dialog's own title";
    EXPECT_EQ((std::vector<std::string>{"TRACK 1 - L", "TRACK 1 - R", "TRACK 2"}), items);
    EXPECT_EQ(1, afterR.channel);
    EXPECT_EQ("511", overlapText);
    EXPECT_EQ("/512 (99.805%)", readout);
    EXPECT_EQ(512, afterSettings.fftSize);
    EXPECT_EQ(511, afterSettings.overlap);
    EXPECT_EQ(2, afterSettings.window);
    EXPECT_EQ(0, afterRange.maximumDb);
    EXPECT_EQ(-96, afterRange.minimumDb);
    EXPECT_EQ(1, afterRange.axis);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Entered value was out of range.", boxes_[0]);

    // One "Effect" step over both tracks; the same tracks selected.
    ASSERT_EQ(stepsBefore + 1, kvtest::UndoSteps(doc_->GetHistory()));
    EXPECT_EQ("Effect", kvtest::UndoNames(doc_->GetHistory()).front());
    EXPECT_NE(before[0], ReadTrackBytes(doc_, 0));
    EXPECT_NE(before[1], ReadTrackBytes(doc_, 1));
    EXPECT_TRUE(doc_->GetSelection()->IsTrackSelectedAt(0));
    EXPECT_TRUE(doc_->GetSelection()->IsTrackSelectedAt(1));
    EXPECT_TRUE(logChecked);
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(before[0], ReadTrackBytes(doc_, 0));
    EXPECT_EQ(before[1], ReadTrackBytes(doc_, 1));
}

TEST_F(FftEqDialogTest, AReanalysisCancelledFromItsProgressPutsThePreviousParametersBack)
{
    TwoTracks();
    FftEqParameters before{}, during{}, after{};
    Script script({
        [&] {
            HWND d = IdleDialog();
            if (!d)
                return false;
            before = Parameters(d);
            PostClick(d, IDC_FFTEQ_SETTINGS);
            return true;
        },
        [&] {
            HWND p = FindDialogWith(IDC_FFT_OVERLAP);
            if (!p)
                return false;
            // Frames one sample apart: an analysis slow enough to be cancelled.
            Choose(p, IDC_FFT_SIZE, 6); // 8192
            ::SetDlgItemTextA(p, IDC_FFT_OVERLAP, "8191");
            Click(p, IDOK);
            return true;
        },
        [&] {
            HWND progress = FindDialogWith(IDC_PROGRESS_BAR);
            if (!progress || !::IsWindowEnabled(::GetDlgItem(progress, IDCANCEL)))
                return false;
            during = Parameters(FindDialogWith(IDC_FFTEQ_TRACKS));
            Click(progress, IDCANCEL);
            return true;
        },
        [&] {
            HWND d = IdleDialog();
            if (!d)
                return false;
            after = Parameters(d);
            Click(d, IDCANCEL);
            return true;
        },
    });
    main_->SendMessage(WM_COMMAND, kFftEqCommand, 0);
    ASSERT_TRUE(script.Finished());
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(8192, during.fftSize) << "the analysis ran with the new parameters";
    EXPECT_EQ(8191, during.overlap);
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before)) << "the previous parameters are back";
    EXPECT_TRUE(boxes_.empty()) << "a cancel shows nothing: " << (boxes_.empty() ? "" : boxes_[0]);
}

TEST_F(FftEqDialogTest, NewWindowRendersTheEqualisedMixIntoANewDocumentAndLeavesTheSourceAlone)
{
    TwoTracks();
    const std::vector<uint8_t> before = ReadTrackBytes(doc_, 0);
    CNyMultiTrackDoc* source = doc_;
    Script script({[&] {
        HWND d = IdleDialog();
        if (!d)
            return false;
        ClickCurve(d);
        Click(d, IDC_FFTEQ_NEW_WINDOW);
        return true;
    }});
    main_->SendMessage(WM_COMMAND, kFftEqCommand, 0);
    ASSERT_TRUE(script.Finished());
    EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_[0]);
    EXPECT_EQ(before, ReadTrackBytes(source, 0));
    CMDIChildWnd* child = main_->MDIGetActive();
    ASSERT_NE(nullptr, child);
    auto* created = dynamic_cast<CNyMultiTrackDoc*>(child->GetActiveDocument());
    ASSERT_TRUE(created && created != source);
    ASSERT_EQ(1, created->GetTrackCount());
    EXPECT_EQ(2, created->GetTrackChannels(0));
    EXPECT_EQ(before.size(), ReadTrackBytes(created, 0).size()) << "the mix of a second, whole";
}

TEST_F(FftEqDialogTest, WithoutASelectedTrackNothingOpensAndTheDialogSaysWhy)
{
    TwoTracks();
    doc_->GetSelection()->SetTrackSelected(-1, FALSE);
    bool opened = false;
    Script script({[&] {
                      opened = opened || FindDialogWith(IDC_FFTEQ_TRACKS);
                      return false;
                  }},
                  10);
    // The command is not available; the dialog itself refuses before the module is loaded.
    main_->SendMessage(WM_COMMAND, kFftEqCommand, 0);
    EXPECT_TRUE(boxes_.empty());
    CFftEqDialog dialog;
    EXPECT_EQ(static_cast<HRESULT>(0x83E80005), dialog.LoadPlugin(GetEffectModuleEntry(7), doc_, nullptr));
    EXPECT_EQ(nullptr, dialog.Equalizer());
    EXPECT_FALSE(opened);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Please select the track whose spectrum the FFT equalizer is to show.", boxes_[0]);
}

TEST_F(FftEqDialogTest, TheDialogGrowsAroundItsPageAndNeverShrinksBelowItsFirstSize)
{
    TwoTracks();
    RECT first{}, ok0{}, setup0{}, ok1{}, setup1{};
    MINMAXINFO limits{};
    const auto child = [](HWND d, int id) {
        RECT r{};
        ::GetWindowRect(::GetDlgItem(d, id), &r);
        return r;
    };
    Script script({[&] {
        HWND d = IdleDialog();
        if (!d)
            return false;
        ::GetWindowRect(d, &first);
        ok0 = child(d, IDOK);
        setup0 = child(d, IDC_FFTEQ_SETTINGS);
        ::SendMessageA(d, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        ::SetWindowPos(d, nullptr, 0, 0, first.right - first.left + 100, first.bottom - first.top + 80,
                       SWP_NOMOVE | SWP_NOZORDER);
        ok1 = child(d, IDOK);
        setup1 = child(d, IDC_FFTEQ_SETTINGS);
        Click(d, IDCANCEL);
        return true;
    }});
    main_->SendMessage(WM_COMMAND, kFftEqCommand, 0);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(first.right - first.left, limits.ptMinTrackSize.x);
    EXPECT_EQ(first.bottom - first.top, limits.ptMinTrackSize.y);
    EXPECT_EQ(ok0.left + 100, ok1.left);
    EXPECT_EQ(ok0.top, ok1.top);
    EXPECT_EQ(setup0.left + 100, setup1.left);
    EXPECT_EQ(setup0.top + 80, setup1.top);
}

} // namespace
