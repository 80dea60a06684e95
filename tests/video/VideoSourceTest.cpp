// The video sources on their roads: each clip opens on the road that decodes it here, and the
// picture drawn for frame 7 is frame 7 (a pixel tells) after seeks from both sides.
#include "AviStructure.h"
#include "AviVideoSource.h"
#include "CinepakCheck.h"
#include "SoundFile.h"
#include "DShowVideoSource.h"
#include "DrawWindow.h"
#include "VideoFixtures.h"
#include "VideoSource.h"

#include <gtest/gtest.h>

#include <memory>

TEST(VideoSource, EachClipOpensOnItsRoadAndDrawsFrameSevenForFrameSeven)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct Case {
        const char* file;
        short avi; // 1 AVIFile road, 0 graph road
    } cases[] = {
        {"rgb24.avi", 1},       {"cinepak.avi", 1},      {"msvideo1.avi", 1},    {"mjpeg.avi", 0},
        {"yuy2.avi", 0},        {"i420.avi", 0},         {"mpeg4-DX50.avi", 0},  {"mpeg4-DIVX.avi", 0},
        {"mpeg4-XVID.avi", 0},  {"h264.avi", 0},         {"wmv2.wmv", 0},        {"theora.ogg", 0},
    };
    DrawWindow w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::unique_ptr<CVideoSource> source(CreateVideoSource(VideoFixture(c.file).c_str(), w.Window()));
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(source->IsAviFile(), c.avi);
        EXPECT_EQ(source->GetWidth(), 160);
        EXPECT_EQ(source->GetHeight(), 120);
        EXPECT_EQ(source->GetFrameCount(), 12);
        EXPECT_NEAR(source->GetFrameDuration(), 400.0, 0.01);
        // From after it and from before it (a graph seeks back to a key frame and on).
        EXPECT_EQ(DrawnFrame(*source, w, 10), 10);
        EXPECT_EQ(DrawnFrame(*source, w, 7), 7);
        EXPECT_EQ(DrawnFrame(*source, w, 2), 2);
        EXPECT_EQ(DrawnFrame(*source, w, 7), 7);
        // In playback order, as the preview follows playback (a graph steps on from the frame
        // it holds), and on after a frame skipped.
        if (c.avi == 0) {
            for (int frame : {0, 1, 2, 3, 4, 5, 6, 8, 11})
                EXPECT_EQ(DrawnFrame(*source, w, frame), frame);
        }
    }
    CoUninitialize();
}

TEST(VideoSource, FilesNoRoadMayOpenGetNoSource)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DrawWindow w;
    EXPECT_EQ(CreateVideoSource(VideoFixture("clip.MOV").c_str(), w.Window()), nullptr);
    EXPECT_EQ(CreateVideoSource(VideoFixture("no-such-clip.avi").c_str(), w.Window()), nullptr);
    EXPECT_EQ(CreateVideoSource("", w.Window()), nullptr);
    for (const char* name : kDamagedAvis) {
        SCOPED_TRACE(name);
        EXPECT_EQ(CreateVideoSource(DamagedFixture(name).c_str(), w.Window()), nullptr);
    }
    CoUninitialize();
}

TEST(VideoSource, ACodecNoOneDecodesShowsHatchingAndNamesTheCodec)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DrawWindow w;
    std::unique_ptr<CVideoSource> source(CreateVideoSource(VideoFixture("zzzz.avi").c_str(), w.Window()));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->IsAviFile(), 1);
    EXPECT_TRUE(source->LacksFrameDecoder());
    EXPECT_EQ(source->GetCodecText(), "ZZZZ");
    w.Clear(kCleared);
    EXPECT_TRUE(source->DrawFrame(w.Dc(), 8, 8, 160, 120, 3, 1));
    int white = 0, red = 0;
    for (int x = 8; x < 168; ++x) {
        const COLORREF c = GetPixel(w.Dc(), x, 60);
        white += c == RGB(255, 255, 255);
        red += c == RGB(128, 0, 0);
    }
    EXPECT_GT(white, 100);
    EXPECT_GT(red, 10);
    // Outside the video: black.
    EXPECT_TRUE(source->DrawFrame(w.Dc(), 8, 8, 160, 120, 12, 1));
    EXPECT_EQ(GetPixel(w.Dc(), 60, 60), RGB(0, 0, 0));
    CoUninitialize();
}

