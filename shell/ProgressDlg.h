// CProgressDlg: the one modeless progress dialog of long operations. The main frame hands it
// the progress reporter's three registered messages and the conversion worker's 0x40A; it
// shows after a delay, counts nested opens, keeps the main window disabled while open over
// it, and pumps messages so that Cancel and Esc reach it while the operation runs.
#pragma once
#include "Framework.h"

struct ProgressRecord;

// The record of the three registered messages, as the progress reporter sends it.
struct ProgressMessageRecord {
    UINT position;
    char text[128];
    char caption[128];
    DWORD flags; // bit 0: cannot be cancelled
};

class CProgressDlg : public CDialog {
public:
    enum { IDD = 123 };
    static constexpr UINT_PTR kDelayTimer = 452;

    CProgressDlg() = default;

    BOOL OnInitDialog() override;
    void OnCancel() override;

    LRESULT OnOpenProgress(WPARAM record, LPARAM delay);
    LRESULT OnUpdateProgress(WPARAM record, LPARAM unused);
    LRESULT OnCloseProgress(WPARAM unused, LPARAM delay);
    // Code 1 open, 2 progress, 4/5/6 end; lParam the worker's ProgressRecord.
    LRESULT OnProgressMessage(WPARAM code, LPARAM record);
    void OnTimer(UINT_PTR id);

    void ResetCancel();
    // Runs the message pump until the worker reported its end and every open is closed.
    int WaitUntilDone();
    // Waits for the handle while handling messages; the first result that is not a time-out.
    DWORD WaitForHandle(HANDLE handle);
    void SetCancelAvailable(BOOL available);

    BOOL IsCancelled() const { return m_cancelled; }
    int OpenCount() const { return m_openCount; }
    BOOL IsDone() const { return m_done; }
    int FinishCode() const { return m_finishCode; }
    LONG FinalValue() const { return m_finalValue; }

private:
    void ShowNow();
    void HideNow();
    void SetTexts(const char* text, const char* caption);
    // One message: Esc while Cancel is enabled becomes Cancel; others are dispatched.
    // FALSE when there was none (wait: block for one). A WM_QUIT taken is posted again.
    BOOL PumpOne(BOOL wait);
    CWnd* Owner() const;

    CString m_message;
    BOOL m_cancelled = FALSE;
    BOOL m_ownerWasActive = FALSE;
    int m_openCount = 0;
    UINT_PTR m_timer = 0;
    int m_timerMode = 0; // 0 show when it fires, 1 hide
    BOOL m_done = FALSE;
    int m_finishCode = 0;
    LONG m_finalValue = 0;
    BOOL m_quitSeen = FALSE;
    DECLARE_MESSAGE_MAP()
};
