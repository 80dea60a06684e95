#include "EditModeIds.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "ViewHost.h"
#include "ViewIds.h"

#include <algorithm>
#include <cctype>

namespace {
bool KeyDown(int key)
{
    return ::GetKeyState(key) < 0;
}

void SendCommand(HWND hwnd, int id)
{
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}
} // namespace

std::vector<int> CNyMultiTrackView::TrackChannels()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    std::vector<int> channels;
    for (int t = 0, n = doc ? doc->GetTrackCount() : 0; t < n; ++t)
        channels.push_back(doc->GetTrackChannels(t));
    return channels;
}

std::vector<int64_t> CNyMultiTrackView::Stops(bool ends)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    std::vector<int64_t> stops{ends ? (doc ? doc->GetLength() : 0) : 0};
    for (int t = 0, n = doc ? doc->GetTrackCount() : 0; t < n; ++t)
        if (selection && selection->IsTrackSelectedAt(t))
            stops.push_back(doc->GetTrackExtent(t, ends ? 1 : -1));
    return stops;
}

void CNyMultiTrackView::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    (void)flags;
    if (KeyDown(VK_LBUTTON))
        return;
    if (m_editMode != 0 && key == VK_ESCAPE) {
        SendCommand(m_hWnd, kCmdHandleCancel);
        return;
    }
    // The mode's one-key commands (as keys, not accelerators: letters typed into an edit box
    // of the view must stay letters).
    if (m_editMode != 0 && (key == 'E' || key == 'R')) {
        SendCommand(m_hWnd, key == 'E' ? ID_HANDLE_EXECUTE : ID_HANDLE_RESET);
        return;
    }
    EndInPlaceEdit();
    UpdateNow();
    CSelectionModel* selection = GetSelection();
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!selection || !doc) {
        Default();
        return;
    }
    const bool idle = IsTransportIdle();
    if (m_editMode == 0 && (key == VK_BACK || key == VK_DELETE)) {
        if (key == VK_BACK && !selection->HasSelection()) {
            Default();
            return;
        }
        if (idle)
            SendCommand(m_hWnd, kCmdEditDelete);
        return;
    }
    bool acts;
    switch (key) {
    case VK_RETURN:
    case VK_INSERT:
        acts = idle;
        break;
    case VK_PRIOR:
    case VK_NEXT:
        ::SendMessageA(m_hWnd, WM_VSCROLL, key == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN, 0);
        return;
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case 'A':
    case 'S':
        acts = !IsTransportBusy();
        break;
    case VK_ESCAPE:
        acts = selection->HasSelection();
        break;
    default:
        Default();
        return;
    }
    if (!acts)
        return;

    int64_t oldStart = 0, oldEnd = 0;
    bool oldRange = selection->GetOrderedSelection(&oldStart, &oldEnd);
    int oldLower = 0, oldUpper = 0;
    selection->GetOrderedRowRange(&oldLower, &oldUpper);
    SetEditPosition(-1);
    InvalidateCaret(0);
    m_deferredUpdate = 1;

    KeyAction(key, std::max(repeat, 1u), KeyDown(VK_SHIFT), KeyDown(VK_CONTROL));
    switch (key) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
    case 'A':
    case 'S':
        SyncMixerAutomation();
        break;
    default:
        break;
    }

    InvalidateCaret(1);
    int64_t newStart = 0, newEnd = 0;
    bool newRange = selection->GetOrderedSelection(&newStart, &newEnd);
    int newLower = 0, newUpper = 0;
    selection->GetOrderedRowRange(&newLower, &newUpper);
    bool rowsChanged = newLower != oldLower || newUpper != oldUpper;
    bool timeChanged = newStart != oldStart || newEnd != oldEnd;
    if ((oldRange || newRange) && (key == VK_INSERT || rowsChanged || timeChanged))
        InvalidateSampleRange(std::min(oldStart, newStart), std::max(oldEnd, newEnd), 0, -1);
    if (m_overview.m_hWnd)
        ::InvalidateRect(m_overview.m_hWnd, nullptr, FALSE);
    if (rowsChanged)
        RepaintTrackHeader();
    m_deferredUpdate = 0;
    int64_t start = 0, end = 0;
    selection->GetSelection(&start, &end);
    selection->SetSelection(start, end, TRUE);
    if (idle)
        SetEditPosition(end);
    UpdateNow();
}

