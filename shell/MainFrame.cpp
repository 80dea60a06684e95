#include "MainFrame.h"
#include "ChildFrame.h"
#include "ClipboardCommands.h"
#include "FormatConverter.h"
#include "MainFrameCommandState.h"
#include "MainFrameIds.h"
#include "MainFrameWiring.h"
#include "MultiTrackView.h"
#include "NyMiniFrame.h"
#include "ProgressReporter.h"
#include "Settings.h"
#include "resource.h"

#include <commctrl.h>

#include <cstring>

const char CMainFrame::kWindowClass[] = "KorvaneSound FrameWnd";

namespace {

const UINT kWorkerProgressMessage = 0x40A;
const UINT kCdExtractMessage = 0x1400;
const UINT kMsgOpenProgress = ProgressOpenMessage();
const UINT kMsgUpdateProgress = ProgressUpdateMessage();
const UINT kMsgCloseProgress = ProgressCloseMessage();
const UINT kMsgReopenDocument = ::RegisterWindowMessageA("MsgReopenDocument");

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

// One drop at a time, program-wide.
bool g_dropInProgress = false;

} // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_QUERYENDSESSION()
    ON_REGISTERED_MESSAGE(kMsgOpenProgress, OnOpenProgress)
    ON_REGISTERED_MESSAGE(kMsgUpdateProgress, OnUpdateProgress)
    ON_REGISTERED_MESSAGE(kMsgCloseProgress, OnCloseProgress)
    ON_MESSAGE(kWorkerProgressMessage, OnProgressMessage)
    ON_MESSAGE(kCdExtractMessage, OnCdExtractProgress)
    ON_REGISTERED_MESSAGE(kMsgReopenDocument, OnReopenDocument)
    ON_WM_ACTIVATEAPP()
    ON_WM_TIMER()
    ON_WM_DROPFILES()
    ON_WM_DESTROYCLIPBOARD()
    ON_WM_PALETTECHANGED()
    ON_WM_QUERYNEWPALETTE()
    ON_WM_CONTEXTMENU()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_INITMENU()
    ON_WM_INITMENUPOPUP()
    ON_COMMAND_RANGE(ID_VIEW_VIDEO_PREVIEW, ID_VIEW_VIDEO_PREVIEW, OnTogglePane)
    ON_COMMAND_RANGE(ID_VIEW_SELECTION_CONTROL, ID_VIEW_CONTROLLER, OnTogglePane)
    ON_COMMAND_RANGE(ID_VIEW_MARKER_LIST, ID_VIEW_MARKER_LIST, OnTogglePane)
    ON_COMMAND_RANGE(ID_VIEW_MIXER, ID_VIEW_MIXER, OnTogglePane)
    ON_COMMAND_RANGE(ID_VIEW_EFFECT_LAUNCHER, ID_VIEW_EFFECT_LAUNCHER, OnTogglePane)
    ON_UPDATE_COMMAND_UI(ID_VIEW_VIDEO_PREVIEW, OnUpdateTogglePane)
    ON_UPDATE_COMMAND_UI(ID_VIEW_CONTROLLER, OnUpdateTogglePane)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SELECTION_CONTROL, OnUpdateTogglePane)
    ON_UPDATE_COMMAND_UI(ID_VIEW_MARKER_LIST, OnUpdateTogglePane)
    ON_UPDATE_COMMAND_UI(ID_VIEW_MIXER, OnUpdateTogglePane)
    ON_UPDATE_COMMAND_UI(ID_VIEW_EFFECT_LAUNCHER, OnUpdateTogglePane)
    ON_COMMAND(ID_VIEW_FREQUENCY_ANALYSIS, OnFrequencyAnalysis)
    ON_UPDATE_COMMAND_UI(ID_VIEW_FREQUENCY_ANALYSIS, OnUpdateFrequencyAnalysis)
    ON_COMMAND(ID_AUTO_DEMO, OnAutoDemo)
    ON_UPDATE_COMMAND_UI(ID_AUTO_DEMO, OnUpdateFrequencyAnalysis)
    ON_COMMAND(ID_SETTINGS, OnSettings)
    ON_COMMAND(ID_AUDIO_DEVICE_SETTINGS, OnAudioDeviceSettings)
    ON_UPDATE_COMMAND_UI(ID_SETTINGS, OnUpdateSettings)
    ON_UPDATE_COMMAND_UI(ID_AUDIO_DEVICE_SETTINGS, OnUpdateSettings)
    ON_COMMAND(ID_EXTRACT_CD, OnExtractCd)
    ON_UPDATE_COMMAND_UI(ID_EXTRACT_CD, OnUpdateExtractCd)
    ON_COMMAND_RANGE(ID_BURN_CD_WINDOW, ID_BURN_CD_FILES, OnBurnCd)
    ON_UPDATE_COMMAND_UI(ID_BURN_CD_WINDOW, OnUpdateBurnCd)
    ON_UPDATE_COMMAND_UI(ID_BURN_CD_FILES, OnUpdateBurnCd)
    ON_COMMAND(ID_RECORDING_CONTROL, OnRecordingControl)
    ON_UPDATE_COMMAND_UI(ID_VIEW_VOLUME_ENVELOPES, OnUpdateViewEnvelopes)
    ON_UPDATE_COMMAND_UI(ID_VIEW_PAN_ENVELOPES, OnUpdateViewEnvelopes)
    ON_UPDATE_COMMAND_UI(ID_VIEW_PAN_ENVELOPES2, OnUpdateViewEnvelopes)
    ON_COMMAND(ID_OPEN_MULTICHANNEL, OnOpenMultichannel)
    ON_UPDATE_COMMAND_UI(ID_OPEN_MULTICHANNEL, OnUpdateOpenMultichannel)
    ON_COMMAND(ID_HELP_CONTENTS, OnHelpContents)
    ON_COMMAND(ID_HELP_ONLINE, OnHelpOnline)
