#include "CustomScrollBar.h"

#include <algorithm>

namespace {

const char kRecordProp[] = "CoolSBSubclassPtr";
const UINT_PTR kRepeatDelayTimer = 0xFFFD;
const UINT_PTR kRepeatTimer = 0xFFFE;
const UINT_PTR kHotTimer = (UINT_PTR)-14;
const int kRepeatDelayMs = 300;
const int kRepeatMs = 55;
const int kHotMs = 20;
// How far the pointer may stray from a dragged thumb's bar before the thumb snaps back.
const int kThumbSlackAlong = 384;
const int kThumbSlackAcross = 192;

// The one press of the program (the mouse capture is one too).
struct PressState {
    HWND hwnd = nullptr;
    int bar = SB_HORZ;
    int part = kScrollItemNone;
    bool onPart = false;
    POINT last = {};            // screen point of the last press or move
    int grab = 0;               // cursor minus thumb start, along the bar
    RECT barRect = {};          // window coordinates
    int startPosition = 0;
    int startThumb = 0;
    int thumbStart = 0;         // of the dragged thumb, from the bar's start
    int trackPosition = 0;
};

struct HotState {
    HWND hwnd = nullptr;
    int bar = SB_HORZ;
    int part = kScrollItemNone;
};

PressState g_press;
HotState g_hot;

CustomScrollBarWindow* Record(HWND hwnd)
{
    return hwnd ? static_cast<CustomScrollBarWindow*>(::GetPropA(hwnd, kRecordProp)) : nullptr;
}

CustomScrollBarInfo* Bar(CustomScrollBarWindow* rec, int bar)
{
    if (!rec) return nullptr;
    if (bar == SB_HORZ) return &rec->horizontal;
    if (bar == SB_VERT) return &rec->vertical;
    return nullptr;
}

int DefaultMinThumb()
{
    DWORD version = ::GetVersion();
    bool nt = !(version & 0x80000000u);
    return nt && LOBYTE(LOWORD(version)) >= 5 ? 6 : 8;
}

int ArrowLength(const CustomScrollBarInfo& info)
{
    if (info.arrowLength >= 0) return info.arrowLength;
    return -info.arrowLength * ::GetSystemMetrics(info.kind == SB_HORZ ? SM_CXHSCROLL : SM_CYVSCROLL);
}

int Thickness(const CustomScrollBarInfo& info)
{
    if (info.thickness >= 0) return info.thickness;
    return -info.thickness * ::GetSystemMetrics(info.kind == SB_HORZ ? SM_CYHSCROLL : SM_CXVSCROLL);
}

bool CanScroll(const CustomScrollBarInfo& info)
{
    if ((info.flags & 3) == 3) return false;
    if (info.flags & kScrollFlagKeepShown) return true;
    return (int)info.page <= info.maximum && info.maximum > info.minimum
        && !(info.page == 0 && info.maximum == 0);
}

void RecalcFrame(HWND hwnd)
{
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RedrawFrame(HWND hwnd)
{
    ::SendMessageA(hwnd, WM_NCPAINT, 1, 0);
}

// Rectangles of the bars in window coordinates.
RECT BarRect(HWND hwnd, const CustomScrollBarWindow* rec, int bar)
{
    RECT wr;
    ::GetWindowRect(hwnd, &wr);
    RECT inner = { rec->borderLeft, rec->borderTop, wr.right - wr.left - rec->borderRight,
                   wr.bottom - wr.top - rec->borderBottom };
    const CustomScrollBarInfo& h = rec->horizontal;
    const CustomScrollBarInfo& v = rec->vertical;
    int th = h.shown ? Thickness(h) : 0, tv = v.shown ? Thickness(v) : 0;
    RECT r = {};
    if (bar == SB_HORZ && h.shown) {
        r = { inner.left, inner.bottom - th, inner.right, inner.bottom };
        if (rec->leftScrollBar) r.left += tv; else r.right -= tv;
    } else if (bar == SB_VERT && v.shown) {
        r = { inner.right - tv, inner.top, inner.right, inner.bottom - th };
        if (rec->leftScrollBar) { r.left = inner.left; r.right = inner.left + tv; }
    } else if (bar == SB_BOTH && h.shown && v.shown) {
        RECT vr = BarRect(hwnd, rec, SB_VERT), hr = BarRect(hwnd, rec, SB_HORZ);
        r = { vr.left, hr.top, vr.right, hr.bottom };
    }
    return r;
}

int BarLength(const RECT& r, int bar)
{
    return bar == SB_HORZ ? r.right - r.left : r.bottom - r.top;
}

// Offset of a window point along the bar, and across it.
int Along(const RECT& r, int bar, POINT p) { return bar == SB_HORZ ? p.x - r.left : p.y - r.top; }

POINT ToWindow(HWND hwnd, POINT screen)
{
    RECT wr;
    ::GetWindowRect(hwnd, &wr);
    return { screen.x - wr.left, screen.y - wr.top };
}

bool Contains(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

ScrollBarGeometry GeometryOf(const CustomScrollBarInfo& info, const RECT& r, int bar, HWND hwnd)
{
    ScrollBarGeometry g = ScrollBarCalcGeometry(info, BarLength(r, bar), ArrowLength(info));
    if (g_press.hwnd == hwnd && g_press.bar == bar && g_press.part == kScrollItemThumb && g.thumbSize > 0)
        g.thumbStart = g_press.thumbStart;
    return g;
}

RECT ItemRect(const RECT& r, int bar, int from, int to)
{
    if (bar == SB_HORZ) return { r.left + from, r.top, r.left + to, r.bottom };
    return { r.left, r.top + from, r.right, r.top + to };
}

void SendScroll(HWND hwnd, int bar, int code, int position)
{
    ::SendMessageA(hwnd, bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, position), 0);
}

LRESULT Notify(HWND hwnd, CustomScrollBarDrawInfo& info)
{
    info.header.hwndFrom = hwnd;
    info.header.idFrom = (UINT_PTR)::GetDlgCtrlID(hwnd);
    info.header.code = kCustomScrollBarDraw;
    LRESULT answer = ::SendMessageA(hwnd, kCustomScrollBarReflectedNotify, info.header.idFrom, (LPARAM)&info);
    if (answer) return answer;
    HWND parent = ::GetParent(hwnd);
    return parent ? ::SendMessageA(parent, WM_NOTIFY, info.header.idFrom, (LPARAM)&info) : 0;
}

void FillChecker(HDC dc, const RECT& r)
{
    static const WORD kPattern[8] = { 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA };
    COLORREF fore = ::GetSysColor(COLOR_3DHILIGHT);
    if (fore == ::GetSysColor(COLOR_WINDOW) && fore != RGB(255, 255, 255)) fore = ::GetSysColor(COLOR_BTNFACE);
    HBITMAP bits = ::CreateBitmap(8, 8, 1, 1, kPattern);
    HBRUSH brush = ::CreatePatternBrush(bits);
    COLORREF oldText = ::SetTextColor(dc, fore);
    COLORREF oldBack = ::SetBkColor(dc, ::GetSysColor(COLOR_SCROLLBAR));
    ::FillRect(dc, &r, brush);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
    ::DeleteObject(brush);
    ::DeleteObject(bits);
}

void DrawDefaultItem(HDC dc, RECT r, int bar, int item, UINT state)
{
    if (r.right <= r.left || r.bottom <= r.top) return;
    switch (item) {
    case kScrollItemArrowFirst:
    case kScrollItemArrowLast: {
        UINT kind = bar == SB_HORZ ? (item == kScrollItemArrowFirst ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT)
                                   : (item == kScrollItemArrowFirst ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
        if (state & CDIS_SELECTED) kind |= DFCS_PUSHED | DFCS_FLAT;
        if (state & CDIS_DISABLED) kind |= DFCS_INACTIVE;
        ::DrawFrameControl(dc, &r, DFC_SCROLL, kind);
        break;
    }
    case kScrollItemPageBefore:
    case kScrollItemPageAfter:
        FillChecker(dc, r);
        break;
    case kScrollItemThumb:
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
        break;
    default:
        break;
    }
}

UINT ItemState(HWND hwnd, const CustomScrollBarInfo& info, int bar, int item)
{
    bool disabled = (info.flags & 3) == 3 || !CanScroll(info);
    if (item == kScrollItemArrowFirst && (info.flags & kScrollFlagFirstArrowOff)) disabled = true;
    if (item == kScrollItemArrowLast && (info.flags & kScrollFlagLastArrowOff)) disabled = true;
    if (disabled) return CDIS_DISABLED;
    if (g_press.hwnd == hwnd && g_press.bar == bar && g_press.part == item && g_press.onPart) return CDIS_SELECTED;
    if (g_hot.hwnd == hwnd && g_hot.bar == bar && g_hot.part == item) return CDIS_HOT;
    return CDIS_DEFAULT;
}

// The off-screen buffer the bars are painted in, kept between paints (it only grows).
HDC BarBuffer(int width, int height)
{
    static HDC dc = nullptr;
    static HBITMAP bitmap = nullptr;
    static HGDIOBJ original = nullptr;
    static SIZE size = {};
    if (dc && width <= size.cx && height <= size.cy) return dc;
    HDC screen = ::GetDC(nullptr);
    SIZE grown = { std::max<LONG>(width, size.cx), std::max<LONG>(height, size.cy) };
    HBITMAP bigger = ::CreateCompatibleBitmap(screen, grown.cx, grown.cy);
    if (!dc) {
        dc = ::CreateCompatibleDC(screen);
        if (dc && bigger) original = ::SelectObject(dc, bigger);
    } else if (bigger) {
        ::SelectObject(dc, bigger);
    }
    ::ReleaseDC(nullptr, screen);
    if (!dc || !bigger) {
        if (bigger) ::DeleteObject(bigger);
        return nullptr;
    }
    if (bitmap) ::DeleteObject(bitmap);
    bitmap = bigger;
    size = grown;
    (void)original;
    return dc;
}

// Paints one bar off screen and copies it to the window's DC (window coordinates).
void PaintBar(HWND hwnd, CustomScrollBarWindow* rec, int bar, HDC windowDC)
{
    CustomScrollBarInfo* info = Bar(rec, bar);
    if (!info || !info->shown) return;
    RECT r = BarRect(hwnd, rec, bar);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC dc = BarBuffer(w, h);
    if (!dc) return;
    RECT local = { 0, 0, w, h };

    CustomScrollBarDrawInfo draw = {};
    draw.dc = dc;
    draw.rect = local;
    draw.bar = bar;
    draw.drawStage = CDDS_PREPAINT;
    bool custom = Notify(hwnd, draw) == CDRF_SKIPDEFAULT;

    ScrollBarGeometry g = GeometryOf(*info, r, bar, hwnd);
    struct Piece { int item; int from; int to; };
    Piece pieces[5];
    int count = 0;
    pieces[count++] = { kScrollItemArrowFirst, 0, g.arrow };
    pieces[count++] = { kScrollItemArrowLast, g.length - g.arrow, g.length };
    if (g.thumbSize > 0) {
        pieces[count++] = { kScrollItemPageBefore, g.arrow, g.thumbStart };
        pieces[count++] = { kScrollItemPageAfter, g.thumbStart + g.thumbSize, g.length - g.arrow };
        pieces[count++] = { kScrollItemThumb, g.thumbStart, g.thumbStart + g.thumbSize };
    } else {
        pieces[count++] = { kScrollItemPageBefore, g.arrow, g.length - g.arrow };
    }
    for (int i = 0; i < count; ++i) {
        if (pieces[i].to <= pieces[i].from) continue;
        RECT ir = ItemRect(local, bar, pieces[i].from, pieces[i].to);
        UINT state = ItemState(hwnd, *info, bar, pieces[i].item);
        if (custom) {
            draw.drawStage = CDDS_ITEMPREPAINT;
            draw.rect = ir;
            draw.item = pieces[i].item;
            draw.state = state;
            if (Notify(hwnd, draw) == CDRF_SKIPDEFAULT) continue;
        }
        DrawDefaultItem(dc, ir, bar, pieces[i].item, state);
    }
    draw.drawStage = CDDS_POSTPAINT;
    draw.rect = local;
    Notify(hwnd, draw);

    ::BitBlt(windowDC, r.left, r.top, w, h, dc, 0, 0, SRCCOPY);
}

void PaintSizeBox(HWND hwnd, CustomScrollBarWindow* rec, HDC dc)
{
    RECT r = BarRect(hwnd, rec, SB_BOTH);
    if (r.right <= r.left || r.bottom <= r.top) return;
    CustomScrollBarDrawInfo draw = {};
    draw.dc = dc;
    draw.rect = r;
    draw.bar = SB_BOTH;
    draw.item = kScrollItemSizeBox;
    draw.state = CDIS_DEFAULT;
    draw.drawStage = CDDS_ITEMPREPAINT;
    if (Notify(hwnd, draw) == CDRF_SKIPDEFAULT) return;
    // A grip only where the window's corner is the parent's client corner.
    HWND parent = ::GetParent(hwnd);
    bool grip = false;
    if (parent) {
        RECT wr, pc;
        ::GetWindowRect(hwnd, &wr);
        ::GetClientRect(parent, &pc);
        ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&pc), 2);
        grip = wr.right == pc.right && wr.bottom == pc.bottom;
    }
    if (grip)
        ::DrawFrameControl(dc, &r, DFC_SCROLL, rec->leftScrollBar ? DFCS_SCROLLSIZEGRIPRIGHT : DFCS_SCROLLSIZEGRIP);
    else
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
}

void PaintBarsTo(HWND hwnd, CustomScrollBarWindow* rec, HDC dc)
{
    PaintBar(hwnd, rec, SB_HORZ, dc);
    PaintBar(hwnd, rec, SB_VERT, dc);
    PaintSizeBox(hwnd, rec, dc);
}

void PaintBars(HWND hwnd, CustomScrollBarWindow* rec)
{
    HDC dc = ::GetWindowDC(hwnd);
    if (!dc) return;
    PaintBarsTo(hwnd, rec, dc);
    ::ReleaseDC(hwnd, dc);
}

// The bar and part under a screen point; false when on no bar.
bool PartUnder(HWND hwnd, CustomScrollBarWindow* rec, POINT screen, int* bar, int* part)
{
    POINT p = ToWindow(hwnd, screen);
    for (int b : { SB_HORZ, SB_VERT }) {
        CustomScrollBarInfo* info = Bar(rec, b);
        if (!info->shown) continue;
        RECT r = BarRect(hwnd, rec, b);
        if (!Contains(r, p)) continue;
        *bar = b;
        *part = ScrollBarPartAt(GeometryOf(*info, r, b, hwnd), Along(r, b, p));
        return true;
    }
    return false;
}

int ScrollCodeOf(int part)
{
    switch (part) {
    case kScrollItemArrowFirst: return SB_LINEUP;
    case kScrollItemArrowLast: return SB_LINEDOWN;
    case kScrollItemPageBefore: return SB_PAGEUP;
    case kScrollItemPageAfter: return SB_PAGEDOWN;
    default: return -1;
    }
}

void Press(HWND hwnd, CustomScrollBarWindow* rec, POINT screen)
{
    int bar, part;
    if (!PartUnder(hwnd, rec, screen, &bar, &part) || part == kScrollItemNone) return;
    CustomScrollBarInfo* info = Bar(rec, bar);
    if (part == kScrollItemArrowFirst && (info->flags & kScrollFlagFirstArrowOff)) return;
    if (part == kScrollItemArrowLast && (info->flags & kScrollFlagLastArrowOff)) return;
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
    if (!CanScroll(*info)) return;
    g_press = PressState();
    g_press.hwnd = hwnd;
    g_press.bar = bar;
    g_press.part = part;
    g_press.onPart = true;
    g_press.last = screen;
    g_press.barRect = r;
    SendScroll(hwnd, bar, ScrollCodeOf(part), 0);
    if (!::IsWindow(hwnd) || !Record(hwnd)) return;
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
    if (::GetCapture() == hwnd) ::ReleaseCapture();
    if (thumb) SendScroll(hwnd, bar, SB_THUMBPOSITION, position);
    if (!::IsWindow(hwnd)) return;
    SendScroll(hwnd, bar, SB_ENDSCROLL, 0);
    if (CustomScrollBarWindow* still = Record(hwnd)) PaintBars(hwnd, still);
}

void OnTimer(HWND hwnd, CustomScrollBarWindow* rec, UINT_PTR id)
{
    if (id == kRepeatDelayTimer) {
        ::KillTimer(hwnd, kRepeatDelayTimer);
        ::SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
        id = kRepeatTimer;
    }
    if (id == kRepeatTimer) {
        if (g_press.hwnd != hwnd || g_press.part == kScrollItemThumb) return;
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
            g_hot = { hwnd, bar, part };
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
    if (h.shown) r->bottom -= th;
    CustomScrollBarInfo& v = rec->vertical;
    int tv = Thickness(v);
    v.shown = (v.flags & kScrollFlagVisible) && r->right - r->left >= tv;
    if (v.shown) {
        if (rec->leftScrollBar) r->left += tv; else r->right -= tv;
    }
}

} // namespace

// ---- geometry -------------------------------------------------------------------------------

int ScrollBarPositionLimit(int minimum, int maximum, UINT page)
{
    long long limit = (long long)maximum - std::max<long long>((long long)page - 1, 0);
    return (int)std::max<long long>(limit, minimum);
}

ScrollBarGeometry ScrollBarCalcGeometry(const CustomScrollBarInfo& info, int length, int arrowLength)
{
    ScrollBarGeometry g = {};
    g.length = length;
    g.arrow = arrowLength;
    if (length <= 2 * g.arrow) g.arrow = length / 2;
    int track = length - 2 * g.arrow;
    int range = info.maximum - info.minimum + 1;
    int size;
    if (info.page == 0)
        size = g.arrow;
    else
        size = std::max(::MulDiv((int)info.page, track, std::max(range, 1)), info.minThumbSize);
    int offset = 0;
    if (info.maximum <= info.minimum) {
        if (info.page != 0) size = 0;
    } else {
        int divisor = range - std::max<int>((int)info.page, 1);
        if (divisor > 0) offset = ::MulDiv(info.position - info.minimum, track - size, divisor);
        offset = std::max(0, std::min(offset, track - size));
    }
    // A thumb as long as the track (or longer) is no thumb.
    if (size >= track || size <= 0) {
        g.thumbSize = 0;
        g.thumbStart = g.arrow;
        return g;
    }
    g.thumbSize = size;
    g.thumbStart = g.arrow + offset;
    return g;
}

int ScrollBarPartAt(const ScrollBarGeometry& g, int offset)
{
    if (offset < 0 || offset >= g.length) return kScrollItemNone;
    if (offset < g.arrow) return kScrollItemArrowFirst;
    if (offset >= g.length - g.arrow) return kScrollItemArrowLast;
    if (g.thumbSize <= 0) return kScrollItemNone;
    if (offset < g.thumbStart) return kScrollItemPageBefore;
    if (offset < g.thumbStart + g.thumbSize) return kScrollItemThumb;
    return kScrollItemPageAfter;
}

int ScrollBarPositionFromThumb(const CustomScrollBarInfo& info, const ScrollBarGeometry& g, int thumbStart)
{
    int pixels = thumbStart - g.arrow;
    int travel = g.length - 2 * g.arrow - g.thumbSize;
    int position;
    if (info.maximum - info.minimum >= 1 && travel > 0)
        position = info.minimum + ::MulDiv(pixels, info.maximum - info.minimum - (int)info.page + 1, travel);
    else
        position = info.minimum + pixels;
    return std::max(info.minimum, std::min(position, ScrollBarPositionLimit(info.minimum, info.maximum, info.page)));
}

// ---- functions on a window ------------------------------------------------------------------

BOOL CustomScrollBar_IsInstalled(HWND hwnd)
{
    return Record(hwnd) != nullptr;
}

BOOL CustomScrollBar_Install(HWND hwnd)
{
    if (!hwnd || Record(hwnd)) return FALSE;
    auto* rec = static_cast<CustomScrollBarWindow*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                                sizeof(CustomScrollBarWindow)));
    if (!rec) return FALSE;
    const int bars[2] = { SB_HORZ, SB_VERT };
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
    if (style & WS_HSCROLL) rec->horizontal.flags = kScrollFlagVisible;
    if (style & WS_VSCROLL) rec->vertical.flags = kScrollFlagVisible;
    ::SetPropA(hwnd, kRecordProp, rec);
    rec->previousProc = (WNDPROC)::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)&CustomScrollBar_WndProc);
    RecalcFrame(hwnd);
    return TRUE;
}

