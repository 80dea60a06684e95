// EffectRenderer: the renderer base of the kit's modules that end a render chain (the silence
// finder, the file divider). One input pin; 16-bit PCM or 32-bit float, plain or extensible,
// in the channel counts the module accepts (kMono | kStereo | kSix).
//
// A run: BeginRun when the filter leaves stopped, RenderFrames for every sample, EndRun at the
// end of the stream, AbortRun when the filter stops before the end (or after a failure). A
// failure of RenderFrames or EndRun ends the run as EC_ERRORABORT with that code, never as
// EC_COMPLETE; a failure of BeginRun refuses the pause.
// The filter is a renderer to the graph (IAMFilterMiscFlags), answers its rendered position to
// seeking and passes the other seeking questions (the duration) upstream, so a render worker
// that asks the graph sees the length and how far the run is.
//
//   class Finder : public RendererObject<EffectRenderer, IMyFinder> {
//   public:
//       Finder() : ... { SetChannels(kMono | kStereo | kSix); SetClassId(CLSID_Finder); }
//   protected:
//       HRESULT RenderFrames(const uint8_t* data, size_t frames) override;  ...
//   };
#pragma once
#include "DShowBase.h"
#include "SampleConverter.h"
#include "WaveFormat.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace fxkit {

struct EffectRenderer : RendererFilter {
    HRESULT RenderedPosition(LONGLONG* pos) override;

protected:
    // Accepted channel counts, bits as EffectInfo::inputChannels.
    void SetChannels(unsigned channels) { m_channels = channels; }
    // The run's format (the input's); valid from BeginRun on.
    const WaveFormat& Format() const { return m_format; }
    // frames of data (interleaved, the run's format) as float, full scale 1.0.
    const float* ToFloat(const uint8_t* data, size_t frames);

    virtual HRESULT BeginRun() { return S_OK; }
    virtual HRESULT RenderFrames(const uint8_t* data, size_t frames) = 0;
    virtual HRESULT EndRun() { return S_OK; }
    virtual void AbortRun() {}

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT RenderSample(IMediaSample* sample) override;
    HRESULT OnStartStreaming() override;
    void OnStopStreaming() override;
    HRESULT OnEndOfStreamReceived() override;

private:
    unsigned m_channels = 0;
    WaveFormat m_format, m_float;
    SampleConverter m_toFloat;
    std::vector<float> m_floats;
    std::atomic<uint64_t> m_frames{0};
    bool m_open = false; // between BeginRun and EndRun / AbortRun
};

} // namespace fxkit

KV_FILTER_KIND(fxkit::EffectRenderer)
