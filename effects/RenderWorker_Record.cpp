// What a finished job leaves to the main thread: the "Effect" step of an in-place apply, the
// "Mixing" step that puts rendered tracks in place of their old ones, and a new document made
// of a rendered file. Each edit runs through the document's history; a failure undoes what it
// did and is returned.
#include "RenderWorker.h"

#include "CommandDocument.h"
#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "DeleteTrackCommand.h"
#include "FileCommands.h"
#include "ITracksWriterOutput.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "LabelRecord.h"
#include "MarkCommands.h"
#include "OffsetTrackCommand.h"
#include "ResampleCommand.h"
#include "TrackCommands.h"
#include "TransactionCommand.h"

#include <mmreg.h>

#include <cstring>
#include <vector>

namespace {

constexpr UINT kIdsEffect = 21017; // "Effect"
constexpr UINT kIdsMixing = 21034; // "Mixing"

std::string Name(UINT id, const char* fallback)
{
    std::string text = LoadResourceText(id);
    return text.empty() ? fallback : text;
}

// Runs a command and adds it to the transaction (which then holds the only reference).
void DoAndAdd(ICommandList* transaction, IEditCommand* command)
{
    ComRef<IEditCommand> held(command);
    ThrowIfFailed(held->Do());
    ThrowIfFailed(transaction->Add(held.Get()));
}

// The envelopes of a track's set, kinds 0 to 4, copied to another track.
void CopyEnvelopes(IMtTrack* from, IMtTrack* to)
{
    ComRef<IMtEnvelopeSet> source, target;
    if (FAILED(from->QueryInterface(__uuidof(IMtEnvelopeSet), source.OutVoid())) ||
        FAILED(to->QueryInterface(__uuidof(IMtEnvelopeSet), target.OutVoid())))
        return;
    for (LONG kind = 0; kind < kMtEnvelopeKinds; ++kind) {
        ComRef<IMtEnvelope> envelope, copy;
        if (SUCCEEDED(source->GetEnvelope(kind, envelope.Out())) && envelope &&
            SUCCEEDED(envelope->Clone(copy.Out())) && copy)
            target->SetEnvelope(kind, copy.Get());
    }
}

} // namespace

HRESULT CRenderWorker::RecordEffectCommand(IMtItemList* items, int flag)
{
    if (!items || items->IsEmpty())
        return S_FALSE;
    if (!document || !history)
        return E_FAIL;
    ComRef<IEditCommand> command(static_cast<IEditCommand*>(
        NewCommand<EffectFileCommand>(Name(commandNameId, "Effect").c_str(), document, items, flag)));
    if (!command)
        return E_OUTOFMEMORY;
    return history->Do(command.Get(), TRUE);
}

