#include "DialogPane.h"

BEGIN_MESSAGE_MAP(CDialogPane, CDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

void CDialogPane::OnClose()
{
    if (HWND frame = ::GetParent(m_hWnd))
        ::ShowWindow(frame, SW_HIDE);
}
