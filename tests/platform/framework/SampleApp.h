// The sample application the framework tests drive: an MDI program with one document template
// (document, child frame, view), a tool bar, a status bar, a dialog bar, a values dialog and a
// two-page property sheet. Every command handler appends its owner's name to a trace, so tests
// can see where a command went.
#pragma once
#include "Framework.h"
#include "SampleResource.h"
#include <string>
#include <vector>

// Where handled commands went, in order ("view:32810", ...).
std::vector<std::string>& CommandTrace();
void Trace(const char* who, UINT id);

class CSampleDoc : public CDocument {
    DECLARE_DYNCREATE(CSampleDoc)
public:
    CSampleDoc();
    ~CSampleDoc() override;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* path) override;
    BOOL OnSaveDocument(const char* path) override;

    // State the update handlers read.
    bool m_locked = false;
    bool m_toggled = false;
    int m_picked = ID_PICK_FIRST;
    std::vector<std::string> m_savedTo;
    ULONGLONG m_openedLength = 0; // size of the file when it was opened
    static int s_liveCount;
    static std::vector<std::string> s_allSaves; // every save of every document

    void OnRoute(UINT id);
    void OnToggle();
    void OnUpdateToggle(CCmdUI* cmdUI);
    void OnPick(UINT id);
    void OnUpdatePick(CCmdUI* cmdUI);
    DECLARE_MESSAGE_MAP()
};

class CSampleView : public CView {
    DECLARE_DYNCREATE(CSampleView)
public:
    CSampleDoc* GetDocument() const { return static_cast<CSampleDoc*>(m_pDocument); }
    int m_initialUpdates = 0;
    int m_updates = 0;
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    // Every activation change, in order: "+" activated, "-" deactivated.
    std::string m_activations;
    void OnActivateView(BOOL activate, CView* activated, CView* deactivated) override;
    void OnRoute(UINT id);
    DECLARE_MESSAGE_MAP()
};

class CSampleChild : public CMDIChildWnd {
    DECLARE_DYNCREATE(CSampleChild)
public:
    void OnRoute(UINT id);
    DECLARE_MESSAGE_MAP()
};

class CSampleMainFrame : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CSampleMainFrame)
public:
    CToolBar m_toolBar;
    CStatusBar m_statusBar;
    CDialogBar m_dialogBar;
    bool m_barButtonEnabled = false;
    int m_barClicks = 0;

    int OnCreate(LPCREATESTRUCTA cs);
    void OnRoute(UINT id);
    void OnUpdateDocCount(CCmdUI* cmdUI);
    void OnBarButton();
    void OnUpdateBarButton(CCmdUI* cmdUI);
    LRESULT OnPingMessage(WPARAM wParam, LPARAM lParam);
    static UINT s_pingMessage;
    int m_pings = 0;
    DECLARE_MESSAGE_MAP()
};

class CSampleApp : public CWinApp {
public:
    explicit CSampleApp(const char* appName);
    // Registers the template and creates the main frame (what a program's InitInstance does).
    BOOL InitInstance() override;
    CDocTemplate* Template()
    {
        POSITION pos = GetFirstDocTemplatePosition();
        return GetNextDocTemplate(pos);
    }
    CSampleMainFrame* MainFrame() { return static_cast<CSampleMainFrame*>(m_pMainWnd); }

    void OnRoute(UINT id);
    void OnPing();
    DECLARE_MESSAGE_MAP()
};

// The values dialog: count 1..10, a name, a check box, a radio group, a combo box and a gain.
class CValuesDlg : public CDialog {
public:
    explicit CValuesDlg(CWnd* parent = nullptr) : CDialog(IDD_VALUES, parent) {}
    int m_count = 3;
    CString m_name = "first";
    int m_enabled = 1;
    int m_choice = 1;
    int m_kind = 0;
    double m_gain = 0.5;
    CEdit m_nameEdit;
    CComboBox m_kindBox;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
};

class CPageOne : public CPropertyPage {
public:
    CPageOne() : CPropertyPage(IDD_PAGE_ONE) {}
    int m_number = 4;
    int m_applied = 0;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnApply() override;
};

class CPageTwo : public CPropertyPage {
public:
    CPageTwo() : CPropertyPage(IDD_PAGE_TWO) {}
    CString m_text = "two";
    int m_activations = 0;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnSetActive() override;
};

// A floating tool frame that counts its objects.
class CSampleMiniFrame : public CMiniFrameWnd {
public:
    static int s_liveCount;
    CSampleMiniFrame() { ++s_liveCount; }
    ~CSampleMiniFrame() override { --s_liveCount; }
};

// An MDI child frame that counts its objects.
class CSampleCountedChild : public CMDIChildWnd {
public:
    static int s_liveCount;
    CSampleCountedChild() { ++s_liveCount; }
    ~CSampleCountedChild() override { --s_liveCount; }
};
