// Stand-ins for tests of the handle modes: the apply's render of one track can be made to fail
// (a healthy engine never fails its graph), and the preview can play into a renderer of the
// test's own (the test machines have no playback device).
#pragma once
#include <windows.h>
#include <strmif.h>

// Every track's render ends with the code (after its envelopes were swapped, as a graph that
// fails would); S_OK puts the tracks reader and writer back.
void SetHandleRenderFailure(HRESULT code);

// The preview's renderer comes from make (one reference handed out); null puts the configured
// audio renderer back.
void SetPreviewRendererFactory(HRESULT (*make)(IBaseFilter** renderer));
