#include "FwView.h"
#include "FwDocTemplate.h"
#include "FwDocument.h"
#include "FwFrame.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_MOUSEACTIVATE()
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
END_MESSAGE_MAP()

CView::~CView()
{
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, AfxArrowCursor(),
                                           reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    return TRUE;
}

int CView::OnCreate(LPCREATESTRUCTA cs)
{
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    CCreateContext* context = static_cast<CCreateContext*>(cs->lpCreateParams);
    if (context && context->m_pCurrentDoc)
        context->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy()
{
    if (CFrameWnd* frame = GetParentFrame())
        if (frame->GetActiveView() == this)
            frame->SetActiveView(nullptr, FALSE);
    CWnd::OnDestroy();
}

void CView::PostNcDestroy()
{
    delete this; // views belong to their windows
}

void CView::OnPaint()
{
    CPaintDC dc(m_hWnd);
    OnDraw(&dc);
}

int CView::OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message)
{
    int result = CWnd::OnMouseActivate(topParent, hitTest, message);
    if (result == MA_NOACTIVATE || result == MA_NOACTIVATEANDEAT)
        return result;
    if (CFrameWnd* frame = GetParentFrame())
        if (frame->GetActiveView() != this)
            frame->SetActiveView(this);
    return result;
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM)
{
    OnInitialUpdate();
    return 0;
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate(TRUE);
}

void CView::OnActivateView(BOOL activate, CView* activated, CView*)
{
    if (activate && activated == this && m_hWnd)
        ::SetFocus(m_hWnd);
}

BOOL CView::OnCmdMsg(kvfw::CmdRequest& request)
{
    if (CWnd::OnCmdMsg(request))
        return TRUE;
    return m_pDocument ? m_pDocument->OnCmdMsg(request) : FALSE;
}
