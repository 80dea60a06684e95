#include "BurnSettingsDialogs.h"

#include "HelpLauncher.h"

#include <cstdio>

namespace {

void ShowHelp(int topic)
{
    HelpLauncher help;
    if (!help.ShowTopic(topic, 0))
        help.ShowTopic(121, 0);
}

} // namespace

BEGIN_MESSAGE_MAP(CBurnAdvancedDialog, CDialog)
    ON_CBN_SELCHANGE(IDC_BURN_DEVICE, OnDeviceChanged)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

CBurnAdvancedDialog::CBurnAdvancedDialog(const std::vector<BurnDeviceEntry>& devices, CWnd* parent)
    : CDialog(IDD, parent), m_devices(devices)
{
}

BOOL CBurnAdvancedDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND combo = ::GetDlgItem(m_hWnd, IDC_BURN_DEVICE);
    int select = 0;
    for (size_t i = 0; i < m_devices.size(); ++i) {
        const BurnDeviceEntry& d = m_devices[i];
        if (!(d.capabilities & 6))
            continue;
        const std::string text = d.drive + " " + d.name;
        const int item = int(::SendMessageA(combo, CB_ADDSTRING, 0, LPARAM(text.c_str())));
        ::SendMessageA(combo, CB_SETITEMDATA, item, LPARAM(i));
        if (!m_device.empty() && !d.drive.empty() && toupper(d.drive[0]) == toupper(m_device[0]))
            select = item;
    }
    ::SendMessageA(combo, CB_SETCURSEL, select, 0);
    CheckDlgButton(IDC_BURN_TEST_WRITE, m_test ? BST_CHECKED : BST_UNCHECKED);
    FillSpeeds();
    return TRUE;
}

char CBurnAdvancedDialog::ShownLetter() const
{
    HWND combo = ::GetDlgItem(m_hWnd, IDC_BURN_DEVICE);
    const LRESULT item = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (item < 0)
        return 0;
    const size_t index = size_t(::SendMessageA(combo, CB_GETITEMDATA, item, 0));
    return index < m_devices.size() && !m_devices[index].drive.empty() ? m_devices[index].drive[0] : 0;
}

void CBurnAdvancedDialog::FillSpeeds()
{
    HWND speeds = ::GetDlgItem(m_hWnd, IDC_BURN_SPEED);
    ::SendMessageA(speeds, CB_RESETCONTENT, 0, 0);
    HWND combo = ::GetDlgItem(m_hWnd, IDC_BURN_DEVICE);
    const LRESULT item = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (item < 0) {
        ::EnableWindow(speeds, FALSE);
        return;
    }
    const BurnDeviceEntry& d = m_devices[size_t(::SendMessageA(combo, CB_GETITEMDATA, item, 0))];
    ::SendMessageA(speeds, CB_SETITEMDATA, ::SendMessageA(speeds, CB_ADDSTRING, 0, LPARAM("MAX")), 0);
    for (const auto& speed : d.speeds) {
        const char* media = speed.second == 1 ? "CD-R" : speed.second == 2 ? "CD-RW" : "CD-R/RW";
        char text[32];
        std::snprintf(text, sizeof text, "%ux (%s)", speed.first, media);
        ::SendMessageA(speeds, CB_SETITEMDATA, ::SendMessageA(speeds, CB_ADDSTRING, 0, LPARAM(text)), speed.first);
    }
    const int count = int(::SendMessageA(speeds, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (int32_t(::SendMessageA(speeds, CB_GETITEMDATA, i, 0)) == m_speed)
            ::SendMessageA(speeds, CB_SETCURSEL, i, 0);
    ::EnableWindow(speeds, count >= 2);
}

void CBurnAdvancedDialog::OnDeviceChanged()
{
    FillSpeeds();
}

void CBurnAdvancedDialog::OnOK()
{
    HWND speeds = ::GetDlgItem(m_hWnd, IDC_BURN_SPEED);
    const LRESULT item = ::SendMessageA(speeds, CB_GETCURSEL, 0, 0);
    m_speed = item < 0 ? 0 : int32_t(::SendMessageA(speeds, CB_GETITEMDATA, item, 0));
    char text[300] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_BURN_DEVICE, text, sizeof text);
    m_device = text;
    m_test = IsDlgButtonChecked(IDC_BURN_TEST_WRITE) == BST_CHECKED;
    CDialog::OnOK();
}

void CBurnAdvancedDialog::OnHelp()
{
    ShowHelp(119);
}

BEGIN_MESSAGE_MAP(CPreGapDialog, CDialog)
    ON_CBN_SELCHANGE(IDC_BURN_PREGAP_VALUE, OnChanged)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

BOOL CPreGapDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    char format[64] = {};
    LoadStringA(AfxGetResourceHandle(), IDS_BURN_PREGAP_ITEM, format, sizeof format);
    HWND combo = ::GetDlgItem(m_hWnd, IDC_BURN_PREGAP_VALUE);
    for (int seconds = 0; seconds <= 3; ++seconds) {
        char text[64];
        std::snprintf(text, sizeof text, format, seconds);
        ::SendMessageA(combo, CB_ADDSTRING, 0, LPARAM(text));
    }
    ::SendMessageA(combo, CB_SETCURSEL, m_preGap >= 0 && m_preGap <= 3 ? m_preGap : -1, 0);
    return TRUE;
}

void CPreGapDialog::OnChanged()
{
    const LRESULT item = ::SendDlgItemMessageA(m_hWnd, IDC_BURN_PREGAP_VALUE, CB_GETCURSEL, 0, 0);
    if (item >= 0)
        m_preGap = int(item);
}

void CPreGapDialog::OnHelp()
{
    ShowHelp(120);
}

BOOL CEraseMediaDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    CheckRadioButton(IDC_BURN_ERASE_QUICK, IDC_BURN_ERASE_COMPLETE, IDC_BURN_ERASE_QUICK);
    return TRUE;
}

void CEraseMediaDialog::OnOK()
{
    m_choice = IsDlgButtonChecked(IDC_BURN_ERASE_COMPLETE) == BST_CHECKED ? 1 : 0;
    CDialog::OnOK();
}
