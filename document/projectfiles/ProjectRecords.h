// The stored records of the three project formats, byte for byte: the flat file's header
// and track header, the chunked file's version-2 records and the multichannel file's
// version-4 records. All little-endian; their layouts never change.
#pragma once
#include "TaggedInterface.h"

#include <cstddef>
#include <cstdint>

// Chunk ids of the chunked formats.
constexpr InterfaceTag kIdForm = MakeTag("KVSOUND ");
constexpr InterfaceTag kIdFileHead = MakeTag("FILEHEAD");
constexpr InterfaceTag kIdFileInfo = MakeTag("FILEINFO");
constexpr InterfaceTag kIdFileInfo4 = MakeTag("FILEINF4");
constexpr InterfaceTag kIdWorkspace = MakeTag("WRKSPACE");
constexpr InterfaceTag kIdWorkspace4 = MakeTag("WRKSPCE4");
constexpr InterfaceTag kIdCreator = MakeTag("FILECREA");
constexpr InterfaceTag kIdTrackList = MakeTag("MTRACK  ");
constexpr InterfaceTag kIdTrackInfo = MakeTag("TRKINFO ");
constexpr InterfaceTag kIdTrackInfo4 = MakeTag("TRKINFO4");
constexpr InterfaceTag kIdEnvelopes = MakeTag("TRKENVP ");
constexpr InterfaceTag kIdTrackData = MakeTag("TRKDATA ");
constexpr InterfaceTag kIdPeakInfo = MakeTag("PEAKINFO");
constexpr InterfaceTag kIdPeakData = MakeTag("PEAKDATA");
constexpr InterfaceTag kIdMarkers = MakeTag("MARKINFO");
// The five envelopes of a multichannel track, in the envelope set's order.
constexpr InterfaceTag kIdEnvelope[5] = {MakeTag("TRKLVL  "), MakeTag("TRKLRB  "), MakeTag("TRKFRB  "),
                                         MakeTag("TRKCTR  "), MakeTag("TRKLFEL ")};

// The flat file's signature: creator text and version suffix, 16 characters, no end mark.
constexpr const char* kFlatCreator = "Nyle Ver.";
constexpr const char* kFlatSuffixCurrent = " 1.00,I";
constexpr const char* kFlatSuffixOld1 = "-0.01,I";
constexpr const char* kFlatSuffixOld2 = "-0.02,I";
constexpr uint32_t kFlatVersion = 0x510;
constexpr uint32_t kFlatBlockSize = 996;
constexpr uint32_t kFlatHeaderSize = 1308;

#pragma pack(push, 1)
// The 996-byte header block of the flat file: the settings record's carried value fields.
struct FlatHeaderBlock {
    uint32_t size; // 996
    uint32_t timeZoom;
    uint32_t amplitudeZoom;
    uint32_t viewOptions; // bits 0-6
    uint32_t field4, field5, field6, field7;
    uint16_t field8, field9, field10;
    uint8_t field11, field12;
    uint32_t field13, field14;
    uint16_t field15;
    uint8_t zero[946];
};
static_assert(sizeof(FlatHeaderBlock) == 996, "flat header block is 996 bytes");

struct FlatTrackHeader {
    uint32_t size; // 36
    int64_t length;
    int64_t start;
    int32_t volume; // hundredths of a decibel
    int32_t pan;    // -10000..10000
    char mute;      // '1' silenced
    char tag[3];    // "KVS"; "FILLER" over tag and colour in the oldest files
    uint32_t colour;
};
static_assert(sizeof(FlatTrackHeader) == 36, "flat track header is 36 bytes");

struct FileInfo2 {
    uint32_t samplesPerSec;
    uint32_t bitsPerSample;
    uint32_t channels; // stored (mono) tracks
    uint64_t length;
    uint32_t dataBits;
    char description[260];
};
static_assert(sizeof(FileInfo2) == 284, "FILEINFO is 284 bytes");

struct Workspace2 {
    uint32_t timeZoom;
    uint32_t amplitudeZoom;
    uint32_t viewOptions;
    uint32_t valueA, valueB, valueC, valueD;
    uint16_t valueE, valueF, valueG;
    uint8_t zero[10];
    uint16_t valueH;
    uint16_t grouping;
};
static_assert(sizeof(Workspace2) == 48, "WRKSPACE is 48 bytes");

struct TrackInfo2 {
    int32_t group;
    int32_t volume; // x 10000
    int32_t pan;    // x 10000
    char mute, solo, third;
    uint8_t zero1;
    uint32_t serial;
    int64_t length;
    int64_t start;
    uint32_t channels; // 1
    char flag32;
    uint8_t zero2[11];
};
static_assert(sizeof(TrackInfo2) == 52, "TRKINFO is 52 bytes");

struct FileInfo4 {
    uint32_t documentType;
    uint32_t samplesPerSec;
    uint32_t storedBits;
    uint32_t tracks;
    int64_t length;
    uint32_t workingBits;
    char videoPath[260];
};
static_assert(sizeof(FileInfo4) == 288, "FILEINF4 is 288 bytes");

struct Workspace4 {
    uint32_t timeZoom;
    uint32_t amplitudeZoom;
    uint32_t field4, field5, field6;
    uint16_t grouping;
};
static_assert(sizeof(Workspace4) == 22, "WRKSPCE4 is 22 bytes");

struct TrackInfo4 {
    uint32_t channels; // 1, 2 or 6
    int64_t length;
    int64_t start;
    int32_t group;
    uint32_t colour;
    char mute, solo;
    uint8_t zero1;
    char flag32;
    uint32_t speakerMask;
    uint32_t surroundValue;
    char surroundOn;
    uint8_t zero2;
};
static_assert(sizeof(TrackInfo4) == 42, "TRKINFO4 is 42 bytes");

struct StoredEnvelopePoint {
    int64_t step;
    float value;
};
static_assert(sizeof(StoredEnvelopePoint) == 12, "an envelope point is 12 bytes");
#pragma pack(pop)
static_assert(offsetof(TrackInfo4, speakerMask) == 32 && offsetof(Workspace2, valueH) == 44, "stored offsets");
