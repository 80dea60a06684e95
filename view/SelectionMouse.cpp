#include "SelectionMouse.h"

#include "AudioDrag.h"
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "ViewHost.h"

#include <algorithm>
#include <cstdlib>

DragMessage NextDragMessage(HWND pane, MSG* msg)
{
    for (;;) {
        if (!::PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE)) {
            if (::GetCapture() != pane)
                return DragMessage::kEnded;
            ::WaitMessage();
            continue;
        }
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
            return DragMessage::kEscape;
        if (msg->hwnd == pane && (msg->message == WM_MOUSEMOVE || msg->message == WM_LBUTTONUP))
            return DragMessage::kMouse;
        ::TranslateMessage(msg);
        ::DispatchMessageA(msg);
        if (::GetCapture() != pane)
            return DragMessage::kEnded;
    }
}

int PixelCorrection(CNyMultiTrackView* view)
{
    double spp = view->GetSamplesPerPixel(0);
    return spp > 0 && spp < 1.0 ? int(int(1.0 / spp) / 2) - 3 : 0;
}

namespace {

// A row's track and its first and last rows.
void TrackRows(CNyMultiTrackView* view, int row, int* first, int* last)
{
    int track = view->TrackFromRow(row, 0);
    *first = view->GetTrackRow(track, 0);
    *last = view->GetTrackRow(track, 1);
}

// Rows for a press at row clicked with Shift: the farRow end stays, tracks widen to whole ones.
void ShiftRows(CNyMultiTrackView* view, CSelectionModel* selection, int clicked)
{
    int lower = 0, upper = 0;
    selection->GetOrderedRowRange(&lower, &upper);
    if (clicked > lower && clicked < upper)
        return;
    int farRow = clicked <= lower ? upper : lower;
    int clickedFirst = 0, clickedLast = 0, farFirst = 0, farLast = 0;
    TrackRows(view, clicked, &clickedFirst, &clickedLast);
    TrackRows(view, farRow, &farFirst, &farLast);
    if (view->TrackFromRow(farRow, 0) == view->TrackFromRow(clicked, 0))
        selection->SetRowRange(farRow, clicked);
    else if (clicked < farRow)
        selection->SetRowRange(farLast, clickedFirst);
    else
        selection->SetRowRange(farFirst, clickedLast);
}

// Above or below the track area the rows scroll one line, then the drag waits a moment.
void ScrollRowsToward(CNyMultiTrackView* view, HWND pane, int y)
{
    RECT client;
    ::GetClientRect(pane, &client);
    if (y >= client.top && y < client.bottom)
        return;
    view->SendMessage(WM_VSCROLL, y < client.top ? SB_LINEUP : SB_LINEDOWN, 0);
    ::UpdateWindow(view->m_hWnd);
    ::Sleep(50);
}

void TrackSelectionDrag(CNyMultiTrackView* view, HWND pane, bool fromRuler, int x, int y, bool keepRows)
{
    CSelectionModel* selection = view->GetSelection();
    int dx = PixelCorrection(view);
    int64_t anchor = 0, end = 0;
    selection->GetSelection(&anchor, &end);
    int anchorRow = view->RowFromY(y, 0);
    int rows = view->GetRowCount();
    int pressAnchor = 0, pressCurrent = 0;
    selection->GetRowRange(&pressAnchor, &pressCurrent);
    bool moved = false;
    bool sizing = false;
    HCURSOR remembered = nullptr;
    for (;;) {
        MSG msg;
        DragMessage next = NextDragMessage(pane, &msg);
        if (next == DragMessage::kEnded)
            break;
        if (next == DragMessage::kEscape)
            break;
        POINT p{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
        if (moved || std::abs(p.x - x) >= 2) {
            moved = true;
            RECT wave = view->GetTrackWaveRect(-1);
            if (p.x < wave.left)
                view->SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
            else if (p.x > wave.right)
                view->SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
            if (!fromRuler)
                ScrollRowsToward(view, pane, p.y);
            if (!keepRows && !selection->IsAllTracksMode() && rows > 0) {
                int row = view->RowFromY(p.y, 0);
                if (row >= rows)
                    row = p.y < 0 ? 0 : rows - 1;
                int newAnchor = pressAnchor, newCurrent = pressCurrent;
                if (view->TrackFromRow(row, 0) != view->TrackFromRow(anchorRow, 0)) {
                    int anchorFirst = 0, anchorLast = 0, first = 0, last = 0;
                    TrackRows(view, anchorRow, &anchorFirst, &anchorLast);
                    TrackRows(view, row, &first, &last);
                    newAnchor = row > anchorRow ? anchorFirst : anchorLast;
                    newCurrent = row > anchorRow ? last : first;
                }
                // Back in the pressed track the rows are those of the press again.
                int anchorNow = 0, currentNow = 0;
                selection->GetRowRange(&anchorNow, &currentNow);
                if (anchorNow != newAnchor || currentNow != newCurrent)
                    selection->SetRowRange(newAnchor, newCurrent);
            }
            int64_t position = view->XToSample(p.x + dx);
            if (position < 0)
                position = view->GetFirstVisibleSample();
            if ((::GetKeyState(VK_MENU) & 0x8000) && !fromRuler)
                position = view->GetTimeRuler().GetTickAtOrBefore(position);
            selection->SetSelection(anchor, position, TRUE);
            selection->InvalidateSelection();
            // A range shows the resize cursor, a caret the one before it.
            if (selection->HasSelection() != sizing) {
                sizing = !sizing;
                if (sizing) {
                    view->GetTrackArea().SetCaretHidden(1);
                    remembered = ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
                } else {
                    ::SetCursor(remembered);
                }
            }
        }
        if (msg.message == WM_LBUTTONUP)
            break;
    }
    if (sizing)
        ::SetCursor(remembered);
}

// After an audio drag: the document where it ended tells the engine its selection again, and
// a pending drop runs.
void FinishAudioDrag(CNyMultiTrackView* view, const AudioDragOutcome& drag)
{
    try {
        if (drag.ended && drag.ended != view) {
            CSelectionModel* ended = drag.ended->GetSelection();
            int64_t s = 0, e = 0;
            ended->GetSelection(&s, &e);
            ended->SetSelection(s, e, TRUE);
            drag.ended->GetTrackArea().InvalidateCaret(1);
        }
    } catch (const CKvSSException& e) {
        GetViewHost().ShowErrorBox(e.m_hr, nullptr);
    }
    if (CSelectionModel::DragState().dropPosition < 0)
        return;
    HRESULT hr = view->GetSelection()->DropAudio(drag.target ? drag.target->GetMultiTrackDoc() : nullptr);
    if (FAILED(hr))
        GetViewHost().ShowErrorBox(hr, nullptr);
}

} // namespace

int SelectionEdgeAt(CNyMultiTrackView* view, int x, int y)
{
    CSelectionModel* selection = view->GetSelection();
    int64_t start = 0, end = 0;
    if (!selection || !selection->GetOrderedSelection(&start, &end))
        return 0;
    int row = view->RowFromY(y, 0);
    if (row >= view->GetRowCount() || !selection->IsRowSelected(row))
        return 0;
    int left = view->GetTrackWaveRect(-1).left;
    int64_t first = view->GetFirstVisibleSample();
    if (std::abs(x - (left + int(view->SampleToPixel(start - first)))) <= 3)
        return 1;
    if (std::abs(x - (left + int(view->SampleToPixel(end - first)))) <= 3)
        return 2;
    return 0;
}

namespace {

// Playback plays the range that was selected when it started: a new selection made with the
// mouse meanwhile stops it. A recording goes on.
void StopPlayingAnotherRange(CNyMultiTrackView* view, int64_t lo, int64_t hi)
{
    IViewController* controller = GetViewHost().GetController();
    CSelectionModel* selection = view->GetSelection();
    if (!controller || !selection || !controller->IsPlaying() || controller->IsRecording())
        return;
    int64_t s = 0, e = 0;
    selection->GetOrderedSelection(&s, &e);
    if (s == lo && e == hi)
        return;
    try {
        controller->Stop();
    } catch (const CKvSSException& error) {
        GetViewHost().ShowErrorBox(error.m_hr, nullptr);
    }
}

} // namespace

void SelectionMouseDown(CNyMultiTrackView* view, HWND pane, bool fromRuler, int edge, int x, int y, UINT flags)
{
    CSelectionModel* selection = view ? view->GetSelection() : nullptr;
    if (!selection || view->GetRowCount() == 0)
        return;
    int dx = PixelCorrection(view);
    if (edge < 0)
        edge = SelectionEdgeAt(view, x, y);
    selection->SetTracking(TRUE);
    int64_t position = std::max<int64_t>(0, view->XToSample(x + dx));
    int row = std::min(view->RowFromY(y, 0), view->GetRowCount() - 1);
    bool keepRows = false;
    bool audioDrag = false;
    CTrackAreaPane& area = view->GetTrackArea();
    int64_t lo = 0, hi = 0;
    selection->GetOrderedSelection(&lo, &hi);
    const int64_t pressedLo = lo, pressedHi = hi;
    selection->BeginAudioDrag(row);
    if (flags & MK_SHIFT) {
        if (!fromRuler)
            ShiftRows(view, selection, row);
        if (position <= lo)
            selection->SetSelection(hi, position, TRUE);
        else if (position >= hi)
            selection->SetSelection(lo, position, TRUE);
        else if (position - lo < hi - position)
            selection->SetSelection(hi, position, TRUE);
        else
            selection->SetSelection(lo, position, TRUE);
        selection->InvalidateSelection();
        keepRows = true;
    } else if (edge) {
        // The grabbed edge moves; the other one becomes the anchor.
        area.SetCaretHidden(1);
        selection->SetSelection(edge == 1 ? hi : lo, position, TRUE);
        area.InvalidateCaret(1);
        selection->InvalidateSelection();
        keepRows = true;
    } else if (!fromRuler && IsAudioDragPress(view, position, row)) {
        audioDrag = true;
    } else {
        selection->SetAllTracksMode(FALSE);
        int first = row, last = row;
        if (fromRuler) {
            selection->SetAllTracksMode(TRUE);
            first = 0;
            last = view->GetRowCount() - 1;
        } else {
            selection->UpdateChannelZone(x, y);
            selection->RowsForZone(selection->GetZoneCode(), row, &first, &last);
        }
        area.SetCaretHidden(1);
        selection->SetRowRange(first, last);
        selection->SetSelection(position, position);
        area.InvalidateCaret(1);
        selection->InvalidateSelection();
    }
    ::SetCapture(pane);
    AudioDragOutcome drag;
    if (audioDrag)
        drag = RunAudioDrag(view, x, y, position, row);
    else
        TrackSelectionDrag(view, pane, fromRuler, x, y, keepRows);
    if (::GetCapture() == pane)
        ::ReleaseCapture();
    if (fromRuler && !keepRows) {
        selection->SetAllTracksMode(TRUE);
        int64_t s = 0, e = 0;
        selection->GetOrderedSelection(&s, &e);
        selection->SetSelection(s, e);
        selection->SetRowRange(0, view->GetRowCount() - 1);
        selection->InvalidateSelection();
    }
    selection->SetTracking(FALSE);
    try {
        selection->SendTrackSelectionToEngine(-1);
        int64_t s = 0, e = 0;
        selection->GetSelection(&s, &e);
        selection->SendRangeToEngine(s, e);
    } catch (const CKvSSException& e) {
        GetViewHost().ShowErrorBox(e.m_hr, nullptr);
    }
    area.InvalidateCaret(1);
    if (audioDrag)
        FinishAudioDrag(view, drag);
    GetViewHost().UpdateAnalysisAndEffects();
    StopPlayingAnotherRange(view, pressedLo, pressedHi);
}
