#include "EngineSourceFilter.h"

#include "KvSSException.h"

#include <algorithm>
#include <cstring>

namespace {

void InitStorage(WaveFormat& wf, DWORD rate, WORD bits, WORD channels)
{
    if (bits == 8 || bits == 16)
        wf.InitPcm(rate, bits, channels);
    else
        wf.InitFloat32(rate, channels);
}

} // namespace

EngineSourceFilter::EngineSourceFilter() = default;

EngineSourceFilter::~EngineSourceFilter()
{
    ReleaseReaders();
}

HRESULT EngineSourceFilter::AttachTrackSet(IUnknown* trackSet)
{
    AutoLock change(StateChangeLock()); // not while a stop still winds the thread down
    AutoLock lock(m_stateLock);
    if (m_state != State_Stopped)
        return VFW_E_NOT_STOPPED;
    ComRef<IMtTrackSet> set;
    if (trackSet) {
        HRESULT hr = trackSet->QueryInterface(__uuidof(IMtTrackSet), set.OutVoid());
        if (FAILED(hr))
            return hr;
    }
    m_set = std::move(set);
    return S_OK;
}

HRESULT EngineSourceFilter::SetMixChannels(LONG channels)
{
    if (channels != 0 && channels != 1 && channels != 2 && channels != 6)
        return E_INVALIDARG;
    m_mixChannels = channels;
    return S_OK;
}

