// The shared waveOut loop played into the sound server's null sink: a source played to its end
// is heard whole, and the stop event ends it early.
#include "AudioRig.h"
#include "WaveOutRing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kRate = rig::kRate;

// Hands out a ramp in stereo, as much as is asked each time.
struct RampSource {
    std::vector<int16_t> ramp;
    size_t next = 0;
    size_t Fill(void* to, size_t frames)
    {
        const size_t n = std::min(frames, ramp.size() - next);
        auto* out = static_cast<int16_t*>(to);
        for (size_t i = 0; i < n; ++i)
            out[2 * i] = out[2 * i + 1] = ramp[next + i];
        next += n;
        return n;
    }
};

class WaveOutRingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig::Capture::Get().WaitRunning(8000)) << "no capture of the sound server"; }
};

TEST_F(WaveOutRingTest, ASourcePlayedToItsEndIsHeardToItsLastSampleBeforeTheLoopReturns)
{
    const LONGLONG length = kRate / 2;
    RampSource source{rig::PositionRamp(length)};
    WaveOutRing ring;
    ASSERT_EQ(MMSYSERR_NOERROR, ring.Open(WAVE_MAPPER, rig::StereoFormat(), kRate / 20, 4, false));
    const LONGLONG mark = rig::Capture::Get().Now();
    const DWORD started = GetTickCount();
    EXPECT_TRUE(PlayThroughWaveOut(ring, kRate / 100, [&](void* to, size_t n) { return source.Fill(to, n); },
                                   nullptr));
    EXPECT_GE(GetTickCount() - started, 450u) << "the loop waits for the device to play it all";
    EXPECT_EQ(0, ring.Written()) << "the ring is reset for the next use";

    const LONGLONG until = rig::Capture::Get().Now() + kRate * 4 / 10;
    ASSERT_TRUE(rig::Capture::Get().WaitFor(until, 3400));
    auto pieces = rig::HeardRamp(mark, until, length);
    EXPECT_EQ(0, ring.Underruns()) << "the loop kept the device fed";
    ASSERT_EQ(1u, pieces.size()) << rig::CaptureLossNote(mark, until);
    EXPECT_NEAR(double(length - 1), pieces.back().lastPosition, kRate * 0.005);
    // What the server's stalls skipped was played by the loop; what the capture dropped, heard.
    EXPECT_NEAR(double(length - rig::kStartLoss),
                double(pieces.back().frames + pieces.back().skipped + pieces.back().dropped), kRate * 0.016)
        << rig::CaptureLossNote(mark, until);
}

// A source slower than the sound at first (a read on a busy machine): the device waits until the
// first pass has filled every buffer, so the start is heard without a gap. Started on its first
// buffer, it would play each one before the next was filled.
TEST_F(WaveOutRingTest, ASourceSlowAtFirstIsHeardWithoutAGapAtTheStart)
{
    const LONGLONG length = kRate * 6 / 10;
    RampSource source{rig::PositionRamp(length)};
    WaveOutRing ring;
    ASSERT_EQ(MMSYSERR_NOERROR, ring.Open(WAVE_MAPPER, rig::StereoFormat(), kRate / 20, 4, false));
    int calls = 0;
    const LONGLONG mark = rig::Capture::Get().Now();
    EXPECT_TRUE(PlayThroughWaveOut(ring, kRate / 100,
                                   [&](void* to, size_t n) {
                                       // The first 200 ms of sound come at two thirds of their pace.
                                       if (calls++ < 20)
                                           Sleep(15);
                                       return source.Fill(to, n);
                                   },
                                   nullptr));
    const LONGLONG until = rig::Capture::Get().Now() + kRate * 4 / 10;
    ASSERT_TRUE(rig::Capture::Get().WaitFor(until, 3400));
    auto pieces = rig::HeardRamp(mark, until, length);
    std::string heard;
    for (const rig::RampPiece& p : pieces)
        heard += " " + std::to_string(int64_t(p.firstPosition)) + ".." + std::to_string(int64_t(p.lastPosition));
    EXPECT_EQ(0, ring.Underruns()) << "the loop kept the device fed";
    ASSERT_EQ(1u, pieces.size()) << heard << rig::CaptureLossNote(mark, until);
    EXPECT_NEAR(double(length - 1), pieces.back().lastPosition, kRate * 0.005);
    EXPECT_NEAR(double(length - rig::kStartLoss),
                double(pieces.back().frames + pieces.back().skipped + pieces.back().dropped), kRate * 0.016)
        << rig::CaptureLossNote(mark, until);
}

TEST_F(WaveOutRingTest, TheStopEventEndsTheLoopEarly)
{
    RampSource source{rig::PositionRamp(kRate * 10)};
    WaveOutRing ring;
    ASSERT_EQ(MMSYSERR_NOERROR, ring.Open(WAVE_MAPPER, rig::StereoFormat(), kRate / 20, 4, false));
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread stopper([stop] {
        Sleep(300);
        SetEvent(stop);
    });
    const DWORD started = GetTickCount();
    EXPECT_FALSE(PlayThroughWaveOut(ring, kRate / 100, [&](void* to, size_t n) { return source.Fill(to, n); }, stop));
    stopper.join();
    EXPECT_LT(GetTickCount() - started, 2000u);
    EXPECT_LT(source.next, size_t(kRate * 2));
    CloseHandle(stop);
}

} // namespace
