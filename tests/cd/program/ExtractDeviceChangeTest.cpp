// Extract Audio from CD hears the system's media changes: a disc arriving or leaving in another
// drive leaves the list (and the user's ticks) alone; one in the listed drive reads it again.
#include "ExtractProgramFixture.h"

#include <commctrl.h>
#include <dbt.h>

using namespace cdtest;

namespace {

// WM_DEVICECHANGE as the mount manager sends it for a volume's medium.
void SendVolumeChange(HWND dialog, WPARAM event, char letter, WORD flags)
{
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (letter - 'A');
    volume.dbcv_flags = flags;
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(dialog, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL, 20000,
                        &answer);
}

int TickedRows(HWND list)
{
    int ticked = 0;
    const int rows = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row)
        ticked += (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
                  INDEXTOSTATEIMAGEMASK(2);
    return ticked;
}

} // namespace

TEST_F(ExtractProgram, AMediaChangeInAnotherDriveLeavesTheListAsItWas)
{
    HWND dialog = OpenDialog();
    ASSERT_NE(nullptr, dialog);
    HWND list = GetDlgItem(dialog, IDC_CD_TRACKS);
    ASSERT_EQ(2, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    Click(dialog, IDC_CD_SELECT_ALL);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_CD_IMPORT_NEW)) != FALSE; }, 5000));
    ASSERT_EQ(2, TickedRows(list));

    struct Case {
        const char* what;
        WPARAM event;
        char letter;
        WORD flags;
    } const others[] = {
        {"a disc arriving in another drive", DBT_DEVICEARRIVAL, 'Q', DBTF_MEDIA},
        {"a disc leaving another drive", DBT_DEVICEREMOVECOMPLETE, 'S', DBTF_MEDIA},
        {"a volume of the drive that is no medium", DBT_DEVICEARRIVAL, kExtractLetter, 0},
    };
    for (const Case& c : others) {
        SendVolumeChange(dialog, c.event, c.letter, c.flags);
        EXPECT_EQ(2, TickedRows(list)) << c.what;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CD_IMPORT_NEW))) << c.what;
    }

    // The same message for the listed drive reads its disc again: the ticks are gone.
    SendVolumeChange(dialog, DBT_DEVICEARRIVAL, kExtractLetter, DBTF_MEDIA);
    EXPECT_EQ(0, TickedRows(list));
    EXPECT_EQ(2, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CD_IMPORT_NEW)));

    Click(dialog, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
}
