// AudioDeviceDialog ("Audio Device Settings"): chooses the devices and buffering through which
// the multitrack engine plays and records. It hosts the wave device panel in its placeholder;
// OK writes the panel's settings (and stays open while a value is out of range), Cancel writes
// nothing. The caller suspends the engine's audio around DoModal.
//
//   AudioDeviceDialog dialog(mainFrame);
//   if (dialog.DoModal() == IDOK) ...   // section "Settings" holds the new values
#pragma once
#include "AudioDeviceLists.h"
#include "WaveDeviceSettingsPanel.h"

#include <memory>

class AudioDeviceDialog : public CDialog {
public:
    explicit AudioDeviceDialog(CWnd* parent = nullptr, const AudioDeviceLists& devices = EngineDeviceLists());
    ~AudioDeviceDialog() override;

    // The wave device panel once the dialog has shown it, else null.
    WaveDeviceSettingsPanel* WavePanel() const { return m_wavePanel.get(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnHelp();

private:
    // Creates the panel on first need and places it over the placeholder, behind the switch.
    void ShowPanel();

    const AudioDeviceLists& m_devices;
    // "Use ASIO Driver": held off (the switch is hidden), so only the wave device panel is offered.
    int m_useAsio = 0;
    std::unique_ptr<WaveDeviceSettingsPanel> m_wavePanel;
    DECLARE_MESSAGE_MAP()
};
