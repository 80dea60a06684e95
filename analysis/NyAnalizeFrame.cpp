#include "NyAnalizeFrame.h"

#include "AnalysisIds.h"
#include "CaptionFrameHelper.h"
#include "NyAnalizeWnd.h"

namespace {
const UINT kHideMessage = WM_USER + 200;
const UINT kDialogBarId = 1002;
const UINT kStatusBarId = 1;
const DWORD kPaneStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
} // namespace

IMPLEMENT_DYNCREATE(CNyAnalizeFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CNyAnalizeFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ENABLE()
    ON_WM_CLOSE()
    ON_MESSAGE(kHideMessage, OnHideMessage)
    ON_WM_NCPAINT()
    ON_WM_NCACTIVATE()
    ON_WM_NCCALCSIZE()
    ON_WM_NCHITTEST()
    ON_WM_NCLBUTTONDBLCLK()
END_MESSAGE_MAP()

CNyAnalizeFrame::CNyAnalizeFrame() = default;

CNyAnalizeFrame::~CNyAnalizeFrame()
{
    delete m_captionPainter;
}

BOOL CNyAnalizeFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return TRUE;
}

int CNyAnalizeFrame::OnCreate(LPCREATESTRUCTA cs)
{
    if (CFrameWnd::OnCreate(cs) == -1)
        return -1;
    if (!m_dialogBar.Create(this, IDD_ANALYSIS_BAR, WS_CHILD | WS_VISIBLE | CBRS_TOP, kDialogBarId))
        return -1;
    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, kStatusBarId))
        return -1;
    const UINT parts[2] = {ID_SEPARATOR, ID_SEPARATOR};
    if (!m_statusBar.SetIndicators(parts, 2))
        return -1;
    {
        CClientDC dc(m_statusBar.m_hWnd);
        HGDIOBJ old = ::SelectObject(dc.m_hDC, reinterpret_cast<HFONT>(m_statusBar.SendMessage(WM_GETFONT)));
        TEXTMETRICA metrics = {};
        ::GetTextMetricsA(dc.m_hDC, &metrics);
        ::SelectObject(dc.m_hDC, old);
        m_statusCharWidth = metrics.tmAveCharWidth > 0 ? int(metrics.tmAveCharWidth) : 6;
    }
    // Part 1 keeps the last 20 character widths; part 0 takes the rest.
    m_statusBar.SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH, 10 * m_statusCharWidth);
    m_statusBar.SetPaneInfo(1, ID_SEPARATOR, SBPS_NORMAL, 20 * m_statusCharWidth);
    if (m_captionPainter) {
        m_captionPainter->SetFrame(this);
        m_captionPainter->Init("frame", kCaptionFlagClose);
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RecalcLayout();
    return 0;
}

HWND CNyAnalizeFrame::GetChannelList() const
{
    return m_dialogBar.m_hWnd ? ::GetDlgItem(m_dialogBar.m_hWnd, IDC_ANALYSIS_CHANNELS) : nullptr;
}

void CNyAnalizeFrame::SetStatusText(int part, const char* text)
{
    if (m_statusBar.m_hWnd)
        m_statusBar.SetPaneText(part, text);
}

void CNyAnalizeFrame::LayoutClient(const CRect& rect)
{
    if (m_client && m_client->m_hWnd)
        m_client->MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

BOOL CNyAnalizeFrame::OnCmdMsg(kvfw::CmdRequest& request)
{
    if (m_client && m_client->m_hWnd && m_client->OnCmdMsg(request))
        return TRUE;
    return CFrameWnd::OnCmdMsg(request);
}

BOOL CNyAnalizeFrame::PreTranslateMessage(MSG* msg)
{
    if (m_captionPainter && m_captionPainter->FilterMessage(msg))
        return TRUE;
    return CFrameWnd::PreTranslateMessage(msg);
}

void CNyAnalizeFrame::OnSize(UINT type, int cx, int cy)
{
    CFrameWnd::OnSize(type, cx, cy);
    if (m_captionPainter)
        m_captionPainter->OnNcPaint(m_captionPainter->GetCurrentCode());
}

void CNyAnalizeFrame::OnEnable(BOOL enable)
{
    CFrameWnd::OnEnable(enable);
    if (HWND parent = ::GetParent(m_hWnd))
        ::EnableWindow(parent, enable);
}

void CNyAnalizeFrame::OnClose()
{
    ShowWindow(SW_HIDE);
}

LRESULT CNyAnalizeFrame::OnHideMessage(WPARAM, LPARAM)
{
    ShowWindow(SW_HIDE);
    return 0;
}

void CNyAnalizeFrame::OnNcPaint()
{
    if (m_captionPainter)
        m_captionPainter->OnNcPaint(m_captionPainter->GetCurrentCode());
    else
        Default();
}

BOOL CNyAnalizeFrame::OnNcActivate(BOOL active)
{
    if (m_captionPainter)
        return m_captionPainter->OnNcActivate(active);
    return static_cast<BOOL>(Default());
}

void CNyAnalizeFrame::OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params)
{
    if (m_captionPainter)
        m_captionPainter->OnNcCalcSize(calcValid, params);
    else
        Default();
}

LRESULT CNyAnalizeFrame::OnNcHitTest(CPoint point)
{
    if (m_captionPainter)
        return m_captionPainter->OnNcHitTest(point.x, point.y);
    return Default();
}

void CNyAnalizeFrame::OnNcLButtonDblClk(UINT, CPoint)
{
    if (!m_captionPainter)
        Default();
}

CNyAnalizeWnd* CreateAnalysisPane(CWnd* owner, bool skinned)
{
    auto* frame = new CNyAnalizeFrame;
    if (skinned)
        frame->AttachCaptionPainter(new CaptionFrameHelper);
    CString title;
    title.LoadString(IDS_FREQUENCY_ANALYSIS);
    const int newline = title.Find('\n');
    if (newline >= 0)
        title = title.Mid(newline + 1);
    // A frame whose window fails is deleted by the framework.
    if (!frame->Create(nullptr, title, kPaneStyle, CRect(0, 0, 320, 240), owner))
        return nullptr;
    auto* client = new CNyAnalizeWnd;
    if (!client->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), frame, AFX_IDW_PANE_FIRST)) {
        delete client;
        frame->DestroyWindow();
        return nullptr;
    }
    frame->SetClient(client);
    frame->RecalcLayout();
    return client;
}
