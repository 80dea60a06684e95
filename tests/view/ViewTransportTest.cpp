// The view's transport commands reach the controller it is given and are disabled without
// one; whether the selection lies outside the selected tracks' data; a volume written while
// playing lands where the sound is.
#include "ViewFixture.h"
#include "ScreenShot.h"

#include "DocumentHost.h"
#include "ViewIds.h"

#include <algorithm>
#include <cstring>

namespace {
struct RecordingCmdUI : CCmdUI {
    void Enable(BOOL on) override { enabled = on; }
    void SetCheck(int check) override { checked = check; }
    int enabled = -1, checked = -1;
};

class FakeController : public IViewController {
public:
    HRESULT GetEngineState(LONG* s) override
    {
        *s = recording ? 3 : playing ? 2 : 0;
        return S_OK;
    }
    HRESULT GetPlayPosition(int64_t* p) override
    {
        *p = position;
        return S_OK;
    }
    int GetBusyState() override { return playing || recording; }
    bool IsPlaying() override { return playing; }
    bool IsPaused() override { return paused; }
    bool IsRecording() override { return recording; }
    bool IsRecordWhilePlaying() override { return false; }
    bool HasRecordingTake() override { return false; }
    bool CanStop() override { return true; }
    bool CanRecord() override { return true; }
    bool CanPause() override { return playing && !paused; }
    bool CanLoop() override { return true; }
    bool CanToggleAutomation() override { return true; }
    bool CanRecordWhilePlaying() override { return true; }
    bool CanGoToMarker() override { return true; }
    void Play() override { calls += "play "; }
    void Stop() override { calls += "stop "; }
    void Pause() override { calls += "pause "; }
    void Record() override { calls += "record "; }
    void ToggleLoop() override { calls += "loop "; }
    void ToggleReadAutomation() override {}
    void ToggleWriteAutomation() override {}
    void ToggleRecordWhilePlaying() override {}
    void PreviousMarker() override {}
    void NextMarker() override {}
    void Rewind() override {}
    void FastForward() override {}
    void StopWinding() override {}
    void WindFromKey(bool) override {}
    void ShowCounter(int64_t) override {}
    CNyMultiTrackView* GetActiveView() override { return active; }
    void SetActiveView(CNyMultiTrackView*) override {}
    void UpdateDisplay() override {}

    bool playing = false, paused = false, recording = false;
    int64_t position = 0; // what is heard
    CNyMultiTrackView* active = nullptr;
    std::string calls;
};

class ControllerHost : public TestViewHost {
public:
    IViewController* GetController() override { return controller; }
    IViewController* controller = nullptr;
};

// The program's document host, but with the transport running.
class PlayingDocumentHost final : public DocumentHost {
public:
    explicit PlayingDocumentHost(DocumentHost& inner) : m_inner(inner) { SetDocumentHost(this); }
    ~PlayingDocumentHost() { SetDocumentHost(&m_inner); }
    DocumentSettings& DefaultSettings() override { return m_inner.DefaultSettings(); }
    BOOL IsAsioInUse() override { return m_inner.IsAsioInUse(); }
    void ShowErrorText(HRESULT code) override { m_inner.ShowErrorText(code); }
    void ShowErrorBox(HRESULT code, UINT style) override { m_inner.ShowErrorBox(code, style); }
    COLORREF SkinColorAt(int index) override { return m_inner.SkinColorAt(index); }
    BOOL IsTransportBusy() override { return TRUE; }
    BOOL IsRecordWhilePlaying() override { return FALSE; }
    HRESULT SetupMonitoring() override { return m_inner.SetupMonitoring(); }
    HRESULT StopTransport() override { return m_inner.StopTransport(); }
    void RefreshController() override { m_inner.RefreshController(); }
    void RefreshMixer(BOOL rebuild) override { m_inner.RefreshMixer(rebuild); }
    void UpdateMasterVolume() override { m_inner.UpdateMasterVolume(); }

private:
    DocumentHost& m_inner;
};

// A window's client pixels as they are on the screen.
std::vector<uint32_t> ClientPixels(HWND window)
{
    RECT client{};
    ::GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    std::vector<uint32_t> pixels(size_t(std::max(width, 0)) * size_t(std::max(height, 0)));
    if (pixels.empty())
        return pixels;
    HDC dc = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(dc);
    BITMAPINFO info = kvtest::TopDownInfo32(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ::GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size() * 4);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, dc);
    return pixels;
}

