#include "SplitTimePage.h"

#include "HelpLauncher.h"
#include "ResourceModule.h"
#include "SplitIds.h"
#include "SplitToFilesDialog.h"
#include "SplitValues.h"

#include <algorithm>

namespace {
constexpr UINT kIdsSeconds = 10005;      // "Seconds"
constexpr UINT kIdsMilliseconds = 10006; // "Milliseconds"
constexpr UINT kHelpSplit = 600;

std::string Text(UINT id)
{
    char text[256] = {};
    ::LoadStringA(GetResourceModule(), id, text, sizeof text);
    return text;
}
} // namespace

BEGIN_MESSAGE_MAP(CSplitTimePage, CDialog)
    ON_BN_CLICKED(IDC_SPLIT_TO_FILES, OnMethodClicked)
    ON_BN_CLICKED(IDC_SPLIT_TO_CUES, OnMethodClicked)
    ON_BN_CLICKED(IDC_SPLIT_BACK, OnBack)
    ON_BN_CLICKED(IDC_SPLIT_HELP, OnHelp)
    ON_NOTIFY(UDN_DELTAPOS, IDC_SPLIT_INTERVAL_SPIN, OnSpin)
    ON_NOTIFY(UDN_DELTAPOS, IDC_SILENCE_DURATION_SPIN, OnSpin)
    ON_CBN_SELCHANGE(IDC_SPLIT_INTERVAL_UNIT, OnUnitChanged)
    ON_CBN_SELCHANGE(IDC_SILENCE_UNIT, OnUnitChanged)
    ON_EN_KILLFOCUS(IDC_SPLIT_INTERVAL, OnTimeKillFocus)
    ON_EN_KILLFOCUS(IDC_SILENCE_DURATION, OnTimeKillFocus)
END_MESSAGE_MAP()

CSplitTimePage::CSplitTimePage(UINT templateId, CWnd* parent, TimeControls controls, UINT helpTopic)
    : CDialog(templateId, parent), m_controls(controls), m_helpTopic(helpTopic)
{
}

int64_t CSplitTimePage::Clamp(int64_t ms) const
{
    return std::max(Minimum(), std::min(ms, std::max(Minimum(), Maximum())));
}

void CSplitTimePage::InitTimeControls()
{
    CheckRadioButton(IDC_SPLIT_TO_FILES, IDC_SPLIT_TO_CUES, m_method == 1 ? IDC_SPLIT_TO_CUES : IDC_SPLIT_TO_FILES);
    CheckDlgButton(IDC_SPLIT_REMOVE_CUES, m_removeCues ? BST_CHECKED : BST_UNCHECKED);
    ApplyMethodRule();
    HWND unit = ::GetDlgItem(m_hWnd, m_controls.unit);
    for (UINT id : {kIdsSeconds, kIdsMilliseconds})
        ::SendMessageA(unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(id).c_str()));
    ::SendMessageA(unit, CB_SETCURSEL, static_cast<WPARAM>(m_unit), 0);
    ShowTime();
}

int64_t CSplitTimePage::ReadTypedTime()
{
    char text[64] = {};
    ::GetDlgItemTextA(m_hWnd, m_controls.edit, text, sizeof text);
    // The text shown stands for the time held, which it may show rounded (7255 ms as 7.25).
    if (m_shownText == text)
        return m_valueMs;
    return split::ParseMilliseconds(text, m_unit, m_valueMs);
}

void CSplitTimePage::TakeTypedTime()
{
    m_valueMs = Clamp(ReadTypedTime());
    ShowTime();
}

void CSplitTimePage::ShowTime()
{
    m_shownText = split::FormatMilliseconds(m_valueMs, m_unit);
    ::SetDlgItemTextA(m_hWnd, m_controls.edit, m_shownText.c_str());
    if (SpinFollowsValue())
        ::SendDlgItemMessageA(m_hWnd, m_controls.spin, UDM_SETPOS32, 0, static_cast<LPARAM>(m_valueMs));
}

int CSplitTimePage::CheckedMethod() const
{
    return IsDlgButtonChecked(IDC_SPLIT_TO_CUES) == BST_CHECKED ? 1 : 0;
}

void CSplitTimePage::ApplyMethodRule()
{
    m_method = CheckedMethod();
    HWND box = ::GetDlgItem(m_hWnd, IDC_SPLIT_REMOVE_CUES);
    if (m_method == 1) {
        ::SetDlgItemTextA(m_hWnd, IDOK, Text(IDS_SPLIT_SET_CUES).c_str());
        ::EnableWindow(box, TRUE);
    } else {
        ::SetDlgItemTextA(m_hWnd, IDOK, Text(IDS_SPLIT_NEXT).c_str());
        CheckDlgButton(IDC_SPLIT_REMOVE_CUES, BST_UNCHECKED);
        ::EnableWindow(box, FALSE);
        m_removeCues = false;
    }
}

void CSplitTimePage::OnSpin(NMHDR* header, LRESULT* result)
{
    const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
    int64_t value = Clamp(ReadTypedTime());
    value += change->iDelta > 0 ? split::SpinStep(m_unit) : -split::SpinStep(m_unit);
    m_valueMs = Clamp(value);
    ShowTime();
    *result = 1; // the page sets the position itself
}

void CSplitTimePage::OnUnitChanged()
{
    m_valueMs = Clamp(ReadTypedTime());
    const LRESULT chosen = ::SendDlgItemMessageA(m_hWnd, m_controls.unit, CB_GETCURSEL, 0, 0);
    m_unit = chosen == 0 ? split::kUnitSeconds : split::kUnitMilliseconds;
    ShowTime();
}

void CSplitTimePage::OnTimeKillFocus()
{
    TakeTypedTime();
}

void CSplitTimePage::OnMethodClicked()
{
    ApplyMethodRule();
}

void CSplitTimePage::OnBack()
{
    EndDialog(kBack);
}

void CSplitTimePage::OnHelp()
{
    HelpLauncher help;
    if (!help.ShowTopic(m_helpTopic, 0))
        help.ShowTopic(kHelpSplit, 0);
}

INT_PTR CSplitTimePage::RunPage(CNyMultiTrackDoc* document)
{
    const INT_PTR result = DoModal();
    if (result != IDOK)
        return result;
    CWnd* main = AfxGetMainWnd();
    if (main)
        main->UpdateWindow();
    if (m_method == 1) {
        SetCuePoints(document, main);
        return result;
    }
    CSplitToFilesDialog files(main);
    files.m_formatWord = m_formatWord;
    DescribeCuts(files);
    files.Execute(document, main ? main->m_hWnd : nullptr);
    return result;
}
