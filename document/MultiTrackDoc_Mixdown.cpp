// Sample type conversion, Mix Tracks to New and the one-track mixdown; the render of the
// marked tracks through the tracks reader and writer filters.
#include "MultiTrackDoc.h"

#include "ClipCommands.h"
#include "DeleteTrackCommand.h"
#include "DocCommandIds.h"
#include "DocCommandSupport.h"
#include "DocMixdown.h"
#include "DocWiring.h"
#include "FileCommands.h"
#include "FormatConverter.h"
#include "FwApp.h"
#include "FwDocTemplate.h"
#include "FwView.h"
#include "GraphHelpers.h"
#include "ITracksReaderSetup.h"
#include "ITracksWriterOutput.h"
#include "KsMultiTrackLoader.h"
#include "MarkCommands.h"
#include "ModuleObjects.h"
#include "OffsetTrackCommand.h"
#include "ResampleCommand.h"
#include "SelectionModel.h"
#include "TrackCommands.h"
#include "TransactionCommand.h"
#include "ViewGeometry.h"

#include <control.h>
#include <evcode.h>
#include <uuids.h>

#include <cmath>
#include <cstring>

using namespace doccmd;

LONG MixdownProgressPercent(LONGLONG position, LONGLONG duration)
{
    if (duration <= 0 || position <= 0)
        return 0;
    double percent = static_cast<double>(position) / static_cast<double>(duration) * 100.0 + 0.5;
    return percent >= 100.0 ? 100 : static_cast<LONG>(percent);
}

void ReplaceTrackCarrying(CNyMultiTrackDoc* document, IEditCommand* transaction, int index, WORD channels,
                          IUnknown* item, bool carryMixing)
{
    CommandDocument* doc = document;
    std::vector<LabelRecord> labels;
    document->GetLabels().FindInRange(index, labels, -1, -1, -1);
    const int64_t offset = document->GetTrackExtent(index, -1);
    ComRef<IMtTrack> old(document->GetTrack(index));
    if (old)
        old->AddRef();
    RunAndAppend(transaction, MakeCommand<DeleteTrackCommand>(nullptr, doc, index).Get());
    // The old track's labels go with it; those that belong on the new one come back below.
    for (const LabelRecord& label : labels)
        RunAndAppend(transaction, MakeCommand<DelMarkCommand>(nullptr, doc, label.id).Get());
    RunAndAppend(transaction, MakeCommand<InsertTrackCommand>(nullptr, doc, channels, index).Get());
    if (item)
        RunAndAppend(transaction, MakeCommand<OpenFileCommand>(doc, index, 0, 0, item).Get());
    for (LabelRecord label : labels) {
        if ((label.kind & 0xFF) == kLabelTrack) {
            LabelRecord fresh{};
            if (document->GetLabels().GetTrackLabel(index, &fresh)) {
                std::memcpy(fresh.name, label.name, sizeof fresh.name);
                fresh.name[sizeof fresh.name - 1] = 0;
                RunAndAppend(transaction, MakeCommand<ModMarkCommand>(nullptr, doc, fresh).Get());
            }
        } else if (label.kind & 7) {
            label.trackId = document->GetLabels().TrackIndexToId(index);
            label.id = 0;
            RunAndAppend(transaction, MakeCommand<AddMarkInfoCommand>(nullptr, doc, label).Get());
        }
    }
    if (carryMixing && old) {
        TrackPropertyCommand* properties = ComObject<IEditCommand>::Create<TrackPropertyCommand>(doc);
        ComRef<IEditCommand> command(properties);
        if (!properties)
            throw CKvSSException(E_OUTOFMEMORY);
        ThrowIfFailed(properties->InitFromSource(index, old.Get()));
        RunAndAppend(transaction, command.Get());
    }
    RunAndAppend(transaction, MakeCommand<OffsetTrackCommand>(nullptr, doc, index, offset).Get());
}

FreezeScope::FreezeScope(CNyMultiTrackDoc* d) : document(d)
{
    document->FreezeAllViews(TRUE);
}

