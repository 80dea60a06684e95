#include <gtest/gtest.h>

#include "FileNames.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "TempFilePaths.h"
#include "TestSupport.h"

#include <cstring>
#include <string>

namespace {

std::string SystemTempPath()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return path;
}

} // namespace

TEST(TempFilePaths, WithoutTheSettingUsesTheSystemFolderAsItIs)
{
    SettingsTestRoot root;
    TempFilePaths paths;
    EXPECT_EQ(std::string(paths.GetFolder()), SystemTempPath());
    for (const char* value : {"", static_cast<const char*>(nullptr)}) {
        if (value)
            SetSettingString("Settings", "TempPath", value);
        EXPECT_EQ(std::string(paths.GetFolder()), SystemTempPath()) << "empty setting";
    }
    SetSettingString("Settings", "TempPath", (std::string("C:\\") + std::string(270, 'a')).c_str());
    EXPECT_EQ(std::string(paths.GetFolder()), SystemTempPath()) << "a value too long for a path";
    SetSettingString("Settings", "TempPath", (std::string("C:\\") + std::string(MAX_PATH - 9, 'a')).c_str());
    EXPECT_EQ(std::string(paths.GetFolder()), SystemTempPath()) << "no room left for the sub-folder";
}

TEST(TempFilePaths, SettingGetsTheSubFolderAndKeepsItsClosingBackslash)
{
    SettingsTestRoot root;
    kvtest::ScratchFolder scratch;
    const std::string base = scratch.Path() + "Work";
    TempFilePaths paths;
    SetSettingString("Settings", "TempPath", base.c_str());
    EXPECT_EQ(std::string(paths.GetFolder()), base + "\\kv5eu");
    EXPECT_FALSE(IsExistingFolder(base)) << "one level only";

    CreateDirectoryA(base.c_str(), nullptr);
    EXPECT_EQ(std::string(paths.GetFolder()), base + "\\kv5eu");
    EXPECT_TRUE(IsExistingFolder(base + "\\kv5eu"));
    SetSettingString("Settings", "TempPath", (base + "\\").c_str());
    EXPECT_EQ(std::string(paths.GetFolder()), base + "\\kv5eu\\");

    char copy[MAX_PATH];
    EXPECT_EQ(paths.GetFolderCopy(copy, sizeof(copy)), 1);
    EXPECT_EQ(std::string(copy), base + "\\kv5eu\\");
    char small[8];
    EXPECT_EQ(paths.GetFolderCopy(small, sizeof(small)), 0) << "does not fit";
    EXPECT_EQ(paths.GetFolderCopy(nullptr, 10), 0);
    EXPECT_EQ(paths.GetFolderCopy(copy, 0), 0);
    RemoveDirectoryA((base + "\\kv5eu").c_str());
    RemoveDirectoryA(base.c_str());
}

