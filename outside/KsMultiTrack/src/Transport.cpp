#include "Transport.h"

#include "AudioDevices.h"
#include "Item.h"
#include "ItemList.h"
#include "KvSSException.h"
#include "OutputClock.h"
#include "PlaybackRenderer.h"
#include "TakeFile.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr LONG kStopped = 1;
constexpr LONG kPlaying = 2;
constexpr LONG kRecording = 3;

// One stretch of output: where it lies in the output's frame count and on the time line.
struct Span {
    LONGLONG device;
    LONGLONG timeline;
    LONGLONG frames;
    LONG peakLeft;
    LONG peakRight;
};

struct Take {
    LONG trackId;
    std::unique_ptr<TakeFile> file;
};

// Peak of one channel as a meter reads it: 0..32767, full scale 32768.
LONG PeakOf(const float* frames, size_t count, int channels, int channel)
{
    float peak = 0;
    for (size_t i = 0; i < count; ++i)
        peak = std::max(peak, std::fabs(frames[i * channels + channel]));
    return static_cast<LONG>(std::min(32767.0f, std::nearbyint(peak * 32768.0f)));
}

class CTransport;
std::mutex g_liveLock;
std::set<CTransport*> g_live;

class CTransport : public ComObject<IMtTransport, PlayPositionFace, RecorderFace, PlayStatusFace, IMtSourceLink,
                                    IMtNotify, IMtDeviceWindow, IMtRecordItems> {
public:
    CTransport()
    {
        m_wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        m_items = ComObject<IMtItemList>::Create<CItemList>();
        std::lock_guard<std::mutex> guard(g_liveLock);
        g_live.insert(this);
    }
    ~CTransport() override
    {
        {
            std::lock_guard<std::mutex> guard(g_liveLock);
            g_live.erase(this);
        }
        Stop();
        StopMonitoring();
        if (m_set)
            m_set->Release();
        if (m_items)
            m_items->Release();
        if (m_wake)
            CloseHandle(m_wake);
    }

    // IMtTransport
    STDMETHODIMP TogglePause() override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_state == kPlaying && m_out) {
            m_paused = !m_paused;
            if (m_paused) {
                m_clock.Freeze(m_out->Played(), m_renderer.Rate());
                m_out->Pause();
            } else {
                m_clock.Thaw(m_out->Played());
                m_out->Resume();
            }
            return S_OK;
        }
        if (m_state == kRecording) {
            if (m_armed || !m_writing) {
                m_armed = false;
                m_writing = true;
                // The take starts now, less the input's delay the settings give.
                m_writeFrom = (m_in ? m_in->DevicePosition() : 0) + m_offsetFrames;
                if (m_out)
                    m_out->Resume();
                m_paused = false;
            } else {
                m_writing = false;
                if (m_out)
                    m_out->Pause();
                m_paused = m_out != nullptr;
            }
            SetEvent(m_wake);
            return S_OK;
        }
        return S_FALSE;
    }

    STDMETHODIMP Start(LONG mode) override
    {
        if (mode != 0 && mode != 1)
            return E_INVALIDARG;
        Stop();
        try {
            return mode == 0 ? StartPlayback() : StartRecording();
        } catch (const CKvSSException& e) {
            CloseSession();
            return e.m_hr;
        } catch (const std::bad_alloc&) {
            CloseSession();
            return E_OUTOFMEMORY;
        }
    }

    STDMETHODIMP Stop() override
    {
        JoinWorker();
        std::lock_guard<std::mutex> guard(m_lock);
        HRESULT hr = S_OK;
        if (m_state == kRecording) {
            // What the input holds up to the stop belongs to the takes.
            if (m_in) {
                m_in->Stop();
                DrainInput();
            }
            hr = FinishTakes();
        }
        m_out.reset();
        m_renderer.End();
        m_spans.clear();
        if (!m_monitoring)
            m_in.reset();
        m_state = kStopped;
        m_paused = m_armed = m_writing = m_suspended = false;
        if (m_in)
            StartWorker();
        return hr;
    }

    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }

    STDMETHODIMP GetState(LONG* state) override
    {
        if (!state)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(m_lock);
        *state = m_state;
        return S_OK;
    }

    // IMtPlayPosition
    HRESULT GetAudiblePosition(LONGLONG* position) override
    {
        if (!position)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(m_lock);
        *position = AudibleLocked(nullptr);
        return S_OK;
    }

    HRESULT SetAudiblePosition(LONGLONG position) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_out || m_suspended)
            return m_state == kStopped ? S_FALSE : S_OK;
        m_out->Reset();
        m_spans.clear();
        m_renderer.Seek(position);
        m_heard = m_renderer.Position();
        m_endPosted = false;
        ArmTail();
        SetEvent(m_wake);
        return S_OK;
    }

    // IMtRecorder
    HRESULT GetRecordedEnd(LONGLONG* position) override
    {
        if (!position)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(m_lock);
        *position = m_recordStart + (m_takes.empty() ? 0 : m_takes.front().file->Frames());
        return S_OK;
    }
    LONG GetRecorderStatus() override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_in)
            return 0;
        if (!m_inputSeen)
            return 1;
        return m_writing ? 2 : 3;
    }
    HRESULT GetInputLevels(LONG* left, LONG* right) override
    {
        if (!left || !right)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(m_lock);
        *left = m_in ? m_inputLeft : 0;
        *right = m_in ? m_inputRight : 0;
        return S_OK;
    }
    HRESULT GetTakeBytes(LONGLONG* bytes) override
    {
        if (!bytes)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(m_lock);
        *bytes = 0;
        for (const Take& t : m_takes)
            *bytes += t.file->Bytes();
        return S_OK;
    }

    // IMtPlayStatus
    HRESULT GetPlayedPosition(LONGLONG* position) override { return GetAudiblePosition(position); }
    LONG GetPlayingStatus() override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return (m_out && !m_paused && !m_armed && !m_endPosted && !m_suspended) ? 1 : 0;
    }
    HRESULT GetOutputLevels(DWORD* packed) override
    {
        if (!packed)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(m_lock);
        const Span* at = nullptr;
        AudibleLocked(&at);
        *packed = (at && m_out && !m_endPosted) ? MAKELONG(at->peakLeft, at->peakRight) : 0;
        return S_OK;
    }
    HRESULT GetOutputBuffer(LONG* underruns, LONG* bufferMs) override
    {
        if (!underruns || !bufferMs)
            return E_POINTER;
        std::lock_guard<std::mutex> guard(m_lock);
        *underruns = m_out ? m_out->Underruns() : 0;
        *bufferMs = m_out ? m_out->BufferMs() : 0;
        return S_OK;
    }

    // IMtSourceLink
    STDMETHODIMP Attach(IUnknown* trackSet, LONG mode) override
    {
        if (!trackSet)
            return E_POINTER;
        if (mode < 1 || mode > 3)
            return E_INVALIDARG;
        IMtTrackSet* set = nullptr;
        HRESULT hr = trackSet->QueryInterface(__uuidof(IMtTrackSet), reinterpret_cast<void**>(&set));
        if (FAILED(hr))
            return hr;
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_set)
            m_set->Release();
        m_set = set;
        m_mode = mode;
        return S_OK;
    }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP SetMonitoring(IUnknown* trackSet, LONG on) override
    {
        if (!on) {
            StopMonitoring();
            return S_OK;
        }
        if (!trackSet)
            return E_POINTER;
        IMtTrackSet* set = nullptr;
        HRESULT hr = trackSet->QueryInterface(__uuidof(IMtTrackSet), reinterpret_cast<void**>(&set));
        if (FAILED(hr))
            return hr;
        MtFormat format;
        try {
            format = RecordFormat(set);
        } catch (const CKvSSException& e) {
            set->Release();
            return e.m_hr;
        }
        set->Release();
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

    // IMtNotify
    STDMETHODIMP SetNotifyWindow(HWND window, UINT message, LONG) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_notifyWindow = window;
        m_notifyMessage = message;
        return S_OK;
    }

    // IMtDeviceWindow
    STDMETHODIMP SetMainWindow(HWND window) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_mainWindow = window;
        return S_OK;
    }

    // IMtRecordItems
    STDMETHODIMP GetItemList(IMtItemList** list) override
    {
        if (!list)
            return E_POINTER;
        *list = m_items;
        if (m_items)
            m_items->AddRef();
        return m_items ? S_OK : E_OUTOFMEMORY;
    }

    // MtSuspendAudio: closes the devices, keeping what plays and what is recorded.
    void Suspend()
    {
        JoinWorker();
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_suspended || (!m_out && !m_in))
            return;
        m_heard = AudibleLocked(nullptr);
        m_out.reset();
        m_in.reset();
        m_spans.clear();
        m_suspended = true;
    }
    void Reopen()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_suspended)
            return;
        m_suspended = false;
        DeviceSettings settings = DeviceSettings::Read();
        HRESULT hr = S_OK;
        bool wantOut = m_state == kPlaying || (m_state == kRecording && m_mode == 3);
        bool wantIn = m_state == kRecording || m_monitoring;
        if (wantOut) {
            m_out = OpenAudioOutput(settings, m_renderer.Rate(), 2, m_mainWindow, m_paused || m_armed, &hr);
            m_renderer.Seek(m_heard);
            ArmTail();
        }
        if (SUCCEEDED(hr) && wantIn) {
            m_in = AudioInput::Open(settings, m_inputFormat.rate, m_inputFormat.channels, m_inputFormat.bits, &hr);
            m_writeFrom = m_offsetFrames;
        }
        if (FAILED(hr)) {
            m_out.reset();
            m_in.reset();
            m_suspended = true;
            Post(hr);
            return;
        }
        StartWorker();
    }

