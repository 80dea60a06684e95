// CTransport's recording: the input drained into one take per armed track, monitoring, and
// the takes handed over as items at the stop.
#include "TransportObject.h"

#include "Item.h"
#include "ItemList.h"
#include "KvSSException.h"

#include <algorithm>
#include <cmath>

namespace {

// Peak of one channel as a meter reads it: 0..32767, full scale 32768.
LONG PeakOf(const float* frames, size_t count, int channels, int channel)
{
    float peak = 0;
    for (size_t i = 0; i < count; ++i)
        peak = std::max(peak, std::fabs(frames[i * channels + channel]));
    return static_cast<LONG>(std::min(32767.0f, std::nearbyint(peak * 32768.0f)));
}

} // namespace

HRESULT CTransport::GetRecordedEnd(LONGLONG* position)
{
    if (!position)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *position = m_recordStart + (m_takes.empty() ? 0 : m_takes.front().file->Frames());
    return S_OK;
}

LONG CTransport::GetRecorderStatus()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_in)
        return 0;
    if (!m_inputSeen)
        return 1;
    return m_writing ? 2 : 3;
}

HRESULT CTransport::GetInputLevels(LONG* left, LONG* right)
{
    if (!left || !right)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *left = m_in ? m_inputLeft : 0;
    *right = m_in ? m_inputRight : 0;
    return S_OK;
}

HRESULT CTransport::GetTakeBytes(LONGLONG* bytes)
{
    if (!bytes)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *bytes = 0;
    for (const Take& t : m_takes)
        *bytes += t.file->Bytes();
    return S_OK;
}

STDMETHODIMP CTransport::SetMonitoring(IUnknown* trackSet, LONG on)
{
    if (!on) {
        StopMonitoring();
        return S_OK;
    }
    if (!trackSet)
        return E_POINTER;
    MtFormat format;
    HRESULT hr = S_OK;
    {
        ComRef<IMtTrackSet> set;
        hr = trackSet->QueryInterface(__uuidof(IMtTrackSet), set.OutVoid());
        if (FAILED(hr))
            return hr;
        try {
            format = RecordFormat(set.Get());
        } catch (const CKvSSException& e) {
            return e.m_hr;
        }
    }
    JoinWorker();
    std::lock_guard<std::mutex> guard(m_lock);
    m_monitoring = true;
    if (m_state != kRecording)
        m_inputFormat = format;
    if (!m_in) {
        DeviceSettings settings = DeviceSettings::Read();
        hr = settings.asio ? kMtErrNoDevice : S_OK;
        if (SUCCEEDED(hr))
            m_in = AudioInput::Open(settings, format.rate, format.channels, format.bits, &hr);
        m_inputSeen = false;
    }
    if (!m_in)
        m_monitoring = false;
    // Whatever else runs goes on.
    if (m_in || m_out)
        StartWorker();
    return m_in ? S_OK : hr;
}

MtFormat CTransport::RecordFormat(IMtTrackSet* set)
{
    MtFormat f;
    WORD channels = 2;
    if (FAILED(set->GetSamplesPerSec(&f.rate)) || FAILED(set->GetBitsPerSample(&f.bits)) ||
        FAILED(set->GetRecordChannels(&channels)))
        throw CKvSSException(E_UNEXPECTED);
    f.channels = channels;
    return f;
}

