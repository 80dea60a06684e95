// The worker's thread, its command protocol, progress and stopping (the chain and the jobs are
// in RenderWorker_Chain.cpp and RenderWorker_Jobs.cpp).
#include "RenderWorker.h"

#include "FormatConverter.h"
#include "IKsDShowSource.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "ModuleObjects.h"
#include "ResourceModule.h"

#include <control.h>
#include <uuids.h>

#include <cstring>

namespace {

// Takes and dispatches every waiting message of this thread.
void DispatchWaiting()
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

} // namespace

CRenderWorker::CRenderWorker(HWND clientWindow) : client(clientWindow) {}

CRenderWorker::~CRenderWorker()
{
    if (thread) {
        command = kCmdQuit;
        ::SetEvent(commandEvent);
        // The thread may be sending a report or a progress record to this thread: keep the
        // messages going until it has ended.
        while (::MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0)
            DispatchWaiting();
        ::CloseHandle(thread);
        thread = nullptr;
    }
    if (graph) {
        RemoveEffectFilters();
        if (source)
            graph->RemoveFilter(source.Get());
        if (sink)
            graph->RemoveFilter(sink.Get());
    }
    sink.Reset();
    source.Reset();
    graph.Reset();
    chain.clear();
    pendingItems.Reset();
    if (commandEvent)
        ::CloseHandle(commandEvent);
    if (doneEvent)
        ::CloseHandle(doneEvent);
}

HRESULT CRenderWorker::Start()
{
    commandEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    doneEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!commandEvent || !doneEvent)
        return E_FAIL;
    threadRunning = 1;
    thread = ::CreateThread(nullptr, 0, &CRenderWorker::ThreadProc, this, 0, nullptr);
    if (!thread) {
        threadRunning = 0;
        return E_FAIL;
    }
    ::WaitForSingleObject(doneEvent, INFINITE);
    return S_OK;
}

DWORD WINAPI CRenderWorker::ThreadProc(void* self)
{
    return static_cast<CRenderWorker*>(self)->Run();
}

DWORD CRenderWorker::Run()
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
    // The chain's filters and the sink were created on other threads or belong to the graph;
    // the destructor takes them down.
    ::CoUninitialize();
    threadRunning = 0;
    return 0;
}

void CRenderWorker::RunCommand(LONG code)
{
    switch (code) {
    case kCmdPreview:
    case kCmdPreviewTwoPass:
        result = RunPreview(code == kCmdPreviewTwoPass);
        ReportError(result);
        return;
    case kCmdApply:
    case kCmdApplyTwoPass:
    case kCmdApplyToNewTracks: {
        ComRef<IMtItemList> items;
        pendingItems.Reset();
        pendingLengthened = FALSE;
        result = MtEngine::CreateItemList(items);
        if (SUCCEEDED(result)) {
            if (code == kCmdApplyToNewTracks)
                result = RenderToTempFiles(items.Get());
            else
                result = RunApply(items.Get(), &pendingLengthened, code == kCmdApplyTwoPass);
        }
        pendingItems = items;
        finishedCommand = code;
        ::SetEvent(doneEvent);
        return;
    }
    case kCmdNewWindow:
    case kCmdNewWindowTwoPass:
        result = RunToNewDocument(code == kCmdNewWindowTwoPass);
        finishedCommand = code;
        ::SetEvent(doneEvent);
        return;
    case kCmdRender:
        result = RunRender();
        finishedCommand = code;
        ::SetEvent(doneEvent);
        return;
    default:
        return; // 0 and codes above 8: back to waiting
    }
}

HRESULT CRenderWorker::BuildGraph()
{
    HRESULT hr =
        ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.OutVoid());
    if (FAILED(hr))
        return hr;
    ComRef<IUnknown> created;
    hr = CreateModuleObject("KsDShowSrc.dll", CLSID_KsDShowSrc, __uuidof(IKsDShowSource), created.OutVoid());
    if (SUCCEEDED(hr) && !created)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = created->QueryInterface(IID_IBaseFilter, source.OutVoid());
    if (FAILED(hr)) {
        graph.Reset();
        return hr;
    }
    return graph->AddFilter(source.Get(), nullptr);
}

HRESULT CRenderWorker::SetSource(IMtTrackSet* engineSet)
{
    engine = ComRef<IMtTrackSet>::Share(engineSet);
    if (engineSet) {
        WORD bits = 16;
        DWORD rate = 0;
        if (SUCCEEDED(engineSet->GetBitsPerSample(&bits)))
            bitsPerSample = bits;
        if (SUCCEEDED(engineSet->GetSamplesPerSec(&rate)))
            samplesPerSecond = rate;
    }
    return S_OK;
}

