// EffectFilter: the transform filter every effect module of the kit is. A module gives an
// EffectInfo (class id, parameter table, presets, pages, channels, kernel) and, when it needs
// more, derives from EffectFilter (ComExtend adds its own interfaces).
//
// Streams: 16-bit PCM or 32-bit float, plain or extensible, in the channel counts the EffectInfo
// accepts; the output has the input's sample kind and rate and its output channel count. The
// kernel works on float; 16-bit output is rounded and clipped, float output is not clipped.
// A kernel's latency is dropped at the start and drained at the end, so frames out equal
// frames in; sample times count output frames.
//
// Two-pass effects: SetMeasuringMode(1) makes the next stream a measuring pass (sound passes
// unchanged), 2 applies what was measured (unity before any measurement). When an applying
// stream stops, the filter goes back to measuring, so the next stream (the next track) is
// measured anew instead of reusing this one's measurement.
//
// Persistence: one record of 28 + 8 n bytes (little-endian): record size (uint32), class id,
// version (uint32), value count n (uint32), n doubles. Load refuses a record of another
// size, class, version or count, a short stream, or a value outside the table (nothing changes).
// Only the user's settings are stored; the program sets the environment (rate, layout, folder)
// before loading them.
#pragma once
#include "DShowBase.h"
#include "EffectKernel.h"
#include "IEffectEnvironment.h"
#include "IEffectParameters.h"
#include "IEffectPresets.h"
#include "ParamInfo.h"
#include "SampleConverter.h"
#include "WaveFormat.h"

#include <ocidl.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace fxkit {

struct PageInfo {
    const CLSID* clsid;
    const wchar_t* title;
    int firstParam;
    int paramCount;
};

// Bits of EffectInfo::inputChannels.
constexpr unsigned kMono = 1u << 1, kStereo = 1u << 2, kSix = 1u << 6;

struct EffectInfo {
    const CLSID* clsid;
    const ParamInfo* params;
    int paramCount;
    const PresetInfo* presets;
    int presetCount;
    const PageInfo* pages;
    int pageCount;
    uint32_t recordVersion;
    unsigned short channelNeed; // 2: two-channel sound only
    unsigned inputChannels;     // kMono | kStereo | kSix
    int outputChannels;         // 0: as the input
    bool twoPass;               // answers the measuring mode
    std::unique_ptr<EffectKernel> (*createKernel)();
};

constexpr uint32_t kRecordHeaderBytes = 28;
inline uint32_t RecordBytes(const EffectInfo& desc)
{
    return kRecordHeaderBytes + 8u * uint32_t(desc.paramCount);
}

// The streaming half: formats, conversion, latency, measuring.
struct EffectTransform : TransformFilter {
    EffectTransform() : TransformFilter(L"Input", L"Output") {}

    const EffectInfo& Info() const { return *m_info; }
    // Copies of the values under the parameter lock.
    void CopyValues(double* out) const;
    int MeasuringMode() const { return m_measuringMode.load(); }
    // For tests and the measuring interfaces: the kernel (its measurement lives there).
    EffectKernel* Kernel() const { return m_kernel.get(); }

protected:
    HRESULT CheckInputType(const AM_MEDIA_TYPE& in) override;
    HRESULT CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) override;
    HRESULT GetOutputType(int i, MediaType& out) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    HRESULT ProcessSample(IMediaSample* in) override;
    HRESULT StartStreaming() override;
    void StopStreaming() override;
    HRESULT OnEndOfStream() override;
    void OnEndFlush() override;
    // A kernel with a tail: the output's length to seeking is the input's plus the tail.
    IMediaSeeking* PinUpstreamSeeking(OutputPin* pin) override;

    // Takes the EffectInfo: defaults and the kernel (by the final class's constructor).
    void InitInfo(const EffectInfo& desc);
    // The output channel count for an input count, 0 when the input is refused.
    int OutputChannelsFor(int inputChannels) const;
    // Values changed: the stream picks them up at its next sample.
    void MarkChanged() { m_changed.store(true); }

    const EffectInfo* m_info = nullptr;
    mutable CritSec m_paramLock;
    std::vector<double> m_values;
    std::atomic<int> m_measuringMode{0};

