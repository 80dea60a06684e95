#include "SmallValueDialogs.h"

#include "HelpLauncher.h"
#include "Settings.h"
#include "SettingsIds.h"
#include "UiUtilities.h"

#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD kHelpTrackLabel = 308, kHelpTrackLabelFallback = 307, kHelpAutoStop = 700;

CString ResourceText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

} // namespace

BOOL SetValueEdit::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB)
        return TRUE;
    return CWnd::PreTranslateMessage(msg);
}

// ------------------------------------------------------------------------------------------
// Set Value

BEGIN_MESSAGE_MAP(SetValueDialog, CDialog)
    ON_EN_KILLFOCUS(IDC_VALUE_EDIT, OnValueKillFocus)
END_MESSAGE_MAP()

SetValueDialog::SetValueDialog(CWnd* parent) : CDialog(IDD_SET_VALUE, parent) {}

double SetValueDialog::Percentage(int value) const
{
    double side = value >= 0 ? (double)m_max - m_offset : (double)m_offset;
    return side == 0.0 ? 0.0 : value * 100.0 / side;
}

CString SetValueDialog::DisplayText(int value) const
{
    CString text;
    switch (Form()) {
    case kPercentage:
        text.Format("%.2f", Percentage(value));
        break;
    case kHexadecimal: {
        uint32_t shown = (uint32_t)(m_zeroBased ? value : value + m_offset);
        if (m_bits < 32)
            shown &= (1u << m_bits) - 1;
        text.Format("%0*X", HexDigits(), shown);
        break;
    }
    default:
        text.Format("%ld", (long)(m_zeroBased ? value : value + m_offset));
        break;
    }
    return text;
}

int SetValueDialog::ParseText(const char* text) const
{
    char head[9] = "";
    lstrcpynA(head, text, (int)sizeof head);
    switch (Form()) {
    case kPercentage: {
        float percent = 0;
        sscanf(head, "%f", &percent);
        double side = percent >= 0 ? (double)m_max - m_offset : (double)m_offset;
        return (int)(percent * 0.01 * side);
    }
    case kHexadecimal: {
        unsigned int raw = 0;
        sscanf(head, "%x", &raw);
        long long value = raw;
        if (!m_zeroBased)
            value -= m_offset;
        else if (value > (long long)m_max - m_offset)
            value -= (long long)m_max + 1;
        return (int)value;
    }
    default: {
        long value = 0;
        sscanf(head, "%ld", &value);
        return (int)(m_zeroBased ? value : value - m_offset);
    }
    }
}

BOOL SetValueDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_edit.SubclassWindow(::GetDlgItem(m_hWnd, IDC_VALUE_EDIT));
    CString position;
    position.Format("%lld", (long long)m_position);
    SetDlgItemText(IDC_VALUE_POSITION, position);
    CString separator = ResourceText(IDS_RANGE_SEPARATOR), range;
    long low = m_zeroBased ? -m_offset : 0, high = m_zeroBased ? (long)m_max - m_offset : m_max;
    switch (Form()) {
    case kPercentage:
        range.Format("-100.00%s100.00 %%", (const char*)separator);
        break;
    case kHexadecimal: {
        uint32_t mask = m_bits < 32 ? (1u << m_bits) - 1 : 0xFFFFFFFFu;
        range.Format("%0*X%s%0*X", HexDigits(), (uint32_t)low & mask, (const char*)separator, HexDigits(),
                     (uint32_t)high & mask);
        break;
    }
    case kAmplitude: {
        SetWindowText(ResourceText(IDS_NUMBER_FORMAT));
        range = ResourceText(IDS_AMPLITUDE);
        double percent = Percentage(m_value);
        CString decibels;
        if (percent == 0.0)
            decibels = ResourceText(IDS_MINUS_INFINITY);
        else
            decibels.Format("%.2f", 20.0 * std::log10(std::fabs(percent) * 0.01));
        SetDlgItemText(IDC_VALUE_AMPLITUDE, decibels);
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_VALUE_AMPLITUDE), SW_SHOW);
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_VALUE_EDIT), SW_HIDE);
        ::ShowWindow(::GetDlgItem(m_hWnd, IDOK), SW_HIDE);
        SetDlgItemText(IDCANCEL, "OK");
        break;
    }
    default:
        range.Format("%ld%s%ld", low, (const char*)separator, high);
        break;
    }
    SetDlgItemText(IDC_VALUE_RANGE, range);
    if (Form() != kAmplitude)
        SetDlgItemText(IDC_VALUE_EDIT, DisplayText(m_value));
    return TRUE;
}