FreezeScope::~FreezeScope()
{
    document->FreezeAllViews(FALSE);
}

LRESULT SendProgress(WPARAM kind, LONG value, ProgressRecord* out)
{
    HWND window = DocWiring::ProgressWindow();
    ProgressRecord record;
    std::memset(&record, 0, sizeof record);
    record.value = value;
    std::string title = LoadResourceText(20346);
    std::strncpy(record.text, title.c_str(), sizeof record.text - 1);
    LRESULT result = window ? ::SendMessageA(window, kProgressMessage, kind, reinterpret_cast<LPARAM>(&record)) : 0;
    if (out)
        *out = record;
    return result;
}

MarksKeeper::MarksKeeper(CNyMultiTrackDoc* d) : document(d), selection(QueryCom<IMtSelection>(d->GetTrackSet())) {}

MarksKeeper::~MarksKeeper()
{
    if (!selection)
        return;
    selection->SetAllTracks(0);
    for (int i = 0, n = document->GetTrackCount(); i < n; ++i)
        if (document->GetSelection()->IsTrackSelectedAt(i))
            selection->SelectTrack(i, 1);
}

namespace {

void SendViewCommand(CNyMultiTrackDoc* document, UINT id)
{
    if (CView* view = dynamic_cast<CView*>(document->GetMultiTrackView()))
        if (view->m_hWnd)
            view->SendMessage(WM_COMMAND, id, 0);
}

} // namespace

BOOL CNyMultiTrackDoc::FreezeAllViews(BOOL freeze)
{
    CWinApp* app = AfxGetApp();
    POSITION pos = app ? app->GetFirstDocTemplatePosition() : nullptr;
    CDocTemplate* first = pos ? app->GetNextDocTemplate(pos) : nullptr;
    if (!first) {
        DocWiring::FreezeView(this, freeze); // a document outside the program's templates
        return FALSE;
    }
    for (POSITION doc = first->GetFirstDocPosition(); doc;)
        if (auto* document = dynamic_cast<CNyMultiTrackDoc*>(first->GetNextDoc(doc)))
            if (document->GetMultiTrackView())
                DocWiring::FreezeView(document, freeze);
    return TRUE;
}

