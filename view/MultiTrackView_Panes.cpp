// The view as the tool panes drive it (ViewPaneLink): the controller's transport callbacks,
// the state word it keeps in the view, and the selection moves of the marker jumps.
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "TransportBits.h"
#include "ViewHost.h"
#include "ViewPaneLink.h"

CNyMultiTrackView* ViewOfPaneLink(ControllerViewLink* link)
{
    auto* own = dynamic_cast<ViewPaneLink*>(link);
    return own ? own->View() : nullptr;
}

ControllerViewLink* PaneLinkOf(CNyMultiTrackView* view)
{
    return view ? view->GetPaneLink() : nullptr;
}

bool IsViewBusy(CNyMultiTrackView* view)
{
    if (!view || !view->m_hWnd)
        return false;
    HWND capture = ::GetCapture();
    return view->GetEditMode() != 0 || (capture && ::IsChild(view->m_hWnd, capture));
}

CNyMultiTrackDoc* ViewPaneLink::GetDocument()
{
    return m_view->GetMultiTrackDoc();
}

HWND ViewPaneLink::GetViewWindow()
{
    return m_view->m_hWnd;
}

uint32_t ViewPaneLink::GetTransportState()
{
    return m_view->TransportFlags();
}

void ViewPaneLink::SetTransportState(uint32_t state)
{
    m_view->TransportFlags() = state;
}

int64_t ViewPaneLink::SamplesToTime(int64_t frames)
{
    CNyMultiTrackDoc* doc = GetDocument();
    const DWORD rate = doc ? doc->GetSamplesPerSec() : 0;
    return rate ? frames * 10000 / int64_t(rate) : 0;
}

bool ViewPaneLink::IsSelectionPlayable()
{
    return m_view->IsSelectionPlayable();
}

bool ViewPaneLink::IsBusy()
{
    return IsViewBusy(m_view);
}

// The start point a pause keeps is the view's saved play start.
int64_t ViewPaneLink::GetPausedPosition()
{
    return m_view->GetSavedPlayStart();
}

void ViewPaneLink::SetPausedPosition(int64_t position)
{
    m_view->SetSavedPlayStart(position);
}

bool ViewPaneLink::IsPlayTimerRunning()
{
    return m_view->m_playTimer != 0;
}

void ViewPaneLink::KillPlayTimer()
{
    if (m_view->m_playTimer && m_view->m_hWnd)
        ::KillTimer(m_view->m_hWnd, m_view->m_playTimer);
    m_view->m_playTimer = 0;
}

void ViewPaneLink::OnPlayStarted()
{
    m_view->OnPlayStarted(0);
}

void ViewPaneLink::OnPlayStopped(int64_t position)
{
    m_view->OnPlayStopped(position);
}

void ViewPaneLink::SetEditPosition(int64_t position)
{
    m_view->SetEditPosition(position);
}

void ViewPaneLink::SetEngineLoop(bool on)
{
    m_view->SetEngineLoop(on ? 1 : 0);
}

void ViewPaneLink::SetAutomation(bool write, bool on)
{
    if (write)
        CNyMultiTrackView::SetWriteAutomation(on ? 1 : 0);
    else
        CNyMultiTrackView::SetReadAutomation(on ? 1 : 0);
}

void ViewPaneLink::SendCommand(UINT id)
{
    if (m_view->m_hWnd)
        ::SendMessageA(m_view->m_hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void ViewPaneLink::SendChar(char ch)
{
    if (m_view->m_hWnd)
        ::SendMessageA(m_view->m_hWnd, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(ch)), 0);
}

bool ViewPaneLink::IsTransportIdle()
{
    return m_view->IsTransportIdle();
}

void ViewPaneLink::ShowCaret(bool show)
{
    m_view->InvalidateCaret(show ? 1 : 0);
}

void ViewPaneLink::RefreshCaret()
{
    if (m_view->IsPlaying())
        m_view->InvalidateCaret(1);
}

void ViewPaneLink::AfterStop()
{
    if (!m_view->m_hWnd)
        return;
    m_view->UpdateScrollBars();
    m_view->Invalidate();
    m_view->AttachToolWindows(1);
}

void ViewPaneLink::SelectionMoved()
{
    if (!m_view->m_hWnd)
        return;
    m_view->InvalidateTimeline();
    GetViewHost().UpdateAnalysisAndEffects();
}

void CNyMultiTrackView::SelectionChanged()
{
    if (!m_hWnd)
        return;
    IViewHost& host = GetViewHost();
    host.RefreshSelectionPane(this);
    if (IViewController* controller = host.GetController()) {
        // The controller's Play lamp reads whether the selection lies over any data.
        if (IsSelectionOutsideData())
            m_transportFlags |= kTransportNotPlayable;
        else
            m_transportFlags &= ~kTransportNotPlayable;
        controller->UpdateDisplay();
    }
    m_overview.Redraw();
}

StripLevelTarget* ViewPaneLink::GetLevelTarget()
{
    return &m_levels;
}

int64_t ViewPaneLink::GetPlayPosition()
{
    return m_view->GetPlayPosition();
}

namespace {
// A failing step of a live change shows its code; the gesture goes on.
template <class Action> void Guarded(CNyMultiTrackView* view, Action action)
{
    try {
        action(view->GetAmplitudeScale());
    } catch (const CKvSSException& e) {
        if (e.m_hr < 0)
            GetViewHost().ShowErrorBox(e.m_hr, nullptr);
    }
}
} // namespace

void ScaleLevelTarget::BeginVolumeChange(int track, int* minimum, int* maximum)
{
    Guarded(m_view, [&](CAmplitudeScalePane& scale) { scale.BeginVolumeChange(track, minimum, maximum); });
}

void ScaleLevelTarget::SetTrackVolume(int track, double volume)
{
    Guarded(m_view, [&](CAmplitudeScalePane& scale) { scale.SetTrackVolume(track, float(volume)); });
}

void ScaleLevelTarget::EndVolumeChange(int track)
{
    Guarded(m_view, [&](CAmplitudeScalePane& scale) { scale.EndVolumeChange(track); });
}

void ScaleLevelTarget::BeginPanChange(int track)
{
    Guarded(m_view, [&](CAmplitudeScalePane& scale) { scale.BeginPanChange(track); });
}

void ScaleLevelTarget::SetTrackPan(int track, double pan)
{
    Guarded(m_view, [&](CAmplitudeScalePane& scale) { scale.SetTrackPan(track, float(pan)); });
}

void ScaleLevelTarget::EndPanChange(int track)
{
    Guarded(m_view, [&](CAmplitudeScalePane& scale) { scale.EndPanChange(track); });
}

void ScaleLevelTarget::CancelLiveChange(int track)
{
    (void)track; // the pane knows the track it changes
    Guarded(m_view, [](CAmplitudeScalePane& scale) { scale.CancelLiveChange(); });
}

void ScaleLevelTarget::DeleteEnvelopePoint(int track, int kind, int64_t position)
{
    Guarded(m_view, [&](CAmplitudeScalePane& scale) { scale.DeleteEnvelopePoint(track, kind, position); });
}
