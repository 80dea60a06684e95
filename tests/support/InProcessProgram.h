// The program started inside the test's own process (headless): its application object and
// main frame, the message boxes it shows answered OK and kept for the test to read.
#pragma once

#include "MainFrame.h"
#include "NyApp.h"

#include <string>
#include <vector>

namespace kvtest {

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

// Closes the main frame and drops the quit message its close posted.
inline void StopInProcess(CNyApp& app)
{
    if (app.m_pMainWnd)
        app.m_pMainWnd->SendMessage(WM_CLOSE);
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    AfxSetMessageBoxHook(nullptr);
}

} // namespace kvtest