HRESULT CustomScrollBar_Uninstall(HWND hwnd)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec) return E_FAIL;
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)rec->previousProc);
    ::RemovePropA(hwnd, kRecordProp);
    if (g_press.hwnd == hwnd) g_press = PressState();
    if (g_hot.hwnd == hwnd) g_hot = HotState();
    ::HeapFree(::GetProcessHeap(), 0, rec);
    RecalcFrame(hwnd);
    return 0;
}

BOOL CustomScrollBar_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec) return ::GetScrollInfo(hwnd, bar, info);
    CustomScrollBarInfo* b = Bar(rec, bar);
    if (!info || !b) return FALSE;
    BOOL copied = FALSE;
    if (info->fMask & SIF_RANGE) { info->nMin = b->minimum; info->nMax = b->maximum; copied = TRUE; }
    if (info->fMask & SIF_PAGE) { info->nPage = b->page; copied = TRUE; }
    if (info->fMask & SIF_POS) { info->nPos = b->position; copied = TRUE; }
    if (info->fMask & SIF_TRACKPOS) { info->nTrackPos = b->trackPosition; copied = TRUE; }
    return copied;
}

int CustomScrollBar_SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec) return ::SetScrollInfo(hwnd, bar, info, redraw);
    CustomScrollBarInfo* b = Bar(rec, bar);
    if (!info || !b) return 0;
    if (info->fMask & SIF_RANGE) {
        b->minimum = info->nMin;
        b->maximum = info->nMax;
    }
    if (info->fMask & SIF_PAGE) {
        long long span = (long long)b->maximum - b->minimum + 1;
        b->page = (UINT)std::max<long long>(0, std::min<long long>(info->nPage, span));
    }
    if (info->fMask & SIF_POS) b->position = info->nPos;
    if (info->fMask & (SIF_RANGE | SIF_PAGE | SIF_POS))
        b->position = std::max(b->minimum, std::min(b->position, ScrollBarPositionLimit(b->minimum, b->maximum, b->page)));

    bool wasVisible = (b->flags & kScrollFlagVisible) != 0;
    bool visible;
    if (info->fMask & SIF_DISABLENOSCROLL)
        visible = true;
    else if (b->flags & kScrollFlagKeepShown)
        visible = true;
    else
        visible = (int)b->page <= b->maximum && b->maximum > b->minimum && !(b->page == 0 && b->maximum == 0);
    if (visible) b->flags |= kScrollFlagVisible; else b->flags &= ~kScrollFlagVisible;
    if (redraw && !rec->thumbTracking) {
        if (visible != wasVisible) RecalcFrame(hwnd); else RedrawFrame(hwnd);
    }
    return b->position;
}

