// The sample codec on every stored form, byte orders and signed bytes included: the forms the
// sample converter does not reach are checked here against the rule written out apart.
#include "PcmCodec.h"
#include "SampleSweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using pcm::Form;

namespace {

const Form kForms[] = {Form::U8,  Form::S8,  Form::S16,   Form::S20,   Form::S24,   Form::S32,
                       Form::F32, Form::S16BE, Form::S20BE, Form::S24BE, Form::S32BE, Form::F32BE};

bool BigEndian(Form f)
{
    return f >= Form::S16BE;
}

// The integer a stored sample holds (for 20 bits: the 20-bit value), read byte by byte.
int64_t StoredInteger(Form f, const uint8_t* p)
{
    const size_t n = pcm::BytesOf(f);
    uint64_t u = 0;
    for (size_t k = 0; k < n; ++k)
        u |= uint64_t(p[BigEndian(f) ? n - 1 - k : k]) << (8 * k);
    if (f == Form::U8)
        return int64_t(u) - 128;
    const int64_t v = int64_t(u << (64 - 8 * n)) >> (64 - 8 * n);
    return f == Form::S20 || f == Form::S20BE ? v / 16 : v;
}

// x x 2^(n-1) rounded to nearest even, clipped, NaN to 0, in double apart from the codec.
int64_t ReferenceInteger(float x, int bits)
{
    const double full = std::ldexp(1.0, bits - 1);
    const double v = std::isnan(x) ? 0.0 : std::nearbyint(double(x) * full);
    return int64_t(std::min(std::max(v, -full), full - 1));
}


} // namespace

// Every form, through blocks of every length up to 40 at every start (so each vector body and
// each tail meets each value): the bytes hold the rule's integer, or the float itself.
TEST(PcmCodec, EncodesEveryFormByTheRule)
{
    const std::vector<float> values = kvtest::FloatSweep();
    for (Form f : kForms) {
        const size_t width = pcm::BytesOf(f);
        SCOPED_TRACE(testing::Message() << "form " << int(f));
        for (size_t length = 1; length <= 40; length += 13) {
            std::vector<uint8_t> out(values.size() * width + 16, 0xEE);
            for (size_t first = 0; first < values.size(); first += length)
                pcm::Encode(values.data() + first, std::min(length, values.size() - first), f,
                            out.data() + first * width);
            ASSERT_EQ(std::vector<uint8_t>(16, 0xEE), std::vector<uint8_t>(out.end() - 16, out.end()));
            for (size_t i = 0; i < values.size(); ++i) {
                const uint8_t* p = out.data() + i * width;
                if (pcm::IsFloat(f)) {
                    uint8_t expected[4];
                    std::memcpy(expected, &values[i], 4);
                    for (int k = 0; k < 4; ++k)
                        ASSERT_EQ(expected[BigEndian(f) ? 3 - k : k], p[k]) << values[i];
                } else {
                    ASSERT_EQ(ReferenceInteger(values[i], pcm::BitsOf(f)), StoredInteger(f, p)) << values[i];
                }
            }
        }
    }
}

// Integer forms decode to their value over 2^(n-1) and, up to 24 bits (what a float holds),
// come back unchanged; float forms pass their bits whatever they hold.
TEST(PcmCodec, DecodesEveryFormAndRoundTripsItsIntegers)
{
    std::mt19937 rng(9);
    for (Form f : kForms) {
        SCOPED_TRACE(testing::Message() << "form " << int(f));
        const size_t width = pcm::BytesOf(f), count = 4099;
        std::vector<uint8_t> in(count * width);
        for (auto& b : in)
            b = uint8_t(rng());
        if (f == Form::S20 || f == Form::S20BE)
            for (size_t i = 0; i < count; ++i)
                in[i * width + (f == Form::S20 ? 0 : 2)] &= 0xF0;
        std::vector<float> decoded(count);
        pcm::Decode(f, in.data(), count, decoded.data());
        std::vector<uint8_t> back(count * width);
        pcm::Encode(decoded.data(), count, f, back.data());
        if (pcm::BitsOf(f) <= 24 || pcm::IsFloat(f)) {
            EXPECT_EQ(in, back);
        }
        if (pcm::IsFloat(f))
            continue;
        const double full = std::ldexp(1.0, pcm::BitsOf(f) - 1);
        for (size_t i = 0; i < count; ++i)
            ASSERT_EQ(float(double(StoredInteger(f, &in[i * width])) / full), decoded[i]) << i;
    }
}

// Between integer forms: widening is exact and narrowing keeps the high bits, whatever the
// byte order; a float on either side goes by the float rule. The lengths reach every part of
// the loops (16 and 8 samples a step, the single tail).
TEST(PcmCodec, RequantisesBetweenAnyTwoForms)
{
    std::mt19937 rng(13);
    for (size_t count : {size_t(517), size_t(13)})
        for (Form from : kForms) {
            std::vector<uint8_t> in(count * pcm::BytesOf(from));
            for (auto& b : in)
                b = uint8_t(rng());
            if (pcm::IsFloat(from)) {
                std::uniform_real_distribution<float> d(-1.2f, 1.2f);
                for (size_t i = 0; i < count; ++i) {
                    float v = d(rng);
                    uint8_t* p = &in[i * 4];
                    std::memcpy(p, &v, 4);
                    if (BigEndian(from))
                        std::swap(p[0], p[3]), std::swap(p[1], p[2]);
                }
            }
            if (from == Form::S20 || from == Form::S20BE)
                for (size_t i = 0; i < count; ++i)
                    in[i * 3 + (from == Form::S20 ? 0 : 2)] &= 0xF0;
            std::vector<float> asFloat(count);
            pcm::Decode(from, in.data(), count, asFloat.data());
            for (Form to : kForms) {
                SCOPED_TRACE(testing::Message() << int(from) << " -> " << int(to));
                std::vector<uint8_t> out(count * pcm::BytesOf(to));
                pcm::Requantise(from, in.data(), count, to, out.data());
                std::vector<uint8_t> expected(out.size());
                pcm::Encode(asFloat.data(), count, to, expected.data());
                if (pcm::IsFloat(from) || pcm::IsFloat(to)) {
                    EXPECT_EQ(expected, out);
                    continue;
                }
                const int fromBits = pcm::BitsOf(from), toBits = pcm::BitsOf(to);
                for (size_t i = 0; i < count; ++i) {
                    const int64_t x = StoredInteger(from, &in[i * pcm::BytesOf(from)]);
                    const int64_t want = toBits >= fromBits ? x * (int64_t(1) << (toBits - fromBits))
                                                            : x >> (fromBits - toBits); // floor: the high bits
                    ASSERT_EQ(want, StoredInteger(to, &out[i * pcm::BytesOf(to)])) << i;
                }
            }
        }
}
