// Replacement scroll bars: a window subclass that takes over the window's WS_HSCROLL and
// WS_VSCROLL bars. It keeps its own scroll state per bar, reserves and paints the bars in the
// non-client area, tracks presses, sends the usual WM_HSCROLL / WM_VSCROLL (lParam 0) to the
// window, and offers every drawing step as a custom-draw notification so that an owner can paint
// the arrows, track and thumb from skin images.
//
//   CustomScrollBar_Install(hwnd);                        // window has WS_HSCROLL and/or WS_VSCROLL
//   SCROLLINFO si = { sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 42 };
//   CustomScrollBar_SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
//
// Custom draw: the window itself is asked first with OCM_NOTIFY (a reflected WM_NOTIFY, so that
// a scroll-bar control class can paint itself); a zero answer passes the notification on to the
// parent as WM_NOTIFY. Code kCustomScrollBarDraw, record CustomScrollBarDrawInfo. Answering
// CDRF_SKIPDEFAULT to the pre-paint stage turns every part into an item-stage notification.
// Every function falls back to the system's function of the same name on a window without the
// subclass. Only one bar in the program can be pressed at a time (the mouse capture is one).
#pragma once
#include <windows.h>
#include <commctrl.h>

const UINT kCustomScrollBarDraw = (UINT)-4095;
// The reflected form of WM_NOTIFY that the window itself is asked with first.
const UINT kCustomScrollBarReflectedNotify = 0x2000 + WM_NOTIFY;

// Parts (custom-draw items) of a bar.
enum CustomScrollBarItem : int {
    kScrollItemNone = -1,
    kScrollItemArrowFirst = 0, // left / up
    kScrollItemArrowLast = 1,  // right / down
    kScrollItemPageBefore = 2,
    kScrollItemPageAfter = 3,
    kScrollItemThumb = 5,
    kScrollItemSizeBox = 32,
};

// Flag bits of a bar.
enum CustomScrollBarFlags : UINT {
    kScrollFlagFirstArrowOff = 1, // ESB_DISABLE_LTUP
    kScrollFlagLastArrowOff = 2,  // ESB_DISABLE_RTDN
    kScrollFlagKeepShown = 4,
    kScrollFlagVisible = 8,
};

struct CustomScrollBarInfo {
    UINT flags;
    BOOL shown; // the bar takes space in the window now
    int minimum;
    int maximum;
    UINT page;
    int position;
    int trackPosition;
    int arrowLength; // negative n: n times the system metric
    int thickness;   // negative n: n times the system metric
    int kind;        // SB_HORZ or SB_VERT
    int minThumbSize;
};

struct CustomScrollBarWindow {
    WNDPROC previousProc;
    CustomScrollBarInfo horizontal;
    CustomScrollBarInfo vertical;
    BOOL thumbTracking;
    BOOL leftScrollBar;
    HWND toolTip; // none is created: the program gives the bars no tips
    int borderLeft, borderRight, borderTop, borderBottom;
    BOOL inStyleChange;
};

struct CustomScrollBarDrawInfo {
    NMHDR header;
    DWORD drawStage; // CDDS_PREPAINT, CDDS_POSTPAINT, CDDS_ITEMPREPAINT
    HDC dc;
    RECT rect;
    int item;   // CustomScrollBarItem
    UINT state; // CDIS_SELECTED, CDIS_HOT, CDIS_DISABLED or CDIS_DEFAULT
    int bar;    // SB_HORZ, SB_VERT, or SB_BOTH for the size box
};

BOOL CustomScrollBar_Install(HWND hwnd);
HRESULT CustomScrollBar_Uninstall(HWND hwnd);
BOOL CustomScrollBar_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
// Returns the (limited) position.
int CustomScrollBar_SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL CustomScrollBar_GetScrollRange(HWND hwnd, int bar, int* minimum, int* maximum);
BOOL CustomScrollBar_EnableScrollBar(HWND hwnd, int bar, UINT arrows);
BOOL CustomScrollBar_ShowScrollBar(HWND hwnd, int bar, BOOL show);
// Length and thickness: nonzero, -8 to 256; negative n means n times the system metric.
BOOL CustomScrollBar_SetButtonSize(HWND hwnd, int bar, int length, int thickness);
// Minimum thumb size in pixels; -1 for the default.
BOOL CustomScrollBar_SetMetric(HWND hwnd, int bar, int size);
// Paints the window's bars into dc in window coordinates: what WM_NCPAINT puts on the screen.
void CustomScrollBar_PaintTo(HWND hwnd, HDC dc);
LRESULT CALLBACK CustomScrollBar_WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---- geometry of one bar, along its length ----------------------------------------------------
struct ScrollBarGeometry {
    int length;     // the bar's length
    int arrow;      // arrow length actually used
    int thumbStart; // from the bar's start
    int thumbSize;  // 0: no thumb
};

// The position limit for a range and page: maximum - max(page - 1, 0), never below minimum.
int ScrollBarPositionLimit(int minimum, int maximum, UINT page);
ScrollBarGeometry ScrollBarCalcGeometry(const CustomScrollBarInfo& info, int length, int arrowLength);
// The part at an offset along the bar (kScrollItemNone past the ends or on a thumbless track).
int ScrollBarPartAt(const ScrollBarGeometry& geometry, int offset);
// The position a dragged thumb starting at thumbStart stands for.
int ScrollBarPositionFromThumb(const CustomScrollBarInfo& info, const ScrollBarGeometry& geometry, int thumbStart);