void SetValueDialog::OnValueKillFocus()
{
    CString text;
    GetDlgItemText(IDC_VALUE_EDIT, text);
    SetDlgItemText(IDC_VALUE_EDIT, DisplayText(ParseText(text)));
}

void SetValueDialog::OnOK()
{
    if (Form() == kAmplitude) {
        EndDialog(IDOK);
        return;
    }
    CString text;
    GetDlgItemText(IDC_VALUE_EDIT, text);
    int value = ParseText(text);
    if (value < -m_offset || (long long)value > (long long)m_max - m_offset) {
        AfxMessageBox(ResourceText(IDS_VALUE_OUT_OF_RANGE), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_value = value;
    EndDialog(IDOK);
}

// ------------------------------------------------------------------------------------------
// Set Track Label

BEGIN_MESSAGE_MAP(TrackLabelDialog, CDialog)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

TrackLabelDialog::TrackLabelDialog(CWnd* parent) : CDialog(IDD_TRACK_LABEL, parent) {}

BOOL TrackLabelDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_TRACK_LABEL, m_label);
    MoveWindowNearCursor(this);
    return TRUE;
}

void TrackLabelDialog::OnOK()
{
    GetDlgItemText(IDC_TRACK_LABEL, m_label);
    EndDialog(IDOK);
}

void TrackLabelDialog::OnHelp()
{
    HelpLauncher help;
    if (!help.ShowTopic(kHelpTrackLabel, 0))
        help.ShowTopic(kHelpTrackLabelFallback, 0);
}

// ------------------------------------------------------------------------------------------
// Auto Stop Recording Timer

BEGIN_MESSAGE_MAP(AutoStopTimerDialog, CDialog)
    ON_BN_CLICKED(IDC_TIMER_ON, OnTimerCheck)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

AutoStopTimerDialog::AutoStopTimerDialog(CWnd* parent) : CDialog(IDD_AUTO_STOP_TIMER, parent) {}

BOOL AutoStopTimerDialog::OnInitDialog()
{
    SendDlgItemMessage(IDC_TIMER_HOURS_SPIN, UDM_SETRANGE32, 0, 99);
    SendDlgItemMessage(IDC_TIMER_MINUTES_SPIN, UDM_SETRANGE32, 0, 59);
    m_timerOn = GetSettingInt(kSettingsSection, "RecTimerOn", 0) ? 1 : 0;
    int total = GetSettingInt(kSettingsSection, "RecTimerValue", 0);
    m_hours = total / 60;
    m_minutes = total % 60;
    CDialog::OnInitDialog();
    EnableTimeControls(m_timerOn);
    return TRUE;
}

void AutoStopTimerDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Check(dx, IDC_TIMER_ON, m_timerOn);
    if (dx->m_bSaveAndValidate && !m_timerOn)
        return; // the times only count while the timer is on
    DDX_Text(dx, IDC_TIMER_HOURS, m_hours);
    DDV_MinMaxInt(dx, m_hours, 0, 99);
    DDX_Text(dx, IDC_TIMER_MINUTES, m_minutes);
    DDV_MinMaxInt(dx, m_minutes, 0, 59);
}

void AutoStopTimerDialog::EnableTimeControls(BOOL on)
{
    for (int id : {IDC_TIMER_HOURS_SPIN, IDC_TIMER_MINUTES_SPIN})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), on);
    for (int id : {IDC_TIMER_HOURS, IDC_TIMER_MINUTES})
        SendDlgItemMessage(id, EM_SETREADONLY, !on, 0);
}

void AutoStopTimerDialog::OnTimerCheck()
{
    EnableTimeControls(::IsDlgButtonChecked(m_hWnd, IDC_TIMER_ON) == BST_CHECKED);
}

void AutoStopTimerDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_timerOn && m_hours == 0 && m_minutes == 0) {
        AfxMessageBox(ResourceText(IDS_NO_TIMER_VALUE), MB_OK | MB_ICONSTOP);
        return;
    }
    if (m_timerOn)
        SetSettingInt(kSettingsSection, "RecTimerValue", m_hours * 60 + m_minutes);
    SetSettingInt(kSettingsSection, "RecTimerOn", m_timerOn);
    EndDialog(IDOK);
}

void AutoStopTimerDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void AutoStopTimerDialog::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(kHelpAutoStop, 0);
}
