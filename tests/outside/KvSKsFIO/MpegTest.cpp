// MPEG audio imports against ffmpeg's own decode of the same files: every import keeps the
// whole stream, to the frame and the sample; a stream shorter than it states is refused.
#include "FioKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace fiotest;

namespace {

struct MpegCase {
    std::string name;
    WORD channels;
    DWORD rate;
    int64_t frames; // ffmpeg's decode length
};

std::vector<MpegCase> Manifest()
{
    std::vector<MpegCase> cases;
    std::ifstream in(TestData("mp3\\manifest.txt"));
    MpegCase c;
    while (in >> c.name >> c.channels >> c.rate >> c.frames)
        cases.push_back(c);
    return cases;
}

// The largest difference between two runs of 16-bit samples of the same length.
int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int worst = 0;
    for (size_t i = 0; i + 1 < a.size() && i + 1 < b.size(); i += 2) {
        const int x = int16_t(a[i] | a[i + 1] << 8), y = int16_t(b[i] | b[i + 1] << 8);
        worst = std::max(worst, std::abs(x - y));
    }
    return worst;
}

} // namespace

TEST(FioMpeg, EveryImportKeepsTheWholeStreamAsFfmpegDecodesIt)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    const std::vector<MpegCase> cases = Manifest();
    ASSERT_EQ(18u, cases.size()) << "scripts/make-test-mp3.sh did not run";
    for (const MpegCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TestData("mp3\\" + c.name + ".mp3");
        FileInfoRecord info{};
        ASSERT_EQ(S_OK, fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &info));
        EXPECT_EQ(c.frames, info.lengthSamples);
        Converted out = Convert(fio.Get(), path);
        ASSERT_EQ(S_OK, out.hr);
        EXPECT_EQ(std::make_tuple(c.channels, c.rate, c.frames),
                  std::make_tuple(out.record.channels, out.record.samplesPerSec, out.record.lengthSamples));
        ASSERT_EQ(1, out.files);
        const std::vector<uint8_t> ours = ReadBytes(out.names[0]);
        const std::vector<uint8_t> theirs = ReadBytes(TestData("mp3\\" + c.name + ".raw"));
        ASSERT_EQ(theirs.size(), ours.size());
        // Two decoders of the same frames, rounded their own ways; a frame out of place would
        // differ by the tones' amplitude.
        EXPECT_LE(LargestDifference(ours, theirs), 2);
        for (const std::string& n : out.names)
            DeleteFileA(n.c_str());
    }
}

TEST(FioMpeg, TheStreamWhoseEndWasDroppedIsImportedWhole)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    // 20 s at 32 kbit/s without an Info frame: ffmpeg decodes 767 frames of 1152.
    Converted out = Convert(fio.Get(), TestData("damaged\\mp3-44k1-stereo-32kbps-20s.truncated-import.mp3"));
    ASSERT_EQ(S_OK, out.hr);
    EXPECT_EQ(883584, out.record.lengthSamples);
    ASSERT_EQ(1, out.files);
    EXPECT_EQ(883584u * 4, ReadBytes(out.names[0]).size());
    for (const std::string& n : out.names)
        DeleteFileA(n.c_str());
}

TEST(FioMpeg, AStreamShorterThanItStatesIsRefusedAndLeavesNothing)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    // A Xing (VBR) and an Info (CBR) frame state their frame counts; the files are cut to 70 %.
    for (const char* name : {"vbr128-2", "cbr64-1"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = ReadBytes(TestData(std::string("mp3\\") + name + ".mp3"));
        bytes.resize(bytes.size() * 7 / 10);
        const std::string path = folder.File(std::string(name) + ".mp3");
        ASSERT_TRUE(WriteBytes(path, bytes));
        const std::vector<std::string> before = TempFileNames();
        Converted out = Convert(fio.Get(), path);
        // "The sound in this file ends before the length the file states. ..."
        EXPECT_EQ(static_cast<HRESULT>(0x83EA0070), out.hr);
        EXPECT_TRUE(out.names.empty());
        EXPECT_EQ(before, TempFileNames());
    }
}
