// What the multitrack view asks of the program around it: the controller (transport), the
// mixer, the main frame's pane switches and the file import a drop runs. Each is reached
// through one small function below; a null answer means the piece is not there, and the
// view's commands that need it are disabled or do nothing.
#pragma once
#include "FileInfoRecord.h"

#include <windows.h>

#include <cstdint>

class CNyMultiTrackDoc;
class CNyMultiTrackView;
struct IEditCommand;

// The controller pane's view (transport, counters), as the view uses it.
class IViewController {
public:
    // Engine state: 2 playing, 3 recording; negative on failure.
    virtual HRESULT GetEngineState(LONG* state) = 0;
    virtual HRESULT GetPlayPosition(int64_t* position) = 0;
    // 0 when nothing runs.
    virtual int GetBusyState() = 0;
    virtual bool IsPlaying() = 0;
    virtual bool IsPaused() = 0;
    virtual bool IsRecording() = 0;
    virtual bool IsRecordWhilePlaying() = 0;
    virtual bool HasRecordingTake() = 0;
    virtual bool CanStop() = 0;
    virtual bool CanRecord() = 0;
    virtual bool CanPause() = 0;
    virtual bool CanLoop() = 0;
    virtual bool CanToggleAutomation() = 0;
    virtual bool CanRecordWhilePlaying() = 0;
    virtual bool CanGoToMarker() = 0;
    // Transport actions; failures are thrown as CKvSSException.
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Record() = 0;
    virtual void ToggleLoop() = 0;
    virtual void ToggleReadAutomation() = 0;
    virtual void ToggleWriteAutomation() = 0;
    virtual void ToggleRecordWhilePlaying() = 0;
    virtual void PreviousMarker() = 0;
    virtual void NextMarker() = 0;
    virtual void Rewind() = 0;
    virtual void FastForward() = 0;
    virtual void StopWinding() = 0;
    virtual void WindFromKey(bool backward) = 0;
    // Sets the counter to a position and redraws it.
    virtual void ShowCounter(int64_t position) = 0;
    // The view it works for (null: none) and its redraw.
    virtual CNyMultiTrackView* GetActiveView() = 0;
    virtual void SetActiveView(CNyMultiTrackView* view) = 0;
    virtual void UpdateDisplay() = 0;

protected:
    ~IViewController() = default;
};

// The mixer pane's view.
class IViewMixer {
public:
    virtual CNyMultiTrackView* GetView() = 0;
    virtual void SetView(CNyMultiTrackView* view) = 0;
    virtual void Rebuild() = 0;
    virtual void InvalidateAll() = 0;
    virtual void StartMeterTimer() = 0;
    // Automation at the current position: write (kinds 0 and 1) or re-read.
    virtual void WriteAutomation() = 0;
    virtual void ReadAutomation() = 0;

protected:
    ~IViewMixer() = default;
};

// The main frame and the application, as the view uses them.
class IViewHost {
public:
    virtual IViewController* GetController() = 0;
    virtual IViewMixer* GetMixer() = 0;
    // Enables or disables the panes attached to the view.
    virtual void EnableSelectionPanes(CNyMultiTrackView* view, bool disable) = 0;
    virtual void EnableControllerPanes(CNyMultiTrackView* view, bool disable) = 0;
    // Attaches the selection control, marker list, video preview, mixer and effect launcher
    // panes that exist to the view being activated (the selection control reloads its fields).
    virtual void AttachToolPanes(CNyMultiTrackView* view) = 0;
    // Detaches every other tool pane (selection control, marker list, video preview, effect
    // launcher, fade dialogs) that still points at the view.
    virtual void DetachToolPanes(CNyMultiTrackView* view) = 0;
    virtual void ShowErrorBox(HRESULT code, const char* caption) = 0;
    virtual bool IsReadAutomation() = 0;
    virtual bool IsWriteAutomation() = 0;
    virtual void SetReadAutomation(bool on) = 0;
    virtual void SetWriteAutomation(bool on) = 0;
    virtual void UpdateAllDocuments() = 0;
    // After a key: the frequency analysis pane and the effect launcher's rows follow.
    virtual void UpdateAnalysisAndEffects() = 0;
    // While the transport runs: the analysis pane bound to the view analyses the block at the
    // position when it is shown.
    virtual void AnalyzeAt(CNyMultiTrackView* view, int64_t position)
    {
        (void)view;
        (void)position;
    }
    // The Auto Stop Recording Timer dialog, modal.
    virtual void RunRecordingTimerDialog() = 0;
    // The document Properties dialog for a track, modal.
    virtual void RunPropertiesDialog(CNyMultiTrackView* view, int track) = 0;
    // The in-place label editor over a label of the document.
    virtual void BeginLabelEdit(CNyMultiTrackView* view, int labelId) = 0;
    // The marker list pane's refresh (-1: no entry selected).
    virtual void RefreshMarkerList(int entry) = 0;
    // The progress dialog of a long search: open with a title, percent, close; true to cancel.
    virtual void OpenProgress(CNyMultiTrackView* view, const char* title) = 0;
    virtual bool UpdateProgress(int percent) = 0;
    virtual void CloseProgress(bool cancelled) = 0;

    // A drop: the file module's information on a file (negative when it cannot read it), the
    // channel count a project file adds, and the document's import of one file into new
    // tracks, which runs it and hands the command out (null with a failure).
    virtual HRESULT QueryFileInfo(const char* path, FileInfoRecord* info) = 0;
    virtual HRESULT GetProjectChannels(const char* path, int* channels) = 0;
    virtual HRESULT ImportFile(CNyMultiTrackDoc* doc, const char* path, int splitChannels, IEditCommand** command) = 0;

protected:
    ~IViewHost() = default;
};

// Wiring point: the program installs its host (main frame, controller, mixer, import);
// without one the built-in host answers as a program without panes, reads file facts
// through the file module and imports nothing.
void SetViewHost(IViewHost* host);
IViewHost& GetViewHost();
