#include "CustomScrollBarParts.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace csb {

PressState g_press;
HotState g_hot;

namespace {

// The records by window, in this process: the window property would cost a round trip to the
// window server on every message of every subclassed window.
std::mutex g_recordsLock;
std::unordered_map<HWND, CustomScrollBarWindow*> g_records;

} // namespace

CustomScrollBarWindow* Record(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_recordsLock);
    auto found = g_records.find(hwnd);
    return found == g_records.end() ? nullptr : found->second;
}

void AttachRecord(HWND hwnd, CustomScrollBarWindow* rec)
{
    ::SetPropA(hwnd, kRecordProp, rec);
    std::lock_guard<std::mutex> lock(g_recordsLock);
    g_records[hwnd] = rec;
}

void DetachRecord(HWND hwnd)
{
    ::RemovePropA(hwnd, kRecordProp);
    std::lock_guard<std::mutex> lock(g_recordsLock);
    g_records.erase(hwnd);
}

CustomScrollBarInfo* Bar(CustomScrollBarWindow* rec, int bar)
{
    if (!rec)
        return nullptr;
    if (bar == SB_HORZ)
        return &rec->horizontal;
    if (bar == SB_VERT)
        return &rec->vertical;
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
    if (info.arrowLength >= 0)
        return info.arrowLength;
    return -info.arrowLength * ::GetSystemMetrics(info.kind == SB_HORZ ? SM_CXHSCROLL : SM_CYVSCROLL);
}

int Thickness(const CustomScrollBarInfo& info)
{
    if (info.thickness >= 0)
        return info.thickness;
    return -info.thickness * ::GetSystemMetrics(info.kind == SB_HORZ ? SM_CYHSCROLL : SM_CXVSCROLL);
}

bool CanScroll(const CustomScrollBarInfo& info)
{
    if ((info.flags & 3) == 3)
        return false;
    if (info.flags & kScrollFlagKeepShown)
        return true;
    return (int)info.page <= info.maximum && info.maximum > info.minimum && !(info.page == 0 && info.maximum == 0);
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
    RECT inner = {rec->borderLeft, rec->borderTop, wr.right - wr.left - rec->borderRight,
                  wr.bottom - wr.top - rec->borderBottom};
    const CustomScrollBarInfo& h = rec->horizontal;
    const CustomScrollBarInfo& v = rec->vertical;
    int th = h.shown ? Thickness(h) : 0, tv = v.shown ? Thickness(v) : 0;
    RECT r = {};
    if (bar == SB_HORZ && h.shown) {
        r = {inner.left, inner.bottom - th, inner.right, inner.bottom};
        if (rec->leftScrollBar)
            r.left += tv;
        else
            r.right -= tv;
    } else if (bar == SB_VERT && v.shown) {
        r = {inner.right - tv, inner.top, inner.right, inner.bottom - th};
        if (rec->leftScrollBar) {
            r.left = inner.left;
            r.right = inner.left + tv;
        }
    } else if (bar == SB_BOTH && h.shown && v.shown) {
        RECT vr = BarRect(hwnd, rec, SB_VERT), hr = BarRect(hwnd, rec, SB_HORZ);
        r = {vr.left, hr.top, vr.right, hr.bottom};
    }
    return r;
}

int BarLength(const RECT& r, int bar)
{
    return bar == SB_HORZ ? r.right - r.left : r.bottom - r.top;
}

int Along(const RECT& r, int bar, POINT p)
{
    return bar == SB_HORZ ? p.x - r.left : p.y - r.top;
}

POINT ToWindow(HWND hwnd, POINT screen)
{
    RECT wr;
    ::GetWindowRect(hwnd, &wr);
    return {screen.x - wr.left, screen.y - wr.top};
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

} // namespace csb

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
    if (length <= 2 * g.arrow)
        g.arrow = length / 2;
    int track = length - 2 * g.arrow;
    int range = info.maximum - info.minimum + 1;
    int size;
    if (info.page == 0)
        size = g.arrow;
    else
        size = std::max(::MulDiv((int)info.page, track, std::max(range, 1)), info.minThumbSize);
    int offset = 0;
    if (info.maximum <= info.minimum) {
        if (info.page != 0)
            size = 0;
    } else {
        int divisor = range - std::max<int>((int)info.page, 1);
        if (divisor > 0)
            offset = ::MulDiv(info.position - info.minimum, track - size, divisor);
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
    if (offset < 0 || offset >= g.length)
        return kScrollItemNone;
    if (offset < g.arrow)
        return kScrollItemArrowFirst;
    if (offset >= g.length - g.arrow)
        return kScrollItemArrowLast;
    if (g.thumbSize <= 0)
        return kScrollItemNone;
    if (offset < g.thumbStart)
        return kScrollItemPageBefore;
    if (offset < g.thumbStart + g.thumbSize)
        return kScrollItemThumb;
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
