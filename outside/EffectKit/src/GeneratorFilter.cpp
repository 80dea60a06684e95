#include "GeneratorFilter.h"
#include "StreamFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fxkit {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr size_t kBlockFrames = 4096;

bool SameFormat(const WAVEFORMATEX& a, const WaveFormat& b)
{
    return a.nChannels == b.channels && a.nSamplesPerSec == b.samplesPerSec && a.wBitsPerSample == b.bitsPerSample &&
           (a.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) == b.IsFloat();
}

} // namespace

// ---- format and stream ----

HRESULT GeneratorSource::SetFormatRate(unsigned rate)
{
    AutoLock lock(StateLock());
    if (Output()->IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    if (rate < 1000 || rate > 768000)
        return E_INVALIDARG;
    m_rate.store(rate);
    return S_OK;
}

HRESULT GeneratorSource::SetFormatBits(unsigned short bits)
{
    AutoLock lock(StateLock());
    if (Output()->IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return E_INVALIDARG;
    m_bits.store(bits);
    return S_OK;
}

HRESULT GeneratorSource::SetFormatChannels(unsigned short channels)
{
    AutoLock lock(StateLock());
    if (Output()->IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    if (channels != 1 && channels != 2 && channels != 6)
        return E_INVALIDARG;
    m_channels.store(channels);
    return S_OK;
}

HRESULT GeneratorSource::SetLengthFrames(int64_t frames)
{
    AutoLock lock(StateLock());
    if (State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (frames < 1)
        return E_INVALIDARG;
    m_length.store(frames);
    return S_OK;
}

WAVEFORMATEX GeneratorSource::Offered(int i) const
{
    const unsigned bits = i == 0 ? m_bits.load() : 16;
    return MakeWaveFormat(bits == 32 ? SampleKind::Float : SampleKind::Pcm, m_rate.load(), WORD(bits),
                          WORD(m_channels.load()));
}

HRESULT GeneratorSource::GetMediaType(int i, MediaType& mt)
{
    if (i < 0)
        return E_INVALIDARG;
    // 16-bit PCM second, unless it is the set format already.
    if (i > 1 || (i == 1 && m_bits.load() == 16))
        return VFW_S_NO_MORE_ITEMS;
    return MakeAudioMediaType(Offered(i), mt);
}

HRESULT GeneratorSource::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    if (!IsUsableAudioType(mt))
        return VFW_E_TYPE_NOT_ACCEPTED;
    const WaveFormat f = FormatOf(mt);
    if (!f.IsPcm() && !f.IsFloat())
        return VFW_E_TYPE_NOT_ACCEPTED;
    return SameFormat(Offered(0), f) || SameFormat(Offered(1), f) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT GeneratorSource::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    const WAVEFORMATEX* wf = Output()->CurrentMediaType().Wave();
    if (!wf || !alloc || !wanted)
        return E_UNEXPECTED;
    ALLOCATOR_PROPERTIES props = *wanted, actual{};
    props.cBuffers = std::max<long>(props.cBuffers, 4);
    props.cbBuffer = std::max<long>(props.cbBuffer, long(kBlockFrames * wf->nBlockAlign));
    props.cbAlign = std::max<long>(props.cbAlign, 1);
    HRESULT hr = alloc->SetProperties(&props, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < wf->nBlockAlign ? E_FAIL : S_OK;
}

HRESULT GeneratorSource::OnThreadStart()
{
    m_outFormat = FormatOf(Output()->CurrentMediaType().Get());
    m_floatFormat.InitFloat32(m_outFormat.samplesPerSec, m_outFormat.channels);
    m_fromFloat.SetSourceFormat(&m_floatFormat);
    m_fromFloat.SetDestinationFormat(&m_outFormat);
    m_values.assign(kMaxParams, 0.0);
    CopySettings(m_values.data());
    m_runLength = m_length.load();
    m_made.store(0);
    // Phase 0 at every run.
    m_kernel->Prepare({double(m_outFormat.samplesPerSec), m_outFormat.channels, m_runLength}, m_values.data());
    return S_OK;
}

HRESULT GeneratorSource::FillBuffer(IMediaSample* sample)
{
    const int64_t made = m_made.load();
    if (made >= m_runLength)
        return S_FALSE;
    BYTE* dst = nullptr;
    HRESULT hr = sample->GetPointer(&dst);
    if (FAILED(hr))
        return hr;
    const size_t block = m_outFormat.blockAlign;
    size_t n = std::min<size_t>(size_t(std::max(sample->GetSize(), 0L)) / block, kBlockFrames);
    n = size_t(std::min<int64_t>(int64_t(n), m_runLength - made));
    if (n == 0)
        return E_FAIL;
    m_block.resize(n * m_outFormat.channels);
    m_kernel->Generate(m_block.data(), n);
    if (m_outFormat.IsFloat())
        std::memcpy(dst, m_block.data(), n * block);
    else
        m_fromFloat.Convert(m_block.data(), n, dst);
    sample->SetActualDataLength(long(n * block));
    const int64_t rate = m_outFormat.samplesPerSec;
    REFERENCE_TIME start = made * kTicksPerSecond / rate, stop = (made + int64_t(n)) * kTicksPerSecond / rate;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    m_made.store(made + int64_t(n));
    return S_OK;
}

// ---- the COM object ----

namespace {
std::unique_ptr<EffectKernel> NoKernel()
{
    return nullptr;
}
} // namespace

GeneratorFilter::GeneratorFilter(const EffectInfo& desc, std::unique_ptr<GeneratorKernel> kernel) : m_settingsInfo(desc)
{
    SetClassId(*desc.clsid);
    m_kernel = std::move(kernel);
    m_settingsInfo.createKernel = NoKernel;
    m_settings = ComRef<EffectFilter>(EffectFilter::Create<EffectFilter>(m_settingsInfo));
    m_settings->SetSampleRate(int(FormatRate()));
}

HRESULT GeneratorFilter::SetFormatRate(unsigned rate)
{
    HRESULT hr = GeneratorSource::SetFormatRate(rate);
    if (SUCCEEDED(hr))
        m_settings->SetSampleRate(int(rate));
    return hr;
}

HRESULT GeneratorFilter::LocalDuration(LONGLONG* d)
{
    *d = LengthFrames() * kTicksPerSecond / FormatRate();
    return S_OK;
}

HRESULT GeneratorFilter::LocalPosition(LONGLONG* p)
{
    *p = m_made.load() * kTicksPerSecond / FormatRate();
    return S_OK;
}

IMediaSeeking* GeneratorFilter::PinUpstreamSeeking(OutputPin*)
{
    AddRef();
    return static_cast<SeekingPassThru*>(this);
}

} // namespace fxkit
