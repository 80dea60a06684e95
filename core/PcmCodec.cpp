#include "PcmCodec.h"

#include <cstring>

#include <tmmintrin.h>

// Samples are read and written through bytes, unaligned words or unaligned SSE2 loads, so any
// buffer alignment works. The vector bodies and the per-sample tails follow the same rule bit
// for bit: the vector and the scalar conversion both round by the processor's mode (to nearest,
// ties to even), and clipping at the integer bounds before rounding equals rounding first.
namespace pcm {

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
// A 32-bit word or float, through bytes.
template <class T>
inline T LoadAs(const Byte* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T>
inline void StoreAs(Byte* p, T v)
{
    std::memcpy(p, &v, sizeof v);
}
inline uint32_t Load32(const Byte* p)
{
    return LoadAs<uint32_t>(p);
}
inline void Store32(Byte* p, uint32_t w)
{
    StoreAs(p, w);
}
inline float LoadFloat(const Byte* p)
{
    return LoadAs<float>(p);
}
inline void StoreFloat(Byte* p, float f)
{
    StoreAs(p, f);
}
inline __m128 LoadFloat4(const Byte* p)
{
    return _mm_loadu_ps(reinterpret_cast<const float*>(p));
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

using Kernel = void (*)(const Byte* __restrict, size_t, Byte* __restrict);

// ---- decoding: stored form to float ----

void DecodeU8(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    const __m128 scale = _mm_set1_ps(1.0f / 128);
    for (; i + 4 <= n; i += 4) {
        int32_t four;
        std::memcpy(&four, s + i, 4);
        _mm_storeu_ps(reinterpret_cast<float*>(d + 4 * i), _mm_mul_ps(_mm_cvtepi32_ps(WidenU8(four)), scale));
    }
    for (; i < n; ++i)
        StoreFloat(d + 4 * i, U8ToFloat(s[i]));
}
void DecodeS8(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        StoreFloat(d + 4 * i, static_cast<float>(static_cast<int8_t>(s[i])) * (1.0f / 128));
}
void DecodeS16(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    const __m128 scale = _mm_set1_ps(1.0f / 32768);
    for (; i + 8 <= n; i += 8) {
        __m128 lo, hi;
        WidenS16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * i)), &lo, &hi);
        _mm_storeu_ps(reinterpret_cast<float*>(d + 4 * i), _mm_mul_ps(lo, scale));
        _mm_storeu_ps(reinterpret_cast<float*>(d + 4 * i + 16), _mm_mul_ps(hi, scale));
    }
    for (; i < n; ++i)
        StoreFloat(d + 4 * i, S16ToFloat(Load16(s + 2 * i)));
}
// 20 bits in 24 decode as their container: the low 4 bits are zero.
void DecodeS24(const Byte* __restrict s, size_t n, Byte* __restrict d)
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
void DecodeS32(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    const __m128 scale = _mm_set1_ps(1.0f / 2147483648.0f);
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
        _mm_storeu_ps(reinterpret_cast<float*>(d + 4 * i), _mm_mul_ps(_mm_cvtepi32_ps(v), scale));
    }
    for (; i < n; ++i)
        StoreFloat(d + 4 * i, static_cast<float>(static_cast<int32_t>(Load32(s + 4 * i))) * (1.0f / 2147483648.0f));
}
void DecodeS16BE(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        StoreFloat(d + 4 * i, S16ToFloat(static_cast<int16_t>(s[2 * i] << 8 | s[2 * i + 1])));
}
void DecodeS24BE(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i) {
        const Byte* p = s + 3 * i;
        const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]) << 8) >> 8;
        StoreFloat(d + 4 * i, static_cast<float>(v) * (1.0f / 8388608));
    }
}
void DecodeS32BE(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i) {
        const int32_t v = static_cast<int32_t>(__builtin_bswap32(Load32(s + 4 * i)));
        StoreFloat(d + 4 * i, static_cast<float>(v) * (1.0f / 2147483648.0f));
    }
}
void DecodeF32BE(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        Store32(d + 4 * i, __builtin_bswap32(Load32(s + 4 * i)));
}
void CopyF32(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    std::memcpy(d, s, n * 4);
}

// ---- encoding: float to stored form ----

template <int Bits>
inline int32_t QuantiseScalar(const Byte* p)
{
    return Quantise(LoadFloat(p), Bits);
}

