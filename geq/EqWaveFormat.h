// geq::WaveFormat: the equaliser's own copy of the 40-byte wave format record (integer PCM,
// IEEE float or the extensible form). Plain data, no window headers, so the DSP code and its
// tests can use it directly. The layout matches the system's extensible record. The module
// links nothing of the program, hence a copy rather than core/WaveFormat.h.
#pragma once
#include <cstdint>
#include <cstring>

namespace geq {

struct FormatGuid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

#pragma pack(push, 1)
struct WaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
    // Extensible part, meaningful when formatTag is kTagExtensible and extraSize is 22.
    uint16_t validBits;
    uint32_t channelMask;
    FormatGuid subFormat;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 40, "the wave format record is 40 bytes");

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr uint16_t kExtensibleExtraSize = 22;

// The standard sub-format base: the format tag goes into the first 16 bits.
constexpr FormatGuid kSubFormatBase = {0x00000000, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

inline FormatGuid SubFormatOfTag(uint16_t tag)
{
    FormatGuid g = kSubFormatBase;
    g.data1 = tag;
    return g;
}

// True when the sub-format is the standard one for the given tag.
inline bool IsStandardSubFormat(const FormatGuid& g, uint16_t tag)
{
    return (g.data1 & 0xFFFF) == tag && (g.data1 >> 16) == 0 && g.data2 == kSubFormatBase.data2 &&
           g.data3 == kSubFormatBase.data3 && std::memcmp(g.data4, kSubFormatBase.data4, 8) == 0;
}

inline bool IsPcm(const WaveFormat& f)
{
    return f.formatTag == kTagPcm || (f.formatTag == kTagExtensible && IsStandardSubFormat(f.subFormat, kTagPcm));
}

inline bool IsFloat(const WaveFormat& f)
{
    return f.formatTag == kTagFloat || (f.formatTag == kTagExtensible && IsStandardSubFormat(f.subFormat, kTagFloat));
}

// Bytes copied for the record's tag: 16 for PCM and tag 0, all 40 for the extensible form
// with its 22 extra bytes, else the 16 common bytes and the extra-size field.
inline size_t WaveFormatCopySize(const WaveFormat& f)
{
    if (f.formatTag == kTagPcm || f.formatTag == 0)
        return 16;
    if (f.formatTag == kTagExtensible && f.extraSize == kExtensibleExtraSize)
        return sizeof(WaveFormat);
    return 18;
}

// Copies a format block of `size` bytes into a cleared record, as much as its tag asks for.
inline void CopyWaveFormat(WaveFormat& to, const void* from, size_t size)
{
    to = WaveFormat{};
    if (!from || size < 16)
        return;
    WaveFormat probe{};
    std::memcpy(&probe, from, size < sizeof(probe) ? size : sizeof(probe));
    size_t n = WaveFormatCopySize(probe);
    if (n > size)
        n = size;
    std::memcpy(&to, from, n);
}

} // namespace geq
