// The fixed records of a multitrack document: its settings record (also the program-wide
// defaults that every new document copies) and the file information record the file module
// fills. Both are stored and exchanged byte for byte, so their layouts never change.
#pragma once
#include <cstdint>

#include "FileInfoRecord.h" // shared with the file module

#pragma pack(push, 2)
struct DocumentSettings {
    uint32_t size;          // 1014
    uint32_t timeZoom;      // the view's time zoom (low 32 bits)
    uint32_t amplitudeZoom; // 1..16
    uint32_t viewOptions;   // kViewOption* bits
    uint32_t rulerUnit;     // 0x80101 by default
    double frameRate;       // frames per second of the frame unit
    uint32_t samplesPerSec;
    uint16_t bitsPerSample;  // 8, 16 or 32 (20 and 24 are held as 32)
    uint16_t validBits;      // 20 or 24 when the bits above stand for them, else 0
    uint32_t documentType;   // 0 standard (tracks of up to 2 channels), 1 multichannel
    uint16_t recordChannels; // 1 or 2
    uint16_t peakIndicate;   // 0 or 1
    uint8_t previewLength;   // 1..10
    uint8_t carried1;        // the next three are carried by the project files as they stand
    uint32_t carried2;
    uint32_t carried3;
    uint16_t waveShowMode; // 0 or 1
    uint16_t dataChannels; // channels of a new track: 1, 2 or 6
    uint8_t space[944];
    uint32_t readAutomation; // zero in a document's own copy: the engine gets the program's
    uint32_t writeAutomation;
    uint32_t mouseEdit;
};
#pragma pack(pop)
static_assert(sizeof(DocumentSettings) == 1014, "the settings record is 1014 bytes");
static_assert(offsetof(DocumentSettings, frameRate) == 20 && offsetof(DocumentSettings, documentType) == 36 &&
                  offsetof(DocumentSettings, waveShowMode) == 54 && offsetof(DocumentSettings, readAutomation) == 1002,
              "settings record fields sit where the project files expect them");

// View option bits of DocumentSettings::viewOptions.
constexpr uint32_t kViewOptionSpectrum = 1u << 0;   // command 1018
constexpr uint32_t kViewOptionMarkers = 1u << 1;    // command 1014
constexpr uint32_t kViewOptionTimeRuler = 1u << 2;  // command 1010
constexpr uint32_t kViewOption1016 = 1u << 3;       // command 1016
constexpr uint32_t kViewOptionHeader = 1u << 4;     // command 1011
constexpr uint32_t kViewOptionVideoTrack = 1u << 5; // command 1017
constexpr uint32_t kViewOptionVolumeEnv = 1u << 7;  // command 1023, program-wide record only
constexpr uint32_t kViewOptionPanEnv = 1u << 8;     // command 1115, program-wide record only
// Bits a document's own copy never carries.
constexpr uint32_t kViewOptionProgramWide = (1u << 7) | (1u << 8) | (1u << 9);

// The program-wide default record read from section "Settings" (each value checked as the
// document expects it); the view-option bits are the new document's display defaults.
DocumentSettings ReadDefaultDocumentSettings();