void EncodeU8(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    const __m128i bias = _mm_set1_epi32(128);
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_add_epi32(Quantise4<8>(LoadFloat4(s + 4 * i)), bias);
        const __m128i b = _mm_add_epi32(Quantise4<8>(LoadFloat4(s + 4 * i + 16)), bias);
        const __m128i c = _mm_add_epi32(Quantise4<8>(LoadFloat4(s + 4 * i + 32)), bias);
        const __m128i e = _mm_add_epi32(Quantise4<8>(LoadFloat4(s + 4 * i + 48)), bias);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, e)));
    }
    for (; i < n; ++i)
        d[i] = static_cast<Byte>(QuantiseScalar<8>(s + 4 * i) + 128);
}
void EncodeS8(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i a = Quantise4<8>(LoadFloat4(s + 4 * i)), b = Quantise4<8>(LoadFloat4(s + 4 * i + 16));
        const __m128i c = Quantise4<8>(LoadFloat4(s + 4 * i + 32)), e = Quantise4<8>(LoadFloat4(s + 4 * i + 48));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, e)));
    }
    for (; i < n; ++i)
        d[i] = static_cast<Byte>(QuantiseScalar<8>(s + 4 * i));
}
void EncodeS16(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i a = Quantise4<16>(LoadFloat4(s + 4 * i));
        const __m128i b = Quantise4<16>(LoadFloat4(s + 4 * i + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * i), _mm_packs_epi32(a, b));
    }
    for (; i < n; ++i)
        Store16(d + 2 * i, QuantiseScalar<16>(s + 4 * i));
}
// A 24-bit container of Bits valid bits: the quantised value shifted to the container's top.
template <int Bits>
void EncodeContainer24(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    constexpr int kShift = 24 - Bits;
    const __m128i even = _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF);
    const __m128i odd = _mm_set_epi32(0xFFFFFF, 0, 0xFFFFFF, 0);
    size_t i = 0;
    // Four samples packed into the low 12 bytes of one register; the 16-byte store reaches 4
    // bytes past them, which the next group overwrites, so it stops 6 samples short of the end.
    for (; i + 6 <= n; i += 4) {
        const __m128i v = _mm_slli_epi32(Quantise4<Bits>(LoadFloat4(s + 4 * i)), kShift);
        // Each 64-bit half: its two samples side by side in 6 bytes.
        const __m128i pairs = _mm_or_si128(_mm_and_si128(v, even), _mm_srli_epi64(_mm_and_si128(v, odd), 8));
        // The upper half's 6 bytes moved down to follow the lower half's.
        const __m128i packed = _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * i), packed);
    }
    for (; i < n; ++i)
        Store24(d + 3 * i, static_cast<int32_t>(static_cast<uint32_t>(QuantiseScalar<Bits>(s + 4 * i)) << kShift));
}
void EncodeS32(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = 0;
    const __m128 top = _mm_set1_ps(2147483648.0f);
    for (; i + 4 <= n; i += 4) {
        __m128 v = _mm_mul_ps(LoadFloat4(s + 4 * i), top);
        v = _mm_and_ps(v, _mm_cmpord_ps(v, v));
        v = _mm_max_ps(v, _mm_sub_ps(_mm_setzero_ps(), top));
        // 2^31 and above convert to 0x80000000; those lanes take the top value instead.
        const __m128i over = _mm_castps_si128(_mm_cmpge_ps(v, top));
        const __m128i r = _mm_xor_si128(_mm_cvtps_epi32(v), _mm_and_si128(over, _mm_set1_epi32(-1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), r);
    }
    for (; i < n; ++i)
        Store32(d + 4 * i, static_cast<uint32_t>(QuantiseScalar<32>(s + 4 * i)));
}
void EncodeS16BE(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i) {
        const int32_t v = QuantiseScalar<16>(s + 4 * i);
        d[2 * i] = static_cast<Byte>(v >> 8);
        d[2 * i + 1] = static_cast<Byte>(v);
    }
}
template <int Bits>
void EncodeContainer24BE(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i) {
        const uint32_t v = static_cast<uint32_t>(QuantiseScalar<Bits>(s + 4 * i)) << (24 - Bits);
        d[3 * i] = static_cast<Byte>(v >> 16);
        d[3 * i + 1] = static_cast<Byte>(v >> 8);
        d[3 * i + 2] = static_cast<Byte>(v);
    }
}
void EncodeS32BE(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        Store32(d + 4 * i, __builtin_bswap32(static_cast<uint32_t>(QuantiseScalar<32>(s + 4 * i))));
}

// ---- integer to integer: widening exact, narrowing keeps the high bits ----

void U8To16(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        Store16(d + 2 * i, (s[i] - 128) * 256);
}
inline uint64_t Load64(const Byte* p)
{
    return LoadAs<uint64_t>(p);
}
inline void Store64(Byte* p, uint64_t w)
{
    StoreAs(p, w);
}
// Between 8 and 24 bits an 8-bit sample is the top byte of its 24-bit one (bytes 2, 5, 8, ...
// of each 48), the two lower bytes zero: a byte shuffle moves sixteen at once where the
// processor has one, else eight at a time go through 64-bit words.
bool HasByteShuffle()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

