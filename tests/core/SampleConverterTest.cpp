#include <gtest/gtest.h>

#include "SampleConverter.h"
#include "SampleSweep.h"
#include "WaveFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

// Depths as the converter sees them: 20 travels as extensible PCM in a 24-bit container.
WaveFormat FormatOf(uint32_t bits, uint32_t channels)
{
    WaveFormat f;
    if (bits == 20)
        f.InitExtensiblePcm(48000, 24, channels, 20, 0);
    else if (bits == 32)
        f.InitFloat32(48000, channels);
    else
        f.InitPcm(48000, bits, channels);
    return f;
}

size_t SampleBytes(uint32_t bits)
{
    return bits == 8 ? 1 : bits == 16 ? 2 : bits == 32 ? 4 : 3;
}

std::vector<uint8_t> Convert(uint32_t from, uint32_t to, const std::vector<uint8_t>& in, uint32_t channels = 1)
{
    WaveFormat src = FormatOf(from, channels), dst = FormatOf(to, channels);
    SampleConverter conv;
    conv.SetSourceFormat(&src);
    conv.SetDestinationFormat(&dst);
    const size_t frames = in.size() / SampleBytes(from) / channels;
    std::vector<uint8_t> out(frames * channels * SampleBytes(to), 0xEE);
    conv.Convert(in.data(), frames, out.data());
    return out;
}

std::vector<uint8_t> FloatBytes(const std::vector<float>& values)
{
    std::vector<uint8_t> b(values.size() * 4);
    std::memcpy(b.data(), values.data(), b.size());
    return b;
}

std::vector<float> Floats(const std::vector<uint8_t>& b)
{
    std::vector<float> f(b.size() / 4);
    std::memcpy(f.data(), b.data(), b.size());
    return f;
}

std::vector<int> Ints16(const std::vector<uint8_t>& b)
{
    std::vector<int> v;
    for (size_t i = 0; i + 1 < b.size(); i += 2)
        v.push_back(static_cast<int16_t>(b[i] | b[i + 1] << 8));
    return v;
}

std::vector<int> Ints24(const std::vector<uint8_t>& b)
{
    std::vector<int> v;
    for (size_t i = 0; i + 2 < b.size(); i += 3)
        v.push_back(static_cast<int32_t>(static_cast<uint32_t>(b[i] | b[i + 1] << 8 | b[i + 2] << 16) << 8) >> 8);
    return v;
}

std::vector<uint8_t> Bytes24(const std::vector<int>& values)
{
    std::vector<uint8_t> b;
    for (int v : values) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
        b.push_back(static_cast<uint8_t>(v >> 16));
    }
    return b;
}

std::vector<uint8_t> Bytes16(const std::vector<int>& values)
{
    std::vector<uint8_t> b;
    for (int v : values) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
    return b;
}

const uint32_t kDepths[] = {8, 16, 20, 24, 32};
const uint32_t kIntegerDepths[] = {8, 16, 20, 24};

// Index of the first sample whose bytes differ, or SIZE_MAX; keeps failure output short.
size_t FirstDifference(const uint8_t* a, const uint8_t* b, size_t samples, size_t width)
{
    for (size_t i = 0; i < samples; ++i)
        if (std::memcmp(a + i * width, b + i * width, width) != 0)
            return i;
    return SIZE_MAX;
}

void StoreSample(uint8_t* p, int32_t v, size_t width)
{
    for (size_t k = 0; k < width; ++k)
        p[k] = static_cast<uint8_t>(v >> (8 * k));
}

// The float -> integer rule written out apart from the converter: x * 2^(n-1) is exact in
// double, and nearbyint rounds halves to even in the default rounding mode. 20 bits round at
// their own step and sit in the top of their 24-bit container.
int32_t ReferenceSample(float x, uint32_t bits)
{
    const double full = std::ldexp(1.0, bits - 1);
    double v = std::isnan(x) ? 0.0 : std::nearbyint(x * full);
    v = std::min(std::max(v, -full), full - 1);
    int32_t r = static_cast<int32_t>(v);
    if (bits == 20)
        r *= 16;
    return bits == 8 ? r + 128 : r;
}


} // namespace

TEST(SampleConverter, EightBitUnsignedWidensAroundMidpoint)
{
    const std::vector<uint8_t> in = {0x80, 0xFF, 0x00, 0x81};
    EXPECT_EQ((std::vector<int>{0, 0x7F00, -32768, 256}), Ints16(Convert(8, 16, in)));
    EXPECT_EQ((std::vector<int>{0, 0x7F0000, -8388608, 65536}), Ints24(Convert(8, 24, in)));
    EXPECT_EQ((std::vector<int>{0, 0x7F0000, -8388608, 65536}), Ints24(Convert(8, 20, in)));
    EXPECT_EQ((std::vector<float>{0.0f, 127.0f / 128, -1.0f, 1.0f / 128}), Floats(Convert(8, 32, in)));
}