void CNyMultiTrackView::MoveCaretTo(int64_t caret, bool shift)
{
    CSelectionModel* selection = GetSelection();
    int64_t start = 0, end = 0;
    selection->GetSelection(&start, &end);
    selection->SetSelection(shift ? start : caret, caret);
}

void CNyMultiTrackView::KeyAction(UINT key, UINT repeat, bool shift, bool ctrl)
{
    CSelectionModel* selection = GetSelection();
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    int64_t anchor = 0, caret = 0;
    selection->GetSelection(&anchor, &caret);
    int anchorRow = 0, currentRow = 0;
    selection->GetRowRange(&anchorRow, &currentRow);
    const int lastRow = GetRowCount() - 1;
    const int64_t length = doc->GetLength();
    if ((key == 'A' || key == 'S') && !m_video.HasVideo())
        return;
    if (ctrl && (key == VK_LEFT || key == 'A'))
        key = VK_HOME, ctrl = false;
    if (ctrl && (key == VK_RIGHT || key == 'S'))
        key = VK_END, ctrl = false;
    switch (key) {
    case VK_RETURN:
        selection->SetSelection(caret, anchor);
        return;
    case VK_ESCAPE:
        selection->SetSelection(caret, caret);
        return;
    case VK_HOME:
    case VK_END: {
        bool home = key == VK_HOME;
        caret = home ? NearestStopBelow(Stops(false), caret) : NearestStopAbove(Stops(true), caret);
        if (ctrl) {
            int row = home ? 0 : lastRow;
            selection->SetRowRange(shift ? anchorRow : row, row);
            ScrollRowsTo(home ? 0 : std::max(0, lastRow));
        }
        MoveCaretTo(caret, shift);
        EnsureSampleVisible(caret);
        return;
    }
    case 'A':
    case 'S': {
        const double seconds = m_video.GetFrameDuration();
        int64_t to = VideoFrameStep(caret, doc->GetSamplesPerSec(), seconds > 0 ? 1.0 / seconds : 0.0,
                                    m_video.GetFrameStep(), key == 'S');
        if (to < 0)
            return;
        int64_t first = 0, last = 0;
        GetVisibleRange(&first, &last);
        if (key == 'S' && to >= length && to >= last)
            to = last;
        MoveCaretTo(to, shift);
        if (to < first || to > last)
            EnsureSampleVisible(to);
        return;
    }
    case VK_LEFT: {
        int64_t first = 0, last = 0;
        GetVisibleRange(&first, &last);
        if (caret < first || caret > last)
            EnsureSampleVisible(caret);
        int64_t step = std::max<int64_t>(PixelToSample(1.0), 1);
        caret = std::max<int64_t>(caret - int64_t(repeat) * step, 0);
        MoveCaretTo(caret, shift);
        if (caret < m_firstVisibleSample)
            ::SendMessageA(m_hWnd, WM_HSCROLL, SB_PAGELEFT, 0);
        return;
    }
    case VK_RIGHT: {
        int64_t first = 0, last = 0;
        GetVisibleRange(&first, &last);
        if (caret < first || caret > last) {
            EnsureSampleVisible(caret);
            GetVisibleRange(&first, &last);
        }
        int64_t step = std::max<int64_t>(PixelToSample(1.0), 1);
        caret += int64_t(repeat) * step;
        if (caret >= length && caret >= last)
            caret = last;
        MoveCaretTo(caret, shift);
        if (caret > last)
            ::SendMessageA(m_hWnd, WM_HSCROLL, SB_PAGERIGHT, 0);
        return;
    }
    case VK_UP:
    case VK_DOWN: {
        bool down = key == VK_DOWN;
        if (anchorRow == currentRow)
            m_pivotRow = currentRow;
        RowRange rows = MoveRows(TrackChannels(), RowRange{anchorRow, currentRow}, m_pivotRow, down, shift);
        if (!shift)
            selection->SetSelection(caret, caret);
        if (ctrl) {
            rows.current = down ? lastRow : 0;
            if (!shift)
                rows.anchor = rows.current;
        }
        selection->SetRowRange(rows.anchor, rows.current);
        if (ctrl)
            ScrollRowsTo(down ? std::max(0, lastRow) : 0);
        else if (!down && rows.current < m_firstVisibleRow)
            ::SendMessageA(m_hWnd, WM_VSCROLL, SB_LINEUP, 0);
        else if (down && GetChannelRect(rows.current, -1).bottom > GetTracksRect().bottom)
            ::SendMessageA(m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
        return;
    }
    case VK_INSERT: {
        int lower = 0, upper = 0;
        selection->GetOrderedRowRange(&lower, &upper);
        if (upper - lower == lastRow) {
            selection->SetRowRange(m_rememberedRow, m_rememberedRow);
        } else {
            m_rememberedRow = lower;
            selection->SetAllTracksMode(TRUE);
            selection->SetRowRange(0, lastRow);
        }
        return;
    }
    default:
        return;
    }
}

BOOL CNyMultiTrackView::OnMouseWheel(UINT, short distance, CPoint point)
{
    RECT area{0, 0, 0, 0}, ruler{0, 0, 0, 0};
    if (m_trackArea.m_hWnd)
        ::GetWindowRect(m_trackArea.m_hWnd, &area);
    if (m_ruler.m_hWnd)
        ::GetWindowRect(m_ruler.m_hWnd, &ruler);
    if (!::PtInRect(&area, point) && !::PtInRect(&ruler, point)) {
        ::SendMessageA(m_hWnd, WM_VSCROLL, distance >= 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        ::SetFocus(m_hWnd);
    } else if (!IsPlaying()) {
        VideoAnimationOff still(m_video);
        int64_t oldFirst = m_firstVisibleSample, oldEdit = m_editPosition;
        ::SendMessageA(m_hWnd, WM_HSCROLL, distance >= 0 ? SB_LINELEFT : SB_LINERIGHT, 0);
        if (oldEdit >= 0)
            SetEditPosition(oldEdit - oldFirst + m_firstVisibleSample);
        ::SetFocus(m_hWnd);
    }
    return static_cast<BOOL>(Default());
}

void CNyMultiTrackView::OnChar(UINT ch, UINT, UINT flags)
{
    Default();
    const bool firstPress = !(flags & 0x4000);
    CSelectionModel* selection = GetSelection();
    IViewController* controller = GetViewHost().GetController();
    switch (std::toupper(static_cast<int>(ch))) {
    case '1':
        SendCommand(m_hWnd, kCmdAddMonoTrack);
        break;
    case '2':
        SendCommand(m_hWnd, kCmdAddStereoTrack);
        break;
    case 'B':
    case 'F':
        if (controller) {
            controller->StopWinding();
            InvalidateCaret(0);
            if (std::toupper(static_cast<int>(ch)) == 'B')
                controller->Rewind();
            else
                controller->FastForward();
            InvalidateCaret(1);
            UpdatePlayPosition(0);
        }
        break;
    case 'H':
    case 'W':
        if (IsTransportIdle() && selection) {
            selection->SetRowRange(0, -1);
            selection->SetSelection(0, 0, TRUE);
            selection->SetAllTracksMode(TRUE);
            selection->InvalidateSelection();
            ::SendMessageA(m_hWnd, WM_HSCROLL, SB_LEFT, 0);
            SetEditPosition(0);
        }
        break;
    case 'J':
    case 'K':
        if (firstPress && controller)
            controller->WindFromKey(std::toupper(static_cast<int>(ch)) == 'J');
        break;
    case 'L':
        if (firstPress && selection && selection->HasSelection() && !IsTransportBusy())
            SendCommand(m_hWnd, kCmdNewLoop);
        break;
    case 'M':
        if (!firstPress)
            break;
        if (selection && selection->HasSelection() && !IsTransportBusy()) {
            SendCommand(m_hWnd, kCmdNewSection);
        } else {
            SendCommand(m_hWnd, kCmdNewCuePoint);
            if (selection)
                selection->InvalidateSelection();
        }
        break;
    case 'X':
        if (IsTransportIdle())
            SendCommand(m_hWnd, kCmdGoToMaximumPoint);
        break;
    case 'Z':
        if (IsTransportIdle())
            SendCommand(m_hWnd, kCmdGoToZeroCrossing);
        break;
    case ']':
        SendCommand(m_hWnd, kCmdZoomIn);
        break;
    case '[':
        SendCommand(m_hWnd, kCmdZoomOut);
        break;
    case '}':
        SendCommand(m_hWnd, kCmdZoomInAmplitude);
        break;
    case '{':
        SendCommand(m_hWnd, kCmdZoomOutAmplitude);
        break;
    default:
        break;
    }
}

void CNyMultiTrackView::OnKeyUp(UINT key, UINT, UINT)
{
    if (key == 'F' || key == 'B') {
        // Queued repeats of a winding key end with it.
        MSG msg;
        while (::PeekMessageA(&msg, m_hWnd, WM_KEYDOWN, WM_KEYUP, PM_NOREMOVE) && msg.wParam == key) {
            ::PeekMessageA(&msg, m_hWnd, msg.message, msg.message, PM_REMOVE);
            if (msg.message == WM_KEYUP)
                break;
        }
    }
    if (KeyDown(VK_SHIFT))
        return;
    if (key != VK_ESCAPE)
        GetViewHost().UpdateAnalysisAndEffects();
    Default();
}

// Display options -----------------------------------------------------------------------------

void CNyMultiTrackView::ToggleOption(int id)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!doc)
        return;
    doc->SetViewOption(id, !doc->GetViewOption(id));
    if (id == kCmdViewVolumeEnvelopes || id == kCmdViewPanEnvelopes) {
        GetViewHost().UpdateAllDocuments();
        return;
    }
    RecalcLayout();
    UpdateVertScrollBar();
}

