#include "RulerUnitsDialog.h"

#include "DocumentHost.h"
#include "DrawIds.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "RulerCore.h"
#include "Settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr uint32_t kPresetBits[4] = {kRulerFilm24, kRulerPal25, kRulerNtsc2997, kRulerNtsc30};
constexpr double kPresetRates[4] = {24.0, 25.0, 29.97, 30.0};
constexpr uint32_t kTimeBits[6] = {kRulerHms,     kRulerSeconds, kRulerMilliseconds,
                                   kRulerSamples, kRulerFrames,  kRulerTimeCode};
constexpr uint32_t kAmplitudeBits[4] = {kRulerPercentage, kRulerDecimal, kRulerDb, kRulerHexadecimal};
constexpr double kLowestRate = 0.05;
constexpr int kHighestRate = 1000;
} // namespace

void LoadRulerPresetNames(std::string presets[4])
{
    for (int i = 0; i < 4; ++i) {
        CString text;
        text.LoadString(IDS_RULER_FILM24 + i);
        presets[i] = text.GetString();
    }
}

RulerUnitsChoice ChoiceFromUnits(uint32_t units, double frameRate, bool floatSamples, const std::string presets[4])
{
    RulerUnitsChoice c;
    c.timeIndex = 5;
    for (int i = 0; i < 5; ++i)
        if (units & kTimeBits[i]) {
            c.timeIndex = i;
            break;
        }
    c.amplitudeIndex = units & kRulerPercentage ? 0 : units & kRulerDecimal ? 1 : units & kRulerDb ? 2 : 3;
    if (floatSamples && (c.amplitudeIndex == 1 || c.amplitudeIndex == 3))
        c.amplitudeIndex = 0;
    for (int i = 0; i < 4; ++i)
        if (units & kPresetBits[i]) {
            c.rateText = presets[i];
            return c;
        }
    char text[64];
    if (frameRate == std::floor(frameRate))
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(frameRate));
    else
        std::snprintf(text, sizeof text, "%.3f", frameRate);
    c.rateText = text;
    return c;
}

uint32_t UnitsFromChoice(const RulerUnitsChoice& choice, const std::string presets[4], double* frameRate)
{
    uint32_t units = kTimeBits[choice.timeIndex > 4 ? 5 : std::max(choice.timeIndex, 0)] |
                     kAmplitudeBits[std::min(std::max(choice.amplitudeIndex, 0), 3)];
    for (int i = 0; i < 4; ++i)
        if (choice.rateText == presets[i]) {
            *frameRate = kPresetRates[i];
            return units | kPresetBits[i];
        }
    *frameRate = std::atof(choice.rateText.c_str());
    return units;
}

bool IsValidFrameRateText(const std::string& text, const std::string presets[4])
{
    for (int i = 0; i < 4; ++i)
        if (text == presets[i])
            return true;
    double value = std::atof(text.c_str());
    return value >= kLowestRate && value <= kHighestRate;
}

BEGIN_MESSAGE_MAP(CRulerUnitsDialog, CDialog)
    ON_COMMAND(IDC_RULER_HMS, OnUnitWithoutFrames)
    ON_COMMAND(IDC_RULER_SECONDS, OnUnitWithoutFrames)
    ON_COMMAND(IDC_RULER_MILLISECONDS, OnUnitWithoutFrames)
    ON_COMMAND(IDC_RULER_SAMPLES, OnUnitWithoutFrames)
    ON_COMMAND(IDC_RULER_FRAMES, OnUnitWithFrames)
    ON_COMMAND(IDC_RULER_TIMECODE, OnUnitWithFrames)
    ON_COMMAND(9, OnHelp)
END_MESSAGE_MAP()

CRulerUnitsDialog::CRulerUnitsDialog(CWnd* parent) : CDialog(IDD_RULER_UNITS, parent) {}

void CRulerUnitsDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Radio(dx, IDC_RULER_HMS, m_timeIndex);
    DDX_Radio(dx, IDC_RULER_PERCENTAGE, m_amplitudeIndex);
    DDX_CBString(dx, IDC_RULER_FPS, m_rateText);
    if (!dx->m_bSaveAndValidate)
        return;
    std::string presets[4];
    LoadRulerPresetNames(presets);
    if (!IsValidFrameRateText(m_rateText.GetString(), presets)) {
        CString format;
        format.LoadString(IDS_RULER_BAD_RATE);
        char text[256];
        std::snprintf(text, sizeof text, format.GetString(), kLowestRate, kHighestRate);
        dx->PrepareCtrl(IDC_RULER_FPS);
        dx->Fail(text);
    }
}

