// The program started inside the test's own process (headless): its application object and
// main frame, the message boxes it shows answered OK and kept for the test to read.
#pragma once

#include "MainFrame.h"
#include "NyApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace kvtest {

// Counts the access faults raised on any thread while it lives. The system passes over a fault
// raised inside a window procedure it called (a close that runs into a freed object goes on as
// if nothing happened), so this is the one place such a fault shows.
class AccessFaultCounter {
public:
    AccessFaultCounter()
    {
        Faults() = 0;
        m_handler = ::AddVectoredExceptionHandler(1, &Count);
    }
    ~AccessFaultCounter()
    {
        if (m_handler)
            ::RemoveVectoredExceptionHandler(m_handler);
    }
    AccessFaultCounter(const AccessFaultCounter&) = delete;
    AccessFaultCounter& operator=(const AccessFaultCounter&) = delete;
    int Seen() const { return Faults(); }

private:
    static std::atomic<int>& Faults()
    {
        static std::atomic<int> faults{0};
        return faults;
    }
    static LONG WINAPI Count(EXCEPTION_POINTERS* info)
    {
        if (info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
            ++Faults();
        return EXCEPTION_CONTINUE_SEARCH;
    }
    PVOID m_handler = nullptr;
};

// Starts the application object; its main frame, or null. The boxes' texts go to `boxes`.
inline CMainFrame* StartInProcess(CNyApp& app, std::vector<std::string>& boxes)
{
    AfxSetMessageBoxHook([&boxes](const char* text, const char*, UINT) {
        boxes.push_back(text);
        return IDOK;
    });
    if (!app.InitInstance())
        return nullptr;
    return dynamic_cast<CMainFrame*>(app.m_pMainWnd);
}

// Closes the main frame and drops the quit message its close posted; a close that faults
// fails the test.
inline void StopInProcess(CNyApp& app)
{
    AccessFaultCounter faults;
    if (app.m_pMainWnd)
        app.m_pMainWnd->SendMessage(WM_CLOSE);
    EXPECT_EQ(faults.Seen(), 0) << "access faults while the program closed";
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    AfxSetMessageBoxHook(nullptr);
}

} // namespace kvtest