END_MESSAGE_MAP()

CMainFrame::CMainFrame()
{
    frame_wiring::SetAsioInUse(GetSettingInt(kSettingsSection, "AsioUse", 0) != 0);
}

CMainFrame::~CMainFrame()
{
    // Views and the dialog panes (selection, marker list) delete themselves with their windows,
    // which the main window's end has taken down already; only the plain clients are left here.
    for (PaneKind kind : {PaneKind::VideoPreview, PaneKind::Analysis})
        delete m_panes[static_cast<int>(kind)];
    delete m_auxWindowA;
    delete m_auxWindowB;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CMDIFrameWnd::PreCreateWindow(cs))
        return FALSE;
    // No background brush: the MDI client covers the whole client area.
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.hCursor = AfxArrowCursor();
    wc.lpszClassName = kWindowClass;
    if (!AfxRegisterClass(&wc))
        return FALSE;
    cs.lpszClass = kWindowClass;
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCTA cs)
{
    if (CFrameWnd::OnCreate(cs) == -1)
        return -1;
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT,
                            WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY) ||
        !m_toolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    CreateToolBarImages();
    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_statusBar.SetIndicators(kIndicators, static_cast<int>(sizeof kIndicators / sizeof kIndicators[0])))
        return -1;
    EnableDocking(CBRS_ALIGN_ANY);
    m_toolBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_toolBar);
    DragAcceptFiles(TRUE);
    LoadBarState("ToolBars\\State");
    // A private copy left on the clipboard by an earlier run names objects that are gone.
    if (::IsClipboardFormatAvailable(GetCopyClipboardFormat()) && ::OpenClipboard(m_hWnd)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    return 0;
}

void CMainFrame::CreateToolBarImages()
{
    HINSTANCE instance = AfxGetResourceHandle();
    HBITMAP enabled = static_cast<HBITMAP>(::LoadImageA(instance, "ToolBarExE", IMAGE_BITMAP, 0, 0, 0));
    HBITMAP disabled = static_cast<HBITMAP>(::LoadImageA(instance, "ToolBarExD", IMAGE_BITMAP, 0, 0, 0));
    // As many images as the tool bar resource's buttons.
    int count = 0;
    for (int i = 0; i < m_toolBar.GetCount(); ++i)
        if (m_toolBar.GetItemID(i) != ID_SEPARATOR)
            ++count;
    BITMAP info = {};
    if (enabled && disabled && count > 0 && ::GetObjectA(enabled, sizeof info, &info)) {
        const int width = info.bmWidth / count;
        HIMAGELIST normal = reinterpret_cast<HIMAGELIST>(m_toolBar.SendMessage(TB_GETIMAGELIST));
        if (normal) {
            ImageList_Remove(normal, -1);
        } else {
            normal = m_normalImages = ImageList_Create(width, info.bmHeight, ILC_COLOR24 | ILC_MASK, count, 0);
            m_toolBar.SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
        }
        ImageList_AddMasked(normal, enabled, RGB(0xC0, 0xC0, 0xC0));
        m_disabledImages = ImageList_Create(width, info.bmHeight, ILC_COLOR24 | ILC_MASK, count, 0);
        ImageList_AddMasked(m_disabledImages, disabled, RGB(0xC0, 0xC0, 0xC0));
        m_toolBar.SendMessage(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(m_disabledImages));
    }
    if (enabled)
        ::DeleteObject(enabled);
    if (disabled)
        ::DeleteObject(disabled);
    CString title;
    if (title.LoadString(IDS_TOOL_BAR_TITLE))
        m_toolBar.SetWindowText(title);
    m_toolBar.SendMessage(TB_SETEXTENDEDSTYLE, 0, m_toolBar.SendMessage(TB_GETEXTENDEDSTYLE) | TBSTYLE_EX_DRAWDDARROWS);
    int index = m_toolBar.CommandToIndex(ID_ADD_TRACK);
    if (index >= 0)
        m_toolBar.SetButtonStyle(index, m_toolBar.GetButtonStyle(index) | TBSTYLE_DROPDOWN);
}

