#include "EffectFilter.h"
#include "ComRef.h"
#include "StreamFormat.h"
#include "TailSeeking.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fxkit {

HINSTANCE ModuleInstance()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
    return module;
}

// ---- streaming ----

void EffectTransform::InitInfo(const EffectInfo& desc)
{
    m_info = &desc;
    m_values.resize(size_t(desc.paramCount));
    m_kernel = desc.createKernel();
    for (int i = 0; i < desc.paramCount; ++i)
        m_values[size_t(i)] = desc.params[i].defaultValue;
}

void EffectTransform::CopyValues(double* out) const
{
    AutoLock lock(m_paramLock);
    std::copy(m_values.begin(), m_values.end(), out);
}

int EffectTransform::OutputChannelsFor(int inputChannels) const
{
    if (inputChannels < 1 || inputChannels > 31 || !(m_info->inputChannels & (1u << inputChannels)))
        return 0;
    return m_info->outputChannels ? m_info->outputChannels : inputChannels;
}

HRESULT EffectTransform::CheckInputType(const AM_MEDIA_TYPE& in)
{
    if (!Supported(in) || !OutputChannelsFor(FormatOf(in).channels))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT EffectTransform::CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out)
{
    if (!Supported(in) || !Supported(out))
        return VFW_E_TYPE_NOT_ACCEPTED;
    const WaveFormat a = FormatOf(in), b = FormatOf(out);
    const bool same = a.IsFloat() == b.IsFloat() && a.bitsPerSample == b.bitsPerSample &&
                      a.samplesPerSec == b.samplesPerSec && b.channels == OutputChannelsFor(a.channels);
    return same ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT EffectTransform::GetOutputType(int i, MediaType& out)
{
    if (i < 0)
        return E_INVALIDARG;
    if (i > 0)
        return VFW_S_NO_MORE_ITEMS;
    const WaveFormat in = FormatOf(Input()->CurrentMediaType().Get());
    const int channels = OutputChannelsFor(in.channels);
    if (!channels)
        return E_UNEXPECTED;
    if (channels == in.channels) {
        HRESULT hr = out.Set(Input()->CurrentMediaType().Get());
        if (SUCCEEDED(hr) && out.Ptr()->pbFormat) {
            auto* wf = reinterpret_cast<WAVEFORMATEX*>(out.Ptr()->pbFormat);
            wf->nBlockAlign = WORD(wf->wBitsPerSample / 8 * wf->nChannels);
            wf->nAvgBytesPerSec = wf->nSamplesPerSec * wf->nBlockAlign;
        }
        return hr;
    }
    const WAVEFORMATEX wf = MakeWaveFormat(in.IsFloat() ? SampleKind::Float : SampleKind::Pcm, in.samplesPerSec,
                                           in.bitsPerSample, WORD(channels));
    return MakeAudioMediaType(wf, out);
}

HRESULT EffectTransform::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    const WAVEFORMATEX* wf = Output()->CurrentMediaType().Wave();
    if (!wf || !alloc || !wanted)
        return E_UNEXPECTED;
    ALLOCATOR_PROPERTIES props = *wanted, actual{};
    const long tenth = long(std::max<DWORD>(wf->nSamplesPerSec / 10, 256) * wf->nBlockAlign);
    props.cBuffers = std::max<long>(props.cBuffers, 4);
    props.cbBuffer = std::max<long>(props.cbBuffer, tenth);
    // An output sample holds as many frames as an input sample brings, so that a kernel without
    // latency can write a whole block straight into it.
    props.cbBuffer = std::max<long>(props.cbBuffer, InputBlockBytesAs(*wf));
    props.cbAlign = std::max<long>(props.cbAlign, 1);
    HRESULT hr = alloc->SetProperties(&props, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < wf->nBlockAlign ? E_FAIL : S_OK;
}

HRESULT EffectTransform::StartStreaming()
{
    m_inFormat = FormatOf(Input()->CurrentMediaType().Get());
    m_outFormat = FormatOf(Output()->CurrentMediaType().Get());
    m_inFloat.InitFloat32(m_inFormat.samplesPerSec, m_inFormat.channels);
    m_outFloat.InitFloat32(m_outFormat.samplesPerSec, m_outFormat.channels);
    m_toFloat.SetSourceFormat(&m_inFormat);
    m_toFloat.SetDestinationFormat(&m_inFloat);
    m_fromFloat.SetSourceFormat(&m_outFloat);
    m_fromFloat.SetDestinationFormat(&m_outFormat);
    m_streamValues.resize(m_values.size());
    CopyValues(m_streamValues.data());
    m_changed.store(false);
    StreamShape shape{double(m_inFormat.samplesPerSec), m_inFormat.channels, m_outFormat.channels};
    m_kernel->Prepare(shape, m_streamValues.data());
    const int mode = m_measuringMode.load();
    m_measuring = m_info->twoPass && mode == 1 && m_kernel->Measures();
    m_applying = m_info->twoPass && mode == 2;
    m_measureOpen = false;
    if (m_measuring) {
        m_kernel->BeginMeasure();
        m_measureOpen = true;
    }
    m_framesIn = m_framesOut = 0;
    m_skip = m_measuring ? 0 : m_kernel->Latency();
    m_ratio = m_measuring ? 1.0 : m_kernel->LengthRatio(m_streamValues.data());
    m_stretched.clear();
    ALLOCATOR_PROPERTIES out{};
    m_outSampleBytes = 0;
    if (Output()->Allocator() && SUCCEEDED(Output()->Allocator()->GetProperties(&out)))
        m_outSampleBytes = size_t(std::max(out.cbBuffer, 0L));
    return S_OK;
}

void EffectTransform::StopStreaming()
{
    if (m_measureOpen) {
        m_kernel->EndMeasure();
        m_measureOpen = false;
    }
    // The next stream is another track: it must be measured for itself.
    if (m_applying)
        m_measuringMode.store(1);
    m_applying = m_measuring = false;
}

void EffectTransform::OnEndFlush()
{
    m_kernel->Reset();
    m_skip = m_measuring ? 0 : m_kernel->Latency();
    m_framesIn = m_framesOut = 0;
    m_stretched.clear();
}

IMediaSeeking* EffectTransform::PinUpstreamSeeking(OutputPin* pin)
{
    ComRef<IMediaSeeking> up(TransformFilter::PinUpstreamSeeking(pin));
    const uint32_t rate = FormatOf(Input()->CurrentMediaType().Get()).samplesPerSec;
    if (!up || rate == 0)
        return up.Detach();
    std::vector<double> values(m_values.size());
    CopyValues(values.data());
    const uint64_t tail = m_kernel->TailFrames(values.data(), double(rate));
    const double ratio = m_kernel->LengthRatio(values.data());
    if (tail == 0 && ratio == 1.0)
        return up.Detach();
    return NewTailSeeking(up.Get(), tail, rate, ratio);
}

HRESULT EffectTransform::SendSample(IMediaSample* sample, size_t frames)
{
    sample->SetActualDataLength(long(frames * m_outFormat.blockAlign));
    return DeliverStamped(sample, &m_framesOut, frames, m_outFormat.samplesPerSec);
}

HRESULT EffectTransform::DeliverFloat(const float* frames, size_t count)
{
    const size_t channels = m_outFormat.channels;
    const size_t block = m_outFormat.blockAlign;
    while (count > 0) {
        ComRef<IMediaSample> sample;
        HRESULT hr = Output()->GetDeliveryBuffer(sample.Out());
        if (FAILED(hr))
            return hr;
        BYTE* dst = nullptr;
        sample->GetPointer(&dst);
        const size_t n = std::min<size_t>(count, size_t(std::max(sample->GetSize(), 0L)) / block);
        if (n == 0)
            return E_FAIL;
        if (m_outFormat.IsFloat())
            std::memcpy(dst, frames, n * block);
        else
            m_fromFloat.Convert(frames, n, dst);
        hr = SendSample(sample.Get(), n);
        if (hr != S_OK)
            return hr;
        frames += n * channels;
        count -= n;
    }
    return S_OK;
}

HRESULT EffectTransform::ProcessIntoSample(const float* in, size_t frames, bool* done)
{
    *done = false;
    const size_t bytes = frames * m_outFormat.blockAlign;
    if (!m_outFormat.IsFloat() || m_skip > 0 || m_kernel->Latency() > 0 || bytes > m_outSampleBytes)
        return S_OK;
    ComRef<IMediaSample> sample;
    HRESULT hr = Output()->GetDeliveryBuffer(sample.Out());
    if (FAILED(hr))
        return hr;
    BYTE* dst = nullptr;
    if (FAILED(sample->GetPointer(&dst)) || size_t(std::max(sample->GetSize(), 0L)) < bytes)
        return S_OK; // smaller than the allocator promised: the copying path takes it
    *done = true;
    m_kernel->Process(in, reinterpret_cast<float*>(dst), frames);
    m_framesIn += frames;
    return SendSample(sample.Get(), frames);
}

HRESULT EffectTransform::RunKernel(const float* in, size_t frames, bool draining)
{
    if (m_changed.exchange(false)) {
        CopyValues(m_streamValues.data());
        m_kernel->Update(m_streamValues.data());
    }
    if (m_measuring) {
        m_kernel->Measure(in, frames);
        m_framesIn += frames;
        return DeliverFloat(in, frames); // the measuring pass leaves the sound as it is
    }
    if (m_ratio != 1.0) {
        m_kernel->Stretch(in, frames, m_stretched);
        m_framesIn += frames;
        return DeliverStretched(false);
    }
    if (!draining) {
        bool done = false;
        HRESULT hr = ProcessIntoSample(in, frames, &done);
        if (done || FAILED(hr))
            return hr;
    }
    m_out.resize(frames * size_t(m_outFormat.channels));
    m_kernel->Process(in, m_out.data(), frames);
    if (!draining)
        m_framesIn += frames;
    size_t skip = std::min(m_skip, frames);
    m_skip -= skip;
    size_t count = frames - skip;
    // Never more out than went in: the drain only pays back what the latency held.
    count = size_t(std::min<uint64_t>(count, m_framesIn - m_framesOut));
    return DeliverFloat(m_out.data() + skip * size_t(m_outFormat.channels), count);
}

HRESULT EffectTransform::ProcessSample(IMediaSample* sample)
{
    BYTE* src = nullptr;
    HRESULT hr = sample->GetPointer(&src);
    if (FAILED(hr))
        return hr;
    const size_t frames = size_t(std::max(sample->GetActualDataLength(), 0L)) / m_inFormat.blockAlign;
    if (frames == 0)
        return S_OK;
    if (sample->IsDiscontinuity() == S_OK && m_framesIn > 0)
        m_kernel->Reset();
    const float* in = reinterpret_cast<const float*>(src);
    if (!m_inFormat.IsFloat()) {
        m_in.resize(frames * m_inFormat.channels);
        m_toFloat.Convert(src, frames, m_in.data());
        in = m_in.data();
    }
    return RunKernel(in, frames, false);
}

HRESULT EffectTransform::DeliverStretched(bool end)
{
    const size_t channels = m_outFormat.channels;
    const uint64_t target = uint64_t(std::llround(double(m_framesIn) * m_ratio));
    if (end && m_framesOut + m_stretched.size() / channels < target)
        m_stretched.resize(size_t(target - m_framesOut) * channels, 0.0f); // the kernel fell short
    const uint64_t owed = target - std::min(target, m_framesOut);
    const size_t count = size_t(std::min<uint64_t>(m_stretched.size() / channels, owed));
    HRESULT hr = DeliverFloat(m_stretched.data(), count);
    m_stretched.erase(m_stretched.begin(), m_stretched.begin() + long(count * channels));
    return hr;
}

HRESULT EffectTransform::RunTail()
{
    uint64_t tail = m_kernel->TailFrames(m_streamValues.data(), double(m_inFormat.samplesPerSec));
    const size_t block = std::max<size_t>(m_inFormat.samplesPerSec / 10, 256);
    std::vector<float> silence(std::min<uint64_t>(tail, block) * m_inFormat.channels, 0.0f);
    HRESULT hr = S_OK;
    while (tail > 0 && hr == S_OK) {
        const size_t n = size_t(std::min<uint64_t>(tail, block));
        hr = RunKernel(silence.data(), n, false); // counted as input: the tail is output owed
        tail -= n;
    }
    return hr;
}

HRESULT EffectTransform::OnEndOfStream()
{
    HRESULT hr = S_OK;
    if (m_measureOpen) {
        m_kernel->EndMeasure();
        m_measureOpen = false;
    } else {
        if (m_ratio != 1.0) {
            m_kernel->Finish(m_stretched);
            hr = DeliverStretched(true);
        } else if (!m_measuring)
            hr = RunTail();
        const size_t latency = m_measuring ? 0 : m_kernel->Latency();
        if (SUCCEEDED(hr) && latency > 0 && m_framesIn > m_framesOut) {
            std::vector<float> silence(latency * m_inFormat.channels, 0.0f);
            hr = RunKernel(silence.data(), latency, true);
        }
    }
    // A downstream that stopped taking samples is no failure of ours.
    return FAILED(hr) && State() == State_Stopped ? S_OK : hr;
}

// ---- the COM object ----

EffectFilter::EffectFilter(const EffectInfo& desc)
{
    InitInfo(desc);
    SetClassId(*desc.clsid);
}

std::string EffectFilter::WorkFolder() const
{
    AutoLock lock(m_paramLock);
    return m_workFolder;
}

double EffectFilter::Value(int index) const
{
    AutoLock lock(m_paramLock);
    return m_values[size_t(index)];
}

void EffectFilter::ParamRange(int index, const double*, double& minimum, double& maximum) const
{
    const ParamInfo& p = m_info->params[index];
    minimum = p.minimum;
    maximum = p.maximum;
    if (p.belowNyquist && SampleRate() > 0)
        maximum = std::max(minimum, std::min(maximum, 0.45 * SampleRate()));
}

bool EffectFilter::RecordValid(const double* values) const
{
    for (int i = 0; i < m_info->paramCount; ++i) {
        const ParamInfo& p = m_info->params[i];
        if (!std::isfinite(values[i]) || std::fabs(ClampParam(p, values[i]) - values[i]) > 1e-9)
            return false;
    }
    return true;
}

STDMETHODIMP EffectFilter::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = *m_info->clsid;
    return S_OK;
}