HRESULT CRenderWorker::SetSourceOption(LONG a, LONG b)
{
    ComRef<IKsDShowSource> api;
    if (!source || FAILED(source->QueryInterface(__uuidof(IKsDShowSource), api.OutVoid())))
        return E_FAIL;
    return api->SetOption(a, b);
}

HRESULT CRenderWorker::SetSourceOptionA(LONG value)
{
    ComRef<IKsDShowSource> api;
    if (!source || FAILED(source->QueryInterface(__uuidof(IKsDShowSource), api.OutVoid())))
        return E_FAIL;
    return api->SetOption11(value);
}

HRESULT CRenderWorker::SetSourceOptionB(LONG value)
{
    ComRef<IKsDShowSource> api;
    if (!source || FAILED(source->QueryInterface(__uuidof(IKsDShowSource), api.OutVoid())))
        return E_FAIL;
    return api->SetOption14(value);
}

void CRenderWorker::Post(LONG code, HWND progress, bool locked)
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

void CRenderWorker::PostCommand(LONG code, HWND progress, bool locked)
{
    Post(code, progress, locked);
}

void CRenderWorker::PostPreview(HWND progress)
{
    Post(kCmdPreview, progress, true);
}

void CRenderWorker::PostPreviewTwoPass(HWND progress)
{
    Post(kCmdPreviewTwoPass, progress, true);
}

void CRenderWorker::PostRender(HWND progress)
{
    Post(kCmdRender, progress, true);
}

void CRenderWorker::PostApply(HWND progress)
{
    Post(kCmdApply, progress, false);
}

void CRenderWorker::PostApplyTwoPass(HWND progress)
{
    Post(kCmdApplyTwoPass, progress, false);
}

void CRenderWorker::PostApplyToNewTracks(HWND progress)
{
    Post(kCmdApplyToNewTracks, progress, false);
}

void CRenderWorker::PostNewWindow(HWND progress)
{
    Post(kCmdNewWindow, progress, false);
}

void CRenderWorker::PostNewWindowTwoPass(HWND progress)
{
    Post(kCmdNewWindowTwoPass, progress, false);
}

void CRenderWorker::RepostPreview()
{
    Post(kCmdPreview, progressWindow, true);
}

void CRenderWorker::RepostPreviewTwoPass()
{
    Post(kCmdPreviewTwoPass, progressWindow, true);
}

void CRenderWorker::ReportError(HRESULT hr)
{
    if (FAILED(hr) && hr != kRenderCancelled && client)
        ::SendMessageA(client, kWorkerErrorMessage, 0, static_cast<LPARAM>(hr));
}

void CRenderWorker::SendProgress(WPARAM code, const char* text, LONG value, LONG flags, LONG* cancel)
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

void CRenderWorker::StopGraph(BOOL whenReady)
{
    ComRef<IMediaControl> control;
    if (!graph || FAILED(graph->QueryInterface(IID_IMediaControl, control.OutVoid())))
        return;
    if (whenReady)
        control->StopWhenReady();
    else
        control->Stop();
    WaitUntilStopped();
    // A stopped preview's job still takes its chain apart: the chain is the client's again
    // only once the thread waits for the next command.
    for (;;) {
        {
            AutoLock hold(lock);
            if (state == 0 || !threadRunning)
                break;
        }
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT) != WAIT_TIMEOUT)
            DispatchWaiting();
    }
}

bool CRenderWorker::IsSourceStopped()
{
    FILTER_STATE filterState = State_Running;
    return !source || (source->GetState(100, &filterState) == S_OK && filterState == State_Stopped);
}

void CRenderWorker::WaitUntilStopped()
{
    while (!IsSourceStopped()) {
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

HRESULT CRenderWorker::CompleteOnMainThread()
{
    const LONG code = finishedCommand;
    finishedCommand = 0;
    ComRef<IMtItemList> items = pendingItems;
    pendingItems.Reset();
    if (!items)
        return S_OK;
    if (SUCCEEDED(result)) {
        if (code == kCmdApplyToNewTracks) {
            result = ReplaceTracksFromFiles(items.Get());
            ReportError(result);
        } else {
            HRESULT recorded = RecordEffectCommand(items.Get(), pendingLengthened ? 1 : 0);
            if (FAILED(recorded))
                result = recorded;
        }
    }
    // A job that failed, or whose step was refused, keeps nothing: the list was the only
    // holder of its files, which the engine deletes with their last item.
    if (FAILED(result))
        items->Clear();
    return result;
}
