#include "GraphicEqFilter.h"

#include "ComRef.h"

#include <uuids.h>

#include <algorithm>
#include <cstring>

namespace {

// The format block of an audio type as our record, or false when it is no usable block.
bool WaveOf(const AM_MEDIA_TYPE& mt, geq::WaveFormat& f)
{
    if (mt.majortype != MEDIATYPE_Audio || mt.formattype != FORMAT_WaveFormatEx || !mt.pbFormat || mt.cbFormat < 16 ||
        mt.bTemporalCompression)
        return false;
    geq::CopyWaveFormat(f, mt.pbFormat, mt.cbFormat);
    return true;
}

// Bytes of one frame as the engine reads and writes it. The format's block align is not
// trusted: a smaller one than this would let the engine run past a sample's end.
size_t FrameBytes(const geq::WaveFormat& f)
{
    return size_t(f.channels) * ((f.bitsPerSample + 7) / 8);
}

// The output type for an input type: the same with block align and byte rate recomputed.
void RecomputeBlock(AM_MEDIA_TYPE* mt)
{
    if (mt->pbFormat && mt->cbFormat >= 16) {
        auto* wf = reinterpret_cast<WAVEFORMATEX*>(mt->pbFormat);
        wf->nBlockAlign = WORD(wf->wBitsPerSample / 8 * wf->nChannels);
        wf->nAvgBytesPerSec = wf->nSamplesPerSec * wf->nBlockAlign;
    }
}

constexpr long kMinOutputBuffer = 512;
constexpr long kFallbackInputBuffer = 16384;

} // namespace

HRESULT GraphicEqTransform::CheckInputType(const AM_MEDIA_TYPE& in)
{
    geq::WaveFormat f;
    if (!WaveOf(in, f))
        return E_INVALIDARG;
    if (f.channels != 1 && f.channels != 2 && f.channels != 6)
        return E_INVALIDARG;
    const bool pcm16 = geq::IsPcm(f) && f.bitsPerSample == 16;
    const bool float32 = geq::IsFloat(f) && f.bitsPerSample == 32;
    return pcm16 || float32 ? S_OK : E_INVALIDARG;
}

HRESULT GraphicEqTransform::CheckTransform(const AM_MEDIA_TYPE& in, const AM_MEDIA_TYPE& out)
{
    geq::WaveFormat a, b;
    if (!WaveOf(in, a) || !WaveOf(out, b))
        return E_INVALIDARG;
    return a.formatTag == b.formatTag && a.channels == b.channels && a.samplesPerSec == b.samplesPerSec &&
                   a.bitsPerSample == b.bitsPerSample
               ? S_OK
               : E_INVALIDARG;
}

HRESULT GraphicEqTransform::GetOutputType(int i, MediaType& out)
{
    if (!Input()->IsConnected())
        return E_UNEXPECTED;
    if (i < 0)
        return E_INVALIDARG;
    if (i > 0)
        return VFW_S_NO_MORE_ITEMS;
    HRESULT hr = out.Set(Input()->CurrentMediaType().Get());
    if (FAILED(hr))
        return hr;
    RecomputeBlock(out.Ptr());
    return S_OK;
}

HRESULT GraphicEqTransform::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    if (!alloc || !wanted)
        return E_POINTER;
    IMemAllocator* inputAlloc = Input()->IsConnected() ? Input()->Allocator() : nullptr;
    if (inputAlloc) {
        ALLOCATOR_PROPERTIES inProps{};
        if (SUCCEEDED(inputAlloc->GetProperties(&inProps)))
            *wanted = inProps;
    }
    if (wanted->cbBuffer <= 0)
        wanted->cbBuffer = kFallbackInputBuffer;
    wanted->cbBuffer *= 4;
    wanted->cBuffers = std::max(wanted->cBuffers, 1L);
    wanted->cbAlign = std::max(wanted->cbAlign, 1L);
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = alloc->SetProperties(wanted, &actual);
    if (FAILED(hr))
        return hr;
    *wanted = actual;
    return actual.cbBuffer < kMinOutputBuffer ? E_FAIL : hr;
}