TEST(TempFilePaths, MakesUniqueEmptyFilesWithThePrefix)
{
    SettingsTestRoot root;
    kvtest::ScratchFolder scratch;
    SetSettingString("Settings", "TempPath", scratch.Path().c_str());
    TempFilePaths paths;
    std::string first = paths.MakeTempFileName("KVC");
    std::string second = paths.MakeTempFileName(nullptr);
    const std::string folder = scratch.Path() + "kv5eu\\";
    ASSERT_EQ(first.compare(0, folder.size() + 3, folder + "KVC"), 0) << first;
    ASSERT_EQ(second.compare(0, folder.size() + 2, folder + "NY"), 0) << second;
    EXPECT_NE(first, second);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(first.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    char copy[MAX_PATH];
    EXPECT_EQ(paths.MakeTempFileNameCopy(copy, sizeof(copy), "KVC"), 1);
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
    DeleteFileA(copy);
    RemoveDirectoryA(folder.c_str());
}

TEST(TempFilePaths, NameFailsWhenTheFolderCannotBeMade)
{
    SettingsTestRoot root;
    kvtest::ScratchFolder scratch;
    SetSettingString("Settings", "TempPath", (scratch.Path() + "missing\\deeper").c_str());
    TempFilePaths paths;
    EXPECT_STREQ(paths.MakeTempFileName("KVC"), "");
    char copy[MAX_PATH] = "x";
    EXPECT_EQ(paths.MakeTempFileNameCopy(copy, sizeof(copy), nullptr), 0);
    EXPECT_STREQ(copy, "");
    EXPECT_EQ(paths.MakeTempFileNameCopy(nullptr, 10, nullptr), 0);
}

TEST(FileNames, SplitsPathsIntoDirectoryAndName)
{
    struct Case {
        const char* path;
        const char* name;
        const char* directory;
        const char* bare;
    };
    const Case cases[] = {
        {"C:\\a\\b.txt", "b.txt", "C:\\a\\", "C:\\a"},
        {"C:\\a\\", "", "C:\\a\\", "C:\\a"},
        {"C:b.txt", "b.txt", "C:", "C:"},
        {"b.txt", "b.txt", "", ""},
        {"\\\\server\\share\\x.kvs", "x.kvs", "\\\\server\\share\\", "\\\\server\\share"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SplitFileName(c.path), c.name);
        EXPECT_EQ(SplitDirectory(c.path, false), c.directory);
        EXPECT_EQ(SplitDirectory(c.path, true), c.bare);
    }
}

TEST(FileNames, ValidateRefusesForbiddenCharactersAndDeviceNames)
{
    for (const char* bad : {"C:\\data\\con.txt", "C:\\data\\Aux", "C:\\a,b", "C:\\a\\..\\b", "C:\\a*b\\c",
                            "C:\\x\\NUL.", "C:\\x\"y", "prn", "C:\\a<b>"})
        EXPECT_FALSE(ValidateFileName(bad)) << bad;
    for (const char* good : {"C:\\data\\console", "C:\\data\\nul1", "C:\\", "D:\\Work\\", "C:\\a.b\\c d", "C:"})
        EXPECT_TRUE(ValidateFileName(good)) << good;
}

namespace {

std::vector<UINT> g_shown;
int g_answer = IDOK;

int RecordMessage(UINT id, const char* text, UINT)
{
    EXPECT_NE(std::strlen(text), 0u);
    g_shown.push_back(id);
    return g_answer;
}

// Records the messages CreateDirectoryPath shows instead of showing them.
class CreateDirectoryPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_shown.clear();
        g_answer = IDOK;
        SetCoreMessageHandler(&RecordMessage);
    }
    void TearDown() override { SetCoreMessageHandler(nullptr); }
    kvtest::ScratchFolder m_scratch;
};

} // namespace

TEST_F(CreateDirectoryPathTest, RefusesInvalidNamesWithTheirMessage)
{
    std::string file = m_scratch.File("file.txt");
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    struct Case {
        std::string path;
        UINT message;
    };
    const Case cases[] = {{"C:\\", kIdsInvalidFolder},
                          {"C:", kIdsInvalidFolder},
                          {"..", kIdsInvalidFolder},
                          {m_scratch.Path() + "con", kIdsInvalidFolderChars},
                          {m_scratch.Path() + "a;b", kIdsInvalidFolderChars},
                          {file, kIdsInvalidFolder}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        g_shown.clear();
        EXPECT_EQ(CreateDirectoryPath(c.path), 0);
        EXPECT_EQ(g_shown, std::vector<UINT>{c.message});
    }
    DeleteFileA(file.c_str());
}

TEST_F(CreateDirectoryPathTest, CreatesEveryMissingLevelAfterOneQuestion)
{
    const std::string deep = m_scratch.Path() + "a\\b\\c";
    EXPECT_EQ(CreateDirectoryPath(m_scratch.Path()), 1) << "an existing folder";
    EXPECT_TRUE(g_shown.empty());
    EXPECT_EQ(CreateDirectoryPath(deep), 1);
    EXPECT_EQ(g_shown, std::vector<UINT>{kIdsCreateFolderAsk});
    EXPECT_TRUE(IsExistingFolder(deep));
    RemoveDirectoryA(deep.c_str());
    RemoveDirectoryA((m_scratch.Path() + "a\\b").c_str());
    RemoveDirectoryA((m_scratch.Path() + "a").c_str());
}

TEST_F(CreateDirectoryPathTest, CancelOrAnImpossibleFolderCreatesNothing)
{
    g_answer = IDCANCEL;
    EXPECT_EQ(CreateDirectoryPath(m_scratch.Path() + "x\\y"), 0);
    EXPECT_EQ(g_shown, std::vector<UINT>{kIdsCreateFolderAsk});
    EXPECT_FALSE(IsExistingFolder(m_scratch.Path() + "x"));

    g_answer = IDOK;
    g_shown.clear();
    std::string file = m_scratch.File("plain");
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(CreateDirectoryPath(file + "\\sub"), 0);
    EXPECT_EQ(g_shown, (std::vector<UINT>{kIdsCreateFolderAsk, kIdsCreateFolderFailed}));
    DeleteFileA(file.c_str());
}
