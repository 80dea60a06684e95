// Extract Audio from CD in the running program, over a disc image in a drive of the prefix:
// the menu command opens the dialog, its lists show the disc, its buttons import.
//   KV_SHOW_SECONDS=n with --gtest_also_run_disabled_tests runs the Showcase for a screenshot.
#include "ExtractProgramFixture.h"
#include "KvSSException.h"
#include "SoundFile.h"

#include <commctrl.h>

#include <cstdlib>

using namespace cdtest;

namespace {
constexpr UINT kExportCommand = 1001;
}

TEST_F(ExtractProgram, ListsTheDiscsAudioTracksAndImportsThemAsOneTrackIntoOneWindowWithAMarkAtTheJoin)
{
    HWND dialog = OpenDialog();
    ASSERT_NE(nullptr, dialog);
    HWND combo = GetDlgItem(dialog, IDC_CD_DRIVE);
    ASSERT_GE(SendMessageA(combo, CB_GETCOUNT, 0, 0), 1);
    const int selected = int(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    // The letter and the name the drive gives ("KVIMAGE  Disc Image       1.00").
    EXPECT_EQ(LRESULT(strlen("R: KVIMAGE  Disc Image       1.00")), SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0));

    HWND list = GetDlgItem(dialog, IDC_CD_TRACKS);
    ASSERT_EQ(2, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); // the data track is not listed
    EXPECT_EQ("01", RemoteListText(list, 0, 0));
    EXPECT_EQ("Track01", RemoteListText(list, 0, 1));
    EXPECT_EQ("0:10", RemoteListText(list, 0, 2));
    EXPECT_EQ("Track02", RemoteListText(list, 1, 1));
    EXPECT_EQ("0:08", RemoteListText(list, 1, 2));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CD_IMPORT_NEW)));

    Click(dialog, IDC_CD_SELECT_ALL);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_CD_AS_ONE)) != FALSE; }, 5000));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CD_IMPORT_NEW)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CD_IMPORT_ACTIVE))); // no document yet
    Click(dialog, IDC_CD_AS_ONE);
    PostMessageA(GetDlgItem(dialog, IDC_CD_IMPORT_NEW), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor(
        [&] {
            char status[32] = {};
            GetDlgItemTextA(dialog, IDC_CD_STATUS, status, sizeof status);
            return std::string(status) == "2/2" && IsWindowEnabled(GetDlgItem(dialog, IDC_CD_IMPORT_NEW));
        },
        60000)) << Diagnose() << " windows " << MdiTitles(m_frame).size() << " status " << [&] {
            char status[32] = {};
            GetDlgItemTextA(dialog, IDC_CD_STATUS, status, sizeof status);
            return std::string(status);
        }();
    const std::vector<std::string> titles = MdiTitles(m_frame);
    ASSERT_EQ(1u, titles.size());
    EXPECT_NE(std::string::npos, titles[0].find("Track01")) << titles[0];

    Click(dialog, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));

    // The window, exported as a WAV, holds the disc's two tracks one after the other, sample
    // for sample, with a mark where the second begins.
    kvtest::ScratchFolder scratch;
    const std::string saved = scratch.File("disc.wav");
    ASSERT_TRUE(SaveActiveDocumentAs(*m_program, m_frame, kExportCommand, saved)) << Diagnose();
    InFile file(saved.c_str());
    SoundFile sound;
    try {
        ReadWav(file, &sound);
    } catch (const CKvSSException& e) {
        FAIL() << "the saved file does not read: " << std::hex << e.m_hr;
    }
    ASSERT_EQ(2, sound.format.channels);
    ASSERT_EQ(16, sound.format.containerBits);
    ASSERT_EQ(44100u, sound.format.rate);
    constexpr uint32_t kAudioSectors = 750 + 600, kFramesPerSector = 588;
    ASSERT_EQ(uint64_t(kAudioSectors) * kFramesPerSector, sound.frames);
    std::vector<int16_t> samples(size_t(sound.frames) * 2);
    file.ReadAt(sound.dataOffset, samples.data(), samples.size() * 2);
    size_t wrong = 0, first = samples.size();
    for (uint32_t lba = 0; lba < kAudioSectors; ++lba)
        for (uint32_t pair = 0; pair < 2 * kFramesPerSector; ++pair) {
            const size_t at = size_t(lba) * 2 * kFramesPerSector + pair;
            if (samples[at] != cdkit::PatternSample(lba, pair) && wrong++ == 0)
                first = at;
        }
    EXPECT_EQ(0u, wrong) << "first at sample " << first;
    ASSERT_EQ(1u, sound.marks.size());
    EXPECT_EQ(750 * kFramesPerSector, sound.marks[0].start);
}

TEST_F(ExtractProgram, DISABLED_Showcase)
{
    HWND dialog = OpenDialog();
    ASSERT_NE(nullptr, dialog);
    SendMessageA(GetDlgItem(dialog, IDC_CD_TRACKS), LVM_SETITEMSTATE, 0, 0);
    Click(dialog, IDC_CD_SELECT_ALL);
    const char* seconds = std::getenv("KV_SHOW_SECONDS");
    Pump(1000u * (seconds ? DWORD(std::atoi(seconds)) : 8u));
    Click(dialog, IDCANCEL);
}
