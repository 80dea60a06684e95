// CCheckListCtrl: an owner-drawn report list whose rows carry a check box (state image 1 not
// checked, 2 checked) and whose cell texts are shortened with "..." when they do not fit.
// Clicking the box toggles it without selecting the row. The owner sets the state image list
// and the owner-draw style, and hands its WM_DRAWITEM for the list to DrawItem.
#pragma once
#include "Framework.h"

#include <string>

class CCheckListCtrl : public CListCtrl {
public:
    CCheckListCtrl();
    ~CCheckListCtrl() override = default;

    void DrawItem(const DRAWITEMSTRUCT* item);
    // The text when it fits width less offset, else a copy cut to fit with "..." appended
    // (never shorter than one character).
    static std::string MakeShortString(CDC* dc, const char* text, int width, int offset);
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);

private:
    void OnFocusChange(HWND other);
    void OnSize(UINT type, int cx, int cy);
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    void OnLButtonDown(UINT flags, CPoint point);

    int m_clientWidth = 0;
    int m_labelTrim = 0;
    COLORREF m_textColour;
    COLORREF m_background[2];
    DECLARE_MESSAGE_MAP()
};
