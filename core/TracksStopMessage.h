// "NyTracksStop": the registered window message that tells the Edit Markers dialog the
// tracks stopped. The program registers it once at start; the dialog handles the number.
#pragma once
#include <windows.h>

// Registers the message (again harmless) and keeps its number; returns it.
UINT RegisterTracksStopMessage();
// The number kept by RegisterTracksStopMessage; 0 before it ran.
UINT TracksStopMessage();
