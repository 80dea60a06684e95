#include "AdvancedSettingsDialog.h"

#include "AdvancedAudioSettingsDialog.h"
#include "ComObject.h"
#include "ErrorText.h"
#include "HelpLauncher.h"
#include "ResourceModule.h"
#include "SettingsIds.h"

#include <vector>

namespace {

constexpr HRESULT kErrOutputSettings = static_cast<HRESULT>(0x83E808A0);
constexpr int kPageMargin = 15;

// The page's host: no container, the user's locale, accelerators left to the page.
class PageSite : public ComObject<IPropertyPageSite> {
public:
    STDMETHODIMP OnStatusChange(DWORD) override { return S_OK; }
    STDMETHODIMP GetLocaleID(LCID* locale) override
    {
        if (!locale)
            return E_POINTER;
        *locale = ::GetUserDefaultLCID();
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown** container) override
    {
        if (container)
            *container = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
};

std::vector<DWORD> ChannelMasks(LONG kind)
{
    switch (kind) {
    case 3:
        return {0x01, 0x03, 0x07, 0x0F, 0x1F, 0x3F};
    case 6:
        return {0x01, 0x03, 0x3F};
    case 12:
        return {0x3F};
    default:
        return {0x01, 0x03, 0x07, 0x13, 0x0F, 0x17, 0x1B, 0x33, 0x1F, 0x37, 0x3B, 0x3F};
    }
}

DWORD HelpTopic(LONG kind)
{
    switch (kind) {
    case 2:
        return 104;
    case 3:
        return 107;
    case 4:
        return 105;
    case 5:
    case 15:
        return 106;
    case 6:
        return 108;
    case 7:
        return 110;
    case 8:
        return 111;
    case 9:
        return 112;
    case 12:
    case 16:
        return 114;
    case 13:
        return 113;
    case 17:
        return 115;
    case 18:
        return 109;
    case 19:
        return 127;
    case 21:
        return 124;
    case 22:
        return 125;
    case 23:
        return 126;
    default:
        return 103;
    }
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Warn(UINT stringId)
{
    CString text;
    text.LoadString(stringId);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

BEGIN_MESSAGE_MAP(AdvancedSettingsDialog, CDialog)
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_ADV_MIX, OnMixClicked)
    ON_CBN_SELCHANGE(IDC_ADV_CHANNELS, OnChannelChosen)
    ON_BN_CLICKED(IDC_ADV_COPYRIGHT, OnCopyright)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

AdvancedSettingsDialog::AdvancedSettingsDialog(CWnd* parent) : CDialog(IDD_ADVANCED_SETTINGS, parent) {}

AdvancedSettingsDialog::~AdvancedSettingsDialog() = default;

std::string AdvancedSettingsDialog::ChannelText(DWORD mask)
{
    if (mask == 0x01)
        return "Mono";
    static const char* const names[] = {"L", "R", "C", "Lfe", "Ls", "Rs"};
    std::string text;
    for (int bit = 0; bit < 6; ++bit) {
        if (!(mask & (1u << bit)))
            continue;
        if (!text.empty())
            text += ", ";
        text += names[bit];
    }
    return text;
}

int AdvancedSettingsDialog::SetOptionParams(WORD* count, void** block)
{
    m_infoCount = count;
    m_infoBlock = block;
    return 1;
}

void AdvancedSettingsDialog::SetOutputFormat(const char* name, LONG kind, IOutputFormatSettings* settings)
{
    m_name = name ? name : "";
    m_kind = kind;
    m_copy.Reset();
    m_settings = ComRef<IOutputFormatSettings>::Share(settings);
    if (settings)
        settings->CopySettings(m_copy.Out());
}

HRESULT AdvancedSettingsDialog::GetOutputFormat(IOutputFormatSettings** copy)
{
    if (!copy || !m_copy)
        return E_FAIL;
    return m_copy->CopySettings(copy);
}

void AdvancedSettingsDialog::SetSourceObject(IPropertyPage* page)
{
    if (!m_page)
        m_page = ComRef<IPropertyPage>::Share(page);
}

HRESULT AdvancedSettingsDialog::ActivatePage()
{
    if (!m_site)
        m_site = ComRef<IPropertyPageSite>(ComObject<IPropertyPageSite>::Create<PageSite>());
    HRESULT hr = m_page->SetPageSite(m_site.Get());
    if (SUCCEEDED(hr))
        hr = m_page->Activate(m_hWnd, &m_pageRect, TRUE);
    if (SUCCEEDED(hr))
        m_page->Show(SW_SHOW);
    return hr;
}

void AdvancedSettingsDialog::ReleasePage()
{
    if (!m_page)
        return;
    m_page->Deactivate();
    m_page->SetPageSite(nullptr);
    m_page.Reset();
}

BOOL AdvancedSettingsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_kind == 6 && m_settings && !m_settings->IsChannelSettingUsable())
        Warn(IDS_CHANNEL_UNUSABLE);
    HWND copyright = ::GetDlgItem(m_hWnd, IDC_ADV_COPYRIGHT);
    ::ShowWindow(copyright, m_infoCount && m_infoBlock && m_infoButton ? SW_SHOW : SW_HIDE);
    ::EnableWindow(copyright, m_infoButton);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ADV_MIX), m_mixEnabled);
    ::CheckDlgButton(m_hWnd, IDC_ADV_MIX, m_mix ? BST_CHECKED : BST_UNCHECKED);

    HWND mixGroup = ::GetDlgItem(m_hWnd, IDC_ADV_MIX_GROUP);
    RECT mixRect = ChildRect(m_hWnd, mixGroup);
    int hiddenMix = m_mixGroupShown ? 0 : mixRect.bottom - mixRect.top;
    if (m_page) {
        PROPPAGEINFO info{};
        info.cb = sizeof info;
        if (SUCCEEDED(m_page->GetPageInfo(&info))) {
            for (LPOLESTR text : {info.pszTitle, info.pszDocString, info.pszHelpFile})
                ::CoTaskMemFree(text);
        }
        int width = info.size.cx, height = info.size.cy;
        m_pageRect = {kPageMargin, kPageMargin, kPageMargin + width, kPageMargin + height};
        // Everything moves below the page, and right when the page is wider than the controls.
        int span = ChildRect(m_hWnd, ::GetDlgItem(m_hWnd, IDHELP)).right - mixRect.left;
        int dx = width > span ? width - span : 0, dy = height - hiddenMix;
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT rect = ChildRect(m_hWnd, child);
            ::SetWindowPos(child, nullptr, rect.left + dx, rect.top + dy, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        RECT window{};
        GetWindowRect(&window);
        int newWidth = window.right - window.left;
        if (width + 30 > newWidth)
            newWidth = width + 30;
        SetWindowPos(nullptr, 0, 0, newWidth, window.bottom - window.top + height + 30 - hiddenMix,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ActivatePage();
    }
    if (!m_mixGroupShown) {
        ::ShowWindow(mixGroup, SW_HIDE);
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_ADV_MIX), SW_HIDE);
    }
    FillChannels();
    return TRUE;
}

