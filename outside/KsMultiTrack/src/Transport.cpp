#include "TransportObject.h"

#include "ItemList.h"
#include "KvSSException.h"

#include <mutex>
#include <set>

namespace {

std::mutex g_liveLock;
std::set<CTransport*> g_live;

} // namespace

CTransport::CTransport()
{
    m_wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_items = ComRef<IMtItemList>(ComObject<IMtItemList>::Create<CItemList>());
    std::lock_guard<std::mutex> guard(g_liveLock);
    g_live.insert(this);
}

CTransport::~CTransport()
{
    {
        std::lock_guard<std::mutex> guard(g_liveLock);
        g_live.erase(this);
    }
    Stop();
    StopMonitoring();
    m_set.Reset();
    m_items.Reset();
    if (m_wake)
        CloseHandle(m_wake);
}

STDMETHODIMP CTransport::TogglePause()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_state == kPlaying && m_out) {
        m_paused = !m_paused;
        if (m_paused) {
            m_out->Pause();
            m_clock.Freeze(m_out->Played());
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

STDMETHODIMP CTransport::Start(LONG mode)
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

STDMETHODIMP CTransport::Stop()
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

STDMETHODIMP CTransport::GetState(LONG* state)
{
    if (!state)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    *state = m_state;
    return S_OK;
}

STDMETHODIMP CTransport::Attach(IUnknown* trackSet, LONG mode)
{
    if (!trackSet)
        return E_POINTER;
    if (mode < 1 || mode > 3)
        return E_INVALIDARG;
    ComRef<IMtTrackSet> set;
    HRESULT hr = trackSet->QueryInterface(__uuidof(IMtTrackSet), set.OutVoid());
    if (FAILED(hr))
        return hr;
    std::lock_guard<std::mutex> guard(m_lock);
    m_set = std::move(set);
    m_mode = mode;
    return S_OK;
}

STDMETHODIMP CTransport::SetNotifyWindow(HWND window, UINT message, LONG)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_notifyWindow = window;
    m_notifyMessage = message;
    return S_OK;
}

STDMETHODIMP CTransport::SetMainWindow(HWND window)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_mainWindow = window;
    return S_OK;
}

STDMETHODIMP CTransport::GetItemList(IMtItemList** list)
{
    if (!list)
        return E_POINTER;
    *list = ComRef<IMtItemList>::Share(m_items.Get()).Detach();
    return m_items ? S_OK : E_OUTOFMEMORY;
}

void CTransport::Suspend()
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

void CTransport::Reopen()
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
        const bool hold = m_state == kPlaying && !m_paused;
        m_out = OpenAudioOutput(settings, m_renderer.Rate(), 2, m_mainWindow, m_paused || m_armed || hold, &hr);
        m_renderer.Seek(m_heard);
        ArmTail();
        if (m_out && hold)
            HoldUntilFilled();
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

// The played range: the selection's, or from the cursor to the document end.
void CTransport::PlayRange(LONGLONG* start, LONGLONG* end)
{
    LONGLONG a = 0, b = 0, length = 0;
    if (ComRef<IMtSelection> selection = QueryCom<IMtSelection>(m_set.Get()))
        selection->GetRange(&a, &b);
    m_set->GetLength(&length, 0);
    *start = std::max<LONGLONG>(0, std::min(a, b));
    *end = a == b ? std::max(length, *start) : std::max(a, b);
}

// m_lock held. ASIO, asked for by the settings or the document, has no driver here.
HRESULT CTransport::Refuse(const DeviceSettings& settings, bool playback, bool record)
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

// Closes what a failed start opened (m_lock not held).
void CTransport::CloseSession()
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

void CTransport::Post(HRESULT code)
{
    if (m_notifyWindow)
        PostMessageA(m_notifyWindow, m_notifyMessage, static_cast<WPARAM>(code), 0);
}

void CTransport::StartWorker()
{
    if (m_worker.joinable())
        return;
    m_quit = false;
    m_worker = std::thread([this] { Run(); });
}

void CTransport::JoinWorker()
{
    if (!m_worker.joinable())
        return;
    m_quit = true;
    SetEvent(m_wake);
    m_worker.join();
}

void CTransport::Run()
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

HRESULT CreateTransport(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    ComRef<IMtTransport> transport(ComObject<IMtTransport>::Create<CTransport>());
    if (!transport)
        return E_OUTOFMEMORY;
    return transport->QueryInterface(iid, object);
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
