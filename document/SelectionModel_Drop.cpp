// The document side of dragging selected audio: the program-wide drag state, where a drop
// lands, and the drop as one "Generate" step of the receiving document's history.
#include "SelectionModel.h"

#include "AudioDragIds.h"
#include "ClipboardCommands.h"
#include "DocCommandSupport.h"
#include "DocWiring.h"
#include "EditBusyGuard.h"
#include "FwView.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "ViewGeometry.h"

#include <algorithm>

namespace {
constexpr UINT kCmdFitToWindow = 1009;
constexpr UINT kRefreshAfterPaste = 0xE125;
} // namespace

CSelectionModel::AudioDragState& CSelectionModel::DragState()
{
    static AudioDragState state;
    return state;
}

void CSelectionModel::BeginAudioDrag(int clickedRow)
{
    AudioDragState& state = DragState();
    state.rows.clear();
    state.grabbed = -1;
    state.targetRow = clickedRow;
    state.dropPosition = -1;
    for (int row = 0; row < RowCount(); ++row) {
        if (!m_rowFlags[static_cast<size_t>(row)])
            continue;
        if (row == clickedRow)
            state.grabbed = static_cast<int>(state.rows.size());
        state.rows.push_back(row);
    }
}

int CSelectionModel::DropTargetTrack(ViewGeometry* target, int trackCount)
{
    const AudioDragState& state = DragState();
    if (!target || state.targetRow >= target->GetRowCount())
        return trackCount;
    int distance = 0;
    if (m_view && !state.rows.empty()) {
        int grabbedRow = state.rows[static_cast<size_t>(std::max(0, state.grabbed))];
        distance = m_view->TrackFromRow(grabbedRow, 0) - m_view->TrackFromRow(state.rows.front(), 0);
    }
    return target->TrackFromRow(std::max(0, state.targetRow), 0) - distance;
}

HRESULT RecordDrop(CNyMultiTrackDoc* source, CNyMultiTrackDoc* target, int track, int64_t position,
                   ICommandHistory* history)
{
    if (!source || !target || !history)
        return E_POINTER;
    ComRef<IEditCommand> drop = doccmd::MakeCommand<DropCommand>(
        static_cast<CommandDocument*>(source), static_cast<CommandDocument*>(target), std::max(0, track), position);
    if (!drop)
        return E_OUTOFMEMORY;
    drop->SetName(LoadResourceText(IDS_CMD_GENERATE).c_str());
    HRESULT hr = drop->Do();
    if (FAILED(hr))
        return hr;
    hr = history->Add(drop.Get(), TRUE);
    if (FAILED(hr))
        doccmd::TakeBackUnlessRecorded(history, drop.Get());
    return hr;
}

HRESULT CSelectionModel::DropAudio(CNyMultiTrackDoc* target)
{
    AudioDragState& state = DragState();
    if (EditBusyGuard::IsBusy() || !m_document) {
        state.dropPosition = -1;
        return S_FALSE;
    }
    EditBusyGuard busy;
    bool created = false;
    if (!target) {
        target = DocWiring::CreateNewDocument();
        if (!target) {
            state.dropPosition = -1;
            return E_FAIL;
        }
        created = true;
        state.targetRow = 0;
        state.dropPosition = 0;
    }
    ViewGeometry* view = target->GetMultiTrackView();
    if (!created && view && view->GetEditMode() != 0) {
        state.dropPosition = -1;
        return S_FALSE;
    }
    int64_t position =
        std::max<int64_t>(0, state.dropPosition) + (created || !view ? 0 : view->GetFirstVisibleSample());
    HRESULT hr = S_OK;
    try {
        int track = DropTargetTrack(view, target->GetTrackCount());
        // A drop on a later channel of a track goes into the channels from that row on.
        int rows = view ? view->GetRowCount() : 0;
        if (view && state.targetRow > 0 && state.targetRow < rows) {
            int landing = view->TrackFromRow(state.targetRow, 0);
            int first = view->GetTrackRow(landing, 0);
            IMtTrack* object = target->GetTrack(landing);
            if (object && state.targetRow != first) {
                DWORD mask = 0;
                for (int c = state.targetRow - first; c < target->GetTrackChannels(landing); ++c)
                    mask |= 1u << c;
                ThrowIfFailed(object->SetSelectedChannels(mask));
            }
        }
        target->FreezeAllViews(TRUE);
        hr = RecordDrop(m_document, target, track, position, target->GetHistory());
        target->FreezeAllViews(FALSE);
        ThrowIfFailed(hr);
        if (created) {
            POSITION pos = target->GetFirstViewPosition();
            while (CView* shown = pos ? target->GetNextView(pos) : nullptr)
                shown->SendMessage(WM_COMMAND, kCmdFitToWindow, 0);
            target->GetHistory()->SetModified(TRUE);
        }
        target->SetModifiedFlag(TRUE);
        target->UpdateMixer();
    } catch (const CKvSSException& e) {
        hr = e.m_hr;
    }
    DocWiring::RefreshAfterEdit(target, kRefreshAfterPaste);
    state.dropPosition = -1;
    return hr;
}
