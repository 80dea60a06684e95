// The whole program with the real engine playing to (and recording from) the sound server's
// null sink, driven as a user drives it: keys into the multitrack view, which reach the
// controller through the program's hosts.
#include "AudioRig.h"
#include "RawClip.h"
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "KsMultiTrackLoader.h"
#include "LabelRecord.h"
#include "MainFrame.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "NyControlView.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "HistorySteps.h"
#include "TestSupport.h"
#include "ViewIds.h"
#include "AppIds.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
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
        ASSERT_TRUE(app_.InitInstance());
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
        if (app_.m_pMainWnd) {
            if (doc_)
                doc_->SetModifiedFlag(FALSE);
            app_.m_pMainWnd->SendMessage(WM_CLOSE);
        }
        MSG quit;
        while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        AfxSetMessageBoxHook(nullptr);
    }

    // The program's loop for ms milliseconds: accelerators and the panes' keys first.
    void Run(DWORD ms)
    {
        const DWORD until = ::GetTickCount() + ms;
        do {
            MSG msg;
            // A timer that fires again while its tick is handled keeps the queue full.
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT)
                    continue;
                if (msg.message == WM_TIMER && msg.hwnd == controller_->m_hWnd && msg.wParam == 1)
                    ++windTicks_;
                if (!app_.PreTranslateMessage(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
                if (ms && ::GetTickCount() >= until)
                    break;
            }
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
// time, and the transport ends by itself after it.
// Disabled: the controller stops playing 540-910 ms after Space, and a Space pressed right
// after such an end does not start playing.
TEST_F(ProgramAudioTest, DISABLED_AOneSecondDocumentIsHeardWholeInTwentyRunsOfTwenty)
{
    const int64_t length = kRate;
    AddTrack(StereoRamp(length), 2, 0);
    rig::Capture& capture = rig::Capture::Get();
    int whole = 0;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const LONGLONG mark = PlayFromStart();
        ASSERT_TRUE(controller_->IsPlaying());
        const DWORD started = ::GetTickCount();
        while (controller_->IsPlaying() && ::GetTickCount() - started < 4000)
            Run(10);
        ASSERT_FALSE(controller_->IsPlaying()) << "no end within 4 s";
        EXPECT_GE(::GetTickCount() - started, 950u) << "ended before the sound could have";
        const LONGLONG until = capture.Now() + kRate * 4 / 10;
        ASSERT_TRUE(capture.WaitFor(until, 3400));
        const auto pieces = rig::RampPieces(capture.Take(mark, until), 0, length);
        ASSERT_EQ(pieces.size(), 1u);
        const bool last = std::fabs(pieces[0].lastPosition - double(length - 1)) <= kRate * 0.005;
        const bool frames = std::llabs(pieces[0].frames - (length - rig::kStartLoss)) <= kRate * 16 / 1000;
        EXPECT_TRUE(last) << "heard to " << pieces[0].lastPosition;
        EXPECT_TRUE(frames) << pieces[0].frames << " frames heard";
        whole += last && frames;
    }
    EXPECT_EQ(whole, 20);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// Paused with Shift+Space, the controller's counter shows where the sound stopped.
// Disabled: the counter shows 23 ms past the last sound heard.
TEST_F(ProgramAudioTest, DISABLED_TheCounterAtPauseIsWhereTheSoundStopped)
{
    const int64_t length = 20 * kRate;
    AddTrack(StereoRamp(length), 2, 0);
    rig::Capture& capture = rig::Capture::Get();
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const LONGLONG mark = PlayFromStart();
        ASSERT_TRUE(controller_->IsPlaying());
        Run(1200 + 300 * run);
        Key(VK_SPACE, true);
        ASSERT_TRUE(controller_->IsPaused());
        Run(50);
        const int64_t counter = controller_->GetCounterPosition();
        const LONGLONG until = capture.Now() + kRate * 6 / 10;
        ASSERT_TRUE(capture.WaitFor(until, 3400));
        Key(VK_SPACE);
        const auto pieces = rig::RampPieces(capture.Take(mark, until), 0, length);
        ASSERT_FALSE(pieces.empty());
        EXPECT_NEAR(double(counter), pieces.back().lastPosition, kRate * 0.020) << "counter " << counter;
    }
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