TEST(VideoSource, FrameTimesAndSizesFollowTheStream)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DrawWindow w;
    CAviVideoSource thirty;
    ASSERT_TRUE(thirty.Open(VideoFixture("rgb24-30fps.avi").c_str()));
    EXPECT_NEAR(thirty.GetFrameDuration(), 333.33, 0.005);
    // The period is known to a source that refused the file (here: OpenDML is not in play,
    // so the DIVX fixture shows it).
    CAviVideoSource divx;
    EXPECT_FALSE(divx.Open(VideoFixture("mpeg4-DIVX.avi").c_str()));
    EXPECT_EQ(divx.GetFramePeriod(), 400000);
    std::unique_ptr<CVideoSource> ntsc(CreateVideoSource(VideoFixture("mjpeg-352x480.avi").c_str(), w.Window()));
    ASSERT_NE(ntsc, nullptr);
    EXPECT_EQ(ntsc->IsAviFile(), 0);
    EXPECT_EQ(ntsc->GetWidth(), 352);
    EXPECT_EQ(ntsc->GetHeight(), 240);
    CoUninitialize();
}

TEST(CinepakCheck, FramesThatLieAboutTheirSizesAreKeptFromTheDecoder)
{
    InFile file(VideoFixture("cinepak.avi").c_str());
    const AviStreamInfo video = *ReadAviStructure(file, kAviVideo).Find(kAviVideo);
    std::vector<uint8_t> good(video.chunks[1].size);
    file.ReadAt(video.chunks[1].offset, good.data(), good.size());
    ASSERT_TRUE(IsSoundCinepakFrame(good.data(), good.size(), 160, 120));
    auto put16 = [](std::vector<uint8_t>& f, size_t at, unsigned v) {
        f[at] = uint8_t(v >> 8);
        f[at + 1] = uint8_t(v);
    };
    struct Case {
        const char* lie;
        void (*mutate)(std::vector<uint8_t>&, decltype(put16)&);
    } cases[] = {
        {"frame wider than the stream", [](std::vector<uint8_t>& f, decltype(put16)& p) { p(f, 4, 161); }},
        {"more strips than a frame holds", [](std::vector<uint8_t>& f, decltype(put16)& p) { p(f, 8, 40); }},
        {"strip past the picture's right edge", [](std::vector<uint8_t>& f, decltype(put16)& p) { p(f, 20, 400); }},
        {"strip longer than the frame", [](std::vector<uint8_t>& f, decltype(put16)& p) { p(f, 12, 0xFFF0); }},
        {"chunk longer than its strip", [](std::vector<uint8_t>& f, decltype(put16)& p) { p(f, 24, 0xFFF0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lie);
        std::vector<uint8_t> f = good;
        c.mutate(f, put16);
        EXPECT_FALSE(IsSoundCinepakFrame(f.data(), f.size(), 160, 120));
    }
    // A full codebook of 257 colour entries is one more than a codebook holds.
    std::vector<uint8_t> big = {0, 0, 0, 0, 0, 160, 0, 120, 0, 1, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 120, 0, 160,
                                0x20, 0, 0, 0};
    const unsigned chunk = 4 + 257 * 6, strip = 12 + chunk, frame = 10 + strip;
    big.resize(frame, 0);
    big[1] = uint8_t(frame >> 16), big[2] = uint8_t(frame >> 8), big[3] = uint8_t(frame);
    put16(big, 12, strip);
    put16(big, 24, chunk);
    EXPECT_FALSE(IsSoundCinepakFrame(big.data(), big.size(), 160, 120));
}
