#include "EditBusyGuard.h"
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "ViewHost.h"

#include <algorithm>

namespace {
IViewController* Controller()
{
    return GetViewHost().GetController();
}
} // namespace

bool CNyMultiTrackView::IsPlaying()
{
    LONG state = 0;
    IViewController* c = Controller();
    return c && SUCCEEDED(c->GetEngineState(&state)) && state == 2;
}

bool CNyMultiTrackView::IsRecording()
{
    LONG state = 0;
    IViewController* c = Controller();
    return c && SUCCEEDED(c->GetEngineState(&state)) && state == 3;
}

bool CNyMultiTrackView::IsTransportIdle() const
{
    IViewController* c = Controller();
    return !c || c->GetBusyState() == 0;
}

namespace {
// Over the tracks with a selected row: the smallest start and the largest last sample.
bool SelectedDataSpan(CNyMultiTrackDoc* doc, CSelectionModel* selection, int64_t* first, int64_t* last)
{
    bool any = false;
    *first = 0;
    *last = 0;
    for (int t = 0, n = doc->GetTrackCount(); t < n; ++t) {
        if (!selection->IsTrackSelectedAt(t))
            continue;
        int64_t start = doc->GetTrackExtent(t, -1), end = doc->GetTrackExtent(t, 1) - 1;
        *first = any ? std::min(*first, start) : start;
        *last = any ? std::max(*last, end) : end;
        any = true;
    }
    return any;
}
} // namespace

bool CNyMultiTrackView::IsSelectionPlayable()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    if (!doc || !selection || doc->GetLength() == 0 || InPlaceEditWritable())
        return false;
    int64_t s = 0, e = 0, first = 0, last = 0;
    selection->GetOrderedSelection(&s, &e);
    SelectedDataSpan(doc, selection, &first, &last);
    return s < last && (s == e || e >= first);
}

bool CNyMultiTrackView::IsSelectionOutsideData()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    if (!doc || !selection)
        return true;
    int64_t s = 0, e = 0, first = 0, last = 0;
    selection->GetOrderedSelection(&s, &e);
    if (!SelectedDataSpan(doc, selection, &first, &last) || last < first)
        return true;
    return e < first || s > last;
}

void CNyMultiTrackView::ShowError(HRESULT code)
{
    if (code < 0)
        GetViewHost().ShowErrorBox(code, nullptr);
}

void CNyMultiTrackView::RunGuarded(const std::function<void(IViewController*)>& action)
{
    if (EditBusyGuard::IsBusy())
        return;
    EditBusyGuard guard;
    IViewController* c = Controller();
    if (!c)
        return;
    try {
        action(c);
    } catch (const CKvSSException& e) {
        ShowError(e.m_hr);
    }
}

void CNyMultiTrackView::PlayStopAction(IViewController* c)
{
    EndInPlaceEdit();
    if (c->IsRecording())
        return;
    if (c->IsPlaying())
        c->Stop();
    else
        c->Play();
}

void CNyMultiTrackView::OnPlayStop()
{
    if (m_editMode == 1 || m_editMode == 2) {
        ::SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(1131, 0), 0);
        return;
    }
    RunGuarded([this](IViewController* c) { PlayStopAction(c); });
}

void CNyMultiTrackView::OnUpdatePlayStop(CCmdUI* ui)
{
    if (m_editMode == 1 || m_editMode == 2) {
        OnUpdateFadePreview(ui);
        return;
    }
    IViewController* c = Controller();
    if (!c)
        ui->Enable(FALSE);
    else if (c->IsPaused() || c->IsRecording())
        ui->Enable(c->CanStop());
    else
        ui->Enable(IsSelectionPlayable());
}

void CNyMultiTrackView::RecordAction(IViewController* c)
{
    if (c->IsRecording()) {
        if (c->IsPaused())
            c->Pause();
        else
            c->Stop();
    } else {
        c->Record();
    }
}

void CNyMultiTrackView::OnRecord()
{
    RunGuarded([this](IViewController* c) { RecordAction(c); });
}

void CNyMultiTrackView::OnUpdateRecord(CCmdUI* ui)
{
    IViewController* c = Controller();
    ui->Enable(!InPlaceEditWritable() && m_editMode == 0 && c && (c->CanRecord() || c->IsRecording()));
}

void CNyMultiTrackView::PauseAction(IViewController* c)
{
    if (c->IsRecording() && c->IsPaused())
        c->Stop();
    else if (c->CanPause())
        c->Pause();
    else if (!c->HasRecordingTake() && m_savedPlayStart >= 0)
        c->Stop(); // hands the saved start to OnPlayStopped
}

