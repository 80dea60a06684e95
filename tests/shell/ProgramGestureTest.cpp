// The program's own main frame, panes and views driven as a user drives them: commands from
// the menu, clicks and keys sent to the windows that take them, what is drawn read back.
#include "MainFrame.h"
#include "EditModeIds.h"
#include "FadeHandleEditor.h"
#include "MainFrameIds.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "InProcessProgram.h"
#include "RealInput.h"
#include "TipWindow.h"
#include "ViewCore.h"
#include "CommandIds.h"
#include "EnvelopeEditor.h"
#include "HistorySteps.h"
#include "TestSupport.h"
#include "WavFile.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class ProgramGestureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = kvtest::StartInProcess(app_, boxes_);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override
    {
        kvtest::StopInProcess(app_);
    }
    CNyMultiTrackView* ActiveView()
    {
        CMDIChildWnd* child = frame_->MDIGetActive();
        return child ? dynamic_cast<CNyMultiTrackView*>(child->GetActiveView()) : nullptr;
    }
    // The file dropped on the main window, as the shell drops it; the drop splits the
    // channels into tracks when the setting says so.
    CNyMultiTrackView* Drop(const std::string& path, bool splitChannels, int documentType = 0)
    {
        SetSettingInt("Settings", "ChannelSplit", splitChannels ? 1 : 0);
        // New documents take the program's document type, read from the settings at every open.
        SetSettingInt("Settings", "DefaultDocumentType", documentType);
        app_.DefaultSettings().documentType = uint32_t(documentType);
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + path.size() + 2);
        auto* files = static_cast<DROPFILES*>(::GlobalLock(block));
        files->pFiles = sizeof(DROPFILES);
        std::memcpy(reinterpret_cast<char*>(files + 1), path.c_str(), path.size() + 1);
        ::GlobalUnlock(block);
        frame_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(block));
        return ActiveView();
    }
    void Command(CWnd* target, UINT id) { target->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    static void Pump()
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    SettingsTestRoot root_;
    CNyApp app_;
    CMainFrame* frame_ = nullptr;
    std::vector<std::string> boxes_;
    kvtest::ScratchFolder scratch_;
};

// A 24-bit WAV of constant samples, value[c] in channel c (full scale 1.0).
std::string WriteWav24(const std::string& path, uint32_t rate, uint32_t frames, const std::vector<double>& value)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return "";
    const unsigned channels = unsigned(value.size());
    kvtest::WriteWavHeader(f, channels, rate, 24, frames);
    std::vector<uint8_t> frame;
    for (double v : value) {
        const int32_t s = int32_t(std::lround(v * 8388608.0));
        frame.push_back(uint8_t(s & 0xFF));
        frame.push_back(uint8_t((s >> 8) & 0xFF));
        frame.push_back(uint8_t((s >> 16) & 0xFF));
    }
    for (uint32_t i = 0; i < frames; ++i)
        std::fwrite(frame.data(), 1, frame.size(), f);
    std::fclose(f);
    return path;
}

