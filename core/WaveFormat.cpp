#include "WaveFormat.h"

#include <cstring>

const WaveSubFormat kSubFormatPcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const WaveSubFormat kSubFormatFloat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const uint32_t kSpeakerMasks[kSpeakerMaskCount] = {0x1, 0x3, 0x7, 0x13, 0xF, 0x17, 0x1B, 0x33, 0x1F, 0x37, 0x3B, 0x3F};

namespace {
// Every tag-based sub-format shares these bytes 2..15 with the template {00000000-0000-0010-...}.
const WaveSubFormat kSubFormatTemplate = {0x00000000, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

uint16_t BlockAlignOf(uint32_t containerBits, uint32_t channels)
{
    return static_cast<uint16_t>(((containerBits + 7) / 8) * channels);
}
} // namespace

bool operator==(const WaveSubFormat& a, const WaveSubFormat& b)
{
    return std::memcmp(&a, &b, sizeof(WaveSubFormat)) == 0;
}

uint32_t DefaultChannelMask(uint32_t channels)
{
    switch (channels) {
    case 1:
        return 0x1;
    case 2:
        return 0x3;
    case 3:
        return 0x7;
    case 4:
        return 0x33;
    case 5:
        return 0x37;
    case 6:
        return 0x3F;
    case 7:
        return 0x13F;
    case 8:
        return 0x63F;
    default:
        return 0x80000000;
    }
}

void SetDefaultChannelMap(uint8_t map[6])
{
    for (uint8_t i = 0; i < 6; ++i)
        map[i] = i;
}

WaveFormat::WaveFormat()
{
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
}

WaveFormat::WaveFormat(uint32_t rate, uint32_t bits, uint32_t channelCount) : WaveFormat()
{
    if (static_cast<uint16_t>(channelCount) <= 2)
        InitPcm(44100, 16, 2);
    else
        InitExtensiblePcm(44100, 16, 6, 0, 0x3F);
    SetSampleFormat(rate, bits, channelCount);
}

uint32_t WaveFormat::InitPcm(uint32_t rate, uint32_t bits, uint32_t channelCount)
{
    formatTag = kWaveTagPcm;
    channels = static_cast<uint16_t>(channelCount);
    samplesPerSec = rate;
    bitsPerSample = static_cast<uint16_t>(bits);
    blockAlign = BlockAlignOf(bits, channelCount);
    avgBytesPerSec = blockAlign * rate;
    extensionSize = 0;
    return avgBytesPerSec;
}

static uint32_t InitPlainFloat(WaveFormat& f, uint32_t rate, uint32_t channelCount, uint32_t bits)
{
    f.formatTag = kWaveTagFloat;
    f.channels = static_cast<uint16_t>(channelCount);
    f.samplesPerSec = rate;
    f.bitsPerSample = static_cast<uint16_t>(bits);
    f.blockAlign = BlockAlignOf(bits, channelCount);
    f.avgBytesPerSec = f.blockAlign * rate;
    f.extensionSize = 0;
    return f.blockAlign;
}

uint32_t WaveFormat::InitFloat32(uint32_t rate, uint32_t channelCount)
{
    return InitPlainFloat(*this, rate, channelCount, 32);
}

uint32_t WaveFormat::InitFloat64(uint32_t rate, uint32_t channelCount)
{
    return InitPlainFloat(*this, rate, channelCount, 64);
}

static void InitExtensible(WaveFormat& f, uint32_t rate, uint32_t container, uint32_t channelCount, uint32_t validBits,
                           uint32_t mask, const WaveSubFormat& sub)
{
    f.formatTag = kWaveTagExtensible;
    f.channels = static_cast<uint16_t>(channelCount);
    f.samplesPerSec = rate;
    f.bitsPerSample = static_cast<uint16_t>(container);
    f.blockAlign = BlockAlignOf(container, channelCount);
    f.avgBytesPerSec = f.blockAlign * rate;
    f.extensionSize = kWaveExtensionSize;
    f.validBitsPerSample = static_cast<uint16_t>(validBits);
    f.channelMask = mask ? mask : DefaultChannelMask(channelCount);
    f.subFormat = sub;
}

int WaveFormat::InitExtensiblePcm(uint32_t rate, uint32_t bits, uint32_t channelCount, uint32_t validBits,
                                  uint32_t mask)
{
    uint32_t container = bits;
    if (validBits == 0) {
        validBits = bits;
        container = (bits + 7) / 8 * 8;
    } else if (validBits > bits) {
        return 0;
    }
    InitExtensible(*this, rate, container, channelCount, validBits, mask, kSubFormatPcm);
    return 1;
}

int WaveFormat::InitExtensibleFloat(uint32_t rate, uint32_t bits, uint32_t channelCount, uint32_t validBits,
                                    uint32_t mask)
{
    if (validBits == 0)
        validBits = bits;
    else if (validBits > bits)
        return 0;
    InitExtensible(*this, rate, bits, channelCount, validBits, mask, kSubFormatFloat);
    return 1;
}

void WaveFormat::Assign(const WaveFormat& source)
{
    if (this == &source)
        return;
    size_t bytes;
    if (source.formatTag == kWaveTagPcm || source.formatTag == 0)
        bytes = 16;
    else if (source.formatTag == kWaveTagExtensible && source.extensionSize == kWaveExtensionSize)
        bytes = sizeof(WaveFormat);
    else
        bytes = 18;
    std::memcpy(static_cast<void*>(this), &source, bytes);
}

uint32_t WaveFormat::GetSize() const
{
    return formatTag == kWaveTagPcm ? 16u : 18u + extensionSize;
}

bool WaveFormat::HasTagSubFormat() const
{
    return std::memcmp(reinterpret_cast<const uint8_t*>(&subFormat) + 2,
                       reinterpret_cast<const uint8_t*>(&kSubFormatTemplate) + 2, sizeof(WaveSubFormat) - 2) == 0;
}

uint16_t WaveFormat::GetSubFormatTag() const
{
    return HasTagSubFormat() ? static_cast<uint16_t>(subFormat.data1 & 0xFFFF) : 0;
}

uint16_t WaveFormat::GetEffectiveTag() const
{
    return IsExtensible() ? GetSubFormatTag() : formatTag;
}

int WaveFormat::ChangeFormat(uint32_t rate, uint32_t bits, uint32_t channelCount)
{
    const bool bitsGiven = static_cast<uint16_t>(bits) != 0;
    const bool channelsGiven = static_cast<uint16_t>(channelCount) != 0;
    if (rate == 0)
        rate = samplesPerSec;
    if (!bitsGiven)
        bits = bitsPerSample;
    if (!channelsGiven)
        channelCount = channels;

    const uint16_t tag = GetEffectiveTag();
    if (!IsExtensible()) {
        if (tag == kWaveTagPcm) {
            InitPcm(rate, bits, channelCount);
            return 1;
        }
        if (tag == kWaveTagFloat) {
            if (bits == 32)
                InitFloat32(rate, channelCount);
            else if (bits == 64)
                InitFloat64(rate, channelCount);
            else
                return 0;
            return 1;
        }
        return 0;
    }
    const uint32_t valid = bitsGiven ? 0 : validBitsPerSample;
    const uint32_t mask = channelsGiven ? 0 : channelMask;
    if (tag == kWaveTagPcm)
        return InitExtensiblePcm(rate, bits, channelCount, valid, mask);
    if (tag == kWaveTagFloat)
        return InitExtensibleFloat(rate, bits, channelCount, valid, mask);
    return 0;
}

int WaveFormat::SetSampleFormat(uint32_t rate, uint32_t bits, uint32_t channelCount)
{
    // A depth of 0 keeps the current one, as in ChangeFormat (it would otherwise become a
    // 0-bit integer format below).
    if (static_cast<uint16_t>(bits) == 0)
        bits = bitsPerSample;
    if (bits == bitsPerSample) {
        ChangeFormat(rate, bits, channelCount);
        return 1;
    }
    // Plain float holds only 32 and 64 bits: when the new depth cannot be applied in the
    // current kind, apply rate and channels alone so the kind change below keeps them.
    if (!ChangeFormat(rate, bits, channelCount))
        ChangeFormat(rate, 0, channelCount);
    if (bits < 32)
        ToPcm(bits);
    else
        ToFloat(bits);
    return 1;
}

int WaveFormat::ToFloat(uint32_t bits)
{
    if (IsFloat())
        return ChangeFormat(0, bits, 0);
    if (!IsPcm())
        return 0;
    if (IsExtensible())
        return InitExtensibleFloat(samplesPerSec, bits, channels, 0, channelMask);
    if (bits == 32)
        InitFloat32(samplesPerSec, channels);
    else if (bits == 64)
        InitFloat64(samplesPerSec, channels);
    return 1;
}

int WaveFormat::ToPcm(uint32_t bits)
{
    if (IsPcm())
        return ChangeFormat(0, bits, 0);
    if (!IsFloat())
        return 0;
    if (IsExtensible())
        return InitExtensiblePcm(samplesPerSec, bits, channels, 0, channelMask);
    InitPcm(samplesPerSec, bits, channels);
    return 1;
}
