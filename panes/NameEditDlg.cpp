#include "NameEditDlg.h"

#include "PanesIds.h"

CNameEditDlg::CNameEditDlg(CWnd* parent) : CDialog(IDD_NAME_EDIT, parent) {}

BOOL CNameEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND edit = ::GetDlgItem(m_hWnd, IDC_NAME_EDIT_TEXT);
    ::SendMessageA(edit, EM_LIMITTEXT, kPaneNameLimit, 0);
    ::SetWindowTextA(edit, m_name.substr(0, kPaneNameLimit).c_str());
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    return FALSE;
}

void CNameEditDlg::OnOK()
{
    char buffer[kPaneNameLimit + 1] = "";
    ::GetDlgItemTextA(m_hWnd, IDC_NAME_EDIT_TEXT, buffer, sizeof buffer);
    m_name = buffer;
    CDialog::OnOK();
}
