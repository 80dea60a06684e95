// The AVI structure walk: the clips of every writer we meet pass with their streams and
// chunks; files that lie about their structure (the damaged AVIs that crashed the system's
// library, and crafted ones, one lie each) are refused before anything else reads them.
#include "AviStructure.h"
#include "KvSSException.h"
#include "SoundFile.h"
#include "TestSupport.h"
#include "VideoFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& b)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

HRESULT WalkResult(const std::string& path, uint32_t kind)
{
    try {
        ReadAviStructure(path.c_str(), kind);
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

} // namespace

TEST(AviStructure, ClipsOfEveryWriterPassWithTheirStreamsAndChunks)
{
    struct Case {
        const char* file;
        const char* handler;
        int width, height;
        bool sound;
    } cases[] = {
        {"rgb24.avi", "    ", 160, 120, true},    {"cinepak.avi", "cvid", 160, 120, true},
        {"msvideo1.avi", "MSVC", 160, 120, false}, {"mjpeg.avi", "MJPG", 160, 120, true},
        {"mpeg4-DX50.avi", "DX50", 160, 120, false}, {"h264.avi", "H264", 160, 120, false},
        {"zzzz.avi", "ZZZZ", 160, 120, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        AviStructure avi = ReadAviStructure(VideoFixture(c.file).c_str(), kAviVideo);
        const AviStreamInfo* video = avi.Find(kAviVideo);
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(FourCCText(video->handler) == c.handler || FourCCText(video->compression) == c.handler, true)
            << FourCCText(video->handler) << "/" << FourCCText(video->compression);
        EXPECT_EQ(video->width, c.width);
        EXPECT_EQ(std::abs(video->height), c.height);
        EXPECT_EQ(video->chunks.size(), 12u);
        EXPECT_EQ(avi.Find(kAviAudio) != nullptr, c.sound);
        EXPECT_FALSE(avi.openDml);
    }
}

TEST(AviStructure, DamagedAvisAreRefusedBeforeTheSystemLibrarySeesThem)
{
    for (const char* name : kDamagedAvis) {
        SCOPED_TRACE(name);
        EXPECT_EQ(WalkResult(DamagedFixture(name), kAviVideo), kErrDamagedRiff);
    }
}

TEST(AviStructure, EachLieInAStructureIsRefused)
{
    const std::vector<uint8_t> good = ReadBytes(VideoFixture("cinepak.avi"));
    kvtest::ScratchFolder folder;
    struct Case {
        const char* lie;
        void (*mutate)(std::vector<uint8_t>&);
        HRESULT expected;
    } cases[] = {
        {"RIFF size past the end", [](std::vector<uint8_t>& b) { Put32(b, 4, uint32_t(b.size())); }, kErrDamagedRiff},
        {"not an AVI form", [](std::vector<uint8_t>& b) { std::memcpy(&b[8], "WAVE", 4); }, kErrInvalidFormat},
        {"avih too short", [](std::vector<uint8_t>& b) { Put32(b, Find(b, "avih") + 4, 40); }, kErrDamagedRiff},
        {"more streams declared than listed",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "avih") + 8 + 24, 3); }, kErrDamagedRiff},
        {"video rate 0", [](std::vector<uint8_t>& b) { Put32(b, Find(b, "strh") + 8 + 24, 0); }, kErrDamagedRiff},
        {"video scale 0", [](std::vector<uint8_t>& b) { Put32(b, Find(b, "strh") + 8 + 20, 0); }, kErrDamagedRiff},
        {"strf shorter than a bitmap header",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "strf") + 8, 200); }, kErrDamagedRiff},
        {"frame width 0", [](std::vector<uint8_t>& b) { Put32(b, Find(b, "strf") + 8 + 4, 0); }, kErrDamagedRiff},
        {"LIST past its RIFF",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "hdrl") - 4, uint32_t(b.size())); }, kErrDamagedRiff},
        {"idx1 entry past movi",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "idx1") + 8 + 8, 0x7FFFFFF0); }, kErrDamagedRiff},
        {"idx1 entry size unlike its chunk",
         [](std::vector<uint8_t>& b) { Put32(b, Find(b, "idx1") + 8 + 12, 5); }, kErrDamagedRiff},
        {"idx1 entry of a stream that is not there",
         [](std::vector<uint8_t>& b) { std::memcpy(&b[Find(b, "idx1") + 8], "07dc", 4); }, kErrDamagedRiff},
        {"no video stream asked for",
         [](std::vector<uint8_t>& b) { std::memcpy(&b[Find(b, "vids")], "txts", 4); }, kErrNotSupported},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lie);
        std::vector<uint8_t> b = good;
        c.mutate(b);
        const std::string path = folder.File("lie.avi");
        WriteBytes(path, b);
        EXPECT_EQ(WalkResult(path, kAviVideo), c.expected);
    }
}
