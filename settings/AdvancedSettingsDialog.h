// AdvancedSettingsDialog ("Advanced Settings"): the settings page of the output format a file is
// saved in (any COM property page), above the program's own choices for the output: mixing all
// tracks, the output channels of a multichannel source and the RIFF INFO entries. The caller
// gives the format's settings object and takes back a copy of its settings after OK.
//
//   AdvancedSettingsDialog dialog(parent);
//   dialog.SetOutputFormat(name, kind, settings);
//   dialog.SetSourceObject(page);                  // the format's settings page
//   if (dialog.DoModal() == IDOK) dialog.GetOutputFormat(&copy);
#pragma once
#include "ComRef.h"
#include "Framework.h"
#include "OutputFormatSettings.h"

#include <string>

class AdvancedSettingsDialog : public CDialog {
public:
    static constexpr DWORD kNoChannels = 0x80000000; // no mask chosen yet

    explicit AdvancedSettingsDialog(CWnd* parent = nullptr);
    ~AdvancedSettingsDialog() override;

    // The caller's RIFF INFO list; with the INFO flag the "Copyright Info..." button edits it.
    int SetOptionParams(WORD* count, void** block);
    void SetOutputFormat(const char* name, LONG kind, IOutputFormatSettings* settings);
    // E_FAIL for a null pointer or before any copy exists; else a new copy of the settings.
    HRESULT GetOutputFormat(IOutputFormatSettings** copy);
    // The format's settings page; the first one given stays.
    void SetSourceObject(IPropertyPage* page);

    WORD m_bits = 16;
    int m_sourceChannels = 2;
    int m_mix = 0;
    int m_infoButton = 0;
    DWORD m_channelMask = kNoChannels;
    int m_mixEnabled = 1;
    int m_mixGroupShown = 1;

    // The text of a channel entry ("Mono", "L, R, C", ...).
    static std::string ChannelText(DWORD mask);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDestroy();
    void OnMixClicked();
    void OnChannelChosen();
    void OnCopyright();
    void OnHelp();

private:
    void FillChannels();
    void SelectMask(DWORD mask);
    HRESULT ActivatePage();
    void ReleasePage();
    void Reconfigure();

    ComRef<IPropertyPage> m_page;
    ComRef<IPropertyPageSite> m_site;
    WORD* m_infoCount = nullptr;
    void** m_infoBlock = nullptr;
    ComRef<IOutputFormatSettings> m_settings;
    ComRef<IOutputFormatSettings> m_copy;
    std::string m_name;
    LONG m_kind = -1;
    RECT m_pageRect{};
    DECLARE_MESSAGE_MAP()
};