BOOL CustomScrollBar_GetScrollRange(HWND hwnd, int bar, int* minimum, int* maximum)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec) return ::GetScrollRange(hwnd, bar, minimum, maximum);
    CustomScrollBarInfo* b = Bar(rec, bar);
    if (!minimum || !maximum || !b) return FALSE;
    *minimum = b->minimum;
    *maximum = b->maximum;
    return TRUE;
}

BOOL CustomScrollBar_EnableScrollBar(HWND hwnd, int bar, UINT arrows)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec) return ::EnableScrollBar(hwnd, bar, arrows);
    BOOL changed = FALSE;
    for (int b : { SB_HORZ, SB_VERT }) {
        if (bar != b && bar != SB_BOTH) continue;
        CustomScrollBarInfo* info = Bar(rec, b);
        UINT flags = (info->flags & ~3u) | (arrows & 3u);
        if (flags != info->flags) {
            info->flags = flags;
            changed = TRUE;
        }
    }
    if (changed) RedrawFrame(hwnd);
    return changed;
}

BOOL CustomScrollBar_ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec) return ::ShowScrollBar(hwnd, bar, show);
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    for (int b : { SB_HORZ, SB_VERT }) {
        if (bar != b && bar != SB_BOTH) continue;
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
    if (!rec) return FALSE;
    auto valid = [](int v) { return v != 0 && v >= -8 && v <= 256; };
    if (!valid(length) || !valid(thickness)) return FALSE;
    bool changed = false;
    for (int b : { SB_HORZ, SB_VERT }) {
        if (bar != b && bar != SB_BOTH) continue;
        CustomScrollBarInfo* info = Bar(rec, b);
        changed = changed || info->arrowLength != length || info->thickness != thickness;
        info->arrowLength = length;
        info->thickness = thickness;
    }
    // Recalculating the frame sends WM_SIZE, whose handlers often set the size again.
    if (changed) RecalcFrame(hwnd);
    return TRUE;
}

