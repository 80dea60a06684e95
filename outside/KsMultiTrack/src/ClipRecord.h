// ClipRecord: the stored form of a clip (one chunk "KMTCLIP ") and its reader, free of files
// and windows so that the native sanitizer build fuzzes it. The chunk holds the clip's header
// (version, format, start, segment count) and then its segments in order: silence, a stretch
// of a data file (named by path and format), or the frames themselves for sound held in
// memory. All little-endian.
#pragma once
#include "SampleFormat.h"

#include <cstdint>
#include <functional>
#include <vector>

constexpr uint32_t kClipVersion = 1;
constexpr size_t kClipPathLength = 260;

enum : uint32_t { kClipSilence = 0, kClipFileStretch = 1, kClipInline = 2 };

#pragma pack(push, 1)
struct StoredClipFormat {
    uint32_t samplesPerSec;
    uint16_t bitsPerSample;
    uint16_t channels;
};
struct ClipHeader {
    uint32_t version;
    StoredClipFormat format;
    uint32_t formatSet;
    int64_t start;
    uint32_t segments;
};
struct SegmentHeader {
    int64_t offset;
    int64_t length;
    uint32_t kind;
    StoredClipFormat format;
};
#pragma pack(pop)
static_assert(sizeof(ClipHeader) == 28 && sizeof(SegmentHeader) == 28, "stored clip records");

// Bits, channels and rate that a clip may carry.
bool IsUsableClipFormat(uint32_t samplesPerSec, uint16_t bitsPerSample, uint16_t channels);

// The bytes of a clip chunk, read in order.
class ClipSource {
public:
    // Bytes left in the chunk.
    virtual uint64_t Left() const = 0;
    // Reads exactly bytes; false when the chunk or the file ends first.
    virtual bool Read(void* data, size_t bytes) = 0;

protected:
    ~ClipSource() = default;
};

// One stored segment, checked against the chunk: its kind, place and length, and for a file
// stretch the two paths (each ending inside its field), for inline sound its frames.
struct StoredSegment {
    SegmentHeader header;
    MtFormat format;
    char paths[2][kClipPathLength];
    std::vector<uint8_t> frames;
};

enum class ClipFault { None, Damaged, Format };

// Reads a clip record: the header, then each segment handed to take in order. Damaged: the
// chunk ends early, states sizes it does not hold, or lengths that are negative or overflow
// (with the start, too); Format: a format a clip may not carry. Whatever take throws passes.
ClipFault ReadClipRecord(ClipSource& source, ClipHeader* header, const std::function<void(StoredSegment&)>& take);