STDMETHODIMP EffectFilter::GetParameterCount(int* count)
{
    if (!count)
        return E_POINTER;
    *count = m_info->paramCount;
    return S_OK;
}

STDMETHODIMP EffectFilter::GetParameter(int index, double* value)
{
    if (!value)
        return E_POINTER;
    if (index < 0 || index >= m_info->paramCount)
        return E_INVALIDARG;
    *value = Value(index);
    return S_OK;
}

STDMETHODIMP EffectFilter::SetParameter(int index, double value)
{
    if (index < 0 || index >= m_info->paramCount)
        return E_INVALIDARG;
    AutoLock lock(m_paramLock);
    double lo, hi;
    ParamRange(index, m_values.data(), lo, hi);
    const double v = ClampParam(m_info->params[index], value, lo, hi);
    if (m_values[size_t(index)] != v) {
        const std::vector<double> before = m_values;
        m_values[size_t(index)] = v;
        // A value whose range follows this one is brought into its new range, so the settings
        // stay ones that a saved record of them loads back as.
        for (int i = 0; i < m_info->paramCount; ++i) {
            double oldLo, oldHi, newLo, newHi;
            ParamRange(i, before.data(), oldLo, oldHi);
            ParamRange(i, m_values.data(), newLo, newHi);
            if (i != index && (oldLo != newLo || oldHi != newHi))
                m_values[size_t(i)] = ClampParam(m_info->params[i], m_values[size_t(i)], newLo, newHi);
        }
        m_dirty = true;
        MarkChanged();
    }
    return std::fabs(v - value) > 1e-9 ? S_FALSE : S_OK;
}

