// CTextProgressCtrl: a progress bar that prints its window text across the bar; the text is
// drawn in the highlight-text colour over the done part and in the button-text colour over
// the rest, so it stays readable wherever the split falls.
#pragma once
#include "Framework.h"

class CTextProgressCtrl : public CWnd {
public:
    CTextProgressCtrl() = default;

    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Stores the range (lower must differ from upper) and repaints.
    void SetRange(int lower, int upper);
    // Stores the position, repaints; returns the previous one.
    int SetPos(int position);
    int GetPos() const { return m_position; }
    // The font of the text (not owned); null keeps the DC's font. No repaint.
    void SetFont(CFont* font) { m_font = font; }

    // The x of the split between the done part and the rest of a bar of the width; 0 for an
    // empty range.
    static int SplitPoint(int position, int lower, int upper, int width);
    // Paints background, bar and text into dc for the client rectangle (what WM_ERASEBKGND
    // and WM_PAINT do together).
    void Render(CDC* dc, const RECT& client);

    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();

protected:
    void DrawBarAndText(CDC* dc, const RECT& client);

    CFont* m_font = nullptr;
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;

    DECLARE_MESSAGE_MAP()
};