HRESULT CNyMultiTrackDoc::RenderMixdown(IMtItemList** list, WAVEFORMATEX* format, int flag)
{
    FreezeScope freeze(this);
    ComRef<IGraphBuilder> graph;
    ComRef<IBaseFilter> reader, writer;
    ComRef<ITracksReaderSetup> setup;
    ComRef<ITracksWriterOutput> output;
    ComRef<IPin> out, in;
    ComRef<IMediaControl> control;
    ComRef<IMediaEvent> events;
    ComRef<IMediaSeeking> seeking;
    try {
        if (!m_engine)
            throw CKvSSException(E_UNEXPECTED);
        // No message thread of its own: the graph makes no filter itself and ours have no
        // windows, and starting and ending that thread cost ten milliseconds a mix.
        ThrowIfFailed(CoCreateInstance(CLSID_FilterGraphNoThread, nullptr,
                                       CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IGraphBuilder,
                                       graph.OutVoid()));
        HMODULE readerModule = nullptr, writerModule = nullptr;
        ThrowIfFailed(
            CreateModuleObject("KsTrksRd.dll", CLSID_KsTrksRd, IID_IBaseFilter, reader.OutVoid(), &readerModule));
        KeepModuleLoaded(readerModule);
        ThrowIfFailed(
            CreateModuleObject("KsTrksWt.dll", CLSID_KsTrksWt, IID_IBaseFilter, writer.OutVoid(), &writerModule));
        KeepModuleLoaded(writerModule);
        ThrowIfFailed(graph->AddFilter(reader.Get(), nullptr));
        ThrowIfFailed(graph->AddFilter(writer.Get(), nullptr));
        ThrowIfFailed(reader->QueryInterface(__uuidof(ITracksReaderSetup), setup.OutVoid()));
        ThrowIfFailed(writer->QueryInterface(__uuidof(ITracksWriterOutput), output.OutVoid()));
        LONG automation = 0;
        m_engine->GetReadAutomation(&automation);
        setup->SetTrackSet(m_engine.Get());
        setup->SetOutputChannels(m_settings.documentType == 1 ? 6 : 2);
        setup->SetSwitch7(flag);
        setup->SetSwitch8(flag);
        setup->SetSwitch9(flag);
        setup->SetSwitch18(0);
        setup->SetReadAutomation(automation);
        ThrowIfFailed(FindPinByDirection(reader.Get(), PINDIR_OUTPUT, out.Out()));
        ThrowIfFailed(FindPinByDirection(writer.Get(), PINDIR_INPUT, in.Out()));
        ThrowIfFailed(graph->ConnectDirect(out.Get(), in.Get(), nullptr));

        // No clock: the render goes as fast as the filters allow.
        ComRef<IMediaFilter> timing;
        if (SUCCEEDED(graph->QueryInterface(IID_IMediaFilter, timing.OutVoid())))
            timing->SetSyncSource(nullptr);

        SendProgress(1, 0);
        ThrowIfFailed(graph->QueryInterface(IID_IMediaControl, control.OutVoid()));
        ThrowIfFailed(graph->QueryInterface(IID_IMediaEvent, events.OutVoid()));
        ThrowIfFailed(writer->QueryInterface(IID_IMediaSeeking, seeking.OutVoid()));
        const HRESULT started = control->Run();
        if (FAILED(started)) {
            // The reader started though the writer could not: it stops here, not never.
            StopEveryFilter(graph.Get());
            throw CKvSSException(started);
        }
        LONGLONG duration = 0;
        seeking->GetDuration(&duration);

        HRESULT result = S_OK;
        bool complete = false;
        for (;;) {
            long code = 0;
            LONG_PTR p1 = 0, p2 = 0;
            HRESULT hr = events->GetEvent(&code, &p1, &p2, 500);
            if (SUCCEEDED(hr))
                events->FreeEventParams(code, p1, p2);
            if (SUCCEEDED(hr) && code == EC_COMPLETE) {
                control->StopWhenReady();
                complete = true;
                break;
            }
            if (SUCCEEDED(hr) && code == EC_ERRORABORT) {
                control->Stop();
                result = static_cast<HRESULT>(p1);
                break;
            }
            bool aborted = SUCCEEDED(hr) && code == EC_USERABORT;
            if (hr == E_ABORT) {
                OAFilterState state = State_Running;
                aborted = control->GetState(10, &state) == S_OK && state == State_Stopped;
            }
            if (!aborted) {
                LONGLONG position = 0;
                seeking->GetCurrentPosition(&position);
                ProgressRecord answer;
                SendProgress(2, MixdownProgressPercent(position, duration), &answer);
                aborted = answer.cancel != 0;
            }
            if (aborted) {
                control->Stop();
                result = kConversionCancelled;
                break;
            }
        }
        SendProgress(complete ? 4 : 6, complete ? 100 : 0);
        for (IBaseFilter* filter : {reader.Get(), writer.Get()}) {
            FILTER_STATE state = State_Running;
            while (SUCCEEDED(filter->GetState(100, &state)) && state != State_Stopped)
                ::Sleep(10);
        }
        long code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        while (SUCCEEDED(events->GetEvent(&code, &p1, &p2, 0)))
            events->FreeEventParams(code, p1, p2);
        ComRef<IPin> connected;
        if (SUCCEEDED(out->ConnectedTo(connected.Out())))
            graph->Disconnect(out.Get());
        ThrowIfFailed(result);

        MtFileItemRecord record;
        std::memset(&record, 0, sizeof record);
        char peak[MAX_PATH] = {};
        WAVEFORMATEX written;
        std::memset(&written, 0, sizeof written);
        ThrowIfFailed(output->GetDataFileName(record.path));
        ThrowIfFailed(output->GetPeakFileName(peak));
        ThrowIfFailed(output->GetWaveFormat(&written));
        if (format)
            *format = written;
        record.channels = written.nChannels;
        record.bitsPerSample = written.wBitsPerSample;
        record.samplesPerSec = written.nSamplesPerSec;
        ComRef<IMtItemList> items;
        HRESULT created = MtEngine::CreateItemList(items);
        if (!list)
            return created;
        ThrowIfFailed(created);
        ThrowIfFailed(items->AddFileItem(&record, record.path, peak, 0));
        *list = items.Detach();
        return S_OK;
    } catch (const CKvSSException& e) {
        if (control.Get())
            control->Stop();
        return e.m_hr;
    }
}