private:
    HRESULT RunKernel(const float* in, size_t frames, bool draining);
    HRESULT DeliverFloat(const float* frames, size_t count);
    // Stamps, delivers and releases an output sample of this many frames.
    HRESULT SendSample(IMediaSample* sample, size_t frames);
    // A float stream whose kernel holds nothing back, with an output sample that takes the
    // whole block: the kernel writes straight into the sample (*done); else nothing happens.
    HRESULT ProcessIntoSample(const float* in, size_t frames, bool* done);
    HRESULT RunTail();
    HRESULT DeliverStretched(bool end);

    std::unique_ptr<EffectKernel> m_kernel;
    std::atomic<bool> m_changed{false};
    WaveFormat m_inFormat, m_outFormat, m_inFloat, m_outFloat;
    SampleConverter m_toFloat, m_fromFloat;
    std::vector<float> m_in, m_out;
    size_t m_outSampleBytes = 0; // the output allocator's sample size
    std::vector<double> m_streamValues;
    uint64_t m_framesIn = 0, m_framesOut = 0;
    size_t m_skip = 0;
    bool m_measuring = false; // this stream measures
    bool m_applying = false;  // this stream applies a measurement
    bool m_measureOpen = false;
    double m_ratio = 1.0;           // output length / input length of this stream
    std::vector<float> m_stretched; // stretched frames not yet delivered
};

} // namespace fxkit

KV_FILTER_KIND(fxkit::EffectTransform)

namespace fxkit {

class EffectFilter : public FilterObject<EffectTransform, IEffectParameters, ISpecifyPropertyPages, IPersistStream,
                                         IEffectPresets, IEffectChannelNeed, IEffectWorkFolder, IEffectChannelMode,
                                         IEffectChannelLayout2, IEffectSampleRate> {
public:
    explicit EffectFilter(const EffectInfo& desc);

    // IPersist
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    // IEffectParameters
    STDMETHODIMP GetParameterCount(int* count) override;
    STDMETHODIMP GetParameter(int index, double* value) override;
    STDMETHODIMP SetParameter(int index, double value) override;
    STDMETHODIMP GetParameterRange(int index, double* minimum, double* maximum) override;
    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;
    // IPersistStream
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    // IEffectPresets
    STDMETHODIMP GetPresetCount(int* count) override;
    STDMETHODIMP GetPresetName(unsigned index, wchar_t* name, int length) override;
    STDMETHODIMP SelectPreset(unsigned index) override;
    // Environment
    STDMETHODIMP GetChannelNeed(unsigned short* need) override;
    STDMETHODIMP Reserved3() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP SetWorkFolder(const char* folder) override;
    STDMETHODIMP SetChannelMode(int mode) override;
    STDMETHODIMP SetMeasuringMode(int mode) override;
    STDMETHODIMP SetChannelLayout(int layout) override;
    STDMETHODIMP SetSampleRate(int rate) override;

    // What the program told us (0 / empty until then).
    int SampleRate() const { return m_rate.load(); }
    std::string WorkFolder() const;

protected:
    // The limits of a value now: the table's, frequencies below 0.45 of the rate; a module
    // narrows them further (by another value).
    virtual void ParamRange(int index, const double* values, double& minimum, double& maximum) const;
    // A loaded record's values, before they are taken; default: each inside the table.
    virtual bool RecordValid(const double* values) const;
    double Value(int index) const;

private:
    std::atomic<int> m_rate{0}, m_channelMode{0}, m_channelLayout{0};
    std::string m_workFolder;
    bool m_dirty = false;
};

// A filter of an EffectInfo that needs nothing more, for the module's class table.
template <const EffectInfo* S>
class InfoFilter : public EffectFilter {
public:
    InfoFilter() : EffectFilter(*S) {}
};

// The module's instance (for its resources), from any address inside it.
HINSTANCE ModuleInstance();

} // namespace fxkit
