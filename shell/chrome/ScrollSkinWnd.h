// ScrollSkinWnd: a window that is nothing but one replacement scroll bar (horizontal, or vertical
// when created with SBS_VERT), used as a skinnable scroll-bar control. Its scroll messages go on to
// the parent; with custom drawing switched on by a derived class, the bar's drawing steps become
// the three virtual operations below.
//
//   class CMyBar : public ScrollSkinWnd { BOOL DrawItem(...) override; };   // sets m_customDrawn
//   bar.Create(WS_VISIBLE | SBS_VERT, rect, parent, id);
//   bar.SetScrollInfo(&si, TRUE);
#pragma once
#include "CustomScrollBar.h"
#include "Framework.h"

class ScrollSkinWnd : public CWnd {
public:
    ScrollSkinWnd() = default;

    // A vertical request (SBS_VERT) becomes WS_VSCROLL; otherwise WS_HSCROLL is added.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    BOOL GetScrollInfo(SCROLLINFO* info, UINT mask = SIF_ALL);
    int SetScrollInfo(SCROLLINFO* info, BOOL redraw = TRUE);
    BOOL GetScrollRange(int* minimum, int* maximum);
    BOOL EnableScrollBar(UINT arrows);
    BOOL SetScrollBarMetric(int size);
    BOOL SetScrollButtonSize(int length, int thickness);
    int GetBar() const { return m_bar; }
    int GetBarKind() const { return m_bar == 1 ? SB_VERT : SB_HORZ; }

    virtual void PrePaint(HDC dc, const RECT& rect)
    {
        (void)dc;
        (void)rect;
    }
    virtual void PostPaint(HDC dc, const RECT& rect)
    {
        (void)dc;
        (void)rect;
    }
    // Nonzero when it drew the item.
    virtual BOOL DrawItem(HDC dc, const RECT& rect, int bar, int item, UINT state)
    {
        (void)dc;
        (void)rect;
        (void)bar;
        (void)item;
        (void)state;
        return FALSE;
    }

    int OnCreate(LPCREATESTRUCTA cs);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnScrollMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnReflectedNotify(WPARAM wParam, LPARAM lParam);

protected:
    BOOL m_customDrawn = FALSE;
    int m_bar = 0; // 0 horizontal, 1 vertical

    DECLARE_MESSAGE_MAP()
};
