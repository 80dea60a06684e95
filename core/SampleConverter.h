// SampleConverter: converts interleaved samples of one WaveFormat into another, between
// 8-bit unsigned (128 = zero), 16-bit, 20-bit (24-bit container, low 4 bits zero), 24-bit
// signed integer and 32-bit float (full scale 1.0). The pair of routines is chosen when a
// format is set; each block then runs a tight loop over channels x frames samples.
//
//   SampleConverter conv;
//   conv.SetSourceFormat(&src);       // formats are borrowed: keep them alive
//   conv.SetDestinationFormat(&dst);
//   conv.Convert(in, frames, out);    // channel count taken from the source format
//
// The routines are the sample codec's (PcmCodec.h), whose rule they follow: integer n bits ->
// float divides by 2^(n-1); float -> integer multiplies by 2^(n-1), rounds to nearest (ties to
// even), clips to the integer range and turns NaN into 0 (FloatToSample); integer narrowing
// keeps the high bits.
#pragma once
#include <cstddef>
#include <cstdint>

class WaveFormat;

class SampleConverter {
public:
    using InPlaceRoutine = void (*)(const SampleConverter& conv, void* buffer, size_t frames);
    using CopyRoutine = void (*)(const SampleConverter& conv, const void* source, size_t frames, void* destination);

    // Store the (borrowed) format and choose the routines once both are set. A pair of
    // depths outside 8, 16, 20, 24 and 32 clears the choice.
    void SetSourceFormat(const WaveFormat* format);
    void SetDestinationFormat(const WaveFormat* format);

    // Converts frames from source into destination; writes nothing when no pair is chosen.
    void Convert(const void* source, size_t frames, void* destination) const;
    // Converts inside one buffer large enough for the wider form; false (nothing done) when
    // the pair has no in-place routine (equal depths or none chosen).
    bool ConvertInPlace(void* buffer, size_t frames) const;

    // Depth the selection sees: bits per sample, except 20 for extensible integer PCM with a
    // 24-bit container and 20 valid bits.
    static uint32_t EffectiveBits(const WaveFormat& format);

    // One sample by the float -> integer rule every such routine follows: the signed value for
    // 16 and 24 bits, the 24-bit container's value for 20 bits (rounded at 20 bits, low 4 bits
    // clear), the stored byte (128 = zero) for 8 bits; 0 for other depths.
    static int32_t FloatToSample(float x, uint32_t bits);

    const WaveFormat* m_source = nullptr;
    const WaveFormat* m_destination = nullptr;
    InPlaceRoutine m_inPlace = nullptr;
    CopyRoutine m_copy = nullptr;

private:
    void Select();
};
