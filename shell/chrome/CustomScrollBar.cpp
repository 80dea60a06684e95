#include "CustomScrollBarParts.h"

#include <algorithm>

using namespace csb;

namespace {

const UINT_PTR kRepeatDelayTimer = 0xFFFD;
const UINT_PTR kRepeatTimer = 0xFFFE;
const UINT_PTR kHotTimer = (UINT_PTR)-14;
const int kRepeatDelayMs = 300;
const int kRepeatMs = 55;
const int kHotMs = 20;
// How far the pointer may stray from a dragged thumb's bar before the thumb snaps back.
const int kThumbSlackAlong = 384;
const int kThumbSlackAcross = 192;

void SendScroll(HWND hwnd, int bar, int code, int position)
{
    ::SendMessageA(hwnd, bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, position), 0);
}

// The bar and part under a screen point; false when on no bar.
bool PartUnder(HWND hwnd, CustomScrollBarWindow* rec, POINT screen, int* bar, int* part)
{
    POINT p = ToWindow(hwnd, screen);
    for (int b : {SB_HORZ, SB_VERT}) {
        CustomScrollBarInfo* info = Bar(rec, b);
        if (!info->shown)
            continue;
        RECT r = BarRect(hwnd, rec, b);
        if (!Contains(r, p))
            continue;
        *bar = b;
        *part = ScrollBarPartAt(GeometryOf(*info, r, b, hwnd), Along(r, b, p));
        return true;
    }
    return false;
}

int ScrollCodeOf(int part)
{
    switch (part) {
    case kScrollItemArrowFirst:
        return SB_LINEUP;
    case kScrollItemArrowLast:
        return SB_LINEDOWN;
    case kScrollItemPageBefore:
        return SB_PAGEUP;
    case kScrollItemPageAfter:
        return SB_PAGEDOWN;
    default:
        return -1;
    }
}

void Press(HWND hwnd, CustomScrollBarWindow* rec, POINT screen)
{
    int bar, part;
    if (!PartUnder(hwnd, rec, screen, &bar, &part) || part == kScrollItemNone)
        return;
    CustomScrollBarInfo* info = Bar(rec, bar);
    if (part == kScrollItemArrowFirst && (info->flags & kScrollFlagFirstArrowOff))
        return;
    if (part == kScrollItemArrowLast && (info->flags & kScrollFlagLastArrowOff))
        return;
    RECT r = BarRect(hwnd, rec, bar);
    if (part == kScrollItemThumb) {
        ScrollBarGeometry g = GeometryOf(*info, r, bar, hwnd);
        g_press = PressState();
        g_press.hwnd = hwnd;
        g_press.bar = bar;
        g_press.part = part;
        g_press.onPart = true;
        g_press.last = screen;
        g_press.grab = Along(r, bar, ToWindow(hwnd, screen)) - g.thumbStart;
        g_press.barRect = r;
        g_press.startPosition = info->position;
        g_press.startThumb = g_press.thumbStart = g.thumbStart;
        g_press.trackPosition = info->position;
        info->trackPosition = info->position;
        rec->thumbTracking = TRUE;
        ::SetCapture(hwnd);
        PaintBars(hwnd, rec);
        return;
    }
    if (!CanScroll(*info))
        return;
    g_press = PressState();
    g_press.hwnd = hwnd;
    g_press.bar = bar;
    g_press.part = part;
    g_press.onPart = true;
    g_press.last = screen;
    g_press.barRect = r;
    SendScroll(hwnd, bar, ScrollCodeOf(part), 0);
    if (!::IsWindow(hwnd) || !Record(hwnd))
        return;
    PaintBars(hwnd, rec);
    ::SetCapture(hwnd);
    ::SetTimer(hwnd, kRepeatDelayTimer, kRepeatDelayMs, nullptr);
}

