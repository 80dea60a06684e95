// ViewPaneLink: the multitrack view as the tool panes see it (the controller, the mixer, the
// selection control and the marker list drive the view through it). Each view holds one; the
// pane's pointer leads back to the view (ViewOfPaneLink).
#pragma once
#include "ControllerViewLink.h"
#include "StripLevelTarget.h"

class CNyMultiTrackView;

// The view's amplitude-scale pane as the mixer strips' level target: one undoable step a
// gesture, grouped tracks following, envelope points written under Write Automation.
class ScaleLevelTarget final : public StripLevelTarget {
public:
    explicit ScaleLevelTarget(CNyMultiTrackView* view) : m_view(view) {}
    virtual ~ScaleLevelTarget() = default;

    void BeginVolumeChange(int track, int* minimum, int* maximum) override;
    void SetTrackVolume(int track, double volume) override;
    void EndVolumeChange(int track) override;
    void BeginPanChange(int track) override;
    void SetTrackPan(int track, double pan) override;
    void EndPanChange(int track) override;
    void CancelLiveChange(int track) override;
    void DeleteEnvelopePoint(int track, int kind, int64_t position) override;

private:
    CNyMultiTrackView* m_view;
};

class ViewPaneLink final : public ControllerViewLink {
public:
    explicit ViewPaneLink(CNyMultiTrackView* view) : m_view(view) {}
    ViewPaneLink(const ViewPaneLink&) = delete;
    ViewPaneLink& operator=(const ViewPaneLink&) = delete;
    virtual ~ViewPaneLink() = default;

    CNyMultiTrackView* View() const { return m_view; }

    CNyMultiTrackDoc* GetDocument() override;
    HWND GetViewWindow() override;
    uint32_t GetTransportState() override;
    void SetTransportState(uint32_t state) override;
    int64_t SamplesToTime(int64_t frames) override;
    bool IsSelectionPlayable() override;
    bool IsBusy() override;
    int64_t GetPausedPosition() override;
    void SetPausedPosition(int64_t position) override;
    bool IsPlayTimerRunning() override;
    void KillPlayTimer() override;
    void OnPlayStarted() override;
    void OnPlayStopped(int64_t position) override;
    void SetEditPosition(int64_t position) override;
    void SetEngineLoop(bool on) override;
    void SetAutomation(bool write, bool on) override;
    void SendCommand(UINT id) override;
    void SendChar(char ch) override;
    bool IsTransportIdle() override;
    void ShowCaret(bool show) override;
    void RefreshCaret() override;
    void AfterStop() override;
    void SelectionMoved() override;
    StripLevelTarget* GetLevelTarget() override;
    int64_t GetPlayPosition() override;

private:
    CNyMultiTrackView* m_view;
    ScaleLevelTarget m_levels{m_view};
};

// The view a pane's link belongs to; null for none or for a link that is not a view's.
CNyMultiTrackView* ViewOfPaneLink(ControllerViewLink* link);
// The link of a view; null for null.
ControllerViewLink* PaneLinkOf(CNyMultiTrackView* view);
// The view is busy for the panes: a fade-handle edit mode, or a drag held by one of its panes.
bool IsViewBusy(CNyMultiTrackView* view);
