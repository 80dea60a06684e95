#include "ProgressDlg.h"

#include "AppIds.h"
#include "FormatConverter.h"
#include "ProgressReporter.h"

#include <commctrl.h>

#include <cstring>

namespace {

constexpr const char kProductCaption[] = "KorvaneSound5 Tarn";

UINT g_openMessage = ProgressOpenMessage();
UINT g_updateMessage = ProgressUpdateMessage();
UINT g_closeMessage = ProgressCloseMessage();

bool IsInputMessage(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

} // namespace

BEGIN_MESSAGE_MAP(CProgressDlg, CDialog)
    ON_REGISTERED_MESSAGE(g_openMessage, OnOpenProgress)
    ON_REGISTERED_MESSAGE(g_updateMessage, OnUpdateProgress)
    ON_REGISTERED_MESSAGE(g_closeMessage, OnCloseProgress)
    ON_MESSAGE(kProgressMessage, OnProgressMessage)
    ON_WM_TIMER()
END_MESSAGE_MAP()

BOOL CProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_message.Empty();
    m_cancelled = FALSE;
    SetDlgItemText(IDC_PROGRESS_TEXT, "");
    ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
    return TRUE;
}

CWnd* CProgressDlg::Owner() const
{
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    return owner ? CWnd::FromHandle(owner) : nullptr;
}

void CProgressDlg::OnCancel()
{
    // The operation ends itself when it sees the flag; the dialog stays until it closes.
    m_cancelled = TRUE;
}

void CProgressDlg::ResetCancel()
{
    m_cancelled = FALSE;
    m_done = FALSE;
}

void CProgressDlg::SetTexts(const char* text, const char* caption)
{
    char bounded[128];
    lstrcpynA(bounded, text ? text : "", sizeof bounded);
    m_message = bounded;
    SetDlgItemText(IDC_PROGRESS_TEXT, m_message);
    char wanted[128];
    lstrcpynA(wanted, caption && *caption ? caption : kProductCaption, sizeof wanted);
    char current[128] = {};
    ::GetWindowTextA(m_hWnd, current, sizeof current);
    if (strcmp(current, wanted) != 0)
        ::SetWindowTextA(m_hWnd, wanted);
}

void CProgressDlg::SetCancelAvailable(BOOL available)
{
    HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
    if (!cancel || (::IsWindowEnabled(cancel) != FALSE) == (available != FALSE))
        return;
    ::EnableWindow(cancel, available);
    ::ShowWindow(cancel, available ? SW_SHOWNA : SW_HIDE);
}

LRESULT CProgressDlg::OnOpenProgress(WPARAM recordParam, LPARAM delay)
{
    const auto* record = reinterpret_cast<const ProgressMessageRecord*>(recordParam);
    m_cancelled = FALSE;
    SetTexts(record ? record->text : "", record ? record->caption : "");
    ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, record ? record->position : 0, 0);
    SetCancelAvailable(!record || !(record->flags & kProgressCannotCancel));
    CWnd* owner = Owner();
    CenterWindow(owner);
    CWnd* main = AfxGetMainWnd();
    if (m_openCount == 0 && owner && main && owner->m_hWnd == main->m_hWnd)
        main->EnableWindow(FALSE);
    if (m_openCount++ > 0) {
        UpdateWindow();
        return 0;
    }
    m_ownerWasActive = owner && ::GetActiveWindow() == owner->m_hWnd;
    EnableWindow(TRUE);
    if (m_timer) {
        KillTimer(m_timer);
        m_timer = 0;
    }
    if (delay == 0) {
        ShowNow();
    } else {
        m_timer = SetTimer(kDelayTimer, static_cast<UINT>(delay));
        m_timerMode = 0;
    }
    return 0;
}

LRESULT CProgressDlg::OnUpdateProgress(WPARAM recordParam, LPARAM)
{
    if (const auto* record = reinterpret_cast<const ProgressMessageRecord*>(recordParam)) {
        SetTexts(record->text, record->caption);
        ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, record->position, 0);
    }
    UpdateWindow();
    if (m_cancelled)
        return 0;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the program's own loop: taking it here would lose the end.
            break;
        }
        if (!IsWindowVisible() && msg.hwnd != m_hWnd && IsInputMessage(msg.message)) {
            // Not shown yet: the user's input for other windows must not start anything.
            ::PeekMessageA(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE);
            continue;
        }
        if (!PumpOne(FALSE))
            break;
    }
    return m_cancelled ? 0 : 1;
}

