#include "SplitTypeDialog.h"

#include "HelpLauncher.h"
#include "Settings.h"
#include "SplitIds.h"

namespace {
const int kTypeButtons[] = {IDC_SPLIT_AT_INTERVAL, IDC_SPLIT_AT_SILENCE, IDC_SPLIT_AT_CUES};

int CheckedType(HWND dialog)
{
    if (::IsDlgButtonChecked(dialog, IDC_SPLIT_AT_INTERVAL) == BST_CHECKED)
        return 0;
    if (::IsDlgButtonChecked(dialog, IDC_SPLIT_AT_SILENCE) == BST_CHECKED)
        return 1;
    return 2;
}
} // namespace

BEGIN_MESSAGE_MAP(CSplitTypeDialog, CDialog)
    ON_BN_CLICKED(IDC_SPLIT_AT_INTERVAL, OnTypeClicked)
    ON_BN_CLICKED(IDC_SPLIT_AT_SILENCE, OnTypeClicked)
    ON_BN_CLICKED(IDC_SPLIT_AT_CUES, OnTypeClicked)
    ON_BN_CLICKED(IDC_SPLIT_HELP, OnHelp)
END_MESSAGE_MAP()

CSplitTypeDialog::CSplitTypeDialog(CWnd* parent) : CDialog(IDD_SPLIT_TYPE, parent) {}

BOOL CSplitTypeDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_type = GetSettingInt(kSettingsSection, "DivideBasisType", 0);
    if (m_type < 0 || m_type > 2)
        m_type = 0;
    HWND button = ::GetDlgItem(m_hWnd, kTypeButtons[m_type]);
    ::CheckRadioButton(m_hWnd, IDC_SPLIT_AT_INTERVAL, IDC_SPLIT_AT_CUES, kTypeButtons[m_type]);
    ::SetFocus(button);
    return FALSE;
}

void CSplitTypeDialog::OnTypeClicked()
{
    m_type = CheckedType(m_hWnd);
}

void CSplitTypeDialog::OnOK()
{
    m_type = CheckedType(m_hWnd);
    SetSettingInt(kSettingsSection, "DivideBasisType", m_type);
    EndDialog(IDOK);
}

void CSplitTypeDialog::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(600, 0);
}
