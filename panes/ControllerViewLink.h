// ControllerViewLink: what the Controller asks of the multitrack view it drives. The view
// implements it when it attaches itself (CNyControlView::SetActiveView); DocumentTransportLink
// answers for a document alone, as a view that shows nothing would.
#pragma once
#include <windows.h>

#include <cstdint>

class CNyMultiTrackDoc;
class StripLevelTarget;

class ControllerViewLink {
public:
    virtual CNyMultiTrackDoc* GetDocument() = 0;
    virtual HWND GetViewWindow() = 0;
    // The view's transport state word (bits 0 loop .. 4 record while playing).
    virtual uint32_t GetTransportState() = 0;
    virtual void SetTransportState(uint32_t state) = 0;
    // Sample frames to 1/10000 s.
    virtual int64_t SamplesToTime(int64_t frames) = 0;
    virtual bool IsSelectionPlayable() = 0;
    virtual bool IsBusy() = 0;
    // Position held while the transport is stopped by a pause of the view; -1 none.
    virtual int64_t GetPausedPosition() = 0;
    virtual void SetPausedPosition(int64_t position) = 0;
    virtual bool IsPlayTimerRunning() = 0;
    virtual void KillPlayTimer() = 0;
    virtual void OnPlayStarted() = 0;
    virtual void OnPlayStopped(int64_t position) = 0;
    virtual void SetEditPosition(int64_t position) = 0;
    // The repeat switch of playback as the Loop button sets it.
    virtual void SetEngineLoop(bool on) = 0;
    // The program's Read or Write Automation switch; every open document's engine follows.
    virtual void SetAutomation(bool write, bool on) = 0;
    // Commands and keys the view handles: 1049 Play/Stop, 1009 Fit to Window, 'H' to start.
    virtual void SendCommand(UINT id) = 0;
    virtual void SendChar(char ch) = 0;
    // Playback does not run (or runs paused).
    virtual bool IsTransportIdle() = 0;
    virtual void ShowCaret(bool show) = 0;
    virtual void RefreshCaret() = 0;
    // After Stop: scroll bars, repaint and the tool windows attached again.
    virtual void AfterStop() = 0;
    // The selection moved (marker jumps): repaint it and the analysis pane.
    virtual void SelectionMoved() = 0;
    // Where the mixer's faders and pan sliders send their values; null: the document alone.
    virtual StripLevelTarget* GetLevelTarget() = 0;
    // The position playback has reached; -1 while nothing plays.
    virtual int64_t GetPlayPosition() = 0;

protected:
    ~ControllerViewLink() = default;
};
