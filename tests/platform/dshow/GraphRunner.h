// A filter graph of the platform's filter graph manager for tests: add filters, connect
// them directly, run to the end, stop, and count references.
#pragma once
#include <windows.h>
#include <control.h>
#include <strmif.h>

namespace kvtest {

// COM on the test's thread for the scope of a test.
struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    ~ComScope() { CoUninitialize(); }
};

// First pin of filter with the direction (with a reference), or nullptr.
IPin* FirstPin(IBaseFilter* filter, PIN_DIRECTION dir);
// The object's reference count, read with AddRef/Release.
ULONG RefCount(IUnknown* object);

class TestGraph {
public:
    TestGraph();
    ~TestGraph();
    TestGraph(const TestGraph&) = delete;
    TestGraph& operator=(const TestGraph&) = delete;

    bool Ok() const { return m_graph && m_control && m_events; }
    IGraphBuilder* Graph() const { return m_graph; }
    IMediaControl* Control() const { return m_control; }

    HRESULT Add(IBaseFilter* filter, const wchar_t* name);
    // Connects from's first output pin to to's first input pin directly, with no media type.
    HRESULT Connect(IBaseFilter* from, IBaseFilter* to);
    // Disconnects both ends of from's first output pin.
    HRESULT Disconnect(IBaseFilter* from);
    // Runs until EC_COMPLETE, EC_ERRORABORT or EC_USERABORT; returns that code, or 0 after
    // timeoutMs. param1 receives the event's first parameter.
    long RunToEnd(DWORD timeoutMs, LONG_PTR* param1 = nullptr);
    HRESULT Stop() { return m_control->Stop(); }
    // Lets the graph run without a reference clock, so that renderers do not wait for it.
    HRESULT RunWithoutClock();

private:
    IGraphBuilder* m_graph = nullptr;
    IMediaControl* m_control = nullptr;
    IMediaEvent* m_events = nullptr;
};

// Ends the test program with a failure when not kicked within limitMs: a graph whose Stop
// hangs can be neither stopped nor released, so waiting for it would hang the run instead.
class Watchdog {
public:
    // what names the watched work in the failure message.
    Watchdog(DWORD limitMs, const char* what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    // Starts a new span of limitMs for the given repeat.
    void Kick(int repeat);

private:
    static DWORD WINAPI Proc(void* self);

    DWORD m_limit;
    HANDLE m_done = nullptr;
    HANDLE m_thread = nullptr;
    volatile LONG m_kicked = 0;
    volatile LONG m_repeat = 0;
    char m_what[512] = {};
};

// A repeat count from the environment variable name (a positive number), else fallback.
int RepeatsFromEnvironment(const char* name, int fallback);

struct StopRepeats {
    int stopped = 0;   // repeats whose Stop returned S_OK
    int completed = 0; // runs among them that ended with EC_COMPLETE
};
// Runs the graph and stops it as soon as EC_COMPLETE arrives, repeats times, each repeat under
// a watchdog of limitMs (what names the graph). A run without EC_COMPLETE after limitMs / 4 is
// stopped all the same: the platform's renderers now and then lose the completion of a stream
// that ends while they go to running. Stops at the first error event or failed Stop.
StopRepeats RunToEndAndStop(TestGraph& graph, const char* what, int repeats, DWORD limitMs = 5000);

} // namespace kvtest
