// Our AVI writer: the video's packets come back byte for byte and the sound sample for sample,
// through our walk and through the system's AVI library; past the part limit the OpenDML form
// spans several parts and reads whole, or nothing is written when the user declines it.
#include "AviStructure.h"
#include "AviWriter.h"
#include "KvSSException.h"
#include "SoundFile.h"
#include "TestSupport.h"
#include "VideoFixtures.h"

#include <gtest/gtest.h>
#include <vfw.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace {

// Stereo 16-bit sound whose every sample tells its place.
int16_t SampleAt(uint64_t frame, int channel)
{
    return static_cast<int16_t>((frame * 7 + channel * 13) & 0x7FFF);
}

AviWriteAudio Sound(uint64_t frames)
{
    AviWriteAudio audio;
    audio.format = PcmFormat(2, 44100, 16, 0);
    audio.rate = 44100;
    audio.blockAlign = 4;
    audio.frames = frames;
    audio.read = [](uint64_t first, size_t count, uint8_t* out) {
        auto* s = reinterpret_cast<int16_t*>(out);
        for (size_t i = 0; i < count; ++i)
            for (int c = 0; c < 2; ++c)
                *s++ = SampleAt(first + i, c);
    };
    return audio;
}

std::vector<uint8_t> ChunkBytes(const InFile& file, const AviChunkRef& c)
{
    std::vector<uint8_t> b(c.size);
    if (c.size)
        file.ReadAt(c.offset, b.data(), c.size);
    return b;
}

