#include "CueSheet.h"

#include <gtest/gtest.h>

#include <map>

using namespace cdimage;

namespace {

bool Sizes(const std::string& path, uint64_t* bytes, void* context)
{
    auto* files = static_cast<std::map<std::string, uint64_t>*>(context);
    auto it = files->find(path);
    if (it == files->end())
        return false;
    *bytes = it->second;
    return true;
}

struct Expected {
    int number;
    bool audio;
    uint32_t index0, index1, end;
};

} // namespace

TEST(CueSheet, LaysOutTracksGapsAndFilesOnTheDisc)
{
    std::map<std::string, uint64_t> files = {{"d\\a.bin", 1000 * 2352ull}, {"d\\b.bin", 300 * 2352ull},
                                             {"d\\c.bin", 500 * 2048ull}};
    struct Case {
        const char* name;
        std::string sheet;
        std::vector<Expected> tracks;
        uint32_t leadOut;
        Medium medium;
    } cases[] = {
        {"index 00 inside the file",
         "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 00:04:00\nINDEX 01 00:06:00\n",
         {{1, true, 0, 0, 300}, {2, true, 300, 450, 1000}}, 1000, Medium::CdRom},
        {"a PREGAP no file holds pushes the rest back",
         "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nPREGAP 00:02:00\nINDEX 01 00:04:00\n",
         {{1, true, 0, 0, 300}, {2, true, 300, 450, 1150}}, 1150, Medium::CdRom},
        {"second file follows the first; data track of 2048-byte sectors",
         "REM MEDIUM CD-R\r\nFILE a.bin BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
         "FILE \"b.bin\" BINARY\r\n  TRACK 02 AUDIO\r\n    INDEX 01 00:00:00\r\n"
         "FILE \"c.bin\" BINARY\r\n  TRACK 03 MODE1/2048\r\n    INDEX 01 00:00:00\r\n",
         {{1, true, 0, 0, 1000}, {2, true, 1000, 1000, 1300}, {3, false, 1300, 1300, 1800}}, 1800, Medium::CdR},
        {"blank rewritable disc", "REM MEDIUM CD-RW\nREM CAPACITY 21:00:00\n", {}, 0, Medium::CdRw},
    };
    for (const Case& c : cases) {
        CueDisc disc;
        std::string error;
        ASSERT_TRUE(ParseCueSheet(c.sheet, "d", Sizes, &files, &disc, &error)) << c.name << ": " << error;
        EXPECT_EQ(c.medium, disc.medium) << c.name;
        EXPECT_EQ(c.leadOut, disc.leadOut) << c.name;
        ASSERT_EQ(c.tracks.size(), disc.tracks.size()) << c.name;
        for (size_t i = 0; i < c.tracks.size(); ++i) {
            const CueTrack& t = disc.tracks[i];
            EXPECT_EQ(c.tracks[i].number, t.number) << c.name;
            EXPECT_EQ(c.tracks[i].audio, t.audio) << c.name;
            EXPECT_EQ(c.tracks[i].index0, t.index0) << c.name << " track " << t.number;
            EXPECT_EQ(c.tracks[i].index1, t.index1) << c.name << " track " << t.number;
            EXPECT_EQ(c.tracks[i].end, t.end) << c.name << " track " << t.number;
        }
    }
    CueDisc blank;
    ASSERT_TRUE(ParseCueSheet(cases[3].sheet, "d", Sizes, &files, &blank, nullptr));
    EXPECT_EQ(21u * 60 * 75, blank.capacity);
}

TEST(CueSheet, RefusesSheetsThatDescribeNoDisc)
{
    std::map<std::string, uint64_t> files = {{"d\\a.bin", 1000 * 2352ull}};
    const char* sheets[] = {
        "FILE \"missing.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
        "FILE \"a.bin\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
        "FILE \"a.bin\" BINARY\nTRACK 01 CDG\nINDEX 01 00:00:00\n",
        "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\n",
        "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 03 AUDIO\nINDEX 01 00:05:00\n",
        "FILE \"a.bin\" BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n",
        "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:05:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n",
        "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:20:00\n",
        "REM CAPACITY 00:10:00\nFILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
        "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n",
        "TRACK 01 AUDIO\nINDEX 01 00:00:00\n",
        "REM MEDIUM DVD\n",
    };
    for (const char* sheet : sheets) {
        CueDisc disc;
        std::string error;
        EXPECT_FALSE(ParseCueSheet(sheet, "d", Sizes, &files, &disc, &error)) << sheet;
        EXPECT_FALSE(error.empty()) << sheet;
    }
}

TEST(CueSheet, BurnedSheetReadsBackAsWritten)
{
    const std::string sheet = FormatBurnedSheet(Medium::CdRw, kDefaultCapacity, "disc.bin", {{0, 0}, {750, 900}});
    std::map<std::string, uint64_t> files = {{"d\\disc.bin", 2000 * 2352ull}};
    CueDisc disc;
    ASSERT_TRUE(ParseCueSheet(sheet, "d", Sizes, &files, &disc, nullptr)) << sheet;
    EXPECT_EQ(Medium::CdRw, disc.medium);
    ASSERT_EQ(2u, disc.tracks.size());
    EXPECT_EQ(0u, disc.tracks[0].index1);
    EXPECT_EQ(750u, disc.tracks[0].end);
    EXPECT_EQ(750u, disc.tracks[1].index0);
    EXPECT_EQ(900u, disc.tracks[1].index1);
    EXPECT_EQ(2000u, disc.leadOut);
    EXPECT_EQ("00:12:00", FormatMsf(900));
}