void CNyMultiTrackView::OnPause()
{
    RunGuarded([this](IViewController* c) { PauseAction(c); });
}

void CNyMultiTrackView::OnUpdatePause(CCmdUI* ui)
{
    IViewController* c = Controller();
    if (!c)
        ui->Enable(FALSE);
    else if (c->IsRecording())
        ui->Enable(c->IsPaused());
    else if (!m_playTimer && m_savedPlayStart >= 0)
        ui->Enable(TRUE);
    else
        ui->Enable(c->CanPause());
}

void CNyMultiTrackView::OnMovePlayCursorToStart()
{
    IViewController* c = Controller();
    if (!c)
        return;
    try {
        c->Stop();
    } catch (const CKvSSException& e) {
        ShowError(e.m_hr);
    }
}

void CNyMultiTrackView::OnUpdateMovePlayCursorToStart(CCmdUI* ui)
{
    ui->Enable(!InPlaceEditWritable() && m_editMode == 0 && Controller() && !m_playTimer && m_savedPlayStart >= 0);
}

void CNyMultiTrackView::OnLoop()
{
    RunGuarded([](IViewController* c) { c->ToggleLoop(); });
}

namespace {
LONG EngineSwitch(CNyMultiTrackDoc* doc, HRESULT (STDMETHODCALLTYPE IMtTrackSet::*get)(LONG*))
{
    LONG on = 0;
    IMtTrackSet* set = doc ? doc->GetTrackSet() : nullptr;
    if (set)
        (set->*get)(&on);
    return on;
}
} // namespace

void CNyMultiTrackView::OnUpdateLoop(CCmdUI* ui)
{
    ui->SetCheck(EngineSwitch(GetMultiTrackDoc(), &IMtTrackSet::GetShuttleStart) != 0);
    IViewController* c = Controller();
    ui->Enable(c && c->CanLoop());
}

void CNyMultiTrackView::OnReadAutomation()
{
    RunGuarded([](IViewController* c) { c->ToggleReadAutomation(); });
}

void CNyMultiTrackView::OnWriteAutomation()
{
    RunGuarded([](IViewController* c) { c->ToggleWriteAutomation(); });
}

void CNyMultiTrackView::OnUpdateReadAutomation(CCmdUI* ui)
{
    ui->SetCheck(EngineSwitch(GetMultiTrackDoc(), &IMtTrackSet::GetReadAutomation) != 0);
    IViewController* c = Controller();
    ui->Enable(c && c->CanToggleAutomation());
}

void CNyMultiTrackView::OnUpdateWriteAutomation(CCmdUI* ui)
{
    ui->SetCheck(EngineSwitch(GetMultiTrackDoc(), &IMtTrackSet::GetWriteAutomation) != 0);
    IViewController* c = Controller();
    ui->Enable(c && c->CanToggleAutomation());
}

void CNyMultiTrackView::OnRecordWhilePlaying()
{
    if (IViewController* c = Controller())
        c->ToggleRecordWhilePlaying();
}

void CNyMultiTrackView::OnUpdateRecordWhilePlaying(CCmdUI* ui)
{
    IViewController* c = Controller();
    ui->SetCheck(c && c->IsRecordWhilePlaying());
    ui->Enable(c && c->CanRecordWhilePlaying());
}

void CNyMultiTrackView::OnRecordingTimer()
{
    // The Auto Stop Recording Timer dialog comes with the settings dialogs.
    GetViewHost().RunRecordingTimerDialog();
}

void CNyMultiTrackView::OnUpdateRecordingTimer(CCmdUI* ui)
{
    IViewController* c = Controller();
    ui->Enable(!InPlaceEditWritable() && m_editMode == 0 && c && c->CanRecord());
}

void CNyMultiTrackView::SetEngineLoop(LONG value)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (doc && doc->GetTrackSet())
        doc->GetTrackSet()->SetShuttleStart(value);
}

void CNyMultiTrackView::SetReadAutomation(LONG value)
{
    GetViewHost().SetReadAutomation(value != 0);
}

void CNyMultiTrackView::SetWriteAutomation(LONG value)
{
    GetViewHost().SetWriteAutomation(value != 0);
}

