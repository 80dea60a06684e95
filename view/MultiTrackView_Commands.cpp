#include "EditBusyGuard.h"
#include "LabelRecord.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "PositionText.h"
#include "SampleSearch.h"
#include "SelectionModel.h"
#include "ViewHost.h"
#include "DocCommandIds.h"
#include "ViewIds.h"

#include "CommandInterfaces.h"
#include "ComObject.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>

namespace {
std::string LoadText(UINT id)
{
    char text[512] = "";
    ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}
} // namespace

// Status bar ---------------------------------------------------------------------------------

int CNyMultiTrackView::SetStatusPaneText(int pane, const char* text)
{
    HWND frame = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (!frame)
        return 0;
    // The child frame's status bar (control 100).
    if (HWND bar = ::GetDlgItem(frame, 100))
        ::SendMessageA(bar, 0x401, WPARAM(pane), reinterpret_cast<LPARAM>(text));
    return 1;
}

void CNyMultiTrackView::UpdateStatusText()
{
    SetStatusPaneText(2, FormatZoomText(GetSamplesPerPixel(0)).c_str());
    if (CNyMultiTrackDoc* doc = GetMultiTrackDoc())
        SetStatusPaneText(1, FormatFormatText(doc->GetSamplesPerSec(), doc->GetStoredBits()).c_str());
}

void CNyMultiTrackView::UpdatePositionText(int64_t position)
{
    IViewController* controller = GetViewHost().GetController();
    if (controller && controller->GetActiveView() == this && IsPlaying())
        controller->ShowCounter(position);
    if (m_captionStrip.m_hWnd)
        ::InvalidateRect(m_captionStrip.m_hWnd, nullptr, FALSE);
    // The readouts show the sample values at the new position.
    if (m_scale.m_hWnd) {
        HDC dc = ::GetDC(m_scale.m_hWnd);
        for (int row = GetFirstVisibleRow(), rows = GetRowCount(); row >= 0 && row < rows; ++row)
            m_scale.FormatScaleLabel(dc, row);
        ::ReleaseDC(m_scale.m_hWnd, dc);
    }
    if (position < 0)
        position = GetSelectionEnd();
    if (IsTransportIdle())
        m_video.RenderFrames(SamplesToTime(position));
    else
        GetViewHost().AnalyzeAt(this, position);
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc)
        return;
    const DocumentSettings& settings = doc->GetSettings();
    uint32_t unit = settings.rulerUnit & 0xFF;
    std::string text;
    if (unit == 8) {
        char number[32];
        std::snprintf(number, sizeof number, "%lld", static_cast<long long>(position));
        text = number;
    } else {
        text = FormatPosition(doc->GetSamplesPerSec(), unit, settings.frameRate, position);
    }
    SetStatusPaneText(0, text.c_str());
}

void CNyMultiTrackView::ShowTrackName(int track)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    LabelRecord record{};
    if (track < 0 || !doc || !doc->GetTrackLabel(track, &record)) {
        SetStatusPaneText(0, "");
        return;
    }
    std::string name(record.name, strnlen(record.name, sizeof record.name));
    name.erase(name.find_last_not_of(' ') + 1);
    SetStatusPaneText(0, name.c_str());
}

// Markers ------------------------------------------------------------------------------------

void CNyMultiTrackView::OnDeleteMarker()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    LabelRecord label{};
    if (!doc || !doc->GetLabels().GetCurrentLabel(&label) || !doc->GetHistory())
        return;
    int track = label.trackId == -1 ? -1 : doc->TrackIdToIndex(label.trackId);
    EndInPlaceEdit();
    ComRef<DelMarkCommand> command(
        ComObject<IEditCommand>::Create<DelMarkCommand>(LoadText(IDS_CMD_CUE).c_str(), doc, label.id));
    HRESULT hr = command ? doc->GetHistory()->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    if (track == -1) {
        for (HWND pane : {m_ruler.m_hWnd, m_trackArea.m_hWnd})
            if (pane) {
                ::InvalidateRect(pane, nullptr, TRUE);
                ::UpdateWindow(pane);
            }
    } else if (m_trackArea.m_hWnd) {
        RECT r = GetTrackRect(track);
        ::InvalidateRect(m_trackArea.m_hWnd, &r, TRUE);
    }
    GetViewHost().RefreshMarkerList(-1);
}

void CNyMultiTrackView::OnUpdateDeleteMarker(CCmdUI* ui)
{
    ui->Enable(TRUE);
}

void CNyMultiTrackView::OnEditMarker()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    LabelRecord label{};
    if (doc && doc->GetLabels().GetCurrentLabel(&label))
        GetViewHost().BeginLabelEdit(this, label.id);
}

