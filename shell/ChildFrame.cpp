#include "ChildFrame.h"

#include "BaseWin.h"
#include "MultiTrackDoc.h"
#include "SkinTables.h"
#include "resource.h"

#include <commctrl.h>

const int CChildFrame::kPartChars[3] = {10, 21, 10};

IMPLEMENT_DYNCREATE(CChildFrame, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CChildFrame, CMDIChildWnd)
    ON_WM_NCLBUTTONDOWN()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

CChildFrame::~CChildFrame() = default;

BOOL CChildFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CMDIChildWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CChildFrame::OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context)
{
    // FALSE, not -1: the frame's creation tests for zero, and a frame without its bar must fail.
    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, kStatusBarId))
        return FALSE;
    LayoutParts(false);
    for (int part = 0; part < 3; ++part)
        m_statusBar.SendMessage(SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(""));
    return CMDIChildWnd::OnCreateClient(cs, context);
}

void CChildFrame::LayoutParts(bool stretchFirst)
{
    if (!m_statusBar.m_hWnd)
        return;
    TEXTMETRICA metrics = {};
    {
        CClientDC dc(m_statusBar.m_hWnd);
        HGDIOBJ old = dc.SelectObject(reinterpret_cast<HGDIOBJ>(m_statusBar.GetFont()));
        dc.GetTextMetrics(&metrics);
        dc.SelectObject(old);
    }
    int widths[3];
    for (int part = 0; part < 3; ++part)
        widths[part] = kPartChars[part] * metrics.tmAveCharWidth;
    if (stretchFirst) {
        CRect client;
        m_statusBar.GetClientRect(&client);
        // A bar narrower than the two fixed parts (a skin with a narrow corner image allows
        // it) leaves part 0 empty: a right edge of -1 would stretch it over the whole bar.
        widths[0] = client.Width() - widths[1] - widths[2];
        if (widths[0] < 0)
            widths[0] = 0;
    }
    int edges[3] = {widths[0], widths[0] + widths[1], widths[0] + widths[1] + widths[2]};
    m_statusBar.SendMessage(SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void CChildFrame::OnSize(UINT type, int cx, int cy)
{
    CMDIChildWnd::OnSize(type, cx, cy);
    LayoutParts(true);
}

void CChildFrame::OnGetMinMaxInfo(MINMAXINFO* info)
{
    info->ptMinTrackSize.x = 2 * GetSkinImageSize(kSkinViewTopLeft).cx + 52;
    info->ptMinTrackSize.y = kMinTrackHeight;
    Default();
}

void CChildFrame::EndInPlaceEditOnNcClick()
{
    IInPlaceEditHost* edit = GetInPlaceEditHost();
    if (edit && edit->GetInPlaceEdit())
        edit->EndInPlaceEdit();
}

void CChildFrame::OnNcLButtonDown(UINT hitTest, CPoint point)
{
    (void)hitTest;
    (void)point;
    EndInPlaceEditOnNcClick();
    Default();
}

BOOL CChildFrame::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_LBUTTONDBLCLK && m_statusBar.m_hWnd && msg->hwnd == m_statusBar.m_hWnd) {
        CRect part;
        if (m_statusBar.SendMessage(SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part))) {
            m_statusBar.ClientToScreen(&part);
            if (part.PtInRect(msg->pt)) {
                // The document answers the command (through the usual routing).
                if (GetActiveDocument())
                    SendMessage(WM_COMMAND, ID_SAMPLE_TYPE, 0);
                return TRUE;
            }
        }
    }
    return CMDIChildWnd::PreTranslateMessage(msg);
}

void CChildFrame::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->OnUpdateFrameTitle(addToTitle);
    if (!(GetStyle() & FWS_ADDTOTITLE))
        return;

    CString text;
    CDocument* doc = GetActiveDocument();
    if (addToTitle && doc) {
        text = doc->GetTitle();
        auto* multiTrack = dynamic_cast<CNyMultiTrackDoc*>(doc);
        CString mark;
        if (multiTrack && multiTrack->IsReadOnly() && mark.LoadString(IDS_OVERWRITE_PROTECTED))
            text += mark;
        if (doc->IsModified() && mark.LoadString(IDS_MODIFIED_MARK))
            text += mark;
    } else {
        text = m_strTitle;
    }
    if (m_nWindow > 0) {
        CString number;
        number.Format(":%d", m_nWindow);
        text += number;
    }
    AfxSetWindowText(m_hWnd, text);
}
