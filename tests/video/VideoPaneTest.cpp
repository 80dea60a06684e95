// The video panes: the layout arithmetic as tables; the player in a real graph (one draw for
// two requests of one place, a lost frame freeing the worker); the track pane and the preview
// window as windows of their own.
#include "DShowVideoSource.h"
#include "VideoFixtures.h"
#include "VideoIds.h"
#include "VideoLayout.h"
#include "VideoPreviewWnd.h"
#include "VideoTrackPane.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// A view's time axis at 1 pixel = 1 ms (10 units of 100 us), visible from time 0.
class FakeHost : public IVideoTrackHost {
public:
    double TimeToPixelsExact(double time) override { return time / 10.0; }
    double PixelsToTime(int pixels) override { return pixels * 10.0; }
    double VisibleStartTime() override { return 0.0; }
    DWORD SampleRate() override { return 44100; }
    bool GetPlayState(int* state, int64_t* position) override
    {
        *state = m_state;
        *position = m_position;
        return true;
    }
    HWND ViewWindow() override { return m_view; }
    void RelayoutView() override {}
    int m_state = 0;
    int64_t m_position = 0;
    HWND m_view = nullptr;
};

class ParentWnd : public CWnd {
public:
    ParentWnd()
    {
        CreateEx(0, AfxRegisterWndClass(0), "video test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 300, nullptr,
                 nullptr);
    }
    ~ParentWnd() override { DestroyWindow(); }
};

COLORREF PixelOf(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

} // namespace

