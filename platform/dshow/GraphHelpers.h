// Small helpers for filter graphs.
#pragma once
#include <windows.h>
#include <strmif.h>

// The first pin of filter whose direction is dir (PINDIR_INPUT 0, PINDIR_OUTPUT 1), with a
// reference in *pin: S_OK; E_FAIL (null pin) when there is none; the enumeration's failure.
// Pins whose direction cannot be read are skipped.
HRESULT FindPinByDirection(IBaseFilter* filter, PIN_DIRECTION dir, IPin** pin);

// Stops every filter of the graph itself. After a Run that failed (a filter refused to pause),
// the graph counts as stopped and its Stop does nothing, while the filters that did start
// stay paused or streaming: a later run is refused and a wait for them to stop never ends.
void StopEveryFilter(IFilterGraph* graph);
