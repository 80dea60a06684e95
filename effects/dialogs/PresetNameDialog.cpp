#include "PresetNameDialog.h"

#include "EffectIds.h"

BEGIN_MESSAGE_MAP(CPresetNameDialog, CDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CPresetNameDialog::CPresetNameDialog(CWnd* parent) : CDialog(IDD_PRESET_NAME, parent) {}

BOOL CPresetNameDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_PRESET_NAME, m_name);
    return TRUE;
}

// Read here, so that the name is there after DoModal however the dialog ended.
void CPresetNameDialog::OnDestroy()
{
    GetDlgItemText(IDC_PRESET_NAME, m_name);
    CDialog::OnDestroy();
}