void TrackThumb(HWND hwnd, CustomScrollBarWindow* rec, POINT screen)
{
    CustomScrollBarInfo* info = Bar(rec, g_press.bar);
    int bar = g_press.bar;
    RECT r = g_press.barRect;
    RECT valid = r;
    if (bar == SB_HORZ)
        ::InflateRect(&valid, kThumbSlackAlong, kThumbSlackAcross);
    else
        ::InflateRect(&valid, kThumbSlackAcross, kThumbSlackAlong);
    POINT p = ToWindow(hwnd, screen);
    ScrollBarGeometry g = ScrollBarCalcGeometry(*info, BarLength(r, bar), ArrowLength(*info));
    int position;
    if (!Contains(valid, p)) {
        g_press.thumbStart = g_press.startThumb;
        position = g_press.startPosition;
    } else {
        int start = Along(r, bar, p) - g_press.grab;
        start = std::max(g.arrow, std::min(start, g.length - g.arrow - g.thumbSize));
        g_press.thumbStart = start;
        position = ScrollBarPositionFromThumb(*info, g, start);
    }
    PaintBars(hwnd, rec);
    if (position != g_press.trackPosition) {
        g_press.trackPosition = position;
        info->trackPosition = position;
        SendScroll(hwnd, bar, SB_THUMBTRACK, position);
    }
}

void MouseMove(HWND hwnd, CustomScrollBarWindow* rec, POINT screen)
{
    g_press.last = screen;
    if (g_press.part == kScrollItemThumb) {
        TrackThumb(hwnd, rec, screen);
        return;
    }
    int bar, part;
    bool on = PartUnder(hwnd, rec, screen, &bar, &part) && bar == g_press.bar && part == g_press.part;
    if (on != g_press.onPart) {
        g_press.onPart = on;
        PaintBars(hwnd, rec);
    }
}

void Release(HWND hwnd, CustomScrollBarWindow* rec)
{
    int bar = g_press.bar;
    bool thumb = g_press.part == kScrollItemThumb;
    int position = g_press.trackPosition;
    ::KillTimer(hwnd, kRepeatDelayTimer);
    ::KillTimer(hwnd, kRepeatTimer);
    g_press = PressState();
    rec->thumbTracking = FALSE;
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
    if (thumb)
        SendScroll(hwnd, bar, SB_THUMBPOSITION, position);
    if (!::IsWindow(hwnd))
        return;
    SendScroll(hwnd, bar, SB_ENDSCROLL, 0);
    if (CustomScrollBarWindow* still = Record(hwnd))
        PaintBars(hwnd, still);
}

void OnTimer(HWND hwnd, CustomScrollBarWindow* rec, UINT_PTR id)
{
    if (id == kRepeatDelayTimer) {
        ::KillTimer(hwnd, kRepeatDelayTimer);
        ::SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
        id = kRepeatTimer;
    }
    if (id == kRepeatTimer) {
        if (g_press.hwnd != hwnd || g_press.part == kScrollItemThumb)
            return;
        int bar, part;
        if (PartUnder(hwnd, rec, g_press.last, &bar, &part) && bar == g_press.bar && part == g_press.part)
            SendScroll(hwnd, bar, ScrollCodeOf(part), 0);
        return;
    }
    if (id == kHotTimer) {
        POINT cursor;
        ::GetCursorPos(&cursor);
        int bar, part;
        if (rec->thumbTracking || !PartUnder(hwnd, rec, cursor, &bar, &part)) {
            ::KillTimer(hwnd, kHotTimer);
            g_hot = HotState();
            PaintBars(hwnd, rec);
        } else if (g_hot.hwnd != hwnd || g_hot.bar != bar || g_hot.part != part) {
            g_hot = {hwnd, bar, part};
            PaintBars(hwnd, rec);
        }
    }
}

