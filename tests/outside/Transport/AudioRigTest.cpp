// The rig's reading of what it heard, on made-up captures: a stall of the server is told from a
// pause and from a jump of the stream, and a steady sound is measured clear of it.
#include "AudioRig.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr LONGLONG kRate = rig::kRate;

// The ramp of length frames as heard: each stretch [from, to) of it, after the silence before it.
struct Heard {
    LONGLONG silence;
    LONGLONG from;
    LONGLONG to;
};
std::vector<int16_t> Hear(LONGLONG length, const std::vector<Heard>& stretches)
{
    const std::vector<int16_t> ramp = rig::PositionRamp(length);
    std::vector<int16_t> stereo;
    for (const Heard& h : stretches) {
        stereo.insert(stereo.end(), size_t(h.silence) * 2, int16_t(0));
        for (LONGLONG i = h.from; i < h.to; ++i) {
            stereo.push_back(ramp[size_t(i)]);
            stereo.push_back(ramp[size_t(i)]);
        }
    }
    stereo.insert(stereo.end(), size_t(kRate / 10) * 2, int16_t(0));
    return stereo;
}

TEST(AudioRigTest, StallsOfTheServerJoinButPausesAndJumpsDoNot)
{
    const LONGLONG length = kRate;
    const LONGLONG ms = kRate / 1000;
    struct Case {
        const char* name;
        std::vector<Heard> heard;
        size_t pieces;
        LONGLONG skipped;
    } cases[] = {
        {"stall going on with the next frame", {{ms, 0, 20000}, {20 * ms, 20000, length}}, 1, 0},
        {"stall skipping less than it was silent", {{ms, 0, 20000}, {45 * ms, 20000 + 10 * ms, length}}, 1, 10 * ms},
        {"pause resuming exactly", {{ms, 0, 20000}, {400 * ms, 20000, length}}, 2, 0},
        {"skip longer than the silence", {{ms, 0, 20000}, {15 * ms, 20000 + 30 * ms, length}}, 2, 0},
        {"jump back", {{ms, 0, 20000}, {15 * ms, 10000, length}}, 2, 0},
        {"jump without a silence", {{ms, 0, 20000}, {0, 20000 + 5 * ms, length}}, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto pieces = rig::JoinStalls(rig::RampPieces(Hear(length, c.heard), 0, length));
        ASSERT_EQ(c.pieces, pieces.size());
        EXPECT_NEAR(double(length - 1), pieces.back().lastPosition, 2.0);
        if (c.pieces == 1) {
            EXPECT_EQ(1, pieces[0].stalls);
            EXPECT_NEAR(double(c.skipped), double(pieces[0].skipped), 2.0);
            EXPECT_NEAR(double(length - c.skipped), double(pieces[0].frames), 2.0);
        }
    }
    // Without skipping, only the stall that goes on with the next frame joins.
    EXPECT_EQ(1u, rig::RampPieces(Hear(length, cases[0].heard), 0, length).size());
    EXPECT_EQ(2u, rig::RampPieces(Hear(length, cases[1].heard), 0, length).size());
}

// A jump with no silence is the capture's drop only where the clock says it lost that much.
TEST(AudioRigTest, DropsOfTheCaptureJoinWhereTheClockSaysSo)
{
    const LONGLONG length = kRate, ms = kRate / 1000;
    const auto pieces = rig::RampPieces(Hear(length, {{ms, 0, 20000}, {0, 20000 + 10 * ms, length}}), 0, length);
    ASSERT_EQ(2u, pieces.size());
    struct Case {
        LONGLONG lost;
        size_t pieces;
    } cases[] = {{10 * ms, 1}, {12 * ms, 1}, {0, 2}, {20 * ms, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lost);
        const auto joined = rig::JoinDrops(pieces, [&](LONGLONG at) {
            EXPECT_EQ(pieces[0].captureEnd, at);
            return c.lost;
        });
        ASSERT_EQ(c.pieces, joined.size());
        if (c.pieces == 1) {
            EXPECT_NEAR(double(10 * ms), double(joined[0].dropped), 2.0);
            EXPECT_NEAR(double(length), double(joined[0].frames + joined[0].dropped), 2.0);
        }
    }
}

TEST(AudioRigTest, TheLongestSoundingStretchEndsAtAStall)
{
    std::vector<int16_t> tone = rig::Tone(1000, 0.5, kRate, 2);
    // 20 ms of the server's silence at 0.3 s.
    std::fill(tone.begin() + kRate * 3 / 10 * 2, tone.begin() + kRate * 32 / 100 * 2, int16_t(0));
    const rig::Stretch s = rig::LongestSounding(tone, 0, 0.05);
    EXPECT_NEAR(double(kRate * 32 / 100), double(s.start), kRate * 0.001);
    EXPECT_NEAR(double(kRate * 68 / 100), double(s.frames), kRate * 0.001);
    // The stall is no sound; the tone's own zero crossings are.
    EXPECT_NEAR(double(kRate * 98 / 100), double(rig::SoundingFrames(tone, 0, 0.05)), 4.0);
    // Measured over the stall, the tone would read 0.48.
    EXPECT_NEAR(0.5, rig::ClearToneAmplitude(tone, 0, 1000, kRate / 2), 0.001);
    EXPECT_NEAR(0.5 * 0.96, rig::ToneAmplitude(tone, 0, 1000, 0, kRate / 2), 0.002);
    EXPECT_EQ(0.0, rig::ClearToneAmplitude(tone, 0, 1000, kRate * 2));
}

} // namespace