HRESULT CNyMultiTrackDoc::ConvertSampleType(DWORD rate, WORD bits, DWORD precision)
{
    if (!m_engine || !m_history)
        return E_UNEXPECTED;
    if (rate == GetSamplesPerSec() && bits == m_fileInfo.bitsPerSample)
        return S_FALSE;
    ComRef<IMtItemList> items;
    HRESULT hr = MtEngine::CreateItemList(items);
    if (FAILED(hr))
        return hr;
    {
        FreezeScope freeze(this);
        FormatConverter converter;
        hr = ConvertFileFormat(converter, m_engine.Get(), rate, bits > 16 ? 32 : bits, DocWiring::ProgressWindow(),
                               precision, items.Get());
    }
    if (FAILED(hr))
        return hr;
    return ApplyConvertedFiles(items.Get(), rate, bits);
}

HRESULT CNyMultiTrackDoc::ApplyConvertedFiles(IMtItemList* items, DWORD rate, WORD bits)
{
    if (!items || !m_history)
        return E_POINTER;
    ComRef<IEditCommand> transaction = MakeCommand<TransactionCommand>(LoadResourceText(IDS_CMD_RESAMPLING).c_str());
    try {
        if (!transaction)
            throw CKvSSException(E_OUTOFMEMORY);
        RunAndAppend(transaction.Get(), MakeCommand<ResampleCommand>(nullptr, this, bits, rate).Get());
        items->ResetItems(0);
        ComRef<IUnknown> item;
        LONG trackId = -1;
        while (items->NextItem(item.Out(), &trackId) == S_OK) {
            // Each converted file names the track it was made from.
            const int i = GetTrackIndex(trackId);
            IMtTrack* track = GetTrack(i);
            LONGLONG start = 0, length = 0;
            if (!track || FAILED(track->GetStartOffset(&start)) || FAILED(track->GetLength(&length)))
                throw CKvSSException(kMtErrNoTrack);
            RunAndAppend(transaction.Get(),
                         MakeCommand<CreateClipCommand>(nullptr, this, i, start, length, item.Get()).Get());
            item.Reset();
        }
        ThrowIfFailed(m_history->Add(transaction.Get(), TRUE));
    } catch (const CKvSSException& e) {
        // Nothing half converted stays behind without an entry to take it back.
        TakeBackUnlessRecorded(m_history.Get(), transaction.Get());
        return e.m_hr;
    }
    SyncModifiedWithHistory();
    return S_OK;
}

void CNyMultiTrackDoc::OnSampleType()
{
    if (!IsViewIdle())
        return;
    DWORD rate = GetSamplesPerSec(), precision = 0;
    WORD bits = m_fileInfo.bitsPerSample;
    SetActiveCommand(2018);
    DocWiring::UpdateEffectPalette();
    if (DocWiring::RunSampleTypeDialog(this, &rate, &bits, &precision)) {
        HRESULT hr = ConvertSampleType(rate, bits, precision);
        if (FAILED(hr))
            ShowError(hr); // the host shows nothing for a cancel
        if (hr == S_OK) {
            m_selection->SetSelection(0, 0, FALSE);
            m_selection->InvalidateSelection();
            DocWiring::RefreshAfterEdit(this, 2018);
        }
    }
    SetActiveCommand(0);
    DocWiring::UpdateEffectPalette();
}

