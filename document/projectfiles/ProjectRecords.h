// The stored records of the three project formats, byte for byte: the flat file's header
// and track header, the chunked file's version-2 records and the multichannel file's
// version-4 records. All little-endian; their layouts never change. Below them, the readers
// that turn a record's bytes into values, free of files and windows.
#pragma once
#include "InterfaceTag.h"
#include "LabelRecord.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// The stored tracks a load takes: the temporary store numbers them in 16 bits from 1.
constexpr int kMaxStoredTracks = 65535;

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

// The record readers. Each reads nothing outside [data, data + size) and answers
// kRecordSound, or the id of the text a load is refused with (ProjectFileIds.h).
constexpr int kRecordSound = 0;
// A flat file naming more stored tracks than a load numbers (refused as kPfErrTooMany).
constexpr int kRecordTooMany = 1;

// "TRK%d" read from an 8-character id; -1 when it does not read so.
int TrackChunkNumber(InterfaceTag id);
// A FILECREA chunk's text: up to its first zero, at most 127 characters.
std::string DecodeCreator(const uint8_t* data, size_t size);
// A TRKINFO or TRKINFO4 chunk's record (bytes past size left zero; a version-4 record's
// speaker mask 0x3F when short of it), checked as a load takes it.
int DecodeTrackInfo2(const uint8_t* data, size_t size, TrackInfo2* info);
int DecodeTrackInfo4(const uint8_t* data, size_t size, TrackInfo4* info);

// A counted chunk: a 32-bit count, then that many records. How many bytes of a chunk of
// chunkSize bytes whose count is count a reader needs: the count and the records it names,
// or only the count when they would run past the chunk (the decoder then refuses it).
uint64_t CountedChunkBytes(uint32_t count, uint64_t chunkSize, size_t recordSize);
// Those bytes of a counted chunk of chunkSize bytes, read from its start by read (which
// answers the bytes it read, fewer at the end of the file).
std::vector<uint8_t> ReadCountedChunk(uint64_t chunkSize, size_t recordSize,
                                      const std::function<size_t(void* buffer, size_t bytes)>& read);
// An envelope chunk (TRKLVL and the others): its points, the first one's value the initial one.
int DecodeEnvelope(const uint8_t* data, size_t size, std::vector<StoredEnvelopePoint>* points);
std::vector<uint8_t> EncodeEnvelope(const std::vector<StoredEnvelopePoint>& points);
// A MARKINFO chunk: its label records as stored.
int DecodeLabels(const uint8_t* data, size_t size, std::vector<LabelRecord>* records);
std::vector<uint8_t> EncodeLabels(const std::vector<LabelRecord>& records);
// count label records laid end to end (the flat file's), refused when size holds fewer.
int DecodeLabelRecords(const uint8_t* data, size_t size, uint32_t count, std::vector<LabelRecord>* records);

// The flat file's fixed header (kFlatHeaderSize bytes in every version).
struct FlatHeader {
    char signature[16];
    FlatHeaderBlock block;
    bool oldest; // "-0.01,I": no length field, 8 more bytes in the block
    uint32_t rate;
    uint32_t bits;
    int64_t length;
    char videoPath[260]; // ends with a zero
    uint32_t markerCount;
    int64_t markerOffset;
    uint32_t trackCount;
};
// The header from the file's first bytes.
int DecodeFlatHeader(const uint8_t* data, size_t size, FlatHeader* header);
// Whether a file of fileSize bytes can hold count tracks: each takes an entry of the offset
// table and a header. kRecordTooMany above the tracks a load numbers.
int CheckFlatTrackCount(uint32_t count, uint64_t fileSize);
// The offset table that follows the header.
int DecodeFlatOffsets(const uint8_t* data, size_t size, uint32_t count, std::vector<int64_t>* offsets);
// A track's header read at offset in a file of fileSize bytes of bits-wide samples; the
// bytes of samples that follow it, all inside the file.
int DecodeFlatTrackHeader(const uint8_t* data, size_t size, int64_t offset, uint64_t fileSize, uint32_t bits,
                          FlatTrackHeader* header, uint64_t* sampleBytes);
// Whether count label records at offset lie inside a file of fileSize bytes.
int CheckFlatLabels(uint32_t count, int64_t offset, uint64_t fileSize);
