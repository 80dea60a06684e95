#include "AudioDrag.h"

#include "FwApp.h"
#include "FwFrame.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "SelectionMouse.h"
#include "Settings.h"
#include "SkinTables.h"
#include "TimeRulerPane.h"
#include "TrackAreaPane.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kDropMarkerColour = 47;
constexpr DWORD kScrollPause = 50;

// The drop lines on the screen, taken away before the next ones are drawn.
struct DrawnMarker {
    HWND pane = nullptr;
    std::vector<RECT> lines;
};
DrawnMarker g_marker;

void EraseDropMarker()
{
    if (g_marker.pane && ::IsWindow(g_marker.pane) && !g_marker.lines.empty()) {
        for (const RECT& line : g_marker.lines)
            ::InvalidateRect(g_marker.pane, &line, TRUE);
        ::UpdateWindow(g_marker.pane);
    }
    g_marker.lines.clear();
    g_marker.pane = nullptr;
}

// The program's named cursor; the system's when the resource is missing.
void ShowCursorNamed(const char* name, LPCSTR fallback)
{
    HCURSOR cursor = ::LoadCursorA(AfxGetResourceHandle(), name);
    ::SetCursor(cursor ? cursor : ::LoadCursorA(nullptr, fallback));
}

// The document view of the window under a screen point: a view or anything inside one, or a
// document frame (its active view); null elsewhere. insideMain: the point is in the main
// window's own tree of windows.
CNyMultiTrackView* ViewUnder(POINT screen, bool* insideMain)
{
    HWND under = ::WindowFromPoint(screen);
    CWnd* main = AfxGetMainWnd();
    *insideMain = under && main && ::GetAncestor(under, GA_ROOT) == main->m_hWnd;
    for (HWND h = under; h; h = (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD) ? ::GetParent(h) : nullptr) {
        CWnd* wnd = CWnd::FromHandlePermanent(h);
        if (auto* view = dynamic_cast<CNyMultiTrackView*>(wnd))
            return view;
        if (auto* frame = dynamic_cast<CMDIChildWnd*>(wnd))
            return dynamic_cast<CNyMultiTrackView*>(frame->GetActiveView());
    }
    return nullptr;
}

enum class DragInput { kEnded, kCancel, kMove, kRelease };

// The next input of the drag: a move or the release (at a screen point), a cancel (Escape,
// the right button) or the end (the pane lost the capture). Other messages are dispatched on
// the way, but not Alt alone, which would open the menu and take the capture.
DragInput NextDragInput(HWND pane, POINT* screen)
{
    MSG msg;
    for (;;) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (::GetCapture() != pane)
                return DragInput::kEnded;
            ::WaitMessage();
            continue;
        }
        switch (msg.message) {
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE)
                return DragInput::kCancel;
            break;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            if (msg.wParam == VK_MENU)
                continue;
            break;
        case WM_RBUTTONDOWN:
            return DragInput::kCancel;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            if (msg.hwnd) {
                // Under the capture every move comes to the pane; the point is taken where the
                // message says, so that it means the same whichever window it names.
                POINT p{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
                ::ClientToScreen(msg.hwnd, &p);
                *screen = p;
                return msg.message == WM_MOUSEMOVE ? DragInput::kMove : DragInput::kRelease;
            }
            break;
        default:
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        if (::GetCapture() != pane)
            return DragInput::kEnded;
    }
}

struct DragSession {
    CNyMultiTrackView* source = nullptr;
    POINT press{0, 0}; // screen
    bool moved = false;
    CNyMultiTrackView* target = nullptr;
    // An input that reached another view's window: the loop of that view starts with it.
    bool pending = false;
    DragInput pendingInput = DragInput::kMove;
    POINT pendingPoint{0, 0};
};