void AdvancedSettingsDialog::FillChannels()
{
    HWND combo = ::GetDlgItem(m_hWnd, IDC_ADV_CHANNELS);
    if (m_sourceChannels < 3) {
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_ADV_CHANNELS_LABEL), SW_HIDE);
        ::ShowWindow(combo, SW_HIDE);
        return;
    }
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (DWORD mask : ChannelMasks(m_kind)) {
        int index = (int)::SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)ChannelText(mask).c_str());
        ::SendMessageA(combo, CB_SETITEMDATA, (WPARAM)index, (LPARAM)mask);
    }
    ::SendMessageA(combo, CB_SETCURSEL, (WPARAM)(::SendMessageA(combo, CB_GETCOUNT, 0, 0) - 1), 0);
    SelectMask(m_channelMask);
    // The entry shown is the choice: the one to go back to when a new one cannot be used.
    m_channelMask = (DWORD)::SendMessageA(combo, CB_GETITEMDATA, (WPARAM)::SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    ::EnableWindow(combo, TRUE);
}

void AdvancedSettingsDialog::SelectMask(DWORD mask)
{
    HWND combo = ::GetDlgItem(m_hWnd, IDC_ADV_CHANNELS);
    int count = (int)::SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        if ((DWORD)::SendMessageA(combo, CB_GETITEMDATA, (WPARAM)i, 0) == mask)
            ::SendMessageA(combo, CB_SETCURSEL, (WPARAM)i, 0);
}

void AdvancedSettingsDialog::Reconfigure()
{
    ::LockWindowUpdate(m_hWnd);
    CWaitCursor wait;
    if (m_settings) {
        ComRef<IOutputFormatSettings> copy;
        if (SUCCEEDED(m_settings->RenewCopy(1, copy.Out())) && copy)
            m_copy = copy;
    }
    ReleasePage();
    m_mix = ::IsDlgButtonChecked(m_hWnd, IDC_ADV_MIX) == BST_CHECKED;
    HWND combo = ::GetDlgItem(m_hWnd, IDC_ADV_CHANNELS);
    int index = (int)::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index >= 0 && ::IsWindowVisible(combo))
        m_channelMask = (DWORD)::SendMessageA(combo, CB_GETITEMDATA, (WPARAM)index, 0);
    if (m_settings) {
        m_settings->SetChannels(m_channelMask, m_mix * m_sourceChannels);
        m_settings->SetFormat(m_kind, m_bits, m_name.c_str());
        ComRef<IPropertyPage> page;
        if (SUCCEEDED(m_settings->GetSettingsPage(page.Out())) && page) {
            m_page = page;
            ActivatePage();
        }
    }
    ::LockWindowUpdate(nullptr);
}

void AdvancedSettingsDialog::OnMixClicked()
{
    Reconfigure();
}

void AdvancedSettingsDialog::OnChannelChosen()
{
    DWORD previous = m_channelMask;
    Reconfigure();
    if (m_kind != 6 || !m_settings || m_settings->IsChannelSettingUsable())
        return;
    Warn(IDS_CHANNEL_UNUSABLE);
    // The previous choice goes back without being checked again: it was in use before.
    SelectMask(previous);
    Reconfigure();
}

void AdvancedSettingsDialog::OnOK()
{
    if (m_page) {
        HRESULT hr = m_page->Apply();
        if (hr == E_ABORT)
            return;
        if (FAILED(hr) || (m_settings && !m_settings->IsChannelSettingUsable())) {
            ErrorText text(GetResourceModule());
            AfxMessageBox(text.GetText(kErrOutputSettings), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    m_mix = ::IsDlgButtonChecked(m_hWnd, IDC_ADV_MIX) == BST_CHECKED;
    if (m_settings) {
        ComRef<IOutputFormatSettings> copy;
        m_copy.Reset();
        m_settings->RenewCopy(1, copy.Out());
        m_copy = copy;
    }
    EndDialog(IDOK);
}

void AdvancedSettingsDialog::OnDestroy()
{
    ReleasePage();
    CDialog::OnDestroy();
}

void AdvancedSettingsDialog::OnCopyright()
{
    AdvancedAudioSettingsDialog info(this);
    if (info.SetData(m_infoCount, m_infoBlock))
        info.DoModal();
}

void AdvancedSettingsDialog::OnHelp()
{
    HelpLauncher help;
    if (!help.ShowTopic(HelpTopic(m_kind), 0))
        help.ShowTopic(103, 0);
}
