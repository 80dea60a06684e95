// What the file divider writes where, free of DirectShow and windows: the formats, the names of
// the region files, the regions of a stream from its cuts, and the AU header.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace fx {

enum class DividerFormat { Wav, Au, Aiff, Raw, None };

// The program's format id: 0 WAV, 2 AU, 3 AIFF, 4 raw are written; any other id is None.
DividerFormat DividerFormatOf(long id);
const char* DividerExtension(DividerFormat format);

// base + the region number (from 1) in four digits + extension: "Sound_0001.wav".
std::string RegionFileName(const std::string& base, int region, DividerFormat format);

// The regions of a stream: region r (from 0) ends at the r-th cut above 0, the last at the end.
class RegionPlan {
public:
    explicit RegionPlan(const std::set<int64_t>& cuts = {}) : m_cuts(cuts.begin(), cuts.end()) {}
    // Frames from frame on that still belong to region (at most wanted).
    uint64_t FramesLeftIn(int region, int64_t frame, uint64_t wanted) const;

private:
    std::vector<int64_t> m_cuts; // ascending
};

// The 24-byte header of an AU file (big-endian): encoding 2 (8-bit), 3 (16), 4 (24), 5 (32-bit
// linear) or 6 (32-bit float); data bytes 0xFFFFFFFF when unknown or past 32 bits.
std::vector<uint8_t> AuHeader(int bits, bool isFloat, uint32_t rate, uint32_t channels, uint64_t dataBytes);

} // namespace fx
