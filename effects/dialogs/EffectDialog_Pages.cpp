// The effect's property pages in the dialog: the dialog is their site, shows one at a time in
// the page frame's place with a tab per page, and lays itself out around the page shown.
#include "EffectDialog.h"

#include "EffectIds.h"
#include "ModuleObjects.h"
#include "ResourceModule.h"

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
    info.pszTitle = info.pszDocString = info.pszHelpFile = nullptr;
}

} // namespace

void CEffectDialog::ApplyCurrentPage()
{
    if (static_cast<size_t>(m_currentPage) < m_pages.size())
        m_pages[static_cast<size_t>(m_currentPage)]->Apply();
}

// --- the pages ---------------------------------------------------------------------------

HRESULT CEffectDialog::CreatePropertyPages()
{
    ComRef<ISpecifyPropertyPages> specify;
    if (!m_filter || FAILED(m_filter->QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid())))
        return S_FALSE;
    CAUUID list{};
    HRESULT hr = specify->GetPages(&list);
    specify.Reset();
    if (FAILED(hr))
        return hr;
    struct PageList {
        CAUUID& list;
        ~PageList() { ::CoTaskMemFree(list.pElems); }
    } freeList{list};
    IUnknown* object = m_filter.Get();
    for (ULONG i = 0; i < list.cElems; ++i) {
        ComRef<IPropertyPage> page;
        if (m_module)
            hr = CreateObjectFromModule(m_module, list.pElems[i], IID_IPropertyPage, page.OutVoid());
        else
            hr = ::CoCreateInstance(list.pElems[i], nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                    IID_IPropertyPage, page.OutVoid());
        if (SUCCEEDED(hr) && !page)
            hr = E_FAIL;
        if (FAILED(hr)) {
            ShowStop(IDS_PLUGIN_LOAD_FAILED, MB_ICONSTOP);
            return hr;
        }
        m_pages.push_back(page);
        page->SetPageSite(&m_site);
        page->SetObjects(1, &object);
        PROPPAGEINFO info{};
        info.cb = sizeof info;
        page->GetPageInfo(&info);
        char title[260] = {};
        if (info.pszTitle)
            ::WideCharToMultiByte(CP_ACP, 0, info.pszTitle, -1, title, sizeof title, nullptr, nullptr);
        m_tabs.InsertItem(static_cast<int>(i), title);
        if (list.cElems >= 2)
            m_tabs.ModifyStyle(0, WS_TABSTOP);
        FreePageInfo(info);
    }
    return S_OK;
}

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
    const int next = m_tabs.GetCurSel();
    if (next < 0 || static_cast<size_t>(next) >= m_pages.size()) {
        *result = 0;
        return;
    }
    if (static_cast<size_t>(m_currentPage) < m_pages.size())
        m_pages[static_cast<size_t>(m_currentPage)]->Deactivate();
    m_currentPage = next;
    IPropertyPage* page = m_pages[static_cast<size_t>(next)].Get();
    RECT frame = ChildRect(m_hWnd, ::GetDlgItem(m_hWnd, IDC_EFFECT_PAGE_FRAME));
    page->Activate(m_hWnd, &frame, TRUE);
    page->Move(&frame);
    page->Show(SW_SHOW);
    *result = 0;
}

void CEffectDialog::RefreshPages()
{
    IUnknown* object = m_filter.Get();
    for (ComRef<IPropertyPage>& page : m_pages)
        page->SetObjects(1, &object);
}

void CEffectDialog::ReleasePages()
{
    for (ComRef<IPropertyPage>& page : m_pages) {
        page->SetObjects(0, nullptr);
        page->SetPageSite(nullptr);
    }
    m_pages.clear();
}