void CNyMultiTrackView::OnUpdateEditMarker(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    LabelRecord label{};
    ui->Enable(!(doc && doc->GetLabels().GetCurrentLabel(&label) && (label.kind & 0xFF) == kLabelLoop));
}

void CNyMultiTrackView::OnPreviousMarker()
{
    if (IViewController* c = GetViewHost().GetController()) {
        InvalidateCaret(0);
        c->PreviousMarker();
        InvalidateCaret(1);
    }
}

void CNyMultiTrackView::OnNextMarker()
{
    if (IViewController* c = GetViewHost().GetController()) {
        InvalidateCaret(0);
        c->NextMarker();
        InvalidateCaret(1);
    }
}

void CNyMultiTrackView::OnUpdatePrevNextMarker(CCmdUI* ui)
{
    IViewController* c = GetViewHost().GetController();
    ui->Enable(c && c->CanGoToMarker());
}

// Go to --------------------------------------------------------------------------------------

void CNyMultiTrackView::OnUpdateGoToPoint(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    HWND capture = ::GetCapture();
    if (!doc || !selection || (capture && ::IsChild(m_hWnd, capture)) || IsTransportBusy() || m_editMode == 1 ||
        m_editMode == 2 || doc->GetLength() == 0 || doc->GetTrackCount() == 0) {
        ui->Enable(FALSE);
        return;
    }
    int lower = 0, upper = 0;
    selection->GetOrderedRowRange(&lower, &upper);
    ui->Enable(lower == upper);
}

bool CNyMultiTrackView::AllocateSearchBuffer(std::vector<char>& buffer, uint32_t* frames, int row)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    DWORD rate = doc->GetSamplesPerSec();
    int64_t s = 0, e = 0;
    int64_t n = rate;
    if (selection->GetOrderedSelection(&s, &e))
        n = std::min<int64_t>(rate, e - s);
    const size_t frameBytes =
        size_t(ReaderSampleBytes(doc->GetBitsPerSample())) * doc->GetTrackChannels(TrackFromRow(row, 0));
    for (int64_t size : {n, int64_t(rate / 10), int64_t(3)}) {
        try {
            buffer.assign(size_t(std::max<int64_t>(size, 1)) * frameBytes, 0);
            *frames = uint32_t(std::max<int64_t>(size, 1));
            return true;
        } catch (const std::bad_alloc&) {
        }
    }
    std::string text = LoadText(IDS_PF_NO_MEMORY);
    ::MessageBoxA(m_hWnd, text.c_str(), nullptr, MB_ICONEXCLAMATION);
    return false;
}

namespace {
SearchChannel ChannelOfRow(CNyMultiTrackView& view, CNyMultiTrackDoc& doc, int row)
{
    SearchChannel c;
    int track = view.TrackFromRow(row, 0);
    c.track = doc.GetTrack(track);
    c.channel = row - view.GetTrackRow(track, 0);
    c.channels = doc.GetTrackChannels(track);
    c.bits = doc.GetBitsPerSample();
    c.start = doc.GetTrackExtent(track, -1);
    c.length = doc.GetTrackExtent(track, 0);
    return c;
}
} // namespace

int64_t CNyMultiTrackView::FindZeroCrossing(bool forward, int64_t from, int64_t to, int row, void* buffer,
                                            uint32_t frames)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    return ::FindZeroCrossing(ChannelOfRow(*this, *doc, row), forward, from, to, buffer, frames);
}

int64_t CNyMultiTrackView::FindMaximumPoint(int64_t from, int64_t to, int row, void* buffer, uint32_t frames)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    IViewHost& host = GetViewHost();
    host.OpenProgress(this, LoadText(IDS_VIEW_SEARCHING_MAXIMUM).c_str());
    bool cancelled = false;
    int64_t found = ::FindMaximumPoint(ChannelOfRow(*this, *doc, row), from, to, buffer, frames, [&](int percent) {
        cancelled = host.UpdateProgress(percent);
        return cancelled;
    });
    host.CloseProgress(cancelled);
    return found;
}

