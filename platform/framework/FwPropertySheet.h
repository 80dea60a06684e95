// CPropertySheet with CPropertyPage pages (each page a dialog template). DoModal returns IDOK
// when the sheet was closed with OK, IDCANCEL otherwise; GetActiveIndex afterwards gives the page
// shown last. Pages get OnSetActive, OnKillActive (validates by UpdateData), OnApply (calls OnOK),
// OnCancel and OnQueryCancel.
#pragma once
#include "FwDialog.h"
#include <prsht.h>
#include <vector>

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);

    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel() { return TRUE; }
    // Pages do not end the sheet: OK and Cancel belong to it.
    void OnOK() override {}
    void OnCancel() override {}
    // Enables or disables the sheet's Apply button for this page.
    void SetModified(BOOL changed = TRUE);
    CPropertySheet* GetSheet() const { return m_pSheet; }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    PROPSHEETPAGEA m_psp = {};

protected:
    static INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    CPropertySheet* m_pSheet = nullptr;
    CString m_strCaption;
    BOOL m_bFirstSetActive = TRUE;
    friend class CPropertySheet;
    DECLARE_MESSAGE_MAP()
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    explicit CPropertySheet(const char* caption = nullptr, CWnd* parent = nullptr, UINT selectPage = 0);
    explicit CPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);

    void AddPage(CPropertyPage* page); // pages are not owned
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const { return m_pages.at(static_cast<size_t>(index)); }
    int GetPageIndex(const CPropertyPage* page) const;
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
    void SetTitle(const char* title) { m_strCaption = title ? title : ""; }
    BOOL PressButton(int button)
    {
        return static_cast<BOOL>(SendMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0));
    }

    virtual INT_PTR DoModal();
    // Modeless sheet; destroy it with DestroyWindow.
    virtual BOOL Create(CWnd* parent = nullptr, DWORD style = static_cast<DWORD>(-1), DWORD exStyle = 0);
    virtual BOOL OnInitDialog() { return TRUE; }

    PROPSHEETHEADERA m_psh = {};

protected:
    void BuildHeader(std::vector<PROPSHEETPAGEA>& pages, BOOL modeless);
    static int CALLBACK SheetCallback(HWND hwnd, UINT msg, LPARAM lp);
    std::vector<CPropertyPage*> m_pages;
    CString m_strCaption;
    CWnd* m_pParentWnd = nullptr;
    UINT m_nStartPage = 0;
    int m_nLastActive = 0;
    BOOL m_bClosedWithOK = FALSE;
    BOOL m_bModeless = FALSE;
    friend class CPropertyPage;
};