HRESULT CRenderWorker::ReplaceTracksFromFiles(IMtItemList* items)
{
    if (!document || !history || firstSelectedTrack < 0)
        return E_FAIL;
    const int index = firstSelectedTrack;
    ComRef<IEditCommand> transaction(
        static_cast<IEditCommand*>(NewCommand<TransactionCommand>(Name(kIdsMixing, "Mixing").c_str())));
    ComRef<ICommandList> list;
    if (FAILED(transaction->QueryInterface(__uuidof(ICommandList), list.OutVoid())))
        return E_NOINTERFACE;
    try {
        std::vector<LabelRecord> labels;
        document->FindLabelsInRange(index, labels, 0, -1, -1);
        const int64_t start = document->GetTrackExtent(index, -1);
        ComRef<IMtTrack> oldTrack = ComRef<IMtTrack>::Share(document->GetTrack(index));
        if (!oldTrack)
            throw CKvSSException(E_FAIL);

        ThrowIfFailed(items->ResetItems(0));
        ComRef<IUnknown> item;
        HRESULT next = items->NextItem(item.Out(), nullptr);
        if (next != S_OK || !item)
            throw CKvSSException(FAILED(next) ? next : E_FAIL);
        ComRef<IMtItem> data;
        ThrowIfFailed(item->QueryInterface(__uuidof(IMtItem), data.OutVoid()));
        MtFileItemRecord info;
        std::memset(&info, 0, sizeof info);
        ThrowIfFailed(data->GetInfo(&info));

        DoAndAdd(list.Get(), NewCommand<DeleteTrackCommand>(nullptr, document, index));
        DoAndAdd(list.Get(), NewCommand<InsertTrackCommand>(nullptr, document, info.channels, index));
        DoAndAdd(list.Get(), NewCommand<OpenFileCommand>(document, index, 0, 0, item.Get()));
        IMtTrack* newTrack = document->GetTrack(index);
        if (!newTrack)
            throw CKvSSException(E_FAIL);
        CopyEnvelopes(oldTrack.Get(), newTrack);
        const int newId = document->TrackIndexToId(index);
        for (LabelRecord record : labels) {
            const int32_t kind = record.kind & 0xFF;
            if (kind == kLabelTrack) {
                LabelRecord label{};
                if (!document->GetTrackLabel(index, &label))
                    continue;
                std::memcpy(label.name, record.name, sizeof label.name);
                label.name[sizeof label.name - 1] = 0;
                DoAndAdd(list.Get(), NewCommand<ModMarkCommand>(nullptr, document, label));
            } else if (kind == kLabelCue || kind == kLabelSection || kind == kLabelLoop) {
                record.trackId = newId;
                DoAndAdd(list.Get(), NewCommand<AddMarkInfoCommand>(nullptr, document, record));
            }
        }
        DoAndAdd(list.Get(), NewCommand<OffsetTrackCommand>(nullptr, document, index, start));
        ThrowIfFailed(history->Add(transaction.Get(), TRUE));
    } catch (const CKvSSException& e) {
        transaction->Undo();
        return e.m_hr;
    }
    document->SetTrackSelected(-1, FALSE);
    document->SetTrackSelected(index, TRUE);
    return S_OK;
}

HRESULT CRenderWorker::OpenResultAsNewDocument(CommandDocument* target, WORD bitsOverride)
{
    if (!target || !target->GetHistory())
        return E_FAIL;
    try {
        // The file becomes an item of the new document, which then owns it.
        ComRef<IMtItemList> items;
        ThrowIfFailed(MtEngine::CreateItemList(items));
        const WAVEFORMATEX format = AddWrittenFile(items.Get(), -1);
        // A new document's one empty track takes the sound, rather than standing empty
        // above it.
        if (target->GetTrackCount() == 1 && target->GetTrackExtent(0, 0) == 0) {
            if (IMtTrack* first = target->GetTrack(0))
                first->SetChannels(format.nChannels);
            target->SetTrackSelected(0, TRUE);
        }
        const WORD bits = bitsOverride ? bitsOverride : format.wBitsPerSample;

        ComRef<IEditCommand> transaction(
            static_cast<IEditCommand*>(NewCommand<TransactionCommand>(Name(kIdsEffect, "Effect").c_str())));
        ComRef<ICommandList> list;
        ThrowIfFailed(transaction->QueryInterface(__uuidof(ICommandList), list.OutVoid()));
        ComRef<IEditCommand> resample(
            static_cast<IEditCommand*>(NewCommand<ResampleCommand>(nullptr, target, bits, format.nSamplesPerSec)));
        ComRef<IEditCommand> insert(
            static_cast<IEditCommand*>(NewCommand<InsertFileCommand>(target, 0, 0, items.Get())));
        ThrowIfFailed(list->Add(resample.Get()));
        ThrowIfFailed(list->Add(insert.Get()));
        ThrowIfFailed(target->GetHistory()->Do(transaction.Get(), TRUE));
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
    // Only the track labels stay, every one empty.
    for (int id = target->GetLabelCount(-1); id >= 1; --id) {
        LabelRecord record{};
        if (target->FindLabelById(id, &record) && record.id > 0 && (record.kind & 0xFF) != kLabelTrack)
            target->RemoveLabel(record);
    }
    for (int t = 0, n = target->GetTrackCount(); t < n; ++t) {
        LabelRecord label{};
        if (!target->GetTrackLabel(t, &label)) {
            target->SetTrackLabel(label);
        } else if (label.name[0]) {
            label.name[0] = 0;
            target->SetLabelAt(label);
        }
    }
    target->SetSelectionRange(0, 0, TRUE);
    target->SetTrackSelected(-1, TRUE);
    return S_OK;
}
