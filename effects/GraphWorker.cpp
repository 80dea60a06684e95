// The workers' shared thread, command protocol, progress, stopping and run of the graph.
#include "GraphWorker.h"

#include "FormatConverter.h"
#include "GraphHelpers.h"
#include "ITracksWriterOutput.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"
#include "ModuleObjects.h"
#include "ResourceModule.h"

#include <control.h>
#include <evcode.h>
#include <uuids.h>

#include <cstring>
#include <string>

namespace {

constexpr UINT kIdsProcessing = 20346; // "Processing..."
constexpr UINT kIdsPleaseWait = 20497; // "Please wait.\nThis operation may take more than a minute."

std::string ResourceText(UINT id, const char* fallback)
{
    char text[320];
    if (::LoadStringA(GetResourceModule(), id, text, sizeof text) > 0)
        return text;
    return fallback;
}

// The events left after a run, freed: the next run waits for its own.
void DrainEvents(IMediaEvent* events)
{
    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK)
        events->FreeEventParams(code, p1, p2);
}

} // namespace

void DispatchWaitingMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

CGraphWorker::~CGraphWorker()
{
    EndThread();
    sink.Reset();
    source.Reset();
    converter.Reset();
    graph.Reset();
    if (commandEvent)
        ::CloseHandle(commandEvent);
    if (doneEvent)
        ::CloseHandle(doneEvent);
}

void CGraphWorker::EndThread()
{
    if (!thread)
        return;
    command = -1;
    ::SetEvent(commandEvent);
    // The thread may be sending a report or a progress record to this thread: keep the
    // messages going until it has ended.
    while (::MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0)
        DispatchWaitingMessages();
    ::CloseHandle(thread);
    thread = nullptr;
}

HRESULT CGraphWorker::Start()
{
    commandEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    doneEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!commandEvent || !doneEvent)
        return E_FAIL;
    threadRunning = 1;
    thread = ::CreateThread(nullptr, 0, &CGraphWorker::ThreadProc, this, 0, nullptr);
    if (!thread) {
        threadRunning = 0;
        return E_FAIL;
    }
    ::WaitForSingleObject(doneEvent, INFINITE);
    return S_OK;
}

DWORD WINAPI CGraphWorker::ThreadProc(void* self)
{
    return static_cast<CGraphWorker*>(self)->Run();
}

DWORD CGraphWorker::Run()
{
    ::CoInitialize(nullptr);
    const HRESULT built = BuildGraph();
    ::SetEvent(doneEvent);
    if (FAILED(built)) {
        ::CoUninitialize();
        threadRunning = 0;
        return static_cast<DWORD>(-1);
    }
    for (;;) {
        {
            AutoLock hold(lock);
            state = 0;
        }
        ::WaitForSingleObject(commandEvent, INFINITE);
        LONG code;
        {
            AutoLock hold(lock);
            code = command;
            state = 2;
        }
        if (code < 0)
            break;
        RunCommand(code);
    }
    // The filters were created on other threads or belong to the graph: the destructors
    // take them down.
    ::CoUninitialize();
    threadRunning = 0;
    return 0;
}

void CGraphWorker::PostCommand(LONG code, HWND progress, bool locked)
{
    if (locked) {
        AutoLock hold(lock);
        progressWindow = progress;
        command = code;
    } else {
        command = code;
        progressWindow = progress;
    }
    ::SetEvent(commandEvent);
}

void CGraphWorker::SendProgress(WPARAM code, const char* text, LONG value, LONG flags, LONG* cancel)
{
    if (cancel)
        *cancel = 0;
    if (!progressWindow)
        return;
    ProgressRecord record;
    std::memset(&record, 0, sizeof record);
    record.value = value;
    if (text)
        lstrcpynA(record.text, text, sizeof record.text);
    else if (defaultProgressText)
        ::LoadStringA(GetResourceModule(), defaultProgressText, record.text, sizeof record.text);
    record.flags = flags;
    ::SendMessageA(progressWindow, kProgressMessage, code, reinterpret_cast<LPARAM>(&record));
    if (cancel)
        *cancel = record.cancel;
}

void CGraphWorker::StopGraph(BOOL whenReady)
{
    ComRef<IMediaControl> control;
    if (!graph || FAILED(graph->QueryInterface(IID_IMediaControl, control.OutVoid())))
        return;
    if (whenReady)
        control->StopWhenReady();
    else
        control->Stop();
    WaitUntilStopped();
    // A stopped preview's job still takes its graph apart: the graph is the client's again
    // only once the thread waits for the next command.
    for (;;) {
        {
            AutoLock hold(lock);
            if (state == 0 || !threadRunning)
                break;
        }
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT) != WAIT_TIMEOUT)
            DispatchWaitingMessages();
    }
}

bool CGraphWorker::IsSourceStopped()
{
    FILTER_STATE filterState = State_Running;
    return !source || (source->GetState(100, &filterState) == S_OK && filterState == State_Stopped);
}

