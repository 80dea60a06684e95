// CSkinnedPageDialog: the base of the dialogs that host a module's COM property pages in the
// skin's look (the effect dialog, the generator dialog, Sample Type). It is the pages' site
// (a page that reports a change is applied at once, so the module always holds what the page
// shows), creates the pages from the module's list with a tab each, switches between them in
// the place of the page frame (control 180, or m_pageFrameId), and draws the dialog: the background tiled from
// skin image 106, owner-drawn buttons (107/108) and tabs, transparent statics, and the skinned
// frame "frame".
//
//   class CMyDialog : public CSkinnedPageDialog { ... };   // chains its message map to this one
//   OnInitDialog: MakeBackground(); CreatePropertyPages(filter, module); ShowPage(0);
#pragma once
#include "ComRef.h"
#include "Framework.h"

#include <vector>

#include <ocidl.h>

class CaptionFrameHelper;

class CSkinnedPageDialog : public CDialog {
public:
    CSkinnedPageDialog(UINT templateId, CWnd* parent);
    ~CSkinnedPageDialog() override;

    size_t PageCount() const { return m_pages.size(); }
    int CurrentPage() const { return m_currentPage; }

    // The embedded page site: identity and count are the dialog's (interface map).
    struct PageSite : IPropertyPageSite {
        STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP OnStatusChange(DWORD flags) override;
        STDMETHODIMP GetLocaleID(LCID* locale) override;
        STDMETHODIMP GetPageContainer(IUnknown** container) override;
        STDMETHODIMP TranslateAccelerator(MSG* msg) override;
        CSkinnedPageDialog* Owner() { return owner; }
        CSkinnedPageDialog* owner = nullptr;
    } m_site;

protected:
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL DestroyWindow() override;

    // Pages. One page of the class, from the module when given, else by registration; the
    // site and the object set. Failure: the code, no page.
    HRESULT CreatePage(const CLSID& pageClass, HMODULE module, IUnknown* object, ComRef<IPropertyPage>* page);
    // Every page the object lists, each with a tab titled by its page (when the dialog has
    // tabs: m_tabs bound); "Failed to load the plugin(s)." and the code when one fails. S_FALSE
    // when the object lists no pages.
    HRESULT CreatePropertyPages(IUnknown* object, HMODULE module);
    // Deactivates the page shown and shows page `index` in the page frame's place.
    void ShowPage(int index);
    void ApplyCurrentPage();
    // The object changed from outside the pages: every page reads it again.
    void RefreshPages(IUnknown* object);
    void DeactivateCurrentPage();
    void ReleasePages();
    // Help of the first page: a topic number ("4...") through the help launcher, else the
    // page's help file with the command given (HELP_CONTEXT, HELP_CONTENTS).
    void ShowPageHelp(UINT winHelpCommand);
    // The page frame's rectangle in client coordinates.
    RECT PageFrameRect();
    // The hidden control whose place the pages take.
    UINT m_pageFrameId;

    // Drawing.
    void MakeBackground();
    void FillBackground(HDC dc, HWND control, const RECT& rect);
    void DrawButton(LPDRAWITEMSTRUCT item);
    void DrawTab(LPDRAWITEMSTRUCT item);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT item);
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind);
    void OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params);
    LRESULT OnNcHitTest(CPoint point);
    BOOL OnNcActivate(BOOL active);
    void OnNcPaint();
    void ShowStop(UINT stringId, UINT icon);

    DECLARE_INTERFACE_MAP()
    DECLARE_MESSAGE_MAP()

    std::vector<ComRef<IPropertyPage>> m_pages;
    int m_currentPage = 0;
    CTabCtrl m_tabs; // bound by the derived dialog when it has tabs
    CBitmap* m_skinBitmap = nullptr;
    CBrush m_background;
    CaptionFrameHelper* m_captionFrame = nullptr;
};