void OnNcCalcSize(HWND hwnd, CustomScrollBarWindow* rec, WPARAM wParam, LPARAM lParam)
{
    RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    RECT window = *r;
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    rec->inStyleChange = TRUE;
    ::SetWindowLongPtrA(hwnd, GWL_STYLE, style & ~(LONG_PTR)(WS_HSCROLL | WS_VSCROLL));
    ::CallWindowProcA(rec->previousProc, hwnd, WM_NCCALCSIZE, wParam, lParam);
    ::SetWindowLongPtrA(hwnd, GWL_STYLE, style);
    rec->inStyleChange = FALSE;
    rec->borderLeft = r->left - window.left;
    rec->borderTop = r->top - window.top;
    rec->borderRight = window.right - r->right;
    rec->borderBottom = window.bottom - r->bottom;

    CustomScrollBarInfo& h = rec->horizontal;
    int th = Thickness(h);
    h.shown = (h.flags & kScrollFlagVisible) && r->bottom - r->top >= th;
    if (h.shown)
        r->bottom -= th;
    CustomScrollBarInfo& v = rec->vertical;
    int tv = Thickness(v);
    v.shown = (v.flags & kScrollFlagVisible) && r->right - r->left >= tv;
    if (v.shown) {
        if (rec->leftScrollBar)
            r->left += tv;
        else
            r->right -= tv;
    }
}

} // namespace

// ---- functions on a window ------------------------------------------------------------------

BOOL CustomScrollBar_Install(HWND hwnd)
{
    if (!hwnd || Record(hwnd))
        return FALSE;
    auto* rec = static_cast<CustomScrollBarWindow*>(
        ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(CustomScrollBarWindow)));
    if (!rec)
        return FALSE;
    const int bars[2] = {SB_HORZ, SB_VERT};
    for (int b : bars) {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        CustomScrollBarInfo* info = Bar(rec, b);
        if (::GetScrollInfo(hwnd, b, &si)) {
            info->minimum = si.nMin;
            info->maximum = si.nMax;
            info->page = si.nPage;
            info->position = si.nPos;
            info->trackPosition = si.nTrackPos;
        }
        info->arrowLength = -1;
        info->thickness = -1;
        info->kind = b;
        info->minThumbSize = DefaultMinThumb();
    }
    rec->leftScrollBar = (::GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    if (style & WS_HSCROLL)
        rec->horizontal.flags = kScrollFlagVisible;
    if (style & WS_VSCROLL)
        rec->vertical.flags = kScrollFlagVisible;
    AttachRecord(hwnd, rec);
    rec->previousProc = (WNDPROC)::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)&CustomScrollBar_WndProc);
    RecalcFrame(hwnd);
    return TRUE;
}

HRESULT CustomScrollBar_Uninstall(HWND hwnd)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return E_FAIL;
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)rec->previousProc);
    DetachRecord(hwnd);
    if (g_press.hwnd == hwnd)
        g_press = PressState();
    if (g_hot.hwnd == hwnd)
        g_hot = HotState();
    ::HeapFree(::GetProcessHeap(), 0, rec);
    RecalcFrame(hwnd);
    return 0;
}

BOOL CustomScrollBar_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return ::GetScrollInfo(hwnd, bar, info);
    CustomScrollBarInfo* b = Bar(rec, bar);
    if (!info || !b)
        return FALSE;
    BOOL copied = FALSE;
    if (info->fMask & SIF_RANGE) {
        info->nMin = b->minimum;
        info->nMax = b->maximum;
        copied = TRUE;
    }
    if (info->fMask & SIF_PAGE) {
        info->nPage = b->page;
        copied = TRUE;
    }
    if (info->fMask & SIF_POS) {
        info->nPos = b->position;
        copied = TRUE;
    }
    if (info->fMask & SIF_TRACKPOS) {
        info->nTrackPos = b->trackPosition;
        copied = TRUE;
    }
    return copied;
}