// Progress messages go on unchanged to the application's progress dialog.
LRESULT CMainFrame::ForwardToProgressDialog(UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* dialog = frame_wiring::ProgressDialog();
    return dialog && dialog->m_hWnd ? dialog->SendMessage(message, wParam, lParam) : 0;
}

LRESULT CMainFrame::OnOpenProgress(WPARAM wParam, LPARAM lParam)
{
    return ForwardToProgressDialog(kMsgOpenProgress, wParam, lParam);
}

LRESULT CMainFrame::OnUpdateProgress(WPARAM wParam, LPARAM lParam)
{
    return ForwardToProgressDialog(kMsgUpdateProgress, wParam, lParam);
}

LRESULT CMainFrame::OnCloseProgress(WPARAM wParam, LPARAM lParam)
{
    return ForwardToProgressDialog(kMsgCloseProgress, wParam, lParam);
}

LRESULT CMainFrame::OnProgressMessage(WPARAM wParam, LPARAM lParam)
{
    return ForwardToProgressDialog(kWorkerProgressMessage, wParam, lParam);
}

LRESULT CMainFrame::OnCdExtractProgress(WPARAM done, LPARAM total)
{
    if (total == 0)
        return 0;
    ProgressRecord record = {};
    record.value = static_cast<LONG>(CdExtractPercent(done, total));
    CString text;
    text.LoadString(IDS_EXTRACT_CD_PROGRESS);
    lstrcpynA(record.text, text, sizeof record.text);
    ForwardToProgressDialog(kWorkerProgressMessage, 2, reinterpret_cast<LPARAM>(&record));
    return 0;
}

void SendCdProgress(int code)
{
    CWnd* main = AfxGetMainWnd();
    if (!main || !main->m_hWnd)
        return;
    ProgressRecord record = {};
    CString text;
    text.LoadString(IDS_PROCESSING);
    lstrcpynA(record.text, text, sizeof record.text);
    main->SendMessage(kWorkerProgressMessage, static_cast<WPARAM>(code), reinterpret_cast<LPARAM>(&record));
}

LRESULT CMainFrame::OnReopenDocument(WPARAM, LPARAM)
{
    frame_wiring::ReopenDocument();
    return 0;
}

// The caret of the active view's track area blinks while the program is active.
void CMainFrame::OnActivateApp(BOOL active, DWORD threadId)
{
    (void)threadId;
    Default();
    m_appActive = active;
    if (active) {
        m_idleTimer = SetTimer(kIdleTimerId, kIdleTimerMs, nullptr);
        if (!m_idleTimer)
            AfxMessageBox(IDS_TIMER_FAILED);
        ShowCaret(TRUE);
    } else {
        if (m_idleTimer)
            KillTimer(m_idleTimer);
        m_idleTimer = 0;
        ShowCaret(FALSE);
    }
}

void CMainFrame::ShowCaret(BOOL visible)
{
    CFrameWnd* active = GetActiveFrame();
    if (active && active != this)
        if (CView* view = active->GetActiveView())
            frame_wiring::InvalidateCaret(view, visible);
}

void CMainFrame::RestartIdleTimer()
{
    if (!m_idleTimer)
        return;
    KillTimer(m_idleTimer);
    m_idleTimer = SetTimer(kIdleTimerId, kIdleTimerMs, nullptr);
}

void CMainFrame::OnTimer(UINT_PTR id)
{
    // Owned panes belong above this window, but Wine's desktop can raise this window over them
    // some time after the activation comes back here (at start-up, for one): put them back.
    if (id == kIdleTimerId)
        RaiseFloatingPanes();
    CFrameWnd* active = GetActiveFrame();
    if (active && active != this)
        if (CView* view = active->GetActiveView())
            frame_wiring::DrawCaret(view);
    Default();
}

