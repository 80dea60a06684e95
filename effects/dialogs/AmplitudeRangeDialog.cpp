#include "AmplitudeRangeDialog.h"

#include "FftEqIds.h"
#include "HelpLauncher.h"
#include "ResourceModule.h"

namespace {
constexpr DWORD kTopicRange = 413;
constexpr DWORD kTopicEqualizer = 411;
} // namespace

void ShowFftEqHelp(DWORD topic, HWND owner)
{
    HelpLauncher help;
    if (!help.ShowTopic(topic, reinterpret_cast<DWORD_PTR>(owner)) && topic != kTopicEqualizer)
        help.ShowTopic(kTopicEqualizer, reinterpret_cast<DWORD_PTR>(owner));
}

BEGIN_MESSAGE_MAP(CAmplitudeRangeDialog, CDialog)
    ON_BN_CLICKED(IDC_FFT_DIALOG_HELP, OnHelp)
END_MESSAGE_MAP()

CAmplitudeRangeDialog::CAmplitudeRangeDialog(CWnd* parent) : CDialog(IDD_AMPLITUDE_RANGE, parent) {}

void CAmplitudeRangeDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_RANGE_MAXIMUM, maximum);
    DDX_Text(dx, IDC_RANGE_MINIMUM, minimum);
}

void CAmplitudeRangeDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (maximum > minimum) {
        EndDialog(IDOK);
        return;
    }
    char text[256] = {};
    ::LoadStringA(GetResourceModule(), IDS_AMPLITUDE_OUT_OF_RANGE, text, sizeof text);
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}

void CAmplitudeRangeDialog::OnHelp()
{
    ShowFftEqHelp(kTopicRange, m_hWnd);
}