// Sixteen samples a step; returns how many were converted.
__attribute__((target("ssse3"))) size_t U8To24Shuffled(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    const __m128i low = _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
    const __m128i middle = _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1);
    const __m128i high = _mm_setr_epi8(10, -1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15);
    const __m128i offset = _mm_set1_epi8(-128);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), offset);
        Byte* o = d + 3 * i;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(x, low));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_shuffle_epi8(x, middle));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 32), _mm_shuffle_epi8(x, high));
    }
    return i;
}

__attribute__((target("ssse3"))) size_t S24To8Shuffled(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    const __m128i low = _mm_setr_epi8(2, 5, 8, 11, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i middle = _mm_setr_epi8(-1, -1, -1, -1, -1, 1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1);
    const __m128i high = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15);
    const __m128i offset = _mm_set1_epi8(-128);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const Byte* p = s + 3 * i;
        const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), low);
        const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), middle);
        const __m128i c = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_xor_si128(_mm_or_si128(_mm_or_si128(a, b), c), offset));
    }
    return i;
}

void U8To24(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = HasByteShuffle() ? U8To24Shuffled(s, n, d) : 0;
    for (; i + 8 <= n; i += 8) {
        const uint64_t x = Load64(s + i) ^ 0x8080808080808080ull;
        const auto at = [x](int k) { return (x >> (8 * k)) & 0xFF; };
        Store64(d + 3 * i, at(0) << 16 | at(1) << 40);
        Store64(d + 3 * i + 8, at(2) | at(3) << 24 | at(4) << 48);
        Store64(d + 3 * i + 16, at(5) << 8 | at(6) << 32 | at(7) << 56);
    }
    for (; i < n; ++i)
        Store24(d + 3 * i, (s[i] - 128) * 65536);
}
// 16 or 24 bits to 8: the top byte of each little-endian sample, offset.
template <size_t kBytes>
void SignedTo8(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    for (size_t i = 0; i < n; ++i)
        d[i] = static_cast<Byte>(s[kBytes * i + kBytes - 1] + 128);
}
// The same for 24 bits.
template <>
void SignedTo8<3>(const Byte* __restrict s, size_t n, Byte* __restrict d)
{
    size_t i = HasByteShuffle() ? S24To8Shuffled(s, n, d) : 0;
    for (; i + 8 <= n; i += 8) {
        const uint64_t q0 = Load64(s + 3 * i), q1 = Load64(s + 3 * i + 8), q2 = Load64(s + 3 * i + 16);
        const auto byte = [](uint64_t q, int k) { return (q >> (8 * k)) & 0xFF; };
        const uint64_t top = byte(q0, 2) | byte(q0, 5) << 8 | byte(q1, 0) << 16 | byte(q1, 3) << 24 |
                             byte(q1, 6) << 32 | byte(q2, 1) << 40 | byte(q2, 4) << 48 | byte(q2, 7) << 56;
        Store64(d + i, top ^ 0x8080808080808080ull);
    }
    for (; i < n; ++i)
        d[i] = static_cast<Byte>(s[3 * i + 2] + 128);
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

struct FormInfo {
    size_t bytes;
    int bits;
    bool isFloat;
    Kernel decode;
    Kernel encode;
};

const FormInfo& Info(Form f)
{
    static const FormInfo kInfo[] = {
        {1, 8, false, DecodeU8, EncodeU8},
        {1, 8, false, DecodeS8, EncodeS8},
        {2, 16, false, DecodeS16, EncodeS16},
        {3, 20, false, DecodeS24, EncodeContainer24<20>},
        {3, 24, false, DecodeS24, EncodeContainer24<24>},
        {4, 32, false, DecodeS32, EncodeS32},
        {4, 32, true, CopyF32, CopyF32},
        {2, 16, false, DecodeS16BE, EncodeS16BE},
        {3, 20, false, DecodeS24BE, EncodeContainer24BE<20>},
        {3, 24, false, DecodeS24BE, EncodeContainer24BE<24>},
        {4, 32, false, DecodeS32BE, EncodeS32BE},
        {4, 32, true, DecodeF32BE, DecodeF32BE},
    };
    return kInfo[static_cast<size_t>(f)];
}

// An integer sample of any form as a 32-bit value with the sample in its high bits, and back
// (keeping the high bits): the general integer path, for the pairs without a loop of their own.
int32_t LoadHigh(Form f, const Byte* p)
{
    switch (f) {
    case Form::U8:
        return static_cast<int32_t>(static_cast<uint32_t>(p[0] - 128) << 24);
    case Form::S8:
        return static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 24);
    case Form::S16:
        return static_cast<int32_t>(static_cast<uint32_t>(p[0] | p[1] << 8) << 16);
    case Form::S16BE:
        return static_cast<int32_t>(static_cast<uint32_t>(p[0] << 8 | p[1]) << 16);
    case Form::S20:
    case Form::S24:
        return static_cast<int32_t>(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) << 8);
    case Form::S20BE:
    case Form::S24BE:
        return static_cast<int32_t>(static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]) << 8);
    case Form::S32:
        return static_cast<int32_t>(Load32(p));
    default:
        return static_cast<int32_t>(__builtin_bswap32(Load32(p)));
    }
}

