// Burn CD in the running program, over a blank disc image in a drive of the prefix: the menu
// command opens the dialog, the open dialog adds the files, Advanced Settings asks for a test
// write, Burn writes; the machine's bchunk and our own drive access read the disc back.
//   KV_SHOW_SECONDS=n with --gtest_also_run_disabled_tests runs the Showcase for screenshots.
#include "BurnProgramFixture.h"
#include "CdWriterModule.h"
#include "CdIds.h"
#include "CdPrefix.h"
#include "DialogDriving.h"
#include "CueSheet.h"
#include "KvsStrm.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

namespace {

using cdtest::BurnProgram;
using cdtest::Pump;
using cdtest::RemoteListText;
using cdtest::RemoteSelectRow;
using cdtest::RunNative;
using cdtest::WaitFor;
using cdtest::WavData;

constexpr char kLetter = cdtest::kBurnLetter;

// The source as the stream library's converter makes it CD audio.
std::vector<uint8_t> Converted(const std::string& source, const std::string& target)
{
    HMODULE module = LoadLibraryA((kvtest::BinFolder() + "KVSSTRM.dll").c_str());
    auto getRegistry = reinterpret_cast<StrmGetRegistryFn>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(kStrmOrdGetRegistry))));
    const StrmRegistration* entry = getRegistry()->Find(TagLow(kTagConverter), TagHigh(kTagConverter));
    ITaggedObject* object = nullptr;
    entry->create(TagLow(kTagConverter), TagHigh(kTagConverter), &object);
    IStrmConverter* converter = nullptr;
    object->QueryInterface(kTagConverter, reinterpret_cast<void**>(&converter));
    object->Release();
    converter->Open(TagLow(kTagAnyReader), TagHigh(kTagAnyReader), source.c_str(), TagLow(kTagWavWriter),
                    TagHigh(kTagWavWriter), target.c_str());
    converter->Prepare();
    IStrmAttributes* attributes = nullptr;
    converter->QueryInterface(kTagAttributes, reinterpret_cast<void**>(&attributes));
    const StrmFormat cd{44100, 2, 16, 16, 0};
    attributes->SetOutputFormat(&cd);
    attributes->Release();
    converter->Start();
    uint64_t position = 0, length = 1;
    converter->GetLength(&length);
    for (int i = 0; i < 3000 && GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
        converter->GetPosition(&position);
        if (position >= length && position)
            break;
        Sleep(10);
    }
    Sleep(200);
    converter->Release(); // joins the thread; a finished target stays
    FreeLibrary(module);
    return WavData(target);
}

void WriteSources(const kvtest::ScratchFolder& folder)
{
    std::vector<int16_t> cd(441000 * 2);
    for (size_t i = 0; i < cd.size(); ++i)
        cd[i] = int16_t(i * 2654435761u >> 16);
    kvtest::WriteWav16(folder.File("one.wav"), 2, 44100, cd);
    FILE* f = std::fopen(folder.File("two.wav").c_str(), "wb");
    kvtest::WriteWavHeader(f, 2, 48000, 24, 480000);
    for (uint32_t i = 0; i < 480000; ++i) {
        const int32_t v = int32_t(std::sin(i * 0.1309) * 3000000.0);
        for (int32_t s : {v, -v / 2})
            std::fwrite(&s, 1, 3, f);
    }
    std::fclose(f);
}

} // namespace

