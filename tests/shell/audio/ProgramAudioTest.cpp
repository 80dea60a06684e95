// The whole program with the real engine playing to (and recording from) the sound server's
// null sink, driven as a user drives it: keys into the multitrack view, which reach the
// controller through the program's hosts.
#include "AudioRig.h"
#include "RawClip.h"
#include "RealInput.h"
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "KsMultiTrackLoader.h"
#include "LabelRecord.h"
#include "MainFrame.h"
#include "MixerView.h"
#include "TrackStrip.h"
#include "CommandIds.h"
#include "MainFrameIds.h"
#include "MarkerListDlg.h"
#include "PanesIds.h"
#include "filedialogs/DialogScript.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "NyControlView.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "HistorySteps.h"
#include "InProcessProgram.h"
#include "TestSupport.h"
#include "ViewIds.h"
#include "AppIds.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int64_t kRate = 48000;

std::vector<int16_t> Tone(int64_t frames, int channels)
{
    std::vector<int16_t> out(size_t(frames * channels));
    for (int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            out[size_t(f * channels + c)] = int16_t((f / 20) % 2 ? 8000 : -8000);
    return out;
}

class ProgramAudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig::Capture::Get().WaitRunning(8000)) << "no capture of the sound server";
        SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", int(kRate));
        SetSettingInt(kSettingsSection, "DefaultDataChannels", 2);
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
            boxes_.push_back(text);
            return IDOK;
        });
        ASSERT_TRUE(app_.InitInstance()) << (boxes_.empty() ? "" : boxes_.front());
        frame_ = dynamic_cast<CMainFrame*>(app_.m_pMainWnd);
        ASSERT_NE(frame_, nullptr);
        controller_ = frame_->GetControllerPane();
        ASSERT_NE(controller_, nullptr);
        frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
        CMDIChildWnd* child = frame_->MDIGetActive();
        ASSERT_NE(child, nullptr);
        view_ = dynamic_cast<CNyMultiTrackView*>(child->GetActiveView());
        ASSERT_NE(view_, nullptr);
        doc_ = view_->GetMultiTrackDoc();
        view_->SetFocus();
        ASSERT_EQ(controller_->GetActiveView(), view_->GetPaneLink());
    }
    void TearDown() override
    {
        if (controller_ && (controller_->IsPlaying() || controller_->IsRecording()))
            Key(VK_SPACE);
        // A fault in the close is passed over by the system and leaves freed memory in use for
        // the next test's program.
        kvtest::AccessFaultCounter faults;
        if (app_.m_pMainWnd) {
            if (doc_)
                doc_->SetModifiedFlag(FALSE);
            app_.m_pMainWnd->SendMessage(WM_CLOSE);
        }
        EXPECT_EQ(app_.m_pMainWnd, nullptr) << "the program did not close";
        EXPECT_EQ(faults.Seen(), 0) << "access faults while the program closed";
        MSG quit;
        while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        AfxSetMessageBoxHook(nullptr);
    }

    // The program's loop for ms milliseconds: accelerators and the panes' keys first. With 0,
    // until what was posted has been handled: under load the play and meter timers take as
    // long as their period, and waiting for them to leave the queue empty takes seconds.
    void Run(DWORD ms)
    {
        const DWORD until = ::GetTickCount() + ms;
        do {
            MSG msg;
            // A timer that fires again while its tick is handled keeps the queue full.
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                if (ms == 0 && (msg.message == WM_TIMER || msg.message == WM_PAINT))
                    return;
                if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                    break;
                if (msg.message == WM_QUIT)
                    continue;
                if (msg.message == WM_TIMER && msg.hwnd == controller_->m_hWnd && msg.wParam == 1)
                    ++windTicks_;
                if (msg.message == kMsgPlayEnd && msg.hwnd == controller_->m_hWnd)
                    ++ends_;
                if (msg.message == WM_TIMER && msg.hwnd == view_->m_hWnd && msg.wParam == kPlayTimerId)
                    ++playTicks_;
                if (!app_.PreTranslateMessage(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
                if (ms && ::GetTickCount() >= until)
                    break;
            }
            if (ms == 0)
                return;
            ::Sleep(5);
        } while (::GetTickCount() < until);
    }
    // A key pressed and let go in the view, with Shift and Ctrl as given.
    void Key(UINT key, bool shift = false, bool ctrl = false)
    {
        BYTE keys[256] = {};
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        ::SetKeyboardState(keys);
        const UINT scan = ::MapVirtualKeyA(key, 0);
        ::PostMessageA(view_->m_hWnd, WM_KEYDOWN, key, MAKELPARAM(1, scan));
        ::PostMessageA(view_->m_hWnd, WM_KEYUP, key, MAKELPARAM(1, scan | 0xC000));
        Run(0);
        BYTE none[256] = {};
        ::SetKeyboardState(none);
    }
    // A character key of the view's one-key shortcuts.
    void Char(char ch)
    {
        ::PostMessageA(view_->m_hWnd, WM_CHAR, static_cast<WPARAM>(ch), 1);
        Run(0);
    }
    int64_t Position()
    {
        int64_t position = -1;
        EXPECT_EQ(S_OK, controller_->GetPlayPosition(&position));
        return position;
    }
    // A track of tone frames placed at start: the first (empty) track, then new ones.
    void AddTrack(int64_t frames, WORD channels, int64_t start) { AddTrack(Tone(frames, channels), channels, start); }
    void AddTrack(const std::vector<int16_t>& tone, WORD channels, int64_t start)
    {
        const std::string path = scratch_.File("t" + std::to_string(files_++) + ".raw");
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(tone.data(), 2, tone.size(), f);
        std::fclose(f);
        ComRef<IMtClip> clip;
        ASSERT_EQ(S_OK, MakeRawClip(path, channels, 16, doc_->GetSamplesPerSec(), clip));
        ComRef<IMtTrack> track;
        if (files_ > 1) {
            ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, channels, track.Out(), -1));
        } else {
            *track.Out() = doc_->GetTrack(0);
            track->AddRef();
            track->SetChannels(channels);
        }
        ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), start, 0, 0));
        view_->UpdateScrollBars();
        doc_->GetSelection()->SetRowRange(0, -1);
    }
    std::vector<std::string> UndoNames() { return kvtest::UndoNames(doc_->GetHistory()); }
    // Space from a caret at 0; the capture's frame count when it was pressed.
    LONGLONG PlayFromStart()
    {
        doc_->GetSelection()->SetSelection(0, 0, TRUE);
        const LONGLONG mark = rig::Capture::Get().Now();
        Key(VK_SPACE);
        return mark;
    }

    SettingsTestRoot root_;
    kvtest::ScratchFolder scratch_;
    int files_ = 0;
    int windTicks_ = 0;
    int ends_ = 0; // end messages the engine posted to the controller
    int playTicks_ = 0;
    CNyApp app_;
    CMainFrame* frame_ = nullptr;
    CNyControlView* controller_ = nullptr;
    CNyMultiTrackView* view_ = nullptr;
    CNyMultiTrackDoc* doc_ = nullptr;
    std::vector<std::string> boxes_;
};

