#include "ProgressReporter.h"

#include <atomic>
#include <cstring>

namespace {

std::atomic<HWND> g_progressWindow{nullptr};

UINT Registered(const char* name)
{
    return ::RegisterWindowMessageA(name);
}

void CopyText(char* target, const char* source)
{
    if (source)
        lstrcpynA(target, source, static_cast<int>(kProgressTextLength));
}

} // namespace

void SetProgressWindow(HWND window)
{
    g_progressWindow = window;
}

HWND GetProgressWindow()
{
    return g_progressWindow;
}

UINT ProgressOpenMessage()
{
    static const UINT message = Registered("MsgOpenProgress");
    return message;
}

UINT ProgressUpdateMessage()
{
    static const UINT message = Registered("MsgUpdateProgress");
    return message;
}

UINT ProgressCloseMessage()
{
    static const UINT message = Registered("MsgCloseProgress");
    return message;
}

ProgressReporter::ProgressReporter(const char* newText, const char* newCaption, DWORD newOpenParameter,
                                   DWORD newCloseParameter, BOOL cannotCancel)
{
    Reset();
    CopyText(text, newText);
    CopyText(caption, newCaption);
    flags = cannotCancel ? kProgressCannotCancel : 0;
    openParameter = newOpenParameter;
    closeParameter = newCloseParameter;
    Open(openParameter);
}

ProgressReporter::~ProgressReporter()
{
    if (shown)
        End();
}

void ProgressReporter::Reset()
{
    position = 0;
    std::memset(text, 0, sizeof(text));
    std::memset(caption, 0, sizeof(caption));
    flags = 0;
    cancelled = 0;
    shown = 0;
    openParameter = 0;
    closeParameter = 0;
    minimum = 0;
    maximum = 100;
}

void ProgressReporter::Open(DWORD parameter)
{
    HWND window = GetProgressWindow();
    if (!window)
        return;
    if (shown) {
        Update();
        return;
    }
    ::SendMessageA(window, ProgressOpenMessage(), reinterpret_cast<WPARAM>(this), static_cast<LPARAM>(parameter));
    shown = 1;
}

int ProgressReporter::Update()
{
    HWND window = GetProgressWindow();
    if (!window || !shown)
        return 0;
    if (::SendMessageA(window, ProgressUpdateMessage(), reinterpret_cast<WPARAM>(this), 0) == 0)
        cancelled = 1;
    return cancelled;
}

int ProgressReporter::SetPosition(UINT newPosition)
{
    position = newPosition;
    if (!shown)
        return 1;
    return Update();
}

LRESULT ProgressReporter::Close(DWORD parameter)
{
    HWND window = GetProgressWindow();
    // The dialog counts opens: a close without one of ours would end another reporter's.
    if (!window || !shown)
        return 0;
    LRESULT answer = ::SendMessageA(window, ProgressCloseMessage(), 0, static_cast<LPARAM>(parameter));
    shown = 0;
    return answer;
}

LRESULT ProgressReporter::End()
{
    return Close(closeParameter);
}
