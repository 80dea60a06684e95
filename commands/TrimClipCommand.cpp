#include "ClipCommands.h"

HRESULT TrimClipCommand::Edit(IMtTrack* track, int64_t start, int64_t length)
{
    return track->TrimToRange(start, length);
}