// The pointer over the view the loop runs in: the target row and drop position follow it (the
// view scrolls when it leaves the track area), and the drop lines are drawn.
void FollowInView(CNyMultiTrackView* view, DragSession& s, POINT screen)
{
    CSelectionModel::AudioDragState& state = CSelectionModel::DragState();
    if (view->GetEditMode() != 0) {
        ShowCursorNamed("CUR_NODROP", IDC_NO);
        state.dropPosition = -1;
        s.target = nullptr;
        EraseDropMarker();
        return;
    }
    CTrackAreaPane& area = view->GetTrackArea();
    POINT p = screen;
    ::ScreenToClient(area.m_hWnd, &p);
    RECT client;
    ::GetClientRect(area.m_hWnd, &client);
    RECT wave = view->GetTrackWaveRect(-1);
    bool scrolled = false;
    if (p.x < wave.left) {
        view->SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
        scrolled = true;
    } else if (p.x > wave.right) {
        view->SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
        scrolled = true;
    }
    if (p.y < client.top) {
        view->SendMessage(WM_VSCROLL, SB_LINEUP, 0);
        scrolled = true;
    } else if (p.y >= client.bottom) {
        view->SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
        scrolled = true;
    }
    if (scrolled) {
        ::UpdateWindow(view->m_hWnd);
        ::Sleep(kScrollPause);
    }
    p.y = std::max(p.y, client.top + 1L);
    p.y = std::min(p.y, client.bottom - 1L);

    int rows = view->GetRowCount();
    int dragged = static_cast<int>(state.rows.size());
    int row = view->RowFromY(p.y, 1);
    state.targetRow = std::max(0, std::min(row, rows + dragged));
    int64_t first = view->GetFirstVisibleSample();
    int64_t at = std::max(first, view->XToSample(p.x + PixelCorrection(view)));
    if (::GetKeyState(VK_MENU) & 0x8000)
        at = std::max(first, view->GetTimeRuler().GetTickAtOrBefore(at));
    state.dropPosition = at - first;
    s.target = view;
    ShowCursorNamed("CUR_DRAG_CPY", IDC_ARROW);
    DrawDropMarker(view, s.source);
}

// One point of the drag in view's loop; returns another view the pointer went into.
CNyMultiTrackView* Follow(CNyMultiTrackView* view, DragSession& s, POINT screen)
{
    CSelectionModel::AudioDragState& state = CSelectionModel::DragState();
    bool insideMain = false;
    CNyMultiTrackView* over = ViewUnder(screen, &insideMain);
    if (over && over != view)
        return over;
    if (over == view) {
        FollowInView(view, s, screen);
        return nullptr;
    }
    EraseDropMarker();
    s.target = nullptr;
    if (insideMain) {
        ShowCursorNamed("CUR_DRAG_NEW", IDC_ARROW);
        state.targetRow = 0;
        state.dropPosition = 0;
    } else {
        ShowCursorNamed("CUR_NODROP", IDC_NO);
        state.dropPosition = -1;
    }
    return nullptr;
}

// The drag loop in one view; returns the view to go on in, null when the drag ended.
CNyMultiTrackView* TrackAudioDrag(CNyMultiTrackView* view, DragSession& s)
{
    CSelectionModel::AudioDragState& state = CSelectionModel::DragState();
    HWND pane = view->GetTrackArea().m_hWnd;
    for (;;) {
        DragInput input;
        POINT screen;
        if (s.pending) {
            s.pending = false;
            input = s.pendingInput;
            screen = s.pendingPoint;
        } else {
            input = NextDragInput(pane, &screen);
        }
        if (input == DragInput::kEnded || input == DragInput::kCancel) {
            state.dropPosition = -1;
            return nullptr;
        }
        if (!s.moved && std::abs(screen.x - s.press.x) < 2) {
            if (input == DragInput::kRelease)
                return nullptr;
            continue;
        }
        s.moved = true;
        if (CNyMultiTrackView* next = Follow(view, s, screen)) {
            s.pending = true;
            s.pendingInput = input;
            s.pendingPoint = screen;
            return next;
        }
        if (input == DragInput::kRelease)
            return nullptr;
    }
}

} // namespace

