#include "EffectPage.h"

#include "EffectPageIds.h"
#include "PageSkin.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

namespace fxkit {

namespace {

// Row geometry in dialog units.
constexpr int kRowTop = 6, kRowHeight = 16;
constexpr int kLabelX = 6, kLabelW = 72;
constexpr int kSliderX = 80, kSliderW = 126;
constexpr int kEditX = 210, kEditW = 38;
constexpr int kUnitX = 251, kUnitW = 32;

RECT Dlu(HWND dialog, int x, int y, int w, int h)
{
    RECT r{x, y, x + w, y + h};
    MapDialogRect(dialog, &r);
    return r;
}

HWND MakeControl(HWND dialog, const wchar_t* cls, const wchar_t* text, DWORD style, const RECT& r, int id,
                 DWORD exStyle = 0)
{
    HWND w = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, dialog, reinterpret_cast<HMENU>(INT_PTR(id)), ModuleInstance(), nullptr);
    SendMessageW(w, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    return w;
}

} // namespace

void EffectPage::Init(const EffectInfo& desc, int pageIndex)
{
    m_info = &desc;
    m_page = &desc.pages[pageIndex];
    Setup(ModuleInstance(), IDD_EFFECT_PAGE, m_page->title);
    for (int i = 0; i < m_page->paramCount; ++i) {
        const int param = m_page->firstParam + i;
        if (desc.params[param].hidden)
            continue;
        Row row;
        row.param = param;
        row.value = desc.params[param].defaultValue;
        m_rows.push_back(std::move(row));
    }
}

EffectPage::~EffectPage()
{
    // Close the dialog while this class can still answer its WM_DESTROY.
    if (Window())
        Deactivate();
}

HRESULT EffectPage::OnConnect(IUnknown* object)
{
    if (!object)
        return E_POINTER;
    ComRef<IEffectParameters> params = QueryCom<IEffectParameters>(object);
    if (!params)
        return E_NOINTERFACE;
    m_params = std::move(params);
    ReadFilter();
    return S_OK;
}

void EffectPage::OnDisconnect()
{
    m_params.Reset();
}

void EffectPage::Range(const Row& row, double& minimum, double& maximum) const
{
    const ParamInfo& p = m_info->params[row.param];
    minimum = p.minimum;
    maximum = p.maximum;
    if (m_params)
        m_params->GetParameterRange(row.param, &minimum, &maximum);
}

double EffectPage::ValueToSlider(const Row& row, double value) const
{
    return m_info->params[row.param].logScale ? std::log10(std::max(value, 1e-9)) : value;
}

double EffectPage::SliderToValue(const Row& row, double position) const
{
    return m_info->params[row.param].logScale ? std::pow(10.0, position) : position;
}

void EffectPage::ReadFilter()
{
    for (Row& row : m_rows) {
        if (m_params)
            m_params->GetParameter(row.param, &row.value);
        ShowRow(row);
    }
}

void EffectPage::ShowRow(Row& row)
{
    const ParamInfo& p = m_info->params[row.param];
    double lo = p.minimum, hi = p.maximum;
    if (!row.list)
        Range(row, lo, hi);
    if (row.shown && row.shownValue == row.value && row.shownMin == lo && row.shownMax == hi)
        return;
    row.shown = row.slider || row.list;
    row.shownValue = row.value;
    row.shownMin = lo;
    row.shownMax = hi;
    if (row.list) {
        SendMessageW(row.list, CB_SETCURSEL, WPARAM(std::lround(row.value)), 0);
        return;
    }
    if (row.skin) {
        row.skin->SetRange(ValueToSlider(row, lo), ValueToSlider(row, hi));
        row.skin->SetValue(ValueToSlider(row, row.value));
    }
    if (row.edit) {
        wchar_t text[64];
        std::swprintf(text, 64, L"%.*f", p.decimals, row.value);
        m_showing = true; // our own text is no typing
        SetWindowTextW(row.edit, text);
        m_showing = false;
    }
}

void EffectPage::BuildRows()
{
    HWND dialog = Window();
    int line = 0;
    for (Row& row : m_rows) {
        const ParamInfo& p = m_info->params[row.param];
        const int y = kRowTop + line * kRowHeight;
        MakeControl(dialog, L"STATIC", p.label, SS_LEFT, Dlu(dialog, kLabelX, y + 2, kLabelW, 10), IDC_FX_LABEL + line);
        if (p.choices) {
            row.list = MakeControl(dialog, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                                   Dlu(dialog, kSliderX, y, kSliderW, 90), IDC_FX_LIST + line);
            for (int k = 0; p.choices[k]; ++k)
                SendMessageW(row.list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.choices[k]));
        } else {
            row.slider = MakeControl(dialog, L"STATIC", L"", SS_NOTIFY | WS_TABSTOP,
                                     Dlu(dialog, kSliderX, y, kSliderW, 14), IDC_FX_SLIDER + line);
            auto skin = std::make_unique<geq::SkinSlider>(ModuleInstance());
            if (skin->Attach(row.slider)) {
                skin->SetVertical(false);
                skin->SetStyle(geq::SkinSlider::kStyleNoSnap);
                skin->SetDefault(ValueToSlider(row, p.defaultValue));
                skin->SetStep(p.logScale ? 0.01 : std::pow(10.0, -p.decimals));
                row.skin = std::move(skin);
            }
            row.edit = MakeControl(dialog, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP,
                                   Dlu(dialog, kEditX, y, kEditW, 12), IDC_FX_EDIT + line, WS_EX_CLIENTEDGE);
            row.unit = MakeControl(dialog, L"STATIC", p.unit, SS_LEFT, Dlu(dialog, kUnitX, y + 2, kUnitW, 10),
                                   IDC_FX_UNIT + line);
        }
        ++line;
    }
}

