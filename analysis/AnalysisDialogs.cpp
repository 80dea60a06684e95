#include "AnalysisDialogs.h"

#include "AnalysisIds.h"
#include "AnalysisText.h"
#include "HelpLauncher.h"

#include <cstdio>
#include <cstdlib>

namespace {
const char* const kSizes[] = {"128", "256", "512", "1024", "2048", "4096", "8192", "16384", "32768", "65536"};
} // namespace

BEGIN_MESSAGE_MAP(CAnalysisRangeDialog, CDialog)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

CAnalysisRangeDialog::CAnalysisRangeDialog(CWnd* parent) : CDialog(IDD_ANALYSIS_RANGE, parent) {}

void CAnalysisRangeDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_ANALYSIS_MAX, m_upper);
    DDV_MinMaxInt(dx, m_upper, -299, 100);
    DDX_Text(dx, IDC_ANALYSIS_MIN, m_lower);
    DDV_MinMaxInt(dx, m_lower, -300, 99);
    if (dx->m_bSaveAndValidate && m_upper == m_lower) {
        CString text;
        text.LoadString(IDS_SAME_AMPLITUDES);
        dx->Fail(text);
    }
}

void CAnalysisRangeDialog::OnHelp()
{
    HelpLauncher().ShowTopic(IDD_ANALYSIS_RANGE, reinterpret_cast<DWORD_PTR>(m_hWnd));
}

BEGIN_MESSAGE_MAP(CAnalysisFftDialog, CDialog)
    ON_EN_KILLFOCUS(IDC_ANALYSIS_OVERLAP, OnOverlapKillFocus)
    ON_CBN_SELCHANGE(IDC_ANALYSIS_FFT_SIZE, OnSizeChange)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

CAnalysisFftDialog::CAnalysisFftDialog(CWnd* parent) : CDialog(IDD_ANALYSIS_FFT, parent) {}

BOOL CAnalysisFftDialog::OnInitDialog()
{
    for (const char* size : kSizes)
        SendDlgItemMessage(IDC_ANALYSIS_FFT_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
    for (int type = 0; type < 6; ++type)
        SendDlgItemMessage(IDC_ANALYSIS_WINDOW, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WindowName(type)));
    return CDialog::OnInitDialog();
}

void CAnalysisFftDialog::DoDataExchange(CDataExchange* dx)
{
    HWND sizes = ::GetDlgItem(m_hWnd, IDC_ANALYSIS_FFT_SIZE);
    if (dx->m_bSaveAndValidate) {
        const int chosen = int(::SendMessageA(sizes, CB_GETCURSEL, 0, 0));
        if (chosen >= 0 && chosen < 10)
            m_fftSize = std::atoi(kSizes[chosen]);
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%d", m_fftSize);
        ::SendMessageA(sizes, CB_SETCURSEL,
                       WPARAM(::SendMessageA(sizes, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text))), 0);
    }
    DDX_Text(dx, IDC_ANALYSIS_OVERLAP, m_overlap);
    // The analyser takes 0 .. size - 1; OK pressed with the focus still in the edit clamps too.
    if (dx->m_bSaveAndValidate && m_fftSize > 0)
        m_overlap = m_overlap < 0 ? 0 : m_overlap >= m_fftSize ? m_fftSize - 1 : m_overlap;
    DDX_CBIndex(dx, IDC_ANALYSIS_WINDOW, m_window);
    DDX_Check(dx, IDC_ANALYSIS_AUTO_REFRESH, m_autoRefresh);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ANALYSIS_AUTO_REFRESH), m_fftSize <= 1024);
    char ratio[64];
    std::snprintf(ratio, sizeof ratio, "/%d (%6.3lf%%)", m_fftSize, m_fftSize ? m_overlap * 100.0 / m_fftSize : 0.0);
    SetDlgItemText(IDC_ANALYSIS_OVERLAP_RATIO, ratio);
}

void CAnalysisFftDialog::LimitOverlap()
{
    if (UpdateData(TRUE))
        UpdateData(FALSE);
}

void CAnalysisFftDialog::OnOverlapKillFocus()
{
    LimitOverlap();
}

void CAnalysisFftDialog::OnSizeChange()
{
    LimitOverlap();
}

void CAnalysisFftDialog::OnHelp()
{
    HelpLauncher().ShowTopic(IDD_ANALYSIS_FFT, reinterpret_cast<DWORD_PTR>(m_hWnd));
}