bool IsAudioDragPress(CNyMultiTrackView* view, int64_t position, int row)
{
    CSelectionModel* selection = view->GetSelection();
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    int64_t lo = 0, hi = 0;
    if (!selection || !doc || !selection->GetOrderedSelection(&lo, &hi) || position < lo || position >= hi ||
        !selection->IsRowSelected(row))
        return false;
    if (!GetSettingIntDefault("EnableMouseEdit"))
        return false;
    int track = view->TrackFromRow(row, 0);
    int64_t start = doc->GetTrackExtent(track, -1);
    int64_t length = doc->GetTrackExtent(track, 0);
    return length > 0 && position >= start && position <= start + length;
}

void DrawDropMarker(CNyMultiTrackView* view, CNyMultiTrackView* source)
{
    EraseDropMarker();
    const CSelectionModel::AudioDragState& state = CSelectionModel::DragState();
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    CSelectionModel* selection = source->GetSelection();
    if (state.dropPosition < 0 || state.rows.empty() || !doc || !selection)
        return;
    RECT wave = view->GetTrackWaveRect(-1);
    int x = wave.left + int(view->SampleToPixel(state.dropPosition));
    if (x < wave.left || x >= wave.right)
        return;
    int count = doc->GetTrackCount();
    int landing = std::max(0, selection->DropTargetTrack(view, count));
    int firstDragged = source->TrackFromRow(state.rows.front(), 0);
    int previous = -1;
    HWND pane = view->GetTrackArea().m_hWnd;
    for (int row : state.rows) {
        int dragged = source->TrackFromRow(row, 0);
        if (dragged == previous)
            continue;
        previous = dragged;
        int track = landing + dragged - firstDragged;
        if (track < 0 || track >= count)
            continue;
        RECT top = view->GetChannelRect(view->GetTrackRow(track, 0), -1);
        RECT bottom = view->GetChannelRect(view->GetTrackRow(track, 1), -1);
        g_marker.lines.push_back(RECT{x, top.top, x + 1, bottom.bottom});
    }
    if (g_marker.lines.empty())
        return;
    g_marker.pane = pane;
    HDC dc = ::GetDC(pane);
    HBRUSH brush = ::CreateSolidBrush(SkinColorAt(kDropMarkerColour));
    HGDIOBJ old = ::SelectObject(dc, brush);
    for (const RECT& line : g_marker.lines)
        ::PatBlt(dc, line.left, line.top, 1, line.bottom - line.top, PATCOPY);
    ::SelectObject(dc, old);
    ::DeleteObject(brush);
    ::ReleaseDC(pane, dc);
}

AudioDragOutcome RunAudioDrag(CNyMultiTrackView* view, int x, int y, int64_t position, int row)
{
    DragSession s;
    s.source = view;
    s.press = POINT{x, y};
    ::ClientToScreen(view->GetTrackArea().m_hWnd, &s.press);
    CNyMultiTrackView* current = view;
    for (;;) {
        CTrackAreaPane& area = current->GetTrackArea();
        area.InvalidateCaret(0);
        area.SetCaretHidden(1);
        CNyMultiTrackView* next = TrackAudioDrag(current, s);
        if (!next)
            break;
        EraseDropMarker();
        area.InvalidateCaret(1);
        // The window the pointer went into is brought forward and runs the loop from here.
        CWnd* frame = next->GetParentFrame();
        if (frame && frame->m_hWnd)
            ::SendMessageA(::GetParent(frame->m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame->m_hWnd), 0);
        ::SetCapture(next->GetTrackArea().m_hWnd);
        current = next;
    }
    EraseDropMarker();
    if (::GetCapture() == current->GetTrackArea().m_hWnd)
        ::ReleaseCapture();
    if (!s.moved) {
        CSelectionModel* selection = view->GetSelection();
        selection->SetSelection(position, position);
        selection->SetRowRange(row, row);
        selection->InvalidateSelection();
    }
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    AudioDragOutcome outcome;
    outcome.ended = current;
    outcome.target = s.target;
    return outcome;
}
