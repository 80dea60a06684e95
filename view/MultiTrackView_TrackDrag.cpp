// The track drag of the view: a press on a track's header or amplitude scale follows the mouse
// in a modal loop, frames the track band it would drop on, and ends as one document operation:
// a move, a copy with Ctrl (while the copy keeps the document under seven channel rows) or,
// dropped outside the view, a delete after a question. A press without a drag toggles the
// track's selection.
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"

#include "CursorIds.h"
#include "KvSSException.h"
#include "SelectionModel.h"
#include "SelectionMouse.h"
#include "ViewHost.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kCopyRowLimit = 7;
constexpr SIZE kFrame{5, 5};

RECT ChildRect(HWND parent, HWND child)
{
    RECT r{0, 0, 0, 0};
    if (child) {
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

HCURSOR ProgramCursor(const char* name)
{
    return ::LoadCursorA(::GetModuleHandleA(nullptr), name);
}

// The rows of the selection that carry a flag: the lowest and the highest (-1 without one).
void SelectedRowBounds(CSelectionModel* selection, int rows, int* low, int* high)
{
    *low = *high = -1;
    for (int row = 0; row < rows; ++row)
        if (selection->IsRowSelected(row)) {
            if (*low < 0)
                *low = row;
            *high = row;
        }
}

} // namespace

void CNyMultiTrackView::DragTrack(int x, int y)
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    CSelectionModel* selection = GetSelection();
    if (!doc || !selection || !m_hWnd)
        return;
    const int source = TrackFromY(y, 1);
    if (source < 0)
        return;
    const int count = doc->GetTrackCount();
    const int rowsAfterCopy = doc->GetTrackChannels(source) + GetRowCount();
    const RECT areaRect = ChildRect(m_hWnd, m_trackArea.m_hWnd);
    const int areaTop = areaRect.top;
    const RECT headerRect = ChildRect(m_hWnd, m_header.m_hWnd), scaleRect = ChildRect(m_hWnd, m_scale.m_hWnd);
    RECT band;
    ::UnionRect(&band, &headerRect, &scaleRect);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    // The frame goes over the panes' band; the view's own children do not clip it.
    HDC windowDc = ::GetDCEx(m_hWnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    CDC dc(windowDc);
    RECT sourceRect = GetTrackRect(source);
    ::IntersectClipRect(windowDc, 0, 0, sourceRect.right - sourceRect.left, client.bottom);

    // The band of a target track in view coordinates (after the last track: below it).
    auto targetRect = [&](int target) {
        RECT r;
        if (target < count) {
            r = GetTrackRect(target);
        } else {
            RECT last = GetTrackRect(count - 1);
            r = RECT{last.left, last.bottom, last.right, last.bottom + (sourceRect.bottom - sourceRect.top)};
        }
        ::OffsetRect(&r, 0, areaTop);
        return r;
    };

    int target = source;
    bool dragging = false, rectShown = false, ctrlAtDrop = false;
    RECT shownRect{0, 0, 0, 0};
    HCURSOR cursor = nullptr;
    POINT press{x, y + areaTop}, last{-1, -1}, pointer = press;
    auto hideRect = [&]() {
        if (rectShown) {
            dc.DrawDragRect(shownRect, kFrame, nullptr, kFrame);
            rectShown = false;
        }
    };
    auto setCursor = [&](HCURSOR wanted) {
        if (wanted && wanted != cursor) {
            cursor = wanted;
            ::SetCursor(cursor);
        }
    };
    DragMessage ended = FollowDrag(m_hWnd, [&](const MSG& msg) {
        pointer = POINT{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
        bool ctrl = (msg.wParam & MK_CONTROL) != 0;
        if (msg.message == WM_LBUTTONUP) {
            ctrlAtDrop = ctrl;
            return;
        }
        POINT screen = pointer;
        ::ClientToScreen(m_hWnd, &screen);
        if (!::PtInRect(&window, screen)) {
            // Outside the view a drop deletes the track.
            HCURSOR del = ProgramCursor(kCursorWaveDelete);
            if (del != cursor) {
                hideRect();
                setCursor(del);
            }
            target = -1;
            return;
        }
        if (!dragging) {
            if (std::abs(pointer.x - press.x) < 5 && std::abs(pointer.y - press.y) < 5)
                return;
            dragging = true;
            m_trackArea.InvalidateCaret(0);
            m_trackArea.SetCaretHidden(1);
        }
        HCURSOR wanted = ProgramCursor(kCursorHand);
        if (!ctrl && count > 1)
            wanted = ProgramCursor(kCursorHoldVertical);
        else if (ctrl && rowsAfterCopy < kCopyRowLimit)
            wanted = ProgramCursor(kCursorHoldCopy);
        setCursor(wanted);
        if (pointer.x == last.x && pointer.y == last.y)
            return;
        last = pointer;
        int64_t start = 0, end = 0;
        if (selection->GetSelection(&start, &end)) {
            selection->SetSelection(start, start);
            selection->InvalidateSelection();
        }
        if (!::PtInRect(&headerRect, pointer) && !::PtInRect(&scaleRect, pointer)) {
            // Above or below the panes the rows scroll; over the track area nothing changes.
            if (pointer.y < band.top || pointer.y >= band.bottom) {
                hideRect();
                SendMessage(WM_VSCROLL, pointer.y < band.top ? SB_LINEUP : SB_LINEDOWN, 0);
            }
            return;
        }
        int areaY = pointer.y - areaTop;
        target = TrackFromY(areaY, 1);
        if (target < 0) {
            RECT lastTrack = GetTrackRect(count - 1);
            target = areaY >= lastTrack.bottom ? count : 0;
            if (target == count && rowsAfterCopy > kCopyRowLimit - 1)
                target = count - 1;
        }
        RECT wantedRect = targetRect(target);
        if (!rectShown || !::EqualRect(&wantedRect, &shownRect)) {
            dc.DrawDragRect(wantedRect, kFrame, rectShown ? &shownRect : nullptr, kFrame);
            shownRect = wantedRect;
            rectShown = true;
        }
    });
    const bool cancelled = ended != DragMessage::kMouse;
    bool wasShown = rectShown;
    hideRect();
    ::SelectClipRgn(windowDc, nullptr);
    ::ReleaseDC(m_hWnd, windowDc);
    if (cancelled)
        return;

    POINT screen = pointer;
    ::ClientToScreen(m_hWnd, &screen);
    if (!::PtInRect(&window, screen))
        target = -1;
    else if (target == -1)
        target = pointer.y - areaTop < GetTrackRect(source).top ? 0 : count;
    int64_t start = 0, end = 0;
    selection->GetSelection(&start, &end);
    if (!wasShown && target == source) {
        // A click: the track's selection toggles, unless it is the only selected track.
        m_trackArea.SetCaretHidden(1);
        int low = -1, high = -1;
        SelectedRowBounds(selection, GetRowCount(), &low, &high);
        bool alone = low >= GetTrackRow(source, 0) && high <= GetTrackRow(source, 1) && low >= 0;
        if (!alone) {
            selection->SetTrackSelected(source, !selection->IsTrackSelectedAt(source));
            RedrawSelectionArea(source);
            GetViewHost().UpdateAnalysisAndEffects();
        }
        RECT r = targetRect(source);
        ::OffsetRect(&r, 0, -areaTop);
        ::InvalidateRect(m_trackArea.m_hWnd, &r, FALSE);
        m_trackArea.SetCaretHidden(0);
        m_trackArea.InvalidateCaret(1);
        selection->SetSelection(start, end, TRUE);
        return;
    }
    try {
        if (target == -1) {
            CString question;
            question.LoadString(IDS_ASK_DELETE_TRACK);
            if (MessageBox(question.GetString(), nullptr, MB_YESNO | MB_ICONQUESTION) == IDYES)
                doc->DeleteTrack(source);
        } else if (ctrlAtDrop) {
            if (rowsAfterCopy < kCopyRowLimit)
                doc->CopyTrack(source, std::min(target, count));
        } else if (target != source) {
            int destination = std::min(target, count - 1);
            if (source < destination)
                destination += 1;
            doc->MoveTrack(source, destination);
        }
    } catch (const CKvSSException& e) {
        GetViewHost().ShowErrorBox(e.m_hr, nullptr);
    }
    selection->SetSelection(start, end, TRUE);
    UpdateVertScrollBar();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    doc->UpdateMixer();
    doc->RefreshController();
    GetViewHost().RefreshMarkerList(-1);
}
