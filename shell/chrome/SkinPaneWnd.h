// SkinPaneWnd: the scroll bar of the skinned panes, a ScrollSkinWnd painted from the fourteen
// "scrl_*" skin images (ids 89 to 102). LoadSkinScrollBitmaps turns those images into GDI bitmaps
// once at start-up, after the skin table is loaded; painting then only blits.
//
//   LoadSkinScrollBitmaps();                         // at start-up, after CSkinImageTable::Load
//   m_scroll.Create(WS_VISIBLE | SBS_VERT, rect, this, id);
//
// Arrow images hold four frames side by side: normal and hot 0, disabled 1, pressed 2.
#pragma once
#include "ScrollSkinWnd.h"

// Makes the bitmaps of ids 89 to 102 in order; FALSE at the first image missing or failing (the
// bitmaps made so far stay, the rest paint nothing).
BOOL LoadSkinScrollBitmaps();
// Deletes the bitmaps (the program keeps them for its life; tests load them again).
void FreeSkinScrollBitmaps();

class SkinPaneWnd : public ScrollSkinWnd {
public:
    SkinPaneWnd() = default;

    void PrePaint(HDC dc, const RECT& rect) override
    {
        (void)dc;
        (void)rect;
    }
    void PostPaint(HDC dc, const RECT& rect) override
    {
        (void)dc;
        (void)rect;
    }
    BOOL DrawItem(HDC dc, const RECT& rect, int bar, int item, UINT state) override;

    // Vertical bar: the thickness from the up-arrow image; -1 for a horizontal bar.
    int GetBarThickness() const;
    // Horizontal bar: the arrow length from the left-arrow image; -1 for a vertical bar.
    int GetArrowLength() const;

    // Paints one part (CustomScrollBarItem) of a bar (0 horizontal, 1 vertical) into dc.
    static void PaintItem(HDC dc, const RECT& rect, int bar, int item, UINT state);

    int OnCreate(LPCREATESTRUCTA cs);

protected:
    DECLARE_MESSAGE_MAP()
};
