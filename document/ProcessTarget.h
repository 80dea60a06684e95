// Gives back what GetProcessTarget and GetWholeDocumentTarget handed out: each track's
// reference and the locked block that held them; both are cleared.
#pragma once
#include "GlobalMemory.h"
#include "KsMultiTrack.h"

inline void ReleaseProcessTarget(IMtTrack**& tracks, UINT& count)
{
    for (UINT i = 0; tracks && i < count; ++i)
        if (tracks[i])
            tracks[i]->Release();
    if (tracks)
        GlobalUnlockFree(tracks);
    tracks = nullptr;
    count = 0;
}
