// Set Value, Set Track Label and the recording timer, each opened modeless as the user sees it,
// typed into, OK pressed and the value, label or settings read back.
#include "Settings.h"
#include "SettingsIds.h"
#include "SettingsTestKit.h"
#include "SettingsTestRoot.h"
#include "SmallValueDialogs.h"

#include <memory>

using namespace settingstest;

namespace {

template <class Dialog>
bool PressOK(Dialog& dialog)
{
    Press(dialog.m_hWnd, IDOK);
    return dialog.m_hWnd == nullptr;
}

bool Visible(HWND dialog, int id)
{
    return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE;
}

struct ValueCase {
    DWORD form;
    int bits, zeroBased, max, offset, value;
    const char *range, *shown, *typed;
    int stored; // INT_MIN: refused
};

} // namespace

TEST(SetValueDialogTest, ShowsAndTakesValuesInEachNumberForm)
{
    const int refused = INT_MIN;
    const ValueCase cases[] = {
        // Percentages of the side of the range the value lies on.
        {SetValueDialog::kPercentage, 32, 0, 3000, 1000, -500, "-100.00 to 100.00 %", "-50.00", "-50", -500},
        {SetValueDialog::kPercentage, 32, 0, 3000, 1000, 1000, "-100.00 to 100.00 %", "50.00", "50", 1000},
        {SetValueDialog::kPercentage, 32, 0, 3000, 1000, 0, "-100.00 to 100.00 %", "0.00", "100.5", refused},
        // An empty side of the range shows 0 rather than dividing by it.
        {SetValueDialog::kPercentage, 32, 0, 0, 0, 0, "-100.00 to 100.00 %", "0.00", "0", 0},
        {SetValueDialog::kPercentage, 32, 0, 1000, 0, -5, "-100.00 to 100.00 %", "0.00", "-20", 0},
        // Decimal: shown shifted by O unless zero-based.
        {SetValueDialog::kDecimal, 8, 0, 255, 128, -128, "0 to 255", "0", "300", refused},
        {SetValueDialog::kDecimal, 8, 0, 255, 128, 0, "0 to 255", "128", "255", 127},
        {SetValueDialog::kDecimal, 16, 1, 65535, 32768, -5, "-32768 to 32767", "-5", "-32768", -32768},
        // Hexadecimal: two digits a byte; zero-based values above M - O wrap to negatives.
        {SetValueDialog::kHexadecimal, 16, 1, 65535, 32768, -1, "8000 to 7FFF", "FFFF", "FFFE", -2},
        {SetValueDialog::kHexadecimal, 16, 0, 65535, 32768, 0, "0000 to FFFF", "8000", "8001", 1},
        {SetValueDialog::kHexadecimal, 32, 0, 0x7FFFFFFF, 0, 7, "00000000 to 7FFFFFFF", "00000007", "0000000123",
         1}, // the first 8 characters
    };
    for (const ValueCase& c : cases) {
        SetValueDialog dialog;
        dialog.m_position = 123456;
        dialog.m_form = c.form;
        dialog.m_bits = c.bits;
        dialog.m_zeroBased = c.zeroBased;
        dialog.m_max = c.max;
        dialog.m_offset = c.offset;
        dialog.m_value = c.value;
        MessageCatcher boxes;
        ASSERT_TRUE(dialog.Create(IDD_SET_VALUE));
        HWND hwnd = dialog.m_hWnd;
        std::string label = std::string(c.range) + " typed " + c.typed;
        EXPECT_EQ(Text(hwnd, IDC_VALUE_POSITION), "123456");
        EXPECT_EQ(Text(hwnd, IDC_VALUE_RANGE), c.range) << label;
        EXPECT_EQ(Text(hwnd, IDC_VALUE_EDIT), c.shown) << label;
        Type(hwnd, IDC_VALUE_EDIT, c.typed);
        bool closed = PressOK(dialog);
        EXPECT_EQ(closed, c.stored != refused) << label;
        if (c.stored == refused) {
            EXPECT_EQ(boxes.messages, std::vector<std::string>{"Please enter the value in between the allowed range."});
            EXPECT_EQ(dialog.m_value, c.value);
            dialog.DestroyWindow();
        } else {
            EXPECT_TRUE(boxes.messages.empty()) << label;
            EXPECT_EQ(dialog.m_value, c.stored) << label;
        }
    }
}

TEST(SetValueDialogTest, LeavingTheEditRewritesItInItsForm)
{
    SetValueDialog dialog;
    dialog.m_form = SetValueDialog::kPercentage;
    dialog.m_max = 3000;
    dialog.m_offset = 1000;
    ASSERT_TRUE(dialog.Create(IDD_SET_VALUE));
    dialog.ShowWindow(SW_SHOW);
    Type(dialog.m_hWnd, IDC_VALUE_EDIT, "-12.345");
    ::SetFocus(::GetDlgItem(dialog.m_hWnd, IDCANCEL));
    EXPECT_EQ(Text(dialog.m_hWnd, IDC_VALUE_EDIT), "-12.30"); // -123 stored steps of the side of 1000
    dialog.DestroyWindow();
}

