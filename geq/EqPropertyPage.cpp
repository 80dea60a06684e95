#include "EqPropertyPage.h"

#include "EqResource.h"
#include "GraphicEqParams.h"
#include "PageSkin.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace geq {

namespace {

using Getter = HRESULT (STDMETHODCALLTYPE IGraphicEq::*)(int*);
using Setter = HRESULT (STDMETHODCALLTYPE IGraphicEq::*)(int);

const Getter kGetters[kSliderCount] = {&IGraphicEq::GetBand1,  &IGraphicEq::GetBand2, &IGraphicEq::GetBand3,
                                       &IGraphicEq::GetBand4,  &IGraphicEq::GetBand5, &IGraphicEq::GetBand6,
                                       &IGraphicEq::GetBand7,  &IGraphicEq::GetBand8, &IGraphicEq::GetBand9,
                                       &IGraphicEq::GetBand10, &IGraphicEq::GetMaster};
const Setter kSetters[kSliderCount] = {&IGraphicEq::SetBand1,  &IGraphicEq::SetBand2, &IGraphicEq::SetBand3,
                                       &IGraphicEq::SetBand4,  &IGraphicEq::SetBand5, &IGraphicEq::SetBand6,
                                       &IGraphicEq::SetBand7,  &IGraphicEq::SetBand8, &IGraphicEq::SetBand9,
                                       &IGraphicEq::SetBand10, &IGraphicEq::SetMaster};

const wchar_t kHelpFile[] = L"KVSEGEQ1.HLP";
const wchar_t kHelpTopic[] = L"408";

std::wstring LoadText(int id)
{
    wchar_t text[256] = {};
    LoadStringW(ModuleInstance(), UINT(id), text, 256);
    return text;
}

LPOLESTR TaskMemString(const wchar_t* text)
{
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    auto* p = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (p)
        std::memcpy(p, text, bytes);
    return p;
}

// dB to the parameter's 0.1 dB, truncated toward zero (a hair of slack absorbs binary rounding).
int ToTenths(double db)
{
    const double t = db * 10.0;
    return int(t + (t >= 0 ? 1e-9 : -1e-9));
}

} // namespace

void EqPageBase::InitPage(int index)
{
    m_index = index;
    const int dialog = index == 0 ? IDD_IIR_PAGE : IDD_FIR_PAGE;
    Setup(ModuleInstance(), dialog, LoadText(index == 0 ? IDS_IIR_PAGE_TITLE : IDS_FIR_PAGE_TITLE).c_str());
    for (int k = 0; k < kSliderCount; ++k) {
        m_records[k].sliderId = IDC_SLIDER_BAND1 + k;
        m_records[k].editId = IDC_EDIT_BAND1 + k;
    }
}

EqPageBase::~EqPageBase()
{
    // Close the dialog while this class can still answer its WM_DESTROY.
    if (Window())
        Deactivate();
}

STDMETHODIMP EqPageBase::GetPageInfo(PROPPAGEINFO* info)
{
    HRESULT hr = PropertyPage::GetPageInfo(info);
    if (FAILED(hr))
        return hr;
    info->pszHelpFile = TaskMemString(kHelpTopic);
    info->dwHelpContext = 1;
    return S_OK;
}

HRESULT EqPageBase::OnConnect(IUnknown* object)
{
    if (!object)
        return E_POINTER;
    ComRef<IGraphicEq> eq = QueryCom<IGraphicEq>(object);
    if (!eq)
        return E_NOINTERFACE;
    m_eq = std::move(eq);
    RefreshFromFilter();
    if (m_dialog) {
        m_eq->SetNotifyWindow(m_dialog, kPageNotifyId);
        ApplyMode();
    }
    return S_OK;
}

void EqPageBase::OnDisconnect()
{
    if (!m_eq)
        return;
    if (m_dialog)
        m_eq->SetNotifyWindow(nullptr, kPageNotifyId);
    m_eq.Reset();
}

void EqPageBase::OnActivate()
{
    // The base creates the dialog and hands us the messages after WM_INITDIALOG: run the
    // skin's and our own set-up here.
    m_dialog = Window();
    PageSkinProc(m_dialog, WM_INITDIALOG, 0, 0);
    if (m_eq)
        m_eq->SetNotifyWindow(m_dialog, kPageNotifyId);
    InitControls();
    ApplyMode();
}

int EqPageBase::GetParam(int k)
{
    int v = 0;
    if (m_eq)
        (m_eq.Get()->*kGetters[k])(&v);
    return v;
}

void EqPageBase::SetParam(int k, int tenthsDb)
{
    if (m_eq)
        (m_eq.Get()->*kSetters[k])(tenthsDb);
}

void EqPageBase::ShowValue(int k)
{
    if (!m_dialog)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(m_records[k].value));
    SetDlgItemTextA(m_dialog, m_records[k].editId, text);
}

