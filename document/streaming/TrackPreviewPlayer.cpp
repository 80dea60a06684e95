#include "TrackPreviewPlayer.h"

#include "AudioRenderer.h"
#include "GraphHelpers.h"
#include "ITracksReaderSetup.h"
#include "KvSSException.h"
#include "ModuleObjects.h"

#include <control.h>
#include <uuids.h>

#include <vector>

TrackPreviewPlayer::TrackPreviewPlayer() = default;

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
        if (ComRef<IMediaControl> control = QueryCom<IMediaControl>(m_graph.Get()))
            control->Stop();
    }
}

HRESULT TrackPreviewPlayer::Start(IUnknown* trackSet)
{
    if (m_thread)
        return E_UNEXPECTED;
    ComRef<IBaseFilter> renderer;
    HRESULT hr = CreateAudioRendererFilter(renderer.Out());
    if (FAILED(hr))
        return hr;
    return StartWithRenderer(trackSet, renderer.Get());
}

HRESULT TrackPreviewPlayer::StartWithRenderer(IUnknown* trackSet, IBaseFilter* renderer)
{
    if (m_thread)
        return E_UNEXPECTED;
    try {
        if (!trackSet || !renderer)
            throw CKvSSException(E_POINTER);
        ThrowIfFailed(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                       m_graph.OutVoid()));
        ComRef<IBaseFilter> reader;
        ThrowIfFailed(CreateModuleObject("KsTrksRd.dll", CLSID_KsTrksRd, IID_IBaseFilter, reader.OutVoid()));
        ThrowIfFailed(m_graph->AddFilter(reader.Get(), nullptr));
        {
            ComRef<ITracksReaderSetup> setup;
            ThrowIfFailed(reader->QueryInterface(__uuidof(ITracksReaderSetup), setup.OutVoid()));
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
        ComRef<IPin> out, in;
        ThrowIfFailed(FindPinByDirection(reader.Get(), PINDIR_OUTPUT, out.Out()));
        ThrowIfFailed(FindPinByDirection(renderer, PINDIR_INPUT, in.Out()));
        ThrowIfFailed(m_graph->ConnectDirect(out.Get(), in.Get(), nullptr));

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
    AutoLock lock(m_lock);
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
            AutoLock lock(m_lock);
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
    ComRef<IMediaControl> control = QueryCom<IMediaControl>(m_graph.Get());
    if (!control)
        return;
    if (code == kRun)
        control->Run();
    else if (code == kStop)
        control->Stop();
}
