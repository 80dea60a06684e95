// Filters for tests of filters: a PCM source that plays a byte buffer, a 16-bit gain
// transform, and a renderer that keeps what it receives.
#pragma once
#include "DShowBase.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <vector>

namespace kvtest {

// {6E1B7C10-4A52-4C8E-9D0B-3F1A2B7C9D01}
extern const CLSID CLSID_TestPcmSource;
// {6E1B7C10-4A52-4C8E-9D0B-3F1A2B7C9D02}
extern const CLSID CLSID_TestGain;
// {6E1B7C10-4A52-4C8E-9D0B-3F1A2B7C9D03}
extern const CLSID CLSID_TestRenderer;

// 16-bit interleaved ramp data: frame f, channel c -> (f * 7 + c * 1000) wrapped to int16.
std::vector<uint8_t> MakeRamp16(size_t frames, int channels);

// Plays data in the given wave format in buffers of chunkFrames frames, with sample times;
// answers IMediaSeeking on its pin (duration of the data, position delivered so far). Like a
// source whose length can change while stopped, it reads the duration under its state lock.
struct TestPcmSource : FilterObject<SourceFilter, SeekingPassThru> {
    TestPcmSource(const WAVEFORMATEX& wf, std::vector<uint8_t> data, size_t chunkFrames = 1024);
    static TestPcmSource* New(const WAVEFORMATEX& wf, std::vector<uint8_t> data, size_t chunkFrames = 1024);

    DWORD delayPerBufferMs = 0;      // slows the stream down for stop tests
    DWORD delayBeforeDurationMs = 0; // lets a Stop come first to a duration question
    std::atomic<int> buffersDelivered{0};
    std::atomic<DWORD> streamThread{0}; // the thread that streamed the last run
    std::atomic<int> threadChanges{0};  // runs streamed by another thread than the run before

    HRESULT LocalDuration(LONGLONG* d) override;
    HRESULT LocalPosition(LONGLONG* p) override;

protected:
    HRESULT GetMediaType(int i, MediaType& mt) override;
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT OnThreadStart() override;
    IMediaSeeking* PinUpstreamSeeking(OutputPin*) override;

private:
    WAVEFORMATEX m_wf;
    std::vector<uint8_t> m_data;
    size_t m_chunkFrames;
    std::atomic<size_t> m_pos{0};
};

// 16-bit PCM in and out, each sample multiplied by gain and clipped.
struct TestGain : FilterObject<TransformFilter> {
    explicit TestGain(int gain);
    static TestGain* New(int gain);

    std::atomic<int> startCount{0}, stopCount{0}, eosCount{0};

protected:
    HRESULT CheckInputType(const AM_MEDIA_TYPE& in) override;
    HRESULT CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out) override;
    HRESULT GetOutputType(int i, MediaType& out) override;
    HRESULT DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT StartStreaming() override;
    void StopStreaming() override;
    HRESULT OnEndOfStream() override;

private:
    int m_gain;
};

// Accepts PCM or float audio (or only the given subtype when set) and keeps every byte.
struct TestRenderer : RendererObject<RendererFilter> {
    TestRenderer();
    ~TestRenderer() override;
    static TestRenderer* New();
    // True once count samples have come in all, false if ms pass first.
    bool WaitForSamples(int count, DWORD ms);

    GUID onlySubtype = GUID_NULL;
    std::vector<uint8_t> received;
    std::atomic<int> eosCount{0};
    std::atomic<int> samples{0};
    WAVEFORMATEX Format() const;
    HRESULT RenderedPosition(LONGLONG* pos) override;

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT RenderSample(IMediaSample* sample) override;
    HRESULT OnStartStreaming() override;
    HRESULT OnEndOfStreamReceived() override;

private:
    std::atomic<int> m_awaited{INT_MAX};
    HANDLE m_arrived;
};

// A TestGain that fails its stream on one run (1 = the first), then works again.
struct FailingGain : TestGain {
    FailingGain(int gain, int failingRun) : TestGain(gain), m_failingRun(failingRun) {}

protected:
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override
    {
        return startCount == m_failingRun ? E_FAIL : TestGain::Transform(in, out);
    }

private:
    int m_failingRun;
};

} // namespace kvtest
