#include "ClipCommands.h"

HRESULT MergeClipCommand::Edit(IMtTrack* track, int64_t start, int64_t length)
{
    return m_mergeMode ? track->MergeRange(m_item.Get(), start, length) : track->FillRange(m_item.Get(), start, length);
}
