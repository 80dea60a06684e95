#include <gtest/gtest.h>

#include "ErrorText.h"
#include "KvSSException.h"
#include "NyException.h"
#include "ResourceModule.h"

#include <mmsystem.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

std::string TextOf(HRESULT code)
{
    ErrorText text(GetResourceModule());
    const char* p = text.GetText(code);
    EXPECT_NE(nullptr, p);
    return p ? p : "";
}

HRESULT Code(DWORD value)
{
    return static_cast<HRESULT>(value);
}

} // namespace

// The first and last code of every run of the table, and codes just beside the runs.
TEST(ErrorText, MapsEveryCodeRunToItsStringIds)
{
    struct Case {
        DWORD code;
        UINT id; // 0: not in the table
    } cases[] = {
        {0x80004005, 11000}, {0x83E80001, 11000}, {0x83E80002, 0},     {0x83E80003, 11002}, {0x83E80005, 11004},
        {0x83E80006, 0},     {0x83E80064, 11006}, {0x83E800C9, 11007}, {0x83E800D9, 11023}, {0x83E800DA, 11078},
        {0x83E800DB, 0},     {0x83E800DC, 11024}, {0x83E800E0, 11028}, {0x83E803E8, 11029}, {0x83E803EA, 11031},
        {0x83E8044C, 11032}, {0x83E8044F, 11035}, {0x83E80450, 11096}, {0x83E804B0, 11036}, {0x83E804B5, 11041},
        {0x83E80514, 11042}, {0x83E80515, 11043}, {0x83E807D1, 11044}, {0x83E807D5, 11048}, {0x83E80803, 11049},
        {0x83E80807, 11053}, {0x83E80808, 11074}, {0x83E8080B, 11077}, {0x83E8080C, 0},     {0x83E8080D, 11095},
        {0x83E8080E, 11097}, {0x83E8080F, 11098}, {0x83E80834, 11054}, {0x83E8083F, 11065}, {0x83E80840, 11072},
        {0x83E80841, 11073}, {0x83E80842, 11093}, {0x83E80843, 11094}, {0x83E80898, 11066}, {0x83E8089D, 11071},
        {0x83E8089E, 11079}, {0x83E808AB, 11092}, {0x83E808AC, 11099}, {0x83E808AD, 0},     {0x83EA0001, 12017},
        {0x83EA0002, 12016}, {0x83EA0003, 12021}, {0x83EA0004, 0},     {0x83EA0006, 12018}, {0x83EA0007, 12019},
        {0x83EA0009, 12000}, {0x83EA000A, 12001}, {0x83EA000D, 12003}, {0x83EA0010, 12006}, {0x83EA0011, 12010},
        {0x83EA0013, 12011}, {0x83EA0018, 12014}, {0x83EA0065, 12007}, {0x83EA0067, 12009}, {0x83EA0069, 12013},
        {0x83EA006E, 12015}, {0x83EA006F, 12020}, {0x83EA0070, 12022}, {0x83EB0101, 12296}, {0x83EB0110, 12311}, {0x83EB0111, 0},
        {0x83EC0001, 12287}, {0x83EC0008, 12294}, {0x83EC000C, 12295}, {0xC00D0BC2, 11036}, {0x00000000, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.id, ErrorText::FindStringId(Code(c.code))) << std::hex << c.code;

    // Counting every code of the table gives its 146 entries.
    int count = 0;
    for (DWORD facility : {0x83E80000u, 0x83EA0000u, 0x83EB0000u, 0x83EC0000u})
        for (DWORD low = 0; low < 0x1000; ++low)
            count += ErrorText::FindStringId(Code(facility | low)) != 0;
    count += ErrorText::FindStringId(Code(0x80004005)) != 0;
    count += ErrorText::FindStringId(Code(0xC00D0BC2)) != 0;
    EXPECT_EQ(146, count);
}

TEST(ErrorText, ReturnsTheStringTableTextsExactly)
{
    struct Case {
        DWORD code;
        const char* text;
    } cases[] = {
        {0x80004005, "An error occurred."},
        {0x83E80005, "Canceled."},
        {0x83E803E8, "An error occurred."},
        {0x83E804B4, "Specified file format is not supported. "},
        {0x83E800DA, "The disk is full.  Recording stopped."},
        {0x83E8044F, "Cannot save without video data.\r\nThis file format requires that the file contain video data."},
        {0x83E8083F,
         "Could not open the recording device. \nYour audio device may not support the sample rate of \nthe data you "
         "are working with. If you are working in 32-bit mode,\nyour audio device may not support the specified bit "
         "depth for recording. \nIn addition, some audio devices can only record in mono or stereo.\nThis error also "
         "may occur when the audio device is being used by another program."},
        {0x83E803EA,
         "Could not open the specified playback device. \nYour audio device may not support the sample rate of the "
         "data you are \nworking with. If you are working in the 32-bit mode, your audio device \nmay not support the "
         "specified bit depth for playback. This error also \nmay occur when the audio device is being used by "
         "another apprication. "},
        {0x83EA0006,
         "The sound driver needed to play this file has not been installed.\r\nPlease select \"Multimedia\" "
         "from the control panel and install the necessary codec."},
        {0x83E808AB, "Windows98 and Windows Me cannot create files greater than 4 GB in size.\r\nThe file you are "
                     "attemting to save exceeds 4 GB."},
        {0x83EC000C, "The handle is in used."},
        {0x83EB0110, "The file handle is invalid."},
        {0xC00D0BC2, "The driver in the specified format is not installed on your PC."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, TextOf(Code(c.code))) << std::hex << c.code;
}

TEST(ErrorText, CodesWithoutTextInTheTableComeOutEmpty)
{
    EXPECT_EQ("", TextOf(Code(0x83EB0108)));
    EXPECT_EQ("", TextOf(Code(0x83EB010A)));
}

TEST(ErrorText, FallsBackToDirectSoundAndComTexts)
{
    EXPECT_EQ("No sound driver is available for use, or the given GUID is not a valid DirectSound device ID. ",
              TextOf(Code(0x88780078)));
    EXPECT_EQ("The requested COM interface is not available.", TextOf(E_NOINTERFACE));
    EXPECT_EQ("Could not allocate sufficient memory to complete the caller's request.", TextOf(E_OUTOFMEMORY));
    EXPECT_EQ("The function called is not supported at this time.", TextOf(E_NOTIMPL));

    DirectSoundErrorText directSound(GetResourceModule());
    ASSERT_NE(nullptr, directSound.GetText(E_FAIL));
    EXPECT_STREQ("An undetermined error occurred inside the DirectSound subsystem.", directSound.GetText(E_FAIL));
    EXPECT_EQ(nullptr, directSound.GetText(Code(0x83E80001)));
}

TEST(ErrorText, FallsBackToSystemTextWithoutFinalLineBreak)
{
    const HRESULT code = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    char system[512] = {};
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                             LANG_USER_DEFAULT, system, sizeof system, nullptr),
              0u);
    std::string expected = system;
    if (expected.size() >= 2 && expected.compare(expected.size() - 2, 2, "\r\n") == 0)
        expected.resize(expected.size() - 2);
    const std::string text = TextOf(code);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(expected, text);
    EXPECT_EQ(std::string::npos, text.find("\r\n", text.size() >= 2 ? text.size() - 2 : 0));
}

