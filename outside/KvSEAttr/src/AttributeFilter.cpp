#include "AttributeFilter.h"

#include "ChannelMixer.h"

#include <algorithm>
#include <cstring>

namespace {

WaveFormat FromWaveFormatEx(const WAVEFORMATEX& wf, size_t size)
{
    WaveFormat out;
    std::memcpy(static_cast<void*>(&out), &wf, std::min<size_t>(size, sizeof(WaveFormat)));
    if (out.formatTag != kWaveTagExtensible)
        out.extensionSize = 0;
    return out;
}

const WAVEFORMATEX& AsWaveFormatEx(const WaveFormat& wf)
{
    return reinterpret_cast<const WAVEFORMATEX&>(wf);
}

// What SampleConverter reads: PCM of 8, 16, 20 (in 24) or 24 bits, or 32-bit float.
bool Readable(const WaveFormat& wf)
{
    if (wf.IsFloat())
        return wf.bitsPerSample == 32;
    if (!wf.IsPcm())
        return false;
    return wf.bitsPerSample == 8 || wf.bitsPerSample == 16 || wf.bitsPerSample == 24;
}

// A getter's body: the value out through the caller's pointer.
template <class T>
HRESULT CopyOut(T value, T* out)
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

} // namespace

AttributeFilter::AttributeFilter()
{
    SetClassId(CLSID_KvSEAttr);
}

// ---- settings ----

template <class T>
HRESULT AttributeFilter::ChangeSetting(T& field, T value)
{
    AutoLock lock(m_stateLock);
    if (field != value && Output()->IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    field = value;
    return S_OK;
}

STDMETHODIMP AttributeFilter::GetBitsPerSample(WORD* bits)
{
    return CopyOut(m_bits, bits);
}

STDMETHODIMP AttributeFilter::SetBitsPerSample(WORD bits)
{
    if (bits != 0 && bits != 8 && bits != 16 && bits != 20 && bits != 24 && bits != 32)
        return E_INVALIDARG;
    return ChangeSetting(m_bits, bits);
}

STDMETHODIMP AttributeFilter::GetSamplesPerSec(DWORD* rate)
{
    return CopyOut(m_rate, rate);
}

STDMETHODIMP AttributeFilter::SetSamplesPerSec(DWORD rate)
{
    if (rate != 0 && (rate < 1000 || rate > 768000))
        return E_INVALIDARG;
    return ChangeSetting(m_rate, rate);
}

STDMETHODIMP AttributeFilter::GetCalcPrecision(DWORD* precision)
{
    return CopyOut(m_precision, precision);
}

STDMETHODIMP AttributeFilter::SetCalcPrecision(DWORD precision)
{
    if (precision < 1 || precision > 64)
        return E_INVALIDARG;
    m_precision = precision; // kept for the caller; the conversion has one precision
    return S_OK;
}

STDMETHODIMP AttributeFilter::GetChannels(WORD* channels)
{
    return CopyOut(m_channels, channels);
}

STDMETHODIMP AttributeFilter::SetChannels(WORD channels)
{
    if (channels > 8)
        return E_INVALIDARG;
    return ChangeSetting(m_channels, channels);
}

STDMETHODIMP AttributeFilter::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_KvSEAttrPage;
    return S_OK;
}

// ---- types ----

bool AttributeFilter::TargetFormatFor(const WAVEFORMATEX& in, WaveFormat& out) const
{
    WaveFormat src =
        FromWaveFormatEx(in, sizeof(WAVEFORMATEX) + (in.wFormatTag == WAVE_FORMAT_EXTENSIBLE ? in.cbSize : 0));
    if (!Readable(src))
        return false;
    uint32_t rate = m_rate ? m_rate : src.samplesPerSec;
    uint32_t channels = m_channels ? m_channels : src.channels;
    uint32_t bits = m_bits ? m_bits : (src.IsFloat() ? 32 : SampleConverter::EffectiveBits(src));
    if (rate == src.samplesPerSec && channels == src.channels && bits == SampleConverter::EffectiveBits(src) &&
        (bits == 32) == src.IsFloat()) {
        out = src; // nothing to change: keep the layout the input has
        return true;
    }
    if (bits == 20)
        out.InitExtensiblePcm(rate, 24, channels, 20, 0); // the only way 20 bits travel between filters
    else
        out = WaveFormat(rate, bits, channels);
    return true;
}

