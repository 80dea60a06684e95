#include "FileCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

EffectFileCommand::EffectFileCommand(const char* name, CommandDocument* document, IMtItemList* results,
                                     int32_t mergeMode)
    : RecordedCommand(name), m_document(document), m_results(ComRef<IMtItemList>::Share(results)),
      m_mergeMode(mergeMode)
{
}

HRESULT EffectFileCommand::Do()
{
    return RunGroupEdge(this, [&] {
        m_document->GetOrderedSelection(&m_old.start, &m_old.end);
        m_result = SampleRange{-1, -1};
        if (!m_results || m_results->IsEmpty())
            throw CKvSSException(kErrNothingToDo);
        ThrowIfFailed(m_results->ResetItems(0));
        IMtTrackSet* set = m_document->GetTrackSet();
        if (!set)
            throw CKvSSException(E_POINTER);
        ComRef<IUnknown> item;
        LONG trackId = -1;
        while (m_results->NextItem(item.Out(), &trackId) == S_OK) {
            LONG index = -1;
            ThrowIfFailed(set->TrackIdToIndex(trackId, &index));
            ComRef<IMtTrack> track;
            ThrowIfFailed(set->GetTrack(index, track.Out()));
            SampleRange span = m_old;
            if (span.start == span.end) {
                LONGLONG start = 0, length = 0;
                ThrowIfFailed(track->GetStartOffset(&start));
                ThrowIfFailed(track->GetLength(&length));
                span = SampleRange{start, start + length};
            }
            AddChild(this, NewCommand<MergeFileCommand>(nullptr, m_document, index, span.start, span.end - span.start,
                                                        item.Get(), m_mergeMode));
            int64_t frames = 0;
            try {
                frames = ItemFramesOf(item.Get());
            } catch (const CKvSSException&) {
            }
            if (m_result.start < 0 || m_result.start > span.start)
                m_result.start = span.start;
            if (span.start + frames > m_result.end)
                m_result.end = span.start + frames;
        }
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Do());
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetSelectionRange(m_result.start, m_result.end, FALSE);
        return S_OK;
    });
}

HRESULT EffectFileCommand::Redo()
{
    return RunAtEdge([&] {
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Redo());
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetSelectionRange(m_result.start, m_result.end, FALSE);
        return S_OK;
    });
}

HRESULT EffectFileCommand::Undo()
{
    return RunAtEdge([&] {
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Undo());
        m_document->SetTrackSelected(-1, FALSE);
        m_document->SetSelectionRange(m_old.start, m_old.end, FALSE);
        return S_OK;
    });
}

HRESULT EffectFileCommand::OnLoaded()
{
    ClearRowsAndSelect(m_document, m_result.start, m_result.end);
    return S_OK;
}
