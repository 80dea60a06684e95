// The preset list of the effect dialog: the effect's own presets first, then the user's, kept
// in the registry as the effect's state (EffectPresetStore); "(UnTitled)" holds the settings
// last used and is never listed.
#include "EffectDialog.h"

#include "EffectIds.h"
#include "EffectPresetStore.h"
#include "EffectProgramHost.h"
#include "IEffectPresets.h"
#include "PresetNameDialog.h"
#include "ResourceModule.h"

namespace {

std::string Text(UINT id)
{
    char text[512] = {};
    ::LoadStringA(GetResourceModule(), id, text, sizeof text);
    return text;
}

} // namespace

HRESULT CEffectDialog::SaveEffectState(const char* name)
{
    return ::SaveEffectState(m_filter.Get(), name);
}

HRESULT CEffectDialog::LoadEffectState(const char* name)
{
    return ::LoadEffectState(m_filter.Get(), name);
}

HRESULT CEffectDialog::SaveLastSettings()
{
    return SaveEffectState(kLastSettingsName);
}

HRESULT CEffectDialog::LoadLastSettings()
{
    return LoadEffectState(kLastSettingsName);
}

void CEffectDialog::FillPresetList()
{
    m_presetList.ResetContent();
    m_builtInCount = 0;
    int count = 0;
    if (m_presets && SUCCEEDED(m_presets->GetPresetCount(&count)) && count > 0) {
        for (int i = 0; i < count; ++i) {
            wchar_t wide[128] = {};
            char name[256] = {};
            if (SUCCEEDED(m_presets->GetPresetName(static_cast<unsigned>(i), wide, 128)))
                ::WideCharToMultiByte(CP_ACP, 0, wide, -1, name, sizeof name, nullptr, nullptr);
            m_presetList.AddString(name);
        }
        m_builtInCount = count;
    }
    for (const std::string& name : ListPresetNames(m_filter.Get()))
        m_presetList.AddString(name.c_str());
    HWND deleteButton = ::GetDlgItem(m_hWnd, IDC_EFFECT_DELETE_PRESET);
    if (m_presetList.GetCount() == 0) {
        m_presetList.EnableWindow(FALSE);
        ::EnableWindow(deleteButton, FALSE);
        return;
    }
    m_presetList.EnableWindow(TRUE);
    ::EnableWindow(deleteButton, m_builtInCount == 0);
    m_presetList.SetCurSel(0);
}

void CEffectDialog::OnPresetSelChange()
{
    const int index = m_presetList.GetCurSel();
    if (index < 0)
        return;
    HRESULT hr;
    if (index < m_builtInCount) {
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EFFECT_DELETE_PRESET), FALSE);
        hr = m_presets ? m_presets->SelectPreset(static_cast<unsigned>(index)) : E_FAIL;
    } else {
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EFFECT_DELETE_PRESET), TRUE);
        CString name;
        m_presetList.GetLBText(index, name);
        hr = LoadEffectState(name);
    }
    if (SUCCEEDED(hr))
        RefreshPages(m_filter.Get());
}

void CEffectDialog::OnRegisterPreset()
{
    CPresetNameDialog ask(this);
    CString proposed;
    GetDlgItemText(IDC_EFFECT_PRESETS, proposed);
    ask.SetName(proposed);
    if (ask.DoModal() != IDOK)
        return;
    const CString name = ask.GetName();
    int index = m_presetList.FindStringExact(-1, name);
    if (index >= 0 && index < m_builtInCount) {
        AfxMessageBox(Text(IDS_PRESET_BUILT_IN).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (index >= 0 && AfxMessageBox(Text(IDS_PRESET_EXISTS).c_str(), MB_YESNO) != IDYES)
        return;
    const HRESULT hr = SaveEffectState(name);
    if (FAILED(hr)) {
        // Nothing was stored: the list stays as it was.
        GetEffectProgramHost().ShowErrorBox(hr, nullptr, MB_ICONEXCLAMATION);
        return;
    }
    if (index < 0)
        index = m_presetList.AddString(name);
    m_presetList.SetCurSel(index);
    m_presetList.EnableWindow(TRUE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EFFECT_DELETE_PRESET), TRUE);
}

void CEffectDialog::OnDeletePreset()
{
    const int index = m_presetList.GetCurSel();
    if (index < 0 || AfxMessageBox(Text(IDS_PRESET_DELETE).c_str(), MB_YESNO) != IDYES)
        return;
    CString name;
    m_presetList.GetLBText(index, name);
    DeletePresetValue(m_filter.Get(), name);
    m_presetList.DeleteString(index);
    if (m_presetList.GetCount() == 0) {
        m_presetList.EnableWindow(FALSE);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_EFFECT_DELETE_PRESET), FALSE);
        return;
    }
    m_presetList.SetCurSel(0);
    OnPresetSelChange();
    if (!::IsWindowEnabled(::GetDlgItem(m_hWnd, IDC_EFFECT_DELETE_PRESET)))
        m_presetList.SetFocus();
}
