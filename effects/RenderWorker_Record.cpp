// What a finished job leaves to the main thread: the "Effect" step of an in-place apply and the
// "Mixing" step that puts rendered tracks in place of their old ones. Each edit runs through the document's history; a failure undoes what it
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
#include "TrackCommands.h"
#include "TransactionCommand.h"

#include <mmreg.h>

#include <cstring>
#include <vector>

namespace {

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
    return RecordEffectFiles(document, history, items, Name(commandNameId, "Effect").c_str(), flag);
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
        // The old track's labels go with it: copies of them come back on the new track below,
        // and left in place they stayed twice in the table, once on no track.
        for (const LabelRecord& record : labels)
            DoAndAdd(list.Get(), NewCommand<DelMarkCommand>(nullptr, document, record.id));
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
                record.id = 0;
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