void CNyMultiTrackView::OnVideoTrack()
{
    ToggleOption(kCmdViewVideoTrack);
}

void CNyMultiTrackView::OnUpdateVideoTrack(CCmdUI* ui)
{
    ui->Enable(m_video.HasVideo());
    RECT r{0, 0, 0, 0};
    if (m_video.m_hWnd)
        ::GetClientRect(m_video.m_hWnd, &r);
    ui->SetCheck(r.bottom > 0);
}

void CNyMultiTrackView::OnSpectrum()
{
    ToggleOption(kCmdViewSpectrum);
}

void CNyMultiTrackView::OnUpdateSpectrum(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    ui->Enable(m_editMode == 0);
    ui->SetCheck(doc && doc->GetViewOption(kCmdViewSpectrum));
}

void CNyMultiTrackView::OnTimeRuler()
{
    ToggleOption(kCmdViewTimeRuler);
}

void CNyMultiTrackView::OnUpdateTimeRuler(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    ui->Enable(TRUE);
    ui->SetCheck(doc && doc->GetViewOption(kCmdViewTimeRuler));
}

void CNyMultiTrackView::OnMarkers()
{
    ToggleOption(kCmdViewMarkers);
}

void CNyMultiTrackView::OnUpdateMarkers(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    ui->Enable(m_editMode == 0);
    ui->SetCheck(doc && doc->GetViewOption(kCmdViewMarkers));
}

void CNyMultiTrackView::OnShowVolumeEnvelopes()
{
    ToggleOption(kCmdViewVolumeEnvelopes);
}

void CNyMultiTrackView::OnUpdateShowVolumeEnvelopes(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    ui->Enable(TRUE);
    ui->SetCheck(doc && doc->GetViewOption(kCmdViewVolumeEnvelopes));
}

void CNyMultiTrackView::OnShowPanEnvelopes(UINT id)
{
    if (id == kCmdViewPanEnvelopes)
        ToggleOption(kCmdViewPanEnvelopes);
    else
        GetViewHost().UpdateAllDocuments();
}

void CNyMultiTrackView::OnUpdateShowPanEnvelopes(CCmdUI* ui)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (ui->m_nID == UINT(kCmdViewPanEnvelopes2)) {
        // The second pan envelope belongs to surround documents only.
        bool surround = doc && doc->IsMultichannel();
        ui->Enable(surround);
        ui->SetCheck(FALSE);
        return;
    }
    ui->Enable(TRUE);
    ui->SetCheck(doc && doc->GetViewOption(kCmdViewPanEnvelopes));
}

void CNyMultiTrackView::OnUpdateKeepEnabled(CCmdUI*) {}
