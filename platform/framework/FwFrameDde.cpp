// The main frame's DDE server for the shell's open command.
#include "FwApp.h"
#include "FwFrame.h"
#include <dde.h>

LRESULT CFrameWnd::OnDDEInitiate(WPARAM client, LPARAM atoms)
{
    CWinApp* app = AfxGetApp();
    ATOM service = LOWORD(atoms), topic = HIWORD(atoms);
    if (!app || app->m_pMainWnd != this || !app->m_atomApp)
        return 0;
    // Atoms compare without case: the shell may ask for "System" where we added "system".
    if ((service && service != app->m_atomApp) || (topic && topic != app->m_atomSystemTopic))
        return 0;
    // The client deletes the atoms of the answer, so each answer adds its own reference.
    char name[256];
    ::GlobalGetAtomNameA(app->m_atomApp, name, static_cast<int>(sizeof name));
    ATOM answerService = ::GlobalAddAtomA(name);
    ::GlobalGetAtomNameA(app->m_atomSystemTopic, name, static_cast<int>(sizeof name));
    ATOM answerTopic = ::GlobalAddAtomA(name);
    ::SendMessageA(reinterpret_cast<HWND>(client), WM_DDE_ACK, reinterpret_cast<WPARAM>(m_hWnd),
                   MAKELPARAM(answerService, answerTopic));
    return 0;
}

LRESULT CFrameWnd::OnDDEExecute(WPARAM client, LPARAM data)
{
    UINT_PTR unused = 0, commands = 0;
    ::UnpackDDElParam(WM_DDE_EXECUTE, data, &unused, &commands);
    CString command;
    if (const char* text = static_cast<const char*>(::GlobalLock(reinterpret_cast<HGLOBAL>(commands)))) {
        command = text;
        ::GlobalUnlock(reinterpret_cast<HGLOBAL>(commands));
    }
    CWinApp* app = AfxGetApp();
    BOOL handled = app && !command.IsEmpty() && app->OnDDECommand(command.GetBuffer(command.GetLength()));
    // The client frees the command memory when it gets the answer; bit 15 says it was done.
    const UINT kAcknowledged = 0x8000;
    LPARAM ack = ::ReuseDDElParam(data, WM_DDE_EXECUTE, WM_DDE_ACK, handled ? kAcknowledged : 0, commands);
    if (!::PostMessageA(reinterpret_cast<HWND>(client), WM_DDE_ACK, reinterpret_cast<WPARAM>(m_hWnd), ack))
        ::FreeDDElParam(WM_DDE_ACK, ack);
    return 0;
}

LRESULT CFrameWnd::OnDDETerminate(WPARAM client, LPARAM)
{
    ::PostMessageA(reinterpret_cast<HWND>(client), WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return 0;
}