STDMETHODIMP EffectFilter::GetParameterRange(int index, double* minimum, double* maximum)
{
    if (!minimum || !maximum)
        return E_POINTER;
    if (index < 0 || index >= m_info->paramCount)
        return E_INVALIDARG;
    AutoLock lock(m_paramLock);
    ParamRange(index, m_values.data(), *minimum, *maximum);
    return S_OK;
}

STDMETHODIMP EffectFilter::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID) * size_t(std::max(m_info->pageCount, 1))));
    if (!pages->pElems)
        return E_OUTOFMEMORY;
    for (int i = 0; i < m_info->pageCount; ++i)
        pages->pElems[i] = *m_info->pages[i].clsid;
    pages->cElems = ULONG(m_info->pageCount);
    return S_OK;
}

STDMETHODIMP EffectFilter::IsDirty()
{
    AutoLock lock(m_paramLock);
    return m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP EffectFilter::Load(IStream* stream)
{
    if (!stream)
        return E_POINTER;
    const uint32_t bytes = RecordBytes(*m_info);
    std::vector<uint8_t> record(bytes);
    ULONG read = 0;
    HRESULT hr = stream->Read(record.data(), bytes, &read);
    if (FAILED(hr))
        return hr;
    uint32_t size, version, count;
    CLSID clsid;
    std::memcpy(&size, record.data(), 4);
    std::memcpy(&clsid, record.data() + 4, 16);
    std::memcpy(&version, record.data() + 20, 4);
    std::memcpy(&count, record.data() + 24, 4);
    if (read != bytes || size != bytes || clsid != *m_info->clsid || version != m_info->recordVersion ||
        count != uint32_t(m_info->paramCount))
        return E_FAIL;
    std::vector<double> values(size_t(m_info->paramCount));
    std::memcpy(values.data(), record.data() + kRecordHeaderBytes, values.size() * 8);
    if (!RecordValid(values.data()))
        return E_FAIL;
    AutoLock lock(m_paramLock);
    m_values = values;
    m_dirty = false;
    MarkChanged();
    return S_OK;
}

STDMETHODIMP EffectFilter::Save(IStream* stream, BOOL clearDirty)
{
    if (!stream)
        return E_POINTER;
    const uint32_t bytes = RecordBytes(*m_info);
    std::vector<uint8_t> record(bytes);
    const uint32_t count = uint32_t(m_info->paramCount);
    std::memcpy(record.data(), &bytes, 4);
    std::memcpy(record.data() + 4, m_info->clsid, 16);
    std::memcpy(record.data() + 20, &m_info->recordVersion, 4);
    std::memcpy(record.data() + 24, &count, 4);
    {
        AutoLock lock(m_paramLock);
        std::memcpy(record.data() + kRecordHeaderBytes, m_values.data(), m_values.size() * 8);
    }
    ULONG written = 0;
    HRESULT hr = stream->Write(record.data(), bytes, &written);
    if (FAILED(hr))
        return hr;
    if (written != bytes)
        return STG_E_MEDIUMFULL;
    if (clearDirty) {
        AutoLock lock(m_paramLock);
        m_dirty = false;
    }
    return S_OK;
}

STDMETHODIMP EffectFilter::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size)
        return E_POINTER;
    size->QuadPart = RecordBytes(*m_info);
    return S_OK;
}

