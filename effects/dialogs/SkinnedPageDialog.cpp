// The page dialogs' site and pages: created from the module's list with a tab each, shown one
// at a time in the page frame's place, applied as soon as a page reports a change.
#include "SkinnedPageDialog.h"

#include "CaptionFrameHelper.h"
#include "EffectIds.h"
#include "HelpLauncher.h"
#include "ModuleObjects.h"

#include <cstdlib>

namespace {

void FreePageInfo(PROPPAGEINFO& info)
{
    for (LPOLESTR text : {info.pszTitle, info.pszDocString, info.pszHelpFile})
        ::CoTaskMemFree(text);
    info.pszTitle = info.pszDocString = info.pszHelpFile = nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(CSkinnedPageDialog, CDialog)
    ON_WM_DRAWITEM()
    ON_WM_CTLCOLOR()
    ON_WM_NCCALCSIZE()
    ON_WM_NCHITTEST()
    ON_WM_NCACTIVATE()
    ON_WM_NCPAINT()
END_MESSAGE_MAP()

BEGIN_INTERFACE_MAP(CSkinnedPageDialog, CDialog)
    INTERFACE_PART(CSkinnedPageDialog, IID_IPropertyPageSite, m_site)
END_INTERFACE_MAP()

CSkinnedPageDialog::CSkinnedPageDialog(UINT templateId, CWnd* parent)
    : CDialog(templateId, parent), m_pageFrameId(IDC_EFFECT_PAGE_FRAME)
{
    m_site.owner = this;
}

CSkinnedPageDialog::~CSkinnedPageDialog()
{
    ReleasePages();
    delete m_captionFrame;
    delete m_skinBitmap;
}

BOOL CSkinnedPageDialog::PreTranslateMessage(MSG* msg)
{
    if (m_captionFrame && m_captionFrame->FilterMessage(msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

// --- the site ----------------------------------------------------------------------------

STDMETHODIMP CSkinnedPageDialog::PageSite::QueryInterface(REFIID iid, void** out)
{
    return Owner()->ExternalQueryInterface(&iid, out);
}

STDMETHODIMP_(ULONG) CSkinnedPageDialog::PageSite::AddRef()
{
    return Owner()->ExternalAddRef();
}

STDMETHODIMP_(ULONG) CSkinnedPageDialog::PageSite::Release()
{
    return Owner()->ExternalRelease();
}

STDMETHODIMP CSkinnedPageDialog::PageSite::OnStatusChange(DWORD)
{
    Owner()->ApplyCurrentPage();
    return S_OK;
}

STDMETHODIMP CSkinnedPageDialog::PageSite::GetLocaleID(LCID* locale)
{
    if (!locale)
        return E_POINTER;
    *locale = ::GetThreadLocale();
    return S_OK;
}

STDMETHODIMP CSkinnedPageDialog::PageSite::GetPageContainer(IUnknown** container)
{
    if (container)
        *container = nullptr;
    return E_FAIL;
}

STDMETHODIMP CSkinnedPageDialog::PageSite::TranslateAccelerator(MSG* msg)
{
    return msg && Owner()->PreTranslateMessage(msg) ? S_OK : S_FALSE;
}

void CSkinnedPageDialog::ApplyCurrentPage()
{
    if (static_cast<size_t>(m_currentPage) < m_pages.size())
        m_pages[static_cast<size_t>(m_currentPage)]->Apply();
}

// --- the pages ---------------------------------------------------------------------------

HRESULT CSkinnedPageDialog::CreatePage(const CLSID& pageClass, HMODULE module, IUnknown* object,
                                       ComRef<IPropertyPage>* page)
{
    HRESULT hr;
    if (module)
        hr = CreateObjectFromModule(module, pageClass, IID_IPropertyPage, page->OutVoid());
    else
        hr = ::CoCreateInstance(pageClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IPropertyPage,
                                page->OutVoid());
    if (SUCCEEDED(hr) && !*page)
        hr = E_FAIL;
    if (FAILED(hr))
        return hr;
    (*page)->SetPageSite(&m_site);
    (*page)->SetObjects(1, &object);
    return S_OK;
}

HRESULT CSkinnedPageDialog::CreatePropertyPages(IUnknown* object, HMODULE module)
{
    ComRef<ISpecifyPropertyPages> specify;
    if (!object || FAILED(object->QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid())))
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
    for (ULONG i = 0; i < list.cElems; ++i) {
        ComRef<IPropertyPage> page;
        hr = CreatePage(list.pElems[i], module, object, &page);
        if (FAILED(hr)) {
            ShowStop(IDS_PLUGIN_LOAD_FAILED, MB_ICONSTOP);
            return hr;
        }
        m_pages.push_back(page);
        PROPPAGEINFO info{};
        info.cb = sizeof info;
        page->GetPageInfo(&info);
        char title[260] = {};
        if (info.pszTitle)
            ::WideCharToMultiByte(CP_ACP, 0, info.pszTitle, -1, title, sizeof title, nullptr, nullptr);
        if (m_tabs.m_hWnd) {
            m_tabs.InsertItem(static_cast<int>(i), title);
            if (list.cElems >= 2)
                m_tabs.ModifyStyle(0, WS_TABSTOP);
        }
        FreePageInfo(info);
    }
    return list.cElems ? S_OK : S_FALSE;
}

RECT CSkinnedPageDialog::PageFrameRect()
{
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(m_hWnd, static_cast<int>(m_pageFrameId)), &rect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CSkinnedPageDialog::ShowPage(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_pages.size())
        return;
    DeactivateCurrentPage();
    m_currentPage = index;
    IPropertyPage* page = m_pages[static_cast<size_t>(index)].Get();
    RECT frame = PageFrameRect();
    page->Activate(m_hWnd, &frame, TRUE);
    page->Move(&frame);
    page->Show(SW_SHOW);
}

void CSkinnedPageDialog::DeactivateCurrentPage()
{
    if (static_cast<size_t>(m_currentPage) < m_pages.size())
        m_pages[static_cast<size_t>(m_currentPage)]->Deactivate();
}

void CSkinnedPageDialog::RefreshPages(IUnknown* object)
{
    for (ComRef<IPropertyPage>& page : m_pages)
        page->SetObjects(1, &object);
}

void CSkinnedPageDialog::ReleasePages()
{
    for (ComRef<IPropertyPage>& page : m_pages) {
        page->SetObjects(0, nullptr);
        page->SetPageSite(nullptr);
    }
    m_pages.clear();
}

void CSkinnedPageDialog::ShowPageHelp(UINT winHelpCommand)
{
    if (m_pages.empty())
        return;
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    if (FAILED(m_pages[0]->GetPageInfo(&info)))
        return;
    if (info.pszHelpFile && info.pszHelpFile[0]) {
        char file[MAX_PATH] = {};
        ::WideCharToMultiByte(CP_ACP, 0, info.pszHelpFile, -1, file, sizeof file, nullptr, nullptr);
        if (file[0] == '4') {
            HelpLauncher help;
            help.ShowTopic(static_cast<DWORD>(std::strtoul(file, nullptr, 10)), 0);
        } else {
            ::WinHelpA(m_hWnd, file, winHelpCommand, info.dwHelpContext);
        }
    }
    FreePageInfo(info);
}