void CNyMultiTrackDoc::OnMixTracksToNew()
{
    if (!CheckWholeTracksWarn(IDS_CMD_MIXING))
        return;
    if (!GetViewOption(kCmdViewVolumeEnvelopes))
        SendViewCommand(this, kCmdViewVolumeEnvelopes);
    try {
        ComRef<IMtItemList> items;
        WAVEFORMATEX format{};
        ThrowIfFailed(RenderMixdown(items.Out(), &format, 1));
        GetDocumentHost().DefaultSettings().documentType = m_settings.documentType;
        CNyMultiTrackDoc* target = DocWiring::CreateNewDocument();
        if (!target)
            return;
        ComRef<IEditCommand> transaction = MakeCommand<TransactionCommand>(LoadResourceText(IDS_CMD_MIXING).c_str());
        if (!transaction || !target->GetHistory())
            throw CKvSSException(E_OUTOFMEMORY);
        WORD bits = m_fileInfo.bitsPerSample ? m_fileInfo.bitsPerSample : GetBitsPerSample();
        CommandDocument* into = target;
        Append(transaction.Get(), MakeCommand<ResampleCommand>(nullptr, into, bits, format.nSamplesPerSec).Get());
        Append(transaction.Get(), MakeCommand<InsertFileCommand>(into, 0, 0, items.Get()).Get());
        ThrowIfFailed(target->GetHistory()->Do(transaction.Get(), TRUE));
        CLabelTable& labels = target->GetLabels();
        labels.RemoveAll();
        for (int i = 0, n = target->GetTrackCount(); i < n; ++i) {
            LabelRecord label{};
            if (!labels.GetTrackLabel(i, &label))
                labels.SetTrackLabel(label);
        }
        target->GetSelection()->SetSelection(0, 0, FALSE);
        target->SyncModifiedWithHistory();
        target->UpdateAllViews(nullptr, 0, nullptr);
    } catch (const CKvSSException& e) {
        ShowError(e.m_hr);
    }
}

void CNyMultiTrackDoc::MixDownTrack(int track)
{
    if (IsTransportBusy() || GetTrackExtent(track, 0) < 1)
        return;
    if (!GetViewOption(kCmdViewVolumeEnvelopes)) {
        SendViewCommand(this, kCmdViewVolumeEnvelopes);
        SendViewCommand(this, kCmdViewPanEnvelopes);
    }
    const int mixChannels = m_settings.documentType == 1 ? 6 : 2;
    ViewGeometry* view = GetMultiTrackView();
    int rows = view ? view->GetRowCount() : static_cast<int>(GetTotalChannels());
    if (rows - GetTrackChannels(track) + mixChannels > 6) {
        ShowError(kDocErrNoMoreTracks);
        return;
    }
    ComRef<IEditCommand> transaction = MakeCommand<TransactionCommand>(LoadResourceText(IDS_CMD_MIXING).c_str());
    MarksKeeper marks(this); // the render holds this track alone
    try {
        if (!transaction)
            throw CKvSSException(E_OUTOFMEMORY);
        if (!marks.selection)
            throw CKvSSException(E_NOINTERFACE);
        ComRef<IMtItemList> items;
        WAVEFORMATEX format{};
        marks.selection->SetAllTracks(0);
        marks.selection->SelectTrack(track, 1);
        ThrowIfFailed(RenderMixdown(items.Out(), &format, 0));
        items->ResetItems(0);
        ComRef<IUnknown> item;
        ThrowIfFailed(items->NextItem(item.Out(), nullptr) == S_OK ? S_OK : E_FAIL);
        ReplaceTrackCarrying(this, transaction.Get(), track, format.nChannels, item.Get(), false);
        ThrowIfFailed(m_history->Add(transaction.Get(), TRUE));
    } catch (const CKvSSException& e) {
        ShowError(e.m_hr);
        TakeBackUnlessRecorded(m_history.Get(), transaction.Get());
        return;
    }
    SyncModifiedWithHistory();
    m_selection->SetSelection(0, 0, FALSE);
    m_selection->InvalidateSelection();
    DocWiring::RefreshAfterEdit(this, 0);
    DocWiring::UpdateAnalysisPane(0);
}