TEST(SetValueDialogTest, AmplitudeIsShownInDecibelsOnly)
{
    const struct {
        int max, offset, value;
        const char* decibels;
    } cases[] = {
        {2000, 0, 1000, "-6.02"}, {2000, 0, 2000, "0.00"}, {2000, 1000, -500, "-6.02"},
        {2000, 0, 0, "-inf"},     {0, 0, 0, "-inf"}, // an empty range, no division
    };
    for (const auto& c : cases) {
        SetValueDialog dialog;
        dialog.m_form = SetValueDialog::kAmplitude;
        dialog.m_max = c.max;
        dialog.m_offset = c.offset;
        dialog.m_value = c.value;
        ASSERT_TRUE(dialog.Create(IDD_SET_VALUE));
        dialog.ShowWindow(SW_SHOW);
        HWND hwnd = dialog.m_hWnd;
        CString caption;
        dialog.GetWindowText(caption);
        EXPECT_EQ(std::string(caption), "Number Format");
        EXPECT_EQ(Text(hwnd, IDC_VALUE_RANGE), "Amplitude:");
        EXPECT_EQ(Text(hwnd, IDC_VALUE_AMPLITUDE), c.decibels) << c.value;
        EXPECT_FALSE(Visible(hwnd, IDC_VALUE_EDIT));
        EXPECT_FALSE(Visible(hwnd, IDOK));
        EXPECT_EQ(Text(hwnd, IDCANCEL), "OK");
        dialog.DestroyWindow();
    }
}

TEST(TrackLabelDialogTest, ShowsTheLabelAndTakesTheTypedOne)
{
    TrackLabelDialog dialog;
    dialog.SetLabel("Track1");
    ASSERT_TRUE(dialog.Create(IDD_TRACK_LABEL));
    EXPECT_EQ(Text(dialog.m_hWnd, IDC_TRACK_LABEL), "Track1");
    Type(dialog.m_hWnd, IDC_TRACK_LABEL, "Lead vocal");
    ASSERT_TRUE(PressOK(dialog));
    EXPECT_EQ(std::string(dialog.GetLabel()), "Lead vocal");
}

class AutoStopTimerTest : public ::testing::Test {
protected:
    HWND Open()
    {
        dialog = std::make_unique<AutoStopTimerDialog>();
        EXPECT_TRUE(dialog->Create(IDD_AUTO_STOP_TIMER));
        dialog->ShowWindow(SW_SHOW);
        return dialog->m_hWnd;
    }
    void TearDown() override
    {
        if (dialog && dialog->m_hWnd)
            dialog->DestroyWindow();
    }
    int Stored(const char* entry) { return GetSettingInt(kSettingsSection, entry, -1); }

    SettingsTestRoot root;
    MessageCatcher boxes;
    std::unique_ptr<AutoStopTimerDialog> dialog;
};

TEST_F(AutoStopTimerTest, StoredMinutesAreShownAsHoursAndMinutes)
{
    SetSettingInt(kSettingsSection, "RecTimerOn", 1);
    SetSettingInt(kSettingsSection, "RecTimerValue", 125);
    HWND hwnd = Open();
    EXPECT_EQ(::IsDlgButtonChecked(hwnd, IDC_TIMER_ON), (UINT)BST_CHECKED);
    EXPECT_EQ(Text(hwnd, IDC_TIMER_HOURS), "2");
    EXPECT_EQ(Text(hwnd, IDC_TIMER_MINUTES), "5");
    EXPECT_EQ(::GetWindowLongA(::GetDlgItem(hwnd, IDC_TIMER_HOURS), GWL_STYLE) & ES_READONLY, 0);
    // Unchecked, the times can no longer be changed.
    Click(hwnd, IDC_TIMER_ON);
    EXPECT_NE(::GetWindowLongA(::GetDlgItem(hwnd, IDC_TIMER_MINUTES), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_TIMER_HOURS_SPIN)));
}

TEST_F(AutoStopTimerTest, OKWritesTheTimerAsTheCheckBoxSays)
{
    const struct {
        bool on;
        const char *hours, *minutes;
        bool closes;
        const char* message;
        int storedOn, storedValue;
    } cases[] = {
        {true, "1", "30", true, nullptr, 1, 90},
        {true, "0", "0", false, "No value has been set for the auto stop recording timer.", -1, 125},
        {true, "0", "60", false, "Please enter an integer between 0 and 59.", -1, 125},
        {true, "100", "0", false, "Please enter an integer between 0 and 99.", -1, 125},
        {false, "0", "0", true, nullptr, 0, 125}, // off: only the switch is written
        {false, "200", "99", true, nullptr, 0, 125},
    };
    for (const auto& c : cases) {
        SettingsTestRoot caseRoot;
        SetSettingInt(kSettingsSection, "RecTimerValue", 125);
        HWND hwnd = Open();
        if (c.on)
            Click(hwnd, IDC_TIMER_ON);
        Type(hwnd, IDC_TIMER_HOURS, c.hours);
        Type(hwnd, IDC_TIMER_MINUTES, c.minutes);
        boxes.messages.clear();
        EXPECT_EQ(PressOK(*dialog), c.closes) << c.hours << ":" << c.minutes;
        EXPECT_EQ(boxes.messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        EXPECT_EQ(Stored("RecTimerOn"), c.storedOn);
        EXPECT_EQ(Stored("RecTimerValue"), c.storedValue);
        if (dialog->m_hWnd)
            dialog->DestroyWindow();
    }
}