int CustomScrollBar_SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return ::SetScrollInfo(hwnd, bar, info, redraw);
    CustomScrollBarInfo* b = Bar(rec, bar);
    if (!info || !b)
        return 0;
    if (info->fMask & SIF_RANGE) {
        b->minimum = info->nMin;
        b->maximum = info->nMax;
    }
    if (info->fMask & SIF_PAGE) {
        long long span = (long long)b->maximum - b->minimum + 1;
        b->page = (UINT)std::max<long long>(0, std::min<long long>(info->nPage, span));
    }
    if (info->fMask & SIF_POS)
        b->position = info->nPos;
    if (info->fMask & (SIF_RANGE | SIF_PAGE | SIF_POS))
        b->position =
            std::max(b->minimum, std::min(b->position, ScrollBarPositionLimit(b->minimum, b->maximum, b->page)));

    bool wasVisible = (b->flags & kScrollFlagVisible) != 0;
    bool visible;
    if (info->fMask & SIF_DISABLENOSCROLL)
        visible = true;
    else if (b->flags & kScrollFlagKeepShown)
        visible = true;
    else
        visible = (int)b->page <= b->maximum && b->maximum > b->minimum && !(b->page == 0 && b->maximum == 0);
    if (visible)
        b->flags |= kScrollFlagVisible;
    else
        b->flags &= ~kScrollFlagVisible;
    if (redraw && !rec->thumbTracking) {
        if (visible != wasVisible)
            RecalcFrame(hwnd);
        else
            RedrawFrame(hwnd);
    }
    return b->position;
}

BOOL CustomScrollBar_GetScrollRange(HWND hwnd, int bar, int* minimum, int* maximum)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return ::GetScrollRange(hwnd, bar, minimum, maximum);
    CustomScrollBarInfo* b = Bar(rec, bar);
    if (!minimum || !maximum || !b)
        return FALSE;
    *minimum = b->minimum;
    *maximum = b->maximum;
    return TRUE;
}

BOOL CustomScrollBar_EnableScrollBar(HWND hwnd, int bar, UINT arrows)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return ::EnableScrollBar(hwnd, bar, arrows);
    BOOL changed = FALSE;
    for (int b : {SB_HORZ, SB_VERT}) {
        if (bar != b && bar != SB_BOTH)
            continue;
        CustomScrollBarInfo* info = Bar(rec, b);
        UINT flags = (info->flags & ~3u) | (arrows & 3u);
        if (flags != info->flags) {
            info->flags = flags;
            changed = TRUE;
        }
    }
    if (changed)
        RedrawFrame(hwnd);
    return changed;
}

BOOL CustomScrollBar_ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return ::ShowScrollBar(hwnd, bar, show);
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    for (int b : {SB_HORZ, SB_VERT}) {
        if (bar != b && bar != SB_BOTH)
            continue;
        CustomScrollBarInfo* info = Bar(rec, b);
        LONG_PTR styleBit = b == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
        if (show) {
            info->flags |= kScrollFlagVisible;
            style |= styleBit;
        } else {
            info->flags &= ~kScrollFlagVisible;
            style &= ~styleBit;
        }
    }
    rec->inStyleChange = TRUE;
    ::SetWindowLongPtrA(hwnd, GWL_STYLE, style);
    rec->inStyleChange = FALSE;
    RecalcFrame(hwnd);
    return TRUE;
}

BOOL CustomScrollBar_SetButtonSize(HWND hwnd, int bar, int length, int thickness)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return FALSE;
    auto valid = [](int v) { return v != 0 && v >= -8 && v <= 256; };
    if (!valid(length) || !valid(thickness))
        return FALSE;
    bool changed = false;
    for (int b : {SB_HORZ, SB_VERT}) {
        if (bar != b && bar != SB_BOTH)
            continue;
        CustomScrollBarInfo* info = Bar(rec, b);
        changed = changed || info->arrowLength != length || info->thickness != thickness;
        info->arrowLength = length;
        info->thickness = thickness;
    }
    // Recalculating the frame sends WM_SIZE, whose handlers often set the size again.
    if (changed)
        RecalcFrame(hwnd);
    return TRUE;
}

