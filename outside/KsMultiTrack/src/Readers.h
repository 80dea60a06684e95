// The sample reader and the peak reader of a track. Both read a snapshot of the track
// taken when reading starts, so edits meanwhile never tear a read.
#pragma once
#include "KsMultiTrack.h"

class CTrack;

HRESULT CreateTrackReader(CTrack* track, IMtItem** reader);
HRESULT CreateTrackPeakReader(CTrack* track, DWORD samplesPerPoint, IMtPeakReader** reader);
