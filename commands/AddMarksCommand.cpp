#include "MarkCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT AddMarksCommand::Do()
{
    if (!m_document)
        return E_POINTER;
    return RunGroupEdge(this, [&] {
        int64_t start = 0, end = 0;
        m_document->GetOrderedSelection(&start, &end);
        if (!m_document->IsViewIdle()) {
            // While the transport runs the cue goes where playback is heard.
            const int64_t played = m_document->GetPlayPositionNow();
            start = end = played >= 0 ? played : start;
        }
        for (int i = 0; i < m_document->GetTrackCount(); ++i) {
            if (!m_document->IsTrackSelectedAt(i))
                continue;
            int track = m_document->IsAllTracksMode() ? -1 : i;
            AddChild(this, NewCommand<AddMarkCommand>(nullptr, m_document, track, start, end - start, 1));
            if (track == -1)
                break;
        }
        return CommandGroup::Do();
    });
}
