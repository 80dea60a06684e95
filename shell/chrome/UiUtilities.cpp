#include "UiUtilities.h"

namespace {

enum class ChildAction { Enable, Show };

struct ChildScan {
    HWND parent;
    RECT area;
    bool skipDialogButtons;
    ChildAction action;
    BOOL on;
};

BOOL CALLBACK VisitChild(HWND child, LPARAM lp)
{
    const auto* scan = reinterpret_cast<const ChildScan*>(lp);
    if (GetParent(child) != scan->parent)
        return TRUE; // grandchildren belong to their own parent
    const int id = GetDlgCtrlID(child);
    if (scan->skipDialogButtons && id >= IDOK && id <= IDHELP)
        return TRUE;
    RECT r;
    GetWindowRect(child, &r);
    const POINT corners[] = {{r.left, r.top}, {r.right, r.top}, {r.left, r.bottom}, {r.right, r.bottom}};
    for (const POINT& corner : corners)
        if (!PtInRect(&scan->area, corner))
            return TRUE;
    if (scan->action == ChildAction::Enable)
        EnableWindow(child, scan->on);
    else
        ShowWindow(child, scan->on ? SW_SHOW : SW_HIDE);
    return TRUE;
}

void ForChildrenInRect(CWnd* window, bool skipDialogButtons, ChildAction action, BOOL on, int left, int top, int right,
                       int bottom)
{
    if (!window || !window->m_hWnd)
        return;
    RECT area = {left, top, right, bottom};
    if (IsRectEmpty(&area))
        window->GetWindowRect(&area);
    // A child flush with the rectangle's edge has its right and bottom corner on the edge.
    InflateRect(&area, 1, 1);
    ChildScan scan = {window->m_hWnd, area, skipDialogButtons, action, on};
    EnumChildWindows(window->m_hWnd, VisitChild, reinterpret_cast<LPARAM>(&scan));
}

} // namespace

void EnableChildrenInRect(CWnd* window, BOOL enable, int left, int top, int right, int bottom)
{
    ForChildrenInRect(window, true, ChildAction::Enable, enable, left, top, right, bottom);
}

void EnableChildrenInRectAlt(CWnd* window, BOOL enable, int left, int top, int right, int bottom)
{
    ForChildrenInRect(window, false, ChildAction::Enable, enable, left, top, right, bottom);
}

void ShowChildrenInRect(CWnd* window, BOOL show, int left, int top, int right, int bottom)
{
    ForChildrenInRect(window, true, ChildAction::Show, show, left, top, right, bottom);
}

POINT PlaceWindowNear(POINT cursor, SIZE window, const RECT& workArea)
{
    POINT p = cursor;
    if (p.x + window.cx > workArea.right)
        p.x = workArea.right - window.cx;
    if (p.y + window.cy > workArea.bottom)
        p.y = workArea.bottom - window.cy;
    if (p.x < workArea.left)
        p.x = workArea.left;
    if (p.y < workArea.top)
        p.y = workArea.top;
    return p;
}

void MoveWindowNearCursor(CWnd* window)
{
    if (!window || !window->m_hWnd)
        return;
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT r;
    window->GetWindowRect(&r);
    const POINT p = PlaceWindowNear(cursor, SIZE{r.right - r.left, r.bottom - r.top}, work);
    window->SetWindowPos(nullptr, p.x, p.y, 0, 0, SWP_NOSIZE);
}