STDMETHODIMP EffectFilter::GetPresetCount(int* count)
{
    if (!count)
        return E_POINTER;
    *count = m_info->presetCount;
    return S_OK;
}

STDMETHODIMP EffectFilter::GetPresetName(unsigned index, wchar_t* name, int length)
{
    if (index >= unsigned(m_info->presetCount) || !name || length < 1)
        return E_INVALIDARG;
    const wchar_t* text = m_info->presets[index].name;
    const size_t n = std::min(wcslen(text), size_t(length) - 1);
    std::memcpy(name, text, n * sizeof(wchar_t));
    name[n] = L'\0';
    return S_OK;
}

STDMETHODIMP EffectFilter::SelectPreset(unsigned index)
{
    if (index >= unsigned(m_info->presetCount))
        return E_INVALIDARG;
    // Values that the program sets (hidden ones) stay as they are.
    for (int i = 0; i < m_info->paramCount; ++i)
        if (!m_info->params[i].hidden)
            SetParameter(i, m_info->presets[index].values[i]);
    return S_OK;
}

STDMETHODIMP EffectFilter::GetChannelNeed(unsigned short* need)
{
    if (!need)
        return E_POINTER;
    *need = m_info->channelNeed;
    return S_OK;
}

STDMETHODIMP EffectFilter::SetWorkFolder(const char* folder)
{
    if (!folder)
        return E_POINTER;
    AutoLock lock(m_paramLock);
    m_workFolder = folder;
    return S_OK;
}

STDMETHODIMP EffectFilter::SetChannelMode(int mode)
{
    m_channelMode.store(mode == 1 || mode == 2 ? mode : 0);
    return S_OK;
}

STDMETHODIMP EffectFilter::SetMeasuringMode(int mode)
{
    if (!m_info->twoPass)
        return E_NOTIMPL;
    if (mode != 1 && mode != 2)
        return E_INVALIDARG;
    m_measuringMode.store(mode);
    return S_OK;
}

STDMETHODIMP EffectFilter::SetChannelLayout(int layout)
{
    m_channelLayout.store(layout >= 1 && layout <= 3 ? layout : 0);
    return S_OK;
}

STDMETHODIMP EffectFilter::SetSampleRate(int rate)
{
    if (rate < 1000 || rate > 768000)
        return E_INVALIDARG;
    m_rate.store(rate);
    return S_OK;
}

} // namespace fxkit
