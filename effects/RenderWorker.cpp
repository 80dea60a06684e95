// The worker's commands, its graph and source (the thread, progress and stopping are
// CGraphWorker's; the chain and the jobs are in RenderWorker_Chain.cpp and RenderWorker_Jobs.cpp).
#include "RenderWorker.h"

#include "FormatConverter.h"
#include "IKsDShowSource.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "ModuleObjects.h"

#include <control.h>
#include <uuids.h>

#include <cstring>

CRenderWorker::CRenderWorker(HWND clientWindow) : client(clientWindow) {}

CRenderWorker::~CRenderWorker()
{
    EndThread();
    if (graph) {
        RemoveEffectFilters();
        if (source)
            graph->RemoveFilter(source.Get());
        if (sink)
            graph->RemoveFilter(sink.Get());
    }
    sink.Reset();
    source.Reset();
    converter.Reset();
    graph.Reset();
    chain.clear();
    pendingItems.Reset();
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
    return BuildEngineSourceGraph();
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

void CRenderWorker::PostPreview(HWND progress)
{
    PostCommand(kCmdPreview, progress, true);
}

void CRenderWorker::PostPreviewTwoPass(HWND progress)
{
    PostCommand(kCmdPreviewTwoPass, progress, true);
}

void CRenderWorker::PostRender(HWND progress)
{
    PostCommand(kCmdRender, progress, true);
}

void CRenderWorker::PostApply(HWND progress)
{
    PostCommand(kCmdApply, progress, false);
}

void CRenderWorker::PostApplyTwoPass(HWND progress)
{
    PostCommand(kCmdApplyTwoPass, progress, false);
}

void CRenderWorker::PostApplyToNewTracks(HWND progress)
{
    PostCommand(kCmdApplyToNewTracks, progress, false);
}

void CRenderWorker::PostNewWindow(HWND progress)
{
    PostCommand(kCmdNewWindow, progress, false);
}

void CRenderWorker::PostNewWindowTwoPass(HWND progress)
{
    PostCommand(kCmdNewWindowTwoPass, progress, false);
}

void CRenderWorker::RepostPreview()
{
    PostCommand(kCmdPreview, progressWindow, true);
}

void CRenderWorker::RepostPreviewTwoPass()
{
    PostCommand(kCmdPreviewTwoPass, progressWindow, true);
}

void CRenderWorker::ReportError(HRESULT hr)
{
    if (FAILED(hr) && hr != kRenderCancelled && client)
        ::SendMessageA(client, kWorkerErrorMessage, 0, static_cast<LPARAM>(hr));
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
