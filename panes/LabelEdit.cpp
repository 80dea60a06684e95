#include "LabelEdit.h"

#include "TextElement.h"

CLabelEdit::~CLabelEdit()
{
    if (m_label)
        m_label->ForgetEditor();
}

BOOL CLabelEdit::Create(CWnd* owner, const RECT& rect, CFont* font, const char* text)
{
    if (!CWnd::Create("EDIT", text, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, rect, owner, 0))
        return FALSE;
    if (font)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font->m_hObject), TRUE);
    ::SetFocus(m_hWnd);
    SendMessage(EM_SETSEL, 0, -1);
    return TRUE;
}

CString CLabelEdit::GetText() const
{
    char buffer[512] = "";
    ::GetWindowTextA(m_hWnd, buffer, sizeof buffer);
    return CString(buffer);
}

void CLabelEdit::Close()
{
    if (m_closing || !m_hWnd)
        return;
    m_closing = true;
    DestroyWindow();
}

LRESULT CLabelEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (m_label && m_label->ValidateText()) {
                m_label->CommitEdit();
                Close();
            }
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            Close();
            return 0;
        }
        if (wParam == VK_TAB)
            return 0;
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_TAB)
            return 0;
        break;
    case WM_KILLFOCUS: {
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        Close();
        return result;
    }
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CLabelEdit::PostNcDestroy()
{
    delete this;
}
