#include "SizeGripBar.h"

BEGIN_MESSAGE_MAP(SizeGripBar, CBaseWin)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void SizeGripBar::OnPaint()
{
    CPaintDC paint(m_hWnd);
    RECT client;
    GetClientRect(&client);
    Render(&paint, client);
}

void SizeGripBar::Render(CDC* dc, const RECT& client)
{
    dc->FillRect(client, ::GetSysColorBrush(COLOR_BTNFACE));
    HWND view = ::GetParent(m_hWnd);
    HWND frame = view ? ::GetParent(view) : nullptr;
    if (!frame || !::IsZoomed(frame)) {
        int side = client.bottom - client.top;
        RECT grip = {client.right - side, client.top, client.right, client.bottom};
        ::DrawFrameControl(*dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
    CPen pen(PS_SOLID, 1, ::GetSysColor(COLOR_3DHILIGHT));
    HGDIOBJ old = dc->SelectObject(pen);
    dc->MoveTo(client.left, client.top);
    dc->LineTo(client.right, client.top);
    dc->SelectObject(old);
}
