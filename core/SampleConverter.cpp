#include "SampleConverter.h"

#include "WaveFormat.h"

#include <cstring>

#include <emmintrin.h>

// Each kernel converts n samples from s to d (never overlapping). Samples are read and
// written through bytes or unaligned little-endian words, so any buffer alignment works and
// the compiler can vectorise the loops; the float sources go through unaligned SSE2 loads.
namespace {

using Byte = uint8_t;

inline int16_t Load16(const Byte* p)
{
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}
inline void Store16(Byte* p, int v)
{
    p[0] = static_cast<Byte>(v);
    p[1] = static_cast<Byte>(v >> 8);
}
inline int32_t Load24(const Byte* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) << 8) >> 8;
}
inline void Store24(Byte* p, int32_t v)
{
    p[0] = static_cast<Byte>(v);
    p[1] = static_cast<Byte>(v >> 8);
    p[2] = static_cast<Byte>(v >> 16);
}
inline uint32_t Load32(const Byte* p)
{
    uint32_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}
inline void Store32(Byte* p, uint32_t w)
{
    std::memcpy(p, &w, sizeof w);
}

// Four packed 24-bit samples (12 bytes) through three 32-bit words: fewer memory operations
// than byte access, and the per-sample arithmetic around them vectorises.
inline void Load24x4(const Byte* p, int32_t v[4])
{
    const uint32_t w0 = Load32(p), w1 = Load32(p + 4), w2 = Load32(p + 8);
    v[0] = static_cast<int32_t>(w0 << 8) >> 8;
    v[1] = (static_cast<int32_t>(w1 << 16) >> 8) | static_cast<int32_t>(w0 >> 24);
    v[2] = (static_cast<int32_t>(w2 << 24) >> 8) | static_cast<int32_t>(w1 >> 16);
    v[3] = static_cast<int32_t>(w2) >> 8;
}
inline void Store24x4(Byte* p, const int32_t v[4])
{
    const uint32_t u0 = static_cast<uint32_t>(v[0]), u1 = static_cast<uint32_t>(v[1]);
    const uint32_t u2 = static_cast<uint32_t>(v[2]), u3 = static_cast<uint32_t>(v[3]);
    Store32(p, (u0 & 0xFFFFFF) | (u1 << 24));
    Store32(p + 4, ((u1 >> 8) & 0xFFFF) | (u2 << 16));
    Store32(p + 8, ((u2 >> 16) & 0xFF) | (u3 << 8));
}

inline float LoadFloat(const Byte* p)
{
    float f;
    std::memcpy(&f, p, sizeof f);
    return f;
}
inline void StoreFloat(Byte* p, float f)
{
    std::memcpy(p, &f, sizeof f);
}

void U8To16(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        Store16(d + 2 * i, (s[i] - 128) * 256);
}
void U8To24(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        Store24(d + 3 * i, (s[i] - 128) * 65536);
}
void U8ToFloat(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        StoreFloat(d + 4 * i, static_cast<float>(s[i] - 128) * (1.0f / 128));
}
void S16To8(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        d[i] = static_cast<Byte>(s[2 * i + 1] + 128);
}
void S16To24(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        int32_t v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = Load16(s + 2 * (i + k)) * 256;
        Store24x4(d + 3 * i, v);
    }
    for (; i < n; ++i) {
        d[3 * i] = 0;
        d[3 * i + 1] = s[2 * i];
        d[3 * i + 2] = s[2 * i + 1];
    }
}
void S16ToFloat(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        StoreFloat(d + 4 * i, static_cast<float>(Load16(s + 2 * i)) * (1.0f / 32768));
}
void S24To8(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        d[i] = static_cast<Byte>(s[3 * i + 2] + 128);
}
void S24To16(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    // Four samples: the upper two bytes of each of the 12 source bytes, as two words.
    for (; i + 4 <= n; i += 4) {
        const uint32_t w0 = Load32(s + 3 * i), w1 = Load32(s + 3 * i + 4), w2 = Load32(s + 3 * i + 8);
        Store32(d + 2 * i, ((w0 >> 8) & 0xFFFF) | (w1 << 16));
        Store32(d + 2 * i + 4, (w1 >> 24) | ((w2 & 0xFF) << 8) | (w2 & 0xFFFF0000));
    }
    for (; i < n; ++i) {
        d[2 * i] = s[3 * i + 1];
        d[2 * i + 1] = s[3 * i + 2];
    }
}
void S24ToFloat(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        int32_t v[4];
        Load24x4(s + 3 * i, v);
        for (int k = 0; k < 4; ++k)
            StoreFloat(d + 4 * (i + k), static_cast<float>(v[k]) * (1.0f / 8388608));
    }
    for (; i < n; ++i)
        StoreFloat(d + 4 * i, static_cast<float>(Load24(s + 3 * i)) * (1.0f / 8388608));
}
void S24To20(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        int32_t v[4];
        Load24x4(s + 3 * i, v);
        for (int k = 0; k < 4; ++k)
            v[k] &= ~0xF;
        Store24x4(d + 3 * i, v);
    }
    for (; i < n; ++i) {
        d[3 * i] = static_cast<Byte>(s[3 * i] & 0xF0);
        d[3 * i + 1] = s[3 * i + 1];
        d[3 * i + 2] = s[3 * i + 2];
    }
}
// Float to integer of n bits: y = x * 2^(n-1) rounded to nearest, clipped to
// [-2^(n-1), 2^(n-1) - 1], NaN -> 0. Integer to float divides by the same 2^(n-1), so the two
// directions are exact inverses: every integer sample survives a float round trip unchanged
// (a scale of 2^(n-1) - 1 with truncation loses a step on positive values each pass). Ties go
// to even, as the processor's default rounding mode does for the scalar and the vector
// conversion alike, so the vector bodies below and the per-sample tail agree bit for bit.
// Clipping at integer bounds before rounding equals rounding first, then clipping.
template <int Bits>
struct FloatRule {
    static constexpr float kScale = static_cast<float>(1 << (Bits - 1));
    static constexpr float kLow = -kScale;
    static constexpr float kHigh = kScale - 1;
};