size_t DifferentPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    if (a.size() != b.size())
        return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}
} // namespace

TEST_F(ViewTest, TransportCommandsAreDisabledWithoutAControllerAndReachItWithOne)
{
    ASSERT_NE(NewDocument(), nullptr);
    FillTrack(0, std::vector<int32_t>(5000, 10), 16);
    doc_->GetSelection()->SetRowRange(0, -1);
    using Update = void (CNyMultiTrackView::*)(CCmdUI*);
    for (Update update :
         {&CNyMultiTrackView::OnUpdatePlayStop, &CNyMultiTrackView::OnUpdateRecord, &CNyMultiTrackView::OnUpdatePause,
          &CNyMultiTrackView::OnUpdateLoop, &CNyMultiTrackView::OnUpdateMovePlayCursorToStart,
          &CNyMultiTrackView::OnUpdatePrevNextMarker}) {
        RecordingCmdUI ui;
        (view_->*update)(&ui);
        EXPECT_EQ(ui.enabled, FALSE);
    }
    Command(kCmdPlayStop); // nothing to call, nothing fails

    ControllerHost host;
    FakeController controller;
    host.controller = &controller;
    SetViewHost(&host);
    RecordingCmdUI play;
    view_->OnUpdatePlayStop(&play);
    EXPECT_EQ(play.enabled, TRUE) << "a caret before the data's end is playable";
    Command(kCmdPlayStop);
    controller.playing = true;
    Command(kCmdPlayStop);
    controller.playing = false;
    controller.recording = true;
    Command(kCmdPlayStop); // Space while recording does nothing
    Command(kCmdRecord);   // Ctrl+Space while recording stops
    controller.paused = true;
    Command(kCmdPause); // Shift+Space while paused in recording stops
    EXPECT_EQ(controller.calls, "play stop stop stop ");
    SetViewHost(&host_);
}

TEST_F(ViewTest, SelectionOutsideDataIsBeforeOrAfterEverySelectedTrack)
{
    ASSERT_NE(NewDocument(), nullptr);
    FillTrack(0, std::vector<int32_t>(1000, 10), 16);
    ASSERT_EQ(S_OK, doc_->GetTrack(0)->SetStartOffset(500));
    CSelectionModel* sel = doc_->GetSelection();
    sel->SetRowRange(0, -1);
    struct Case {
        int64_t s, e;
        bool outside;
    } cases[] = {{0, 400, true}, {0, 600, false}, {700, 800, false}, {1499, 1600, false}, {1500, 1600, true}};
    for (const Case& c : cases) {
        sel->SetSelection(c.s, c.e, TRUE);
        EXPECT_EQ(view_->IsSelectionOutsideData(), c.outside) << c.s << ".." << c.e;
    }
    sel->SetTrackSelected(-1, FALSE);
    sel->SetSelection(700, 800, TRUE);
    EXPECT_TRUE(view_->IsSelectionOutsideData()) << "no selected track has data";
}

// A click or a drag that changes the selection while the document plays stops the playback
// (it plays the range selected when it started); one that leaves it, or a recording, goes on.
TEST_F(ViewTest, AMouseSelectionWhilePlayingStopsThePlayback)
{
    ASSERT_TRUE(NewFilledTrack()); // no envelope line under the clicks
    ControllerHost host;
    FakeController controller;
    host.controller = &controller;
    SetViewHost(&host);
    HWND area = view_->GetTrackArea().m_hWnd;
    const RECT row = view_->GetChannelRect(0, 0);
    const int y = (row.top + row.bottom) / 2, left = view_->GetTrackWaveRect(-1).left;
    struct Case {
        const char* name;
        bool playing, recording;
        int x;
        const char* calls;
    } cases[] = {
        {"a click elsewhere while playing", true, false, 100, "stop "},
        {"a click elsewhere while recording", true, true, 140, ""},
        {"a click while idle", false, false, 180, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc_->GetSelection()->SetSelection(0, 0, TRUE);
        controller.playing = c.playing;
        controller.recording = c.recording;
        controller.calls.clear();
        ::PostMessageA(area, WM_LBUTTONUP, 0, MAKELPARAM(left + c.x, y));
        ::SendMessageA(area, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left + c.x, y));
        Pump();
        EXPECT_EQ(controller.calls, c.calls);
    }
    SetViewHost(&host_);
}

