// ProgramHosts: what the multitrack view (IViewHost) and the document's command handlers
// (DocWiring::Host) ask of the program, answered by the main frame's panes and the
// application. The application installs it at start-up and takes it away at its end.
#pragma once
#include "DocWiring.h"
#include "ViewHost.h"

class CMainFrame;
class CMixerView;
class CNyApp;
class CNyControlView;
class CMarkerListDlg;
class CSelectionControlDlg;
class CNyAnalizeWnd;
class CVideoPreviewWnd;

// The panes that exist now (never creates one); null without a main frame or the pane.
CNyControlView* HeldController();
CMixerView* HeldMixer();
CSelectionControlDlg* HeldSelectionPane();
CMarkerListDlg* HeldMarkerList();
CNyAnalizeWnd* HeldAnalysisPane();
// The shown analysis pane analyses the selection again (resetKey: even when nothing changed).
void UpdateAnalysisPane(int resetKey);
CVideoPreviewWnd* HeldVideoPreview();

// Installs the program's hosts (once per process; the previous ones are kept to answer what
// the program leaves to them, such as the file facts of a drop).
void InstallProgramHosts();
void RemoveProgramHosts();
// The handle edit modes' host (menus, tool windows), installed and removed with the others.
void InstallEditModeHost();
void RemoveEditModeHost();