HRESULT AttributeFilter::CheckInputType(const AM_MEDIA_TYPE& in)
{
    if (!IsUsableAudioType(in))
        return VFW_E_TYPE_NOT_ACCEPTED;
    WaveFormat target;
    return TargetFormatFor(*WaveFormatOf(in), target) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AttributeFilter::GetOutputType(int i, MediaType& out)
{
    if (i != 0)
        return VFW_S_NO_MORE_ITEMS;
    WaveFormat target;
    if (!TargetFormatFor(*Input()->CurrentMediaType().Wave(), target))
        return E_UNEXPECTED;
    return MakeAudioMediaType(AsWaveFormatEx(target), out);
}

HRESULT AttributeFilter::CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out)
{
    const WAVEFORMATEX* o = WaveFormatOf(out);
    WaveFormat target;
    if (!o || !TargetFormatFor(*WaveFormatOf(in), target))
        return VFW_E_TYPE_NOT_ACCEPTED;
    WaveFormat offered = FromWaveFormatEx(*o, out.cbFormat);
    bool same = offered.samplesPerSec == target.samplesPerSec && offered.channels == target.channels &&
                offered.bitsPerSample == target.bitsPerSample && offered.blockAlign == target.blockAlign &&
                offered.IsFloat() == target.IsFloat() && offered.IsPcm() == target.IsPcm() &&
                SampleConverter::EffectiveBits(offered) == SampleConverter::EffectiveBits(target);
    return same ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AttributeFilter::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    const WAVEFORMATEX* wf = Output()->CurrentMediaType().Wave();
    if (!wf)
        return E_UNEXPECTED;
    ALLOCATOR_PROPERTIES props = *wanted, actual{};
    long tenth = static_cast<long>(std::max<DWORD>(wf->nSamplesPerSec / 10, 256) * wf->nBlockAlign);
    props.cBuffers = std::max<long>(props.cBuffers, 4);
    props.cbBuffer = std::max<long>(props.cbBuffer, tenth);
    // A whole input block in one output sample: the writer after us takes it without a copy.
    props.cbBuffer = std::max<long>(props.cbBuffer, InputBlockBytesAs(*wf));
    props.cbAlign = std::max<long>(props.cbAlign, 1);
    HRESULT hr = alloc->SetProperties(&props, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < wf->nBlockAlign ? E_FAIL : S_OK;
}

// ---- streaming ----

HRESULT AttributeFilter::StartStreaming()
{
    const MediaType& in = Input()->CurrentMediaType();
    const MediaType& out = Output()->CurrentMediaType();
    m_inFormat = FromWaveFormatEx(*in.Wave(), in.Get().cbFormat);
    m_outFormat = FromWaveFormatEx(*out.Wave(), out.Get().cbFormat);
    m_passBytes = m_inFormat.samplesPerSec == m_outFormat.samplesPerSec &&
                  m_inFormat.channels == m_outFormat.channels && m_inFormat.blockAlign == m_outFormat.blockAlign &&
                  m_inFormat.IsFloat() == m_outFormat.IsFloat() &&
                  SampleConverter::EffectiveBits(m_inFormat) == SampleConverter::EffectiveBits(m_outFormat);
    m_inFloat.InitFloat32(m_inFormat.samplesPerSec, m_inFormat.channels);
    m_outFloat.InitFloat32(m_outFormat.samplesPerSec, m_outFormat.channels);
    m_toFloat.SetSourceFormat(&m_inFormat);
    m_toFloat.SetDestinationFormat(&m_inFloat);
    m_fromFloat.SetSourceFormat(&m_outFloat);
    m_fromFloat.SetDestinationFormat(&m_outFormat);
    if (!m_passBytes && (!m_toFloat.m_copy && m_inFormat.bitsPerSample != 32))
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (!m_resampler.Setup(m_inFormat.samplesPerSec, m_outFormat.samplesPerSec, m_outFormat.channels))
        return VFW_E_TYPE_NOT_ACCEPTED;
    m_formatOnly = m_resampler.IsPassThrough() && m_inFormat.channels == m_outFormat.channels;
    m_framesOut = 0;
    return S_OK;
}

void AttributeFilter::OnEndFlush()
{
    // Samples after a flush start a new stream: no history from before it.
    m_resampler.Reset();
}

HRESULT AttributeFilter::SendSample(ComRef<IMediaSample> sample, uint64_t frames)
{
    return DeliverStamped(sample.Get(), &m_framesOut, frames, m_outFormat.samplesPerSec);
}

HRESULT AttributeFilter::DeliverBytes(const BYTE* data, size_t bytes)
{
    const size_t block = m_outFormat.blockAlign;
    while (bytes > 0) {
        ComRef<IMediaSample> sample;
        HRESULT hr = Output()->GetDeliveryBuffer(sample.Out());
        if (FAILED(hr))
            return hr;
        BYTE* dst = nullptr;
        sample->GetPointer(&dst);
        size_t n = std::min<size_t>(bytes, size_t(sample->GetSize()) / block * block);
        std::memcpy(dst, data, n);
        sample->SetActualDataLength(static_cast<long>(n));
        hr = SendSample(std::move(sample), n / block);
        if (hr != S_OK)
            return hr;
        data += n;
        bytes -= n;
    }
    return S_OK;
}

template <class Fill>
HRESULT AttributeFilter::DeliverFrames(size_t frames, Fill&& fill)
{
    const size_t block = m_outFormat.blockAlign;
    for (size_t done = 0; done < frames;) {
        ComRef<IMediaSample> sample;
        HRESULT hr = Output()->GetDeliveryBuffer(sample.Out());
        if (FAILED(hr))
            return hr;
        BYTE* dst = nullptr;
        const size_t n = std::min<size_t>(frames - done, size_t(std::max(sample->GetSize(), 0L)) / block);
        if (FAILED(hr = sample->GetPointer(&dst)) || n == 0)
            return FAILED(hr) ? hr : E_FAIL; // a sample that holds no frame cannot carry the rest
        fill(dst, done, n);
        sample->SetActualDataLength(static_cast<long>(n * block));
        hr = SendSample(std::move(sample), n);
        if (hr != S_OK)
            return hr;
        done += n;
    }
    return S_OK;
}

HRESULT AttributeFilter::DeliverFloat(const float* frames, size_t count)
{
    const size_t channels = m_outFormat.channels;
    return DeliverFrames(count, [&](BYTE* dst, size_t first, size_t n) {
        if (m_fromFloat.m_copy)
            m_fromFloat.Convert(frames + first * channels, n, dst);
        else
            std::memcpy(dst, frames + first * channels, n * m_outFormat.blockAlign); // float to float
    });
}

HRESULT AttributeFilter::DeliverConverted(const BYTE* data, size_t frames)
{
    const size_t inBlock = m_inFormat.blockAlign;
    return DeliverFrames(frames, [&](BYTE* dst, size_t first, size_t n) {
        const BYTE* src = data + first * inBlock;
        if (m_inFormat.IsFloat()) {
            m_fromFloat.Convert(src, n, dst);
        } else if (m_outFormat.IsFloat()) {
            m_toFloat.Convert(src, n, dst);
        } else {
            m_floatIn.resize(n * m_inFormat.channels);
            m_toFloat.Convert(src, n, m_floatIn.data());
            m_fromFloat.Convert(m_floatIn.data(), n, dst);
        }
    });
}

HRESULT AttributeFilter::ProcessSample(IMediaSample* in)
{
    BYTE* src = nullptr;
    HRESULT hr = in->GetPointer(&src);
    if (FAILED(hr))
        return hr;
    size_t bytes = size_t(std::max<long>(in->GetActualDataLength(), 0));
    if (m_passBytes)
        return DeliverBytes(src, bytes);
    size_t frames = bytes / m_inFormat.blockAlign;
    if (frames == 0)
        return S_OK;
    if (m_formatOnly)
        return DeliverConverted(src, frames);
    m_floatIn.resize(frames * m_inFormat.channels);
    if (m_toFloat.m_copy)
        m_toFloat.Convert(src, frames, m_floatIn.data());
    else
        std::memcpy(m_floatIn.data(), src, frames * m_inFormat.blockAlign); // float input
    const float* mixed = m_floatIn.data();
    if (m_inFormat.channels != m_outFormat.channels) {
        m_mixed.resize(frames * m_outFormat.channels);
        MixChannels(m_floatIn.data(), m_inFormat.channels, m_mixed.data(), m_outFormat.channels, frames);
        mixed = m_mixed.data();
    }
    m_resampled.clear();
    m_resampler.Process(mixed, frames, m_resampled);
    return DeliverFloat(m_resampled.data(), m_resampled.size() / m_outFormat.channels);
}

HRESULT AttributeFilter::OnEndOfStream()
{
    if (m_passBytes)
        return S_OK;
    m_resampled.clear();
    m_resampler.Flush(m_resampled);
    HRESULT hr = DeliverFloat(m_resampled.data(), m_resampled.size() / m_outFormat.channels);
    // A downstream that stopped taking samples is no failure of ours.
    return FAILED(hr) && State() == State_Stopped ? S_OK : hr;
}