HRESULT EngineSourceFilter::SetFloatOutput(bool on)
{
    AutoLock lock(m_stateLock);
    if (on != m_float && Output()->IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    m_float = on;
    return S_OK;
}

HRESULT EngineSourceFilter::MakePlan(Plan& plan)
{
    if (!m_set)
        return E_UNEXPECTED;
    try {
        ComRef<IMtSelection> sel;
        ThrowIfFailed(m_set->QueryInterface(__uuidof(IMtSelection), sel.OutVoid()));
        DWORD rate = 0;
        WORD bits = 0;
        LONG count = 0;
        ThrowIfFailed(m_set->GetSamplesPerSec(&rate));
        ThrowIfFailed(m_set->GetBitsPerSample(&bits));
        ThrowIfFailed(m_set->GetTrackCount(&count));
        std::vector<LONG> marked;
        WORD mixChannels = 1;
        LONGLONG markedStart = 0, markedEnd = 0;
        for (LONG i = 0; i < count; ++i) {
            LONG on = 0;
            ThrowIfFailed(sel->IsTrackMarked(i, &on));
            if (!on)
                continue;
            marked.push_back(i);
            ComRef<IMtTrack> track;
            ThrowIfFailed(m_set->GetTrack(i, track.Out()));
            WORD ch = 1;
            float pan = 0.0f;
            ThrowIfFailed(track->GetChannels(&ch));
            track->GetPan(&pan);
            LONGLONG offset = 0, length = 0;
            ThrowIfFailed(track->GetStartOffset(&offset));
            ThrowIfFailed(track->GetLength(&length));
            if (length > 0) { // an empty track adds no extent
                markedStart = markedEnd == 0 ? offset : std::min(markedStart, offset);
                markedEnd = std::max(markedEnd, offset + length);
            }
            WORD need = ch > 2 ? 6 : (ch == 1 && pan != 0.0f ? 2 : ch);
            mixChannels = std::max(mixChannels, need);
        }
        if (marked.empty())
            mixChannels = 2;
        if (m_mixChannels)
            mixChannels = WORD(m_mixChannels);

        LONGLONG start = 0, end = 0;
        if (m_rangeRule == RangeRule::Selection || m_rangeRule == RangeRule::SelectionOrMarked) {
            ThrowIfFailed(sel->GetRange(&start, &end));
            if (start > end)
                std::swap(start, end);
        }
        if (start == end) {
            switch (m_rangeRule) {
            case RangeRule::Selection:
                start = 0;
                ThrowIfFailed(m_set->GetLength(&end, 0));
                break;
            case RangeRule::ToMarkedEnd:
                start = 0;
                end = markedEnd;
                break;
            default:
                start = markedStart;
                end = markedEnd;
                break;
            }
        }
        plan.start = start;
        plan.end = end;

        plan.track.Reset();
        if (!m_mix && marked.size() == 1) {
            ThrowIfFailed(m_set->GetTrack(marked[0], plan.track.Out()));
            ThrowIfFailed(plan.track->GetChannels(&plan.channels));
            InitStorage(plan.storage, rate, bits, plan.channels);
        } else {
            plan.channels = mixChannels;
            plan.storage.InitFloat32(rate, plan.channels);
        }
        if (m_float)
            plan.output.InitFloat32(rate, plan.channels);
        else
            plan.output.InitPcm(rate, bits == 8 || bits == 16 ? bits : 24, plan.channels);
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

HRESULT EngineSourceFilter::GetMediaType(int i, MediaType& mt)
{
    if (i != 0)
        return VFW_S_NO_MORE_ITEMS;
    Plan plan;
    HRESULT hr = MakePlan(plan);
    if (FAILED(hr))
        return VFW_S_NO_MORE_ITEMS; // nothing to offer without an engine
    return MakeAudioMediaType(reinterpret_cast<const WAVEFORMATEX&>(plan.output), mt);
}

HRESULT EngineSourceFilter::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    MediaType mine;
    if (GetMediaType(0, mine) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    const WAVEFORMATEX* a = WaveFormatOf(mt);
    const WAVEFORMATEX* b = mine.Wave();
    return a && b && std::memcmp(a, b, sizeof(PCMWAVEFORMAT)) == 0 && mt.subtype == mine.Get().subtype
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT EngineSourceFilter::DecideBufferSize(IMemAllocator* alloc, ALLOCATOR_PROPERTIES* wanted)
{
    const WAVEFORMATEX* wf = Output()->CurrentMediaType().Wave();
    if (!wf)
        return E_UNEXPECTED;
    ALLOCATOR_PROPERTIES props = *wanted, actual{};
    props.cBuffers = std::max<long>(props.cBuffers, 4);
    props.cbBuffer =
        std::max<long>(props.cbBuffer, long(std::max<DWORD>(wf->nSamplesPerSec / 10, 256)) * wf->nBlockAlign);
    props.cbAlign = std::max<long>(props.cbAlign, 1);
    HRESULT hr = alloc->SetProperties(&props, &actual);
    if (FAILED(hr))
        return hr;
    return actual.cbBuffer < wf->nBlockAlign ? E_FAIL : S_OK;
}

void EngineSourceFilter::ReleaseReaders()
{
    if (m_trackReader) {
        m_trackReader->EndRead();
        m_trackReader.Reset();
    }
    m_mixReader.Reset();
    m_plan.track.Reset();
}

HRESULT EngineSourceFilter::OnPause(FILTER_STATE from)
{
    if (from == State_Stopped && Output()->IsConnected()) {
        // Planned here, before the thread starts, so that the length is known at once.
        ReleaseReaders();
        m_done = 0;
        HRESULT hr = MakePlan(m_plan);
        if (FAILED(hr))
            return hr;
        const WAVEFORMATEX* connected = Output()->CurrentMediaType().Wave();
        if (!connected || std::memcmp(connected, &m_plan.output, sizeof(PCMWAVEFORMAT)) != 0)
            return VFW_E_CHANGING_FORMAT; // the engine changed since the pin connected
        m_total = m_plan.end - m_plan.start;
    }
    return SourceFilter::OnPause(from);
}

HRESULT EngineSourceFilter::OnThreadStart()
{
    HRESULT hr;
    if (m_plan.track) {
        hr = m_plan.track->CreateReader(m_trackReader.Out(), 0);
        if (SUCCEEDED(hr))
            hr = m_trackReader->SetRange(&m_plan.start, &m_plan.end);
        if (SUCCEEDED(hr))
            hr = m_trackReader->BeginRead();
    } else {
        DWORD flags = m_automation ? 0 : kMtMixNoAutomation;
        hr = m_set->CreateMixReader(m_plan.channels, flags, m_mixReader.Out());
        if (SUCCEEDED(hr))
            hr = m_mixReader->SetRange(m_plan.start, m_plan.end);
    }
    m_convert.SetSourceFormat(&m_plan.storage);
    m_convert.SetDestinationFormat(&m_plan.output);
    return hr;
}

void EngineSourceFilter::OnThreadStop()
{
    ReleaseReaders();
}

HRESULT EngineSourceFilter::FillBuffer(IMediaSample* sample)
{
    LONGLONG left = m_total - m_done;
    if (left <= 0)
        return S_FALSE;
    const size_t outBlock = m_plan.output.blockAlign;
    const size_t inBlock = m_plan.storage.blockAlign;
    DWORD frames = DWORD(std::min<LONGLONG>(left, sample->GetSize() / LONGLONG(outBlock)));
    BYTE* dst = nullptr;
    sample->GetPointer(&dst);
    bool same = std::memcmp(&m_plan.storage, &m_plan.output, sizeof(PCMWAVEFORMAT)) == 0;
    BYTE* target = dst;
    if (!same) {
        m_storageBuf.resize(size_t(frames) * inBlock);
        target = m_storageBuf.data();
    }
    DWORD got = 0;
    HRESULT hr;
    if (m_trackReader) {
        DWORD bytes = 0;
        hr = m_trackReader->Read(target, DWORD(frames * inBlock), &bytes);
        got = DWORD(bytes / inBlock);
    } else {
        hr = m_mixReader->Read(reinterpret_cast<float*>(target), frames, &got);
    }
    if (FAILED(hr))
        return hr;
    if (got == 0)
        return S_FALSE; // the reader ended early: end the stream where it ended
    if (!same)
        m_convert.Convert(target, got, dst);
    sample->SetActualDataLength(long(got * outBlock));
    DWORD rate = m_plan.output.samplesPerSec;
    REFERENCE_TIME t0 = m_done * 10000000 / rate, t1 = (m_done + got) * 10000000 / rate;
    sample->SetTime(&t0, &t1);
    sample->SetSyncPoint(TRUE);
    m_done += got;
    return S_OK;
}

HRESULT EngineSourceFilter::StreamDuration(LONGLONG* duration)
{
    AutoLock lock(m_stateLock);
    LONGLONG frames = m_total;
    DWORD rate = m_plan.output.samplesPerSec;
    if (m_state == State_Stopped || !rate) {
        Plan plan;
        HRESULT hr = MakePlan(plan);
        if (FAILED(hr))
            return hr;
        frames = plan.end - plan.start;
        rate = plan.output.samplesPerSec;
    }
    *duration = rate ? frames * 10000000 / rate : 0;
    return S_OK;
}

HRESULT EngineSourceFilter::StreamPosition(LONGLONG* position)
{
    DWORD rate = m_plan.output.samplesPerSec;
    *position = rate ? m_done * 10000000 / rate : 0;
    return S_OK;
}
