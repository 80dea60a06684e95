// A process writing a WAV through the stream library's writer ("KSWAVW  ") is killed on the
// way, as a crash would stop it: the reader ("KSWAVR  ") opens what is left with every whole
// frame that reached the file, or, before the first frame, refuses it with its own code.
// The process killed is this test program, running the child test below.
//
// KV_STRM_KILLS sets the number of kills (default 5), KV_STRM_KILL_SEED the seed.
#include "SoundFile.h"
#include "StrmKit.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

constexpr const char* kChildVariable = "KV_STRM_KILL_CHILD";
constexpr const char* kChildTest = "WavWriterKill.DISABLED_WritesUntilKilled";
constexpr UINT kKilledCode = 77;
constexpr uint32_t kBlockFrames = 441;

// Frame n of the stream written: every frame tells where it lies.
int16_t PatternSample(uint64_t frame, int channel)
{
    return int16_t(channel == 0 ? frame * 7 + 3 : ~(frame * 5));
}

} // namespace

// Run only as the child of the test below: writes blocks until killed, and says so once the
// given number of blocks is written.
TEST(WavWriterKill, DISABLED_WritesUntilKilled)
{
    char order[1024] = {};
    ASSERT_NE(0u, GetEnvironmentVariableA(kChildVariable, order, sizeof order)) << "started only by the kill test";
    std::istringstream in(order);
    std::string path, event, blocks;
    std::getline(in, path, '|');
    std::getline(in, event, '|');
    std::getline(in, blocks, '|');
    strmtest::StreamLibraryModule library;
    IStrmComponent* writer = library.Create(kTagWavWriter);
    ASSERT_NE(nullptr, writer);
    const StrmFormat format{44100, 2, 16, 16, 0};
    ASSERT_EQ(S_OK, writer->Open(path.c_str(), &format));
    HANDLE midway = OpenEventA(EVENT_MODIFY_STATE, FALSE, event.c_str());
    ASSERT_NE(nullptr, midway);
    std::vector<int16_t> block(kBlockFrames * 2);
    uint64_t frame = 0;
    for (unsigned written = 0; written < 20000; ++written) {
        if (written == unsigned(std::stoul(blocks)))
            SetEvent(midway);
        for (uint32_t i = 0; i < kBlockFrames; ++i, ++frame)
            for (int c = 0; c < 2; ++c)
                block[i * 2 + c] = PatternSample(frame, c);
        ASSERT_EQ(S_OK, writer->Write(block.data(), kBlockFrames));
    }
    Sleep(INFINITE);
}

TEST(WavWriterKill, AKilledWritersFileOpensWithTheFramesThatReachedIt)
{
    const unsigned kills = kvtest::EnvNumber("KV_STRM_KILLS", 5);
    const unsigned seed = kvtest::EnvNumber("KV_STRM_KILL_SEED", 1);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    strmtest::StreamLibraryModule library;
    ASSERT_TRUE(library.Loaded());
    kvtest::ScratchFolder folder;
    unsigned empty = 0;
    for (unsigned kill = 0; kill < kills; ++kill) {
        // The first kill comes before any frame is written.
        const unsigned blocks = kill == 0 ? 0 : 1 + rng() % 300;
        SCOPED_TRACE("kill " + std::to_string(kill) + " after " + std::to_string(blocks) + " blocks");
        const std::string path = folder.File("take" + std::to_string(kill) + ".wav");
        const std::string eventName = "kvstrmkill-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(kill);
        HANDLE midway = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
        DWORD code = 0;
        const bool killed =
            kvtest::KillChildAtEvent("strm_tests.exe", kChildTest, kChildVariable,
                                     path + "|" + eventName + "|" + std::to_string(blocks), midway, kKilledCode, &code);
        CloseHandle(midway);
        ASSERT_TRUE(killed) << "the child ended on its own, code " << code;

        IStrmComponent* reader = library.Create(kTagWavReader);
        ASSERT_NE(nullptr, reader);
        const HRESULT hr = reader->Open(path.c_str(), nullptr);
        if (hr == kErrDamagedRiff && blocks == 0) {
            ++empty; // killed before its first frame reached the file
            reader->Release();
            continue;
        }
        ASSERT_EQ(S_OK, hr) << std::hex << hr;
        StrmFormat format{};
        uint64_t frames = 0;
        reader->GetFormat(&format);
        reader->GetLength(&frames);
        EXPECT_EQ(44100u, format.rate);
        EXPECT_EQ(2, format.channels);
        EXPECT_EQ(16, format.bits);
        ASSERT_GE(frames, uint64_t(blocks) * kBlockFrames);
        std::vector<int16_t> samples(size_t(frames) * 2);
        uint32_t count = uint32_t(frames);
        ASSERT_EQ(S_OK, reader->Read(samples.data(), &count));
        ASSERT_EQ(frames, count);
        reader->Release();
        size_t wrong = 0;
        for (uint64_t f = 0; f < frames; ++f)
            for (int c = 0; c < 2; ++c)
                wrong += samples[size_t(f) * 2 + c] != PatternSample(f, c);
        EXPECT_EQ(0u, wrong) << "of " << frames << " frames";
    }
    std::printf("%u kills, %u before the first frame reached the file\n", kills, empty);
}
