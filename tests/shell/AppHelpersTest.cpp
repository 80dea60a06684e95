// The application's pure pieces: the DirectX check, the in-use block, last-file entries,
// the AIFF channel tables and the folder helpers.
#include <gtest/gtest.h>
#include <windows.h>

#include "AppHelpers.h"
#include "DirectXVersion.h"
#include "LastFiles.h"
#include "SingleInstance.h"
#include "StreamLibrary.h"
#include "TestSupport.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Files = std::map<std::string, uint64_t>;

FileVersionReader Feed(const Files& files)
{
    return [files](const char* name, uint64_t* version) {
        auto found = files.find(name);
        if (found == files.end())
            return E_FAIL;
        *version = found->second;
        return S_OK;
    };
}

} // namespace

TEST(DirectXVersion, FileVersionsGiveTheNewestHoldingRow)
{
    struct Case {
        const char* what;
        Files files;
        DWORD packed;
        const char* text;
    } cases[] = {
        {"no ddraw at all", {}, 0, "0.0"},
        {"d3d8 5.01.2600.881",
         {{"ddraw.dll", MakeVersion64(5, 1, 2600, 881)}, {"d3d8.dll", MakeVersion64(5, 1, 2600, 881)}},
         0x80100,
         "8.1"},
        {"d3d8 4.08.1.901 is 8.1a", {{"d3d8.dll", MakeVersion64(4, 8, 1, 901)}}, 0x80101, "8.1a"},
        {"mpg2splt.ax gives 8.1b",
         {{"d3d8.dll", MakeVersion64(5, 1, 2600, 881)}, {"mpg2splt.ax", MakeVersion64(6, 3, 1, 885)}},
         0x80102,
         "8.1b"},
        {"ddraw 8.0 only", {{"ddraw.dll", MakeVersion64(4, 8, 0, 400)}}, 0x80000, "8.0"},
        {"a 4.x version below the 4.x bound fails the row", {{"d3d8.dll", MakeVersion64(4, 8, 1, 880)}}, 0, "0.0"},
        {"a 5.x version below the 5.x bound fails the row", {{"d3d8.dll", MakeVersion64(5, 1, 2600, 880)}}, 0, "0.0"},
        {"d3d9 with any version is 9.0",
         {{"ddraw.dll", MakeVersion64(4, 2, 0, 95)}, {"d3d9.dll", MakeVersion64(0, 0, 0, 1)}},
         0x90000,
         "9.0"},
        {"dplayx 6.1a",
         {{"ddraw.dll", MakeVersion64(4, 6, 0, 436)}, {"dplayx.dll", MakeVersion64(4, 6, 3, 518)}},
         0x60101,
         "6.1a"},
    };
    for (const Case& c : cases) {
        DWORD packed = 0xFFFFFFFF;
        char text[16] = "x";
        ASSERT_EQ(GetDirectXVersion(Feed(c.files), &packed, text, sizeof text), S_OK) << c.what;
        EXPECT_EQ(packed, c.packed) << c.what;
        EXPECT_STREQ(text, c.text) << c.what;
        EXPECT_EQ(packed >= kDirectXRequired, c.packed >= 0x80100) << c.what;
    }
    // The text is cut to its buffer and terminated.
    char small[3] = {'x', 'x', 'x'};
    GetDirectXVersion(Feed({{"mpg2splt.ax", MakeVersion64(6, 3, 1, 885)}}), nullptr, small, sizeof small);
    EXPECT_STREQ(small, "8.");
}

// A version read maps its file twice: the newest holding row ends the search, and files that
// several rows name are read once.
TEST(DirectXVersion, TheNewestHoldingRowEndsTheSearchAndEachFileIsReadOnce)
{
    const struct {
        const char* what;
        Files files;
        DWORD packed;
        size_t filesRead;
    } cases[] = {
        {"d3d9 present: only it is read", {{"d3d9.dll", MakeVersion64(0, 0, 0, 1)}}, 0x90000, 1},
        // d3d9, dpnet, mpg2splt, d3d8 (two rows), ddraw: five files.
        {"ddraw 8.0 only", {{"ddraw.dll", MakeVersion64(4, 8, 0, 400)}}, 0x80000, 5},
        {"nothing at all: every file once", {}, 0, 8},
    };
    for (const auto& c : cases) {
        std::map<std::string, int> reads;
        const FileVersionReader feed = Feed(c.files);
        DWORD packed = 0;
        GetDirectXVersion(
            [&](const char* name, uint64_t* version) {
                ++reads[name];
                return feed(name, version);
            },
            &packed, nullptr, 0);
        EXPECT_EQ(packed, c.packed) << c.what;
        EXPECT_EQ(reads.size(), c.filesRead) << c.what;
        for (const auto& read : reads)
            EXPECT_EQ(read.second, 1) << c.what << " " << read.first;
    }
}

TEST(DirectXVersion, ThisSystemIsReadFromItsOwnFiles)
{
    DWORD packed = 0;
    char text[16] = {};
    ASSERT_EQ(GetDirectXVersion(&packed, text, sizeof text), S_OK);
    EXPECT_GE(packed, kDirectXRequired) << text;
}