void CGraphWorker::WaitUntilStopped()
{
    while (!IsSourceStopped()) {
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

HRESULT CGraphWorker::RunGraph()
{
    ComRef<IMediaControl> control;
    ComRef<IMediaEvent> events;
    ComRef<IMediaSeeking> seeking;
    if (!graph)
        return E_FAIL;
    HRESULT hr = graph->QueryInterface(IID_IMediaControl, control.OutVoid());
    if (SUCCEEDED(hr))
        hr = graph->QueryInterface(IID_IMediaEvent, events.OutVoid());
    if (SUCCEEDED(hr)) {
        IUnknown* seekable = sink ? static_cast<IUnknown*>(sink.Get()) : static_cast<IUnknown*>(graph.Get());
        hr = seekable->QueryInterface(IID_IMediaSeeking, seeking.OutVoid());
    }
    if (FAILED(hr))
        return hr;
    hr = control->Run();
    if (FAILED(hr)) {
        // A filter that could not start (a writer without its files) leaves the others
        // paused or streaming: stopped here, or the next run of this graph is refused and
        // every wait for them to stop waits for ever.
        control->Stop();
        StopEveryFilter(graph.Get());
        WaitForFiltersStopped();
        DrainEvents(events.Get());
        return hr;
    }

    const std::string processing = ResourceText(kIdsProcessing, "Processing...");
    const std::string waiting =
        ResourceText(kIdsPleaseWait, "Please wait.\nThis operation may take more than a minute.");
    LONGLONG duration = 0;
    seeking->GetDuration(&duration);
    LONG percent = 0;
    enum class End { Complete, Error, UserAbort } end = End::UserAbort;
    HRESULT errorCode = S_OK;
    bool cancelled = false;
    for (;;) {
        long code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        HRESULT got = events->GetEvent(&code, &p1, &p2, 500);
        if (SUCCEEDED(got)) {
            events->FreeEventParams(code, p1, p2);
            if (code == EC_COMPLETE) {
                end = End::Complete;
                break;
            }
            if (code == EC_ERRORABORT) {
                end = End::Error;
                errorCode = static_cast<HRESULT>(p1);
                break;
            }
            if (code == EC_USERABORT)
                break;
            continue;
        }
        // A graph that stopped without any event ends as a cancel.
        OAFilterState graphState = State_Running;
        if (control->GetState(10, &graphState) == S_OK && graphState == State_Stopped)
            break;
        LONGLONG position = 0;
        seeking->GetCurrentPosition(&position);
        percent = ProgressPercent(position, duration);
        LONG cancel = 0;
        if (plainProgress)
            SendProgress(2, nullptr, percent, 0, &cancel);
        else if (percent < 100)
            SendProgress(2, processing.c_str(), percent, 0, &cancel);
        else
            SendProgress(2, waiting.c_str(), percent, 1, &cancel);
        if (cancel) {
            cancelled = true;
            break;
        }
    }
    LONG ignored = 0;
    if (plainProgress)
        ; // no last update
    else if (cancelled)
        SendProgress(2, waiting.c_str(), percent, 1, &ignored);
    else
        SendProgress(2, processing.c_str(), end == End::Complete ? 100 : percent, 0, &ignored);
    switch (end) {
    case End::Complete:
        control->StopWhenReady();
        hr = S_OK;
        break;
    case End::Error:
        control->Stop();
        hr = FAILED(errorCode) ? errorCode : E_FAIL;
        break;
    default:
        control->Stop();
        hr = kRenderCancelled;
        break;
    }
    WaitForFiltersStopped();
    DrainEvents(events.Get());
    return hr;
}

void CGraphWorker::WaitForFiltersStopped()
{
    for (IBaseFilter* filter : {source.Get(), sink.Get()}) {
        if (!filter)
            continue;
        for (;;) {
            FILTER_STATE filterState = State_Running;
            HRESULT hr = filter->GetState(100, &filterState);
            if (FAILED(hr) || filterState == State_Stopped)
                break;
            ::Sleep(10);
        }
    }
}

void CGraphWorker::ReplaceSink(IBaseFilter* next)
{
    if (sink) {
        graph->RemoveFilter(sink.Get());
        sink.Reset();
    }
    if (!next)
        return;
    ThrowIfFailed(graph->AddFilter(next, nullptr));
    sink = ComRef<IBaseFilter>::Share(next);
}

void CGraphWorker::UseTracksWriter()
{
    ComRef<IBaseFilter> writer;
    HMODULE module = nullptr;
    ThrowIfFailed(CreateModuleObject("KsTrksWt.dll", CLSID_KsTrksWt, IID_IBaseFilter, writer.OutVoid(), &module));
    KeepModuleLoaded(module);
    ComRef<ITracksWriterOutput> output;
    ThrowIfFailed(writer->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid()));
    output->Reset();
    ReplaceSink(writer.Get());
}

std::string CGraphWorker::WrittenDataFile()
{
    ComRef<ITracksWriterOutput> output;
    char name[MAX_PATH] = {};
    if (sink && SUCCEEDED(sink->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid())))
        output->GetDataFileName(name);
    return name;
}

std::string CGraphWorker::WrittenPeakFile()
{
    ComRef<ITracksWriterOutput> output;
    char name[MAX_PATH] = {};
    if (sink && SUCCEEDED(sink->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid())))
        output->GetPeakFileName(name);
    return name;
}

void CGraphWorker::DeleteWrittenFiles()
{
    for (const std::string& name : {WrittenDataFile(), WrittenPeakFile()})
        if (!name.empty())
            ::DeleteFileA(name.c_str());
}

WAVEFORMATEX CGraphWorker::AddWrittenFile(IMtItemList* items, LONG trackId)
{
    ComRef<ITracksWriterOutput> output;
    if (!sink || FAILED(sink->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid())))
        throw CKvSSException(E_FAIL);
    char data[MAX_PATH] = {}, peaks[MAX_PATH] = {};
    output->GetDataFileName(data);
    output->GetPeakFileName(peaks);
    WAVEFORMATEX format{};
    ThrowIfFailed(output->GetWaveFormat(&format));
    MtFileItemRecord record;
    std::memset(&record, 0, sizeof record);
    lstrcpynA(record.path, data, sizeof record.path);
    record.channels = format.nChannels;
    record.bitsPerSample = format.wBitsPerSample;
    record.samplesPerSec = format.nSamplesPerSec;
    ThrowIfFailed(items->AddFileItem(&record, data, peaks, trackId));
    return format;
}