LRESULT CProgressDlg::OnCloseProgress(WPARAM, LPARAM delay)
{
    if (m_openCount > 0)
        --m_openCount;
    if (m_openCount > 0)
        return 0;
    CWnd* owner = Owner();
    CWnd* main = AfxGetMainWnd();
    if (owner && main && owner->m_hWnd == main->m_hWnd)
        main->EnableWindow(TRUE);
    if (m_timer) {
        KillTimer(m_timer);
        m_timer = 0;
    }
    if (delay && IsWindowVisible()) {
        m_timer = SetTimer(kDelayTimer, static_cast<UINT>(delay));
        m_timerMode = 1;
    } else {
        HideNow();
    }
    return 0;
}

void CProgressDlg::OnTimer(UINT_PTR id)
{
    if (id != kDelayTimer)
        return;
    if (m_openCount > 0)
        ShowNow();
    else
        HideNow();
    KillTimer(kDelayTimer);
    m_timer = 0;
    m_timerMode = 0;
}

LRESULT CProgressDlg::OnProgressMessage(WPARAM code, LPARAM recordParam)
{
    auto* worker = reinterpret_cast<ProgressRecord*>(recordParam);
    if (!worker)
        return 0;
    ProgressMessageRecord record = {};
    record.position = static_cast<UINT>(worker->value);
    lstrcpynA(record.text, worker->text, sizeof record.text);
    record.flags = static_cast<DWORD>(worker->flags);
    SetCancelAvailable(!(record.flags & kProgressCannotCancel));
    switch (code) {
    case kProgressStarted:
        OnOpenProgress(reinterpret_cast<WPARAM>(&record), 0);
        break;
    case 4:
    case 5:
    case 6:
        m_finishCode = static_cast<int>(code);
        m_done = TRUE;
        m_finalValue = worker->closeValue;
        OnCloseProgress(0, 0);
        break;
    default:
        worker->cancel = OnUpdateProgress(reinterpret_cast<WPARAM>(&record), 0) ? 0 : 1;
        break;
    }
    return 0;
}

void CProgressDlg::ShowNow()
{
    ShowWindow(m_ownerWasActive ? SW_SHOWNORMAL : SW_SHOWNA);
    if (m_ownerWasActive)
        SetFocus();
    UpdateWindow();
}

void CProgressDlg::HideNow()
{
    ShowWindow(SW_HIDE);
    m_ownerWasActive = FALSE;
}

BOOL CProgressDlg::PumpOne(BOOL wait)
{
    MSG msg;
    if (wait) {
        if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            // The program's loop must still see the end it was asked for.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            m_quitSeen = TRUE;
            return FALSE;
        }
    } else if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return FALSE;
    } else if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        m_quitSeen = TRUE;
        return FALSE;
    }
    HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && cancel && ::IsWindowEnabled(cancel)) {
        ::SendMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    return TRUE;
}

int CProgressDlg::WaitUntilDone()
{
    if (m_openCount == 0 && m_done)
        return 1;
    m_cancelled = FALSE;
    m_quitSeen = FALSE;
    // Blocks between messages; a quit for the program ends the wait too.
    while (!(m_openCount == 0 && m_done) && !m_quitSeen)
        PumpOne(TRUE);
    return 1;
}

DWORD CProgressDlg::WaitForHandle(HANDLE handle)
{
    m_quitSeen = FALSE;
    for (;;) {
        // Once the program was asked to end, its quit stays queued: wait on the handle alone.
        DWORD result = m_quitSeen ? ::WaitForSingleObject(handle, 100)
                                  : ::MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0 + 1 || result == WAIT_TIMEOUT) {
            if (!m_quitSeen)
                PumpOne(FALSE);
            continue;
        }
        return result;
    }
}