BOOL CustomScrollBar_SetMetric(HWND hwnd, int bar, int size)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return FALSE;
    for (int b : {SB_HORZ, SB_VERT}) {
        if (bar != b && bar != SB_BOTH)
            continue;
        Bar(rec, b)->minThumbSize = size == -1 ? DefaultMinThumb() : size;
    }
    return TRUE;
}

LRESULT CALLBACK CustomScrollBar_WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    WNDPROC previous = rec->previousProc;
    switch (message) {
    case WM_NCCALCSIZE:
        OnNcCalcSize(hwnd, rec, wParam, lParam);
        return 0;
    case WM_NCPAINT: {
        PaintBars(hwnd, rec);
        // A window without a border of its own (a scroll-bar control) has nothing else in its
        // frame; the system's frame painting would only cost time on every thumb move.
        if (!rec->borderLeft && !rec->borderTop && !rec->borderRight && !rec->borderBottom)
            return 0;
        LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
        rec->inStyleChange = TRUE;
        ::SetWindowLongPtrA(hwnd, GWL_STYLE, style & ~(LONG_PTR)(WS_HSCROLL | WS_VSCROLL));
        LRESULT result = ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
        if (CustomScrollBarWindow* still = Record(hwnd)) {
            ::SetWindowLongPtrA(hwnd, GWL_STYLE, style);
            still->inStyleChange = FALSE;
        }
        return result;
    }
    case WM_NCHITTEST: {
        POINT p = ToWindow(hwnd, {(short)LOWORD(lParam), (short)HIWORD(lParam)});
        if (rec->horizontal.shown && Contains(BarRect(hwnd, rec, SB_HORZ), p))
            return HTHSCROLL;
        if (rec->vertical.shown && Contains(BarRect(hwnd, rec, SB_VERT), p))
            return HTVSCROLL;
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTHSCROLL || wParam == HTVSCROLL) {
            Press(hwnd, rec, {(short)LOWORD(lParam), (short)HIWORD(lParam)});
            return 0;
        }
        break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
        if (wParam == HTHSCROLL || wParam == HTVSCROLL)
            return 0;
        break;
    case WM_NCMOUSEMOVE:
        if ((wParam == HTHSCROLL || wParam == HTVSCROLL) && !rec->thumbTracking) {
            int bar, part;
            if (PartUnder(hwnd, rec, {(short)LOWORD(lParam), (short)HIWORD(lParam)}, &bar, &part)) {
                bool changed = g_hot.hwnd != hwnd || g_hot.bar != bar || g_hot.part != part;
                g_hot = {hwnd, bar, part};
                ::SetTimer(hwnd, kHotTimer, kHotMs, nullptr);
                if (changed)
                    PaintBars(hwnd, rec);
            }
        }
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (g_press.hwnd == hwnd) {
            POINT p = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
            ::ClientToScreen(hwnd, &p);
            if (message == WM_MOUSEMOVE)
                MouseMove(hwnd, rec, p);
            else
                Release(hwnd, rec);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        // A capture taken away mid-press ends the press as a release would.
        if (g_press.hwnd == hwnd && (HWND)lParam != hwnd)
            Release(hwnd, rec);
        break;
    case WM_TIMER:
        if (wParam == kRepeatDelayTimer || wParam == kRepeatTimer || wParam == kHotTimer) {
            OnTimer(hwnd, rec, wParam);
            return 0;
        }
        break;
    case WM_STYLECHANGED:
        if (rec->inStyleChange)
            return 0;
        if (wParam == (WPARAM)GWL_EXSTYLE)
            rec->leftScrollBar = (reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew & WS_EX_LEFTSCROLLBAR) != 0;
        break;
    case WM_NCDESTROY:
        CustomScrollBar_Uninstall(hwnd);
        return ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
    default:
        break;
    }
    return ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
}
