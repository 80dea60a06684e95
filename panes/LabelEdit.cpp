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

BEGIN_MESSAGE_MAP(CLabelEdit, CWnd)
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

UINT CLabelEdit::OnGetDlgCode()
{
    return DLGC_WANTALLKEYS;
}

void CLabelEdit::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    (void)repeat, (void)flags;
    if (key == VK_RETURN) {
        if (m_label && m_label->ValidateText()) {
            m_label->CommitEdit();
            Close();
        }
        return;
    }
    if (key == VK_ESCAPE) {
        Close();
        return;
    }
    if (key != VK_TAB)
        Default();
}

void CLabelEdit::OnChar(UINT ch, UINT repeat, UINT flags)
{
    (void)repeat, (void)flags;
    if (ch != VK_RETURN && ch != VK_ESCAPE && ch != VK_TAB)
        Default();
}

void CLabelEdit::OnKillFocus(CWnd* newWnd)
{
    (void)newWnd;
    Default();
    Close();
}

void CLabelEdit::PostNcDestroy()
{
    delete this;
}
