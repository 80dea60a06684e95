// PcmCodec: the one conversion between stored sample forms and 32-bit float. The sample
// converter, the engine, the playback renderer, the file module and the equaliser all convert
// through it, so a sample means the same everywhere.
//
//   pcm::Decode(pcm::Form::S16, bytes, samples, floats);
//   pcm::Encode(floats, samples, pcm::Form::S24, bytes);
//   pcm::Requantise(pcm::Form::S24, bytes24, samples, pcm::Form::S16, bytes16);
//
// The rule, with n the valid bits of the form (20 for 20 bits in a 24-bit container):
// - integer to float divides by 2^(n-1);
// - float to integer multiplies by 2^(n-1), rounds to nearest with ties to even, clips to
//   [-2^(n-1), 2^(n-1) - 1] (infinities included) and turns NaN into 0; so every integer
//   sample survives a float round trip unchanged;
// - integer to integer widens exactly and narrows by keeping the high bits (truncation);
// - float to float copies.
// Unsigned 8-bit stores the value plus 128; 20 bits sit in the high 20 bits of a 24-bit
// container whose low 4 bits are zero. Buffers may have any alignment and must not overlap.
// No window or system header: the DSP code and its tests include it alone.
#pragma once
#include <cstddef>
#include <cstdint>

#include <emmintrin.h>

namespace pcm {

enum class Form : uint8_t {
    U8,    // unsigned, 128 = zero
    S8,    // signed
    S16,   // little-endian from here on unless BE
    S20,   // in a 24-bit container
    S24,
    S32,
    F32,   // IEEE single, full scale 1.0
    S16BE,
    S20BE,
    S24BE,
    S32BE,
    F32BE,
};

// Bytes one sample of the form takes.
size_t BytesOf(Form form);
bool IsFloat(Form form);
// Valid bits: 8, 16, 20, 24 or 32.
int BitsOf(Form form);

void Decode(Form from, const void* in, size_t samples, float* out);
void Encode(const float* in, size_t samples, Form to, void* out);
// Between any two forms: integer to integer by the integer rule, otherwise through float.
void Requantise(Form from, const void* in, size_t samples, Form to, void* out);

// ---- one sample at a time, by the same rule ----

// x x 2^(bits-1) rounded and clipped as above, as a signed value (bits 8 .. 32).
inline int32_t Quantise(float x, int bits)
{
    const float scale = bits >= 32 ? 2147483648.0f : float(1 << (bits - 1));
    float v = x * scale;
    v = v == v ? v : 0.0f;
    v = v > -scale ? v : -scale;
    if (bits >= 32 && v >= 2147483648.0f)
        return INT32_MAX;
    v = v < scale - 1 ? v : scale - 1; // exact below 2^24; no float lies between 2^31 - 128 and 2^31
    return _mm_cvtss_si32(_mm_set_ss(v));
}

inline float U8ToFloat(uint8_t x)
{
    return float(int(x) - 128) * (1.0f / 128.0f);
}
inline float S16ToFloat(int16_t x)
{
    return float(x) * (1.0f / 32768.0f);
}
inline uint8_t FloatToU8(float x)
{
    return uint8_t(Quantise(x, 8) + 128);
}
inline int16_t FloatToS16(float x)
{
    return int16_t(Quantise(x, 16));
}

// ---- four samples at a time, for loops that fuse the conversion with their own work ----

// Four floats to 32-bit integers of the given bits by the rule (bits <= 24).
template <int Bits>
inline __m128i Quantise4(__m128 x)
{
    const float scale = float(1 << (Bits - 1));
    __m128 v = _mm_mul_ps(x, _mm_set1_ps(scale));
    v = _mm_and_ps(v, _mm_cmpord_ps(v, v));
    v = _mm_max_ps(v, _mm_set1_ps(-scale));
    v = _mm_min_ps(v, _mm_set1_ps(scale - 1));
    return _mm_cvtps_epi32(v);
}

// Eight 16-bit samples to two vectors of four integer-valued floats (unscaled).
inline void WidenS16(__m128i eight, __m128* low, __m128* high)
{
    *low = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(eight, eight), 16));
    *high = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(eight, eight), 16));
}

// Four unsigned bytes (the low 32 bits of four) to four signed integers, 128 = zero.
inline __m128i WidenU8(int32_t four)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i v = _mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero);
    return _mm_sub_epi32(_mm_unpacklo_epi16(v, zero), _mm_set1_epi32(128));
}

} // namespace pcm
