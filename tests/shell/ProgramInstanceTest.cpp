// One copy of the program per logon session: a second start hands its file to the first and
// ends; a copy of another user (its mutex and the block naming its user) refuses the start.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "WavFile.h"

#include <string>
#include <vector>

using kvtest::ProgramProcess;

namespace {

std::string Program()
{
    return kvtest::BinFolder() + "KvSound5EU.exe";
}

std::vector<std::string> SessionFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "KVC*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

std::string ReadSetting(const char* name)
{
    char text[64] = {};
    DWORD size = sizeof text, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Settings", name, RRF_RT_ANY, &type,
                     text, &size) != ERROR_SUCCESS)
        return "";
    if (type == REG_DWORD)
        return std::to_string(*reinterpret_cast<DWORD*>(text));
    return text;
}

} // namespace

TEST(ProgramInstance, ASecondStartHandsItsFileToTheFirstAndACleanCloseLeavesNothing)
{
    kvtest::ClearProgramKey();
    kvtest::ScratchFolder scratch;
    const std::string file = scratch.File("a file with spaces.wav");
    ASSERT_TRUE(kvtest::WriteWav16(file, 2, 44100, std::vector<int16_t>(2 * 4410, 1000)));

    ProgramProcess first(Program());
    HWND frame = first.WaitForFrame();
    ASSERT_NE(frame, nullptr) << "the first copy shows no main frame";
    // The shell opens the program's documents by the same DDE command.
    char value[64] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Classes\\KorvaneSound.MultiTrack\\shell\\open\\ddeexec\\Application",
                 nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    EXPECT_STREQ(value, "KvSound");
    size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Classes\\KorvaneSound.MultiTrack\\shell\\open\\ddeexec\\Topic", nullptr,
                 RRF_RT_REG_SZ, nullptr, value, &size);
    EXPECT_STREQ(value, "System");

    {
        ProgramProcess second(Program(), "\"" + file + "\"");
        bool shown = false, ended = false;
        for (int i = 0; i < 1000 && !ended; ++i) {
            shown = shown || second.Frame() != nullptr || !second.Boxes().empty();
            ended = second.WaitForExit(20);
        }
        ASSERT_TRUE(ended) << "the second copy did not end";
        EXPECT_FALSE(shown) << "the second copy showed a window";
    }
    bool opened = false;
    for (int i = 0; i < 100 && !opened; ++i, Sleep(50))
        opened = kvtest::HasChildTitled(frame, "a file with spaces");
    EXPECT_TRUE(opened) << "the first copy did not open the file handed over";

    {
        // Without a file the second start only activates the first.
        ProgramProcess third(Program());
        ASSERT_TRUE(third.WaitForExit(20000)) << "the third copy did not end";
    }
    EXPECT_TRUE(first.Boxes().empty()) << kvtest::BoxText(first.Boxes().front());

    PostMessageA(frame, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(first.WaitForExit(20000, &code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadSetting("DefaultSamplesPerSec"), "44100") << "settings were not saved";
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    EXPECT_TRUE(SessionFiles(std::string(temp) + "kv5eu\\").empty());
}

// Two starts at once, the second naming a file: whichever copy comes second waits for the
// first to stand, hands over and ends; the file is open in the one that stays.
TEST(ProgramInstance, AStartDuringTheFirstOnesStartUpStillHandsItsFileOver)
{
    kvtest::ClearProgramKey();
    kvtest::ScratchFolder scratch;
    const std::string file = scratch.File("started early.wav");
    ASSERT_TRUE(kvtest::WriteWav16(file, 1, 22050, std::vector<int16_t>(2205, 0)));
    ProgramProcess first(Program());
    ProgramProcess second(Program(), "\"" + file + "\"");
    // One of the two ends by itself.
    bool firstEnded = false, secondEnded = false;
    for (int i = 0; i < 400 && !firstEnded && !secondEnded; ++i) {
        firstEnded = first.WaitForExit(0);
        secondEnded = second.WaitForExit(0);
        Sleep(50);
    }
    ASSERT_TRUE(firstEnded != secondEnded) << "exactly one copy must stay";
    const ProgramProcess& stays = firstEnded ? second : first;
    HWND frame = stays.WaitForFrame();
    ASSERT_NE(frame, nullptr);
    bool opened = false;
    for (int i = 0; i < 100 && !opened; ++i, Sleep(50))
        opened = kvtest::HasChildTitled(frame, "started early");
    EXPECT_TRUE(opened) << "the file was lost between the two copies";
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(stays.WaitForExit(20000));
}

// The program on a system where copies of several users meet: Wine reports that version to
// the program alone while the object lives.
class SystemWithUserSessions {
public:
    SystemWithUserSessions() { RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Version", REG_SZ, "win10", 6); }
    ~SystemWithUserSessions() { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }

private:
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\KvSound5EU.exe";
};

TEST(ProgramInstance, AnotherUsersCopyRefusesTheStartNamingItsUser)
{
    SystemWithUserSessions system;
    struct Case {
        const char* what;
        std::vector<unsigned char> block;
        std::string expected;
    };
    std::vector<unsigned char> someone(4096, 0), empty(4096, 0), unterminated(4096, 'A');
    const DWORD someoneWord = 9, emptyWord = 2;
    memcpy(someone.data(), &someoneWord, 4);
    memcpy(someone.data() + 4, "someone", 7);
    memcpy(empty.data(), &emptyWord, 4);
    const Case cases[] = {
        {"a named user", someone, "KorvaneSound is in use by someone and couldn't be started."},
        {"an empty block", empty, "KorvaneSound is in use by another user and couldn't be started."},
        {"4 KB without an end", unterminated,
         "KorvaneSound is in use by " + std::string(255, 'A') + " and couldn't be started."},
    };
    for (const Case& c : cases) {
        kvtest::ClearProgramKey();
        // What another user's copy holds: the global mutex and the block.
        HANDLE mutex = CreateMutexA(nullptr, FALSE, "Global\\KorvaneSound.MutexBlockGlobal");
        HANDLE mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "Global\\KvSoundMap");
        ASSERT_NE(mutex, nullptr);
        ASSERT_NE(mapping, nullptr);
        void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
        ASSERT_NE(view, nullptr);
        memcpy(view, c.block.data(), c.block.size());
        UnmapViewOfFile(view);

        ProgramProcess start(Program());
        HWND box = start.WaitForBox();
        ASSERT_NE(box, nullptr) << c.what;
        EXPECT_EQ(kvtest::BoxText(box), c.expected) << c.what;
        EXPECT_EQ(start.Frame(), nullptr) << c.what;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(start.WaitForExit(15000)) << c.what;
        CloseHandle(mapping);
        CloseHandle(mutex);
    }
}

// A second start naming a file the first copy cannot open: the running copy tells the user
// which file and why, where the user is looking.
TEST(ProgramInstance, ASecondStartWithAFileThatCannotOpenHasTheRunningCopySayWhy)
{
    kvtest::ClearProgramKey();
    kvtest::ScratchFolder scratch;
    const std::string noise = scratch.File("noise.wav");
    {
        FILE* f = fopen(noise.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fputs("not a sound file at all, only these words", f);
        fclose(f);
    }
    struct Case {
        std::string path, name, reason;
    };
    const Case cases[] = {
        // The system's own words: "...cannot find the file..." or "File not found."
        {scratch.File("nowhere.wav"), "nowhere.wav", "not f"},
        {scratch.File("bad<name>.wav"), "bad<name>.wav", "name"},
        {noise, "noise.wav", "Invalid file format."},
    };
    ProgramProcess first(Program());
    HWND frame = first.WaitForFrame();
    ASSERT_NE(frame, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramProcess second(Program(), "\"" + c.path + "\"");
        HWND box = first.WaitForBox();
        ASSERT_NE(box, nullptr) << "the running copy said nothing";
        const std::string text = kvtest::BoxText(box);
        EXPECT_NE(text.find(c.name), std::string::npos) << text;
        // The reason follows the line that names the file.
        const std::string reason = text.substr(text.find(c.name) + c.name.size());
        EXPECT_NE(reason.find(c.reason), std::string::npos) << text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(second.WaitForExit(20000)) << "the second copy did not end";
        for (int i = 0; i < 100 && !first.Boxes().empty(); ++i)
            Sleep(50);
    }
    EXPECT_FALSE(kvtest::HasChildTitled(frame, "noise"));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first.WaitForExit(20000));
}
