// The document's edit commands: add and delete tracks, cut, copy, paste, delete, trim, undo,
// redo, select all and go to start or end; the shared state tests and the state snapshot the
// update handlers decide on.
#include "MultiTrackDoc.h"

#include "ClipboardCommands.h"
#include "DeleteTrackCommand.h"
#include "DocCommandIds.h"
#include "DocCommandSupport.h"
#include "DocWiring.h"
#include "EditBusyGuard.h"
#include "FwRecordingCmdUI.h"
#include "FwView.h"
#include "MarkCommands.h"
#include "SelectionModel.h"
#include "TrackCommands.h"
#include "TransactionCommand.h"
#include "TrimCommand.h"
#include "ViewGeometry.h"

#include <cstdio>

namespace doccmd {

std::string FormatText(UINT id, const std::string& argument)
{
    std::string pattern = LoadResourceText(id);
    std::string text(pattern.size() + argument.size() + 32, '\0');
    int n = std::snprintf(&text[0], text.size(), pattern.c_str(), argument.c_str());
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

std::string FormatText(UINT id, int argument)
{
    std::string pattern = LoadResourceText(id);
    std::string text(pattern.size() + 32, '\0');
    int n = std::snprintf(&text[0], text.size(), pattern.c_str(), argument);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

void Append(IEditCommand* group, IEditCommand* child)
{
    if (!child)
        throw CKvSSException(E_OUTOFMEMORY);
    ComRef<ICommandList> list = QueryCom<ICommandList>(group);
    if (!list)
        throw CKvSSException(E_NOINTERFACE);
    ThrowIfFailed(list->Add(child));
}

IEditCommand* NewestCommand(ICommandHistory* history)
{
    ComRef<ICommandCursor> cursor;
    ComRef<IEditCommand> newest;
    if (!history || FAILED(history->GetUndoCursor(cursor.Out())) || !cursor || cursor->Next(newest.Out()) != S_OK)
        return nullptr;
    return newest.Get();
}

void TakeBackUnlessRecorded(ICommandHistory* history, IEditCommand* transaction)
{
    if (transaction && NewestCommand(history) != transaction)
        transaction->Undo();
}

void RunAndAppend(IEditCommand* group, IEditCommand* child)
{
    if (!child)
        throw CKvSSException(E_OUTOFMEMORY);
    ThrowIfFailed(child->Do());
    Append(group, child);
}

} // namespace doccmd

using namespace doccmd;

namespace {

// The newest command's name of a history cursor; false when there is none.
bool NewestName(ICommandHistory* history, bool undo, std::string* name)
{
    ComRef<ICommandCursor> cursor;
    HRESULT hr = undo ? history->GetUndoCursor(cursor.Out()) : history->GetRedoCursor(cursor.Out());
    if (FAILED(hr) || !cursor)
        return false;
    ComRef<IEditCommand> newest;
    if (cursor->Next(newest.Out()) != S_OK || !newest)
        return false;
    char buffer[256] = {};
    if (FAILED(newest->GetName(buffer, 255)))
        return false;
    *name = buffer;
    return true;
}

void ApplyUi(CCmdUI* ui, const CommandUiState& state)
{
    if (state.setsText)
        ui->SetText(state.text.c_str());
    if (state.decides)
        ui->Enable(state.enabled);
}

// A popup item (one that opens a sub-menu) follows its first item.
void ApplyToPopup(CCmdUI* ui, bool enabled)
{
    if (ui->m_hSubMenu && ui->m_hMenu)
        ::EnableMenuItem(ui->m_hMenu, ui->m_nIndex, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

CView* ViewWindowOf(CNyMultiTrackDoc* document)
{
    return dynamic_cast<CView*>(document->GetMultiTrackView());
}

} // namespace

BOOL CNyMultiTrackDoc::IsTransportBusy()
{
    return !m_engine ? TRUE : GetDocumentHost().IsTransportBusy();
}

BOOL CNyMultiTrackDoc::IsEmpty()
{
    LONG count = 0;
    if (!m_engine || FAILED(m_engine->GetTrackCount(&count)) || count == 0)
        return TRUE;
    for (LONG i = 0; i < count; ++i) {
        ComRef<IMtTrack> track;
        LONGLONG length = 0;
        if (FAILED(m_engine->GetTrack(i, track.Out())) || !track || FAILED(track->GetLength(&length)))
            return TRUE;
        if (length != 0)
            return FALSE;
    }
    return TRUE;
}

BOOL CNyMultiTrackDoc::AreAllChannelsSelected(int track)
{
    int channels = GetTrackChannels(track);
    if (channels < 1)
        return TRUE;
    ViewGeometry* view = GetMultiTrackView();
    for (int c = 0; c < channels; ++c) {
        bool selected = view ? m_selection->IsRowSelected(view->GetTrackRow(track, 0) + c) != 0
                             : m_selection->IsChannelSelected(track, c) != 0;
        if (!selected)
            return FALSE;
    }
    return TRUE;
}

BOOL CNyMultiTrackDoc::IsWholeTrackSelection()
{
    bool any = false;
    for (int i = 0, n = GetTrackCount(); i < n; ++i) {
        if (!m_selection->IsTrackSelectedAt(i))
            continue;
        if (!AreAllChannelsSelected(i))
            return FALSE;
        any = true;
    }
    return any ? TRUE : FALSE;
}

BOOL CNyMultiTrackDoc::CheckWholeTracks(UINT nameId)
{
    if (IsWholeTrackSelection())
        return TRUE;
    AfxMessageBox(FormatText(IDS_WHOLE_TRACKS_STOP, LoadResourceText(nameId)).c_str(), MB_ICONSTOP);
    return FALSE;
}

BOOL CNyMultiTrackDoc::CheckWholeTracksWarn(UINT nameId)
{
    if (IsWholeTrackSelection())
        return TRUE;
    AfxMessageBox(FormatText(IDS_WHOLE_TRACKS_WARN, LoadResourceText(nameId)).c_str(), MB_ICONEXCLAMATION);
    return FALSE;
}

DocCommandState CNyMultiTrackDoc::CaptureCommandState()
{
    DocCommandState s;
    s.hasEngine = m_engine.Get() != nullptr;
    s.transportBusy = IsTransportBusy() != FALSE;
    ViewGeometry* view = GetMultiTrackView();
    s.viewEditMode = view ? view->GetEditMode() : 0;
    s.activeCommand = m_editMode;
    s.readOnly = IsReadOnly() != FALSE;
    s.multichannel = m_settings.documentType == 1;
    s.loopCount = m_labels.GetCount(4);
    s.allTracksMode = m_selection->IsAllTracksMode() != 0;
    s.selLength = m_selection->GetStartAndLength(&s.selStart);
    s.privateClipboard = ::IsClipboardFormatAvailable(GetCopyClipboardFormat()) != FALSE;
    if (m_engine) {
        LONG count = 0;
        s.trackCountOk = SUCCEEDED(m_engine->GetTrackCount(&count));
        s.trackCount = s.trackCountOk ? count : 0;
        s.length = GetLength();
        s.empty = IsEmpty() != FALSE;
        for (int i = 0; i < s.trackCount; ++i) {
            DocTrackState t;
            t.selected = m_selection->IsTrackSelectedAt(i) != 0;
            t.allChannelsSelected = t.selected && AreAllChannelsSelected(i);
            t.channels = GetTrackChannels(i);
            GetTrackSpan(i, &t.start, &t.end);
            if (IMtTrack* track = GetTrack(i))
                track->GetPan(&t.pan);
            s.tracks.push_back(t);
        }
    }
    if (m_history) {
        s.historyModified = m_history->IsModified() == S_OK;
        s.hasUndo = NewestName(m_history.Get(), true, &s.undoName);
        s.hasRedo = NewestName(m_history.Get(), false, &s.redoName);
    }
    return s;
}

BOOL CNyMultiTrackDoc::CanSelectionEdit(CCmdUI* ui)
{
    return ui && CanSelectionEditRule(CaptureCommandState(), static_cast<int>(ui->m_nID)) ? TRUE : FALSE;
}

void CNyMultiTrackDoc::SyncModifiedWithHistory()
{
    if (!m_history)
        return;
    BOOL modified = m_history->IsModified() != S_FALSE;
    if (modified == CDocument::IsModified())
        return;
    CDocument::SetModifiedFlag(modified);
    if (CView* view = ViewWindowOf(this))
        if (CFrameWnd* frame = view->m_hWnd ? dynamic_cast<CFrameWnd*>(view->GetParent()) : nullptr)
            frame->OnUpdateFrameTitle(TRUE);
}

void CNyMultiTrackDoc::AddTracks(int channels)
{
    if (EditBusyGuard::IsBusy())
        return;
    EditBusyGuard busy;
    if (m_settings.documentType == 0 && channels == 6)
        return;
    ComRef<IEditCommand> command = MakeCommand<AppendTrackCommand>(
        LoadResourceText(IDS_CMD_ADD_TRACK).c_str(), static_cast<CommandDocument*>(this), static_cast<WORD>(channels));
    HRESULT hr = command && m_history ? m_history->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    SyncModifiedWithHistory();
    DocWiring::RefreshAfterEdit(this, 1027);
    if (CView* view = ViewWindowOf(this))
        if (view->m_hWnd)
            view->SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    int64_t start = 0, end = 0;
    m_selection->GetOrderedSelection(&start, &end);
    m_selection->SetSelection(start, start, TRUE);
    m_selection->InvalidateSelection();
    DocWiring::RefreshMarkerList(-1);
    DocWiring::UpdateAnalysisPane(0);
}

void CNyMultiTrackDoc::OnAddTrack()
{
    AddTracks(GetDocumentHost().DefaultSettings().dataChannels);
}

void CNyMultiTrackDoc::OnAddMonoTrack()
{
    AddTracks(1);
}

void CNyMultiTrackDoc::OnAddStereoTrack()
{
    AddTracks(2);
}

void CNyMultiTrackDoc::OnAddSurroundTrack()
{
    AddTracks(6);
}

void CNyMultiTrackDoc::OnDeleteTrack()
{
    if (EditBusyGuard::IsBusy())
        return;
    EditBusyGuard busy;
    try {
        ComRef<IEditCommand> transaction =
            MakeCommand<TransactionCommand>(LoadResourceText(IDS_CMD_DELETE_TRACK).c_str());
        if (!transaction || !m_history)
            throw CKvSSException(E_OUTOFMEMORY);
        bool any = false;
        for (int i = GetTrackCount() - 1; i >= 0; --i) {
            if (!m_selection->IsTrackSelectedAt(i))
                continue;
            any = true;
            Append(transaction.Get(), MakeCommand<DeleteTrackCommand>(nullptr, this, i).Get());
            std::vector<LabelRecord> labels;
            m_labels.FindInRange(i, labels, -1, -1, -1);
            for (const LabelRecord& label : labels)
                Append(transaction.Get(), MakeCommand<DelMarkCommand>(nullptr, this, label.id).Get());
        }
        // No track selected: an empty entry would only clutter the history.
        if (!any)
            return;
        ThrowIfFailed(m_history->Do(transaction.Get(), TRUE));
    } catch (const CKvSSException& e) {
        ShowError(e.m_hr);
        return;
    }
    SyncModifiedWithHistory();
    DocWiring::RefreshAfterEdit(this, 1028);
    DocWiring::RefreshMarkerList(-1);
    DocWiring::UpdateAnalysisPane(0);
}

namespace {

template <class T>
ComRef<IEditCommand> MakeRangeCommand(CNyMultiTrackDoc* document, const char* name)
{
    ComRef<IEditCommand> command = MakeCommand<T>(static_cast<CommandDocument*>(document));
    if (command)
        command->SetName(name);
    return command;
}

template <>
ComRef<IEditCommand> MakeRangeCommand<TrimCommand>(CNyMultiTrackDoc* document, const char* name)
{
    return MakeCommand<TrimCommand>(name, static_cast<CommandDocument*>(document));
}

template <class T>
void RunSelectionEdit(CNyMultiTrackDoc* document, UINT nameId, UINT refreshId)
{
    if (EditBusyGuard::IsBusy())
        return;
    EditBusyGuard busy;
    int64_t start = 0, end = 0;
    if (!document->GetSelection()->GetSelection(&start, &end) || !document->CheckWholeTracks(nameId))
        return;
    ComRef<IEditCommand> command = MakeRangeCommand<T>(document, LoadResourceText(nameId).c_str());
    document->FreezeAllViews(TRUE);
    HRESULT hr = command && document->GetHistory() ? document->GetHistory()->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
    document->FreezeAllViews(FALSE);
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    document->SyncModifiedWithHistory();
    DocWiring::RefreshAfterEdit(document, refreshId);
}

} // namespace

void CNyMultiTrackDoc::OnEditCut()
{
    RunSelectionEdit<CutCommand>(this, IDS_CMD_CUT, 57635);
}

void CNyMultiTrackDoc::OnEditDelete()
{
    RunSelectionEdit<DeleteCommand>(this, IDS_CMD_DELETE, 1025);
}

void CNyMultiTrackDoc::OnEditTrim()
{
    RunSelectionEdit<TrimCommand>(this, IDS_CMD_TRIM, 1026);
}

void CNyMultiTrackDoc::OnEditCopy()
{
    if (EditBusyGuard::IsBusy())
        return;
    EditBusyGuard busy;
    ComRef<IEditCommand> command = MakeCommand<CopyCommand>(static_cast<CommandDocument*>(this));
    FreezeAllViews(TRUE);
    HRESULT hr = command ? command->Do() : E_OUTOFMEMORY;
    FreezeAllViews(FALSE);
    if (FAILED(hr))
        ShowError(hr);
}

void CNyMultiTrackDoc::OnEditPaste()
{
    if (EditBusyGuard::IsBusy())
        return;
    EditBusyGuard busy;
    BOOL wasEmpty = IsEmpty();
    ComRef<IEditCommand> command = MakeCommand<PasteCommand>(static_cast<CommandDocument*>(this));
    if (command)
        command->SetName(LoadResourceText(IDS_CMD_PASTE).c_str());
    FreezeAllViews(TRUE);
    HRESULT hr = command && m_history ? m_history->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
    FreezeAllViews(FALSE);
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    SyncModifiedWithHistory();
    // An empty document shows what came in whole: the view zooms to fit (hint 1009).
    DocWiring::RefreshAfterEdit(this, wasEmpty ? 1009 : 57637);
}

namespace {

void RunHistoryStep(CNyMultiTrackDoc* document, bool undo)
{
    if (EditBusyGuard::IsBusy())
        return;
    EditBusyGuard busy;
    if (DocWiring::IsInPlaceEditActive())
        DocWiring::EndInPlaceEdit();
    ICommandHistory* history = document->GetHistory();
    if (!history)
        return;
    document->FreezeAllViews(TRUE);
    HRESULT hr = undo ? history->Undo() : history->Redo();
    document->FreezeAllViews(FALSE);
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    document->SyncModifiedWithHistory();
    int64_t start = 0, end = 0;
    CSelectionModel* selection = document->GetSelection();
    selection->GetSelection(&start, &end);
    selection->SetSelection(start, end, TRUE);
    selection->InvalidateSelection();
    DocWiring::RefreshAfterEdit(document, undo ? 57643 : 57644);
    DocWiring::UpdateAnalysisPane(1);
    DocWiring::RefreshMarkerList(-1);
}

} // namespace

void CNyMultiTrackDoc::OnEditUndo()
{
    RunHistoryStep(this, true);
}

void CNyMultiTrackDoc::OnEditRedo()
{
    RunHistoryStep(this, false);
}

void CNyMultiTrackDoc::OnEditSelectAll()
{
    int64_t length = GetLength();
    if (length < 0)
        length = 0;
    m_selection->SetRowRange(0, -1, FALSE);
    m_selection->SetSelection(0, length, FALSE);
    m_selection->InvalidateSelection();
    UpdateAllViews(nullptr, 57642, nullptr);
}

void CNyMultiTrackDoc::OnGoToStart()
{
    if (CView* view = ViewWindowOf(this))
        if (view->m_hWnd)
            view->PostMessage(WM_KEYDOWN, VK_HOME, 0);
}

void CNyMultiTrackDoc::OnGoToEnd()
{
    if (CView* view = ViewWindowOf(this))
        if (view->m_hWnd)
            view->PostMessage(WM_KEYDOWN, VK_END, 0);
}

void CNyMultiTrackDoc::OnUpdateAddTrack(CCmdUI* ui)
{
    int id = static_cast<int>(ui->m_nID);
    CommandUiState state = RuleAddTrack(CaptureCommandState(), id);
    // The 5.1 refusal of a standard document greys the item without touching its popup.
    if (id != 1042 || state.enabled)
        ApplyToPopup(ui, state.enabled);
    ApplyUi(ui, state);
}

void CNyMultiTrackDoc::OnUpdateDeleteTrack(CCmdUI* ui)
{
    ApplyUi(ui, RuleDeleteTrack(CaptureCommandState()));
}

void CNyMultiTrackDoc::OnUpdateEditSelection(CCmdUI* ui)
{
    ApplyUi(ui, RuleSelectionEdit(CaptureCommandState(), static_cast<int>(ui->m_nID)));
}

void CNyMultiTrackDoc::OnUpdateEditPaste(CCmdUI* ui)
{
    ApplyUi(ui, RulePaste(CaptureCommandState()));
}

void CNyMultiTrackDoc::OnUpdateEditUndo(CCmdUI* ui)
{
    ApplyUi(ui,
            RuleUndo(CaptureCommandState(), LoadResourceText(IDS_MENU_UNDO), LoadResourceText(IDS_MENU_UNDO_NAMED)));
}

void CNyMultiTrackDoc::OnUpdateEditRedo(CCmdUI* ui)
{
    ApplyUi(ui,
            RuleRedo(CaptureCommandState(), LoadResourceText(IDS_MENU_REDO), LoadResourceText(IDS_MENU_REDO_NAMED)));
}

void CNyMultiTrackDoc::OnUpdateEditSelectAll(CCmdUI* ui)
{
    ApplyUi(ui, RuleSelectAll(CaptureCommandState()));
}

void CNyMultiTrackDoc::OnUpdateGoTo(CCmdUI* ui)
{
    ApplyUi(ui, RuleGoTo(CaptureCommandState()));
}
