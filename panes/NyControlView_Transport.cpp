// The Controller's transport actions: play, pause, record, stop, winding, loop and marker
// jumps through the engine's transport object.
#include "NyControlView.h"

#include "AudioFormat.h"
#include "CommandHistory.h"
#include "CommandSupport.h"
#include "FileCommands.h"
#include "MarkerJump.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "NyException.h"
#include "SelectionModel.h"
#include "TransactionCommand.h"

#include <algorithm>

namespace {

constexpr UINT kCmdPlayStop = 1049;
constexpr UINT kCmdFitToWindow = 1009;
constexpr HRESULT kPlayEndCode = static_cast<HRESULT>(0x03EA00CB);
constexpr HRESULT kPlayStoppedCode = static_cast<HRESULT>(0x83E80809);

void Check(HRESULT hr)
{
    if (FAILED(hr))
        throw CNyException(hr);
}

template <class I>
ComRef<I> Ask(IUnknown* object)
{
    ComRef<I> out;
    if (object)
        Check(object->QueryInterface(__uuidof(I), out.OutVoid()));
    return out;
}

} // namespace

void CNyControlView::ReleaseRunInterfaces()
{
    m_status.Reset();
    m_position.Reset();
}

void CNyControlView::EnableTransportPanes(bool enable)
{
    for (CWnd* pane : {m_selectionPane, m_markerPane})
        if (pane && pane->m_hWnd)
            ::EnableWindow(pane->m_hWnd, enable);
}

void CNyControlView::AfterTransportChange()
{
    EnableTransportPanes(!IsPlaying() && !IsRecording());
    if (CNyMultiTrackDoc* doc = Document())
        doc->UpdateAllViews(nullptr);
    RedrawButtons(nullptr);
}

void CNyControlView::Play()
{
    if (!m_view || !m_engine)
        return;
    LONG state = 0;
    Check(m_engine->GetState(&state));
    HRESULT hr = S_OK;
    if (state == 1) {
        ReleaseRunInterfaces();
        IMtTrackSet* engine = DocumentEngine();
        ComRef<IMtSourceLink> link = Ask<IMtSourceLink>(m_engine.Get());
        Check(link->Attach(engine, 1));
        if (engine) {
            const LONGLONG none = 0;
            engine->SetLoopRange(&none, &none);
            CLabelTable& labels = Document()->GetLabels();
            LabelRecord record{};
            for (int i = 0; i < labels.GetSize(); ++i) {
                if (labels.GetAt(i, &record) && (record.kind & 0xFF) == kLabelLoop && record.id > 0) {
                    engine->SetLoopRange(&record.start, &record.end);
                    break;
                }
            }
        }
        m_position = Ask<IMtPlayPosition>(m_engine.Get());
        ComRef<IMtNotify> notify = Ask<IMtNotify>(m_engine.Get());
        notify->SetNotifyWindow(m_hWnd, kMsgPlayEnd, 0);
        m_view->SetEditPosition(-1);
        hr = m_engine->Start(0);
    } else {
        hr = m_engine->TogglePause();
    }
    Check(hr);
    if (!m_status)
        m_status = Ask<IMtPlayStatus>(m_engine.Get());
    if (!IsPaused()) {
        SetPlaying();
        m_view->OnPlayStarted();
    } else {
        if (IsRecording()) {
            m_resumed = 1;
            m_view->OnPlayStarted();
        }
        SetPaused(false);
    }
    AfterTransportChange();
}

void CNyControlView::Pause()
{
    if (!m_view || !m_engine)
        return;
    Check(m_engine->TogglePause());
    if (IsPaused() && IsRecording()) {
        m_resumed = 1;
        SetPaused(false);
        m_view->OnPlayStarted();
    } else if (IsPaused()) {
        SetPaused(false);
    } else {
        SetPaused(true);
        // The view's counter follows the play cursor a pixel at a time, on its timer: paused,
        // the counter shows at once where the sound stopped.
        LONGLONG stopped = 0;
        if (m_position && SUCCEEDED(m_position->GetPosition(&stopped)) && m_hWnd) {
            m_counterPosition = stopped;
            CClientDC dc(m_hWnd);
            DrawCounter(&dc);
        }
    }
    m_view->RefreshCaret();
    RedrawButtons(nullptr);
}

