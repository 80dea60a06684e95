// AudioFormat: the small sample-format descriptor passed between documents, tracks and
// dialogs, with conversions between time (100-ns units), sample frames and bytes.
// Block align is always derived from bits and channels.
#pragma once
#include <cstdint>

// Bytes one sample of the given depth occupies: up to 8 -> 1, 9..16 -> 2, 17..24 -> 3,
// 25..32 -> 4, above 32 -> 8.
uint32_t BytesPerSample(uint16_t bits);

class AudioFormat {
public:
    AudioFormat() = default;

    // Stores rate, bits and channels and derives block align; returns the object.
    AudioFormat& Set(uint32_t samplesPerSec, uint32_t bitsPerSample, uint32_t channels);
    // As Set; returns 1.
    int SetFormat(uint32_t samplesPerSec, uint32_t bitsPerSample, uint32_t channels);

    // Frames covered by a time in 100-ns units (double precision, truncated toward zero).
    int64_t TimeToFrames(int64_t time100ns) const;
    // Time in 100-ns units of a frame count (integer, truncated toward zero); 0 at rate 0.
    int64_t FramesToTime(int64_t frames) const;
    // Whole frames in a byte count; 0 when block align is 0.
    uint32_t BytesToFrames(uint32_t bytes) const;
    int64_t BytesToFrames64(int64_t bytes) const;
    uint32_t FramesToBytes(uint32_t frames) const;
    int64_t FramesToBytes64(int64_t frames) const;

    uint32_t samplesPerSec = 44100;
    uint32_t bitsPerSample = 16;
    uint32_t blockAlign = 2; // bytes of one frame over all channels
    uint32_t channels = 1;
};

static_assert(sizeof(AudioFormat) == 16, "AudioFormat is four 32-bit fields");
