// The first record of every edit journal: a "KSCM" "KDOC" chunk naming the document it
// belongs to, so that the restore dialog can list left-over journals and rebuild them. It
// holds the 500-byte session header (the file the journal's edits apply to, and the format
// of a document never saved) and then the document as it is named now, kept up to date while
// the journal runs: a save under another name that leaves the edits in the journal renames
// the document, not the file they apply to. Take stores open with the same record. Free of
// windows and files: the native sanitizer build fuzzes the readers.
#pragma once
#include <windows.h>

#include "FileInfoRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>

constexpr size_t kJournalHeaderSize = 500;

#pragma pack(push, 1)
// The session header as the restore list reads it.
struct SessionHeader {
    char version[32]; // "5.00"
    char edition[32]; // "J"
    char release[32]; // "R4"
    char title[128];  // shown in the list
    char path[260];   // empty for a document never saved
    uint32_t documentType;
    uint32_t sampleRate;
    uint16_t bitsPerSample;
    uint16_t channels;
    uint32_t splitChannels;
};
#pragma pack(pop)
static_assert(sizeof(SessionHeader) == kJournalHeaderSize, "the session header is 500 bytes");

struct JournalHeaderValues {
    const char* path = "";  // the document's path ("" for a new document)
    const char* title = ""; // the document's title, used when the path is empty
    uint32_t multichannel = 0;
    uint32_t samplesPerSec = 0;
    uint16_t bitsPerSample = 0;
    uint16_t channels = 2; // of the first track
    uint32_t channelSplit = 0;
};

std::array<uint8_t, kJournalHeaderSize> BuildJournalHeader(const JournalHeaderValues& values);

#pragma pack(push, 1)
struct JournalIdentity {
    char tag[4];    // "NAME"
    char path[260]; // empty for a document never saved
    char title[128];
    FileInfoRecord fileInfo; // what a save writes by: file type, format
};
#pragma pack(pop)
static_assert(sizeof(JournalIdentity) == 1136, "the name record is 1136 bytes");
constexpr char kJournalIdentityTag[4] = {'N', 'A', 'M', 'E'};
// Where the name record lies in a journal: after the journal's and the record's chunk
// headers and the session header.
constexpr uint64_t kJournalIdentityOffset = 16 + 16 + kJournalHeaderSize;

JournalIdentity MakeJournalIdentity(const char* path, const char* title, const FileInfoRecord& fileInfo);
// The name record of a "KDOC" chunk's data; false when it has none (an older journal).
bool ReadJournalIdentity(const uint8_t* data, size_t size, JournalIdentity* identity);
// The session header of a "KDOC" chunk's data (zeros past size), each text ended inside its
// field: any writer may have left them unterminated.
SessionHeader ReadSessionHeader(const uint8_t* data, size_t size);
