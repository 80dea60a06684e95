// The first record of every edit journal: a "KSCM" "KDOC" chunk of 500 bytes naming the
// document it belongs to, so that the restore dialog can list left-over journals.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>

constexpr size_t kJournalHeaderSize = 500;

struct JournalHeaderValues {
    const char* path = "";  // the document's path ("" for a new document)
    const char* title = ""; // the document's title, used when the path is empty
    uint32_t multichannel = 0;
    uint32_t samplesPerSec = 0;
    uint16_t bitsPerSample = 0;
    uint16_t recordChannels = 2;
    uint32_t channelSplit = 0;
};

std::array<uint8_t, kJournalHeaderSize> BuildJournalHeader(const JournalHeaderValues& values);
