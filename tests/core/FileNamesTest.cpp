#include <gtest/gtest.h>

#include "FileNames.h"
#include "TestSupport.h"

#include <cstring>
#include <string>
#include <vector>

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

// The platform takes a slash as a separator as well, so a typed "C:/Work/Temp" names folders
// like its backslash form; each of its components is checked all the same.
TEST(FileNames, ValidateTakesSlashesAsSeparators)
{
    for (const char* good : {"C:/data/console", "D:/Work/", "C:\\a/b\\c", "C:/"})
        EXPECT_TRUE(ValidateFileName(good)) << good;
    for (const char* bad : {"C:/data/con.txt", "C:/a/../b", "C:/x/NUL", "C:/a,b/c"})
        EXPECT_FALSE(ValidateFileName(bad)) << bad;
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

TEST_F(CreateDirectoryPathTest, CreatesFoldersTypedWithSlashes)
{
    std::string base = m_scratch.Path();
    base.pop_back();
    for (const std::string& typed : {base + "/s/t/u", base + "/v/w/"}) {
        SCOPED_TRACE(typed);
        g_shown.clear();
        EXPECT_EQ(CreateDirectoryPath(typed), 1);
        EXPECT_EQ(g_shown, std::vector<UINT>{kIdsCreateFolderAsk});
        EXPECT_TRUE(IsExistingFolder(typed));
    }
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

namespace {

std::string g_lastText;

int RecordText(UINT, const char* text, UINT)
{
    g_lastText = text;
    return IDOK;
}

} // namespace

// The folder and browser messages are texts of the program's string table, so that a
// resource module can translate them.
TEST(CoreMessages, TextsComeFromTheProgramsStringTable)
{
    struct Case {
        UINT id;
        const char* text;
    } cases[] = {
        {kIdsNoDefaultBrowser, "Default browser is not defined.\nPlease set the default browser."},
        {kIdsCreateFolderAsk, "The specified folder does not exist. Create a new folder?"},
        {kIdsCreateFolderFailed, "Failed to create new folder."},
        {kIdsInvalidFolder, "Invalid folder name."},
        {kIdsInvalidFolderChars,
         "Specified folder name is invalid.\nThe folder name can not  contain \n\\, /, :, ,, ;, "
         "*, ?, \\,\",\", <, >, or |,\nnor can it be  AUX, PRN, CON, or NUL."},
    };
    SetCoreMessageHandler(&RecordText);
    for (const Case& c : cases) {
        char loaded[512] = {};
        EXPECT_GT(LoadStringA(GetModuleHandleA(nullptr), c.id, loaded, sizeof(loaded)), 0) << c.id;
        EXPECT_STREQ(loaded, c.text) << c.id;
        ShowCoreMessage(c.id, MB_OK);
        EXPECT_EQ(g_lastText, c.text) << c.id;
    }
    SetCoreMessageHandler(nullptr);
}