void CNyControlView::Record()
{
    if (!m_view || !m_engine)
        return;
    m_status.Reset();
    m_recorder.Reset();
    m_position.Reset();
    const bool whilePlaying = IsRecordWhilePlaying();
    ComRef<IMtSourceLink> link = Ask<IMtSourceLink>(m_engine.Get());
    Check(link->Attach(DocumentEngine(), whilePlaying ? 3 : 2));
    m_position = Ask<IMtPlayPosition>(m_engine.Get());
    m_recorder = Ask<IMtRecorder>(m_engine.Get());
    if (whilePlaying)
        m_status = Ask<IMtPlayStatus>(m_engine.Get());
    ComRef<IMtNotify> notify = Ask<IMtNotify>(m_engine.Get());
    Check(notify->SetNotifyWindow(m_hWnd, kMsgPlayEnd, 0));
    m_endNotice = 0;
    Check(m_engine->Start(1));
    try {
        PrepareRecording();
    } catch (const CNyException&) {
        // The engine records already: stop it before the failure is shown, so that the
        // pane's idle look is the truth.
        m_engine->Stop();
        ReleaseRunInterfaces();
        m_recorder.Reset();
        ReleaseRecording();
        throw;
    }
    m_counterPosition = 0;
    if (m_hWnd) {
        CClientDC dc(m_hWnd);
        DrawCounter(&dc);
    }
    SetRecordingState();
    if (m_mixer)
        m_mixer->StartMeterTimer();
    AfterTransportChange();
}

void CNyControlView::Stop()
{
    StopWinding();
    StopEngine();
    m_resumed = 0;
    ClearRunState();
    AfterTransportChange();
    if (m_hWnd) {
        CClientDC dc(m_hWnd);
        UpdateCounter(&dc);
    }
    if (m_view)
        m_view->AfterStop();
    if (m_mixer)
        m_mixer->InvalidateAll();
    if (m_monitoring) {
        m_monitoring = 0;
        if (FAILED(SetupMonitoring()) && m_mixer)
            m_mixer->InvalidateAll();
    }
}

void CNyControlView::StopEngine()
{
    if (!m_view)
        return;
    int64_t position = 0;
    if (!m_view->IsPlayTimerRunning() && m_view->GetPausedPosition() >= 0 && !IsRecording()) {
        position = m_view->GetPausedPosition();
        m_view->SetPausedPosition(-1);
    } else {
        if (m_view->IsPlayTimerRunning()) {
            m_view->KillPlayTimer();
            if (m_position) {
                LONGLONG at = 0;
                if (SUCCEEDED(m_position->GetPosition(&at)))
                    position = at;
            }
        }
        HRESULT failure = S_OK;
        if (m_engine) {
            Lock();
            failure = m_engine->Stop();
            if (IsRecording()) {
                m_view->SetPausedPosition(-1);
                try {
                    FinishRecording();
                } catch (const CNyException& e) {
                    if (SUCCEEDED(failure))
                        failure = e.m_hr;
                }
            }
            Unlock();
        }
        ReleaseRunInterfaces();
        m_view->OnPlayStopped(position);
        Check(failure);
        return;
    }
    m_view->OnPlayStopped(position);
}

void CNyControlView::ReleaseRecording()
{
    m_recordingCommand.Reset();
    m_takeStore.Reset();
}

