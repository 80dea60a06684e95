// COverviewBar (id 107): the bar across the top of the view that shows the whole document
// (skin colour 48), the part the window shows (49) and the selection or play position (50),
// scaled so that one window width after the document end still fits.
#pragma once
#include "BaseWin.h"

class CNyMultiTrackView;

class COverviewBar : public CBaseWin {
public:
    COverviewBar() = default;

    void SetView(CNyMultiTrackView* view) { m_view = view; }
    // Invalidates the whole bar and updates it at once.
    void Redraw();
    // Invalidates the whole bar for the next paint: what a tick of the play timer moves is drawn
    // once, after the tick, and a key or click waiting meanwhile goes first.
    void RedrawLater();
    // Paints the bar into dc over the client rectangle.
    void Render(CDC* dc, const RECT& client);

    void OnPaint();
    void OnMouseMove(UINT flags, CPoint point);
    BOOL OnEraseBkgnd(CDC* dc);

protected:
    int m_hover = 0;
    CNyMultiTrackView* m_view = nullptr;

    DECLARE_MESSAGE_MAP()
};
