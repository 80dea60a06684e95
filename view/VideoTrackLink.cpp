#include "VideoTrackLink.h"

#include "DocWiring.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "ViewHost.h"

namespace {

DocWiring::DocumentVideo* VideoOfDocument(CNyMultiTrackDoc* document)
{
    auto* view = dynamic_cast<CNyMultiTrackView*>(document->GetMultiTrackView());
    return view ? &view->GetVideoTrackPane() : nullptr;
}

} // namespace

VideoTrackLink::VideoTrackLink(CNyMultiTrackView* view) : m_view(view)
{
    DocWiring::SetVideoLookup(&VideoOfDocument);
}

double VideoTrackLink::TimeToPixelsExact(double time)
{
    return m_view->Axis().TimeToPixelsExact(time);
}

double VideoTrackLink::PixelsToTime(int pixels)
{
    return m_view->PixelsToTime(pixels);
}

double VideoTrackLink::VisibleStartTime()
{
    return m_view->SamplesToTime(m_view->GetFirstVisibleSample());
}

DWORD VideoTrackLink::SampleRate()
{
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    return doc ? doc->GetSamplesPerSec() : 0;
}

bool VideoTrackLink::GetPlayState(int* state, int64_t* position)
{
    IViewController* controller = GetViewHost().GetController();
    if (!controller)
        return false;
    *state = controller->IsPaused() ? 3 : controller->IsPlaying() ? 2 : 0;
    *position = 0;
    if (*state == 2 && FAILED(controller->GetPlayPosition(position)))
        *state = 0;
    return true;
}

HWND VideoTrackLink::ViewWindow()
{
    return m_view->m_hWnd;
}

void VideoTrackLink::RelayoutView()
{
    if (!m_view->m_hWnd)
        return;
    m_view->RecalcLayout();
    m_view->UpdateScrollBars();
    m_view->Invalidate();
}

VideoAnimationOff::VideoAnimationOff(CVideoTrackPane& pane) : m_pane(pane), m_was(pane.SetFrameAnimation(FALSE)) {}

VideoAnimationOff::~VideoAnimationOff()
{
    m_pane.SetFrameAnimation(m_was);
}