TEST(SampleConverter, IntegerNarrowingTruncatesToHighBytes)
{
    const auto s16 = Bytes16({0, 0x7FFF, -32768, -1, 0x01FF});
    EXPECT_EQ((std::vector<uint8_t>{0x80, 0xFF, 0x00, 0x7F, 0x81}), Convert(16, 8, s16));
    const auto s24 = Bytes24({0, 0x7FFFFF, -8388608, -1, 0x0123FF});
    EXPECT_EQ((std::vector<uint8_t>{0x80, 0xFF, 0x00, 0x7F, 0x81}), Convert(24, 8, s24));
    EXPECT_EQ((std::vector<int>{0, 0x7FFF, -32768, -1, 0x0123}), Ints16(Convert(24, 16, s24)));
    EXPECT_EQ((std::vector<int>{0, 0x7FFFF0, -8388608, -16, 0x0123F0}), Ints24(Convert(24, 20, s24)));
    EXPECT_EQ((std::vector<int>{0, 0x7FFF00, -8388608, -256, 0x01FF00}), Ints24(Convert(16, 24, s16)));
    EXPECT_EQ((std::vector<int>{0, 0x7FFF00, -8388608, -256, 0x01FF00}), Ints24(Convert(16, 20, s16)));
}

TEST(SampleConverter, IntegerToFloatUsesPowerOfTwoScale)
{
    EXPECT_EQ((std::vector<float>{-1.0f, 0.0f, 32767.0f / 32768, 0.5f}),
              Floats(Convert(16, 32, Bytes16({-32768, 0, 32767, 16384}))));
    EXPECT_EQ((std::vector<float>{-1.0f, 0.0f, 8388607.0f / 8388608, -0.5f}),
              Floats(Convert(24, 32, Bytes24({-8388608, 0, 0x7FFFFF, -4194304}))));
    EXPECT_EQ((std::vector<float>{-1.0f, 0.5f}), Floats(Convert(20, 32, Bytes24({-8388608, 4194304}))));
}

TEST(SampleConverter, FloatToIntegerScalesByPowerOfTwoRoundsAndClips)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const auto in = FloatBytes({1.0f, -1.0f, 1.5f, -1.5f, -2.0f, 0.0f, 1e10f, -1e10f, inf, -inf, nan, 0.49999f});
    EXPECT_EQ((std::vector<uint8_t>{255, 0, 255, 0, 0, 128, 255, 0, 255, 0, 128, 192}), Convert(32, 8, in));
    EXPECT_EQ((std::vector<int>{32767, -32768, 32767, -32768, -32768, 0, 32767, -32768, 32767, -32768, 0, 16384}),
              Ints16(Convert(32, 16, in)));
    EXPECT_EQ((std::vector<int>{8388607, -8388608, 8388607, -8388608, -8388608, 0, 8388607, -8388608, 8388607, -8388608,
                                0, 4194220}),
              Ints24(Convert(32, 24, in)));
    EXPECT_EQ((std::vector<int>{0x7FFFF0, -8388608, 0x7FFFF0, -8388608, -8388608, 0, 0x7FFFF0, -8388608, 0x7FFFF0,
                                -8388608, 0, 4194224}),
              Ints24(Convert(32, 20, in)));
    // Round to nearest on both sides of zero; exact halves go to the even neighbour.
    std::vector<float> steps = {1.9f, -1.9f, 0.9f, -0.9f, 0.5f, -0.5f, 1.5f, -1.5f, 2.5f, -2.5f, 32766.5f, -32767.5f};
    for (float& v : steps)
        v /= 32768;
    EXPECT_EQ((std::vector<int>{2, -2, 1, -1, 0, 0, 2, -2, 2, -2, 32766, -32768}),
              Ints16(Convert(32, 16, FloatBytes(steps))));
}

TEST(SampleConverter, SameDepthCopiesBytesUnchanged)
{
    std::vector<uint8_t> in(48); // whole stereo frames of every depth
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<uint8_t>(i * 37 + 1);
    for (uint32_t bits : kDepths)
        EXPECT_EQ(in, Convert(bits, bits, in, 2)) << bits;
    // 20 and 24 share the container: 20 -> 24 copies the bytes.
    EXPECT_EQ(in, Convert(20, 24, in, 2));
}