BOOL CRulerUnitsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND combo = ::GetDlgItem(m_hWnd, IDC_RULER_FPS);
    std::string presets[4];
    LoadRulerPresetNames(presets);
    for (const std::string& name : presets)
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    LRESULT found =
        ::SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(m_rateText.GetString()));
    if (found != CB_ERR)
        ::SendMessageA(combo, CB_SETCURSEL, WPARAM(found), 0);
    else
        ::SetWindowTextA(combo, m_rateText.GetString());
    EnableRate(m_timeIndex == 4 || m_timeIndex == 5);
    if (m_amplitudeLocked) {
        RECT group;
        ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_RULER_AMPLITUDE_GROUP), &group);
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            ::GetWindowRect(child, &r);
            RECT inside;
            if (child != ::GetDlgItem(m_hWnd, IDC_RULER_AMPLITUDE_GROUP) && ::IntersectRect(&inside, &r, &group) &&
                ::EqualRect(&inside, &r))
                ::EnableWindow(child, FALSE);
        }
    } else if (m_floatSamples) {
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RULER_DECIMAL), FALSE);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RULER_HEXADECIMAL), FALSE);
    }
    return TRUE;
}

void CRulerUnitsDialog::EnableRate(bool on)
{
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RULER_FPS), on);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RULER_FPS_LABEL), on);
}

void CRulerUnitsDialog::OnUnitWithoutFrames()
{
    EnableRate(false);
}

void CRulerUnitsDialog::OnUnitWithFrames()
{
    EnableRate(true);
}

void CRulerUnitsDialog::OnHelp()
{
    // Help topic 305 opens through the application's help launcher, which the view cannot
    // reach from here; the button stays for the layout.
}

void RunRulerUnitsCommand(CNyMultiTrackView* view)
{
    CNyMultiTrackDoc* doc = view ? view->GetMultiTrackDoc() : nullptr;
    if (!doc)
        return;
    DocumentSettings& settings = doc->GetSettings();
    std::string presets[4];
    LoadRulerPresetNames(presets);
    bool floatSamples = doc->GetBitsPerSample() == 32;
    RulerUnitsChoice choice = ChoiceFromUnits(settings.rulerUnit, settings.frameRate, floatSamples, presets);
    CRulerUnitsDialog dialog(view);
    dialog.m_timeIndex = choice.timeIndex;
    dialog.m_amplitudeIndex = choice.amplitudeIndex;
    dialog.m_rateText = choice.rateText.c_str();
    dialog.m_floatSamples = floatSamples ? 1 : 0;
    dialog.m_amplitudeLocked = view->GetEditMode() == 1 || view->GetEditMode() == 2 ? 1 : 0;
    if (dialog.DoModal() != IDOK)
        return;
    choice.timeIndex = dialog.m_timeIndex;
    choice.amplitudeIndex = dialog.m_amplitudeIndex;
    choice.rateText = dialog.m_rateText.GetString();
    double rate = 0;
    uint32_t units = UnitsFromChoice(choice, presets, &rate);
    settings.rulerUnit = units;
    settings.frameRate = rate;
    GetDocumentHost().DefaultSettings().rulerUnit = units;
    GetDocumentHost().DefaultSettings().frameRate = rate;
    SetSettingInt(kSettingsSection, "Unit", int(units));
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", rate);
    SetSettingString(kSettingsSection, "UnitFrames", text);
    view->GetTimeRuler().SetUnits(units, rate);
    view->GetAmplitudeScale().SetUnits(units, 0);
    view->RecalcLayout();
    for (CWnd* pane : {static_cast<CWnd*>(&view->GetTimeRuler()), static_cast<CWnd*>(&view->GetAmplitudeScale()),
                       static_cast<CWnd*>(&view->GetTrackArea())})
        if (pane->m_hWnd)
            ::InvalidateRect(pane->m_hWnd, nullptr, FALSE);
}