int CNyMultiTrackView::OnPlayStarted(int)
{
    int64_t s = 0, e = 0;
    if (CSelectionModel* selection = GetSelection())
        selection->GetOrderedSelection(&s, &e);
    m_savedPlayStart = s;
    m_savedPlayEnd = e;
    m_video.StartFrameAnimation();
    m_playTimer = ::SetTimer(m_hWnd, kPlayTimerId, 66, nullptr);
    if (IViewMixer* mixer = GetViewHost().GetMixer())
        mixer->StartMeterTimer();
    m_caretEnabled = 0;
    if (m_trackArea.m_hWnd) {
        ::InvalidateRect(m_trackArea.m_hWnd, nullptr, TRUE);
        m_trackArea.GetPlayCursorLine().Show();
    }
    return 1;
}

void CNyMultiTrackView::OnPlayStopped(int64_t position)
{
    CSelectionModel* selection = GetSelection();
    if (!selection)
        return;
    int64_t s = 0, e = 0;
    selection->GetOrderedSelection(&s, &e);
    int64_t p = s != e ? s : 0;
    if (position >= 0)
        p = position;
    m_playPosition = p;
    SetEditPosition(p);
    m_savedPlayEnd = p;
    EnsureSampleVisible(p);
    m_caretEnabled = 1;
    if (s == e)
        selection->SetSelection(p, p);
    if (!(m_savedPlayStart == s && s == e))
        m_savedPlayStart = m_savedPlayEnd = -1;
    SetPlayPosition(-1);
    InvalidateCaret(1);
}

void CNyMultiTrackView::UpdatePlayPosition(int noMixer)
{
    IViewController* c = Controller();
    if (!c)
        return;
    LONG state = 0;
    if (FAILED(c->GetEngineState(&state))) {
        SetPlayPosition(-1);
        if (m_playTimer) {
            ::KillTimer(m_hWnd, m_playTimer);
            m_playTimer = 0;
        }
        return;
    }
    if (state == 3) {
        int64_t pos = m_playPosition;
        c->GetPlayPosition(&pos);
        if (pos == m_playPosition)
            return;
        SetEditPosition(m_playPosition);
        SetPlayPosition(pos);
        EnsureSampleVisible(m_playPosition);
        SetEditPosition(pos);
        if (m_ruler.m_hWnd) {
            ::InvalidateRect(m_ruler.m_hWnd, nullptr, TRUE);
            ::UpdateWindow(m_ruler.m_hWnd);
        }
        return;
    }
    int64_t pos = 0;
    c->GetPlayPosition(&pos);
    if (state != 2) {
        if (c->GetActiveView() == this)
            return;
        m_viewFlags &= ~DWORD(2);
    }
    if (m_playTimer)
        SetPlayPosition(pos);
    // The panes the scroll moved are drawn after the tick, all in one pass.
    EnsureSampleVisible(m_playPosition, false);
    if (!m_noIntermediateRepaint && m_video.m_hWnd) {
        m_videoUpdate = 0;
        ::UpdateWindow(m_video.m_hWnd);
        m_videoUpdate = 1;
    }
    if (!noMixer)
        SyncMixerAutomation();
}

void CNyMultiTrackView::SyncMixerAutomation()
{
    IViewHost& host = GetViewHost();
    IViewMixer* mixer = host.GetMixer();
    if (!mixer)
        return;
    if (host.IsWriteAutomation())
        mixer->WriteAutomation();
    if (host.IsReadAutomation())
        mixer->ReadAutomation();
}

void CNyMultiTrackView::OnTimer(UINT_PTR id)
{
    if (id == kPlayTimerId)
        UpdatePlayPosition(0);
}

LRESULT CNyMultiTrackView::OnTracksStopPlay(WPARAM code, LPARAM)
{
    if (m_playTimer)
        OnTimer(kPlayTimerId);
    if (IViewController* c = Controller()) {
        try {
            c->Stop();
        } catch (const CKvSSException&) {
        }
    }
    ShowError(static_cast<HRESULT>(code));
    return 1;
}

void CNyMultiTrackView::OnDestroy()
{
    LONG state = 0;
    IViewController* c = Controller();
    if (c && SUCCEEDED(c->GetEngineState(&state)) && (state == 2 || state == 3)) {
        try {
            c->Stop();
        } catch (const CKvSSException& e) {
            ShowError(e.m_hr);
        }
    }
    CView::OnDestroy();
}

int64_t CNyMultiTrackView::GetPlayPositionNow()
{
    IViewController* c = Controller();
    LONG state = 0;
    int64_t position = -1;
    if (c && c->GetActiveView() == this && SUCCEEDED(c->GetEngineState(&state)) && (state == 2 || state == 3) &&
        SUCCEEDED(c->GetPlayPosition(&position)) && position >= 0)
        return position;
    return m_playPosition;
}