TEST(SampleConverter, ChannelCountComesFromSourceFormat)
{
    // A 16-bit stereo block of 3 frames converts 6 samples and nothing more.
    const auto in = Bytes16({1, 2, 3, 4, 5, 6, 7, 8});
    WaveFormat src = FormatOf(16, 2), dst = FormatOf(32, 2);
    SampleConverter conv;
    conv.SetSourceFormat(&src);
    conv.SetDestinationFormat(&dst);
    std::vector<float> out(8, 99.0f);
    conv.Convert(in.data(), 3, out.data());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ((i + 1) / 32768.0f, out[i]);
    EXPECT_EQ(99.0f, out[6]);
    EXPECT_EQ(99.0f, out[7]);
}

TEST(SampleConverter, WritesNothingWithoutBothFormatsOrForUnknownDepth)
{
    WaveFormat src = FormatOf(16, 1);
    SampleConverter conv;
    conv.SetSourceFormat(&src);
    const auto in = Bytes16({1000, 2000});
    std::vector<uint8_t> out(8, 0xEE);
    conv.Convert(in.data(), 2, out.data());
    EXPECT_FALSE(conv.ConvertInPlace(out.data(), 2));
    EXPECT_EQ(std::vector<uint8_t>(8, 0xEE), out);

    WaveFormat wide;
    wide.InitFloat64(48000, 1);
    conv.SetDestinationFormat(&wide);
    conv.Convert(in.data(), 2, out.data());
    EXPECT_EQ(std::vector<uint8_t>(8, 0xEE), out);
}

TEST(SampleConverter, TwentyValidBitsSelectTwentyBitRoutines)
{
    WaveFormat src20, src24, dst;
    src20.InitExtensiblePcm(48000, 24, 1, 20, 0);
    src24.InitExtensiblePcm(48000, 24, 1, 24, 0);
    dst.InitFloat32(48000, 1);
    EXPECT_EQ(20u, SampleConverter::EffectiveBits(src20));
    EXPECT_EQ(24u, SampleConverter::EffectiveBits(src24));
    const auto in = Bytes24({0x400000});
    for (const WaveFormat* f : {&src20, &src24}) {
        SampleConverter conv;
        conv.SetSourceFormat(f);
        conv.SetDestinationFormat(&dst);
        float out = 0;
        conv.Convert(in.data(), 1, &out);
        EXPECT_EQ(0.5f, out);
    }
    // 24 -> 20 clears the low four bits; 20 -> 24 leaves them.
    WaveFormat dst20 = src20;
    SampleConverter conv;
    conv.SetSourceFormat(&src24);
    conv.SetDestinationFormat(&dst20);
    const auto odd = Bytes24({0x12345F});
    std::vector<uint8_t> out(3);
    conv.Convert(odd.data(), 1, out.data());
    EXPECT_EQ((std::vector<int>{0x123450}), Ints24(out));
}

// Every pair: converting inside one buffer gives exactly what the copy gives, on blocks
// long enough to cross the internal chunking and of odd lengths.
TEST(SampleConverter, InPlaceEqualsCopyForEveryPair)
{
    std::mt19937 rng(1234);
    for (uint32_t from : kDepths) {
        for (uint32_t to : kDepths) {
            for (size_t frames : {size_t(1), size_t(7), size_t(2049), size_t(5000)}) {
                SCOPED_TRACE(testing::Message() << from << " -> " << to << ", " << frames << " frames");
                const uint32_t channels = 2;
                WaveFormat src = FormatOf(from, channels), dst = FormatOf(to, channels);
                SampleConverter conv;
                conv.SetSourceFormat(&src);
                conv.SetDestinationFormat(&dst);
                const size_t samples = frames * channels;
                std::vector<uint8_t> in(samples * SampleBytes(from));
                if (from == 32) {
                    std::uniform_real_distribution<float> d(-1.3f, 1.3f);
                    for (size_t i = 0; i < samples; ++i) {
                        const float v = d(rng);
                        std::memcpy(&in[i * 4], &v, 4);
                    }
                } else {
                    for (auto& b : in)
                        b = static_cast<uint8_t>(rng());
                }
                std::vector<uint8_t> copy(samples * SampleBytes(to));
                conv.Convert(in.data(), frames, copy.data());

                std::vector<uint8_t> buffer(samples * std::max(SampleBytes(from), SampleBytes(to)), 0xAB);
                std::memcpy(buffer.data(), in.data(), in.size());
                const bool same = SampleBytes(from) == SampleBytes(to) && (from == to || from == 20);
                ASSERT_EQ(!same, conv.ConvertInPlace(buffer.data(), frames));
                if (!same) {
                    EXPECT_EQ(0, std::memcmp(copy.data(), buffer.data(), copy.size()));
                }
            }
        }
    }
}

