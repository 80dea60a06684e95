// Small helpers for filter graphs.
#pragma once
#include <windows.h>
#include <strmif.h>

// The first pin of filter whose direction is dir (PINDIR_INPUT 0, PINDIR_OUTPUT 1), with a
// reference in *pin: S_OK; E_FAIL (null pin) when there is none; the enumeration's failure.
// Pins whose direction cannot be read are skipped.
HRESULT FindPinByDirection(IBaseFilter* filter, PIN_DIRECTION dir, IPin** pin);
