#include "SampleApp.h"

std::vector<std::string>& CommandTrace()
{
    static std::vector<std::string> trace;
    return trace;
}

void Trace(const char* who, UINT id)
{
    CommandTrace().push_back(std::string(who) + ":" + std::to_string(id));
}

// ---- document --------------------------------------------------------------------------------

int CSampleDoc::s_liveCount = 0;
std::vector<std::string> CSampleDoc::s_allSaves;

IMPLEMENT_DYNCREATE(CSampleDoc, CDocument)

BEGIN_MESSAGE_MAP(CSampleDoc, CDocument)
    ON_COMMAND_RANGE(ID_ROUTE_VIEW, ID_ROUTE_DOC, OnRoute)
    ON_COMMAND(ID_SAMPLE_TOGGLE, OnToggle)
    ON_UPDATE_COMMAND_UI(ID_SAMPLE_TOGGLE, OnUpdateToggle)
    ON_COMMAND_RANGE(ID_PICK_FIRST, ID_PICK_LAST, OnPick)
    ON_UPDATE_COMMAND_UI_RANGE(ID_PICK_FIRST, ID_PICK_LAST, OnUpdatePick)
END_MESSAGE_MAP()

CSampleDoc::CSampleDoc()
{
    ++s_liveCount;
}
CSampleDoc::~CSampleDoc()
{
    --s_liveCount;
}

BOOL CSampleDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

BOOL CSampleDoc::OnOpenDocument(const char* path)
{
    // Opens only files that can be read while others may read them too.
    DWORD error = 0;
    CFile* file = GetFile(path, CFile::modeRead | CFile::shareDenyWrite, &error);
    if (!file) {
        ReportSaveLoadException(path, error, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        return FALSE;
    }
    m_openedLength = file->GetLength();
    ReleaseFile(file, FALSE);
    return CDocument::OnOpenDocument(path);
}

BOOL CSampleDoc::OnSaveDocument(const char* path)
{
    m_savedTo.emplace_back(path);
    s_allSaves.emplace_back(path);
    return CDocument::OnSaveDocument(path);
}

void CSampleDoc::OnRoute(UINT id)
{
    Trace("doc", id);
}

void CSampleDoc::OnToggle()
{
    m_toggled = !m_toggled;
    Trace("doc", ID_SAMPLE_TOGGLE);
}

void CSampleDoc::OnUpdateToggle(CCmdUI* cmdUI)
{
    cmdUI->Enable(!m_locked);
    cmdUI->SetCheck(m_toggled ? 1 : 0);
}

void CSampleDoc::OnPick(UINT id)
{
    m_picked = static_cast<int>(id);
    Trace("doc", id);
}

void CSampleDoc::OnUpdatePick(CCmdUI* cmdUI)
{
    if (cmdUI->m_hSubMenu) {
        // The "Pick" entry of the Edit menu itself.
        cmdUI->Enable(!m_locked);
        return;
    }
    cmdUI->SetRadio(static_cast<int>(cmdUI->m_nID) == m_picked);
}

// ---- view ------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CSampleView, CView)

BEGIN_MESSAGE_MAP(CSampleView, CView)
    ON_COMMAND_RANGE(ID_ROUTE_VIEW, ID_ROUTE_VIEW, OnRoute)
END_MESSAGE_MAP()

void CSampleView::OnInitialUpdate()
{
    ++m_initialUpdates;
    CView::OnInitialUpdate();
}

void CSampleView::OnUpdate(CView* sender, LPARAM hint, CObject* hintObject)
{
    ++m_updates;
    CView::OnUpdate(sender, hint, hintObject);
}

void CSampleView::OnActivateView(BOOL activate, CView* activated, CView* deactivated)
{
    m_activations += activate ? "+" : "-";
    CView::OnActivateView(activate, activated, deactivated);
}

void CSampleView::OnRoute(UINT id)
{
    Trace("view", id);
}

// ---- child frame -----------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CSampleChild, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CSampleChild, CMDIChildWnd)
    ON_COMMAND_RANGE(ID_ROUTE_VIEW, ID_ROUTE_CHILD, OnRoute)
END_MESSAGE_MAP()

void CSampleChild::OnRoute(UINT id)
{
    Trace("child", id);
}

// ---- main frame ------------------------------------------------------------------------------

UINT CSampleMainFrame::s_pingMessage = ::RegisterWindowMessageA("KvFwSamplePing");

IMPLEMENT_DYNCREATE(CSampleMainFrame, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(CSampleMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND_RANGE(ID_ROUTE_VIEW, ID_ROUTE_MAIN, OnRoute)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_DOCS, OnUpdateDocCount)
    ON_COMMAND(IDC_BAR_BUTTON, OnBarButton)
    ON_UPDATE_COMMAND_UI(IDC_BAR_BUTTON, OnUpdateBarButton)
    ON_REGISTERED_MESSAGE(s_pingMessage, OnPingMessage)
END_MESSAGE_MAP()

int CSampleMainFrame::OnCreate(LPCREATESTRUCTA cs)
{
    if (CMDIFrameWnd::OnCreate(cs) == -1)
        return -1;
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS) ||
        !m_toolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_DOCS, ID_INDICATOR_CAPS};
    if (!m_statusBar.Create(this) || !m_statusBar.SetIndicators(indicators, 3))
        return -1;
    if (!m_dialogBar.Create(this, IDD_BAR, WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_DIALOGBAR))
        return -1;
    RecalcLayout();
    return 0;
}

