// ProgressReporter: progress of a long operation, sent by pointer to the progress window with
// three registered messages (sent, not posted: the receiver reads the record while the
// sender waits). The receiver's side:
//   "MsgOpenProgress"   wParam = record, lParam = delay in ms before the dialog shows
//   "MsgUpdateProgress" wParam = record, lParam 0; answer 1 to go on, 0 once cancelled
//   "MsgCloseProgress"  wParam 0, lParam = ms the dialog stays visible after the end
// With no progress window set every call is silent and Update answers 0 (go on).
//
//   SetProgressWindow(mainWindow);
//   ProgressReporter progress("Loading...", nullptr, 0, 500, FALSE);
//   for (...) { progress.SetPosition(done * 100 / total); if (progress.cancelled) break; }
//   progress.End();
//
// Callers scale their work to minimum..maximum (0..100 after every reset).
#pragma once
#include <windows.h>

constexpr DWORD kProgressCannotCancel = 1; // flags bit 0: the dialog hides its Cancel button
constexpr size_t kProgressTextLength = 128;

// The window that receives the messages (the main frame); null stops all reporting.
void SetProgressWindow(HWND window);
HWND GetProgressWindow();
// The registered numbers of "MsgOpenProgress", "MsgUpdateProgress" and "MsgCloseProgress".
UINT ProgressOpenMessage();
UINT ProgressUpdateMessage();
UINT ProgressCloseMessage();

class ProgressReporter {
public:
    // Resets, copies text and caption (null leaves them empty; an empty caption shows the
    // product name), sets the flags and both parameters, then opens with openParameter.
    ProgressReporter(const char* text, const char* caption, DWORD openParameter, DWORD closeParameter,
                     BOOL cannotCancel);
    // Closes the dialog when still shown, so that an operation left by an exception does not
    // leave it open over a disabled main window.
    ~ProgressReporter();
    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

    // Zeroes every field; maximum 100.
    void Reset();
    // Sends the open message once; when already shown, an update instead.
    void Open(DWORD parameter);
    // Sends the record; an answer of 0 marks it cancelled. Returns cancelled (0 when not shown).
    int Update();
    // Stores the position; returns 1 when not shown, else Update's answer.
    int SetPosition(UINT newPosition);
    // When shown, sends the close message and marks it not shown; returns the receiver's
    // answer (0 with no window or when not shown, since the dialog counts opens and closes).
    LRESULT Close(DWORD parameter);
    // Close with the stored close parameter.
    LRESULT End();

    // The record the receiver reads, in this order.
    UINT position;
    char text[kProgressTextLength];
    char caption[kProgressTextLength];
    DWORD flags;
    int cancelled;
    int shown;
    DWORD openParameter;
    DWORD closeParameter;
    DWORD minimum;
    DWORD maximum;
};
