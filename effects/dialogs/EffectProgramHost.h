// What the effect dialogs and the effect launcher ask of the program around them: the progress
// dialog of an operation, the program's error box, and the launcher pane of the main window.
// The program installs its answers at start-up (InstallEffectDialogs); without them the
// dialogs still work: no progress dialog is shown, waits keep the messages going themselves
// and errors come in a plain message box.
#pragma once
#include "Framework.h"

class CEffectPaletteView;

class IEffectProgramHost {
public:
    // Opens the operation's progress dialog owned by owner; its window, or null (progress
    // records then go nowhere).
    virtual HWND OpenProgressDialog(CWnd* owner) = 0;
    virtual void CloseProgressDialog() = 0;
    // Waits for the handle with messages going (Esc cancels through the progress dialog).
    virtual void WaitForHandle(HANDLE handle) = 0;
    // The error box of a code (nothing for a cancel), with the caption and icon.
    virtual void ShowErrorBox(HRESULT code, const char* caption, UINT icon) = 0;
    // The effect launcher of the main window, created on first use; null without one.
    virtual CEffectPaletteView* GetEffectLauncher() = 0;

protected:
    ~IEffectProgramHost() = default;
};

IEffectProgramHost& GetEffectProgramHost();

// Waits for the handle while taking and dispatching this thread's messages (through the
// application's filters, so that dialog keys still work).
void WaitDispatching(HANDLE handle);

// Installs the effect, fade and crossfade dialogs for the document's commands, with the
// program's host (null: the stand-alone answers above); Remove takes them away again.
void InstallEffectDialogs(IEffectProgramHost* host);
void RemoveEffectDialogs();