TEST_F(ProgramAudioTest, SpacePlaysShiftSpacePausesAndTheShuttleRewindsASecondEvery100Ms)
{
    AddTrack(60 * kRate, 2, 0);
    doc_->GetSelection()->SetSelection(6 * kRate, 6 * kRate, TRUE);

    Key(VK_SPACE);
    ASSERT_TRUE(controller_->IsPlaying()) << (boxes_.empty() ? "" : boxes_.front());
    EXPECT_TRUE(frame_->IsEngineRunning());
    Run(500);
    const int64_t first = Position();
    Run(300);
    const int64_t second = Position();
    EXPECT_GE(first, 6 * kRate);
    EXPECT_GT(second, first + kRate / 10);
    // The play timer moves the view's play position and the controller's counter with it.
    EXPECT_GT(view_->GetPlayPosition(), 6 * kRate);
    EXPECT_GT(controller_->GetCounterPosition(), 6 * kRate);

    Key(VK_SPACE, true); // Shift+Space pauses
    EXPECT_TRUE(controller_->IsPaused());
    Run(150);
    const int64_t held = Position();
    Run(300);
    EXPECT_LT(std::llabs(Position() - held), kRate / 20);
    Key(VK_SPACE, true); // and resumes
    EXPECT_FALSE(controller_->IsPaused());
    Run(300);
    EXPECT_GT(Position(), held + kRate / 10);

    // J while playing winds back a second every 100 ms until J again. Playback from a caret
    // keeps to the range from there on: play from 0 and move to 6 s.
    Key(VK_SPACE);
    EXPECT_FALSE(controller_->IsPlaying());
    doc_->GetSelection()->SetSelection(0, 0, TRUE);
    Key(VK_SPACE);
    ASSERT_TRUE(controller_->IsPlaying());
    ASSERT_EQ(S_OK, controller_->SetPlayPosition(50 * kRate));
    Run(400);
    // Each tick of the wind timer steps back one second from where the sound has got to.
    // Under load the ticks come later, never sooner, and the sound's clock drifts from
    // the wall clock by what the output lost: count the ticks and allow that drift.
    const int64_t before = Position();
    ASSERT_GT(before, 50 * kRate);
    const DWORD pressed = ::GetTickCount();
    windTicks_ = 0;
    Char('j');
    EXPECT_TRUE(controller_->IsWindTimerRunning());
    Run(650);
    Char('j');
    const DWORD heldMs = ::GetTickCount() - pressed;
    const int ticks = windTicks_;
    EXPECT_FALSE(controller_->IsWindTimerRunning());
    Run(300);
    const int64_t after = Position();
    const DWORD elapsedMs = ::GetTickCount() - pressed;
    const double back = double(before + int64_t(elapsedMs) * kRate / 1000 - after) / double(kRate);
    EXPECT_GE(ticks, 3) << heldMs << " ms held";
    EXPECT_LE(ticks, heldMs / 100.0 + 1) << heldMs << " ms held";
    EXPECT_NEAR(back, ticks, 0.5) << heldMs << " ms held";

    Key(VK_SPACE); // Space stops
    EXPECT_FALSE(controller_->IsPlaying());
    EXPECT_FALSE(frame_->IsEngineRunning());
    EXPECT_LT(view_->GetPlayPosition(), 0) << "the play cursor is gone";
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// M at a caret adds a cue there and opens its name editor; M while playing adds the cue where
// the sound has got to, without the editor (typing would steer the transport).
TEST_F(ProgramAudioTest, MAddsACueAtTheCaretWithItsNameEditorAndWhilePlayingAtThePlayPosition)
{
    AddTrack(20 * kRate, 2, 0);
    const auto lastLabel = [&] {
        LabelRecord record{}, last{};
        for (int i = 0; doc_->GetLabelAt(i, &record); ++i)
            last = record;
        return last;
    };
    doc_->GetSelection()->SetSelection(kRate, kRate, TRUE);
    Char('m');
    EXPECT_EQ(lastLabel().start, kRate);
    int control = 0;
    EXPECT_TRUE(app_.IsInPlaceEditActive(&control)) << "the name editor opens on the new cue";
    CWnd* edit = app_.GetInPlaceEdit();
    ASSERT_NE(edit, nullptr);
    char text[64] = {};
    ::GetWindowTextA(edit->m_hWnd, text, sizeof text);
    EXPECT_STREQ(text, lastLabel().name);
    app_.EndInPlaceEdit();
    view_->SetFocus();

    doc_->GetSelection()->SetSelection(2 * kRate, 2 * kRate, TRUE);
    Key(VK_SPACE);
    ASSERT_TRUE(controller_->IsPlaying());
    for (int i = 0; i < 3; ++i) {
        Run(400);
        const int64_t before = Position();
        Char('m');
        const int64_t after = Position();
        const LabelRecord cue = lastLabel();
        EXPECT_EQ(cue.start, cue.end) << "a cue, not a section";
        EXPECT_GE(cue.start, before - kRate * 30 / 1000) << "cue " << i;
        EXPECT_LE(cue.start, after + kRate * 30 / 1000) << "cue " << i;
        EXPECT_FALSE(app_.IsInPlaceEditActive(nullptr)) << "no editor while playing";
    }
    EXPECT_EQ(UndoNames().size(), 4u) << "one step per cue";
    Key(VK_SPACE);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// The pieces of a heard ramp, for a failure's message.
std::string Describe(const std::vector<rig::RampPiece>& pieces)
{
    std::string text;
    for (const rig::RampPiece& p : pieces)
        text += " [at " + std::to_string(p.captureStart) + ": " + std::to_string(p.frames) + " frames, " +
                std::to_string(int64_t(p.firstPosition)) + ".." + std::to_string(int64_t(p.lastPosition)) + "]";
    return text;
}

// Under load the sound server's own output now and then runs dry while the engine's output
// still holds sound ahead: the capture falls silent for tens of milliseconds and the stream
// goes on a little past where it stopped (the server skips less than it was silent). Such a
// piece joins the one before it and its skip is counted apart; a stream that lost sound
// the engine wrote shows a jump without such a silence, or an end cut short.
std::vector<rig::RampPiece> JoinServerStalls(const std::vector<rig::RampPiece>& pieces, int64_t* skipped)
{
    std::vector<rig::RampPiece> joined;
    *skipped = 0;
    for (const rig::RampPiece& p : pieces) {
        if (!joined.empty()) {
            rig::RampPiece& q = joined.back();
            const double silent = double(p.captureStart - q.captureEnd);
            const double skip = p.firstPosition - q.lastPosition - 1.0;
            if (silent >= kRate * 0.005 && skip >= -1.5 && skip <= std::min(silent, kRate * 0.015)) {
                q.lastPosition = p.lastPosition;
                q.frames += p.frames;
                q.captureEnd = p.captureEnd;
                *skipped += int64_t(std::max(0.0, skip));
                continue;
            }
        }
        joined.push_back(p);
    }
    return joined;
}

// A ramp naming its own position, in both channels.
std::vector<int16_t> StereoRamp(int64_t frames)
{
    const std::vector<int16_t> ramp = rig::PositionRamp(frames);
    std::vector<int16_t> stereo(size_t(frames) * 2);
    for (size_t i = 0; i < ramp.size(); ++i)
        stereo[2 * i] = stereo[2 * i + 1] = ramp[i];
    return stereo;
}

// Played from the program with Space, a one-second document is heard to its last sample every
// time, and the transport ends by itself after it, told once.
TEST_F(ProgramAudioTest, AOneSecondDocumentIsHeardWholeInTwentyRunsOfTwenty)
{
    const int64_t length = kRate;
    AddTrack(StereoRamp(length), 2, 0);
    rig::Capture& capture = rig::Capture::Get();
    int whole = 0;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ends_ = 0;
        const DWORD pressed = ::GetTickCount();
        const LONGLONG mark = PlayFromStart();
        ASSERT_TRUE(controller_->IsPlaying());
        LONG underruns = 0, bufferMs = 0;
        while (controller_->IsPlaying() && ::GetTickCount() - pressed < 4000) {
            controller_->QueryPlayStatus(&underruns, &bufferMs);
            Run(10);
        }
        ASSERT_FALSE(controller_->IsPlaying()) << "no end within 4 s";
        EXPECT_GE(::GetTickCount() - pressed, 1000u) << "ended before the sound could have";
        EXPECT_EQ(underruns, 0) << "the engine's output ran dry";
        const LONGLONG until = capture.Now() + kRate * 4 / 10;
        ASSERT_TRUE(capture.WaitFor(until, 3400));
        Run(50);
        EXPECT_EQ(ends_, 1) << "end messages";
        const auto raw = rig::RampPieces(capture.Take(mark, until), 0, length);
        int64_t skipped = 0;
        const auto pieces = JoinServerStalls(raw, &skipped);
        ASSERT_EQ(pieces.size(), 1u) << Describe(raw);
        // The stream's start loses what the rig loses (less or more, under load); from
        // there every frame is heard, to the last.
        const rig::RampPiece& heard = pieces[0];
        const bool last = std::fabs(heard.lastPosition - double(length - 1)) <= kRate * 0.005;
        const bool first = heard.firstPosition <= double(rig::kStartLoss) + kRate * 0.015;
        const bool frames =
            std::fabs(double(heard.frames + skipped) - (heard.lastPosition - heard.firstPosition + 1)) <= kRate * 0.005;
        EXPECT_TRUE(last) << "heard to " << heard.lastPosition;
        EXPECT_TRUE(first) << "heard from " << heard.firstPosition;
        EXPECT_TRUE(frames) << Describe(raw);
        whole += last && first && frames;
    }
    EXPECT_EQ(whole, 20);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// Paused with Shift+Space, the controller's counter shows at once where the sound stopped,
// never ahead of it, and the play timer's next tick leaves it there. The sound server plays on
// until the pause reaches it: the null sink hands its monitor whole render blocks of about 45 ms
// ahead of its clock, and under load the pause lands there later still, so the sound may go on
// past the counter by a block or two.
TEST_F(ProgramAudioTest, TheCounterAtPauseIsWhereTheSoundStopped)
{
    const int64_t length = 20 * kRate;
    AddTrack(StereoRamp(length), 2, 0);
    rig::Capture& capture = rig::Capture::Get();
    for (int run = 0; run < 7; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const LONGLONG mark = PlayFromStart();
        ASSERT_TRUE(controller_->IsPlaying());
        Run(1200 + 300 * run);
        Key(VK_SPACE, true);
        ASSERT_TRUE(controller_->IsPaused());
        const int64_t counter = controller_->GetCounterPosition();
        const int ticks = playTicks_;
        for (const DWORD paused = ::GetTickCount(); playTicks_ == ticks && ::GetTickCount() - paused < 2000;)
            Run(10);
        ASSERT_GT(playTicks_, ticks) << "no tick of the play timer";
        EXPECT_EQ(controller_->GetCounterPosition(), counter) << "the tick moved the paused counter";
        const LONGLONG until = capture.Now() + kRate * 6 / 10;
        ASSERT_TRUE(capture.WaitFor(until, 3400));
        Key(VK_SPACE);
        const auto pieces = rig::RampPieces(capture.Take(mark, until), 0, length);
        ASSERT_FALSE(pieces.empty());
        const double ahead = (double(counter) - pieces.back().lastPosition) * 1000.0 / kRate;
        EXPECT_LE(ahead, 20.0) << "the counter ran ahead of the sound";
        EXPECT_GE(ahead, -100.0) << "the sound went on past the counter";
    }
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// Edit Markers opened from the shown marker list: its Preview button plays the section round
// and round at the level of the track, until the button (now "Sto&p") is clicked again.
TEST_F(ProgramAudioTest, EditMarkersPreviewPlaysTheSectionRoundUntilStopped)
{
    const int64_t length = 4 * kRate;
    AddTrack(StereoRamp(length), 2, 0);
    LabelRecord section{};
    section.kind = kLabelSection;
    section.trackId = -1;
    section.start = kRate;
    section.end = kRate + kRate / 2;
    std::strcpy(section.name, "chorus");
    ASSERT_GT(doc_->AddLabel(section), 0);
    frame_->SendMessage(WM_COMMAND, ID_VIEW_MARKER_LIST, 0);
    CMarkerListDlg* markers = frame_->GetMarkerListPane();
    ASSERT_NE(markers, nullptr);
    ASSERT_EQ(markers->GetRowCount(), 1);
    LVITEMA item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendDlgItemMessageA(markers->m_hWnd, IDC_MARKER_LIST, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    HWND edit = ::GetDlgItem(markers->m_hWnd, IDC_MARKER_EDIT);
    ASSERT_TRUE(::IsWindowEnabled(edit));

    rig::Capture& capture = rig::Capture::Get();
    LONGLONG started = -1, stopped = -1;
    std::string playingCaption, stoppedCaption;
    DWORD clicked = 0;
    int step = 0;
    kvtest::TimerScript script([&] {
        HWND dialog = ::FindWindowA(nullptr, "Edit Markers");
        if (!dialog || !::IsWindowVisible(dialog))
            return false;
        // Preview clicked: when, and the caption the button then shows.
        const auto clickPreview = [&](LONGLONG* mark, std::string* caption) {
            HWND preview = ::GetDlgItem(dialog, IDC_EDITMARK_PREVIEW);
            *mark = capture.Now();
            ::SendMessageA(preview, BM_CLICK, 0, 0);
            char text[32] = {};
            ::GetWindowTextA(preview, text, sizeof text);
            *caption = text;
            clicked = ::GetTickCount();
            ++step;
        };
        if (step == 0)
            clickPreview(&started, &playingCaption);
        else if (step == 1 && ::GetTickCount() - clicked >= 1400)
            clickPreview(&stopped, &stoppedCaption);
        else if (step == 2 && ::GetTickCount() - clicked >= 100) {
            ::SendMessageA(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
            return true;
        }
        return false;
    });
    ::SendMessageA(edit, BM_CLICK, 0, 0);
    ASSERT_EQ(step, 2) << "the dialog did not come up, or closed early";
    EXPECT_EQ(playingCaption, "Sto&p");
    EXPECT_EQ(stoppedCaption, "&Preview");

    const LONGLONG until = stopped + kRate * 6 / 10;
    ASSERT_TRUE(capture.WaitFor(until, 3400));
    const std::vector<int16_t> heard = capture.Take(started, until);
    const auto pieces = rig::RampPieces(heard, 0, length);
    // 1.4 s of a 0.5-s section: once from its start (less the stream's start loss), whole
    // rounds after it, each at the ramp's own values, so at the track's level.
    ASSERT_GE(pieces.size(), 3u);
    EXPECT_LE(pieces[0].firstPosition, double(section.start + rig::kStartLoss) + kRate * 0.015);
    for (size_t i = 0; i < pieces.size(); ++i) {
        SCOPED_TRACE("round " + std::to_string(i));
        EXPECT_GE(pieces[i].firstPosition, section.start - kRate * 0.002);
        EXPECT_LE(pieces[i].lastPosition, section.end + kRate * 0.002);
        if (i + 1 < pieces.size()) {
            EXPECT_NEAR(pieces[i].lastPosition, double(section.end - 1), kRate * 0.005);
        }
        if (i > 0 && i + 1 < pieces.size()) {
            EXPECT_NEAR(pieces[i].firstPosition, double(section.start), kRate * 0.005);
            EXPECT_NEAR(double(pieces[i].frames), double(section.end - section.start), kRate * 0.005);
        }
    }
    // Stopped, nothing more is heard once the output's delay has passed.
    const size_t quiet = size_t(stopped - started + kRate * 25 / 100) * 2;
    ASSERT_LT(quiet, heard.size());
    EXPECT_EQ(rig::SoundingFrames(std::vector<int16_t>(heard.begin() + quiet, heard.end()), 0, 0.02), 0);
    EXPECT_EQ(UndoNames().size(), 0u) << "the preview changes nothing";
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// The pointer moved and pressed as the user's mouse does, at a point of a window's client.
void MouseAt(HWND window, CPoint client, DWORD buttons)
{
    ::ClientToScreen(window, &client);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = client.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = client.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    ::SendInput(1, &input, sizeof input);
}

// A tone that names its own place in the document: the left channel at hz, the right at
// hz + kMarkHz, so that the phase between them turns once every 1 / kMarkHz seconds. On a loaded
// machine the sound server's stream runs dry now and then (the program or the output held up
// for up to 700 ms) and the sound goes on later where it stopped: what is heard is read at the
// place it names, not where the first sound and the clock would put it.
constexpr double kMarkHz = 0.125;
constexpr double kPi = 3.14159265358979323846;
constexpr size_t kMarkBlock = kRate / 40; // 25 ms: whole turns of a 440-Hz tone

std::vector<int16_t> MarkedTone(double hz, double amplitude, int64_t frames)
{
    std::vector<int16_t> out(size_t(frames * 2));
    for (int64_t i = 0; i < frames; ++i) {
        const double t = double(i) / double(kRate);
        out[size_t(i * 2)] = int16_t(std::lround(amplitude * 32767.0 * std::sin(2 * kPi * hz * t)));
        out[size_t(i * 2 + 1)] = int16_t(std::lround(amplitude * 32767.0 * std::sin(2 * kPi * (hz + kMarkHz) * t)));
    }
    return out;
}

// The component at hz of channel ch of frames [from, from + count), its phase taken at `from`.
std::complex<double> Component(const std::vector<int16_t>& stereo, int ch, double hz, size_t from, size_t count)
{
    const std::complex<double> step = std::polar(1.0, -2 * kPi * hz / double(kRate));
    std::complex<double> turn = 1.0, sum = 0.0;
    for (size_t i = 0; i < count; ++i) {
        sum += double(stereo[(from + i) * 2 + size_t(ch)]) / 32768.0 * turn;
        turn *= step;
    }
    return sum * 2.0 / double(count);
}

// The document frame a marked tone's heard block began at.
double MarkedPosition(const std::vector<int16_t>& stereo, double hz, size_t from)
{
    const std::complex<double> left = Component(stereo, 0, hz, from, kMarkBlock);
    const std::complex<double> right = Component(stereo, 1, hz, from, kMarkBlock);
    double turn = std::arg(right / left);
    if (turn < 0)
        turn += 2 * kPi;
    return turn / (2 * kPi * kMarkHz) * double(kRate) - double(kMarkBlock - 1) / 2;
}

// The heard frame where a window of `count` frames of a marked tone begins that was heard
// whole (its 25-ms blocks follow one another frame for frame, at one level) and whose
// document position lies in [lowest, highest], the one nearest `wanted`; -1 if there is none.
// A jump of a few frames between blocks already turns the tone's phase enough to lower what
// the whole window measures; the blocks name their places to well within a frame.
LONGLONG FindWholeWindow(const std::vector<int16_t>& stereo, double hz, size_t count, double lowest, double highest,
                         double wanted, double* position)
{
    const size_t frames = stereo.size() / 2, blocks = count / kMarkBlock;
    LONGLONG best = -1;
    for (size_t from = 0; from + count <= frames; from += kMarkBlock / 4) {
        const double first = MarkedPosition(stereo, hz, from);
        if (first < lowest || first > highest ||
            (best >= 0 && std::fabs(first - wanted) >= std::fabs(*position - wanted)))
            continue;
        const double level = std::abs(Component(stereo, 0, hz, from, kMarkBlock));
        bool whole = level > 0.02;
        for (size_t b = 1; whole && b < blocks; ++b) {
            const size_t at = from + b * kMarkBlock;
            whole = std::fabs(MarkedPosition(stereo, hz, at) - first - double(b * kMarkBlock)) <= 2.0 &&
                    std::fabs(std::abs(Component(stereo, 0, hz, at, kMarkBlock)) / level - 1) < 0.02;
        }
        if (whole) {
            best = LONGLONG(from);
            *position = first;
        }
    }
    return best;
}

// Write Automation on: the track strip's fader dragged down while playing writes its moves
// where the sound had got to; played again with Read Automation on, the fader and what is
// heard follow them.
TEST_F(ProgramAudioTest, AFaderMovedWhileWritingAutomationReplaysAsMoved)
{
    const double hz = 440.0;
    AddTrack(MarkedTone(hz, 0.5, 6 * kRate), 2, 0);
    // The switches through the commands the menu sends: Write off, then on again.
    view_->SendMessage(WM_COMMAND, ID_TRANSPORT_WRITE_AUTOMATION, 0);
    EXPECT_FALSE(CNyControlView::IsWriteAutomation());
    EXPECT_FALSE(doc_->GetTrackFlag(0, kMtFlagWriteEnvelopes));
    view_->SendMessage(WM_COMMAND, ID_TRANSPORT_WRITE_AUTOMATION, 0);
    ASSERT_TRUE(CNyControlView::IsWriteAutomation());
    ASSERT_TRUE(doc_->GetTrackFlag(0, kMtFlagWriteEnvelopes));
    ASSERT_TRUE(CNyControlView::IsReadAutomation()) << "on from the first start";
    CMixerView* mixer = frame_->GetMixerPane();
    ASSERT_NE(mixer, nullptr);
    ASSERT_TRUE(mixer->IsWindowVisible());
    CTrackStrip* strip = mixer->GetTrackStrip(0);
    ASSERT_NE(strip, nullptr);
    CSliderElement& fader = strip->Fader();
    RECT r;
    fader.GetRect(&r);
    const POINT centre = fader.KnobCentre();
    const CPoint knob(r.left + fader.OffsetX() + centre.x, r.top + fader.OffsetY() + 9 + centre.y);
    // The mixer may build its strips again at any time (the old ones are freed): the fader is
    // looked up afresh wherever it is read.
    const auto faderValue = [mixer] {
        CTrackStrip* current = mixer->GetTrackStrip(0);
        return current ? current->Fader().GetValue() : -1;
    };

    PlayFromStart();
    ASSERT_TRUE(controller_->IsPlaying());
    // A second into the sound, however long the server held it up.
    for (const DWORD started = ::GetTickCount(); Position() < kRate && ::GetTickCount() - started < 5000;)
        Run(30);
    MouseAt(mixer->m_hWnd, knob, 0);
    Run(30);
    const int64_t pressed = Position();
    MouseAt(mixer->m_hWnd, knob, MOUSEEVENTF_LEFTDOWN);
    Run(30);
    for (int dy = 6; dy <= 54; dy += 6) {
        MouseAt(mixer->m_hWnd, CPoint(knob.x, knob.y + dy), 0);
        Run(40);
    }
    const int64_t moved = Position();
    Run(600); // held still
    MouseAt(mixer->m_hWnd, CPoint(knob.x, knob.y + 54), MOUSEEVENTF_LEFTUP);
    Run(600);
    Key(VK_SPACE);
    ASSERT_FALSE(controller_->IsPlaying());
    const double level = faderValue() / 10000.0;
    ASSERT_LT(level, 0.8) << "the drag did not reach the fader";
    ASSERT_GT(pressed, kRate * 7 / 10);
    EXPECT_EQ(UndoNames(), std::vector<std::string>{"Envelope"}) << "one step for the gesture";
    // The engine's volume: as it was before the press, as moved after the last step.
    EXPECT_NEAR(doc_->GetTrackLevel(0, 0, pressed - kRate / 4), 1.0, 0.01);
    EXPECT_NEAR(doc_->GetTrackLevel(0, 0, moved + kRate / 4), level, 0.01);
    EXPECT_NEAR(doc_->GetTrackLevel(0, 0, 6 * kRate - 1), level, 0.01);

    // Played again from the start: the fader follows the written moves, and so does the sound.
    // What the stopped play left in the server is heard out first.
    rig::Capture& capture = rig::Capture::Get();
    for (const DWORD stopped = ::GetTickCount(); ::GetTickCount() - stopped < 3000;) {
        const LONGLONG now = capture.Now();
        ASSERT_TRUE(capture.WaitFor(now + kRate / 10, 2000));
        if (rig::SoundingFrames(capture.Take(now, now + kRate / 10), 0, 0.02) == 0)
            break;
    }
    const LONGLONG mark = PlayFromStart();
    ASSERT_TRUE(controller_->IsPlaying());
    // The fader follows the view's play position, both moved by the same tick of the play timer.
    int before = -1, after = -1;
    for (const DWORD started = ::GetTickCount(); ::GetTickCount() - started < 6000;) {
        Run(30);
        const int64_t at = view_->GetPlayPosition();
        if (at >= 0 && at < pressed - kRate / 4)
            before = faderValue();
        else if (at > moved + kRate / 4 && after < 0)
            after = faderValue();
        if (Position() > moved + kRate)
            break;
    }
    Key(VK_SPACE);
    EXPECT_EQ(before, 10000);
    EXPECT_NEAR(after, level * 10000, 100);
    // What was played before the stop reaches the capture a little later.
    const LONGLONG until = capture.Now() + kRate * 3 / 10;
    ASSERT_TRUE(capture.WaitFor(until, 2000));
    const std::vector<int16_t> heard = capture.Take(mark, until);
    const LONGLONG first = rig::FirstSound(heard, 0, 0.05);
    ASSERT_GE(first, 0) << "nothing heard";
    // 100 ms heard whole, well clear of the moves: before the press and after the last step,
    // each as near 0.6 s from them as the dropouts leave room for.
    const size_t window = size_t(kRate / 10);
    double loudAt = 0, softAt = 0;
    const LONGLONG loudFrom = FindWholeWindow(heard, hz, window, kRate / 10, double(pressed - kRate / 4 - kRate / 10),
                                              double(pressed - kRate * 6 / 10), &loudAt);
    const LONGLONG softFrom = FindWholeWindow(heard, hz, window, double(moved + kRate / 4), double(6 * kRate),
                                              double(moved + kRate * 6 / 10), &softAt);
    ASSERT_GE(loudFrom, 0) << "no 100 ms heard whole before the press";
    ASSERT_GE(softFrom, 0) << "no 100 ms heard whole after the moves";
    const double loud = rig::ToneAmplitude(heard, 0, hz, size_t(loudFrom), window);
    const double soft = rig::ToneAmplitude(heard, 0, hz, size_t(softFrom), window);
    ASSERT_GT(loud, 0.1);
    EXPECT_NEAR(soft / loud, level, 0.03) << loud << " at " << loudAt << ", then " << soft << " at " << softAt;
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// While four long stereo tracks play with the mixer shown, the program answers the user at
// once: a key (M, a cue at the play position) and a click (a strip's mute button), given through
// the system's input from another thread whenever it comes (inside a tick of the play or meter
// timer too), are handled within 100 ms.
TEST_F(ProgramAudioTest, WhileALongDocumentPlaysKeysAndClicksAreAnsweredWithin100Ms)
{
    for (int t = 0; t < 4; ++t)
        AddTrack(60 * kRate, 2, 0);
    CMixerView* mixer = frame_->GetMixerPane();
    ASSERT_NE(mixer, nullptr);
    ASSERT_TRUE(mixer->IsWindowVisible());
    CTrackStrip* strip = mixer->GetTrackStrip(0);
    ASSERT_NE(strip, nullptr);
    const POINT mute = kvtest::ScreenPoint(mixer->m_hWnd, strip->Part(CTrackStrip::kMute)->ScreenRect().CenterPoint().x,
                                           strip->Part(CTrackStrip::kMute)->ScreenRect().CenterPoint().y);
    PlayFromStart();
    ASSERT_TRUE(controller_->IsPlaying());
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    const auto now = [&] {
        LARGE_INTEGER t;
        ::QueryPerformanceCounter(&t);
        return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
    };
    const double playing = now();
    Run(1500); // well into the view's scrolling while the play cursor moves
    view_->SetFocus();
    const auto cues = [&] {
        int n = 0;
        LabelRecord record{};
        for (int i = 0; doc_->GetLabelAt(i, &record); ++i)
            n += (record.kind & 0xFF) == kLabelCue;
        return n;
    };
    // Even steps press M in the view, odd ones click the mute button; clicks lie further apart
    // than a double click. Each input is given whole in one call, and timed from when the call
    // returns, the input then in the program's queue: the call waits for the window server,
    // and on a busy machine that wait (up to 60 ms seen) is the test thread's, not the program's.
    constexpr int kSteps = 16;
    std::vector<double> given(kSteps), waited(kSteps);
    std::atomic<int> sent{0};
    std::atomic<bool> stop{false};
    std::thread user([&] {
        for (int i = 0; i < kSteps && !stop; ++i) {
            ::Sleep(DWORD(300 + 17 * (i % 4)));
            const double calling = now();
            if (i % 2 == 0)
                kvtest::PressKey('M');
            else
                kvtest::Click(mute);
            given[size_t(i)] = now();
            waited[size_t(i)] = given[size_t(i)] - calling;
            sent = i + 1;
        }
    });
    std::vector<double> answers;
    int cuesBefore = cues();
    BOOL mutedBefore = doc_->GetTrackFlag(0, kMtFlagMute);
    // An answer is looked for after every message, and with the queue empty too: the program
    // may have handled the input before the input call returned to the test thread.
    const auto lookForAnswer = [&] {
        const int step = int(answers.size());
        if (step >= kSteps || sent <= step)
            return;
        const bool key = step % 2 == 0;
        if (key ? cues() > cuesBefore : doc_->GetTrackFlag(0, kMtFlagMute) != mutedBefore) {
            answers.push_back(now() - given[size_t(step)]);
            cuesBefore = cues();
            mutedBefore = doc_->GetTrackFlag(0, kMtFlagMute);
            if (!key) // the mixer keeps the keyboard for its strips after a click
                view_->SetFocus();
        }
    };
    for (const double started = now(); int(answers.size()) < kSteps && now() - started < 20000.0;) {
        MSG msg;
        // A queue that never empties (timers due again before their work is done) still ends
        // the wait.
        while (int(answers.size()) < kSteps && now() - started < 20000.0 &&
               ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT && !app_.PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            lookForAnswer();
        }
        lookForAnswer();
        ::Sleep(1);
    }
    stop = true;
    user.join();
    ASSERT_EQ(int(answers.size()), kSteps) << "an input was never answered";
    ASSERT_TRUE(controller_->IsPlaying()) << "stopped " << int(now() - playing) << " ms after the start, at "
                                          << Position() << (boxes_.empty() ? "" : ": " + boxes_.front());
    std::string all, calls;
    for (size_t i = 0; i < answers.size(); ++i) {
        all += std::to_string(int(answers[i])) + " ";
        calls += std::to_string(int(waited[i])) + " ";
    }
    EXPECT_LE(*std::max_element(answers.begin(), answers.end()), 100.0)
        << "answered after (ms): " << all << "; the input calls took (ms): " << calls;
    EXPECT_EQ(cues(), kSteps / 2);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

TEST_F(ProgramAudioTest, CtrlSpaceRecordsAndStopsAsOneRecordStepHoldingTheTake)
{
    Key(VK_SPACE, false, true); // armed
    ASSERT_TRUE(controller_->IsRecording()) << (boxes_.empty() ? "" : boxes_.front());
    EXPECT_TRUE(controller_->IsPaused());
    Key(VK_SPACE, false, true); // released
    EXPECT_FALSE(controller_->IsPaused());
    {
        rig::Feeder feeder(rig::Tone(440.0, 0.3, kRate * 3, 2));
        Run(2500);
    }
    Key(VK_SPACE, false, true); // stopped
    EXPECT_FALSE(controller_->IsRecording());
    EXPECT_EQ(std::vector<std::string>{"Record"}, UndoNames());
    int64_t recorded = 0;
    for (int i = 0; i < doc_->GetTrackCount(); ++i)
        recorded = std::max(recorded, doc_->GetTrackExtent(i, 0));
    EXPECT_GT(recorded, kRate / 2);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

TEST_F(ProgramAudioTest, NextMarkerStopsAtTheStartOfATrackThatBeginsAtOneSecond)
{
    AddTrack(3 * kRate, 2, kRate);
    doc_->GetSelection()->SetSelection(0, 0, TRUE);
    view_->SendMessage(WM_COMMAND, MAKEWPARAM(kCmdNextMarker, 0), 0);
    int64_t s = -1, e = -1;
    doc_->GetSelection()->GetSelection(&s, &e);
    EXPECT_EQ(s, kRate);
    EXPECT_EQ(e, kRate);
    view_->SendMessage(WM_COMMAND, MAKEWPARAM(kCmdNextMarker, 0), 0);
    doc_->GetSelection()->GetSelection(&s, &e);
    EXPECT_EQ(e, 4 * kRate) << "then at its end";
}

// A recording killed after 5 s: its takes come back at the next start, as one "Record" step of
// the document it was recorded into, holding every frame the killed program had written.
constexpr const char* kRecordKillVariable = "KV_RECORD_KILL_CHILD";

std::vector<std::string> FilesIn(const std::string& folder, const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(folder + found.cFileName);
    while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return names;
}

// Run only as the child of the test below: records the sink's tone until killed.
TEST_F(ProgramAudioTest, DISABLED_RecordsUntilKilled)
{
    char name[256] = {};
    ASSERT_GT(::GetEnvironmentVariableA(kRecordKillVariable, name, sizeof name), 0u) << "started only by the kill test";
    HANDLE midway = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    ASSERT_NE(midway, nullptr);
    Key(VK_SPACE, false, true); // armed
    Key(VK_SPACE, false, true); // released
    ASSERT_TRUE(controller_->IsRecording() && !controller_->IsPaused());
    rig::Feeder feeder(rig::Tone(440.0, 0.3, kRate * 60, 2));
    Run(5000);
    ::SetEvent(midway);
    Run(60000);
}

class RecordingRecoveryTest : public ProgramAudioTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig::Capture::Get().WaitRunning(8000)) << "no capture of the sound server";
        const std::string eventName = "kvrecordkill-" + std::to_string(::GetCurrentProcessId());
        HANDLE midway = ::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
        DWORD code = 0;
        const bool killed = kvtest::KillChildAtEvent("program_audio_tests.exe", "ProgramAudioTest.DISABLED_RecordsUntilKilled",
                                                     kRecordKillVariable, eventName, midway, 77, &code);
        ::CloseHandle(midway);
        ASSERT_TRUE(killed) << "the child stopped on its own, exit code " << code;
        // The child kept its files in a folder of its own inside this one: this start looks
        // for sessions there, as the program's next start looks in the killed one's folder.
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        for (const std::string& folder : FilesIn(temp, "kvtest-*"))
            if (!FilesIn(folder + "\\kv5eu\\", "KVC*.tmp").empty())
                folder_ = folder + "\\";
        ASSERT_FALSE(folder_.empty()) << "the killed child left no session file";
        ::GetEnvironmentVariableA("TEMP", temp, MAX_PATH);
        savedTemp_ = temp;
        ::SetEnvironmentVariableA("TEMP", folder_.c_str());
        ::SetEnvironmentVariableA("TMP", folder_.c_str());
        // What the kill left: the take files as written up to their last block.
        for (const std::string& file : FilesIn(folder_ + "kv5eu\\", "*")) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data))
                left_.push_back({file, (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
        }
        // The start shows the recovery dialog: Recover.
        std::thread([this] {
            for (int i = 0; i < 600 && !answered_; ++i, ::Sleep(50))
                ::EnumWindows(
                    [](HWND window, LPARAM self) {
                        DWORD process = 0;
                        ::GetWindowThreadProcessId(window, &process);
                        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
                            ::GetDlgItem(window, IDC_SESSION_LIST)) {
                            ::PostMessageA(window, WM_COMMAND, IDOK, 0);
                            reinterpret_cast<RecordingRecoveryTest*>(self)->answered_ = true;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(this));
        }).detach();
        ProgramAudioTest::SetUp();
    }

    void TearDown() override
    {
        ProgramAudioTest::TearDown();
        if (!savedTemp_.empty()) {
            ::SetEnvironmentVariableA("TEMP", savedTemp_.c_str());
            ::SetEnvironmentVariableA("TMP", savedTemp_.c_str());
        }
    }

    std::string folder_, savedTemp_;
    std::vector<std::pair<std::string, int64_t>> left_; // files of the killed one's folder, and sizes
    std::atomic<bool> answered_{false};
};

TEST_F(RecordingRecoveryTest, ARecordingKilledAfterFiveSecondsComesBackAsItsTakes)
{
    ASSERT_TRUE(answered_) << "no recovery dialog";
    CNyMultiTrackDoc* recovered = nullptr;
    POSITION pos = app_.GetFirstDocTemplatePosition();
    CDocTemplate* docTemplate = app_.GetNextDocTemplate(pos);
    for (POSITION d = docTemplate->GetFirstDocPosition(); d;) {
        auto* doc = dynamic_cast<CNyMultiTrackDoc*>(docTemplate->GetNextDoc(d));
        if (doc && doc != doc_)
            recovered = doc;
    }
    ASSERT_NE(recovered, nullptr) << "no document came back";
    EXPECT_EQ(std::vector<std::string>{"Record"}, kvtest::UndoNames(recovered->GetHistory()));
    EXPECT_TRUE(recovered->IsModified());
    int64_t frames = 0;
    int take = -1;
    for (int i = 0; i < recovered->GetTrackCount(); ++i)
        if (recovered->GetTrackExtent(i, 0) > frames) {
            frames = recovered->GetTrackExtent(i, 0);
            take = i;
        }
    EXPECT_GT(frames, kRate * 4) << "about 5 s";
    EXPECT_LT(frames, kRate * 7) << "about 5 s";
    ASSERT_GE(take, 0);
    // Sample-exact: the track sounds every byte the killed program had written to its take.
    IMtTrack* track = recovered->GetTrack(take);
    ComRef<IMtItem> reader;
    ASSERT_EQ(S_OK, track->CreateReader(reader.Out(), 0));
    LONGLONG from = recovered->GetTrackExtent(take, -1), to = from + frames;
    reader->SetRange(&from, &to);
    reader->BeginRead();
    std::vector<uint8_t> sound, block(1 << 16);
    for (DWORD read = 0; SUCCEEDED(reader->Read(block.data(), DWORD(block.size()), &read)) && read > 0;)
        sound.insert(sound.end(), block.begin(), block.begin() + read);
    reader->EndRead();
    bool found = false;
    for (const auto& file : left_)
        if (!found && file.second == int64_t(sound.size())) {
            FILE* f = std::fopen(file.first.c_str(), "rb");
            std::vector<uint8_t> bytes(sound.size());
            found = f && std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size() && bytes == sound;
            if (f)
                std::fclose(f);
        }
    EXPECT_TRUE(found) << frames << " frames: no take file left by the kill holds exactly them";
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
    recovered->SetModifiedFlag(FALSE);
}

} // namespace