template <int Bits>
inline int32_t QuantiseSigned(float x)
{
    float v = x * FloatRule<Bits>::kScale;
    v = v == v ? v : 0.0f;
    v = v > FloatRule<Bits>::kLow ? v : FloatRule<Bits>::kLow;
    v = v < FloatRule<Bits>::kHigh ? v : FloatRule<Bits>::kHigh;
    return _mm_cvtss_si32(_mm_set_ss(v));
}

template <int Bits>
inline __m128i QuantiseSigned4(__m128 x)
{
    __m128 v = _mm_mul_ps(x, _mm_set1_ps(FloatRule<Bits>::kScale));
    v = _mm_and_ps(v, _mm_cmpord_ps(v, v));
    v = _mm_max_ps(v, _mm_set1_ps(FloatRule<Bits>::kLow));
    v = _mm_min_ps(v, _mm_set1_ps(FloatRule<Bits>::kHigh));
    return _mm_cvtps_epi32(v);
}

inline __m128 LoadFloat4(const Byte* p)
{
    return _mm_loadu_ps(reinterpret_cast<const float*>(p));
}

void FloatTo8(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    const __m128i bias = _mm_set1_epi32(128);
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_add_epi32(QuantiseSigned4<8>(LoadFloat4(s + 4 * i)), bias);
        const __m128i b = _mm_add_epi32(QuantiseSigned4<8>(LoadFloat4(s + 4 * i + 16)), bias);
        const __m128i c = _mm_add_epi32(QuantiseSigned4<8>(LoadFloat4(s + 4 * i + 32)), bias);
        const __m128i e = _mm_add_epi32(QuantiseSigned4<8>(LoadFloat4(s + 4 * i + 48)), bias);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, e)));
    }
    for (; i < n; ++i)
        d[i] = static_cast<Byte>(QuantiseSigned<8>(LoadFloat(s + 4 * i)) + 128);
}
void FloatTo16(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i a = QuantiseSigned4<16>(LoadFloat4(s + 4 * i));
        const __m128i b = QuantiseSigned4<16>(LoadFloat4(s + 4 * i + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * i), _mm_packs_epi32(a, b));
    }
    for (; i < n; ++i)
        Store16(d + 2 * i, QuantiseSigned<16>(LoadFloat(s + 4 * i)));
}
// Mask clears the low bits a 20-bit destination does not keep (after rounding at 24 bits).
template <int32_t Mask>
void FloatTo24Masked(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    const __m128i even = _mm_set_epi32(0, 0xFFFFFF & Mask, 0, 0xFFFFFF & Mask);
    const __m128i odd = _mm_set_epi32(0xFFFFFF & Mask, 0, 0xFFFFFF & Mask, 0);
    size_t i = 0;
    // Four samples packed into the low 12 bytes of one register; the 16-byte store reaches 4
    // bytes past them, which the next group overwrites, so it stops 6 samples short of the end.
    for (; i + 6 <= n; i += 4) {
        const __m128i v = QuantiseSigned4<24>(LoadFloat4(s + 4 * i));
        // Each 64-bit half: its two samples side by side in 6 bytes.
        const __m128i pairs = _mm_or_si128(_mm_and_si128(v, even), _mm_srli_epi64(_mm_and_si128(v, odd), 8));
        // The upper half's 6 bytes moved down to follow the lower half's.
        const __m128i packed = _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * i), packed);
    }
    for (; i < n; ++i)
        Store24(d + 3 * i, QuantiseSigned<24>(LoadFloat(s + 4 * i)) & Mask);
}
void FloatTo24(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    FloatTo24Masked<~0>(s, n, d);
}
void FloatTo20(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    FloatTo24Masked<~0xF>(s, n, d);
}

using Kernel = void (*)(const Byte* __restrict, size_t, Byte* __restrict);

inline size_t SampleCount(const SampleConverter& conv, size_t frames)
{
    return frames * conv.m_source->channels;
}

template <Kernel K>
void CopyWith(const SampleConverter& conv, const void* source, size_t frames, void* destination)
{
    K(static_cast<const Byte*>(source), SampleCount(conv, frames), static_cast<Byte*>(destination));
}

