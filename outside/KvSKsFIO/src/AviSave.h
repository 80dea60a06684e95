// Saving the engine's mix with the document's video as an AVI file (file type 5).
#pragma once
#include "FileInfoRecord.h"
#include "KsMultiTrack.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Throws CKvSSException: 0x83E8044F without a video, kErrCancelled when the user declines the
// OpenDML form a file past partLimit bytes needs.
void WriteAviFile(HWND owner, const char* path, const std::string& videoPath, IMtTrackSet* engine, LONG channelLimit,
                  FileInfoRecord* record, uint64_t partLimit = 1ull << 31);