TEST_F(BurnProgram, BurnsTwoFilesAfterATestWriteAndTheDiscReadsBackSampleForSample)
{
    WriteSources(m_sources);
    HWND dialog = OpenBurnDialog();
    ASSERT_NE(nullptr, dialog) << Diagnose();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    AddFiles(dialog, "\"one.wav\" \"two.wav\"");
    HWND list = GetDlgItem(dialog, IDC_BURN_TRACKS);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, 10000)) << Diagnose();
    EXPECT_EQ("01", RemoteListText(list, 0, 0));
    EXPECT_EQ("2", RemoteListText(list, 0, 1));
    EXPECT_EQ("00 : 00 : 12.000", RemoteListText(list, 0, 3));
    EXPECT_EQ("00 : 00 : 22.000", RemoteListText(list, 1, 3));
    EXPECT_EQ("00 : 00 : 10.000", RemoteListText(list, 1, 4));
    EXPECT_EQ("two.wav", RemoteListText(list, 1, 5));
    char total[64] = {};
    GetDlgItemTextA(dialog, IDC_BURN_TOTAL, total, sizeof total);
    EXPECT_STREQ("Total Length: 0m 22s", total);

    PostMessageA(GetDlgItem(dialog, IDC_BURN_ADVANCED), BM_CLICK, 0, 0);
    HWND advanced = Box("Advanced Settings");
    ASSERT_NE(nullptr, advanced) << Diagnose();
    EXPECT_GE(SendDlgItemMessageA(advanced, IDC_BURN_DEVICE, CB_GETCOUNT, 0, 0), 1);
    // "MAX" and the blank CD-R's six speeds.
    EXPECT_EQ(7, SendDlgItemMessageA(advanced, IDC_BURN_SPEED, CB_GETCOUNT, 0, 0));
    SendMessageA(GetDlgItem(advanced, IDC_BURN_TEST_WRITE), BM_CLICK, 0, 0);
    PostMessageA(advanced, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(advanced); }, 5000));

    BurnAndClose(dialog);

    // Tracks at 00:00:00 and 00:10:00 (10 s each, the second without a pre-gap).
    const cdimage::CueDisc disc = ReadDisc();
    ASSERT_EQ(2u, disc.tracks.size());
    EXPECT_EQ(0u, disc.tracks[0].index1);
    EXPECT_EQ(750u, disc.tracks[1].index1);
    EXPECT_EQ(1500u, disc.leadOut);

    const std::vector<uint8_t> one = WavData(m_sources.File("one.wav"));
    const std::vector<uint8_t> two = Converted(m_sources.File("two.wav"), m_sources.File("two-cd.wav"));
    ASSERT_EQ(441000u * 4, two.size());
    // The machine's bchunk splits the image into WAV files of its tracks.
    ASSERT_EQ(0, RunNative(m_image->Folder(), "bchunk -w disc.bin disc.cue back >/dev/null"));
    EXPECT_TRUE(WavData(m_image->Folder() + "back01.wav") == one);
    EXPECT_TRUE(WavData(m_image->Folder() + "back02.wav") == two);
    // Our drive access reads the same sectors.
    const std::vector<uint8_t> sectors = ReadSectors(1500);
    ASSERT_FALSE(sectors.empty());
    EXPECT_TRUE(std::equal(one.begin(), one.end(), sectors.begin()));
    EXPECT_TRUE(std::equal(two.begin(), two.end(), sectors.begin() + 750 * 2352));
}

TEST_F(BurnProgram, RefusesTracksShorterThanFourSeconds)
{
    kvtest::WriteWav16(m_sources.File("short.wav"), 2, 44100, std::vector<int16_t>(44100 * 2 * 3));
    HWND dialog = OpenBurnDialog();
    ASSERT_NE(nullptr, dialog) << Diagnose();
    AddFiles(dialog, "\"short.wav\"");
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 10000)) << Diagnose();
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(Answer("Tracks shorter than 4 seconds cannot be written to audio CDs.\nPlease increase the length of "
                       "the track and try again.",
                       10000))
        << Diagnose();
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
}

// An audio CD holds at most 99 tracks: a hundredth keeps Burn disabled until one goes.
TEST_F(BurnProgram, AHundredTracksDisableBurnAndNinetyNineEnableIt)
{
    kvtest::WriteWav16(m_sources.File("four.wav"), 2, 44100, std::vector<int16_t>(44100 * 2 * 4));
    HWND dialog = OpenBurnDialog();
    ASSERT_NE(nullptr, dialog) << Diagnose();
    std::string names;
    for (int i = 0; i < 100; ++i)
        names += "\"four.wav\" ";
    AddFiles(dialog, names);
    HWND list = GetDlgItem(dialog, IDC_BURN_TRACKS);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 100; }, 20000)) << Diagnose();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    RemoteSelectRow(list, 99);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_BURN_DELETE)) != FALSE; }, 5000));
    PostMessageA(GetDlgItem(dialog, IDC_BURN_DELETE), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 99; }, 5000)) << Diagnose();
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 5000));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
}