void CMainFrame::OnDropFiles(HDROP drop)
{
    CWinApp* app = AfxGetApp();
    // A drop that cannot be taken now still gives the shell its memory back.
    if (!app || app->GetDocTemplateCount() == 0 || IsEngineRunning() || g_dropInProgress) {
        ::DragFinish(drop);
        return;
    }
    g_dropInProgress = true;
    frame_wiring::SetPendingSplitChannels(GetSettingInt(kSettingsSection, "ChannelSplit", 0) != 0);
    ::SetForegroundWindow(m_hWnd);
    SetActiveWindow();
    frame_wiring::OpenProgressDialog(this);
    BeginModalState();
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH + 1] = {};
        if (!::DragQueryFileA(drop, i, path, MAX_PATH))
            continue;
        frame_wiring::SetPendingOpen(-1, GetSettingInt(kSettingsSection, "DefaultDocumentType", 0));
        // A file that fails shows its own text; the others still open.
        app->OpenDocumentFile(path);
    }
    EndModalState();
    frame_wiring::CloseProgressDialog();
    ::DragFinish(drop);
    g_dropInProgress = false;
}

void CMainFrame::OnDestroyClipboard()
{
    Default();
    ReleasePendingCopies();
}

void CMainFrame::OnPaletteChanged(CWnd* changer)
{
    Default();
    if (!MDIGetActive())
        return;
    HWND changerWnd = changer ? changer->m_hWnd : nullptr;
    ForEachMultiTrackView([changerWnd](CView* view) {
        if (CWnd* pane = frame_wiring::VideoTrackPane(view))
            pane->SendMessage(WM_PALETTECHANGED, reinterpret_cast<WPARAM>(changerWnd));
    });
}

BOOL CMainFrame::OnQueryNewPalette()
{
    if (CMDIChildWnd* child = MDIGetActive())
        if (CView* view = child->GetActiveView())
            if (CWnd* pane = frame_wiring::VideoTrackPane(view))
                return static_cast<BOOL>(pane->SendMessage(WM_QUERYNEWPALETTE));
    return static_cast<BOOL>(Default());
}

void CMainFrame::OnContextMenu(CWnd* wnd, CPoint point)
{
    (void)wnd;
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_FRAME_CONTEXT_MENU));
    if (!menu)
        return;
    if (point.x == -1 && point.y == -1) {
        point = CPoint(4, 4);
        ClientToScreen(&point);
    }
    HWND owner = m_hWnd;
    while (::GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)
        owner = ::GetParent(owner);
    ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
    ::DestroyMenu(menu);
}

void CMainFrame::OnNcLButtonDown(UINT hitTest, CPoint point)
{
    (void)hitTest;
    (void)point;
    CChildFrame::EndInPlaceEditOnNcClick();
    Default();
}

void CMainFrame::OnInitMenu(HMENU menu)
{
    (void)menu;
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && ::GetKeyState(VK_CONTROL) < 0) {
        CMDIChildWnd* child = MDIGetActive();
        HWND focus = ::GetFocus();
        if (child && focus != child->m_hWnd && !::IsChild(child->m_hWnd, focus))
            child->SetFocus();
    }
    return CMDIFrameWnd::PreTranslateMessage(msg);
}

CString CMainFrame::GetDocumentTitle()
{
    CString title;
    if (CMDIChildWnd* child = MDIGetActive())
        title = child->GetTitle();
    return title;
}

void CMainFrame::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (!(GetStyle() & FWS_ADDTOTITLE))
        return;
    BOOL maximized = FALSE;
    CMDIChildWnd* child = MDIGetActive(&maximized);
    if (addToTitle && child && !maximized && (GetActiveDocument() || child->GetActiveDocument()))
        return;
    if (addToTitle && child) {
        CString title = GetDocumentTitle();
        UpdateFrameTitleForDocument(title.IsEmpty() ? nullptr : static_cast<const char*>(title));
    } else {
        UpdateFrameTitleForDocument(nullptr);
    }
}

void CMainFrame::RefreshMenuBar(HMENU menu)
{
    OnUpdateFrameMenu(menu);
    for (HWND child = ::GetWindow(m_hWndMDIClient, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (auto* frame = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandlePermanent(child)))
            frame->m_hMenuShared = menu;
    DrawMenuBar();
}

void CMainFrame::ForEachMultiTrackView(const std::function<void(CView*)>& action)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    POSITION pos = app->GetFirstDocTemplatePosition();
    CDocTemplate* docTemplate = pos ? app->GetNextDocTemplate(pos) : nullptr;
    if (!docTemplate)
        return;
    for (POSITION docPos = docTemplate->GetFirstDocPosition(); docPos;) {
        CDocument* doc = docTemplate->GetNextDoc(docPos);
        for (POSITION viewPos = doc->GetFirstViewPosition(); viewPos;)
            if (auto* view = dynamic_cast<CNyMultiTrackView*>(doc->GetNextView(viewPos)))
                action(view);
    }
}