TEST(SampleConverter, IntegerSamplesSurviveAFloatRoundTrip)
{
    std::vector<uint8_t> all8(256);
    for (int i = 0; i < 256; ++i)
        all8[i] = static_cast<uint8_t>(i);
    std::vector<int> all16, sweep24, sweep20;
    for (int i = -32768; i <= 32767; ++i)
        all16.push_back(i);
    for (int i = -8388608; i <= 8388607; i += 4099)
        sweep24.push_back(i);
    for (int i : {-8388608, -8388607, -8388606, -2, -1, 0, 1, 2, 8388605, 8388606, 8388607})
        sweep24.push_back(i);
    for (int i : sweep24)
        sweep20.push_back(i & ~0xF);
    const std::pair<uint32_t, std::vector<uint8_t>> cases[] = {
        {8, all8}, {16, Bytes16(all16)}, {24, Bytes24(sweep24)}, {20, Bytes24(sweep20)}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> back = Convert(32, c.first, Convert(c.first, 32, c.second));
        const size_t width = SampleBytes(c.first);
        EXPECT_EQ(SIZE_MAX, FirstDifference(c.second.data(), back.data(), c.second.size() / width, width)) << c.first;
    }
}

// The vector bodies of the float -> integer routines give exactly the per-sample rule, which
// itself matches the rule written out in the test. Blocks of many lengths at every offset make
// both the vector bodies and the per-sample tails run on every value; blocks are converted
// from the last to the first so that a routine writing past its block spoils a block already
// checked. The in-place routines give the same bytes.
TEST(SampleConverter, FloatRoutinesFollowThePerSampleRule)
{
    const std::vector<float> values = kvtest::FloatSweep();
    const size_t n = values.size();
    for (uint32_t bits : kIntegerDepths) {
        for (size_t i = 0; i < n; ++i)
            ASSERT_EQ(ReferenceSample(values[i], bits), SampleConverter::FloatToSample(values[i], bits))
                << values[i] << " to " << bits << " bits";
    }

    for (uint32_t bits : kIntegerDepths) {
        const size_t width = SampleBytes(bits);
        WaveFormat src = FormatOf(32, 1), dst = FormatOf(bits, 1);
        SampleConverter conv;
        conv.SetSourceFormat(&src);
        conv.SetDestinationFormat(&dst);
        std::vector<uint8_t> expected(n * width);
        for (size_t i = 0; i < n; ++i)
            StoreSample(&expected[i * width], SampleConverter::FloatToSample(values[i], bits), width);

        for (size_t offset : {0, 1, 2, 3}) {
            std::vector<uint8_t> source(n * 4 + offset);
            std::memcpy(source.data() + offset, values.data(), n * 4);
            const size_t outOffset = offset * 5; // 0, 5, 10, 15: every position within 16 bytes
            for (size_t length : {size_t(1), size_t(2), size_t(5), size_t(7), size_t(8), size_t(15), size_t(16),
                                  size_t(17), size_t(31), size_t(100), n}) {
                SCOPED_TRACE(testing::Message()
                             << "float to " << bits << " bits, blocks of " << length << ", offset " << offset);
                std::vector<uint8_t> out(outOffset + n * width + 16, 0xEE);
                for (size_t first = (n - 1) / length * length;; first -= length) {
                    conv.Convert(source.data() + offset + first * 4, std::min(length, n - first),
                                 out.data() + outOffset + first * width);
                    if (first == 0)
                        break;
                }
                const size_t at = FirstDifference(expected.data(), out.data() + outOffset, n, width);
                ASSERT_EQ(SIZE_MAX, at) << "value " << values[at == SIZE_MAX ? 0 : at];
                EXPECT_EQ(std::vector<uint8_t>(outOffset, 0xEE),
                          std::vector<uint8_t>(out.begin(), out.begin() + outOffset));
                EXPECT_EQ(std::vector<uint8_t>(16, 0xEE), std::vector<uint8_t>(out.end() - 16, out.end()));
            }
            for (size_t frames : {size_t(7), size_t(2049), n}) {
                SCOPED_TRACE(testing::Message()
                             << "in place, float to " << bits << " bits, " << frames << " samples, offset " << offset);
                std::vector<uint8_t> buffer(offset + frames * 4);
                std::memcpy(buffer.data() + offset, values.data(), frames * 4);
                ASSERT_TRUE(conv.ConvertInPlace(buffer.data() + offset, frames));
                const size_t at = FirstDifference(expected.data(), buffer.data() + offset, frames, width);
                ASSERT_EQ(SIZE_MAX, at) << "value " << values[at == SIZE_MAX ? 0 : at];
            }
        }
    }
}
