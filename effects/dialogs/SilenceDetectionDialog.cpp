// The silence page itself; its run is in SilenceDetectionDialog_Run.cpp.
#include "SilenceDetectionDialog.h"

#include "MultiTrackDoc.h"
#include "Settings.h"
#include "SplitIds.h"
#include "SplitToFilesDialog.h"
#include "SplitValues.h"
#include "SplitWizard.h"

#include <algorithm>
#include <cstdio>

namespace {
const int kSourceButtons[] = {IDC_SILENCE_ANALOG1, IDC_SILENCE_ANALOG2, IDC_SILENCE_ANALOG3, IDC_SILENCE_CDMD};
}

BEGIN_MESSAGE_MAP(CSilenceDetectionDialog, CSplitTimePage)
    ON_BN_CLICKED(IDC_SILENCE_ANALOG1, OnSourceTypeClicked)
    ON_BN_CLICKED(IDC_SILENCE_ANALOG2, OnSourceTypeClicked)
    ON_BN_CLICKED(IDC_SILENCE_ANALOG3, OnSourceTypeClicked)
    ON_BN_CLICKED(IDC_SILENCE_CDMD, OnSourceTypeClicked)
END_MESSAGE_MAP()

CSilenceDetectionDialog::CSilenceDetectionDialog(CWnd* parent)
    : CSplitTimePage(IDD_SILENCE_DETECTION, parent,
                     {IDC_SILENCE_DURATION, IDC_SILENCE_DURATION_SPIN, IDC_SILENCE_UNIT}, 602)
{
    m_valueMs = split::kLongestSilence;
}

int64_t CSilenceDetectionDialog::Minimum() const
{
    return split::kShortestSilence;
}

int64_t CSilenceDetectionDialog::Maximum() const
{
    return split::kLongestSilence;
}

void CSilenceDetectionDialog::ShowLevels()
{
    const split::SilenceLevels levels = split::LevelsOfSourceType(m_sourceType);
    m_levelA = levels.levelA;
    m_levelB = levels.levelB;
    ::SetDlgItemInt(m_hWnd, IDC_SILENCE_LEVEL_A, static_cast<UINT>(m_levelA), TRUE);
    ::SetDlgItemInt(m_hWnd, IDC_SILENCE_LEVEL_B, static_cast<UINT>(m_levelB), TRUE);
}

BOOL CSilenceDetectionDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_sourceType = GetSettingInt(kSettingsSection, "BlankTimeType", 0);
    if (m_sourceType < 0 || m_sourceType > 3)
        m_sourceType = 0;
    CheckRadioButton(IDC_SILENCE_ANALOG1, IDC_SILENCE_CDMD, kSourceButtons[m_sourceType]);
    ShowLevels();
    m_valueMs = std::clamp<int64_t>(GetSettingInt(kSettingsSection, "BlankTimeLength", 2000), split::kShortestSilence,
                                    split::kLongestSilence);
    ::SendDlgItemMessageA(m_hWnd, IDC_SILENCE_DURATION_SPIN, UDM_SETRANGE32, split::kShortestSilence,
                          split::kLongestSilence);
    std::string text;
    GetSettingString(kSettingsSection, "DivideSilenceInfo", "0:0:0", &text);
    int method = 0, remove = 0, unit = 0;
    std::sscanf(text.c_str(), "%d:%d:%d", &method, &remove, &unit);
    m_method = method == 0 || method == 1 ? method : 0;
    m_unit = unit == 0 || unit == 1 ? unit : 0;
    m_removeCues = remove != 0;
    InitTimeControls();
    return TRUE;
}

void CSilenceDetectionDialog::OnSourceTypeClicked()
{
    for (int type = 0; type < 4; ++type)
        if (IsDlgButtonChecked(kSourceButtons[type]) == BST_CHECKED)
            m_sourceType = type;
    ShowLevels();
}

void CSilenceDetectionDialog::OnOK()
{
    BOOL read = FALSE;
    m_levelA = static_cast<int>(::GetDlgItemInt(m_hWnd, IDC_SILENCE_LEVEL_A, &read, TRUE));
    m_levelB = static_cast<int>(::GetDlgItemInt(m_hWnd, IDC_SILENCE_LEVEL_B, &read, TRUE));
    m_method = CheckedMethod();
    m_removeCues = IsDlgButtonChecked(IDC_SPLIT_REMOVE_CUES) == BST_CHECKED;
    int64_t duration = ReadTypedTime();
    if (m_unit == split::kUnitSeconds)
        duration = split::RoundToTenMilliseconds(duration);
    if (duration < split::kShortestSilence) {
        AfxMessageBox(SplitText(IDS_SPLIT_SILENCE_TOO_SHORT).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_valueMs = std::min(duration, split::kLongestSilence);
    for (int type = 0; type < 4; ++type)
        if (IsDlgButtonChecked(kSourceButtons[type]) == BST_CHECKED)
            m_sourceType = type;
    SetSettingInt(kSettingsSection, "BlankTimeType", m_sourceType);
    SetSettingInt(kSettingsSection, "BlankTimeLength", static_cast<int>(m_valueMs));
    char text[40];
    std::snprintf(text, sizeof text, "%d:%d:%d", m_method, m_removeCues ? 1 : 0, m_unit);
    SetSettingString(kSettingsSection, "DivideSilenceInfo", text);
    EndDialog(IDOK);
}

INT_PTR CSilenceDetectionDialog::Run(CNyMultiTrackDoc* document)
{
    return RunPage(document);
}

void CSilenceDetectionDialog::SetCuePoints(CNyMultiTrackDoc* document, CWnd* main)
{
    DetectSilence(document, main);
}

void CSilenceDetectionDialog::DescribeCuts(CSplitToFilesDialog& files) const
{
    files.m_splitType = CSplitToFilesDialog::kAtSilence;
    files.m_silenceMs = m_valueMs;
    files.m_levelA = m_levelA;
    files.m_levelB = m_levelB;
}
