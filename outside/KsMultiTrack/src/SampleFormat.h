// Sample storage of the engine and conversions between its widths.
// Bits 8 -> unsigned byte, 16 -> signed 16-bit, everything else -> 32-bit float (full scale 1.0).
#pragma once
#include <windows.h>

#include "PcmCodec.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

struct MtFormat {
    DWORD rate = 44100;
    WORD bits = 16;
    WORD channels = 1;
};

enum class SampleKind { U8, S16, F32 };

inline SampleKind KindOfBits(WORD bits)
{
    return bits == 8 ? SampleKind::U8 : bits == 16 ? SampleKind::S16 : SampleKind::F32;
}
inline int BytesPerSample(WORD bits)
{
    return bits == 8 ? 1 : bits == 16 ? 2 : 4;
}
inline int FrameBytes(const MtFormat& f)
{
    return BytesPerSample(f.bits) * f.channels;
}
// Bytes of one frame in the nominal format of the bits (3 bytes for 20 and 24 bits), the
// format that callers derive a block align from.
inline int NominalFrameBytes(const MtFormat& f)
{
    return (f.bits + 7) / 8 * f.channels;
}
inline bool IsValidBits(WORD bits)
{
    return bits == 8 || bits == 16 || bits == 20 || bits == 24 || bits == 32;
}

// Samples convert by the sample codec's one rule (PcmCodec.h).
using pcm::FloatToS16;
using pcm::FloatToU8;
using pcm::S16ToFloat;
using pcm::U8ToFloat;

inline pcm::Form FormOf(SampleKind k)
{
    return k == SampleKind::U8 ? pcm::Form::U8 : k == SampleKind::S16 ? pcm::Form::S16 : pcm::Form::F32;
}

// Reads one sample of the given kind as float.
inline float LoadFloat(const uint8_t* p, SampleKind k)
{
    switch (k) {
    case SampleKind::U8:
        return U8ToFloat(*p);
    case SampleKind::S16: {
        int16_t v;
        memcpy(&v, p, 2);
        return S16ToFloat(v);
    }
    default: {
        float v;
        memcpy(&v, p, 4);
        return v;
    }
    }
}

// Copies one sample between kinds; integer widths convert exactly between each other.
inline void ConvertSample(const uint8_t* src, SampleKind from, uint8_t* dst, SampleKind to)
{
    if (from == to) {
        memcpy(dst, src, from == SampleKind::U8 ? 1 : from == SampleKind::S16 ? 2 : 4);
        return;
    }
    if (from == SampleKind::F32 && to == SampleKind::S16) { // the common one, inline
        float v;
        memcpy(&v, src, 4);
        const int16_t s = FloatToS16(v);
        memcpy(dst, &s, 2);
        return;
    }
    pcm::Requantise(FormOf(from), src, 1, FormOf(to), dst);
}

// Converts samples between kinds (a block of ConvertSample).
inline void ConvertSamples(const uint8_t* src, SampleKind from, uint8_t* dst, SampleKind to, size_t samples)
{
    pcm::Requantise(FormOf(from), src, samples, FormOf(to), dst);
}

// Silence in a kind: 128 for bytes, zero otherwise.
inline void FillSilence(uint8_t* dst, size_t samples, SampleKind k)
{
    if (k == SampleKind::U8)
        memset(dst, 128, samples);
    else
        memset(dst, 0, samples * (k == SampleKind::S16 ? 2 : 4));
}

// Peak value of one sample in 16-bit units, the engine's one inner unit of peaks whatever
// the width of the item.
inline LONG PeakValue(const uint8_t* p, SampleKind k)
{
    switch (k) {
    case SampleKind::U8:
        return (static_cast<LONG>(*p) - 128) * 256;
    case SampleKind::S16: {
        int16_t v;
        memcpy(&v, p, 2);
        return v;
    }
    default: {
        float v;
        memcpy(&v, p, 4);
        if (std::isnan(v))
            return 0;
        if (v > 1.0f)
            return 32767;
        if (v < -1.0f)
            return -32768;
        return static_cast<LONG>(v * 32767.0f);
    }
    }
}

// Peaks leave the engine in the document's sample units (full scale 2^(bits - 1), 32 bits
// counted as 16), and peak files hold the units of the item's bits.
inline LONG PeakToDocument(LONG v, WORD bits)
{
    switch (bits) {
    case 8:
        return static_cast<LONG>(std::floor(v / 256.0));
    case 20:
        return v * 16;
    case 24:
        return v * 256;
    default:
        return v;
    }
}

inline LONG PeakFromDocument(LONG v, WORD bits)
{
    double inner = v;
    switch (bits) {
    case 8:
        inner = v * 256.0;
        break;
    case 20:
        inner = std::floor(v / 16.0);
        break;
    case 24:
        inner = std::floor(v / 256.0);
        break;
    default:
        break;
    }
    return static_cast<LONG>(std::max(-32768.0, std::min(32767.0, inner)));
}