void CNyMultiTrackView::OnGoToZeroCrossing()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    if (EditBusyGuard::IsBusy() || !doc || !selection)
        return;
    EditBusyGuard guard;
    CWaitCursor wait;
    int lower = 0, row = 0;
    selection->GetOrderedRowRange(&lower, &row);
    const int track = TrackFromRow(row, 0);
    // An empty track has no crossing: the selection stays.
    if (doc->GetTrackExtent(track, 0) <= 0)
        return;
    std::vector<char> buffer;
    uint32_t frames = 0;
    if (!AllocateSearchBuffer(buffer, &frames, row))
        return;
    int64_t s = 0, e = 0;
    selection->GetOrderedSelection(&s, &e);
    const int64_t last = doc->GetTrackExtent(track, 1) - 1;
    int64_t r1 = FindZeroCrossing(false, s, e, row, buffer.data(), frames);
    int64_t r2 = FindZeroCrossing(true, e, e, row, buffer.data(), frames);
    int64_t caret;
    if (s == e) {
        if (r1 >= 0)
            caret = r2 > last ? r1 : (s - r1 <= r2 - s ? r1 : r2);
        else
            caret = r2 <= last ? r2 : s;
        selection->SetSelection(caret, caret);
    } else {
        r1 = std::max<int64_t>(r1, 0);
        r2 = std::min<int64_t>(r2, last);
        selection->SetSelection(r1, r2);
        caret = r1 + (r2 - r1) / 2;
    }
    selection->InvalidateSelection();
    SetEditPosition(caret);
    EnsureSampleVisible(caret);
}

void CNyMultiTrackView::OnGoToMaximumPoint()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    if (EditBusyGuard::IsBusy() || !doc || !selection)
        return;
    EditBusyGuard guard;
    CWaitCursor wait;
    int lower = 0, row = 0;
    selection->GetOrderedRowRange(&lower, &row);
    std::vector<char> buffer;
    uint32_t frames = 0;
    if (!AllocateSearchBuffer(buffer, &frames, row))
        return;
    int64_t s = 0, e = 0;
    const int track = TrackFromRow(row, 0);
    const int64_t last = doc->GetTrackExtent(track, 1) - 1;
    int64_t found = selection->GetOrderedSelection(&s, &e) ? FindMaximumPoint(s, e, row, buffer.data(), frames)
                                                           : FindMaximumPoint(0, last + 1, row, buffer.data(), frames);
    InvalidateCaret(0);
    if (found < 0)
        found = s;
    selection->SetSelection(found, found);
    selection->InvalidateSelection();
    SetEditPosition(found);
    EnsureSampleVisible(found);
    InvalidateCaret(1);
}

void CNyMultiTrackView::OnUpdateGoToSelection(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (IsRecording()) {
        ui->Enable(FALSE);
        return;
    }
    ui->SetText(LoadText(IDS_VIEW_GO_SELECTION_TEXT).c_str());
    if (!doc || IsTransportBusy() || m_editMode == 1 || m_editMode == 2 || doc->GetTrackCount() == 0)
        ui->Enable(FALSE);
    else
        ui->Enable(doc->GetLength() != 0);
}

void CNyMultiTrackView::OnGoToSelection()
{
    if (IsRecording()) {
        EnsureSampleVisible(m_playPosition);
        return;
    }
    CSelectionModel* selection = GetSelection();
    if (!selection)
        return;
    InvalidateCaret(0);
    SetEditPosition(-1);
    int64_t s = 0, e = 0;
    selection->GetSelection(&s, &e);
    m_noIntermediateRepaint = 1;
    EnsureSampleVisible(0);
    EnsureSampleVisible(s);
    m_noIntermediateRepaint = 0;
    InvalidateCaret(1);
    UpdateNow();
}

// Properties and context menu ----------------------------------------------------------------

void CNyMultiTrackView::OnProperties()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    int track = 0;
    for (int t = 0, n = doc ? doc->GetTrackCount() : 0; t < n; ++t)
        if (selection && selection->IsTrackSelectedAt(t)) {
            track = t;
            break;
        }
    GetViewHost().RunPropertiesDialog(this, track);
}

void CNyMultiTrackView::OnUpdateProperties(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    IViewController* c = GetViewHost().GetController();
    if (!doc || !doc->GetTrackSet() || doc->GetTrackCount() == 0 || (c && c->HasRecordingTake()) ||
        !IsTransportIdle() || m_editMode == 1 || m_editMode == 2)
        ui->Enable(FALSE);
}

void CNyMultiTrackView::OnContextMenu(CWnd*, CPoint point)
{
    UINT id = HasSelection() ? 413 : 409;
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
    if (!menu)
        return;
    if (HMENU popup = ::GetSubMenu(menu, 0)) {
        if (point.x == -1 || point.y == -1) {
            point = CPoint(4, 4);
            ::ClientToScreen(m_hWnd, &point);
        }
        HWND owner = m_hWnd;
        while (owner && (::GetWindowLongPtrA(owner, GWL_STYLE) & WS_CHILD) && ::GetParent(owner))
            owner = ::GetParent(owner);
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
    }
    ::DestroyMenu(menu);
}
