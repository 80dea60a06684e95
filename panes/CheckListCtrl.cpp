#include "CheckListCtrl.h"

#include <commctrl.h>
#include <cstring>

namespace {
constexpr UINT kStateMask = 0xF000;
constexpr UINT kUnchecked = 0x1000;
constexpr UINT kChecked = 0x2000;
constexpr UINT kTextFlags = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER;
} // namespace

CCheckListCtrl::CCheckListCtrl()
    : m_textColour(::GetSysColor(COLOR_WINDOWTEXT)), m_background{::GetSysColor(COLOR_WINDOW),
                                                                  ::GetSysColor(COLOR_WINDOW)}
{
}

std::string CCheckListCtrl::MakeShortString(CDC* dc, const char* text, int width, int offset)
{
    std::string s = text ? text : "";
    if (s.empty() || dc->GetTextExtent(s.c_str()).cx + offset <= width)
        return s;
    const int dots = dc->GetTextExtent("...", 3).cx;
    while (s.size() > 1 && dc->GetTextExtent(s.c_str()).cx + dots + offset > width)
        s.pop_back();
    return s + "...";
}

bool CCheckListCtrl::IsChecked(int row) const
{
    return (SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(row), kStateMask) & kStateMask) == kChecked;
}

void CCheckListCtrl::SetChecked(int row, bool checked)
{
    LVITEMA item{};
    item.stateMask = kStateMask;
    item.state = checked ? kChecked : kUnchecked;
    SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void CCheckListCtrl::DrawItem(const DRAWITEMSTRUCT* draw)
{
    CDC dc(draw->hDC);
    const int row = int(draw->itemID);
    const DWORD style = GetStyle();
    const bool focus = ::GetFocus() == m_hWnd;
    const UINT state =
        UINT(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED | LVIS_FOCUSED | kStateMask));
    const bool highlight = (state & LVIS_SELECTED) && (focus || (style & LVS_SHOWSELALWAYS));
    const COLORREF text = highlight ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : m_textColour;
    const COLORREF back = highlight ? ::GetSysColor(COLOR_HIGHLIGHT) : m_background[row & 1];
    const COLORREF oldText = dc.SetTextColor(text);
    const COLORREF oldBack = dc.SetBkColor(back);

    RECT bounds{LVIR_BOUNDS, 0, 0, 0};
    SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    dc.FillSolidRect(bounds, back);

    if (state & kStateMask) {
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, LVSIL_STATE));
        RECT icon{LVIR_ICON, 0, 0, 0};
        SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon));
        int width = 0, height = 0;
        if (images && ImageList_GetIconSize(images, &width, &height))
            ImageList_Draw(images, int((state & kStateMask) >> 12) - 1, dc.m_hDC, icon.left - width, icon.top,
                           ILD_TRANSPARENT);
    }

    RECT label{LVIR_LABEL, 0, 0, 0};
    SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label));
    label.right -= m_labelTrim;
    const CString first = GetItemText(row, 0);
    const std::string shortFirst = MakeShortString(&dc, first.GetString(), label.right - label.left, 4);
    RECT area{label.left + 2, label.top, label.right - 2, label.bottom};
    dc.DrawText(shortFirst.c_str(), -1, &area, kTextFlags);

    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    int x = label.right + m_labelTrim;
    for (int c = 1; SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column)); ++c) {
        char cell[261] = "";
        LVITEMA item{};
        item.iSubItem = c;
        item.pszText = cell;
        item.cchTextMax = sizeof cell;
        SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        const std::string shown = MakeShortString(&dc, cell, column.cx, 12);
        UINT align = DT_LEFT;
        if (shown == cell) {
            if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
                align = DT_RIGHT;
            else if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
                align = DT_CENTER;
        }
        RECT cellRect{x + 6, bounds.top, x + column.cx - 6, bounds.bottom};
        dc.DrawText(shown.c_str(), -1, &cellRect, kTextFlags | align);
        x += column.cx;
    }

    if ((state & LVIS_FOCUSED) && focus)
        ::DrawFocusRect(dc.m_hDC, &bounds);
    dc.SetTextColor(oldText);
    dc.SetBkColor(oldBack);
}

void CCheckListCtrl::OnFocusChange(HWND other)
{
    if (other && ::IsChild(m_hWnd, other))
        return;
    const int focused = int(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0)
        SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(focused), focused);
    if (!(GetStyle() & LVS_SHOWSELALWAYS)) {
        for (int row = -1; (row = int(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
            SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
    }
    ::UpdateWindow(m_hWnd);
}

BEGIN_MESSAGE_MAP(CCheckListCtrl, CListCtrl)
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

void CCheckListCtrl::OnSize(UINT type, int cx, int cy)
{
    (void)type, (void)cy;
    m_clientWidth = cx;
    Default();
}

void CCheckListCtrl::OnSetFocus(CWnd* oldWnd)
{
    Default();
    OnFocusChange(oldWnd ? oldWnd->m_hWnd : nullptr);
}

void CCheckListCtrl::OnKillFocus(CWnd* newWnd)
{
    Default();
    OnFocusChange(newWnd ? newWnd->m_hWnd : nullptr);
}

void CCheckListCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    (void)flags;
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int row = int(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    bool onBox = row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON);
    if (row >= 0 && !onBox && (GetStyle() & LVS_OWNERDRAWFIXED)) {
        // Owner-drawn rows report the box as part of the row: left of the icon is the box.
        RECT icon{LVIR_ICON, 0, 0, 0};
        SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon));
        onBox = hit.pt.x < icon.left;
    }
    if (!onBox) {
        Default();
        return;
    }
    const UINT state = UINT(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(row), kStateMask)) & kStateMask;
    SetChecked(row, state == kUnchecked);
}