TEST(SingleInstance, TheInUseNameIsBoundedByItsWordThe255CharactersAndTheBlock)
{
    std::vector<unsigned char> block(kSharedBlockSize, 0);
    WriteInUseName(block.data(), "someone");
    EXPECT_EQ(ReadInUseName(block.data(), block.size()), "someone");
    DWORD word = 0;
    memcpy(&word, block.data(), 4);
    EXPECT_EQ(word, 9u); // 7 characters, the zero, plus 1

    WriteInUseName(block.data(), nullptr);
    EXPECT_EQ(ReadInUseName(block.data(), block.size()), "");

    // 4 KB of name with no zero and a huge word: 255 characters at most.
    std::fill(block.begin(), block.end(), 'A');
    EXPECT_EQ(ReadInUseName(block.data(), block.size()), std::string(255, 'A'));
    // The word bounds a shorter name; a word of 0 names nobody.
    word = 4;
    memcpy(block.data(), &word, 4);
    EXPECT_EQ(ReadInUseName(block.data(), block.size()), "AAAA");
    word = 0;
    memcpy(block.data(), &word, 4);
    EXPECT_EQ(ReadInUseName(block.data(), block.size()), "");
    // A block smaller than the name bounds it too.
    word = 300;
    memcpy(block.data(), &word, 4);
    EXPECT_EQ(ReadInUseName(block.data(), 10), "AAAAAA");
}

TEST(SingleInstance, OnlyNt51AndLaterFiveOrAboveSixMeetOtherUsers)
{
    EXPECT_FALSE(SystemHasGlobalBlock(5, 0));
    EXPECT_TRUE(SystemHasGlobalBlock(5, 1));
    EXPECT_TRUE(SystemHasGlobalBlock(5, 2));
    EXPECT_FALSE(SystemHasGlobalBlock(6, 1));
    EXPECT_TRUE(SystemHasGlobalBlock(10, 0));
}

TEST(LastFiles, EntriesCutTheirTwoNumbersFromTheEnd)
{
    struct Case {
        const char* text;
        const char* path;
        bool split;
    } cases[] = {
        {"C:\\a,b.kvs,4,1", "C:\\a,b.kvs", true},        {"C:\\x.kvs,0,0", "C:\\x.kvs", false},
        {"C:\\x.kvs,0,10", "C:\\x.kvs", false},          {"C:\\x.kvs,1", "C:\\x.kvs", true},
        {"C:\\no comma.kvs", "C:\\no comma.kvs", false},
    };
    for (const Case& c : cases) {
        LastFileEntry entry = ParseLastFileEntry(c.text);
        EXPECT_EQ(entry.path, c.path) << c.text;
        EXPECT_EQ(entry.splitChannels, c.split) << c.text;
    }
    EXPECT_EQ(FormatLastFileEntry("C:\\a,b.kvs", 4, true), "C:\\a,b.kvs,4,1");
    EXPECT_EQ(FormatLastFileEntry("", 0, false), "");
    EXPECT_EQ(ParseLastFileEntry(FormatLastFileEntry("C:\\a,b.kvs", 7, false)).path, "C:\\a,b.kvs");
}

TEST(StreamLibraryTables, EachCountGetsTheIdentityOrderTwice)
{
    for (int n = 3; n <= 6; ++n) {
        uint8_t table[72];
        memset(table, 0xCC, sizeof table);
        BuildAiffChannelTable(n, table);
        for (int half = 0; half < 2; ++half) {
            uint32_t count = 0;
            memcpy(&count, table + half * 36, 4);
            EXPECT_EQ(count, static_cast<uint32_t>(n));
            for (int i = 0; i < 32; ++i)
                EXPECT_EQ(table[half * 36 + 4 + i], i < n ? i : 0) << n << " " << i;
        }
    }
}

TEST(AppHelpers, FolderPathsTakeTheirNamesFromDiskWithoutTrailingBackslash)
{
    kvtest::ScratchFolder scratch;
    const std::string folder = scratch.File("Mixed Case Folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string typed = scratch.Path() + "MIXED case FOLDER\\";
    char path[MAX_PATH];
    lstrcpynA(path, typed.c_str(), MAX_PATH);
    NormalizeFolderPath(path);
    EXPECT_STREQ(path, folder.c_str());

    // The names are taken from the end until one is missing; from there it stays as typed.
    typed = scratch.Path() + "MIXED case FOLDER\\not there";
    lstrcpynA(path, typed.c_str(), MAX_PATH);
    NormalizeFolderPath(path);
    EXPECT_STREQ(path, typed.c_str());

    EXPECT_TRUE(IsWritableFolder(folder.c_str()));
    EXPECT_FALSE(IsWritableFolder((folder + "\\not there").c_str()));
    EXPECT_EQ(PathAsStoredOnDisk((scratch.Path() + "mixed CASE folder").c_str()), folder);
}

TEST(AppHelpers, TheTempBudgetIsAFifthOfTheFreeSpace)
{
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
    const uint64_t budget = TempDiskSpaceOf("C:\\some\\folder");
    // Other programs write meanwhile: within a few megabytes of a fifth.
    const uint64_t fifth = available.QuadPart * 20 / 100;
    EXPECT_LT(budget > fifth ? budget - fifth : fifth - budget, uint64_t(16) << 20);
    EXPECT_EQ(TempDiskSpaceOf("no root"), ~uint64_t(0));
    EXPECT_EQ(TempDiskSpaceOf("Q:\\surely\\missing"), ~uint64_t(0));
}
