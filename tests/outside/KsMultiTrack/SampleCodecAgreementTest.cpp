// The engine's per-sample codecs and the core converter turn 8- and 16-bit samples into float
// and back identically, so data passed between them keeps every value.
#include "SampleConverter.h"
#include "SampleFormat.h"
#include "SampleSweep.h"
#include "WaveFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> CoreConvert(WORD from, WORD to, const std::vector<uint8_t>& in)
{
    WaveFormat src, dst;
    for (auto [format, bits] : {std::pair<WaveFormat*, WORD>{&src, from}, {&dst, to}}) {
        if (bits == 32)
            format->InitFloat32(48000, 1);
        else
            format->InitPcm(48000, bits, 1);
    }
    SampleConverter conv;
    conv.SetSourceFormat(&src);
    conv.SetDestinationFormat(&dst);
    const size_t samples = in.size() / BytesPerSample(from);
    std::vector<uint8_t> out(samples * BytesPerSample(to));
    conv.Convert(in.data(), samples, out.data());
    return out;
}

template <class T>
std::vector<uint8_t> BytesOf(const std::vector<T>& v)
{
    std::vector<uint8_t> b(v.size() * sizeof(T));
    std::memcpy(b.data(), v.data(), b.size());
    return b;
}

template <class T>
std::vector<T> ValuesOf(const std::vector<uint8_t>& b)
{
    std::vector<T> v(b.size() / sizeof(T));
    std::memcpy(v.data(), b.data(), b.size());
    return v;
}


} // namespace

TEST(SampleCodecAgreement, IntegerToFloatMatchesBitForBit)
{
    std::vector<uint8_t> all8(256);
    std::vector<int16_t> all16(65536);
    for (int i = 0; i < 256; ++i)
        all8[i] = static_cast<uint8_t>(i);
    for (int i = 0; i < 65536; ++i)
        all16[i] = static_cast<int16_t>(i - 32768);

    const std::vector<float> from8 = ValuesOf<float>(CoreConvert(8, 32, all8));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(U8ToFloat(all8[i]), from8[i]) << i;
    const std::vector<float> from16 = ValuesOf<float>(CoreConvert(16, 32, BytesOf(all16)));
    for (int i = 0; i < 65536; ++i)
        ASSERT_EQ(S16ToFloat(all16[i]), from16[i]) << all16[i];
}

TEST(SampleCodecAgreement, FloatToIntegerMatches)
{
    const std::vector<float> values = kvtest::FloatSweep();
    const std::vector<uint8_t> to8 = CoreConvert(32, 8, BytesOf(values));
    const std::vector<int16_t> to16 = ValuesOf<int16_t>(CoreConvert(32, 16, BytesOf(values)));
    for (size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(int{FloatToU8(values[i])}, int{to8[i]}) << values[i];
        ASSERT_EQ(FloatToS16(values[i]), to16[i]) << values[i];
    }
}
