// GeneratorFilter: the source filter every sound generator of the kit is. One output pin,
// no input; the program sets the format (rate, depth, channels) while the pin is unconnected
// and the length in frames while the filter is stopped, through the module's own interface,
// whose slots call SetFormatRate / SetFormatBits / SetFormatChannels / SetLengthFrames.
//
// Streams: the set format first (8, 16 or 24-bit PCM, or 32-bit float) and 16-bit PCM of the
// same rate and channels second, for a peer without converter (a sound card). Each run makes
// exactly the set length from phase 0; IMediaSeeking answers the length and the position.
//
// Settings, presets, pages and the record are those of the effect kit (EffectInfo; its
// kernel, channel and measuring fields are not used): the same table, clamping and record.
#pragma once
#include "ComRef.h"
#include "DShowBase.h"
#include "EffectFilter.h"
#include "GeneratorKernel.h"
#include "SampleConverter.h"
#include "WaveFormat.h"

#include <atomic>
#include <memory>
#include <vector>

namespace fxkit {

struct GeneratorSource : SourceFilter {
    // The format and length the next connection and run use.
    HRESULT SetFormatRate(unsigned rate);
    HRESULT SetFormatBits(unsigned short bits);
    HRESULT SetFormatChannels(unsigned short channels);
    HRESULT SetLengthFrames(int64_t frames);
    int64_t LengthFrames() const { return m_length.load(); }
    unsigned FormatRate() const { return m_rate.load(); }

protected:
    HRESULT GetMediaType(int i, MediaType& mt) override;
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT OnThreadStart() override;

    // The settings of this run, copied under the settings lock.
    virtual void CopySettings(double* out) const = 0;

    std::unique_ptr<GeneratorKernel> m_kernel;

private:
    WAVEFORMATEX Offered(int i) const;

    std::atomic<unsigned> m_rate{44100};
    std::atomic<unsigned> m_bits{16};
    std::atomic<unsigned> m_channels{2};
    std::atomic<int64_t> m_length{44100};
    // The stream's state, on the streaming thread.
    WaveFormat m_outFormat, m_floatFormat;
    SampleConverter m_fromFloat;
    std::vector<float> m_block;
    std::vector<double> m_values;
    std::atomic<int64_t> m_made{0};
    int64_t m_runLength = 0;

    friend class GeneratorFilter;
};

} // namespace fxkit

KV_FILTER_KIND(fxkit::GeneratorSource)

namespace fxkit {

class GeneratorFilter : public FilterObject<GeneratorSource, SeekingPassThru, IEffectParameters, ISpecifyPropertyPages,
                                            IPersistStream, IEffectPresets> {
public:
    GeneratorFilter(const EffectInfo& desc, std::unique_ptr<GeneratorKernel> kernel);

    // Settings, pages, record and presets: those of an effect of the same EffectInfo.
    STDMETHODIMP GetClassID(CLSID* clsid) override { return m_settings->GetClassID(clsid); }
    STDMETHODIMP GetParameterCount(int* count) override { return m_settings->GetParameterCount(count); }
    STDMETHODIMP GetParameter(int index, double* value) override { return m_settings->GetParameter(index, value); }
    STDMETHODIMP SetParameter(int index, double value) override { return m_settings->SetParameter(index, value); }
    STDMETHODIMP GetParameterRange(int index, double* minimum, double* maximum) override
    {
        return m_settings->GetParameterRange(index, minimum, maximum);
    }
    STDMETHODIMP GetPages(CAUUID* pages) override { return m_settings->GetPages(pages); }
    STDMETHODIMP IsDirty() override { return m_settings->IsDirty(); }
    STDMETHODIMP Load(IStream* stream) override { return m_settings->Load(stream); }
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override { return m_settings->Save(stream, clearDirty); }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override { return m_settings->GetSizeMax(size); }
    STDMETHODIMP GetPresetCount(int* count) override { return m_settings->GetPresetCount(count); }
    STDMETHODIMP GetPresetName(unsigned index, wchar_t* name, int length) override
    {
        return m_settings->GetPresetName(index, name, length);
    }
    STDMETHODIMP SelectPreset(unsigned index) override { return m_settings->SelectPreset(index); }

    // Seeking: the length and what was made, in media time.
    HRESULT LocalDuration(LONGLONG* d) override;
    HRESULT LocalPosition(LONGLONG* p) override;

    // The rate also limits the frequencies (below 0.45 of it).
    HRESULT SetFormatRate(unsigned rate);

protected:
    IMediaSeeking* PinUpstreamSeeking(OutputPin*) override;
    void CopySettings(double* out) const override { m_settings->CopyValues(out); }

private:
    EffectInfo m_settingsInfo; // the module's, without a kernel
    ComRef<EffectFilter> m_settings; // never handed out
};

} // namespace fxkit