// A fade applied through the fade mode reads back as the curve its handles show, whatever the
// track: a channel of a split stereo file with its pan (a plain document splits a stereo WAV),
// a mono file, and a stereo and a six-channel file in a multichannel document. A 24-bit step
// is 2^-23 of full scale.
TEST_F(ProgramGestureTest, AFadeReadsBackAsItsHandlesCurveOnEveryKindOfTrack)
{
    struct Case {
        const char* name;
        std::vector<double> value;
        bool split;
        int documentType;
    };
    const Case cases[] = {
        {"split stereo", {0.5, -0.25}, true, 0},
        {"mono", {0.5}, false, 0},
        {"stereo", {0.5, -0.25}, false, 1},
        {"six channels", {0.5, -0.25, 0.125, 0.3, -0.4, 0.2}, false, 1},
    };
    const uint32_t rate = 48000, frames = 4800;
    const int64_t from = 1200, to = 3600;
    for (UINT mode : {UINT(ID_FADE_IN_OUT_MODE), UINT(ID_ENVELOPE_MODE)})
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SCOPED_TRACE(mode);
        CNyMultiTrackView* view =
            Drop(WriteWav24(scratch_.File(std::string(c.name) + ".wav"), rate, frames, c.value), c.split, c.documentType);
        ASSERT_NE(view, nullptr);
        CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
        ASSERT_EQ(c.split ? 2 : 1, doc->GetTrackCount());
        if (c.split) {
            float pan = 0;
            doc->GetTrack(0)->GetPan(&pan);
            EXPECT_EQ(-1.0f, pan) << "the left channel's track is panned left";
        }
        CSelectionModel* selection = doc->GetSelection();
        selection->SetTrackSelected(-1, FALSE);
        ASSERT_EQ(S_OK, selection->SetTrackSelected(0, TRUE));
        selection->SetSelection(from, to, TRUE);
        Command(view, mode);
        ASSERT_NE(0, view->GetEditMode());
        if (mode == ID_FADE_IN_OUT_MODE) {
            Command(view, ID_HANDLE_FADE_OUT);
            Command(view, ID_HANDLE_LINEAR);
        } else {
            doc->GetHandleEditTrack(0)->SetHandles(2000, 0.3f); // a dip in the middle
        }
        const std::vector<HandlePoint> handles = doc->GetHandleEditTrack(0)->Handles();
        ASSERT_GE(handles.size(), 2u);
        Command(view, ID_HANDLE_EXECUTE);
        Pump();
        ASSERT_EQ(0, view->GetEditMode());
        EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_.front());
        IMtTrack* track = doc->GetTrack(0);
        WORD channels = 0;
        track->GetChannels(&channels);
        const size_t shown = c.split ? 1 : c.value.size();
        ASSERT_EQ(shown, channels);
        double worst = 0;
        int64_t worstAt = -1;
        for (WORD ch = 0; ch < channels; ++ch)
            for (int64_t p = 0; p < int64_t(frames); ++p) {
                // Sound outside the handles stays as it was; between two, the line joins them.
                double gain = 1.0;
                for (size_t h = 1; h < handles.size(); ++h) {
                    const HandlePoint& a = handles[h - 1];
                    const HandlePoint& b = handles[h];
                    if (p >= a.position && p <= b.position)
                        gain = a.gain + (b.gain - a.gain) * double(p - a.position) / double(b.position - a.position);
                }
                LONG raw = 0;
                ASSERT_EQ(S_OK, track->ReadSample(ch, p, &raw));
                const double got = double(raw) / 2147483648.0;
                const double want = c.value[ch] * gain;
                if (std::fabs(got - want) > worst) {
                    worst = std::fabs(got - want);
                    worstAt = p;
                }
            }
        EXPECT_LE(worst, 1.0 / 8388608.0) << "at frame " << worstAt;
        doc->SetModifiedFlag(FALSE);
        frame_->MDIGetActive()->SendMessage(WM_CLOSE);
    }
}

// The shown value tip of the running program, or null.
ValueTipWnd* ShownValueTip()
{
    struct Found {
        ValueTipWnd* tip = nullptr;
    } found;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* tip = dynamic_cast<ValueTipWnd*>(CWnd::FromHandlePermanent(window));
            if (tip && ::IsWindowVisible(window))
                reinterpret_cast<Found*>(data)->tip = tip;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.tip;
}

// What the drag shows while the button is held, read from inside its own message loop.
struct DragLook {
    POINT press{}, to{};
    HWND area = nullptr;
    POINT probe{};       // a pixel on the level line right of the dragged point
    COLORREF before = 0; // that pixel before the drag
    int step = 0;
    COLORREF during = 0;
    std::string tipText;
    POINT tipAt{-1, -1};
    bool done = false;
};
DragLook* g_look = nullptr;

