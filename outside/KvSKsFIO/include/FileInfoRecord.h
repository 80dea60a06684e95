// The 744-byte file information record the file module fills for a file and the program
// keeps with a document. Exchanged byte for byte between the program and the module, so its
// layout never changes; both sides include this one definition.
#pragma once
#include <cstddef>
#include <cstdint>

struct FileInfoRecord {
    uint32_t size;          // 0: 744 once filled by the module
    int32_t fileType;       // 4: 0 flat, 1 chunked, 20 multichannel project; others sound files
    int32_t formatValue;    // 8: the module's sub-format of the type
    int32_t videoValue;     // 12
    uint32_t formatFlags;   // 16: kFileInfo* bits
    int32_t importChannels; // 20: channels an import of the file adds
    int64_t duration;       // 24: in units of 100 ns
    int64_t lengthSamples;  // 32: frames; negative when unknown
    uint32_t samplesPerSec; // 40
    uint16_t bitsPerSample; // 44: 8, 16, 20, 24 or 32
    uint8_t field46[2];
    int32_t writeValue;    // 48: handed to the file module before a sound-file write
    int32_t signedSamples; // 52: the amplitude scale shows signed values when non-zero
    uint8_t field56[4];
    int32_t soundTracks;  // 60: sound tracks in the file; 0 none
    int32_t hasVideo;     // 64
    uint32_t channelMask; // 68: speaker mask of the stored format (0 when none)
    uint16_t validBits;   // 72: significant bits inside the stored sample
    uint8_t field74[14];
    // 88: the stored sound format, WAVEFORMATEX layout without its size word
    uint16_t formatTag;
    uint16_t channels;            // 90
    uint32_t formatSamplesPerSec; // 92
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t formatBitsPerSample; // 102
    uint64_t missingFrames;       // 104: frames the file states beyond its end (a file cut short)
    uint8_t field112[104];
    char formatName[128];  // 216: zero-terminated
    char description[400]; // 344: zero-terminated
};
static_assert(sizeof(FileInfoRecord) == 744, "the file information record is 744 bytes");
static_assert(offsetof(FileInfoRecord, samplesPerSec) == 40 && offsetof(FileInfoRecord, soundTracks) == 60 &&
                  offsetof(FileInfoRecord, formatTag) == 88 && offsetof(FileInfoRecord, formatBitsPerSample) == 102,
              "file information fields sit where the file module writes them");
static_assert(offsetof(FileInfoRecord, duration) == 24 && offsetof(FileInfoRecord, lengthSamples) == 32 &&
                  offsetof(FileInfoRecord, formatName) == 216 && offsetof(FileInfoRecord, description) == 344,
              "the open dialog reads these fields at fixed offsets");
static_assert(offsetof(FileInfoRecord, missingFrames) == 104, "the loader reads the shortfall here");

// FileInfoRecord::formatFlags
constexpr uint32_t kFileInfoExtensible = 1; // the file's format is WAVE_FORMAT_EXTENSIBLE
