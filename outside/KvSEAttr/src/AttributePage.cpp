#include "AttributePage.h"

#include "resource.h"

#include <cwchar>

namespace {

const DWORD kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000};
// Every depth a document can have: a depth missing here would be changed by any apply.
const WORD kBits[] = {8, 16, 20, 24, 32};
const wchar_t* const kBitsText[] = {L"8-bit", L"16-bit", L"20-bit", L"24-bit", L"32-bit (float)"};
constexpr int kBitsCount = sizeof(kBits) / sizeof(kBits[0]);

} // namespace

HINSTANCE& AttributePage::ModuleInstance()
{
    static HINSTANCE instance = nullptr;
    return instance;
}

AttributePage::AttributePage()
{
    wchar_t title[64] = L"Sample Type";
    LoadStringW(ModuleInstance(), IDS_PAGE_TITLE, title, 64);
    Setup(ModuleInstance(), IDD_ATTRIBUTE_PAGE, title);
}

AttributePage::~AttributePage()
{
    OnDisconnect();
}

HRESULT AttributePage::OnConnect(IUnknown* object)
{
    return object->QueryInterface(__uuidof(IAttributeSettings), m_settings.OutVoid());
}

void AttributePage::OnDisconnect()
{
    m_settings.Reset();
}

void AttributePage::OnActivate()
{
    HWND dlg = Window();
    DWORD rate = 0, precision = 0;
    WORD bits = 0;
    if (m_settings) {
        m_settings->GetSamplesPerSec(&rate);
        m_settings->GetBitsPerSample(&bits);
        m_settings->GetCalcPrecision(&precision);
    }
    HWND rates = GetDlgItem(dlg, IDC_SAMPLE_RATE);
    for (DWORD r : kRates) {
        wchar_t text[16];
        swprintf(text, 16, L"%lu", static_cast<unsigned long>(r));
        SendMessageW(rates, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SetDlgItemInt(dlg, IDC_SAMPLE_RATE, rate, FALSE);
    HWND bitList = GetDlgItem(dlg, IDC_BITS);
    int selected = 1;
    for (int i = 0; i < kBitsCount; ++i) {
        SendMessageW(bitList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kBitsText[i]));
        if (kBits[i] == bits)
            selected = i;
    }
    SendMessageW(bitList, CB_SETCURSEL, selected, 0);
    SetDlgItemInt(dlg, IDC_PRECISION, precision, FALSE);
}

HRESULT AttributePage::OnApplyChanges()
{
    if (!m_settings)
        return E_UNEXPECTED;
    HWND dlg = Window();
    BOOL ok = FALSE;
    UINT rate = GetDlgItemInt(dlg, IDC_SAMPLE_RATE, &ok, FALSE);
    if (!ok)
        return E_INVALIDARG;
    LRESULT sel = SendDlgItemMessageW(dlg, IDC_BITS, CB_GETCURSEL, 0, 0);
    if (sel < 0 || sel >= kBitsCount)
        return E_INVALIDARG;
    UINT precision = GetDlgItemInt(dlg, IDC_PRECISION, &ok, FALSE);
    if (!ok)
        return E_INVALIDARG;
    // Check every value before changing any, so a refused page leaves the filter as it was.
    DWORD oldRate = 0, oldPrecision = 0;
    WORD oldBits = 0;
    m_settings->GetSamplesPerSec(&oldRate);
    m_settings->GetBitsPerSample(&oldBits);
    m_settings->GetCalcPrecision(&oldPrecision);
    HRESULT hr = m_settings->SetSamplesPerSec(rate);
    if (SUCCEEDED(hr))
        hr = m_settings->SetBitsPerSample(kBits[sel]);
    if (SUCCEEDED(hr))
        hr = m_settings->SetCalcPrecision(precision);
    if (FAILED(hr)) {
        m_settings->SetSamplesPerSec(oldRate);
        m_settings->SetBitsPerSample(oldBits);
        m_settings->SetCalcPrecision(oldPrecision);
    }
    return hr;
}

INT_PTR AttributePage::OnReceiveMessage(UINT msg, WPARAM wp, LPARAM)
{
    if (msg != WM_COMMAND)
        return FALSE;
    WORD code = HIWORD(wp);
    if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE || code == EN_CHANGE) {
        SetDirty();
        return TRUE;
    }
    return FALSE;
}