// Writes the video of a fixture with sound into path; parts counts the RIFF parts written.
HRESULT Save(const std::string& path, const char* fixture, uint64_t frames, uint64_t limit, bool allowOpenDml)
{
    try {
        InFile source(VideoFixture(fixture).c_str());
        AviWriteVideo video;
        video.file = &source;
        video.stream = *ReadAviStructure(source, kAviVideo).Find(kAviVideo);
        AviWriteOptions options;
        options.partLimit = limit;
        options.allowOpenDml = [allowOpenDml] { return allowOpenDml; };
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        WriteAvi([&out](const void* d, size_t n) { out.write(static_cast<const char*>(d), std::streamsize(n)); },
                 video, Sound(frames), options);
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

void ExpectSameVideoAndSound(const std::string& path, const char* fixture, uint64_t frames)
{
    InFile source(VideoFixture(fixture).c_str());
    const AviStreamInfo original = *ReadAviStructure(source, kAviVideo).Find(kAviVideo);
    InFile saved(path.c_str());
    const AviStructure avi = ReadAviStructure(saved, kAviVideo);
    const AviStreamInfo& video = *avi.Find(kAviVideo);
    ASSERT_EQ(video.chunks.size(), original.chunks.size());
    for (size_t i = 0; i < video.chunks.size(); ++i)
        ASSERT_EQ(ChunkBytes(saved, video.chunks[i]), ChunkBytes(source, original.chunks[i])) << "packet " << i;
    EXPECT_EQ(video.format, original.format);
    EXPECT_EQ(video.scale, original.scale);
    EXPECT_EQ(video.rate, original.rate);
    const AviStreamInfo* audio = avi.Find(kAviAudio);
    ASSERT_NE(audio, nullptr);
    uint64_t frame = 0;
    for (const AviChunkRef& c : audio->chunks) {
        const std::vector<uint8_t> b = ChunkBytes(saved, c);
        const auto* s = reinterpret_cast<const int16_t*>(b.data());
        for (size_t i = 0; i + 1 < b.size() / 2; i += 2, ++frame)
            ASSERT_TRUE(s[i] == SampleAt(frame, 0) && s[i + 1] == SampleAt(frame, 1)) << "frame " << frame;
    }
    EXPECT_EQ(frame, frames);
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    InFile f(path.c_str());
    std::vector<uint8_t> b(f.Size());
    f.ReadAt(0, b.data(), b.size());
    return b;
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& b)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

} // namespace

TEST(AviWriter, CopiesEveryVideoPacketAndTheSoundSampleForSample)
{
    kvtest::ScratchFolder folder;
    struct Case {
        const char* fixture;
        uint64_t frames; // of sound, shorter and longer than the video
    } cases[] = {{"cinepak.avi", 44100 / 5}, {"mjpeg.avi", 44100 * 2 + 3}, {"h264.avi", 21168}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string path = folder.File("saved.avi");
        ASSERT_EQ(Save(path, c.fixture, c.frames, 1ull << 31, false), S_OK);
        ExpectSameVideoAndSound(path, c.fixture, c.frames);
    }
}

TEST(AviWriter, TheSystemLibraryReadsTheSavedFileWhole)
{
    kvtest::ScratchFolder folder;
    const std::string path = folder.File("saved.avi");
    const uint64_t frames = 44100 + 100;
    ASSERT_EQ(Save(path, "cinepak.avi", frames, 1ull << 31, false), S_OK);
    AVIFileInit();
    PAVISTREAM audio = nullptr, video = nullptr;
    ASSERT_EQ(AVIStreamOpenFromFileA(&audio, path.c_str(), streamtypeAUDIO, 0, OF_READ, nullptr), 0);
    ASSERT_EQ(AVIStreamOpenFromFileA(&video, path.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr), 0);
    EXPECT_EQ(AVIStreamLength(video), 12);
    EXPECT_EQ(AVIStreamLength(audio), static_cast<LONG>(frames));
    // Read in pieces across the chunks: every sample where it belongs.
    std::vector<int16_t> got(2 * 1000);
    for (LONG at : {0L, 44000L, 44100L}) {
        LONG bytes = 0, samples = 0;
        ASSERT_EQ(AVIStreamRead(audio, at, 1000, got.data(), 4000, &bytes, &samples), 0);
        ASSERT_GT(samples, 0);
        for (LONG i = 0; i < samples; ++i)
            ASSERT_EQ(got[2 * i], SampleAt(at + i, 0)) << at + i;
    }
    AVIStreamRelease(audio);
    AVIStreamRelease(video);
    AVIFileExit();
}

TEST(AviWriter, PastThePartLimitOpenDmlSpansSeveralPartsAndReadsWhole)
{
    kvtest::ScratchFolder folder;
    const std::string path = folder.File("big.avi");
    const uint64_t frames = 44100 / 2;
    ASSERT_EQ(Save(path, "rgb24.avi", frames, 200000, true), S_OK);
    InFile saved(path.c_str());
    const AviStructure avi = ReadAviStructure(saved, kAviVideo);
    EXPECT_TRUE(avi.openDml);
    EXPECT_GE(avi.riffParts, 4);
    ExpectSameVideoAndSound(path, "rgb24.avi", frames);
    // Every part stays within the limit.
    std::vector<uint8_t> b(saved.Size());
    saved.ReadAt(0, b.data(), b.size());
    for (size_t at = 0; at + 8 <= b.size();) {
        const uint32_t size = b[at + 4] | b[at + 5] << 8 | b[at + 6] << 16 | uint32_t(b[at + 7]) << 24;
        EXPECT_LE(size + 8u, 200000u);
        at += 8 + size;
    }
}

TEST(AviWriter, DecliningOpenDmlWritesNothing)
{
    kvtest::ScratchFolder folder;
    const std::string path = folder.File("big.avi");
    EXPECT_EQ(Save(path, "rgb24.avi", 44100, 200000, false), kErrCancelled);
    EXPECT_EQ(InFile(path.c_str()).Size(), 0u);
}

TEST(AviWriter, OpenDmlIndexesThatLieAreRefusedByTheWalk)
{
    kvtest::ScratchFolder folder;
    ASSERT_EQ(Save(folder.File("good.avi"), "rgb24.avi", 44100 / 2, 200000, true), S_OK);
    const std::vector<uint8_t> good = ReadAll(folder.File("good.avi"));
    struct Case {
        const char* lie;
        void (*mutate)(std::vector<uint8_t>&);
    } cases[] = {
        {"super index entry past the file",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "indx") + 8 + 24 + 4, 0x7FFF); }},
        {"super index counts more entries than it holds",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "indx") + 8 + 4, 100000); }},
        {"chunk index entry past movi",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "ix00") + 8 + 24, 0x7FFFFF00); }},
        {"chunk index size unlike its chunk",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "ix00") + 8 + 28, 17); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lie);
        std::vector<uint8_t> b = good;
        c.mutate(b);
        const std::string path = folder.File("lie.avi");
        WriteAll(path, b);
        EXPECT_THROW(ReadAviStructure(path.c_str(), kAviVideo), CKvSSException);
    }
}