// Each disc the drive holds that cannot take the burn is refused with its message, the list kept.
TEST_F(BurnProgram, RefusesDiscsThatCannotTakeTheBurnAndADriveAnotherProgramHolds)
{
    kvtest::WriteWav16(m_sources.File("five.wav"), 2, 44100, std::vector<int16_t>(44100 * 2 * 5));
    struct Case {
        std::function<void()> prepare;
        std::string message;
    } cases[] = {
        {[&] { cdkit::WriteBlank(m_image->Folder(), "disc", "DVD-ROM"); },
         "The media currently in the drive is a DVD-ROM.\nFor CD writing, please insert CD-R/CD-RW into the drive."},
        {[&] { cdkit::WriteImage(m_image->Folder(), "disc", {{300}}, "CD-R"); },
         "This media has already been written to.\nPlease insert a blank disc."},
        {[&] { cdkit::WriteBlank(m_image->Folder(), "disc", "CD-R", "00:04:00"); },
         "CD exceeds the capacity of the media.  Please reduce the number of music files in CD and try again."},
        {[&] { DeleteFileA(m_image->Sheet().c_str()); }, "The drive is empty.  Please insert a writeable media."},
        {[&] { cdkit::WriteBlank(m_image->Folder(), "disc", "CD-R"); },
         "The CD-R/RW drive is being used by cd_program_tests.exe."},
    };
    CCdWriterModule module;
    ICdWriter* holder = nullptr;
    ASSERT_EQ(S_OK, module.Load(&holder));
    HWND dialog = OpenBurnDialog();
    ASSERT_NE(nullptr, dialog) << Diagnose();
    AddFiles(dialog, "\"five.wav\"");
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 10000)) << Diagnose();
    for (const Case& c : cases) {
        c.prepare();
        const bool holds = c.message.find("being used") != std::string::npos;
        if (holds) {
            int32_t count = 0;
            HGLOBAL block = nullptr;
            holder->GetDevices(&count, &block);
            for (int32_t i = 0; i < count; ++i) {
                if (static_cast<const CdWriterDeviceRecord*>(block)[i].drive[0] == kLetter) {
                    ASSERT_TRUE(holder->Reserve(static_cast<const CdWriterDeviceRecord*>(block)[i].id, TRUE));
                }
            }
            GlobalFree(block);
        }
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(Answer(c.message, 20000)) << c.message << " " << Diagnose();
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 10000)) << Diagnose();
        EXPECT_EQ(1, SendMessageA(GetDlgItem(dialog, IDC_BURN_TRACKS), LVM_GETITEMCOUNT, 0, 0));
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    m_program.reset();
    holder->Release();
    EXPECT_EQ(std::string::npos, cdkit::ReadFileText(m_image->Sheet()).find("TRACK"));
}

// Both erases of a written CD-RW leave it blank, each after its own confirmation.
TEST_F(BurnProgram, ErasesARewritableDiscQuicklyAndCompletely)
{
    HWND dialog = OpenBurnDialog();
    ASSERT_NE(nullptr, dialog) << Diagnose();
    const std::pair<int, const char*> erases[] = {
        {IDC_BURN_ERASE_QUICK, "quick"}, {IDC_BURN_ERASE_COMPLETE, "complete"}};
    for (const auto& erase : erases) {
        cdkit::WriteImage(m_image->Folder(), "disc", {{300}}, "CD-RW");
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_BURN_ERASE)) != FALSE; }, 5000));
        PostMessageA(GetDlgItem(dialog, IDC_BURN_ERASE), BM_CLICK, 0, 0);
        HWND choice = Box("Erase Media");
        ASSERT_NE(nullptr, choice) << Diagnose();
        SendMessageA(GetDlgItem(choice, erase.first), BM_CLICK, 0, 0);
        PostMessageA(choice, WM_COMMAND, IDOK, 0);
        const std::string confirm = std::string("Warning: All data will be lost.\nTo perform a ") + erase.second +
                                    " erasure of the media, click [OK].  To abort the procedure, click [Cancel].";
        ASSERT_TRUE(Answer(confirm, 10000)) << Diagnose();
        ASSERT_TRUE(Answer("Media erased successfully.", 30000)) << Diagnose();
        EXPECT_EQ(std::string::npos, cdkit::ReadFileText(m_image->Sheet()).find("TRACK")) << erase.second;
        EXPECT_NE(std::string::npos, cdkit::ReadFileText(m_image->Sheet()).find("CD-RW"));
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
}

TEST_F(BurnProgram, DISABLED_Showcase)
{
    WriteSources(m_sources);
    HWND dialog = OpenBurnDialog();
    ASSERT_NE(nullptr, dialog);
    AddFiles(dialog, "\"one.wav\" \"two.wav\"");
    const char* seconds = std::getenv("KV_SHOW_SECONDS");
    const DWORD show = 1000u * (seconds ? DWORD(std::atoi(seconds)) : 6u);
    Pump(show);
    PostMessageA(GetDlgItem(dialog, IDC_BURN_ADVANCED), BM_CLICK, 0, 0);
    HWND advanced = Box("Advanced Settings");
    Pump(show / 2);
    SendDlgItemMessageA(advanced, IDC_BURN_SPEED, CB_SHOWDROPDOWN, TRUE, 0);
    Pump(show / 2);
    SendDlgItemMessageA(advanced, IDC_BURN_SPEED, CB_SHOWDROPDOWN, FALSE, 0);
    PostMessageA(advanced, WM_COMMAND, IDCANCEL, 0);
    RemoteSelectRow(GetDlgItem(dialog, IDC_BURN_TRACKS), 1);
    Pump(500);
    PostMessageA(GetDlgItem(dialog, IDC_BURN_PREGAP), BM_CLICK, 0, 0);
    HWND preGap = Box("Pre-Gap Settings", 3000);
    Pump(show);
    if (preGap)
        PostMessageA(preGap, WM_COMMAND, IDCANCEL, 0);
    Pump(500);
    PostMessageA(GetDlgItem(dialog, IDC_BURN_ERASE), BM_CLICK, 0, 0);
    HWND erase = Box("Erase Media", 3000);
    Pump(show);
    if (erase)
        PostMessageA(erase, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}
