// CSplitterBar (id 106): a raised bar under the video track that shows the vertical-resize
// cursor while the mouse is over it. The view lays it out with no height.
#pragma once
#include "BaseWin.h"

class CSplitterBar : public CBaseWin {
public:
    CSplitterBar() = default;

    void OnPaint();
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnMouseMove(UINT flags, CPoint point);
    BOOL OnEraseBkgnd(CDC* dc);

protected:
    int m_hover = 0;
    DECLARE_MESSAGE_MAP()
};
