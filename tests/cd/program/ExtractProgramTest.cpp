// Extract Audio from CD in the running program, over a disc image in a drive of the prefix:
// the menu command opens the dialog, its lists show the disc, its buttons import.
//   KV_SHOW_SECONDS=n with --gtest_also_run_disabled_tests runs the Showcase for a screenshot.
#include "CdIds.h"
#include "CdPrefix.h"
#include "DialogDriving.h"
#include "ProgramProcess.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

using cdtest::Pump;
using cdtest::RemoteListText;
using cdtest::WaitFor;

constexpr char kLetter = 'R';
constexpr UINT kExtractCommand = 1103;

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::vector<std::string> MdiTitles(HWND frame)
{
    std::vector<std::string> titles;
    HWND client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
    for (HWND child = client ? GetWindow(client, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
        char title[256] = {};
        GetWindowTextA(child, title, sizeof title);
        titles.push_back(title);
    }
    return titles;
}

class ExtractProgram : public testing::Test {
protected:
    void SetUp() override
    {
        kvtest::ClearProgramKey();
        // Other test programs may offer image drives of their own meanwhile.
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Settings", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, "LastCdDrive", 0, REG_SZ, reinterpret_cast<const BYTE*>("R"), 2);
        RegCloseKey(key);
        m_image = std::make_unique<cdtest::ScopedImageDrive>(kLetter, cdtest::StandardDisc());
        ASSERT_TRUE(m_image->IsCdRom());
        m_program = std::make_unique<kvtest::ProgramProcess>(kvtest::BinFolder() + "KvSound5EU.exe");
        m_frame = m_program->WaitForFrame();
        ASSERT_NE(nullptr, m_frame);
    }
    void TearDown() override
    {
        m_program.reset();
        m_image.reset();
        kvtest::ClearProgramKey();
    }
    HWND OpenDialog()
    {
        PostMessageA(m_frame, WM_COMMAND, kExtractCommand, 0);
        HWND dialog = nullptr;
        WaitFor(
            [&] {
                for (HWND box : m_program->Boxes()) {
                    char title[64] = {};
                    GetWindowTextA(box, title, sizeof title);
                    if (std::string(title) == "Extract Audio from CD")
                        dialog = box;
                }
                return dialog != nullptr;
            },
            20000);
        return dialog;
    }

    std::string Diagnose() { return cdtest::DescribeBoxes(*m_program); }

    cdtest::ScopedMciDriver m_driver;
    std::unique_ptr<cdtest::ScopedImageDrive> m_image;
    std::unique_ptr<kvtest::ProgramProcess> m_program;
    HWND m_frame = nullptr;
};

} // namespace

TEST_F(ExtractProgram, ListsTheDiscsAudioTracksAndImportsThemAsOneTrackIntoOneWindow)
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
