// WaveFormat: a 40-byte wave format record in the platform's extensible layout
// (little-endian; a plain format uses the first 16 or 18 bytes), for integer PCM,
// IEEE float and the extensible form. It can be handed wherever the platform expects a
// WAVEFORMATEX or WAVEFORMATEXTENSIBLE (reinterpret_cast; the layout is checked below).
// Methods answer 1 for success and 0 when the change is not possible (format unchanged).
#pragma once
#include <cstdint>
#include <cstddef>

constexpr uint16_t kWaveTagPcm = 1;
constexpr uint16_t kWaveTagFloat = 3;
constexpr uint16_t kWaveTagExtensible = 0xFFFE;
constexpr uint16_t kWaveExtensionSize = 22; // bytes after the 18-byte head in the extensible form

// A GUID laid out as the platform lays it out (16 bytes, 4-byte aligned).
struct WaveSubFormat {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
bool operator==(const WaveSubFormat& a, const WaveSubFormat& b);
inline bool operator!=(const WaveSubFormat& a, const WaveSubFormat& b)
{
    return !(a == b);
}

extern const WaveSubFormat kSubFormatPcm;   // {00000001-0000-0010-8000-00AA00389B71}
extern const WaveSubFormat kSubFormatFloat; // {00000003-0000-0010-8000-00AA00389B71}

// Channel mask of the usual speaker layout for a channel count; 0x80000000 for counts
// without one (0, 9 and above).
uint32_t DefaultChannelMask(uint32_t channels);

// The twelve speaker masks the multichannel settings offer, by index.
constexpr size_t kSpeakerMaskCount = 12;
extern const uint32_t kSpeakerMasks[kSpeakerMaskCount];

// Copies the default channel order 0..5 into a 6-byte channel map.
void SetDefaultChannelMap(uint8_t map[6]);

class WaveFormat {
public:
    // All 40 bytes zero.
    WaveFormat();
    // Plain 16-bit stereo PCM (or six-channel extensible PCM when channels > 2) at 44100 Hz,
    // then SetSampleFormat(rate, bits, channels).
    WaveFormat(uint32_t rate, uint32_t bits, uint32_t channels);

    // Plain integer PCM; returns the average bytes per second.
    uint32_t InitPcm(uint32_t rate, uint32_t bits, uint32_t channels);
    // Plain IEEE float of 32 or 64 bits; return the block align.
    uint32_t InitFloat32(uint32_t rate, uint32_t channels);
    uint32_t InitFloat64(uint32_t rate, uint32_t channels);
    // Extensible integer PCM. validBits 0: same as bits, container rounded up to a multiple
    // of 8 (20 bits travel in 24). Given validBits must not exceed bits (else 0). mask 0:
    // DefaultChannelMask(channels).
    int InitExtensiblePcm(uint32_t rate, uint32_t bits, uint32_t channels, uint32_t validBits, uint32_t mask);
    // Extensible IEEE float; the container is never rounded.
    int InitExtensibleFloat(uint32_t rate, uint32_t bits, uint32_t channels, uint32_t validBits, uint32_t mask);

    // Copies as much of source as its tag says it holds (16, 18 + extension or 40 bytes).
    void Assign(const WaveFormat& source);
    // Bytes the record occupies: 16 for plain PCM, else 18 + extension size.
    uint32_t GetSize() const;

    bool HasTagSubFormat() const;
    // Tag of a tag-based sub-format (its first 16 bits); 0 otherwise.
    uint16_t GetSubFormatTag() const;
    // The format tag, or the sub-format's tag for the extensible form.
    uint16_t GetEffectiveTag() const;
    bool IsExtensible() const { return formatTag == kWaveTagExtensible; }
    bool IsPcm() const { return GetEffectiveTag() == kWaveTagPcm; }
    bool IsFloat() const { return GetEffectiveTag() == kWaveTagFloat; }
    bool IsPcmOrFloat() const { return IsPcm() || IsFloat(); }

    // Changes rate, bits and channels (0 keeps the current value) keeping the sample kind and
    // the form; 1 when changed, 0 when not possible.
    int ChangeFormat(uint32_t rate, uint32_t bits, uint32_t channels);
    // ChangeFormat, then integer for fewer than 32 bits, float for 32 and more; returns 1.
    // Rate and channels are applied whatever the kind change; bits 0 keeps the depth.
    int SetSampleFormat(uint32_t rate, uint32_t bits, uint32_t channels);
    // To float / integer samples of the given depth; 0 when neither PCM nor float.
    int ToFloat(uint32_t bits);
    int ToPcm(uint32_t bits);

    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample; // container size
    uint16_t extensionSize;
    uint16_t validBitsPerSample; // extensible only
    uint32_t channelMask;        // extensible only
    WaveSubFormat subFormat;     // extensible only
};

static_assert(sizeof(WaveSubFormat) == 16, "GUID layout");
static_assert(sizeof(WaveFormat) == 40, "WaveFormat is the 40-byte extensible layout");
static_assert(offsetof(WaveFormat, formatTag) == 0 && offsetof(WaveFormat, channels) == 2 &&
                  offsetof(WaveFormat, samplesPerSec) == 4 && offsetof(WaveFormat, avgBytesPerSec) == 8 &&
                  offsetof(WaveFormat, blockAlign) == 12 && offsetof(WaveFormat, bitsPerSample) == 14 &&
                  offsetof(WaveFormat, extensionSize) == 16 && offsetof(WaveFormat, validBitsPerSample) == 18 &&
                  offsetof(WaveFormat, channelMask) == 20 && offsetof(WaveFormat, subFormat) == 24,
              "WaveFormat field offsets");
