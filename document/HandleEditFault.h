// The handle apply's render of one track can be made to fail: a healthy engine never fails
// its graph, so tests stand this in to see what a failing or cancelled render leaves behind.
#pragma once
#include <windows.h>

// Every track's render ends with the code (after its envelopes were swapped, as a graph that
// fails would); S_OK puts the tracks reader and writer back.
void SetHandleRenderFailure(HRESULT code);