void CNyControlView::FinishRecording()
{
    CNyMultiTrackDoc* doc = Document();
    HRESULT failure = S_OK;
    if (m_recordingCommand && doc && SUCCEEDED(m_recordingCommand->Do())) {
        auto* transaction = NewCommand<TransactionCommand>("Record");
        ComRef<IEditCommand> held(transaction);
        transaction->Add(m_recordingCommand.Get());
        failure = doc->GetHistory()->Add(transaction, TRUE);
        if (SUCCEEDED(failure)) {
            m_view->SendCommand(kCmdFitToWindow);
            doc->UpdateMixer();
            doc->SetModifiedFlag();
        }
    }
    ReleaseRecording();
    Check(failure);
}

void CNyControlView::ToggleLoop()
{
    if (!m_view)
        return;
    uint32_t state = GetTransportState();
    if (state & kTransportLoop) {
        if (!m_shuttleStart)
            m_view->SetEngineLoop(false);
        state &= ~kTransportLoop;
    } else {
        m_view->SetEngineLoop(true);
        state = (state | kTransportLoop) & ~kTransportRecordWhilePlaying;
    }
    SetTransportState(state);
    RedrawButtons(nullptr);
}

void CNyControlView::ToggleRecordWhilePlaying()
{
    if (!m_view || IsRecording())
        return;
    uint32_t state = GetTransportState();
    if (state & kTransportRecordWhilePlaying) {
        state &= ~kTransportRecordWhilePlaying;
    } else {
        m_view->SetEngineLoop(false);
        state = (state | kTransportRecordWhilePlaying) & ~kTransportLoop;
    }
    SetTransportState(state);
    RedrawButtons(nullptr);
}

void CNyControlView::GoToStart()
{
    if (m_view)
        m_view->SendChar('H');
    RedrawButtons(nullptr);
}

// ---- winding

void CNyControlView::StartWinding(bool backward)
{
    const int direction = backward ? -1 : 1;
    if (m_windDirection == direction)
        return;
    if (m_windDirection)
        StopWinding();
    if (!m_view || !m_engine || m_view->IsBusy())
        return;
    m_windDirection = direction;
    m_windTimer = ::SetTimer(m_hWnd, 1, 100, nullptr);
}

void CNyControlView::StopWinding()
{
    m_lastWindTick = 0;
    if (m_windTimer && m_hWnd)
        ::KillTimer(m_hWnd, m_windTimer);
    m_windTimer = 0;
    m_windDirection = 0;
    RedrawButtons(nullptr);
}

void CNyControlView::WindFromKey(bool backward)
{
    if (!m_view)
        return;
    if (m_view->IsTransportIdle()) {
        CNyMultiTrackDoc* doc = Document();
        if (backward && doc && !doc->GetSelection()->HasSelection()) {
            int64_t start = 0, end = 0;
            doc->GetSelection()->GetSelection(&start, &end);
            const int64_t step = doc->GetAudioFormat().TimeToFrames(10000000);
            const int64_t t = std::max<int64_t>(end - step, 0);
            doc->GetSelection()->SetSelection(t, t, FALSE);
            m_shuttleStart = 0;
            if (!IsLooping() && DocumentEngine()) {
                DocumentEngine()->SetShuttleStart(1);
                m_shuttleStart = 1;
            }
        }
        m_view->SendCommand(kCmdPlayStop);
        if (backward)
            StartWinding(true);
        return;
    }
    const int direction = backward ? -1 : 1;
    if (m_windDirection == direction) {
        StopWinding();
        return;
    }
    StopWinding();
    StartWinding(backward);
}

namespace {

// The range winding stays in: the selection, or the whole document.
void WindRange(CNyMultiTrackDoc* doc, int64_t* start, int64_t* end)
{
    if (!doc->GetSelection()->GetOrderedSelection(start, end)) {
        *start = 0;
        *end = doc->GetLength();
    }
}

} // namespace

