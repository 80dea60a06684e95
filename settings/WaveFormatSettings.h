// WaveFormatSettings: the settings object of the sound-file formats the program writes, WAV
// (kind 3) and AIFF (kind 2): the sample format and the channels of the file, and the mix and
// output channels that Advanced Settings chooses. Its page (GetSettingsPage) edits the first
// two; the save code reads the result as a wave format (tag 0: the document's own samples).
//
//   ComRef<IOutputFormatSettings> settings(WaveFormatSettings::Create(source));
//   settings->SetFormat(3, 16, "Wave");   settings->GetWaveFormat(&format);
#pragma once
#include "ComObject.h"
#include "ComRef.h"
#include "OutputFormatSettings.h"

#include <string>
#include <vector>

// What the document gives the output: its rate, its stored bits (8, 16, 20, 24 or 32) and the
// channels the file holds when nothing else is chosen (1, 2 or 6).
struct OutputSource {
    DWORD samplesPerSec = 44100;
    WORD bitsPerSample = 16;
    WORD channels = 2;
};

// One sample format a kind offers.
struct SampleFormatChoice {
    WORD formatTag;
    WORD bits;
    const char* text;
};

class WaveFormatSettings : public ComObject<IOutputFormatSettings> {
public:
    explicit WaveFormatSettings(const OutputSource& source)
        : m_source(source), m_sampleFormat(OwnSampleFormat(3, source.bitsPerSample))
    {
    }
    // A new object with one reference: the document's own samples and channels.
    static WaveFormatSettings* Create(const OutputSource& source);

    // The sample formats of a kind (WAV: PCM and float; AIFF: PCM) and the one that keeps the
    // document's samples (its index).
    static std::vector<SampleFormatChoice> SampleFormats(LONG kind);
    static size_t OwnSampleFormat(LONG kind, WORD documentBits);

    STDMETHODIMP Reserved3() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP CopySettings(IOutputFormatSettings** copy) override;
    STDMETHODIMP GetWaveFormat(WAVEFORMATEX* format) override;
    STDMETHODIMP SetFormat(LONG kind, WORD bits, const char* name) override;
    STDMETHODIMP SetChannels(DWORD mask, LONG mixChannels) override;
    LONG STDMETHODCALLTYPE GetOptionWord() override;
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved15() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP GetSettingsPage(IPropertyPage** page) override;
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP RenewCopy(LONG flags, IOutputFormatSettings** copy) override;
    STDMETHODIMP Reserved21() override { return E_NOTIMPL; }
    LONG STDMETHODCALLTYPE IsChannelSettingUsable() override;

    // What the page shows and sets.
    LONG Kind() const { return m_kind; }
    const OutputSource& Source() const { return m_source; }
    size_t SampleFormat() const { return m_sampleFormat; }
    void SetSampleFormat(size_t index);
    // 0: the channels of the document (or of the output channel mask); 1 or 2 chosen.
    void SetChosenChannels(WORD channels) { m_channels = channels; }
    // The channels the file holds with these settings.
    WORD OutputChannels() const;
    // "16-bit PCM, 44,100 Hz, Stereo".
    std::string Describe() const;

private:
    OutputSource m_source;
    LONG m_kind = 3;
    WORD m_bitsValue = 16;
    std::string m_name;
    size_t m_sampleFormat = 0;
    bool m_sampleFormatChosen = false;
    WORD m_channels = 0;
    DWORD m_mask = 0x80000000;
    LONG m_mixChannels = 0;
};