private:
    MtFormat RecordFormat(IMtTrackSet* set)
    {
        MtFormat f;
        WORD channels = 2;
        if (FAILED(set->GetSamplesPerSec(&f.rate)) || FAILED(set->GetBitsPerSample(&f.bits)) ||
            FAILED(set->GetRecordChannels(&channels)))
            throw CKvSSException(E_UNEXPECTED);
        f.channels = channels;
        return f;
    }

    // The played range: the selection's, or from the cursor to the document end.
    void PlayRange(LONGLONG* start, LONGLONG* end)
    {
        IMtSelection* selection = nullptr;
        LONGLONG a = 0, b = 0, length = 0;
        if (SUCCEEDED(m_set->QueryInterface(__uuidof(IMtSelection), reinterpret_cast<void**>(&selection)))) {
            selection->GetRange(&a, &b);
            selection->Release();
        }
        m_set->GetLength(&length, 0);
        *start = std::max<LONGLONG>(0, std::min(a, b));
        *end = a == b ? std::max(length, *start) : std::max(a, b);
    }

    // m_lock held. ASIO, asked for by the settings or the document, has no driver here.
    HRESULT Refuse(const DeviceSettings& settings, bool playback, bool record)
    {
        LONG asio = 0;
        m_set->GetAsioInUse(&asio);
        if (settings.asio || asio)
            return kMtErrNoDevice;
        if (playback && !settings.directSound && waveOutGetNumDevs() == 0)
            return kMtErrNoDevice;
        if (record && waveInGetNumDevs() == 0)
            return kMtErrNoDevice;
        return S_OK;
    }

    HRESULT StartPlayback()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        if (!m_set || m_mode != 1)
            return E_UNEXPECTED;
        DeviceSettings settings = DeviceSettings::Read();
        HRESULT hr = Refuse(settings, true, false);
        if (FAILED(hr))
            return hr;
        LONGLONG start = 0, end = 0;
        PlayRange(&start, &end);
        hr = m_renderer.Begin(m_set, start, end);
        if (FAILED(hr))
            return hr;
        m_out = OpenAudioOutput(settings, m_renderer.Rate(), 2, m_mainWindow, false, &hr);
        if (!m_out) {
            m_renderer.End();
            return hr;
        }
        m_heard = start;
        m_endPosted = false;
        ArmTail();
        m_paused = false;
        m_state = kPlaying;
        StartWorker();
        return S_OK;
    }

    HRESULT StartRecording()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        if (!m_set || (m_mode != 2 && m_mode != 3))
            return E_UNEXPECTED;
        DeviceSettings settings = DeviceSettings::Read();
        HRESULT hr = Refuse(settings, m_mode == 3, true);
        if (FAILED(hr))
            return hr;
        MtFormat format = RecordFormat(m_set);
        m_inputFormat = format;
        // One take per armed track, or one for a new track.
        std::vector<std::pair<LONG, WORD>> targets;
        LONG count = 0;
        m_set->GetTrackCount(&count);
        for (LONG i = 0; i < count; ++i) {
            IMtTrack* track = nullptr;
            if (FAILED(m_set->GetTrack(i, &track)))
                continue;
            LONG armed = 0, id = -1;
            WORD channels = format.channels;
            track->IsRecordArmed(&armed);
            track->GetTrackId(&id);
            track->GetChannels(&channels);
            track->Release();
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
            hr = m_renderer.Begin(m_set, start, end);
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
            CItem* item = ComObject<IMtItem>::Create<CItem>(ItemData::FromMemory(takeFormat, {}),
                                                            MakeRecord(take.file->DataPath(), takeFormat));
            if (!item)
                throw CKvSSException(E_OUTOFMEMORY);
            m_items->AddItem(static_cast<IMtItem*>(item), target.first);
            item->Release();
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

    // Closes what a failed start opened (m_lock not held).
    void CloseSession()
    {
        JoinWorker();
        std::lock_guard<std::mutex> guard(m_lock);
        for (Take& t : m_takes)
            t.file->Discard();
        m_takes.clear();
        m_items->Clear();
        m_out.reset();
        m_in.reset();
        m_renderer.End();
        m_state = kStopped;
    }

    // The takes become items on their files; takes never released leave nothing.
    HRESULT FinishTakes()
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

    void StopMonitoring()
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

    // m_lock held.
    LONGLONG AudibleLocked(const Span** at)
    {
        if (at)
            *at = nullptr;
        if (m_state == kRecording && !m_out)
            return m_recordStart + (m_takes.empty() ? 0 : m_takes.front().file->Frames());
        if (!m_out || m_spans.empty())
            return m_heard;
        // What the device counts as played is heard a little later.
        LONGLONG played =
            std::max<LONGLONG>(0, std::min(m_clock.Read(m_out->Played(), m_renderer.Rate()), m_out->Written()) -
                                      m_out->HeardDelay());
        while (m_spans.size() > 1 && m_spans.front().device + m_spans.front().frames <= played)
            m_spans.pop_front();
        const Span& s = m_spans.front();
        if (at)
            *at = &s;
        if (played < s.device)
            return s.timeline;
        m_heard = s.timeline + std::min(played - s.device, s.frames);
        return m_heard;
    }

    // The silence that follows the played range: twice the delay to the speakers, so that a
    // slower server than the one measured still hears the end.
    void ArmTail()
    {
        m_clock.Reset();
        m_tailFrames = static_cast<LONGLONG>(m_renderer.Rate()) * 2 * kHeardDelayMs / 1000;
    }

    void Post(HRESULT code)
    {
        if (m_notifyWindow)
            PostMessageA(m_notifyWindow, m_notifyMessage, static_cast<WPARAM>(code), 0);
    }

    void StartWorker()
    {
        if (m_worker.joinable())
            return;
        m_quit = false;
        m_worker = std::thread([this] { Run(); });
    }
    void JoinWorker()
    {
        if (!m_worker.joinable())
            return;
        m_quit = true;
        SetEvent(m_wake);
        m_worker.join();
    }

    void Run()
    {
        // The devices wait for this thread: it goes before the user's.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        while (!m_quit) {
            HANDLE handles[3];
            DWORD n = 0;
            handles[n++] = m_wake;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                if (m_out && m_out->WaitHandle())
                    handles[n++] = m_out->WaitHandle();
                if (m_in)
                    handles[n++] = m_in->WaitHandle();
            }
            WaitForMultipleObjects(n, handles, FALSE, 10);
            if (m_quit)
                break;
            std::lock_guard<std::mutex> guard(m_lock);
            try {
                if (m_in)
                    DrainInput();
                if (m_out)
                    FillOutput();
            } catch (const std::bad_alloc&) {
                Post(E_OUTOFMEMORY);
                m_quit = true;
            }
        }
    }

    // Renders 10 ms stretches into the output's free space; posts the end once it is heard.
    void FillOutput()
    {
        const size_t block = std::max<DWORD>(1, m_renderer.Rate() / 100);
        m_block.resize(block * 2);
        // Seen on every wake, the clock knows when the device's count last moved.
        m_clock.Read(m_out->Played(), m_renderer.Rate());
        for (;;) {
            if (m_renderer.Done())
                break;
            size_t space = m_out->Space();
            if (space < block)
                break;
            LONGLONG from = 0;
            HRESULT hr = S_OK;
            LONGLONG device = m_out->Written();
            size_t got = m_renderer.Render(m_block.data(), block, &from, &hr);
            if (FAILED(hr)) {
                Post(hr);
                m_renderer.Seek(m_renderer.RangeEnd());
                break;
            }
            if (got > 0) {
                m_out->Write(m_block.data(), got);
                m_spans.push_back(
                    Span{device, from, static_cast<LONGLONG>(got), m_renderer.PeakLeft(), m_renderer.PeakRight()});
            }
        }
        if (m_renderer.Done()) {
            // Silence behind the last sound, longer than the way from the device to the
            // speakers: once the device has played it, the sound has been heard, and a stop
            // that resets the device drops silence only.
            while (m_tailFrames > 0) {
                const size_t n = std::min<size_t>({m_out->Space(), block, static_cast<size_t>(m_tailFrames)});
                if (n == 0)
                    break;
                std::fill(m_block.begin(), m_block.begin() + n * 2, int16_t(0));
                m_out->Write(m_block.data(), n);
                m_tailFrames -= static_cast<LONGLONG>(n);
            }
            if (m_tailFrames == 0)
                m_out->SetDraining(true);
            if (!m_endPosted && m_tailFrames == 0 && m_out->Played() >= m_out->Written()) {
                m_endPosted = true;
                // A recording goes on after the played sound; only playback ends here.
                if (m_state == kPlaying)
                    Post(kMtPlayEnded);
            }
        }
    }

    void DrainInput()
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

    std::mutex m_lock;
    HANDLE m_wake = nullptr;
    std::thread m_worker;
    std::atomic<bool> m_quit{false};

    IMtTrackSet* m_set = nullptr;
    LONG m_mode = 0;
    IMtItemList* m_items = nullptr;
    HWND m_notifyWindow = nullptr;
    UINT m_notifyMessage = 0;
    HWND m_mainWindow = nullptr;

    LONG m_state = kStopped;
    std::unique_ptr<AudioOutput> m_out;
    std::unique_ptr<AudioInput> m_in;
    PlaybackRenderer m_renderer;
    std::deque<Span> m_spans;
    std::vector<int16_t> m_block;
    LONGLONG m_heard = 0;
    // Silent frames still to go behind the end of the played range.
    LONGLONG m_tailFrames = 0;
    OutputClock m_clock;
    bool m_paused = false;
    bool m_endPosted = false;
    bool m_suspended = false;

    MtFormat m_inputFormat;
    std::vector<Take> m_takes;
    LONGLONG m_recordStart = 0;
    LONGLONG m_writeFrom = 0;
    LONGLONG m_offsetFrames = 0;
    bool m_armed = false;
    bool m_writing = false;
    bool m_monitoring = false;
    bool m_inputSeen = false;
    bool m_diskFullPosted = false;
    LONG m_inputLeft = 0;
    LONG m_inputRight = 0;
};

} // namespace

HRESULT CreateTransport(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    CTransport* transport = ComObject<IMtTransport>::Create<CTransport>();
    if (!transport)
        return E_OUTOFMEMORY;
    HRESULT hr = static_cast<IMtTransport*>(transport)->QueryInterface(iid, object);
    static_cast<IMtTransport*>(transport)->Release();
    return hr;
}

void SuspendAllTransports(bool suspend)
{
    std::lock_guard<std::mutex> guard(g_liveLock);
    for (CTransport* t : g_live) {
        if (suspend)
            t->Suspend();
        else
            t->Reopen();
    }
}

void StopAllTransports()
{
    std::lock_guard<std::mutex> guard(g_liveLock);
    for (CTransport* t : g_live) {
        t->Stop();
        t->SetMonitoring(nullptr, 0);
    }
}
