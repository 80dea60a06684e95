// SizeGripBar: the strip under the multitrack view's panes that shows a size grip at its right end
// while the view's frame (the parent of its parent) is not maximised.
#pragma once
#include "BaseWin.h"

class SizeGripBar : public CBaseWin {
public:
    SizeGripBar() = default;

    // Paints the strip into dc for the client rectangle.
    void Render(CDC* dc, const RECT& client);
    void OnPaint();

protected:
    DECLARE_MESSAGE_MAP()
};