TEST(VideoLayout, FramesPerStepRoundsTheSpanUpToWholeFrames)
{
    struct Case {
        double span, duration;
        int expected;
    } cases[] = {
        {1000.0, 400.0, 3}, // 25 fps, 0.1 s a thumbnail: 2.5 frames
        {800.0, 400.0, 2},  {100.0, 400.0, 1}, {400.0, 400.0, 1}, {1000.0, 333.33, 4}, {1000.0, 0.0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FramesPerStep(c.span, c.duration), c.expected) << c.span << "/" << c.duration;
}

TEST(VideoLayout, ZoomCheckMarksTheZoomTheFittedFrameShows)
{
    struct Case {
        int w, h;
        UINT expected;
    } cases[] = {{80, 60, 1088},  {40, 30, 1087},  {79, 59, 1087}, {160, 120, 1089}, {320, 240, 1090},
                 {640, 480, 1091}, {500, 375, 1091}, {200, 150, 0},   {39, 29, 0},      {641, 481, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(ZoomCheck(160, 120, c.w, c.h), c.expected) << c.w << "x" << c.h;
    EXPECT_EQ(ZoomCheck(161, 121, 80, 60), 1088u); // halves rounded toward zero
}

TEST(VideoLayout, FramesFitTheirPictureAndWindowsStayInTheWorkArea)
{
    EXPECT_EQ(FitFrame(RECT{0, 0, 320, 120}, 160, 120).left, 80); // full height, centred
    const RECT tall = FitFrame(RECT{0, 0, 160, 400}, 160, 120);
    EXPECT_EQ(tall.bottom - tall.top, 120);
    EXPECT_EQ(tall.top, 140);
    const RECT work{0, 0, 1024, 768};
    const RECT moved = KeepInsideWorkArea(RECT{600, 500, 600 + 660, 500 + 520}, work);
    EXPECT_EQ(moved.right, 1024);
    EXPECT_EQ(moved.bottom, 768);
    EXPECT_EQ(moved.right - moved.left, 660);
}

TEST(VideoPlayer, TwoRequestsForOnePlaceDrawOnceAndALostFrameFreesTheWorker)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ParentWnd parent;
    CDShowVideoSource source;
    ASSERT_TRUE(source.Open(VideoFixture("wmv2.wmv").c_str()));
    source.SetWindow(parent.m_hWnd);
    CVideoPlayer* player = source.Player();
    // The last frame of this file never comes out of the graph: its request goes after 5 s.
    const DWORD start = GetTickCount();
    player->RequestFrame(nullptr, 0, 0, 80, 60, 11, 0);
    Pump(200);
    // Queued behind it: two for one place; the later one supersedes the first.
    player->RequestFrame(nullptr, 100, 0, 80, 60, 3, 0);
    player->RequestFrame(nullptr, 100, 0, 80, 60, 9, 0);
    EnterCriticalSection(&player->Lock());
    const size_t queued = player->Requests().size();
    LeaveCriticalSection(&player->Lock());
    EXPECT_EQ(queued, 2u);
    for (;;) {
        EnterCriticalSection(&player->Lock());
        const bool empty = player->Requests().empty();
        LeaveCriticalSection(&player->Lock());
        if (empty || GetTickCount() - start > 9000)
            break;
        Pump(20);
    }
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 4900u);
    EXPECT_LT(took, 8000u);
    Pump(100);
    EXPECT_EQ(FrameOfGrey(GetGValue(PixelOf(parent.m_hWnd, 140, 30))), 9);
    CoUninitialize();
}

TEST(VideoTrackPane, WithoutAVideoTheStripIsTheBackgroundAndTheCommandsAreOff)
{
    ParentWnd parent;
    FakeHost host;
    CVideoTrackPane pane;
    ASSERT_TRUE(pane.Create(&parent, kVideoTrackPaneId, &host));
    pane.MoveWindow(0, 0, 600, 50);
    pane.Invalidate();
    pane.UpdateWindow();
    EXPECT_EQ(PixelOf(pane.m_hWnd, 300, 20), kVideoTrackBackground);
    EXPECT_EQ(pane.GetFrameDuration(), 0.0);
    EXPECT_FALSE(pane.LacksFrameDecoder());
    EXPECT_EQ(pane.GetFrameStep(), 0);
}

TEST(VideoTrackPane, StepsFollowTheZoomAndAFrozenStripKeepsItsPicture)
{
    ParentWnd parent;
    FakeHost host;
    CVideoTrackPane pane;
    ASSERT_TRUE(pane.Create(&parent, kVideoTrackPaneId, &host));
    pane.MoveWindow(0, 0, 600, 50);
    ASSERT_TRUE(pane.OpenVideo(VideoFixture("cinepak.avi").c_str()));
    // Thumbnails of 42 x 56 / ... : height 42, width 160 x 42 / 120 = 56; 62 px span 620 units.
    EXPECT_EQ(pane.GetFrameStep(), 2);
    EXPECT_NEAR(pane.GetFrameDuration(), 0.04, 1e-9);
    pane.Invalidate();
    pane.UpdateWindow();
    // The first slot shows frame 0, the second (x = 81) frame 2.
    EXPECT_EQ(FrameOfGrey(GetGValue(PixelOf(pane.m_hWnd, 30, 25))), 0);
    EXPECT_EQ(FrameOfGrey(GetGValue(PixelOf(pane.m_hWnd, 100, 25))), 2);
    const COLORREF before = PixelOf(pane.m_hWnd, 100, 25);
    pane.FreezeImage(TRUE);
    pane.RenderFrames(3 * 400.0);
    pane.Invalidate();
    pane.UpdateWindow();
    EXPECT_EQ(PixelOf(pane.m_hWnd, 100, 25), before);
    pane.FreezeImage(FALSE);
    pane.UpdateWindow();
}

TEST(VideoTrackPane, AnimationKeepsAtMostOneTimeInFlight)
{
    ParentWnd parent;
    FakeHost host;
    CVideoTrackPane pane;
    ASSERT_TRUE(pane.Create(&parent, kVideoTrackPaneId, &host));
    pane.MoveWindow(0, 0, 600, 50);
    ASSERT_TRUE(pane.OpenVideo(VideoFixture("cinepak.avi").c_str()));
    host.m_state = 2;
    host.m_position = 44100 / 2;
    pane.StartFrameAnimation();
    // The user-interface thread is busy: the thread ticks every 40 ms but posts once.
    Sleep(400);
    MSG msg;
    int posted = 0;
    while (PeekMessageA(&msg, pane.m_hWnd, WM_USER, WM_USER, PM_REMOVE)) {
        ++posted;
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(posted, 1);
    EXPECT_NEAR(pane.CurrentPosition(), 5000.0, 0.5);
    host.m_state = 0;
    Pump(200);
}

TEST(VideoPreviewWnd, StatusLineZoomMarksAndAZoomPulledIntoTheWorkArea)
{
    ParentWnd parent;
    FakeHost host;
    CVideoTrackPane pane;
    ASSERT_TRUE(pane.Create(&parent, kVideoTrackPaneId, &host));
    host.m_view = parent.m_hWnd;
    CWnd frame;
    frame.CreateEx(0, AfxRegisterWndClass(0), "preview", WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE, 0, 0,
                   200, 160, nullptr, nullptr);
    CVideoPreviewWnd preview;
    ASSERT_TRUE(preview.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 176, 136), &frame, 59648));
    preview.SendMessage(WM_SIZE, 0, MAKELPARAM(172, 132));
    preview.SetActiveView(&parent);
    EXPECT_EQ(preview.Pane(), &pane);
    EXPECT_EQ(preview.StatusText(), "-----/-----  ---x---(---x---) --.--fps");
    ASSERT_TRUE(pane.OpenVideo(VideoFixture("cinepak.avi").c_str()));
    preview.SendMessage(WM_SIZE, 0, MAKELPARAM(172, 132));
    EXPECT_EQ(preview.StatusText(), "     /   12  154x116(160x120) 25.00fps");
    // 100%: the frame grows by what the picture lacks of the video's size.
    RECT outer0, client0;
    frame.GetWindowRect(&outer0);
    preview.GetClientRect(&client0);
    preview.SendMessage(WM_COMMAND, ID_VIDEO_ZOOM_100);
    Pump(50);
    RECT outer1;
    frame.GetWindowRect(&outer1);
    EXPECT_EQ(outer1.right - outer1.left, 160 + (outer0.right - outer0.left) - client0.right);
    EXPECT_EQ(outer1.bottom - outer1.top, 120 + kVideoStatusHeight + (outer0.bottom - outer0.top) - client0.bottom);
    // 400% of the video cannot fit a small work area: the frame is pulled back inside it.
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    frame.SetWindowPos(nullptr, work.right - 100, work.bottom - 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    preview.SendMessage(WM_COMMAND, ID_VIDEO_ZOOM_400);
    Pump(50);
    RECT outer;
    frame.GetWindowRect(&outer);
    EXPECT_LE(outer.right, work.right);
    EXPECT_LE(outer.bottom, work.bottom);
    preview.SetActiveView(nullptr);
    preview.DestroyWindow();
    frame.DestroyWindow();
}