void EqPageBase::RefreshFromFilter()
{
    for (int k = 0; k < kSliderCount; ++k) {
        SliderRecord& r = m_records[k];
        const int v = GetParam(k);
        r.value = float(v) * 0.1f;
        if (r.slider)
            r.slider->SetValue(v);
        ShowValue(k);
    }
}

void EqPageBase::InitControls()
{
    for (int k = 0; k < kSliderCount; ++k) {
        SliderRecord& r = m_records[k];
        HWND control = GetDlgItem(m_dialog, r.sliderId);
        if (!control)
            continue;
        auto slider = std::make_unique<SkinSlider>(ModuleInstance());
        if (!slider->Attach(control))
            continue;
        slider->SetRange(kGainMin, kGainMax);
        slider->SetDefault(0);
        slider->SetStep(1);
        slider->SetVertical(true);
        slider->SetStyle(SkinSlider::kStyleTicks);
        slider->SetTicks(9);
        const int v = GetParam(k);
        slider->SetValue(v);
        r.slider = std::move(slider);
        r.minimum = -60.0f;
        r.maximum = 20.0f;
        r.value = float(v) * 0.1f;
        ShowValue(k);
    }
    if (m_eq)
        m_eq->SetMode(0);
    EnableBandsForRate();
}

void EqPageBase::EnableBandsForRate()
{
    if (!m_eq || !m_dialog)
        return;
    int rate = 0;
    m_eq->GetSampleRate(&rate);
    const int half = rate / 2;
    for (int k = 0; k < kBandCount; ++k) {
        if (kBandCentresHz[k] >= half) {
            EnableWindow(GetDlgItem(m_dialog, m_records[k].sliderId), FALSE);
            EnableWindow(GetDlgItem(m_dialog, m_records[k].editId), FALSE);
        }
    }
}

void EqPageBase::OnReset()
{
    if (!m_eq)
        return;
    int mode = 0;
    m_eq->GetMode(&mode);
    m_eq->Reset();
    for (int k = 0; k < kSliderCount; ++k)
        m_records[k].value = float(GetParam(k)) * 0.1f;
    m_eq->SetMode(mode);
    for (int k = 0; k < kSliderCount; ++k) {
        if (m_records[k].slider)
            m_records[k].slider->SetValue(GetParam(k));
        ShowValue(k);
    }
}

void EqPageBase::OnEditDone(int k)
{
    SliderRecord& r = m_records[k];
    char text[129] = {};
    GetDlgItemTextA(m_dialog, r.editId, text, 128);
    double v = std::atof(text);
    if (v > r.maximum)
        v = r.maximum;
    if (v < r.minimum)
        v = r.minimum;
    const int tenths = ToTenths(v);
    SetParam(k, tenths);
    r.value = float(v);
    ShowValue(k);
    ApplyMode();
    if (r.slider)
        r.slider->SetValue(tenths);
}

void EqPageBase::OnSlider(HWND slider)
{
    for (int k = 0; k < kSliderCount; ++k) {
        SliderRecord& r = m_records[k];
        if (!r.slider || r.slider->Window() != slider)
            continue;
        const double db = r.slider->GetValue() * 0.1;
        r.value = float(db);
        ShowValue(k);
        SetParam(k, ToTenths(db));
        return;
    }
}

void EqPageBase::CloseHelp()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash || size_t(slash - path) + 1 + wcslen(kHelpFile) >= MAX_PATH)
        return;
    wcscpy(slash + 1, kHelpFile);
    WinHelpW(m_dialog, path, HELP_QUIT, 0);
}

INT_PTR EqPageBase::OnReceiveMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    const INT_PTR skin = PageSkinProc(Window(), msg, wp, lp);
    if (skin)
        return skin;
    switch (msg) {
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        const int code = HIWORD(wp);
        if (id == IDC_RESET && code == BN_CLICKED) {
            OnReset();
            return 1;
        }
        if (code == EN_KILLFOCUS && id >= IDC_EDIT_BAND1 && id <= IDC_EDIT_MASTER) {
            OnEditDone(id - IDC_EDIT_BAND1);
            return 1;
        }
        return 0;
    }
    case WM_HSCROLL:
        OnSlider(reinterpret_cast<HWND>(lp));
        return 1;
    case WM_DESTROY:
        if (m_eq)
            m_eq->SetNotifyWindow(nullptr, kPageNotifyId);
        CloseHelp();
        for (auto& r : m_records)
            r.slider.reset();
        m_dialog = nullptr;
        return 0;
    default:
        return 0;
    }
}

EqPropertyPage::EqPropertyPage()
{
    InitPage(0);
}

void EqPropertyPage::ApplyMode()
{
    if (Eq())
        Eq()->SetMode(0);
}

FirEqPropertyPage::FirEqPropertyPage()
{
    InitPage(1);
}

void FirEqPropertyPage::ApplyMode()
{
    if (Eq()) {
        Eq()->SetMode(0);
        Eq()->SetMode(1);
    }
}

} // namespace geq