BOOL CustomScrollBar_SetMetric(HWND hwnd, int bar, int size)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec) return FALSE;
    for (int b : { SB_HORZ, SB_VERT }) {
        if (bar != b && bar != SB_BOTH) continue;
        Bar(rec, b)->minThumbSize = size == -1 ? DefaultMinThumb() : size;
    }
    return TRUE;
}

void CustomScrollBar_PaintTo(HWND hwnd, HDC dc)
{
    if (CustomScrollBarWindow* rec = Record(hwnd)) PaintBarsTo(hwnd, rec, dc);
}

LRESULT CALLBACK CustomScrollBar_WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CustomScrollBarWindow* rec = Record(hwnd);
    if (!rec) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    WNDPROC previous = rec->previousProc;
    switch (message) {
    case WM_NCCALCSIZE:
        OnNcCalcSize(hwnd, rec, wParam, lParam);
        return 0;
    case WM_NCPAINT: {
        PaintBars(hwnd, rec);
        // A window without a border of its own (a scroll-bar control) has nothing else in its
        // frame; the system's frame painting would only cost time on every thumb move.
        if (!rec->borderLeft && !rec->borderTop && !rec->borderRight && !rec->borderBottom) return 0;
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
        POINT p = ToWindow(hwnd, { (short)LOWORD(lParam), (short)HIWORD(lParam) });
        if (rec->horizontal.shown && Contains(BarRect(hwnd, rec, SB_HORZ), p)) return HTHSCROLL;
        if (rec->vertical.shown && Contains(BarRect(hwnd, rec, SB_VERT), p)) return HTVSCROLL;
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTHSCROLL || wParam == HTVSCROLL) {
            Press(hwnd, rec, { (short)LOWORD(lParam), (short)HIWORD(lParam) });
            return 0;
        }
        break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
        if (wParam == HTHSCROLL || wParam == HTVSCROLL) return 0;
        break;
    case WM_NCMOUSEMOVE:
        if ((wParam == HTHSCROLL || wParam == HTVSCROLL) && !rec->thumbTracking) {
            int bar, part;
            if (PartUnder(hwnd, rec, { (short)LOWORD(lParam), (short)HIWORD(lParam) }, &bar, &part)) {
                bool changed = g_hot.hwnd != hwnd || g_hot.bar != bar || g_hot.part != part;
                g_hot = { hwnd, bar, part };
                ::SetTimer(hwnd, kHotTimer, kHotMs, nullptr);
                if (changed) PaintBars(hwnd, rec);
            }
        }
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (g_press.hwnd == hwnd) {
            POINT p = { (short)LOWORD(lParam), (short)HIWORD(lParam) };
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
        if (g_press.hwnd == hwnd && (HWND)lParam != hwnd) Release(hwnd, rec);
        break;
    case WM_TIMER:
        if (wParam == kRepeatDelayTimer || wParam == kRepeatTimer || wParam == kHotTimer) {
            OnTimer(hwnd, rec, wParam);
            return 0;
        }
        break;
    case WM_STYLECHANGED:
        if (rec->inStyleChange) return 0;
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
