// The file module's AVI road, through the module as the program loads it: the sound of an AVI
// read by our own code equals ffmpeg's decode, damaged AVIs are refused with a code, and a
// document saved as AVI carries its video's packets and its mix.
#include "AviStructure.h"
#include "FioKit.h"
#include "SoundFile.h"
#include "VideoFixtures.h"

#include <gtest/gtest.h>

using namespace fiotest;

namespace {

std::vector<uint8_t> DataOfWav(const std::vector<uint8_t>& wav)
{
    return RiffChunk(wav, "data");
}

} // namespace

TEST(AviModule, TheSoundOfAnAviIsReadByOurCodeAsFfmpegDecodesIt)
{
    Fio fio;
    kvtest::ScratchFolder folder;
    for (const char* name : {"rgb24", "cinepak", "mjpeg"}) {
        SCOPED_TRACE(name);
        const std::string path = VideoFixture(std::string(name) + ".avi");
        FileInfoRecord record{};
        ASSERT_EQ(fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &record), S_OK);
        EXPECT_EQ(record.fileType, kTypeAvi);
        EXPECT_EQ(record.hasVideo, 1);
        EXPECT_EQ(record.channels, 2);
        const std::vector<uint8_t> expected = ReadBytes(VideoFixture(std::string(name) + ".pcm"));
        EXPECT_EQ(record.lengthSamples, static_cast<int64_t>(expected.size() / 4));
        Converted c = Convert(fio.Get(), path);
        ASSERT_EQ(c.hr, S_OK);
        Engine engine(16, 44100);
        ASSERT_EQ(engine.AddTracks(c), S_OK);
        FileInfoRecord out = c.record;
        out.fileType = kTypeWav;
        const std::string wav = folder.File("sound.wav");
        ASSERT_EQ(WriteEngine(fio.Get(), engine.Set(), wav, out, {}, nullptr, nullptr), S_OK);
        EXPECT_EQ(DataOfWav(ReadBytes(wav)), expected);
    }
}

TEST(AviModule, DamagedAvisAreRefusedWithACode)
{
    Fio fio;
    for (const char* name : kDamagedAvis) {
        SCOPED_TRACE(name);
        const std::string path = DamagedFixture(name);
        FileInfoRecord record{};
        EXPECT_EQ(fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &record), kErrDamagedRiff);
        EXPECT_EQ(Convert(fio.Get(), path).hr, kErrDamagedRiff);
    }
}

TEST(AviModule, SavingAsAviCarriesTheVideoPacketsAndTheMix)
{
    Fio fio;
    kvtest::ScratchFolder folder;
    Engine engine(16, 44100);
    const std::string source = VideoFixture("cinepak.avi");
    Converted c = Convert(fio.Get(), source);
    ASSERT_EQ(c.hr, S_OK);
    ASSERT_EQ(engine.AddTracks(c), S_OK);
    FileInfoRecord record = c.record;
    record.fileType = kTypeAvi;
    const std::string saved = folder.File("saved.avi");

    // Without a video the format is refused ("Cannot save without video data").
    ASSERT_EQ(fio->SetVideoPath(nullptr), S_OK);
    EXPECT_EQ(WriteEngine(fio.Get(), engine.Set(), saved, record, {}, nullptr, nullptr),
              static_cast<HRESULT>(0x83E8044F));

    // As the document writes: the video path, the engine and the mix's channels, then the write.
    ASSERT_EQ(fio->SetVideoPath(source.c_str()), S_OK);
    ASSERT_EQ(fio->SetTrackSet(engine.Set()), S_OK);
    ASSERT_EQ(fio->SetWriteChannels(2, 0), S_OK);
    ASSERT_EQ(fio->WriteSoundFile(nullptr, saved.c_str(), source.c_str(), &record, nullptr, 0, 0, nullptr, nullptr), S_OK);
    ASSERT_EQ(fio->GetCompletionResult(), S_OK);
    fio->SetTrackSet(nullptr);
    InFile in(saved.c_str()), original(source.c_str());
    const AviStructure avi = ReadAviStructure(in, kAviVideo);
    const AviStreamInfo& video = *avi.Find(kAviVideo);
    const AviStreamInfo was = *ReadAviStructure(original, kAviVideo).Find(kAviVideo);
    ASSERT_EQ(video.chunks.size(), was.chunks.size());
    for (size_t i = 0; i < video.chunks.size(); ++i) {
        std::vector<uint8_t> a(video.chunks[i].size), b(was.chunks[i].size);
        in.ReadAt(video.chunks[i].offset, a.data(), a.size());
        original.ReadAt(was.chunks[i].offset, b.data(), b.size());
        ASSERT_EQ(a, b) << "packet " << i;
    }
    // The mix of the one stereo track is the track: the saved sound is the source's.
    FileInfoRecord back{};
    ASSERT_EQ(fio->QueryFileInfo(nullptr, saved.c_str(), -1, 0, &back), S_OK);
    Converted again = Convert(fio.Get(), saved);
    ASSERT_EQ(again.hr, S_OK);
    Engine check(16, 44100);
    ASSERT_EQ(check.AddTracks(again), S_OK);
    FileInfoRecord wav = again.record;
    wav.fileType = kTypeWav;
    ASSERT_EQ(WriteEngine(fio.Get(), check.Set(), folder.File("back.wav"), wav, {}, nullptr, nullptr), S_OK);
    EXPECT_EQ(DataOfWav(ReadBytes(folder.File("back.wav"))), ReadBytes(VideoFixture("cinepak.pcm")));
}
