#include <gtest/gtest.h>

#include "HelpLauncher.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "TestSupport.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

// Records the pages it would open instead of starting a browser.
class RecordingLauncher : public HelpLauncher {
public:
    BOOL OpenPage(const char* page, BOOL isAddress) override
    {
        opened.push_back(page);
        addresses.push_back(isAddress);
        return TRUE;
    }
    std::vector<std::string> opened;
    std::vector<BOOL> addresses;
};

} // namespace

TEST(HelpLauncher, HelpFolderIsBesideTheProgramsFolder)
{
    EXPECT_EQ(SiblingFolderOfProgram("C:\\A\\B\\prog.exe", "HELP"), "C:\\A\\HELP\\");
    EXPECT_EQ(SiblingFolderOfProgram("C:\\A\\B\\prog.exe", "AutoDemo"), "C:\\A\\AutoDemo\\");
    EXPECT_EQ(SiblingFolderOfProgram("C:\\prog.exe", "HELP"), "");
    EXPECT_EQ(SiblingFolderOfProgram("prog.exe", "HELP"), "");

    SettingsTestRoot root;
    std::string bin = kvtest::BinFolder(); // ...\bin\ .
    std::string parent = bin.substr(0, bin.find_last_of('\\', bin.size() - 2) + 1);
    HelpLauncher launcher;
    EXPECT_EQ(std::string(launcher.HelpFolder()), parent + "HELP\\");
    char demo[MAX_PATH];
    EXPECT_EQ(launcher.GetDemoFolder(sizeof(demo), demo), static_cast<int>(parent.size() + 9));
    EXPECT_EQ(std::string(demo), parent + "AutoDemo\\");
}

TEST(HelpLauncher, SettingNamesTheFolderWithOneClosingBackslash)
{
    SettingsTestRoot root;
    char folder[MAX_PATH];
    for (const char* value : {"D:\\Help", "D:\\Help\\"}) {
        SetSettingString("Settings", "HelpPath", value);
        HelpLauncher launcher;
        EXPECT_EQ(launcher.GetHelpFolder(sizeof(folder), folder), 8);
        EXPECT_STREQ(folder, "D:\\Help\\");
    }
    char small[4] = {'x', 'x', 'x', 'x'};
    HelpLauncher launcher;
    EXPECT_EQ(launcher.GetHelpFolder(3, small), 8) << "the length of the whole text";
    EXPECT_EQ(std::string(small, 4), "D:\\x");
}

TEST(HelpLauncher, TopicsOpenPagesOfTheIndexOrAddresses)
{
    SettingsTestRoot root;
    kvtest::ScratchFolder scratch;
    {
        std::ofstream index(scratch.File("KvSound.dat"));
        index << "[Help]\n1=index.html\n305=dialogs\\ruler.html\n[URL]\n1=http://www.example.invalid/\n";
    }
    SetSettingString("Settings", "HelpPath", scratch.Path().c_str());
    RecordingLauncher launcher;
    EXPECT_TRUE(launcher.ShowTopic(kTopicContents, 0));
    EXPECT_TRUE(launcher.ShowTopic(kTopicRulerUnits, 0));
    EXPECT_TRUE(launcher.ShowTopic(kTopicMakerWebPage, 0));
    EXPECT_FALSE(launcher.ShowTopic(2, 0)) << "missing key";
    EXPECT_FALSE(launcher.ShowTopic(0x80000002, 0));
    EXPECT_EQ(launcher.opened,
              (std::vector<std::string>{scratch.Path() + "index.html", scratch.Path() + "dialogs\\ruler.html",
                                        "http://www.example.invalid/"}));
    EXPECT_EQ(launcher.addresses, (std::vector<BOOL>{FALSE, FALSE, TRUE}));
}

TEST(HelpLauncher, MissingIndexOrOverlongPathsOpenNothing)
{
    SettingsTestRoot root;
    kvtest::ScratchFolder scratch;
    SetSettingString("Settings", "HelpPath", scratch.Path().c_str());
    {
        RecordingLauncher launcher;
        EXPECT_FALSE(launcher.ShowTopic(kTopicContents, 0)) << "no index file";
    }
    {
        std::ofstream index(scratch.File("KvSound.dat"));
        index << "[Help]\n1=" << std::string(MAX_PATH - 10, 'p') << "\n";
    }
    {
        RecordingLauncher launcher;
        EXPECT_FALSE(launcher.ShowTopic(kTopicContents, 0)) << "page path too long";
    }
    SetSettingString("Settings", "HelpPath", (std::string("C:\\") + std::string(MAX_PATH - 10, 'h')).c_str());
    RecordingLauncher launcher;
    EXPECT_FALSE(launcher.ShowTopic(kTopicContents, 0)) << "index path too long";
    EXPECT_TRUE(launcher.opened.empty());
}

// A setting of 259 characters becomes a folder of 260 with its backslash: too long to keep.
// The launcher must hold no unterminated text and open nothing.
TEST(HelpLauncher, FolderThatFillsThePathBufferIsDropped)
{
    SettingsTestRoot root;
    const std::string value = "D:\\" + std::string(MAX_PATH - 4, 'h');
    ASSERT_EQ(value.size(), static_cast<size_t>(MAX_PATH - 1));
    ASSERT_EQ(SetSettingString("Settings", "HelpPath", value.c_str()), 1);
    RecordingLauncher launcher;
    EXPECT_LT(strnlen(launcher.HelpFolder(), MAX_PATH), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(std::string(launcher.HelpFolder()), "");
    EXPECT_FALSE(launcher.ShowTopic(kTopicContents, 0));
    EXPECT_TRUE(launcher.opened.empty());
}