HRESULT GraphicEqTransform::PinCheckMediaType(BasePin* pin, const AM_MEDIA_TYPE& mt)
{
    if (pin != Input())
        return TransformFilter::PinCheckMediaType(pin, mt);
    if (CheckInputType(mt) != S_OK)
        return E_INVALIDARG;
    if (!Output()->IsConnected())
        return S_OK;
    if (CheckTransform(mt, Output()->CurrentMediaType().Get()) == S_OK)
        return S_OK;
    // The output would have to change: ask the downstream pin whether it takes the new type.
    MediaType offered(mt);
    AM_MEDIA_TYPE* p = offered.Ptr();
    RecomputeBlock(p);
    IPin* peer = Output()->Peer();
    return peer ? peer->QueryAccept(p) : E_INVALIDARG;
}

HRESULT GraphicEqTransform::PinCompleteConnect(BasePin* pin, IPin*)
{
    const AM_MEDIA_TYPE& mt = pin->CurrentMediaType().Get();
    const bool input = pin == Input();
    geq::WaveFormat& record = input ? m_inFormat : m_outFormat;
    geq::WaveFormat f;
    geq::CopyWaveFormat(f, mt.pbFormat, mt.cbFormat);
    m_params.StorePinFormat(input ? 0 : 1, record, f);
    m_params.NotifyWindows(input ? 0 : 1);
    if (!input || !Output()->IsConnected() || CheckTransform(mt, Output()->CurrentMediaType().Get()) == S_OK)
        return S_OK;
    IFilterGraph* graph = Graph();
    return graph ? graph->Reconnect(Output()) : VFW_E_NOT_IN_GRAPH;
}

void GraphicEqTransform::PinBreakConnect(BasePin* pin)
{
    const bool input = pin == Input();
    m_params.StorePinFormat(input ? 0 : 1, input ? m_inFormat : m_outFormat, geq::WaveFormat{});
    m_params.SetPinFormat(input ? 0 : 1, nullptr);
}

HRESULT GraphicEqTransform::StartStreaming()
{
    return m_params.CreateEngine(&m_inFormat, &m_outFormat);
}

