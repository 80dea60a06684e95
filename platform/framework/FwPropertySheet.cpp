#include "FwPropertySheet.h"
#include "FwApp.h"

namespace {
thread_local CPropertySheet* t_sheetBeingCreated = nullptr;
}

// ============================================================================================
// CPropertyPage

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

BEGIN_MESSAGE_MAP(CPropertyPage, CDialog)
END_MESSAGE_MAP()

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId, nullptr)
{
    if (captionId)
        m_strCaption.LoadString(captionId);
}

BOOL CPropertyPage::OnSetActive()
{
    // The first activation follows OnInitDialog, which has filled the controls already.
    if (!m_bFirstSetActive)
        UpdateData(FALSE);
    m_bFirstSetActive = FALSE;
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

void CPropertyPage::SetModified(BOOL changed)
{
    HWND sheet = ::GetParent(m_hWnd);
    if (sheet)
        ::SendMessageA(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    switch (header->code) {
    case PSN_SETACTIVE:
        if (m_pSheet)
            m_pSheet->m_nLastActive = m_pSheet->GetPageIndex(this);
        *result = OnSetActive() ? 0 : -1;
        return TRUE;
    case PSN_KILLACTIVE:
        *result = OnKillActive() ? FALSE : TRUE;
        return TRUE;
    case PSN_APPLY:
        if (!OnApply()) {
            *result = PSNRET_INVALID_NOCHANGEPAGE;
            return TRUE;
        }
        // OK (not Apply) closes the sheet as accepted.
        if (m_pSheet && reinterpret_cast<PSHNOTIFY*>(lParam)->lParam)
            m_pSheet->m_bClosedWithOK = TRUE;
        *result = PSNRET_NOERROR;
        return TRUE;
    case PSN_RESET:
        OnReset();
        *result = 0;
        return TRUE;
    case PSN_QUERYCANCEL:
        *result = OnQueryCancel() ? FALSE : TRUE;
        return TRUE;
    default:
        return CDialog::OnNotify(wParam, lParam, result);
    }
}

INT_PTR CALLBACK CPropertyPage::PageDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        // The page object comes in the PROPSHEETPAGE the sheet built.
        const PROPSHEETPAGEA* psp = reinterpret_cast<const PROPSHEETPAGEA*>(lp);
        CPropertyPage* page = psp ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
        if (!page)
            return TRUE;
        page->m_bModal = FALSE;
        page->m_bFirstSetActive = TRUE;
        page->AttachObject(hwnd);
        return page->HandleDialogMessage(msg, wp, lp);
    }
    return CDialog::DialogProc(hwnd, msg, wp, lp);
}

// ============================================================================================
// CPropertySheet

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : m_strCaption(caption), m_pParentWnd(parent), m_nStartPage(selectPage)
{
}

CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage)
    : m_pParentWnd(parent), m_nStartPage(selectPage)
{
    m_strCaption.LoadString(captionId);
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    if (!page)
        return;
    page->m_pSheet = this;
    m_pages.push_back(page);
    if (m_hWnd) {
        std::vector<PROPSHEETPAGEA> one;
        BuildHeader(one, m_bModeless);
        HPROPSHEETPAGE handle = ::CreatePropertySheetPageA(&one.back());
        if (handle)
            SendMessage(PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle));
    }
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const
{
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i] == page)
            return static_cast<int>(i);
    return -1;
}

int CPropertySheet::GetActiveIndex() const
{
    if (!m_hWnd)
        return m_nLastActive;
    HWND tab = reinterpret_cast<HWND>(SendMessage(PSM_GETTABCONTROL));
    return tab ? static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0)) : m_nLastActive;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    int index = GetActiveIndex();
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

BOOL CPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= GetPageCount())
        return FALSE;
    if (!m_hWnd) {
        m_nStartPage = static_cast<UINT>(index);
        return TRUE;
    }
    return static_cast<BOOL>(SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(index), 0));
}

void CPropertySheet::BuildHeader(std::vector<PROPSHEETPAGEA>& pages, BOOL modeless)
{
    pages.clear();
    for (CPropertyPage* page : m_pages) {
        PROPSHEETPAGEA psp = page->m_psp;
        psp.dwSize = sizeof psp;
        psp.dwFlags |= PSP_DEFAULT;
        psp.hInstance = AfxGetResourceHandle();
        psp.pszTemplate = MAKEINTRESOURCEA(page->m_nIDTemplate);
        psp.pfnDlgProc = &CPropertyPage::PageDialogProc;
        psp.lParam = reinterpret_cast<LPARAM>(page);
        if (!page->m_strCaption.IsEmpty()) {
            psp.dwFlags |= PSP_USETITLE;
            psp.pszTitle = page->m_strCaption;
        }
        pages.push_back(psp);
    }
    m_psh.dwSize = sizeof m_psh;
    // A sheet run modeless once and modal later must not keep the modeless flag.
    m_psh.dwFlags =
        (m_psh.dwFlags & ~PSH_MODELESS) | PSH_PROPSHEETPAGE | PSH_USECALLBACK | (modeless ? PSH_MODELESS : 0);
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.pszCaption = m_strCaption;
    m_psh.nPages = static_cast<UINT>(pages.size());
    m_psh.nStartPage = m_nStartPage < pages.size() ? m_nStartPage : 0;
    m_psh.ppsp = pages.data();
    m_psh.pfnCallback = &CPropertySheet::SheetCallback;
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : (AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr);
    m_psh.hwndParent = parent;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT msg, LPARAM)
{
    if (msg == PSCB_INITIALIZED && t_sheetBeingCreated) {
        CPropertySheet* sheet = t_sheetBeingCreated;
        t_sheetBeingCreated = nullptr;
        sheet->SubclassWindow(hwnd);
        sheet->OnInitDialog();
    }
    return 0;
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_pages.empty())
        return IDCANCEL;
    std::vector<PROPSHEETPAGEA> pages;
    m_bModeless = FALSE;
    BuildHeader(pages, FALSE);
    m_bClosedWithOK = FALSE;
    m_nLastActive = static_cast<int>(m_psh.nStartPage);
    for (CPropertyPage* page : m_pages)
        page->m_bFirstSetActive = TRUE;
    t_sheetBeingCreated = this;
    m_psh.hwndParent = kvfw::TopLevelOwner(m_psh.hwndParent);
    kvfw::ModalOwnerScope modal(m_psh.hwndParent);
    INT_PTR result = ::PropertySheetA(&m_psh);
    t_sheetBeingCreated = nullptr;
    if (m_hWnd)
        UnsubclassWindow();
    if (result < 0)
        return -1;
    return m_bClosedWithOK ? IDOK : IDCANCEL;
}

BOOL CPropertySheet::Create(CWnd* parent, DWORD style, DWORD exStyle)
{
    if (m_pages.empty())
        return FALSE;
    if (parent)
        m_pParentWnd = parent;
    m_bModeless = TRUE;
    static thread_local std::vector<PROPSHEETPAGEA> pages; // read during creation only
    BuildHeader(pages, TRUE);
    t_sheetBeingCreated = this;
    HWND hwnd = reinterpret_cast<HWND>(::PropertySheetA(&m_psh));
    t_sheetBeingCreated = nullptr;
    if (!hwnd)
        return FALSE;
    if (!m_hWnd)
        SubclassWindow(hwnd);
    if (style != static_cast<DWORD>(-1))
        ::SetWindowLongPtrA(hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
    if (exStyle)
        ::SetWindowLongPtrA(hwnd, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
    return TRUE;
}
