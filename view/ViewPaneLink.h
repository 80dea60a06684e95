// ViewPaneLink: the multitrack view as the tool panes see it (the controller, the mixer, the
// selection control and the marker list drive the view through it). Each view holds one; the
// pane's pointer leads back to the view (ViewOfPaneLink).
#pragma once
#include "ControllerViewLink.h"

class CNyMultiTrackView;

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
    void SendCommand(UINT id) override;
    void SendChar(char ch) override;
    bool IsTransportIdle() override;
    void ShowCaret(bool show) override;
    void RefreshCaret() override;
    void AfterStop() override;
    void SelectionMoved() override;

private:
    CNyMultiTrackView* m_view;
};

// The view a pane's link belongs to; null for none or for a link that is not a view's.
CNyMultiTrackView* ViewOfPaneLink(ControllerViewLink* link);
// The link of a view; null for null.
ControllerViewLink* PaneLinkOf(CNyMultiTrackView* view);
// The view is busy for the panes: a fade-handle edit mode, or a drag held by one of its panes.
bool IsViewBusy(CNyMultiTrackView* view);
