// What a finished render leaves to the main thread, whichever worker ran it: the written files
// recorded as one step of the document's history, or a new document made of a rendered file.
// Each edit runs through a history; a failure undoes what it did and is returned.
#include "GraphWorker.h"

#include "CommandDocument.h"
#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "FileCommands.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "LabelRecord.h"
#include "MarkCommands.h"
#include "ResampleCommand.h"
#include "TransactionCommand.h"

#include <mmreg.h>

namespace {

constexpr UINT kIdsEffect = 21017; // "Effect"

std::string Name(UINT id, const char* fallback)
{
    std::string text = LoadResourceText(id);
    return text.empty() ? fallback : text;
}

} // namespace

HRESULT RecordEffectFiles(CommandDocument* document, ICommandHistory* history, IMtItemList* items, const char* name,
                          int flag)
{
    if (!items || items->IsEmpty())
        return S_FALSE;
    if (!document || !history)
        return E_FAIL;
    ComRef<IEditCommand> command(
        static_cast<IEditCommand*>(NewCommand<EffectFileCommand>(name, document, items, flag)));
    if (!command)
        return E_OUTOFMEMORY;
    return history->Do(command.Get(), TRUE);
}

HRESULT CGraphWorker::OpenResultAsNewDocument(CommandDocument* target, WORD bitsOverride)
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
