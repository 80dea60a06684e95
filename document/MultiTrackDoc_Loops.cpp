// New Loop, Split Waveform, the fade dialogs, Refresh Waveforms, the file commands'
// availability, the save prompt and close guard, labels inside the document, Split Track
// and the engine made on demand.
#include "MultiTrackDoc.h"

#include "DocCommandIds.h"
#include "DocCommandSupport.h"
#include "DocWiring.h"
#include "FwApp.h"
#include "FwView.h"
#include "KsMultiTrackLoader.h"
#include "MarkCommands.h"
#include "RefreshPeakCommand.h"
#include "SelectionModel.h"
#include "SplitTrackCommand.h"
#include "TransactionCommand.h"
#include "ViewGeometry.h"

using namespace doccmd;

void CNyMultiTrackDoc::OnUpdateNewLoop(CCmdUI* ui)
{
    ui->Enable(RuleNewLoop(CaptureCommandState()).enabled);
}

void CNyMultiTrackDoc::OnNewLoop()
{
    int64_t start = 0, end = 0;
    if (!IsViewIdle() || !m_selection->GetOrderedSelection(&start, &end) || end - start <= 0 || !m_history)
        return;
    ComRef<IEditCommand> command =
        MakeCommand<AddLoopCommand>(LoadResourceText(IDS_CMD_LOOP).c_str(), this, start, end - start);
    HRESULT hr = command ? m_history->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    SyncModifiedWithHistory();
    UpdateAllViews(nullptr, 0, nullptr);
    DocWiring::RefreshMarkerList(-1);
    DocWiring::SelectLastMarker();
}

void CNyMultiTrackDoc::OnSplitWaveform()
{
    // The runs pump messages while they render: the views keep their pictures meanwhile.
    FreezeAllViews(TRUE);
    DocWiring::RunSplitWizard(this);
    FreezeAllViews(FALSE);
}

void CNyMultiTrackDoc::OnFadeInOutDialog()
{
    if (!GetViewOption(kCmdViewVolumeEnvelopes))
        if (CView* view = dynamic_cast<CView*>(GetMultiTrackView()))
            if (view->m_hWnd)
                view->SendMessage(WM_COMMAND, kCmdViewVolumeEnvelopes, 0);
    DocWiring::RunFadeDialog(this, false);
    UpdateAllViews(nullptr, 0, nullptr);
}

void CNyMultiTrackDoc::OnCrossfade()
{
    if (!GetViewOption(kCmdViewVolumeEnvelopes))
        if (CView* view = dynamic_cast<CView*>(GetMultiTrackView()))
            if (view->m_hWnd)
                view->SendMessage(WM_COMMAND, kCmdViewVolumeEnvelopes, 0);
    DocWiring::RunFadeDialog(this, true);
    UpdateAllViews(nullptr, 0, nullptr);
}

void CNyMultiTrackDoc::OnUpdateRefreshWaveforms(CCmdUI* ui)
{
    ui->Enable(RuleRefreshWaveforms(CaptureCommandState()).enabled);
}

void CNyMultiTrackDoc::OnRefreshWaveforms()
{
    DocCommandState state = CaptureCommandState();
    if (!state.historyModified || !state.hasUndo || state.length < 1)
        return;
    HRESULT hr = RefreshPeaks();
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    SyncModifiedWithHistory();
}

HRESULT CNyMultiTrackDoc::RefreshPeaks()
{
    ComRef<IEditCommand> refresh = MakeCommand<RefreshPeakCommand>(nullptr, static_cast<CommandDocument*>(this));
    if (!refresh)
        return E_OUTOFMEMORY;
    HRESULT hr = refresh->Do();
    if (FAILED(hr))
        return hr;
    // Nothing to undo before it: the refresh needs no entry of its own.
    if (!m_history || !NewestCommand(m_history.Get()))
        return S_OK;
    ComRef<IEditCommand> taken;
    ComRef<IEditCommand> group;
    bool appended = false;
    try {
        ThrowIfFailed(m_history->TakeLast(taken.Out()));
        if (!taken)
            throw CKvSSException(E_UNEXPECTED);
        if (ComRef<ICommandList> list = QueryCom<ICommandList>(taken.Get())) {
            group = taken;
        } else {
            char name[261] = {};
            taken->GetName(name, 260);
            group = MakeCommand<TransactionCommand>(name);
            Append(group.Get(), taken.Get());
        }
        Append(group.Get(), refresh.Get());
        appended = true;
        ThrowIfFailed(m_history->Add(group.Get(), TRUE));
    } catch (const CKvSSException& e) {
        // An Add whose journal failed keeps the entry on the stack: it stands, refresh and all.
        // Otherwise the refresh is taken back and the history gets its newest entry back.
        if (!group || NewestCommand(m_history.Get()) != group.Get()) {
            if (appended)
                QueryCom<ICommandList>(group.Get())->Remove(refresh.Get());
            refresh->Undo();
            if (taken)
                m_history->Add(taken.Get(), FALSE);
        }
        return e.m_hr;
    }
    return S_OK;
}

