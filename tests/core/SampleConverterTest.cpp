#include <gtest/gtest.h>

#include "SampleConverter.h"
#include "WaveFormat.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
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

std::vector<uint8_t> FloatBytes(std::initializer_list<float> values)
{
    std::vector<uint8_t> b(values.size() * 4);
    std::memcpy(b.data(), values.begin(), b.size());
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

std::vector<uint8_t> Bytes24(std::initializer_list<int> values)
{
    std::vector<uint8_t> b;
    for (int v : values) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
        b.push_back(static_cast<uint8_t>(v >> 16));
    }
    return b;
}

std::vector<uint8_t> Bytes16(std::initializer_list<int> values)
{
    std::vector<uint8_t> b;
    for (int v : values) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
    return b;
}

const uint32_t kDepths[] = {8, 16, 20, 24, 32};

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
    EXPECT_EQ((std::vector<float>{-1.0f, 0.0f, 32767.0f / 32768, 0.5f}), Floats(Convert(16, 32, Bytes16({-32768, 0, 32767, 16384}))));
    EXPECT_EQ((std::vector<float>{-1.0f, 0.0f, 8388607.0f / 8388608, -0.5f}),
              Floats(Convert(24, 32, Bytes24({-8388608, 0, 0x7FFFFF, -4194304}))));
    EXPECT_EQ((std::vector<float>{-1.0f, 0.5f}), Floats(Convert(20, 32, Bytes24({-8388608, 4194304}))));
}

TEST(SampleConverter, FloatToIntegerScalesByMaximumAndClips)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const auto in = FloatBytes({1.0f, -1.0f, 1.5f, -1.5f, -2.0f, 0.0f, 1e10f, -1e10f, inf, -inf, nan, 0.49999f});
    EXPECT_EQ((std::vector<uint8_t>{255, 1, 255, 0, 0, 128, 255, 0, 255, 0, 0, 191}), Convert(32, 8, in));
    EXPECT_EQ((std::vector<int>{32767, -32767, 32767, -32768, -32768, 0, 32767, -32768, 32767, -32768, -32768, 16383}),
              Ints16(Convert(32, 16, in)));
    EXPECT_EQ((std::vector<int>{8388607, -8388607, 8388607, -8388608, -8388608, 0, 8388607, -8388608, 8388607,
                                -8388608, -8388608, 4194219}),
              Ints24(Convert(32, 24, in)));
    EXPECT_EQ((std::vector<int>{0x7FFFF0, -8388608, 0x7FFFF0, -8388608, -8388608, 0, 0x7FFFF0, -8388608, 0x7FFFF0,
                                -8388608, -8388608, 4194208}),
              Ints24(Convert(32, 20, in)));
    // Truncation toward zero on both sides of zero.
    EXPECT_EQ((std::vector<int>{1, -1, 0, 0}), Ints16(Convert(32, 16, FloatBytes({1.9f / 32767, -1.9f / 32767, 0.9f / 32767, -0.9f / 32767}))));
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