HRESULT CTransport::StartRecording()
{
    std::unique_lock<std::mutex> guard(m_lock);
    if (!m_set || (m_mode != 2 && m_mode != 3))
        return E_UNEXPECTED;
    DeviceSettings settings = DeviceSettings::Read();
    HRESULT hr = Refuse(settings, m_mode == 3, true);
    if (FAILED(hr))
        return hr;
    MtFormat format = RecordFormat(m_set.Get());
    m_inputFormat = format;
    // One take per armed track, or one for a new track.
    std::vector<std::pair<LONG, WORD>> targets;
    LONG count = 0;
    m_set->GetTrackCount(&count);
    for (LONG i = 0; i < count; ++i) {
        ComRef<IMtTrack> track;
        if (FAILED(m_set->GetTrack(i, track.Out())))
            continue;
        LONG armed = 0, id = -1;
        WORD channels = format.channels;
        track->IsRecordArmed(&armed);
        track->GetTrackId(&id);
        track->GetChannels(&channels);
        if (armed)
            targets.emplace_back(id, channels);
    }
    if (targets.empty())
        targets.emplace_back(-1, format.channels);

    LONGLONG start = 0, end = 0;
    PlayRange(&start, &end);
    m_recordStart = start;
    m_offsetFrames = static_cast<LONGLONG>(format.rate) * settings.waveInOffsetMs / 1000;

    // Monitoring gives way to the recording's own input.
    m_monitoring = false;
    m_in.reset();
    if (m_mode == 3) {
        hr = m_renderer.Begin(m_set.Get(), start, end);
        if (FAILED(hr))
            return hr;
        m_out = OpenAudioOutput(settings, m_renderer.Rate(), 2, m_mainWindow, true, &hr);
        if (!m_out) {
            m_renderer.End();
            return hr;
        }
        m_heard = start;
    }
    m_in = AudioInput::Open(settings, format.rate, format.channels, format.bits, &hr);
    if (!m_in) {
        m_out.reset();
        m_renderer.End();
        return hr;
    }
    m_inputSeen = false;
    m_items->Clear();
    for (const auto& target : targets) {
        MtFormat takeFormat = format;
        takeFormat.channels = target.second;
        Take take{target.first, std::make_unique<TakeFile>()};
        take.file->Create(takeFormat);
        // Until Stop the list holds empty items with the takes' paths and formats.
        ComRef<CItem> item(ComObject<IMtItem>::Create<CItem>(ItemData::FromMemory(takeFormat, {}),
                                                             MakeRecord(take.file->DataPath(), takeFormat)));
        if (!item)
            throw CKvSSException(E_OUTOFMEMORY);
        m_items->AddItem(static_cast<IMtItem*>(item.Get()), target.first);
        m_takes.push_back(std::move(take));
    }
    m_armed = true;
    m_writing = false;
    m_paused = m_mode == 3;
    m_endPosted = false;
    ArmTail();
    m_diskFullPosted = false;
    m_state = kRecording;
    StartWorker();
    return S_OK;
}

// The takes become items on their files; takes never released leave nothing.
HRESULT CTransport::FinishTakes()
{
    HRESULT hr = S_OK;
    m_items->Clear();
    bool any = std::any_of(m_takes.begin(), m_takes.end(), [](const Take& t) { return t.file->Frames() > 0; });
    for (Take& t : m_takes) {
        if (!any) {
            t.file->Discard();
            continue;
        }
        t.file->Finish();
        MtFileItemRecord record = MakeRecord(t.file->DataPath(), t.file->Format());
        HRESULT added =
            m_items->AddFileItem(&record, t.file->DataPath().c_str(), t.file->PeakPath().c_str(), t.trackId);
        if (FAILED(added) && SUCCEEDED(hr))
            hr = added;
    }
    m_takes.clear();
    return hr;
}

void CTransport::StopMonitoring()
{
    JoinWorker();
    std::lock_guard<std::mutex> guard(m_lock);
    m_monitoring = false;
    if (m_state != kRecording)
        m_in.reset();
    m_inputLeft = m_inputRight = 0;
    if (m_out || m_in)
        StartWorker();
}

void CTransport::DrainInput()
{
    const float* frames = nullptr;
    size_t count = 0;
    const int channels = m_in->Channels();
    while (m_in->Next(&frames, &count)) {
        if (count > 0) {
            m_inputSeen = true;
            m_inputLeft = PeakOf(frames, count, channels, 0);
            m_inputRight = PeakOf(frames, count, channels, channels > 1 ? 1 : 0);
        }
        LONGLONG first = m_in->Delivered() - static_cast<LONGLONG>(count);
        if (m_writing && m_state == kRecording && first + static_cast<LONGLONG>(count) > m_writeFrom) {
            size_t skip = static_cast<size_t>(std::max<LONGLONG>(0, m_writeFrom - first));
            for (Take& t : m_takes) {
                if (t.file->Failed())
                    continue;
                if (!t.file->Append(frames + skip * channels, count - skip, channels) && !m_diskFullPosted) {
                    DWORD error = t.file->Error();
                    m_diskFullPosted = true;
                    Post(error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? kMtErrDiskFull
                                                                                     : HRESULT_FROM_WIN32(error));
                }
            }
            if (std::any_of(m_takes.begin(), m_takes.end(), [](const Take& t) { return t.file->Failed(); }))
                m_writing = false;
        }
        m_in->Requeue();
    }
}