// Same form on both sides (a 20-bit sample keeps its 24-bit container).
template <size_t SampleBytes>
void PlainCopy(const SampleConverter& conv, const void* source, size_t frames, void* destination)
{
    std::memmove(destination, source, SampleCount(conv, frames) * SampleBytes);
}

// Converts inside one buffer a chunk at a time through a small stack copy of the chunk's
// source: widening pairs go from the last chunk backward, the others forward, so no chunk
// overwrites source bytes not yet read. Same values as the copy routine by construction.
template <Kernel K, size_t SourceBytes, size_t DestinationBytes>
void InPlaceWith(const SampleConverter& conv, void* buffer, size_t frames)
{
    constexpr size_t kChunk = 2048;
    constexpr bool kWidening = DestinationBytes > SourceBytes;
    alignas(16) Byte scratch[kChunk * SourceBytes];
    Byte* const base = static_cast<Byte*>(buffer);
    const size_t samples = SampleCount(conv, frames);
    size_t done = 0;
    while (done < samples) {
        const size_t count = samples - done < kChunk ? samples - done : kChunk;
        const size_t first = kWidening ? samples - done - count : done;
        std::memcpy(scratch, base + first * SourceBytes, count * SourceBytes);
        K(scratch, count, base + first * DestinationBytes);
        done += count;
    }
}

struct RoutinePair {
    SampleConverter::InPlaceRoutine inPlace;
    SampleConverter::CopyRoutine copy;
};

template <Kernel K, size_t SourceBytes, size_t DestinationBytes>
constexpr RoutinePair Pair()
{
    return {InPlaceWith<K, SourceBytes, DestinationBytes>, CopyWith<K>};
}

template <size_t SampleBytes>
constexpr RoutinePair Same()
{
    return {nullptr, PlainCopy<SampleBytes>};
}

int DepthIndex(uint32_t bits)
{
    switch (bits) {
    case 8:
        return 0;
    case 16:
        return 1;
    case 20:
        return 2;
    case 24:
        return 3;
    case 32:
        return 4;
    default:
        return -1;
    }
}

// Rows: source depth, columns: destination depth, both in the order 8, 16, 20, 24, 32.
const RoutinePair kRoutines[5][5] = {
    {Same<1>(), Pair<U8To16, 1, 2>(), Pair<U8To24, 1, 3>(), Pair<U8To24, 1, 3>(), Pair<U8ToFloat, 1, 4>()},
    {Pair<S16To8, 2, 1>(), Same<2>(), Pair<S16To24, 2, 3>(), Pair<S16To24, 2, 3>(), Pair<S16ToFloat, 2, 4>()},
    {Pair<S24To8, 3, 1>(), Pair<S24To16, 3, 2>(), Same<3>(), Same<3>(), Pair<S24ToFloat, 3, 4>()},
    {Pair<S24To8, 3, 1>(), Pair<S24To16, 3, 2>(), Pair<S24To20, 3, 3>(), Same<3>(), Pair<S24ToFloat, 3, 4>()},
    {Pair<FloatTo8, 4, 1>(), Pair<FloatTo16, 4, 2>(), Pair<FloatTo20, 4, 3>(), Pair<FloatTo24, 4, 3>(), Same<4>()},
};

} // namespace

uint32_t SampleConverter::EffectiveBits(const WaveFormat& format)
{
    if (format.IsExtensible() && format.IsPcm() && format.bitsPerSample == 24 && format.validBitsPerSample == 20)
        return 20;
    return format.bitsPerSample;
}

int32_t SampleConverter::FloatToSample(float x, uint32_t bits)
{
    switch (bits) {
    case 8:
        return QuantiseSigned<8>(x) + 128;
    case 16:
        return QuantiseSigned<16>(x);
    case 20:
        return QuantiseSigned<24>(x) & ~0xF;
    case 24:
        return QuantiseSigned<24>(x);
    default:
        return 0;
    }
}

void SampleConverter::SetSourceFormat(const WaveFormat* format)
{
    m_source = format;
    Select();
}

void SampleConverter::SetDestinationFormat(const WaveFormat* format)
{
    m_destination = format;
    Select();
}

void SampleConverter::Select()
{
    if (!m_source || !m_destination)
        return;
    const int from = DepthIndex(EffectiveBits(*m_source));
    const int to = DepthIndex(EffectiveBits(*m_destination));
    if (from < 0 || to < 0) {
        m_inPlace = nullptr;
        m_copy = nullptr;
        return;
    }
    m_inPlace = kRoutines[from][to].inPlace;
    m_copy = kRoutines[from][to].copy;
}

void SampleConverter::Convert(const void* source, size_t frames, void* destination) const
{
    if (m_copy && m_source && m_destination)
        m_copy(*this, source, frames, destination);
}

bool SampleConverter::ConvertInPlace(void* buffer, size_t frames) const
{
    if (!m_inPlace || !m_source || !m_destination)
        return false;
    m_inPlace(*this, buffer, frames);
    return true;
}
