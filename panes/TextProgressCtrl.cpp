#include "TextProgressCtrl.h"

#include <string>

BEGIN_MESSAGE_MAP(CTextProgressCtrl, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL CTextProgressCtrl::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    // Registered once; the name stays valid for the life of the process.
    static const char* const className = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
    return CreateEx(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE, className, text, style, rect, parent, id);
}

void CTextProgressCtrl::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    if (m_hWnd)
        Invalidate();
}

int CTextProgressCtrl::SetPos(int position)
{
    const int previous = m_position;
    m_position = position;
    if (m_hWnd)
        Invalidate();
    return previous;
}

int CTextProgressCtrl::SplitPoint(int position, int lower, int upper, int width)
{
    if (upper == lower)
        return 0;
    return int(double(position - lower) / double(upper - lower) * double(width));
}

BOOL CTextProgressCtrl::OnEraseBkgnd(CDC* dc)
{
    CRect client;
    GetClientRect(&client);
    dc->FillRect(client, GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

void CTextProgressCtrl::OnPaint()
{
    CPaintDC dc(m_hWnd);
    CRect client;
    GetClientRect(&client);
    DrawBarAndText(&dc, client);
}

void CTextProgressCtrl::Render(CDC* dc, const RECT& client)
{
    dc->FillRect(client, GetSysColorBrush(COLOR_BTNFACE));
    DrawBarAndText(dc, client);
}

void CTextProgressCtrl::DrawBarAndText(CDC* dc, const RECT& client)
{
    const int saved = dc->SaveDC();
    if (m_font && m_font->m_hObject)
        dc->SelectObject(*m_font);
    const CRect whole(client);
    const int split = whole.left + SplitPoint(m_position, m_lower, m_upper, whole.Width());
    const CRect done(whole.left, whole.top, split, whole.bottom);
    const CRect rest(split, whole.top, whole.right, whole.bottom);
    if (!done.IsRectEmpty())
        dc->FillSolidRect(done, GetSysColor(COLOR_HIGHLIGHT));

    std::string text;
    if (m_hWnd) {
        CString windowText;
        GetWindowText(windowText);
        text = windowText.GetString();
    }
    CRect textRect(whole);
    const int free = whole.Width() - dc->GetTextExtent(text.c_str(), int(text.size())).cx;
    if (free > 0)
        textRect.left = free / 2;
    dc->SetBkMode(TRANSPARENT);
    // The text over the bar is inverted: drawn twice, each time clipped to one part.
    const struct {
        const CRect& clip;
        int color;
    } passes[] = {{done, COLOR_HIGHLIGHTTEXT}, {rest, COLOR_BTNTEXT}};
    for (const auto& pass : passes) {
        if (pass.clip.IsRectEmpty())
            continue;
        const int clipped = dc->SaveDC();
        dc->IntersectClipRect(pass.clip);
        dc->SetTextColor(GetSysColor(pass.color));
        CRect r(textRect);
        dc->DrawText(text.c_str(), int(text.size()), &r, DT_VCENTER);
        dc->RestoreDC(clipped);
    }
    dc->RestoreDC(saved);
}