HRESULT GraphicEqTransform::RunAndDeliver(IMediaSample* first, geq::EqChunk chunk, const BYTE* src, size_t frames,
                                          bool deliverEmpty)
{
    const size_t outBlock = FrameBytes(m_outFormat);
    if (!outBlock)
        return E_UNEXPECTED;
    BYTE* dst = nullptr;
    HRESULT hr = first->GetPointer(&dst);
    if (FAILED(hr))
        return hr;
    const size_t capacity = size_t(std::max(first->GetSize(), 0L)) / outBlock;
    m_params.TakeSettings(chunk);
    const size_t worst = m_params.MaxOutputFrames(frames);
    size_t written = 0;
    if (worst <= capacity) {
        written = m_params.RunEngine(src, frames, dst);
        first->SetActualDataLength(long(written * outBlock));
        if (written == 0 && !deliverEmpty)
            return S_OK;
        return Output()->Deliver(first);
    }
    // One engine call can write more than the sample holds: spread the frames over samples.
    if (m_spill.size() < worst * outBlock) {
        try {
            m_spill.resize(worst * outBlock);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    written = m_params.RunEngine(src, frames, m_spill.data());
    size_t done = 0;
    ComRef<IMediaSample> sample = ComRef<IMediaSample>::Share(first);
    size_t room = capacity;
    for (;;) {
        const size_t n = std::min(written - done, room);
        if (n)
            std::memcpy(dst, m_spill.data() + done * outBlock, n * outBlock);
        sample->SetActualDataLength(long(n * outBlock));
        hr = (n || (deliverEmpty && sample.Get() == first)) ? Output()->Deliver(sample.Get()) : S_OK;
        sample.Reset();
        done += n;
        if (FAILED(hr) || done >= written)
            return hr;
        hr = Output()->GetDeliveryBuffer(sample.Out());
        if (FAILED(hr))
            return hr;
        room = size_t(std::max(sample->GetSize(), 0L)) / outBlock;
        if (FAILED(hr = sample->GetPointer(&dst)) || room == 0)
            return FAILED(hr) ? hr : E_FAIL; // a sample that holds no frame cannot carry the rest
    }
}

HRESULT GraphicEqTransform::TakeInputType(const AM_MEDIA_TYPE& mt, IMediaSample* out)
{
    geq::WaveFormat f;
    if (!WaveOf(mt, f))
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (std::memcmp(&f, &m_inFormat, sizeof f) == 0)
        return S_OK; // the type repeated: the stream goes on undisturbed
    MediaType outType(mt);
    RecomputeBlock(outType.Ptr());
    geq::WaveFormat g;
    if (!WaveOf(outType.Get(), g))
        return E_OUTOFMEMORY;
    m_params.StorePinFormat(0, m_inFormat, f);
    m_params.StorePinFormat(1, m_outFormat, g);
    m_params.NotifyWindows(0);
    // Frames held in the old format cannot go out in the new one: the engine starts afresh.
    m_params.ReformatEngine();
    return out->SetMediaType(outType.Ptr());
}

HRESULT GraphicEqTransform::ProcessSample(IMediaSample* in)
{
    REFERENCE_TIME start = 0, stop = 0;
    const bool timed = in->GetTime(&start, &stop) == S_OK;
    ComRef<IMediaSample> out;
    HRESULT hr = timed ? Output()->GetDeliveryBuffer(out.Out(), &start, &stop) : Output()->GetDeliveryBuffer(out.Out());
    if (FAILED(hr))
        return hr;
    if (timed)
        out->SetTime(&start, &stop);
    else
        out->SetTime(nullptr, nullptr);
    out->SetSyncPoint(in->IsSyncPoint() == S_OK);
    const bool discontinuity = in->IsDiscontinuity() == S_OK;
    out->SetDiscontinuity(discontinuity);
    LONGLONG mediaStart, mediaStop;
    if (in->GetMediaTime(&mediaStart, &mediaStop) == S_OK)
        out->SetMediaTime(&mediaStart, &mediaStop);

    AM_MEDIA_TYPE* changed = nullptr;
    if (in->GetMediaType(&changed) == S_OK && changed) {
        hr = TakeInputType(*changed, out.Get());
        DeleteMediaType(changed);
        if (FAILED(hr))
            return hr;
    }

    BYTE* src = nullptr;
    hr = in->GetPointer(&src);
    const size_t inBlock = FrameBytes(m_inFormat);
    if (SUCCEEDED(hr) && inBlock && (geq::IsPcm(m_inFormat) || geq::IsFloat(m_inFormat))) {
        const size_t frames = size_t(std::max(in->GetActualDataLength(), 0L)) / inBlock;
        hr = RunAndDeliver(out.Get(), discontinuity ? geq::EqChunk::AfterDiscontinuity : geq::EqChunk::Continuing, src,
                           frames, true);
    } else if (SUCCEEDED(hr)) {
        out->SetActualDataLength(0);
        hr = Output()->Deliver(out.Get());
    }
    return hr;
}

HRESULT GraphicEqTransform::OnEndOfStream()
{
    if (!Output()->IsConnected())
        return S_OK;
    ComRef<IMediaSample> out;
    HRESULT hr = Output()->GetDeliveryBuffer(out.Out());
    if (FAILED(hr))
        return hr;
    out->SetTime(nullptr, nullptr);
    return RunAndDeliver(out.Get(), geq::EqChunk::EndOfStream, nullptr, 0, false);
}

// Runs under the stream lock, so no Receive is inside the engine meanwhile.
void GraphicEqTransform::OnEndFlush()
{
    m_params.ResetEngine();
}

GraphicEqFilter::GraphicEqFilter()
{
    SetClassId(kClsidGraphicEqFilter);
    SelectPreset(0);
}

STDMETHODIMP GraphicEqFilter::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = kClsidGraphicEqFilter;
    return S_OK;
}

HRESULT GraphicEqFilter::GetParam(int index, int* v)
{
    if (!v)
        return E_POINTER;
    *v = m_params.Get(index);
    return S_OK;
}

HRESULT GraphicEqFilter::SetParam(int index, int v)
{
    m_params.Set(index, v);
    return S_OK;
}

STDMETHODIMP GraphicEqFilter::GetSampleRate(int* rate)
{
    const int r = m_params.SampleRate();
    if (rate)
        *rate = r;
    return HRESULT(r);
}

STDMETHODIMP GraphicEqFilter::SetSampleRate(int rate)
{
    m_params.SetSampleRate(rate);
    return HRESULT(rate);
}

STDMETHODIMP GraphicEqFilter::Reset()
{
    const int zeros[geq::kParamCount] = {};
    return static_cast<IGraphicEq*>(this)->SetAll(zeros);
}

STDMETHODIMP GraphicEqFilter::GetAll(int* block)
{
    if (!block)
        return E_POINTER;
    int32_t b[geq::kParamCount];
    m_params.GetAll(b);
    std::memcpy(block, b, sizeof b);
    return S_OK;
}

STDMETHODIMP GraphicEqFilter::SetAll(const int* block)
{
    if (!block)
        return E_POINTER;
    int32_t b[geq::kParamCount];
    std::memcpy(b, block, sizeof b);
    m_params.SetAll(b);
    return S_OK;
}

STDMETHODIMP GraphicEqFilter::GetConnectionFormat(WAVEFORMATEXTENSIBLE* format, int pin)
{
    return m_params.GetConnectionFormat(format, pin);
}

STDMETHODIMP GraphicEqFilter::SetNotifyWindow(HWND window, int id)
{
    return m_params.SetNotifyWindow(window, id);
}

STDMETHODIMP GraphicEqFilter::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(2 * sizeof(GUID)));
    if (!pages->pElems)
        return E_OUTOFMEMORY;
    pages->pElems[0] = kClsidEqPropertyPage;
    pages->pElems[1] = kClsidFirEqPropertyPage;
    pages->cElems = 2;
    return S_OK;
}

STDMETHODIMP GraphicEqFilter::IsDirty()
{
    return m_params.IsDirty() ? S_OK : S_FALSE;
}
STDMETHODIMP GraphicEqFilter::Load(IStream* stream)
{
    return m_params.Load(stream);
}
STDMETHODIMP GraphicEqFilter::Save(IStream* stream, BOOL clearDirty)
{
    return m_params.Save(stream, clearDirty != FALSE);
}

STDMETHODIMP GraphicEqFilter::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size)
        return E_POINTER;
    size->QuadPart = geq::kRecordSize;
    return S_OK;
}

STDMETHODIMP GraphicEqFilter::GetPresetCount(int* count)
{
    if (!count)
        return E_POINTER;
    *count = geq::kPresetCount;
    return S_OK;
}

STDMETHODIMP GraphicEqFilter::GetPresetName(unsigned index, wchar_t* name, int length)
{
    return geq::GraphicEqParams::GetPresetName(geq::ModuleInstance(), index, name, length);
}

STDMETHODIMP GraphicEqFilter::SelectPreset(unsigned index)
{
    if (index >= unsigned(geq::kPresetCount))
        return E_INVALIDARG;
    return static_cast<IGraphicEq*>(this)->SetAll(geq::kPresets[index]);
}
