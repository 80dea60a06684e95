// CueSheet: the disc images that KgPTP.dll offers as CD drives, read from and written to the
// common cue/bin form. Free of window code so that tests and benches use it directly.
//
// A pressed or burned disc is a cue sheet with FILE ... BINARY, TRACK nn AUDIO | MODE1/2352 |
// MODE2/2352 and INDEX 00/01 lines (times relative to their file, 75 sectors a second), plus
// PREGAP gaps that no file holds. Two REM lines of our own describe the medium:
//   REM MEDIUM CD-ROM | CD-R | CD-RW | DVD-ROM   (absent: CD-ROM with tracks, CD-R without)
//   REM CAPACITY mm:ss:ff | sectors      (absent: 79:59:74)
// A blank disc is such a sheet without tracks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace cdimage {

constexpr uint32_t kRawSectorBytes = 2352;
constexpr uint32_t kSectorsPerSecond = 75;
constexpr uint32_t kLeadInSectors = 150; // the two seconds before LBA 0
constexpr uint32_t kDefaultCapacity = (79 * 60 + 59) * 75 + 74;

// A DVD-ROM holds no CD tracks here: it is the disc a CD writer refuses for its kind.
enum class Medium { CdRom, CdR, CdRw, DvdRom };

struct CueTrack {
    int number = 0;
    bool audio = true;
    uint32_t sectorBytes = kRawSectorBytes; // bytes of one sector in its file
    int file = 0;                           // index into CueDisc::files
    uint32_t index0 = 0;                    // LBA where the pre-gap starts (== index1 without one)
    uint32_t index1 = 0;                    // LBA of the track's start
    uint64_t fileOffset = 0;                // byte offset of index1's sector in its file
    uint32_t gapNotInFile = 0;              // sectors of PREGAP right before index1 that no file holds
    uint32_t end = 0;                       // first LBA after the track
};

struct CueFile {
    std::string path; // as written in the sheet; relative to the sheet's folder
    uint64_t bytes = 0;
};

struct CueDisc {
    Medium medium = Medium::CdR;
    uint32_t capacity = kDefaultCapacity; // sectors from LBA 0 to the last possible lead-out
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;
    uint32_t leadOut = 0; // first LBA after the last track

    bool IsBlank() const { return tracks.empty(); }
    const CueTrack* TrackAt(uint32_t lba) const;
};

// Parses a sheet. fileSize gives the size of a file named in it (relative names already
// joined with the folder); a missing file answers false. Returns false with a reason in
// *error for a sheet that cannot describe a disc (unknown track mode, times out of order, a
// missing file, a track past the capacity).
using FileSizeFn = bool (*)(const std::string& path, uint64_t* bytes, void* context);
bool ParseCueSheet(const std::string& text, const std::string& folder, FileSizeFn fileSize, void* context,
                   CueDisc* disc, std::string* error);

// The sheet of a blank disc of that medium and capacity.
std::string FormatBlankSheet(Medium medium, uint32_t capacity);

// One audio track as burned: its pre-gap start and its start, as LBAs in the one image file.
struct BurnedTrack {
    uint32_t index0 = 0;
    uint32_t index1 = 0;
};
// The sheet of a burned audio disc whose tracks all lie in one BINARY file (binName, beside
// the sheet) that starts at LBA 0.
std::string FormatBurnedSheet(Medium medium, uint32_t capacity, const std::string& binName,
                              const std::vector<BurnedTrack>& tracks);

// "mm:ss:ff" of a sector count; false from ParseMsf for text that is not one.
std::string FormatMsf(uint32_t sectors);
bool ParseMsf(const std::string& text, uint32_t* sectors);

} // namespace cdimage