TEST(ErrorText, MultimediaFacilitiesUseWaveAndMidiTexts)
{
    char expected[512] = {};
    ASSERT_EQ(MMSYSERR_NOERROR, waveInGetErrorTextA(MMSYSERR_ERROR, expected, sizeof expected));
    EXPECT_EQ(expected, TextOf(Code(0x83ED0001)));
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutGetErrorTextA(WAVERR_BADFORMAT, expected, sizeof expected));
    EXPECT_EQ(expected, TextOf(Code(0x83EE0000 | WAVERR_BADFORMAT)));
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutGetErrorTextA(MIDIERR_NODEVICE, expected, sizeof expected));
    EXPECT_EQ(expected, TextOf(Code(0x83F00000 | MIDIERR_NODEVICE)));
    // An error number the multimedia functions do not know leaves the text empty.
    EXPECT_EQ("", TextOf(Code(0x83EDFFFF)));
}

TEST(ErrorText, UnknownFacilitiesGiveTheUnknownErrorText)
{
    for (DWORD code : {0x83EF0001u, 0x83E80002u, 0x83E8080Cu, 0x83EA0004u})
        EXPECT_EQ("An unknown error occurred.", TextOf(Code(code))) << std::hex << code;
}

TEST(ErrorText, MissingResourceModuleTextsLeaveTheBufferEmpty)
{
    // A module without the string table: the lookup still answers, with empty texts.
    ErrorText text(GetModuleHandleA("kernel32.dll"));
    EXPECT_STREQ("", text.GetText(Code(0x83E80001)));
    EXPECT_STREQ("", text.GetText(Code(0x83EF0001)));
}