void CALLBACK WatchDrag(HWND, UINT, UINT_PTR timer, DWORD)
{
    DragLook& look = *g_look;
    if (::GetCapture() != look.area)
        return; // the press has not reached the pane yet
    if (look.step == 0) {
        kvtest::MouseMove(look.to);
        look.step = 1;
        return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (cursor.x != look.to.x || cursor.y != look.to.y)
        return;
    if (ValueTipWnd* tip = ShownValueTip()) {
        look.tipText = tip->GetText().GetString();
        RECT r{};
        ::GetWindowRect(tip->m_hWnd, &r);
        look.tipAt = {r.left, r.top};
    } else {
        return; // the move has not been handled yet
    }
    HDC dc = ::GetDC(look.area);
    look.during = ::GetPixel(dc, look.probe.x, look.probe.y);
    ::ReleaseDC(look.area, dc);
    ::KillTimer(nullptr, timer);
    kvtest::MouseUp(look.to);
    look.done = true;
}

// A volume envelope dragged with the mouse in the running program: while the button is held
// the line follows the pointer, drawn inverted over the waveform, and the tip shows the value
// in percent; on release the point stays as one "Envelope" step.
TEST_F(ProgramGestureTest, AnEnvelopeDragShowsItsLineAndValueTipWhileTheButtonIsHeld)
{
    CNyMultiTrackView* view = Drop(WriteWav24(scratch_.File("tone.wav"), 8000, 16000, {0.25}), false);
    ASSERT_NE(view, nullptr);
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    if (!doc->GetViewOption(ID_VIEW_VOLUME_ENVELOPES))
        Command(view, ID_VIEW_VOLUME_ENVELOPES);
    Pump();
    ASSERT_TRUE(doc->GetViewOption(ID_VIEW_VOLUME_ENVELOPES));
    frame_->ShowWindow(SW_MAXIMIZE);
    frame_->MDIGetActive()->ShowWindow(SW_MAXIMIZE);
    // The tool panes of the first start closed, as a user puts them away to reach the track.
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM frame) -> BOOL {
            if (window != HWND(frame) && ::GetWindow(window, GW_OWNER) == HWND(frame) && ::IsWindowVisible(window))
                ::ShowWindow(window, SW_HIDE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(frame_->m_hWnd));
    ::SetForegroundWindow(frame_->m_hWnd);
    HWND area = ::GetDlgItem(view->m_hWnd, kChildTrackArea);
    ::UpdateWindow(area);
    Pump();
    const RECT wave = view->GetTrackWaveRect(0);
    const int h = wave.bottom - wave.top;
    const int lineY = wave.bottom - int(h * 0.6666667); // unity gain
    const int toY = wave.top + 2 + (wave.bottom - wave.top - 4) / 4;
    // After the only point the line runs level at its value to the right edge.
    const int percent = (wave.bottom - 2 - toY) * 150 / (wave.bottom - wave.top - 4);
    const int probeY = wave.bottom - int(h * (percent * 0.01f) * 0.6666667);
    // Where the panes of the first start leave the track in sight, as a user picks a place.
    auto inSight = [&](int x, int y) { return ::WindowFromPoint(kvtest::ScreenPoint(area, x, y)) == area; };
    int x = wave.left + 10;
    while (x + 80 < wave.right && !(inSight(x, lineY) && inSight(x + 20, toY) && inSight(x + 80, probeY)))
        x += 10;
    ASSERT_LT(x + 80, wave.right) << "the track is hidden";
    const int toX = x + 20;

    DragLook look;
    look.area = area;
    look.press = kvtest::ScreenPoint(area, x, lineY);
    look.to = kvtest::ScreenPoint(area, toX, toY);
    look.probe = {toX + 60, probeY};
    HDC dc = ::GetDC(area);
    look.before = ::GetPixel(dc, look.probe.x, look.probe.y);
    ::ReleaseDC(area, dc);
    g_look = &look;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, WatchDrag);
    kvtest::MouseDown(look.press);
    for (DWORD start = GetTickCount(); !look.done && GetTickCount() - start < 5000;) {
        Pump();
        Sleep(5);
    }
    ::KillTimer(nullptr, timer);
    Pump();
    g_look = nullptr;
    ASSERT_TRUE(look.done) << "the drag never took the mouse, or the move never showed";

    EXPECT_EQ(look.during, look.before ^ 0xFFFFFF) << "the line drawn inverted at the new value";
    EXPECT_EQ(std::to_string(percent), look.tipText);
    const POINT tipAt = kvtest::ScreenPoint(area, wave.left - 50, wave.top + 2);
    EXPECT_EQ(tipAt.x, look.tipAt.x);
    EXPECT_EQ(tipAt.y, look.tipAt.y);
    EXPECT_EQ(nullptr, ShownValueTip()) << "the tip goes with the release";

    CEnvelopeEditor editor;
    editor.Load(view, 0, 0, 0, 16000);
    ASSERT_EQ(1u, editor.Points().size());
    EXPECT_EQ(view->XToSample(toX), editor.Points()[0].position);
    EXPECT_FLOAT_EQ(percent * 0.01f, editor.Points()[0].value);
    EXPECT_EQ(std::vector<std::string>{"Envelope"}, kvtest::UndoNames(doc->GetHistory()));
    doc->SetModifiedFlag(FALSE);
    frame_->MDIGetActive()->SendMessage(WM_CLOSE);
}

} // namespace
