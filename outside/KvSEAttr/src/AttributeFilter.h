// AttributeFilter: the transform that converts any PCM (8, 16, 20, 24 bits) or 32-bit float
// stream into the rate, bits and channel count set through IAttributeSettings. A stream that
// already has the target format passes byte for byte; any other goes through float samples,
// the channel mixer and the resampler. Output sample times count output frames.
#pragma once
#include "ComRef.h"
#include "DShowBase.h"
#include "IAttributeSettings.h"
#include "Resampler.h"
#include "SampleConverter.h"
#include "WaveFormat.h"

#include <ocidl.h>

#include <vector>

class AttributeFilter : public FilterObject<TransformFilter, IAttributeSettings, ISpecifyPropertyPages> {
public:
    AttributeFilter();

    // IAttributeSettings
    STDMETHODIMP GetBitsPerSample(WORD* bits) override;
    STDMETHODIMP SetBitsPerSample(WORD bits) override;
    STDMETHODIMP GetSamplesPerSec(DWORD* rate) override;
    STDMETHODIMP SetSamplesPerSec(DWORD rate) override;
    STDMETHODIMP GetCalcPrecision(DWORD* precision) override;
    STDMETHODIMP SetCalcPrecision(DWORD precision) override;
    STDMETHODIMP GetChannels(WORD* channels) override;
    STDMETHODIMP SetChannels(WORD channels) override;
    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // The output format for an input format with the current settings; false when the input
    // is no format this filter reads.
    bool TargetFormatFor(const WAVEFORMATEX& in, WaveFormat& out) const;

protected:
    HRESULT CheckInputType(const AM_MEDIA_TYPE& in) override;
    HRESULT CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) override;
    HRESULT GetOutputType(int i, MediaType& out) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    HRESULT ProcessSample(IMediaSample* in) override;
    HRESULT StartStreaming() override;
    HRESULT OnEndOfStream() override;
    void OnEndFlush() override;

private:
    template <class T>
    HRESULT ChangeSetting(T& field, T value);
    // Sends bytes of output format in as many samples as they need.
    HRESULT DeliverBytes(const BYTE* data, size_t bytes);
    // Converts float frames of the output layout to the output format and sends them.
    HRESULT DeliverFloat(const float* frames, size_t count);
    // Same rate and channels: the input's frames converted straight into output samples.
    HRESULT DeliverConverted(const BYTE* data, size_t frames);
    // Sends frames of the output format in as many samples as they need; fill(dst, first, n)
    // writes frames first..first+n-1 into a sample.
    template <class Fill>
    HRESULT DeliverFrames(size_t frames, Fill&& fill);
    // Stamps a filled sample with the times of its frames and sends it.
    HRESULT SendSample(ComRef<IMediaSample> sample, uint64_t frames);

    WORD m_bits = 0;
    DWORD m_rate = 0;
    DWORD m_precision = 8;
    WORD m_channels = 0;

    // Streaming state, set by StartStreaming.
    WaveFormat m_inFormat, m_outFormat, m_inFloat, m_outFloat;
    SampleConverter m_toFloat, m_fromFloat;
    fxkit::Resampler m_resampler;
    bool m_passBytes = false;
    bool m_formatOnly = false; // only the sample format changes
    uint64_t m_framesOut = 0;
    std::vector<float> m_floatIn, m_mixed, m_resampled;
};
