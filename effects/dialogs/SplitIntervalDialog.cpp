#include "SplitIntervalDialog.h"

#include "MultiTrackDoc.h"
#include "Settings.h"
#include "SplitIds.h"
#include "SplitToFilesDialog.h"
#include "SplitValues.h"
#include "SplitWizard.h"

#include <cstdio>

BEGIN_MESSAGE_MAP(CSplitIntervalDialog, CSplitTimePage)
END_MESSAGE_MAP()

CSplitIntervalDialog::CSplitIntervalDialog(CWnd* parent)
    : CSplitTimePage(IDD_SPLIT_INTERVAL, parent, {IDC_SPLIT_INTERVAL, IDC_SPLIT_INTERVAL_SPIN, IDC_SPLIT_INTERVAL_UNIT},
                     601)
{
}

int64_t CSplitIntervalDialog::Minimum() const
{
    return split::kShortestInterval;
}

int64_t CSplitIntervalDialog::Maximum() const
{
    return m_maximumMs;
}

BOOL CSplitIntervalDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    std::string text;
    GetSettingString(kSettingsSection, "DivideEquallyInfo", "500:0:0:0", &text);
    long long interval = 500;
    int unit = 0, method = 0, remove = 0;
    if (std::sscanf(text.c_str(), "%lld:%d:%d:%d", &interval, &unit, &method, &remove) < 1)
        interval = 500;
    m_valueMs = interval < 0 || interval > m_maximumMs ? 500 : interval;
    m_unit = unit == 0 || unit == 1 ? unit : 0;
    m_method = method == 0 || method == 1 ? method : 0;
    m_removeCues = remove != 0;
    ::SendDlgItemMessageA(m_hWnd, IDC_SPLIT_INTERVAL_SPIN, UDM_SETRANGE32, 0, 32767);
    ::SendDlgItemMessageA(m_hWnd, IDC_SPLIT_INTERVAL_SPIN, UDM_SETPOS32, 0, 0);
    InitTimeControls();
    return TRUE;
}

void CSplitIntervalDialog::OnOK()
{
    m_method = CheckedMethod();
    m_removeCues = IsDlgButtonChecked(IDC_SPLIT_REMOVE_CUES) == BST_CHECKED;
    TakeTypedTime();
    if (m_unit == split::kUnitSeconds)
        m_valueMs = split::RoundToTenMilliseconds(m_valueMs);
    char text[80];
    std::snprintf(text, sizeof text, "%lld:%d:%d:%d", static_cast<long long>(m_valueMs), m_unit, m_method,
                  m_removeCues ? 1 : 0);
    SetSettingString(kSettingsSection, "DivideEquallyInfo", text);
    EndDialog(IDOK);
}

INT_PTR CSplitIntervalDialog::Run(CNyMultiTrackDoc* document)
{
    return RunPage(document);
}

void CSplitIntervalDialog::SetCuePoints(CNyMultiTrackDoc* document, CWnd*)
{
    SetCuePointsAtInterval(document, m_valueMs, m_removeCues);
}

void CSplitIntervalDialog::DescribeCuts(CSplitToFilesDialog& files) const
{
    files.m_splitType = CSplitToFilesDialog::kAtInterval;
    files.m_intervalMs = m_valueMs;
}

HRESULT CSplitIntervalDialog::SetCuePointsAtInterval(CNyMultiTrackDoc* document, int64_t intervalMs,
                                                     bool removeExisting)
{
    return ApplySplitCuePoints(
        document, split::IntervalPositions(document->GetSamplesPerSec(), intervalMs, document->GetLength()),
        removeExisting);
}
