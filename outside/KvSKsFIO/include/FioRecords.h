// The plain records the file module hands out and the sound-file readers fill: marker
// records, the loop block and information entries. No window or COM header, so parsers that
// fill them build anywhere.
#pragma once
#include <cstddef>
#include <cstdint>

// A marker record: the 284-byte label record (kind 1 cue point, 2 section, 4 loop).
#pragma pack(push, 4)
struct FioMarkerRecord {
    int32_t id;
    int32_t kind;
    int32_t trackId; // -1 all tracks
    int64_t start;
    int64_t end; // equal to start for a cue point
    char name[256];
};
#pragma pack(pop)
static_assert(sizeof(FioMarkerRecord) == 284, "a marker record is 284 bytes");

// The loop block: the body of a sampler chunk with its first loop, fifteen 32-bit words.
struct FioLoopBlock {
    uint32_t manufacturer, product, samplePeriod, unityNote, pitchFraction, smpteFormat, smpteOffset;
    uint32_t loopCount; // 7: non-zero when the loop below is set
    uint32_t samplerData;
    uint32_t cueId, type;
    uint32_t start, end; // 11, 12
    uint32_t fraction, playCount;
};
static_assert(sizeof(FioLoopBlock) == 60, "a loop block is 60 bytes");

// One text entry of a file's information list (LIST INFO items and DISP): a four-character
// id (first character in the low byte) and zero-terminated text.
struct FioInfoEntry {
    uint32_t id;
    char text[1024];
};
static_assert(sizeof(FioInfoEntry) == 1028, "an information entry is 1028 bytes");
constexpr size_t kFioMaxInfoEntries = 24;