TEST(ErrorText, ResourceModuleIsSettableAndDefaultsToTheExecutable)
{
    EXPECT_EQ(GetModuleHandleA(nullptr), GetResourceModule());
    const HINSTANCE other = GetModuleHandleA("kernel32.dll");
    SetResourceModule(other);
    EXPECT_EQ(other, GetResourceModule());
    SetResourceModule(nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), GetResourceModule());
}

TEST(ResultExceptions, CarryTheirCodeOnly)
{
    try {
        ThrowIfFailed(Code(0x83E80005));
        FAIL() << "a failed code throws";
    } catch (const CKvSSException& e) {
        EXPECT_EQ(Code(0x83E80005), e.m_hr);
    }
    EXPECT_EQ(S_FALSE, ThrowIfFailed(S_FALSE));
    static_assert(sizeof(CKvSSException) == sizeof(HRESULT), "only the code");

    try {
        throw CNyException(Code(0x83EA0002));
    } catch (const std::exception& e) {
        const CNyException* ny = dynamic_cast<const CNyException*>(&e);
        ASSERT_NE(nullptr, ny);
        EXPECT_EQ(Code(0x83EA0002), ny->m_hr);
        EXPECT_STREQ(std::exception().what(), e.what());
    }
}

namespace {
// Runs ReportError on a worker thread, reads the box it shows and presses OK.
struct ShownBox {
    bool shown = false;
    std::string caption, text;
    int result = -1;
};

ShownBox Report(HRESULT code)
{
    ShownBox box;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> threadId{0};
    std::thread worker([&] {
        threadId = GetCurrentThreadId();
        CNyException e(code);
        box.result = e.ReportError();
        SetEvent(done);
    });
    for (int i = 0; i < 500 && WaitForSingleObject(done, 10) == WAIT_TIMEOUT; ++i) {
        HWND dialog = nullptr;
        if (threadId == 0)
            continue;
        EnumThreadWindows(
            threadId,
            [](HWND hwnd, LPARAM found) -> BOOL {
                char cls[16] = {};
                GetClassNameA(hwnd, cls, sizeof cls);
                // A box is read once it shows: before that its caption and text may not be set.
                if (std::string(cls) != "#32770" || !IsWindowVisible(hwnd))
                    return TRUE;
                *reinterpret_cast<HWND*>(found) = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&dialog));
        if (!dialog)
            continue;
        char text[1024] = {};
        GetWindowTextA(dialog, text, sizeof text);
        box.caption = text;
        GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text); // the static text of a message box
        box.text = text;
        if (box.caption.empty() || box.text.empty())
            continue; // still being filled in: look again
        box.shown = true;
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        break; // read once: a box that is closing may show empty texts
    }
    const bool finished = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
    CloseHandle(done);
    if (finished)
        worker.join();
    else
        worker.detach();
    EXPECT_TRUE(finished) << "the box was not closed";
    return box;
}
} // namespace

TEST(NyException, ReportErrorShowsTheCodeTextInTheApplicationBox)
{
    const ShownBox box = Report(Code(0x83EA0002));
    EXPECT_TRUE(box.shown);
    EXPECT_EQ("KorvaneSound5 Tarn", box.caption);
    EXPECT_EQ("The specified file cannot be opened.", box.text);
    EXPECT_EQ(IDOK, box.result);
}

TEST(NyException, ReportErrorShowsNothingForACancel)
{
    const ShownBox box = Report(Code(0x83E80005));
    EXPECT_FALSE(box.shown);
    EXPECT_EQ(0, box.result);
}