void CNyMultiTrackDoc::OnUpdateFileSaveAs(CCmdUI* ui)
{
    ui->Enable(RuleFileSaveAs(CaptureCommandState()).enabled);
}

void CNyMultiTrackDoc::OnUpdateFileSave(CCmdUI* ui)
{
    ui->Enable(RuleFileSave(CaptureCommandState()).enabled);
}

void CNyMultiTrackDoc::OnUpdateFileImport(CCmdUI* ui)
{
    ui->Enable(RuleFileImport(CaptureCommandState()).enabled);
}

BOOL CNyMultiTrackDoc::SaveModified()
{
    if (!IsModified())
        return TRUE;
    CString name = GetPathName();
    if (name.IsEmpty())
        name = GetTitle();
    if (name.IsEmpty())
        name = "Untitled";
    CString prompt;
    AfxFormatString1(prompt, AFX_IDP_ASK_TO_SAVE, name);
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL, AFX_IDP_ASK_TO_SAVE)) {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        return DoFileSave();
    default:
        return TRUE;
    }
}

BOOL CNyMultiTrackDoc::CanCloseFrame(CFrameWnd* frame)
{
    ViewGeometry* view = GetMultiTrackView();
    if (IsTransportBusy() || (view && view->GetEditMode() != 0))
        return FALSE;
    return CDocument::CanCloseFrame(frame);
}

BOOL CNyMultiTrackDoc::AreLabelsInsideDocument(int trackId)
{
    const int64_t length = GetLength();
    for (int id = 1, n = m_labels.GetCount(-1); id <= n; ++id) {
        LabelRecord label{};
        if (!m_labels.FindById(id, &label) || label.id < 0 || (label.kind & kLabelHidden))
            continue;
        int kind = label.kind & 0xFF;
        if (kind != kLabelCue && kind != kLabelSection && kind != kLabelLoop)
            continue;
        if (trackId == -1 && label.trackId != -1)
            continue;
        if (label.end > length)
            return FALSE;
    }
    return TRUE;
}

HRESULT CNyMultiTrackDoc::SplitTrack(int index)
{
    if (IsTransportBusy() || GetTrackExtent(index, 0) == 0 || GetTrackChannels(index) < 2 || !m_history)
        return S_FALSE;
    FreezeAllViews(TRUE);
    ComRef<IEditCommand> command = MakeCommand<SplitTrackCommand>(nullptr, static_cast<CommandDocument*>(this), index);
    HRESULT hr = command ? command->Do() : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        ShowError(hr);
    } else {
        try {
            ComRef<IEditCommand> transaction =
                MakeCommand<TransactionCommand>(LoadResourceText(IDS_CMD_SPLIT_TRACK).c_str());
            Append(transaction.Get(), command.Get());
            hr = m_history->Add(transaction.Get(), TRUE);
            if (FAILED(hr)) {
                // An edit the history did not keep would stay without an undo step.
                TakeBackUnlessRecorded(m_history.Get(), transaction.Get());
                ShowError(hr);
            }
        } catch (const CKvSSException& e) {
            hr = e.m_hr;
            command->Undo();
            ShowError(hr);
        }
    }
    UpdateAllViews(nullptr, 0, nullptr);
    UpdateMixer();
    DocWiring::UpdateAnalysisPane(0);
    FreezeAllViews(FALSE);
    return hr;
}

BOOL CNyMultiTrackDoc::EnsureEngine(WORD bits, DWORD rate)
{
    if (m_engine)
        return TRUE;
    if (FAILED(MtEngine::CreateTrackSet(m_engine)) || FAILED(m_engine->SetFormat(bits, rate)))
        return FALSE;
    return TRUE;
}
