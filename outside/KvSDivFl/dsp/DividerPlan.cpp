#include "DividerPlan.h"

#include <algorithm>
#include <cstdio>

namespace fx {

DividerFormat DividerFormatOf(long id)
{
    switch (id) {
    case 0:
        return DividerFormat::Wav;
    case 2:
        return DividerFormat::Au;
    case 3:
        return DividerFormat::Aiff;
    case 4:
        return DividerFormat::Raw;
    default:
        return DividerFormat::None;
    }
}

const char* DividerExtension(DividerFormat format)
{
    switch (format) {
    case DividerFormat::Wav:
        return ".wav";
    case DividerFormat::Au:
        return ".au";
    case DividerFormat::Aiff:
        return ".aif";
    case DividerFormat::Raw:
        return ".raw";
    default:
        return "";
    }
}

std::string RegionFileName(const std::string& base, int region, DividerFormat format)
{
    char number[16];
    std::snprintf(number, sizeof number, "%04d", region);
    return base + number + DividerExtension(format);
}

uint64_t RegionPlan::FramesLeftIn(int region, int64_t frame, uint64_t wanted) const
{
    if (region < 0 || size_t(region) >= m_cuts.size())
        return wanted; // the last region runs to the end
    const int64_t end = m_cuts[size_t(region)];
    return end <= frame ? 0 : std::min<uint64_t>(wanted, uint64_t(end - frame));
}

std::vector<uint8_t> AuHeader(int bits, bool isFloat, uint32_t rate, uint32_t channels, uint64_t dataBytes)
{
    const uint32_t encoding = isFloat ? 6 : bits == 8 ? 2 : bits == 16 ? 3 : bits == 24 ? 4 : 5;
    const uint32_t size = dataBytes > 0xFFFFFFFEull ? 0xFFFFFFFFu : uint32_t(dataBytes);
    const uint32_t words[6] = {0x2E736E64u, 24, size, encoding, rate, channels}; // ".snd"
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(uint8_t(w >> shift));
    return out;
}

} // namespace fx
