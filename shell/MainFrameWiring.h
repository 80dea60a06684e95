// What the main frame asks of other parts of the program that join it one by one: the
// application's services, the view's transport and caret, and the dialogs of the settings and
// CD areas. Each lives in MainFrame_Wiring.cpp as one small function; until its part is in the
// program it answers as a program without that part would.
#pragma once
#include "Framework.h"

namespace frame_wiring {

// The effect and fade dialogs behind the document's effect commands, with the application's
// progress dialog and error box and the main frame's effect launcher.
void InstallEffects();
void RemoveEffects();

// The application's progress dialog window, or null.
CWnd* ProgressDialog();
void OpenProgressDialog(CWnd* owner);
void CloseProgressDialog();
// "Last File List" of the open documents.
void SaveLastFiles();
// Re-opens the document the application holds for re-opening.
void ReopenDocument();
// The pending-open parameters the next opened document reads.
void SetPendingOpen(int fileType, int documentType);
void SetPendingSplitChannels(BOOL split);
// The process-wide ASIO flag (playback and recording through an ASIO driver).
void SetAsioInUse(BOOL inUse);
BOOL AsioInUse();
// The CD writer module was found at start-up.
BOOL HasCdWriter();
void StartAutoDemo();
void UpdateAnalysisPane(int mode);

// The settings sheet from a start page: the page shown last; accepted and redraw tell whether
// it ended with OK and whether the saved values change drawing.
int RunSettingsSheet(CWnd* parent, int startPage, BOOL* accepted, BOOL* redraw);
void RunExtractCdDialog();
// From the active window's view (source non-null) or from files.
void RunBurnCdDialog(CView* source);

// The multitrack view: transport idle, playback start position set, the caret of its track
// area (shown or hidden; drawn by the blink timer), its video track pane.
BOOL IsViewTransportIdle(CView* view);
BOOL IsPlayStartSet(CView* view);
void InvalidateCaret(CView* view, BOOL visible);
void DrawCaret(CView* view);
CWnd* VideoTrackPane(CView* view);

} // namespace frame_wiring
