#include "TrackPreviewPlayer.h"

#include "AudioRenderer.h"
#include "GraphHelpers.h"
#include "ITracksReaderSetup.h"
#include "KvSSException.h"
#include "ModuleObjects.h"

#include <control.h>
#include <uuids.h>

#include <vector>

namespace {

template <class T>
struct Held {
    T* p = nullptr;
    ~Held()
    {
        if (p)
            p->Release();
    }
    void** Out() { return reinterpret_cast<void**>(&p); }
    T* operator->() const { return p; }
};

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Locked() { LeaveCriticalSection(&m_cs); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

} // namespace

TrackPreviewPlayer::TrackPreviewPlayer()
{
    InitializeCriticalSection(&m_lock);
}

TrackPreviewPlayer::~TrackPreviewPlayer()
{
    if (m_thread) {
        Post(kEnd);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_wake)
        CloseHandle(m_wake);
    m_queue.clear();
    m_count = 0;
    if (m_graph) {
        // No thread drives it any more: a playing graph stops before it goes.
        Held<IMediaControl> control;
        if (SUCCEEDED(m_graph->QueryInterface(IID_IMediaControl, control.Out())))
            control->Stop();
        m_graph->Release();
    }
    DeleteCriticalSection(&m_lock);
}

HRESULT TrackPreviewPlayer::Start(IUnknown* trackSet)
{
    if (m_thread)
        return E_UNEXPECTED;
    Held<IBaseFilter> renderer;
    HRESULT hr = CreateAudioRendererFilter(reinterpret_cast<IBaseFilter**>(renderer.Out()));
    if (FAILED(hr))
        return hr;
    return StartWithRenderer(trackSet, renderer.p);
}

HRESULT TrackPreviewPlayer::StartWithRenderer(IUnknown* trackSet, IBaseFilter* renderer)
{
    if (m_thread)
        return E_UNEXPECTED;
    try {
        if (!trackSet || !renderer)
            throw CKvSSException(E_POINTER);
        if (m_graph) {
            m_graph->Release();
            m_graph = nullptr;
        }
        ThrowIfFailed(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                       reinterpret_cast<void**>(&m_graph)));
        Held<IBaseFilter> reader;
        ThrowIfFailed(CreateModuleObject("KsTrksRd.dll", CLSID_KsTrksRd, IID_IBaseFilter, reader.Out()));
        ThrowIfFailed(m_graph->AddFilter(reader.p, nullptr));
        {
            Held<ITracksReaderSetup> setup;
            ThrowIfFailed(reader->QueryInterface(__uuidof(ITracksReaderSetup), setup.Out()));
            setup->SetTrackSet(trackSet);
            setup->SetOutputChannels(2);
            setup->SetReadAutomation(1);
            setup->SetSwitch7(1);
            setup->SetSwitch8(0);
            setup->SetSwitch9(1);
            setup->SetSwitch18(0);
            setup->SetSwitch20(1);
        }
        ThrowIfFailed(m_graph->AddFilter(renderer, nullptr));
        Held<IPin> out, in;
        ThrowIfFailed(FindPinByDirection(reader.p, PINDIR_OUTPUT, reinterpret_cast<IPin**>(out.Out())));
        ThrowIfFailed(FindPinByDirection(renderer, PINDIR_INPUT, reinterpret_cast<IPin**>(in.Out())));
        ThrowIfFailed(m_graph->ConnectDirect(out.p, in.p, nullptr));

        m_wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!m_wake)
            throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
        m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
        if (!m_thread) {
            DWORD error = GetLastError();
            CloseHandle(m_wake);
            m_wake = nullptr;
            return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
        }
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

void TrackPreviewPlayer::Post(LONG code)
{
    if (!m_wake)
        return;
    Locked lock(m_lock);
    m_queue.push_back(code);
    ++m_count;
    SetEvent(m_wake);
}

DWORD WINAPI TrackPreviewPlayer::ThreadProc(void* self)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    static_cast<TrackPreviewPlayer*>(self)->ThreadLoop();
    CoUninitialize();
    return 0;
}

// Codes are taken under the lock and carried out after it is left, so that a graph that is
// slow to run or stop never holds up the thread that posts requests.
void TrackPreviewPlayer::ThreadLoop()
{
    std::vector<LONG> taken;
    for (;;) {
        WaitForSingleObject(m_wake, INFINITE);
        bool end = false;
        taken.clear();
        {
            Locked lock(m_lock);
            for (LONG code : m_queue)
                if (code == kEnd)
                    end = true;
                else
                    taken.push_back(code);
            m_queue.clear();
            m_count = 0;
        }
        if (end)
            return; // the player is going away: what was queued with the end is dropped
        for (LONG code : taken)
            Act(code);
    }
}

void TrackPreviewPlayer::Act(LONG code)
{
    if (!m_graph)
        return;
    Held<IMediaControl> control;
    if (FAILED(m_graph->QueryInterface(IID_IMediaControl, control.Out())))
        return;
    if (code == kRun)
        control->Run();
    else if (code == kStop)
        control->Stop();
}