void CNyControlView::WindFrom(CNyMultiTrackDoc* doc)
{
    // What is heard lags a new position by the output's buffering: while the steps follow
    // each other, the next one starts from the last target plus the time played since.
    const DWORD now = GetTickCount();
    if (m_windDirection && m_lastWindTick && now - m_lastWindTick < 1000) {
        m_counterPosition += doc->GetAudioFormat().TimeToFrames(int64_t(now - m_lastWindTick) * 10000);
    } else {
        LONGLONG heard = 0;
        if (SUCCEEDED(m_position->GetPosition(&heard)))
            m_counterPosition = heard;
    }
    m_lastWindTick = now;
}

void CNyControlView::Rewind()
{
    CNyMultiTrackDoc* doc = Document();
    if (!doc || !m_position || !CanWind())
        return;
    WindFrom(doc);
    const int64_t step = doc->GetAudioFormat().TimeToFrames(10000000);
    const int64_t target = m_counterPosition - step;
    int64_t start = 0, end = 0;
    WindRange(doc, &start, &end);
    if (target < start) {
        if (IsLooping()) {
            m_position->SetPosition(end - step);
        } else {
            const bool cursorOnly = !doc->GetSelection()->HasSelection();
            Stop();
            m_counterPosition = start;
            if (m_hWnd) {
                CClientDC dc(m_hWnd);
                DrawCounter(&dc);
            }
            if (cursorOnly)
                doc->GetSelection()->SetSelection(start, start, FALSE);
        }
    } else {
        m_position->SetPosition(target);
        m_counterPosition = target;
    }
    if (!IsPlaying())
        m_lastWindTick = 0;
    RedrawButtons(nullptr);
}

void CNyControlView::FastForward()
{
    CNyMultiTrackDoc* doc = Document();
    if (!doc || !m_position || !CanWind())
        return;
    WindFrom(doc);
    const int64_t step = doc->GetAudioFormat().TimeToFrames(10000000);
    const int64_t target = m_counterPosition + step;
    int64_t start = 0, end = 0;
    WindRange(doc, &start, &end);
    m_counterPosition = target < end ? target : IsLooping() ? start : end;
    m_position->SetPosition(m_counterPosition);
    RedrawButtons(nullptr);
}

// ---- markers

void CNyControlView::JumpToMarker(bool next)
{
    CNyMultiTrackDoc* doc = Document();
    if (!doc || !CanGoToMarker())
        return;
    CSelectionModel* selection = doc->GetSelection();
    int64_t start = 0, end = 0;
    selection->GetSelection(&start, &end);
    const int64_t position = IsPlaying() ? m_counterPosition : end;
    if (selection->HasSelection()) {
        selection->SetSelection(position, position, FALSE);
        m_view->SelectionMoved();
    }
    MarkerJumpLabel label;
    const int id = doc->GetLabels().FindNearest(-1, position, next ? 1 : -1, -1, false);
    LabelRecord record{};
    if (id > 0 && doc->GetLabels().FindById(id, &record)) {
        label.found = true;
        label.start = record.start;
        label.end = record.end;
    }
    std::vector<std::pair<int64_t, int64_t>> tracks;
    for (int i = 0; i < doc->GetTrackCount(); ++i)
        if (selection->IsTrackSelectedAt(i))
            tracks.emplace_back(doc->GetTrackExtent(i, -1), doc->GetTrackExtent(i, 1));
    const int64_t target = MarkerJumpTarget(next, position, label, tracks, doc->GetLength());
    if (target != position) {
        selection->SetSelection(target, target, TRUE);
        m_view->SelectionMoved();
    }
}

// ---- engine messages

LRESULT CNyControlView::OnPlayEnd(WPARAM wParam, LPARAM)
{
    const HRESULT code = static_cast<HRESULT>(wParam);
    if (SUCCEEDED(code) && code != kPlayEndCode)
        return 0;
    LONG state = 0;
    try {
        if (SUCCEEDED(GetEngineState(&state)) && state != 1)
            Stop();
    } catch (const CNyException& e) {
        ShowError(e.m_hr);
    }
    if (FAILED(code) && code != kPlayStoppedCode)
        ShowError(code);
    return 0;
}
