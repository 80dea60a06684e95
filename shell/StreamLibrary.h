// The stream library KVSSTRM at start-up and exit, and the AIFF channel tables it is given.
#pragma once
#include <windows.h>

#include <cstdint>

// The 72-byte table of channel count n (3 to 6): n, identity order, n, identity order.
void BuildAiffChannelTable(int channels, uint8_t table[72]);
// Gives the AIFF reader and writer their tables for 3 to 6 channels; nothing is reported.
void SetAiffChannelTables();
// Loads the library beside the program, opens its key under the program's settings,
// starts it and sets the AIFF tables. Nothing is checked: without the library, nothing runs.
void StartStreamLibraryModule(HINSTANCE instance);
void StopStreamLibrary();
