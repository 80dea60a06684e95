// The effect dialog laid out around the first of the effect's pages (their site, tabs and
// switching are CSkinnedPageDialog's).
#include "EffectDialog.h"

#include "EffectIds.h"

#include <algorithm>

namespace {

RECT ChildRect(HWND parent, HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void FreePageInfo(PROPPAGEINFO& info)
{
    for (LPOLESTR text : {info.pszTitle, info.pszDocString, info.pszHelpFile})
        ::CoTaskMemFree(text);
}

} // namespace

int CEffectDialog::TabStripWidth()
{
    int width = 0;
    for (int i = 0, n = m_tabs.GetItemCount(); i < n; ++i) {
        RECT item{};
        m_tabs.GetItemRect(i, &item);
        width += item.right - item.left;
    }
    return width + 4;
}

HRESULT CEffectDialog::ShowFirstPage()
{
    if (m_pages.empty())
        return S_OK;
    IPropertyPage* page = m_pages[0].Get();
    HWND frame = ::GetDlgItem(m_hWnd, IDC_EFFECT_PAGE_FRAME);
    const RECT frameRect = ChildRect(m_hWnd, frame);
    HRESULT hr = page->Activate(m_hWnd, &frameRect, TRUE);
    if (FAILED(hr))
        return hr;
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    const bool gotInfo = SUCCEEDED(page->GetPageInfo(&info));
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EFFECT_HELP), gotInfo && info.pszHelpFile && info.pszHelpFile[0]);
    RECT area{0, 0, gotInfo ? info.size.cx : 0, gotInfo ? info.size.cy : 0};
    area.right = std::max<LONG>(area.right, TabStripWidth());
    page->Show(SW_SHOW);
    ::OffsetRect(&area, frameRect.left - area.left, frameRect.top - area.top);
    if (frameRect.bottom > area.bottom)
        area.bottom = frameRect.bottom;
    page->Move(&area);
    ::MoveWindow(frame, area.left, area.top, area.right - area.left, area.bottom - area.top, FALSE);
    LayOutAround(area);
    FreePageInfo(info);
    Invalidate();
    UpdateWindow();
    return S_OK;
}

void CEffectDialog::LayOutAround(const RECT& area)
{
    RECT tab{};
    m_tabs.GetItemRect(0, &tab);
    const int tabHeight = tab.bottom - tab.top > 0 ? tab.bottom - tab.top : 20;
    m_tabs.MoveWindow(area.left, area.bottom, TabStripWidth(), tabHeight, FALSE);

    HWND list = m_presetList.m_hWnd;
    HWND registerButton = ::GetDlgItem(m_hWnd, IDC_EFFECT_REGISTER_PRESET);
    HWND deleteButton = ::GetDlgItem(m_hWnd, IDC_EFFECT_DELETE_PRESET);
    const RECT listRect = ChildRect(m_hWnd, list);
    const RECT buttonRect = ChildRect(m_hWnd, registerButton);
    const int buttonWidth = buttonRect.right - buttonRect.left, buttonHeight = buttonRect.bottom - buttonRect.top;
    const int listRight = area.right - 2 * buttonWidth - 4;
    ::MoveWindow(list, listRect.left, listRect.top, listRight - listRect.left, listRect.bottom - listRect.top, FALSE);
    ::MoveWindow(registerButton, listRight + 2, listRect.top, buttonWidth, buttonHeight, FALSE);
    ::MoveWindow(deleteButton, listRight + 2 + buttonWidth, listRect.top, buttonWidth, buttonHeight, FALSE);

    RECT window{}, okRect{}, tabs{};
    GetWindowRect(&window);
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDOK), &okRect);
    ::GetWindowRect(m_tabs.m_hWnd, &tabs);
    POINT corner{area.right, 0};
    ClientToScreen(&corner);
    const int right = window.left + (okRect.right - okRect.left) + (corner.x - window.left) + 32;
    const int bottom = tabs.bottom + 16;
    SetWindowPos(nullptr, 0, 0, right - window.left, bottom - window.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEffectDialog::OnTabSelChange(NMHDR*, LRESULT* result)
{
    ShowPage(m_tabs.GetCurSel());
    *result = 0;
}
