#include "SaveFormatConverter.h"

#include "ComObject.h"
#include "ComRef.h"

#include <algorithm>

namespace {

constexpr LONG kKindAiff = 2;
constexpr LONG kKindWave = 3;
constexpr WORD kMaxFileChannels = 6;

bool Writes(LONG code)
{
    return code == kKindWave || code == kKindAiff;
}

class FormatConverter : public ComObject<IFormatConverter> {
public:
    FormatConverter(DWORD rate, WORD bits, WORD channels) : m_rate(rate), m_bits(bits), m_channels(channels) {}

    STDMETHODIMP Reserved3() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP GetDescription(char* text, LONG size) override
    {
        if (!text || size < 1)
            return E_POINTER;
        text[0] = 0;
        if (WaveFormatSettings* settings = Current())
            lstrcpynA(text, settings->Describe().c_str(), size);
        return S_OK;
    }
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved8() override { return E_NOTIMPL; }
    STDMETHODIMP SetFormat(const char*, LONG code, IOutputFormatSettings* settings, WORD* value) override
    {
        if (value)
            *value = m_bits;
        if (!Writes(code)) {
            m_code = code;
            m_settings.Reset();
            return kErrFormatSettings;
        }
        if (settings) {
            m_settings = ComRef<IOutputFormatSettings>::Share(settings);
        } else if (code != m_code || !m_settings) {
            m_settings = ComRef<IOutputFormatSettings>(WaveFormatSettings::Create(Source()));
            if (!m_settings)
                return E_OUTOFMEMORY;
        }
        m_code = code;
        return m_settings->SetFormat(code, m_bits, nullptr);
    }
    STDMETHODIMP SetOutputChannels(LONG channels) override
    {
        m_mixChannels = channels;
        return S_OK;
    }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved15() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved18() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP CreateSettings(LONG flags, IOutputFormatSettings** settings) override
    {
        if (!settings)
            return E_POINTER;
        *settings = nullptr;
        if (!Writes(m_code))
            return kErrFormatSettings;
        if (m_settings)
            return m_settings->RenewCopy(flags, settings);
        WaveFormatSettings* made = WaveFormatSettings::Create(Source());
        if (!made)
            return E_OUTOFMEMORY;
        made->SetFormat(m_code, m_bits, nullptr);
        *settings = made;
        return S_OK;
    }
    STDMETHODIMP Reserved21() override { return E_NOTIMPL; }
    LONG STDMETHODCALLTYPE CanConvert() override
    {
        if (!Writes(m_code))
            return 0;
        // Without a mix every channel of every track goes into the file.
        const WORD channels = m_mixChannels > 0 ? WORD(m_mixChannels) : m_channels;
        if (channels < 1 || channels > kMaxFileChannels || m_rate == 0)
            return 0;
        WaveFormatSettings* settings = Current();
        return settings && !settings->IsChannelSettingUsable() ? 0 : 1;
    }

private:
    // What a file of this document holds when nothing is chosen: a mix has its own channels.
    OutputSource Source() const
    {
        OutputSource source;
        source.samplesPerSec = m_rate;
        source.bitsPerSample = m_bits;
        const WORD limit = m_mixChannels > 0 ? WORD(m_mixChannels) : kMaxFileChannels;
        source.channels = std::min(m_channels, limit);
        return source;
    }
    WaveFormatSettings* Current() { return static_cast<WaveFormatSettings*>(m_settings.Get()); }

    DWORD m_rate;
    WORD m_bits;
    WORD m_channels;
    LONG m_code = -1;
    LONG m_mixChannels = 0;
    ComRef<IOutputFormatSettings> m_settings;
};

} // namespace

IFormatConverter* CreateFormatConverter(DWORD samplesPerSec, WORD bitsPerSample, WORD totalChannels)
{
    return ComObject<IFormatConverter>::Create<FormatConverter>(samplesPerSec, bitsPerSample, totalChannels);
}
