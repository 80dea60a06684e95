// WaveDeviceSettingsPanel: the child panel of the audio device dialog for playback through
// waveOut or DirectSound and recording through waveIn, with their buffering. It reads section
// "Settings" when it is built and writes it only in SaveValues (the dialog's OK).
//
// Stored forms: buffer lengths in milliseconds ("WaveInBufferCount" in tenths of a second),
// shown in seconds; device names empty for the wave mapper or the primary sound driver.
#pragma once
#include "AudioDeviceLists.h"
#include "Framework.h"

class WaveDeviceSettingsPanel : public CDialog {
public:
    enum Mode { kWaveOut = 0, kDirectSound = 1 };

    // devices: the lists to offer (the engine's by default); kept, not owned.
    explicit WaveDeviceSettingsPanel(const AudioDeviceLists& devices = EngineDeviceLists());

    // Creates the panel as a child of parent (hidden until the dialog places it).
    BOOL CreatePanel(CWnd* parent);
    // Takes the shown values (1 done, 0 when a value is out of range: the user was told and the
    // panel keeps them) and writes every key of the panel.
    BOOL SaveValues();

    // Range checks of the edits, the same in both modes where they are shared.
    static constexpr double kWaveOutBufferMin = 0.1, kWaveOutBufferMax = 0.5;
    static constexpr double kDirectSoundBufferMin = 0.1, kDirectSoundBufferMax = 2.0;
    static constexpr double kRecordingBufferMin = 0.5, kRecordingBufferMax = 5.0;
    static constexpr int kBufferCountMin = 3, kBufferCountMax = 20;
    static constexpr int kOffsetMin = 0, kOffsetMax = 1000;

    // Stored milliseconds (or tenths) to shown seconds: milliseconds rounded down to 100 first.
    static double StoredMillisecondsToSeconds(int milliseconds);
    // Shown seconds to stored units, rounded to the nearest (1.003 s is 1003 ms, though the
    // product comes out a hair below it in binary).
    static int SecondsToStored(double seconds, int unitsPerSecond);

    Mode CurrentMode() const { return m_mode; }

protected:
    BOOL OnInitDialog() override;
    // Enter and Esc belong to the dialog that hosts the panel.
    void OnOK() override;
    void OnCancel() override;
    void OnWaveOutMode();
    void OnDirectSoundMode();

private:
    void LoadValues();
    void SwitchMode(Mode mode);
    void FillPlayback();
    void FillRecording();
    // Moves the current mode's playback values (or the recording values) between the fields
    // and the controls; FALSE when a taken value fails its check.
    BOOL ExchangePlayback(BOOL take);
    BOOL ExchangeRecording(BOOL take);
    void HideExtensibleControls();

    const AudioDeviceLists& m_devices;
    Mode m_mode = kWaveOut;
    CString m_directSoundDevice;
    double m_directSoundBuffer = 0.5;
    CString m_waveOutDevice;
    double m_waveOutBuffer = 0.2;
    int m_waveOutBufferCount = 5;
    int m_waveOutExtensible = 0;
    int m_directSoundExtensible = 0;
    CString m_waveInDevice;
    double m_waveInBuffer = 2.0;
    int m_waveInOffset = 0;
    int m_waveInExtensible = 0;
    DECLARE_MESSAGE_MAP()
};
