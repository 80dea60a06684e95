// The player on a clip coded with key frames, as splitters and decoders deliver one: after a
// seek the frames from the key frame before it come first, and the one asked for is drawn; a
// player closed while its worker steps through slow frames goes at once; a first frame drawn
// while its window's context is busy on another thread does not leave the player blank.
#include "ComObject.h"
#include "DShowVideoSource.h"
#include "DrawWindow.h"
#include "KeyFrameClipSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(VideoPlayer, AFrameReachedFromItsKeyFrameIsTheOneAskedFor)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct Case {
        const char* delivery;
        bool markPreroll;
    } cases[] = {{"frames before the position marked preroll", true},
                 {"frames before the position only timed before it", false}};
    DrawWindow w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delivery);
        ClipSourceSettings settings;
        settings.markPreroll = c.markPreroll;
        ClipSourceRegistration clip(settings);
        const long live = kvcom::ModuleRefs();
        {
            CDShowVideoSource source;
            ASSERT_TRUE(source.Open(clip.Path().c_str()));
            source.SetWindow(w.Window());
            ASSERT_EQ(source.GetFrameCount(), 12);
            // Seeks (from key frames 4, 0 and 4) and steps on from the frame each left held.
            for (int frame : {7, 9, 2, 6, 11, 5})
                EXPECT_EQ(DrawnFrame(source, w, frame), frame);
        }
        // The player let go of its renderer and graph: both filters are gone.
        EXPECT_EQ(kvcom::ModuleRefs(), live);
    }
    CoUninitialize();
}

TEST(VideoPlayer, APlayerClosedWhileItStepsThroughSlowFramesGoesAtOnce)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ClipSourceSettings settings;
    settings.slowFrom = 1;
    settings.slowMs = 2500; // each under the worker's 5 s for a frame, ten of them well over 20 s
    ClipSourceRegistration clip(settings);
    DrawWindow w;
    auto* source = new CDShowVideoSource;
    ASSERT_TRUE(source->Open(clip.Path().c_str()));
    source->SetWindow(w.Window());
    ASSERT_EQ(DrawnFrame(*source, w, 0), 0);
    // Eleven frames on from the one held: the worker steps through them one by one.
    w.Clear(kCleared);
    const int begun = ClipSourceRegistration::SlowFramesBegun();
    source->DrawFrame(w.Dc(), 10, 10, 160, 120, 11, 1);
    const DWORD asked = GetTickCount();
    while (ClipSourceRegistration::SlowFramesBegun() == begun && GetTickCount() - asked < 10000)
        Sleep(10);
    ASSERT_GT(ClipSourceRegistration::SlowFramesBegun(), begun) << "the worker did not step on";
    const DWORD start = GetTickCount();
    delete source;
    EXPECT_LT(GetTickCount() - start, 1500u);
    CoUninitialize();
}

TEST(VideoPlayer, AFirstFrameDrawnWhileTheWindowIsBusyLeavesThePlayerDrawing)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ClipSourceRegistration clip(ClipSourceSettings{});
    DrawWindow w;
    // Reads of the window's own context on another thread, as the preview paints it while the
    // renderer draws: under Wine a call that meets one of them fails.
    struct Busy {
        HDC dc;
        std::atomic<bool> on{true};
    } busy{w.Dc()};
    for (int player = 0; player < 10; ++player) {
        SCOPED_TRACE(player);
        CDShowVideoSource source;
        ASSERT_TRUE(source.Open(clip.Path().c_str()));
        source.SetWindow(w.Window());
        busy.on = true;
        std::thread reader([&busy] {
            while (busy.on)
                GetPixel(busy.dc, 1, 1);
        });
        source.DrawFrame(w.Dc(), 10, 10, 160, 120, 7, 1);
        CVideoPlayer* p = source.Player();
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 6000;) {
            EnterCriticalSection(&p->Lock());
            const bool answered = p->Requests().empty();
            LeaveCriticalSection(&p->Lock());
            if (answered)
                break;
            Sleep(5);
        }
        busy.on = false;
        reader.join();
        // Whatever became of that frame, the next one is drawn.
        EXPECT_EQ(DrawnFrame(source, w, 3), 3);
    }
    CoUninitialize();
}
