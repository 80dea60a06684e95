// Waiting for a worker while the program is asked to quit: the quit stays queued, and what the
// worker sends to this thread meanwhile is still answered, so the wait ends.
#include "EffectProgramHost.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(WaitDispatchingTest, AQuitDuringTheWaitStillAnswersWhatTheWorkerSends)
{
    struct Shared {
        HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE waiting = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE ended[2] = {::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        HWND window = nullptr;
        LRESULT answer = 0;
        bool quitKept = false;
    };
    // Held threads keep using it: it is freed only when they ended.
    Shared& shared = *new Shared;
    // The waiting thread stands for the program's: its window gets the worker's progress.
    std::thread program([&shared] {
        shared.window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::PostQuitMessage(3);
        ::SetEvent(shared.waiting);
        WaitDispatching(shared.done);
        MSG msg;
        shared.quitKept = ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == 3;
        ::DestroyWindow(shared.window);
        ::SetEvent(shared.ended[0]);
    });
    std::thread worker([&shared] {
        ::WaitForSingleObject(shared.waiting, INFINITE);
        ::Sleep(50); // the quit reached the wait first
        shared.answer = ::SendMessageA(shared.window, WM_GETTEXTLENGTH, 0, 0) + 1;
        ::SetEvent(shared.done);
        ::SetEvent(shared.ended[1]);
    });
    if (::WaitForMultipleObjects(2, shared.ended, TRUE, 5000) != WAIT_OBJECT_0) {
        program.detach(); // held: they cannot be joined
        worker.detach();
        FAIL() << "the wait and the worker's message held each other";
    }
    program.join();
    worker.join();
    EXPECT_EQ(shared.answer, 1);
    EXPECT_TRUE(shared.quitKept);
    ::CloseHandle(shared.done);
    ::CloseHandle(shared.waiting);
    ::CloseHandle(shared.ended[0]);
    ::CloseHandle(shared.ended[1]);
    delete &shared;
}

} // namespace