void StoreHigh(Form f, Byte* p, int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    switch (f) {
    case Form::U8:
        p[0] = static_cast<Byte>((u >> 24) + 128);
        break;
    case Form::S8:
        p[0] = static_cast<Byte>(u >> 24);
        break;
    case Form::S16:
        Store16(p, static_cast<int>(u >> 16));
        break;
    case Form::S16BE:
        p[0] = static_cast<Byte>(u >> 24);
        p[1] = static_cast<Byte>(u >> 16);
        break;
    case Form::S20:
    case Form::S24:
        Store24(p, static_cast<int32_t>((f == Form::S20 ? u & 0xFFFFF000u : u) >> 8));
        break;
    case Form::S20BE:
    case Form::S24BE: {
        const uint32_t w = (f == Form::S20BE ? u & 0xFFFFF000u : u) >> 8;
        p[0] = static_cast<Byte>(w >> 16);
        p[1] = static_cast<Byte>(w >> 8);
        p[2] = static_cast<Byte>(w);
        break;
    }
    case Form::S32:
        Store32(p, u);
        break;
    default:
        Store32(p, __builtin_bswap32(u));
        break;
    }
}

Kernel IntegerKernel(Form from, Form to)
{
    const bool to24 = to == Form::S24 || to == Form::S20;
    switch (from) {
    case Form::U8:
        return to == Form::S16 ? U8To16 : to24 ? U8To24 : nullptr;
    case Form::S16:
        return to == Form::U8 ? SignedTo8<2> : to24 ? S16To24 : nullptr;
    case Form::S20:
    case Form::S24:
        if (to == Form::U8)
            return SignedTo8<3>;
        if (to == Form::S16)
            return S24To16;
        return to == Form::S20 ? S24To20 : nullptr;
    default:
        return nullptr;
    }
}

} // namespace

size_t BytesOf(Form form)
{
    return Info(form).bytes;
}

bool IsFloat(Form form)
{
    return Info(form).isFloat;
}

int BitsOf(Form form)
{
    return Info(form).bits;
}

void Decode(Form from, const void* in, size_t samples, float* out)
{
    Info(from).decode(static_cast<const Byte*>(in), samples, reinterpret_cast<Byte*>(out));
}

void Encode(const float* in, size_t samples, Form to, void* out)
{
    Info(to).encode(reinterpret_cast<const Byte*>(in), samples, static_cast<Byte*>(out));
}

void Requantise(Form from, const void* in, size_t samples, Form to, void* out)
{
    const Byte* s = static_cast<const Byte*>(in);
    Byte* d = static_cast<Byte*>(out);
    const FormInfo &a = Info(from), &b = Info(to);
    if (from == to || (from == Form::S20 && to == Form::S24) || (from == Form::S20BE && to == Form::S24BE)) {
        std::memmove(d, s, samples * a.bytes);
        return;
    }
    if (a.isFloat || b.isFloat) {
        if (a.isFloat && b.isFloat) { // the two byte orders of float
            DecodeF32BE(s, samples, d);
            return;
        }
        if (from == Form::F32 || to == Form::F32) {
            (from == Form::F32 ? b.encode : a.decode)(s, samples, d);
            return;
        }
        constexpr size_t kChunk = 1024;
        alignas(16) float chunk[kChunk];
        for (size_t done = 0; done < samples; done += kChunk) {
            const size_t n = samples - done < kChunk ? samples - done : kChunk;
            Decode(from, s + done * a.bytes, n, chunk);
            Encode(chunk, n, to, d + done * b.bytes);
        }
        return;
    }
    if (const Kernel k = IntegerKernel(from, to)) {
        k(s, samples, d);
        return;
    }
    for (size_t i = 0; i < samples; ++i)
        StoreHigh(to, d + i * b.bytes, LoadHigh(from, s + i * a.bytes));
}

} // namespace pcm
