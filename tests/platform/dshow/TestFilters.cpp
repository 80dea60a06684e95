#include "TestFilters.h"

#include <uuids.h>

#include <algorithm>
#include <cstring>

namespace kvtest {

const CLSID CLSID_TestPcmSource = {0x6e1b7c10, 0x4a52, 0x4c8e, {0x9d, 0x0b, 0x3f, 0x1a, 0x2b, 0x7c, 0x9d, 0x01}};
const CLSID CLSID_TestGain = {0x6e1b7c10, 0x4a52, 0x4c8e, {0x9d, 0x0b, 0x3f, 0x1a, 0x2b, 0x7c, 0x9d, 0x02}};
const CLSID CLSID_TestRenderer = {0x6e1b7c10, 0x4a52, 0x4c8e, {0x9d, 0x0b, 0x3f, 0x1a, 0x2b, 0x7c, 0x9d, 0x03}};

std::vector<uint8_t> MakeRamp16(size_t frames, int channels)
{
    std::vector<uint8_t> bytes(frames * channels * 2);
    auto* s = reinterpret_cast<int16_t*>(bytes.data());
    for (size_t f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            s[f * channels + c] = static_cast<int16_t>(static_cast<uint16_t>(f * 7 + c * 1000));
    return bytes;
}

// ---- TestPcmSource ----

TestPcmSource::TestPcmSource(const WAVEFORMATEX& wf, std::vector<uint8_t> data, size_t chunkFrames)
    : m_wf(wf), m_data(std::move(data)), m_chunkFrames(chunkFrames)
{
    SetClassId(CLSID_TestPcmSource);
}

TestPcmSource* TestPcmSource::New(const WAVEFORMATEX& wf, std::vector<uint8_t> data, size_t chunkFrames)
{
    return Create<TestPcmSource>(wf, std::move(data), chunkFrames);
}

HRESULT TestPcmSource::LocalDuration(LONGLONG* d)
{
    if (delayBeforeDurationMs)
        Sleep(delayBeforeDurationMs);
    AutoLock lock(StateLock());
    *d = static_cast<LONGLONG>(m_data.size() / m_wf.nBlockAlign) * 10000000 / m_wf.nSamplesPerSec;
    return S_OK;
}

HRESULT TestPcmSource::LocalPosition(LONGLONG* p)
{
    *p = static_cast<LONGLONG>(m_pos / m_wf.nBlockAlign) * 10000000 / m_wf.nSamplesPerSec;
    return S_OK;
}

HRESULT TestPcmSource::GetMediaType(int i, MediaType& mt)
{
    if (i != 0)
        return VFW_S_NO_MORE_ITEMS;
    return MakeAudioMediaType(m_wf, mt);
}

HRESULT TestPcmSource::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    const WAVEFORMATEX* wf = WaveFormatOf(mt);
    return wf && std::memcmp(wf, &m_wf, sizeof(PCMWAVEFORMAT)) == 0 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestPcmSource::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    ALLOCATOR_PROPERTIES props = *wanted, actual{};
    props.cBuffers = std::max<long>(props.cBuffers, 4);
    props.cbBuffer = std::max<long>(props.cbBuffer, static_cast<long>(m_chunkFrames * m_wf.nBlockAlign));
    props.cbAlign = std::max<long>(props.cbAlign, 1);
    HRESULT hr = alloc->SetProperties(&props, &actual);
    return FAILED(hr) ? hr : (actual.cbBuffer < props.cbBuffer ? E_FAIL : S_OK);
}

HRESULT TestPcmSource::OnThreadStart()
{
    const DWORD me = GetCurrentThreadId();
    if (streamThread.exchange(me) != me)
        ++threadChanges;
    m_pos = 0;
    return S_OK;
}

HRESULT TestPcmSource::FillBuffer(IMediaSample* sample)
{
    if (delayPerBufferMs)
        Sleep(delayPerBufferMs);
    size_t pos = m_pos;
    if (pos >= m_data.size())
        return S_FALSE;
    BYTE* p = nullptr;
    sample->GetPointer(&p);
    size_t bytes = std::min<size_t>(m_data.size() - pos, m_chunkFrames * m_wf.nBlockAlign);
    bytes = std::min<size_t>(bytes, sample->GetSize() / m_wf.nBlockAlign * m_wf.nBlockAlign);
    std::memcpy(p, m_data.data() + pos, bytes);
    sample->SetActualDataLength(static_cast<long>(bytes));
    REFERENCE_TIME start = static_cast<LONGLONG>(pos / m_wf.nBlockAlign) * 10000000 / m_wf.nSamplesPerSec;
    REFERENCE_TIME stop = static_cast<LONGLONG>((pos + bytes) / m_wf.nBlockAlign) * 10000000 / m_wf.nSamplesPerSec;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    m_pos = pos + bytes;
    ++buffersDelivered;
    return S_OK;
}

IMediaSeeking* TestPcmSource::PinUpstreamSeeking(OutputPin*)
{
    AddRef();
    return static_cast<SeekingPassThru*>(this);
}

// ---- TestGain ----

TestGain::TestGain(int gain) : m_gain(gain)
{
    SetClassId(CLSID_TestGain);
}

TestGain* TestGain::New(int gain)
{
    return Create<TestGain>(gain);
}

HRESULT TestGain::CheckInputType(const AM_MEDIA_TYPE& in)
{
    const WAVEFORMATEX* wf = WaveFormatOf(in);
    return wf && wf->wFormatTag == WAVE_FORMAT_PCM && wf->wBitsPerSample == 16 && IsUsableAudioType(in)
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestGain::CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out)
{
    const WAVEFORMATEX* a = WaveFormatOf(in);
    const WAVEFORMATEX* b = WaveFormatOf(out);
    return a && b && std::memcmp(a, b, sizeof(PCMWAVEFORMAT)) == 0 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestGain::GetOutputType(int i, MediaType& out)
{
    if (i != 0)
        return VFW_S_NO_MORE_ITEMS;
    return out.Set(Input()->CurrentMediaType().Get());
}

HRESULT TestGain::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    IMemAllocator* upstream = Input()->Allocator();
    ALLOCATOR_PROPERTIES in{}, props = *wanted, actual{};
    if (upstream)
        upstream->GetProperties(&in);
    props.cBuffers = std::max<long>(props.cBuffers, 2);
    props.cbBuffer = std::max<long>({props.cbBuffer, in.cbBuffer, 65536L});
    props.cbAlign = std::max<long>(props.cbAlign, 1);
    HRESULT hr = alloc->SetProperties(&props, &actual);
    return FAILED(hr) ? hr : (actual.cbBuffer < props.cbBuffer ? E_FAIL : S_OK);
}

HRESULT TestGain::Transform(IMediaSample* in, IMediaSample* out)
{
    BYTE* src = nullptr;
    BYTE* dst = nullptr;
    in->GetPointer(&src);
    out->GetPointer(&dst);
    long bytes = in->GetActualDataLength();
    if (bytes > out->GetSize())
        return E_FAIL;
    auto* s = reinterpret_cast<const int16_t*>(src);
    auto* d = reinterpret_cast<int16_t*>(dst);
    for (long i = 0; i < bytes / 2; ++i)
        d[i] = static_cast<int16_t>(std::clamp(s[i] * m_gain, -32768, 32767));
    out->SetActualDataLength(bytes);
    return S_OK;
}

HRESULT TestGain::StartStreaming()
{
    ++startCount;
    return S_OK;
}

void TestGain::StopStreaming()
{
    ++stopCount;
}

HRESULT TestGain::OnEndOfStream()
{
    ++eosCount;
    return S_OK;
}

// ---- TestRenderer ----

TestRenderer::TestRenderer() : m_arrived(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    SetClassId(CLSID_TestRenderer);
}

TestRenderer::~TestRenderer()
{
    CloseHandle(m_arrived);
}

bool TestRenderer::WaitForSamples(int count, DWORD ms)
{
    ResetEvent(m_arrived);
    m_awaited = count;
    // A sample counted before the wish was set does not signal; it is seen here.
    return samples >= count || WaitForSingleObject(m_arrived, ms) == WAIT_OBJECT_0;
}

TestRenderer* TestRenderer::New()
{
    return Create<TestRenderer>();
}

WAVEFORMATEX TestRenderer::Format() const
{
    const WAVEFORMATEX* wf = Input()->CurrentMediaType().Wave();
    return wf ? *wf : WAVEFORMATEX{};
}

HRESULT TestRenderer::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    if (!IsUsableAudioType(mt))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return onlySubtype == GUID_NULL || mt.subtype == onlySubtype ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestRenderer::OnStartStreaming()
{
    received.clear();
    return S_OK;
}

HRESULT TestRenderer::RenderSample(IMediaSample* sample)
{
    BYTE* p = nullptr;
    sample->GetPointer(&p);
    received.insert(received.end(), p, p + sample->GetActualDataLength());
    if (++samples >= m_awaited)
        SetEvent(m_arrived);
    return S_OK;
}

HRESULT TestRenderer::OnEndOfStreamReceived()
{
    ++eosCount;
    return S_OK;
}

HRESULT TestRenderer::RenderedPosition(LONGLONG* pos)
{
    WAVEFORMATEX wf = Format();
    if (!wf.nAvgBytesPerSec)
        return E_UNEXPECTED;
    *pos = static_cast<LONGLONG>(received.size()) * 10000000 / wf.nAvgBytesPerSec;
    return S_OK;
}

} // namespace kvtest