void EffectPage::OnActivate()
{
    geq::PageSkinProc(Window(), WM_INITDIALOG, 0, 0);
    BuildRows();
    ReadFilter();
}

void EffectPage::Change(Row& row, double value)
{
    double lo, hi;
    Range(row, lo, hi);
    row.value = ClampParam(m_info->params[row.param], value, lo, hi);
    ShowRow(row);
    SetDirty(true);
}

HRESULT EffectPage::OnApplyChanges()
{
    if (!m_params)
        return E_UNEXPECTED;
    for (Row& row : m_rows) {
        m_params->SetParameter(row.param, row.value);
        m_params->GetParameter(row.param, &row.value);
    }
    // Limits may follow other values (a depth, the rate): show what the filter holds.
    ReadFilter();
    return S_OK;
}

INT_PTR EffectPage::OnReceiveMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    const INT_PTR skin = geq::PageSkinProc(Window(), msg, wp, lp);
    if (skin)
        return skin;
    switch (msg) {
    case WM_HSCROLL:
        for (Row& row : m_rows)
            if (row.skin && row.slider == reinterpret_cast<HWND>(lp)) {
                Change(row, SliderToValue(row, row.skin->GetValue()));
                return 1;
            }
        return 0;
    case WM_COMMAND: {
        const HWND control = reinterpret_cast<HWND>(lp);
        const int code = HIWORD(wp);
        for (Row& row : m_rows) {
            if (row.edit == control && code == EN_CHANGE && !m_showing) {
                // Typing reaches the filter at once (Enter may run the effect before the edit
                // loses the focus); the text is tidied when it does.
                wchar_t text[64] = {};
                GetWindowTextW(row.edit, text, 64);
                wchar_t* end = nullptr;
                const double v = std::wcstod(text, &end);
                if (end != text && *end == 0) {
                    double lo, hi;
                    Range(row, lo, hi);
                    row.value = ClampParam(m_info->params[row.param], v, lo, hi);
                    if (row.skin)
                        row.skin->SetValue(ValueToSlider(row, row.value));
                    // The edit keeps the user's text (and caret) while the filter takes the value.
                    row.shown = true;
                    row.shownValue = row.value;
                    row.shownMin = lo;
                    row.shownMax = hi;
                    SetDirty(true);
                }
                return 1;
            }
            if (row.edit == control && code == EN_KILLFOCUS) {
                wchar_t text[64] = {};
                GetWindowTextW(row.edit, text, 64);
                wchar_t* end = nullptr;
                const double v = std::wcstod(text, &end);
                row.shown = false; // the text is the user's: show the value again
                if (end == text)
                    ShowRow(row); // not a number: the old value stays
                else
                    Change(row, v);
                return 1;
            }
            if (row.list == control && code == CBN_SELCHANGE) {
                const LRESULT sel = SendMessageW(row.list, CB_GETCURSEL, 0, 0);
                if (sel >= 0)
                    Change(row, double(sel));
                return 1;
            }
        }
        return 0;
    }
    case WM_DESTROY:
        for (Row& row : m_rows) {
            row.shown = false;
            row.skin.reset();
            row.slider = row.edit = row.list = row.unit = nullptr;
        }
        return 0;
    default:
        return 0;
    }
}

} // namespace fxkit
