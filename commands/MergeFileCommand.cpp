#include "FileCommands.h"

#include "ClipCommands.h"
#include "CommandSupport.h"
#include "EnvelopeCommands.h"
#include "OperationEdge.h"

MergeFileCommand::MergeFileCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start,
                                   int64_t length, IUnknown* item, int32_t mergeMode)
    : CommandGroup(name), m_document(document), m_item(ComRef<IUnknown>::Share(item)), m_range{start, start + length},
      m_trackIndex(trackIndex), m_mergeMode(mergeMode)
{
}

HRESULT MergeFileCommand::Do()
{
    return RunGroupEdge(this, [&] {
        int64_t length = m_range.end - m_range.start;
        AddChild(this, NewCommand<MergeClipCommand>(nullptr, m_document, m_trackIndex, m_range.start, length,
                                                    m_item.Get(), m_mergeMode));
        int64_t gap = ItemFramesOf(m_item.Get());
        int64_t cutEnd = m_range.end;
        if (m_mergeMode) {
            int64_t trackStart = 0, trackEnd = 0;
            m_document->GetTrackSpan(m_trackIndex, &trackStart, &trackEnd);
            cutEnd = std::min(cutEnd, trackEnd);
            gap = cutEnd - m_range.start;
        }
        // A span wholly past the track's end leaves nothing to move.
        gap = std::max<int64_t>(gap, 0);
        int64_t cut = std::max<int64_t>(cutEnd - m_range.start, 0);
        AddChild(this, NewCommand<InsertEnvelopeRangeCommand>(nullptr, m_document, m_trackIndex, m_range.start, gap));
        if (cut != 0)
            AddChild(this,
                     NewCommand<DeleteEnvelopeRangeCommand>(nullptr, m_document, m_trackIndex, m_range.start, cut));
        return ThrowIfFailed(CommandGroup::Do());
    });
}