// Write Automation on, a fader moved while playing writes where the sound is, though the view's
// play position, moved by the play timer's ticks, is still some ticks behind; before the gesture
// the level stays as it was.
TEST_F(ViewTest, AVolumeWrittenWhilePlayingLandsWhereTheSoundIs)
{
    ASSERT_TRUE(NewFilledTrack());
    ControllerHost host;
    FakeController controller;
    host.controller = &controller;
    controller.active = view_;
    controller.playing = true;
    SetViewHost(&host);
    doc_->SetTrackFlag(0, 128, TRUE); // writes automation
    view_->SetPlayPosition(20000);
    controller.position = 40000;
    CAmplitudeScalePane& scale = view_->GetAmplitudeScale();
    int lower = 0, upper = 0;
    scale.BeginVolumeChange(0, &lower, &upper);
    scale.SetTrackVolume(0, 0.5f);
    controller.position = 44000;
    scale.SetTrackVolume(0, 0.25f);
    scale.EndVolumeChange(0);
    EXPECT_NEAR(doc_->GetTrackLevel(0, 0, 30000), 1.0, 1e-4);
    EXPECT_NEAR(doc_->GetTrackLevel(0, 0, 40000), 0.5, 1e-4);
    EXPECT_NEAR(doc_->GetTrackLevel(0, 0, 44000), 0.25, 1e-4);
    EXPECT_NEAR(doc_->GetTrackLevel(0, 0, 100000), 0.25, 1e-4);
    SetViewHost(&host_);
}

// M while playing repaints only the new cue: its image and name in the time ruler (a cue on all
// tracks) or in the track's marker strip, and its line down the tracks. What the panes show
// then is what a repaint of the whole view shows.
TEST_F(ViewTest, ACueAddedWhilePlayingLooksAsAfterAWholeRepaint)
{
    ASSERT_TRUE(NewFilledTrack());
    ControllerHost host;
    FakeController controller;
    controller.playing = true;
    host.controller = &controller;
    SetViewHost(&host);
    PlayingDocumentHost playing(GetDocumentHost());
    const HWND ruler = view_->GetTimeRuler().m_hWnd, area = view_->GetTrackArea().m_hWnd;
    ASSERT_TRUE(ruler && area);
    const int markers = doc_->SetViewOption(kCmdViewMarkers, 1); // the tracks' marker strips
    const auto redrawAll = [this] {
        ::RedrawWindow(view_->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    struct Case {
        const char* name;
        BOOL allTracks;
        int64_t at;
    } cases[] = {{"a cue on all tracks", TRUE, 64 * 300}, {"a cue on the track", FALSE, 64 * 150}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSelectionModel* selection = doc_->GetSelection();
        selection->SetAllTracksMode(c.allTracks);
        // The caret stays behind: the cue goes where playback is.
        selection->SetSelection(64 * 40, 64 * 40, TRUE);
        view_->SetPlayPosition(c.at);
        redrawAll();
        const std::vector<uint32_t> rulerBefore = ClientPixels(ruler), areaBefore = ClientPixels(area);
        view_->SendMessage(WM_CHAR, 'm', 1);
        Pump();
        LabelRecord last{}, record{};
        for (int i = 0; doc_->GetLabelAt(i, &record); ++i)
            last = record;
        ASSERT_EQ(last.start, c.at);
        ASSERT_EQ(last.trackId == -1, c.allTracks != FALSE);
        const std::vector<uint32_t> rulerAfter = ClientPixels(ruler), areaAfter = ClientPixels(area);
        EXPECT_GT(DifferentPixels(c.allTracks ? rulerBefore : areaBefore, c.allTracks ? rulerAfter : areaAfter), 0u)
            << "the cue was not drawn";
        EXPECT_GT(DifferentPixels(areaBefore, areaAfter), 0u) << "no line down the tracks";
        redrawAll();
        EXPECT_EQ(DifferentPixels(ClientPixels(ruler), rulerAfter), 0u) << "the time ruler";
        EXPECT_EQ(DifferentPixels(ClientPixels(area), areaAfter), 0u) << "the track area";
        view_->SetPlayPosition(-1);
    }
    doc_->SetViewOption(kCmdViewMarkers, markers);
    SetViewHost(&host_);
}
