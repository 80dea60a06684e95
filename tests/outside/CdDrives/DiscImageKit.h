// Disc images for the drive tests: a bin of audio tracks (and optionally a data track) with a
// sample pattern that names each sector, its cue sheet, and the registry value that makes
// KgPTP.dll offer it on a letter.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace cdkit {

// The 16-bit sample at a byte pair of an audio sector: distinct for every sector and position.
inline int16_t PatternSample(uint32_t lba, uint32_t pair) { return int16_t((lba * 977u + pair * 31u) & 0xFFFF); }

struct ImageTrack {
    uint32_t sectors = 0;
    bool audio = true;
};

// Writes name.bin and name.cue into folder; returns the cue path. Audio sectors carry the
// pattern of their LBA, data sectors bytes 0xD0.
std::string WriteImage(const std::string& folder, const std::string& name, const std::vector<ImageTrack>& tracks,
                       const char* medium = "CD-ROM");
// A blank disc's sheet.
std::string WriteBlank(const std::string& folder, const std::string& name, const char* medium,
                       const char* capacity = "79:59:74");
// Offers the sheet on a letter (under the program's default root); Forget removes it.
void OfferImage(char letter, const std::string& sheet);
void ForgetImage(char letter);

std::string ReadFileText(const std::string& path);

} // namespace cdkit
