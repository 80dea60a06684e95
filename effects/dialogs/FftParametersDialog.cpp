#include "FftParametersDialog.h"

#include "AmplitudeRangeDialog.h"
#include "FftEqIds.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

constexpr DWORD kTopicParameters = 412;
const char* const kSizes[] = {"128", "256", "512", "1024", "2048", "4096", "8192", "16384", "32768", "65536"};
const char* const kWindows[] = {"Hanning", "Hamming", "Blackman", "Bartlett", "Rectangular", "Blackman-Harris"};

// The whole text of an edit as an integer; false for any other text (the user is still typing).
bool ReadInteger(HWND edit, int* value)
{
    char text[32] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != 0)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

} // namespace

BEGIN_MESSAGE_MAP(CFftParametersDialog, CDialog)
    ON_BN_CLICKED(IDC_FFT_DIALOG_HELP, OnHelp)
    ON_CBN_SELCHANGE(IDC_FFT_SIZE, OnSizeChange)
    ON_EN_CHANGE(IDC_FFT_OVERLAP, OnOverlapChange)
END_MESSAGE_MAP()

CFftParametersDialog::CFftParametersDialog(CWnd* parent) : CDialog(IDD_FFT_PARAMETERS, parent) {}

std::string CFftParametersDialog::OverlapReadout(int size, int overlapFrames)
{
    char text[64];
    std::snprintf(text, sizeof text, "/%d (%.3lf%%)", size,
                  size ? static_cast<double>(overlapFrames) / size * 100.0 : 0.0);
    return text;
}

void CFftParametersDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_FFT_WINDOW, windowList);
    DDX_Control(dx, IDC_FFT_SIZE, sizeList);
    DDX_Text(dx, IDC_FFT_OVERLAP, overlap);
}

BOOL CFftParametersDialog::OnInitDialog()
{
    m_writing = true; // the first exchange writes the overlap
    CDialog::OnInitDialog();
    for (const char* size : kSizes)
        sizeList.AddString(size);
    for (const char* window : kWindows)
        windowList.AddString(window);
    if (fftSize != 0)
        for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i)
            if (std::atoi(kSizes[i]) == fftSize) {
                sizeList.SetCurSel(i);
                break;
            }
    m_writing = false;
    ShowReadout();
    windowList.SetCurSel(windowType);
    return TRUE;
}

bool CFftParametersDialog::TakeChosenSize()
{
    const int chosen = sizeList.GetCurSel();
    if (chosen < 0)
        return false;
    fftSize = std::atoi(kSizes[chosen]);
    return true;
}

void CFftParametersDialog::LimitOverlap()
{
    if (overlap < fftSize)
        return;
    overlap = fftSize - 1;
    m_writing = true;
    SetDlgItemInt(IDC_FFT_OVERLAP, static_cast<UINT>(overlap), TRUE);
    m_writing = false;
}

void CFftParametersDialog::ShowReadout()
{
    SetDlgItemText(IDC_FFT_OVERLAP_RATIO, OverlapReadout(fftSize, overlap).c_str());
}

void CFftParametersDialog::OnSizeChange()
{
    ReadInteger(::GetDlgItem(m_hWnd, IDC_FFT_OVERLAP), &overlap);
    if (TakeChosenSize())
        LimitOverlap();
    ShowReadout();
}

// While the overlap is typed, text that is not (yet) a number changes nothing; OK tells.
void CFftParametersDialog::OnOverlapChange()
{
    if (m_writing || !ReadInteger(::GetDlgItem(m_hWnd, IDC_FFT_OVERLAP), &overlap))
        return;
    TakeChosenSize();
    LimitOverlap();
    ShowReadout();
}

void CFftParametersDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    TakeChosenSize();
    const int chosen = windowList.GetCurSel();
    if (chosen >= 0) {
        CString text;
        windowList.GetLBText(chosen, text);
        for (int i = 0; i < static_cast<int>(std::size(kWindows)); ++i)
            if (text == kWindows[i])
                windowType = i;
    }
    EndDialog(IDOK);
}

void CFftParametersDialog::OnHelp()
{
    ShowFftEqHelp(kTopicParameters, m_hWnd);
}
