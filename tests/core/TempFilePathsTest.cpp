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
    SetSettingString("Settings", "TempPath", "");
    EXPECT_EQ(std::string(paths.GetFolder()), SystemTempPath()) << "empty setting";
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
