// AviStructure: our own walk of an AVI file's RIFF structure, run before anything of the
// file reaches the system's AVI library, DrawDib or a filter graph (they crash or abort on
// files that lie about their sizes). It checks that every RIFF and LIST lies within its
// parent and the file, that "avih", "strh" and "strf" have their sizes and the stream count
// its lists, that rates and scales are not 0, that the sizes of a video frame and a sound
// block make sense, and that every entry of an "idx1" or OpenDML ("indx", "ix##") index
// points at a chunk of its stream inside a "movi" list. What fails throws CKvSSException:
// kErrDamagedRiff for a structure that lies, kErrInvalidFormat for a file that is no AVI,
// kErrNotSupported when no stream of the kind asked for is there.
//
// The walk also hands out where each stream's chunks lie, in stream order, so that the
// sound of an AVI is read without the system's library.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ByteSource;

constexpr uint32_t kAviVideo = 0x73646976; // "vids"
constexpr uint32_t kAviAudio = 0x73647561; // "auds"

// One chunk of a stream's data: where its bytes begin and how many there are.
struct AviChunkRef {
    uint64_t offset = 0;
    uint32_t size = 0;
    bool key = true;
};

struct AviStreamInfo {
    uint32_t type = 0;    // "vids", "auds", ...
    uint32_t handler = 0; // four-character code of the codec
    uint32_t flags = 0;
    uint32_t scale = 0, rate = 0, start = 0, length = 0;
    uint32_t suggestedBuffer = 0, quality = 0, sampleSize = 0;
    int16_t frame[4] = {}; // left, top, right, bottom
    std::vector<uint8_t> format; // the "strf" body (a bitmap header or a wave format)
    bool hasSuperIndex = false;
    std::vector<AviChunkRef> chunks; // in stream order
    uint32_t largestChunk = 0;
    // A video stream's bitmap header fields (0 for other streams).
    int32_t width = 0, height = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
};

struct AviStructure {
    uint64_t fileSize = 0;
    uint32_t microSecPerFrame = 0, totalFrames = 0, width = 0, height = 0, flags = 0;
    uint32_t suggestedBuffer = 0; // of the file ("avih")
    std::vector<AviStreamInfo> streams;
    uint64_t moviOffset = 0; // of the first "movi" list's data (its form type)
    uint64_t moviSize = 0;   // bytes of that list after its form type
    bool hasIdx1 = false;
    bool openDml = false;    // an "indx" lies in the header list
    int riffParts = 0;       // the first RIFF and every "AVIX" after it

    // The first stream of a kind, or null.
    const AviStreamInfo* Find(uint32_t type) const;
};

// Walks the file (on disk or in memory). kind: the stream type the caller needs ("vids" or
// "auds"), 0 for none.
AviStructure ReadAviStructure(const ByteSource& file, uint32_t kind);
// The same for a path; a file that cannot be opened throws kErrCannotOpen.
AviStructure ReadAviStructure(const char* path, uint32_t kind);

// The four-character code as text; bytes of 32 or below become spaces.
std::string FourCCText(uint32_t code);