void CSampleMainFrame::OnRoute(UINT id)
{
    Trace("main", id);
}

void CSampleMainFrame::OnUpdateDocCount(CCmdUI* cmdUI)
{
    CSampleApp* app = static_cast<CSampleApp*>(AfxGetApp());
    CString text;
    text.Format("Documents: %d", app->Template()->GetDocumentCount());
    cmdUI->SetText(text);
}

void CSampleMainFrame::OnBarButton()
{
    ++m_barClicks;
}

void CSampleMainFrame::OnUpdateBarButton(CCmdUI* cmdUI)
{
    cmdUI->Enable(m_barButtonEnabled);
}

LRESULT CSampleMainFrame::OnPingMessage(WPARAM wParam, LPARAM lParam)
{
    m_pings += static_cast<int>(wParam);
    return lParam + 1;
}

// ---- application -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSampleApp, CWinApp)
    ON_COMMAND_RANGE(ID_ROUTE_VIEW, ID_ROUTE_APP, OnRoute)
    ON_COMMAND(ID_SAMPLE_PING, OnPing)
END_MESSAGE_MAP()

CSampleApp::CSampleApp(const char* appName) : CWinApp(appName) {}

BOOL CSampleApp::InitInstance()
{
    SetRegistryKey("KvTest");
    LoadStdProfileSettings(4);
    AddDocTemplate(new CMultiDocTemplate(IDR_SAMPLEDOC, RUNTIME_CLASS(CSampleDoc), RUNTIME_CLASS(CSampleChild),
                                         RUNTIME_CLASS(CSampleView)));
    CSampleMainFrame* frame = new CSampleMainFrame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
        return FALSE;
    m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
    return TRUE;
}

void CSampleApp::OnRoute(UINT id)
{
    Trace("app", id);
}

void CSampleApp::OnPing()
{
    Trace("app", ID_SAMPLE_PING);
}

// ---- dialogs ---------------------------------------------------------------------------------

BOOL CValuesDlg::OnInitDialog()
{
    for (const char* kind : {"Plain", "Fancy", "Odd"})
        SendDlgItemMessage(IDC_KIND, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kind));
    return CDialog::OnInitDialog();
}

void CValuesDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, IDC_NAME, m_nameEdit);
    DDX_Control(dx, IDC_KIND, m_kindBox);
    DDX_Text(dx, IDC_COUNT, m_count);
    DDV_MinMaxInt(dx, m_count, 1, 10);
    DDX_Text(dx, IDC_NAME, m_name);
    DDV_MaxChars(dx, m_name, 12);
    DDX_Check(dx, IDC_ENABLED, m_enabled);
    DDX_Radio(dx, IDC_RADIO_A, m_choice);
    DDX_CBIndex(dx, IDC_KIND, m_kind);
    DDX_Text(dx, IDC_GAIN, m_gain);
    DDV_MinMaxDouble(dx, m_gain, 0.0, 1.0);
}

void CPageOne::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_PAGE_NUMBER, m_number);
    DDV_MinMaxInt(dx, m_number, 0, 99);
}

BOOL CPageOne::OnApply()
{
    ++m_applied;
    return CPropertyPage::OnApply();
}

void CPageTwo::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_PAGE_TEXT, m_text);
}

BOOL CPageTwo::OnSetActive()
{
    ++m_activations;
    return CPropertyPage::OnSetActive();
}

int CSampleMiniFrame::s_liveCount = 0;
int CSampleCountedChild::s_liveCount = 0;
