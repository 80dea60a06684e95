#include "GraphRunner.h"

#include <gtest/gtest.h>

#include <evcode.h>
#include <uuids.h>

#include <cstdio>
#include <cstdlib>

namespace kvtest {

IPin* FirstPin(IBaseFilter* filter, PIN_DIRECTION dir)
{
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins)))
        return nullptr;
    IPin* pin = nullptr;
    IPin* found = nullptr;
    while (!found && pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == dir)
            found = pin;
        else
            pin->Release();
    }
    pins->Release();
    return found;
}

ULONG RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

TestGraph::TestGraph()
{
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&m_graph))))
        return;
    m_graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&m_control));
    m_graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&m_events));
}

TestGraph::~TestGraph()
{
    if (m_control)
        m_control->Stop();
    if (m_events)
        m_events->Release();
    if (m_control)
        m_control->Release();
    if (m_graph) {
        // Take the filters out so that they are released even when a test still holds them.
        IEnumFilters* filters = nullptr;
        if (SUCCEEDED(m_graph->EnumFilters(&filters))) {
            IBaseFilter* f = nullptr;
            while (filters->Next(1, &f, nullptr) == S_OK) {
                m_graph->RemoveFilter(f);
                f->Release();
                filters->Reset();
            }
            filters->Release();
        }
        m_graph->Release();
    }
}

HRESULT TestGraph::Add(IBaseFilter* filter, const wchar_t* name)
{
    return m_graph->AddFilter(filter, name);
}

HRESULT TestGraph::Connect(IBaseFilter* from, IBaseFilter* to)
{
    IPin* out = FirstPin(from, PINDIR_OUTPUT);
    IPin* in = FirstPin(to, PINDIR_INPUT);
    HRESULT hr = out && in ? m_graph->ConnectDirect(out, in, nullptr) : E_FAIL;
    if (out)
        out->Release();
    if (in)
        in->Release();
    return hr;
}

HRESULT TestGraph::Disconnect(IBaseFilter* from)
{
    IPin* out = FirstPin(from, PINDIR_OUTPUT);
    if (!out)
        return E_FAIL;
    IPin* peer = nullptr;
    HRESULT hr = S_FALSE;
    if (SUCCEEDED(out->ConnectedTo(&peer))) {
        hr = m_graph->Disconnect(peer);
        if (SUCCEEDED(hr))
            hr = m_graph->Disconnect(out);
        peer->Release();
    }
    out->Release();
    return hr;
}

long TestGraph::RunToEnd(DWORD timeoutMs, LONG_PTR* param1)
{
    if (FAILED(m_control->Run()))
        return -1;
    DWORD start = GetTickCount();
    for (;;) {
        long code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        if (m_events->GetEvent(&code, &p1, &p2, 50) == S_OK) {
            m_events->FreeEventParams(code, p1, p2);
            if (code == EC_COMPLETE || code == EC_ERRORABORT || code == EC_USERABORT) {
                if (param1)
                    *param1 = p1;
                return code;
            }
        }
        if (GetTickCount() - start > timeoutMs)
            return 0;
    }
}

HRESULT TestGraph::RunWithoutClock()
{
    IMediaFilter* filter = nullptr;
    HRESULT hr = m_graph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&filter));
    if (FAILED(hr))
        return hr;
    hr = filter->SetSyncSource(nullptr);
    filter->Release();
    return hr;
}

Watchdog::Watchdog(DWORD limitMs, const char* what) : m_limit(limitMs)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::snprintf(m_what, sizeof(m_what), "%s.%s, %s", info ? info->test_suite_name() : "?", info ? info->name() : "?",
                  what ? what : "");
    m_kicked = static_cast<LONG>(GetTickCount());
    m_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, Proc, this, 0, nullptr);
}

Watchdog::~Watchdog()
{
    SetEvent(m_done);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    CloseHandle(m_done);
}

void Watchdog::Kick(int repeat)
{
    InterlockedExchange(&m_repeat, repeat);
    InterlockedExchange(&m_kicked, static_cast<LONG>(GetTickCount()));
}

DWORD WINAPI Watchdog::Proc(void* self)
{
    auto* dog = static_cast<Watchdog*>(self);
    while (WaitForSingleObject(dog->m_done, 100) == WAIT_TIMEOUT) {
        DWORD since = GetTickCount() - static_cast<DWORD>(dog->m_kicked);
        if (since > dog->m_limit) {
            std::fprintf(stdout, "\n[  FAILED  ] %s: repeat %ld did not finish within %lu ms (hung)\n", dog->m_what,
                         static_cast<long>(dog->m_repeat), static_cast<unsigned long>(dog->m_limit));
            std::fflush(stdout);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
    return 0;
}

int RepeatsFromEnvironment(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : fallback;
}

StopRepeats RunToEndAndStop(TestGraph& graph, const char* what, int repeats, DWORD limitMs)
{
    StopRepeats done;
    Watchdog dog(limitMs, what);
    for (int i = 0; i < repeats; ++i) {
        dog.Kick(i + 1);
        LONG_PTR param = 0;
        long code = graph.RunToEnd(limitMs / 4, &param);
        if (code == EC_COMPLETE) {
            ++done.completed;
        } else if (code != 0) {
            ADD_FAILURE() << what << ": repeat " << i + 1 << " ended with event " << code << " (" << std::hex << param
                          << ")";
            break;
        }
        HRESULT hr = graph.Stop();
        if (hr != S_OK) {
            ADD_FAILURE() << what << ": repeat " << i + 1 << " stopped with " << std::hex << hr;
            break;
        }
        ++done.stopped;
    }
    return done;
}

} // namespace kvtest
