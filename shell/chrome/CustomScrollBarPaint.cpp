#include "CustomScrollBarParts.h"

#include <algorithm>

using namespace csb;

namespace {

RECT ItemRect(const RECT& r, int bar, int from, int to)
{
    if (bar == SB_HORZ)
        return {r.left + from, r.top, r.left + to, r.bottom};
    return {r.left, r.top + from, r.right, r.top + to};
}

LRESULT Notify(HWND hwnd, CustomScrollBarDrawInfo& info)
{
    info.header.hwndFrom = hwnd;
    info.header.idFrom = (UINT_PTR)::GetDlgCtrlID(hwnd);
    info.header.code = kCustomScrollBarDraw;
    LRESULT answer = ::SendMessageA(hwnd, kCustomScrollBarReflectedNotify, info.header.idFrom, (LPARAM)&info);
    if (answer)
        return answer;
    HWND parent = ::GetParent(hwnd);
    return parent ? ::SendMessageA(parent, WM_NOTIFY, info.header.idFrom, (LPARAM)&info) : 0;
}

void FillChecker(HDC dc, const RECT& r)
{
    static const WORD kPattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    COLORREF fore = ::GetSysColor(COLOR_3DHILIGHT);
    if (fore == ::GetSysColor(COLOR_WINDOW) && fore != RGB(255, 255, 255))
        fore = ::GetSysColor(COLOR_BTNFACE);
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
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    switch (item) {
    case kScrollItemArrowFirst:
    case kScrollItemArrowLast: {
        UINT kind = bar == SB_HORZ ? (item == kScrollItemArrowFirst ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT)
                                   : (item == kScrollItemArrowFirst ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
        if (state & CDIS_SELECTED)
            kind |= DFCS_PUSHED | DFCS_FLAT;
        if (state & CDIS_DISABLED)
            kind |= DFCS_INACTIVE;
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
    if (item == kScrollItemArrowFirst && (info.flags & kScrollFlagFirstArrowOff))
        disabled = true;
    if (item == kScrollItemArrowLast && (info.flags & kScrollFlagLastArrowOff))
        disabled = true;
    if (disabled)
        return CDIS_DISABLED;
    if (g_press.hwnd == hwnd && g_press.bar == bar && g_press.part == item && g_press.onPart)
        return CDIS_SELECTED;
    if (g_hot.hwnd == hwnd && g_hot.bar == bar && g_hot.part == item)
        return CDIS_HOT;
    return CDIS_DEFAULT;
}

// The off-screen buffer the bars are painted in, kept between paints (it only grows).
HDC BarBuffer(int width, int height)
{
    static HDC dc = nullptr;
    static HBITMAP bitmap = nullptr;
    static HGDIOBJ original = nullptr;
    static SIZE size = {};
    if (dc && width <= size.cx && height <= size.cy)
        return dc;
    HDC screen = ::GetDC(nullptr);
    SIZE grown = {std::max<LONG>(width, size.cx), std::max<LONG>(height, size.cy)};
    HBITMAP bigger = ::CreateCompatibleBitmap(screen, grown.cx, grown.cy);
    if (!dc) {
        dc = ::CreateCompatibleDC(screen);
        if (dc && bigger)
            original = ::SelectObject(dc, bigger);
    } else if (bigger) {
        ::SelectObject(dc, bigger);
    }
    ::ReleaseDC(nullptr, screen);
    if (!dc || !bigger) {
        if (bigger)
            ::DeleteObject(bigger);
        return nullptr;
    }
    if (bitmap)
        ::DeleteObject(bitmap);
    bitmap = bigger;
    size = grown;
    (void)original;
    return dc;
}

// Paints one bar off screen and copies it to the window's DC (window coordinates).
void PaintBar(HWND hwnd, CustomScrollBarWindow* rec, int bar, HDC windowDC)
{
    CustomScrollBarInfo* info = Bar(rec, bar);
    if (!info || !info->shown)
        return;
    RECT r = BarRect(hwnd, rec, bar);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return;
    HDC dc = BarBuffer(w, h);
    if (!dc)
        return;
    RECT local = {0, 0, w, h};

    CustomScrollBarDrawInfo draw = {};
    draw.dc = dc;
    draw.rect = local;
    draw.bar = bar;
    draw.drawStage = CDDS_PREPAINT;
    bool custom = Notify(hwnd, draw) == CDRF_SKIPDEFAULT;

    ScrollBarGeometry g = GeometryOf(*info, r, bar, hwnd);
    struct Piece {
        int item;
        int from;
        int to;
    };
    Piece pieces[5];
    int count = 0;
    pieces[count++] = {kScrollItemArrowFirst, 0, g.arrow};
    pieces[count++] = {kScrollItemArrowLast, g.length - g.arrow, g.length};
    if (g.thumbSize > 0) {
        pieces[count++] = {kScrollItemPageBefore, g.arrow, g.thumbStart};
        pieces[count++] = {kScrollItemPageAfter, g.thumbStart + g.thumbSize, g.length - g.arrow};
        pieces[count++] = {kScrollItemThumb, g.thumbStart, g.thumbStart + g.thumbSize};
    } else {
        pieces[count++] = {kScrollItemPageBefore, g.arrow, g.length - g.arrow};
    }
    for (int i = 0; i < count; ++i) {
        if (pieces[i].to <= pieces[i].from)
            continue;
        RECT ir = ItemRect(local, bar, pieces[i].from, pieces[i].to);
        UINT state = ItemState(hwnd, *info, bar, pieces[i].item);
        if (custom) {
            draw.drawStage = CDDS_ITEMPREPAINT;
            draw.rect = ir;
            draw.item = pieces[i].item;
            draw.state = state;
            if (Notify(hwnd, draw) == CDRF_SKIPDEFAULT)
                continue;
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
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    CustomScrollBarDrawInfo draw = {};
    draw.dc = dc;
    draw.rect = r;
    draw.bar = SB_BOTH;
    draw.item = kScrollItemSizeBox;
    draw.state = CDIS_DEFAULT;
    draw.drawStage = CDDS_ITEMPREPAINT;
    if (Notify(hwnd, draw) == CDRF_SKIPDEFAULT)
        return;
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

} // namespace

namespace csb {

void PaintBarsTo(HWND hwnd, CustomScrollBarWindow* rec, HDC dc)
{
    PaintBar(hwnd, rec, SB_HORZ, dc);
    PaintBar(hwnd, rec, SB_VERT, dc);
    PaintSizeBox(hwnd, rec, dc);
}

void PaintBars(HWND hwnd, CustomScrollBarWindow* rec)
{
    HDC dc = ::GetWindowDC(hwnd);
    if (!dc)
        return;
    PaintBarsTo(hwnd, rec, dc);
    ::ReleaseDC(hwnd, dc);
}

} // namespace csb

void CustomScrollBar_PaintTo(HWND hwnd, HDC dc)
{
    if (CustomScrollBarWindow* rec = Record(hwnd))
        PaintBarsTo(hwnd, rec, dc);
}
