#include <gtest/gtest.h>

#include "PositionText.h"
#include "TimeUnitCombo.h"

#include <random>
#include <string>

namespace {
const uint32_t kUnits[] = {kTimeUnitHms,     kTimeUnitSeconds, kTimeUnitMilliseconds,
                           kTimeUnitSamples, kTimeUnitFrames,  kTimeUnitTimeCode};
}

TEST(PositionText, FormatsOneSecondInEveryUnit)
{
    struct Case {
        uint32_t unit;
        const char* text;
    } cases[] = {
        {kTimeUnitHms, "00 : 00 : 01.000"},
        {kTimeUnitSeconds, "1.000"},
        {kTimeUnitMilliseconds, "1000.0"},
        {kTimeUnitSamples, "44100"},
        {kTimeUnitFrames, "30"},
        {kTimeUnitTimeCode, "00 : 00 : 01, 00"},
        {0, "00 : 00 : 01, 00"},
        {0x40, "00 : 00 : 01, 00"},
        {kTimeUnitFrames | kTimeUnitSamples, "44100"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, FormatPosition(44100, c.unit, 30.0, 44100)) << c.unit;
        EXPECT_EQ(44100, ParsePosition(c.text, 44100, c.unit, 30.0)) << c.unit;
    }
    EXPECT_EQ("01 : 02 : 03.500", FormatPosition(48000, kTimeUnitHms, 30.0, int64_t(48000) * 3723 + 24000));
}

TEST(PositionText, ZeroRateGivesEmptyTextExceptSamples)
{
    for (uint32_t unit : kUnits) {
        if (unit == kTimeUnitSamples) {
            EXPECT_EQ("123", FormatPosition(0, unit, 30.0, 123));
            EXPECT_EQ(123, ParsePosition("123", 0, unit, 30.0));
        } else {
            EXPECT_EQ("", FormatPosition(0, unit, 30.0, 123)) << unit;
            EXPECT_EQ(0, ParsePosition("1", 0, unit, 30.0)) << unit;
        }
    }
}

TEST(PositionText, SecondsThatRoundToSixtyCarryIntoMinutesAndHours)
{
    // 0.0004 s short of a minute, and of an hour.
    EXPECT_EQ("00 : 01 : 00.000", FormatPosition(44100, kTimeUnitHms, 30.0, 2645982));
    EXPECT_EQ("01 : 00 : 00.000", FormatPosition(44100, kTimeUnitHms, 30.0, 158759982));
    EXPECT_EQ(int64_t(44100) * 3600, ParsePosition("01 : 00 : 00.000", 44100, kTimeUnitHms, 30.0));
    EXPECT_EQ("02 : 00 : 00.000", FormatPosition(48000, kTimeUnitHms, 30.0, int64_t(48000) * 7200 - 1));
}

TEST(PositionText, RejectsBadAndNegativeInput)
{
    struct Case {
        uint32_t unit;
        const char* text;
    } cases[] = {
        {kTimeUnitHms, "1:75:00"},       {kTimeUnitHms, "0:00:60"},       {kTimeUnitHms, "0:00"},
        {kTimeUnitHms, "-1:00:00"},      {kTimeUnitHms, "a:00:00"},       {kTimeUnitSamples, "-1"},
        {kTimeUnitSamples, "12x"},       {kTimeUnitSamples, ""},          {kTimeUnitSeconds, "-0.5"},
        {kTimeUnitSeconds, "1.2.3"},     {kTimeUnitMilliseconds, "abc"},  {kTimeUnitFrames, "-3"},
        {kTimeUnitTimeCode, "0:0:0"},    {kTimeUnitTimeCode, "0:60:0,0"}, {kTimeUnitTimeCode, "0:0:0,30"},
        {kTimeUnitTimeCode, "0:0:60,0"}, {kTimeUnitTimeCode, "-1:0:0,0"}, {kTimeUnitSamples, "99999999999999999999"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(-1, ParsePosition(c.text, 48000, c.unit, 30.0)) << c.unit << " '" << c.text << "'";
}

// Values typed beyond what a 64-bit position holds are bad input, not a wrapped or negative
// position; the largest ones that fit still parse.
TEST(PositionText, ValuesPastTheLargestPositionAreRefused)
{
    const std::string huge = "99999999999999999999";
    struct Case {
        uint32_t unit;
        double frameRate;
        std::string text;
    } cases[] = {
        {kTimeUnitSeconds, 30.0, huge},
        {kTimeUnitSeconds, 30.0, "1" + std::string(400, '0')},
        {kTimeUnitMilliseconds, 30.0, huge},
        {kTimeUnitFrames, 30.0, huge},
        {kTimeUnitHms, 30.0, "999999999999999:00:00"},
        {kTimeUnitHms, 30.0, "99999999999999:00:00"},
        {kTimeUnitTimeCode, 30.0, "999999999999999:00:00,00"},
        {kTimeUnitTimeCode, kDropFrameRate, "999999999999999:00:00;02"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(-1, ParsePosition(c.text.c_str(), 48000, c.unit, c.frameRate)) << c.unit << " '" << c.text << "'";

    EXPECT_EQ(int64_t(48000) * 1000000000, ParsePosition("1000000000", 48000, kTimeUnitSeconds, 30.0));
    EXPECT_EQ(int64_t(48000) * 3600 * 1000000, ParsePosition("1000000:00:00", 48000, kTimeUnitHms, 30.0));
    EXPECT_EQ(int64_t(48000) * 3600 * 1000000, ParsePosition("1000000:00:00,00", 48000, kTimeUnitTimeCode, 30.0));
}

// Every position that parses also formats: large ones give their plain text rather than
// an overflowed one.
TEST(PositionText, LargePositionsFormatWithoutOverflow)
{
    const int64_t billionSeconds = int64_t(48000) * 1000000000;
    struct Case {
        uint32_t unit;
        const char* text;
    } cases[] = {
        {kTimeUnitSeconds, "1000000000.000"},   {kTimeUnitMilliseconds, "1000000000000.0"},
        {kTimeUnitFrames, "30000000000"},       {kTimeUnitSamples, "48000000000000"},
        {kTimeUnitHms, "277777 : 46 : 40.000"}, {kTimeUnitTimeCode, "277777 : 46 : 40, 00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, FormatPosition(48000, c.unit, 30.0, billionSeconds)) << c.unit;
        EXPECT_EQ(billionSeconds, ParsePosition(c.text, 48000, c.unit, 30.0)) << c.unit;
    }
    EXPECT_EQ("4000000000000000000.000", FormatPosition(1, kTimeUnitSeconds, 30.0, 4000000000000000000))
        << "past the range of 100-ns units";
}

TEST(PositionText, ParsesTypedValues)
{
    struct Case {
        uint32_t unit;
        double frameRate;
        const char* text;
        int64_t position;
    } cases[] = {
        {kTimeUnitSeconds, 30.0, "2.5", 120000},
        {kTimeUnitSeconds, 30.0, "0.00001", 0},
        {kTimeUnitSeconds, 30.0, "0.00002", 1}, // 0.96 samples: the nearest sample
        {kTimeUnitSeconds, 30.0, "  2.5  ", 120000},
        {kTimeUnitMilliseconds, 30.0, "2500", 120000},
        {kTimeUnitHms, 30.0, "1:02:03.5", int64_t(48000) * 3723 + 24000},
        {kTimeUnitHms, 30.0, "0 : 0 : 0", 0},
        {kTimeUnitFrames, 30.0, "30", 48000},
        {kTimeUnitFrames, 0.0, "30", 0},
        // 48000 / 29.97 samples per frame: typed frames round up to the frame's first sample.
        {kTimeUnitFrames, 24.0, "1", 2000},
        {kTimeUnitTimeCode, 25.0, "00:00:02.05", 96000 + 9600},
        {kTimeUnitTimeCode, 25.0, "00 : 00 : 02, 05", 96000 + 9600},
        {kTimeUnitTimeCode, 25.0, "00:00:02 ;05", 96000 + 9600},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.position, ParsePosition(c.text, 48000, c.unit, c.frameRate)) << c.unit << " '" << c.text << "'";
}

TEST(PositionText, TimeCodeFrameThatIsNotWholeSamplesStartsOnItsFirstSample)
{
    // 24 fps at 44100 Hz: 1837.5 samples per frame. Frame 1 of second 1 starts at sample
    // 44100 + 1838, which shows as that frame again.
    const int64_t p = ParsePosition("00:00:01,01", 44100, kTimeUnitTimeCode, 24.0);
    EXPECT_EQ(44100 + 1838, p);
    EXPECT_EQ("00 : 00 : 01, 01", FormatPosition(44100, kTimeUnitTimeCode, 24.0, p));
    EXPECT_EQ("00 : 00 : 01, 00", FormatPosition(44100, kTimeUnitTimeCode, 24.0, p - 1));
}

TEST(PositionText, DropFrameTimeCodeSkipsFramesZeroAndOneOutsideTenthMinutes)
{
    const double f = kDropFrameRate;
    const uint32_t r = 44100;
    const int64_t first1800 = ParsePosition("00:01:00;02", r, kTimeUnitTimeCode, f);
    EXPECT_EQ(2648649, first1800); // first sample of frame 1800
    EXPECT_EQ("00 : 01 : 00, 02", FormatPosition(r, kTimeUnitTimeCode, f, first1800));
    // Formatting rounds up by 0.005 frame (7 samples at 44100 Hz).
    EXPECT_EQ("00 : 01 : 00, 02", FormatPosition(r, kTimeUnitTimeCode, f, first1800 - 7));
    EXPECT_EQ("00 : 00 : 59, 29", FormatPosition(r, kTimeUnitTimeCode, f, first1800 - 8));
    EXPECT_EQ(-1, ParsePosition("00:01:00;00", r, kTimeUnitTimeCode, f));
    EXPECT_EQ(-1, ParsePosition("00:01:00;01", r, kTimeUnitTimeCode, f));
    EXPECT_EQ(-1, ParsePosition("00:00:00;30", r, kTimeUnitTimeCode, f));
    // Tenth minutes keep frames 0 and 1.
    const int64_t tenMinutes = ParsePosition("00:10:00;00", r, kTimeUnitTimeCode, f);
    EXPECT_NE(-1, tenMinutes);
    EXPECT_EQ("00 : 10 : 00, 00", FormatPosition(r, kTimeUnitTimeCode, f, tenMinutes));
    EXPECT_EQ("00 : 09 : 59, 29", FormatPosition(r, kTimeUnitTimeCode, f, tenMinutes - 8));
    EXPECT_EQ("01 : 00 : 00, 00",
              FormatPosition(r, kTimeUnitTimeCode, f, ParsePosition("01:00:00;00", r, kTimeUnitTimeCode, f)));
}

// Every frame of the first twelve minutes, at two rates: the first sample of a frame shows
// that frame, parses back to the same sample, and no skipped label ever appears.
TEST(PositionText, DropFrameTimeCodeRoundTripsEveryFrame)
{
    for (uint32_t r : {44100u, 48000u}) {
        std::string previous;
        for (int64_t n = 0; n < 17982 + 1798 * 2 + 40; ++n) {
            int64_t p = static_cast<int64_t>(r * static_cast<double>(n) / kDropFrameRate);
            if (static_cast<double>(p) * kDropFrameRate / r != static_cast<double>(n))
                ++p;
            const std::string text = FormatPosition(r, kTimeUnitTimeCode, kDropFrameRate, p);
            ASSERT_NE(previous, text) << n;
            ASSERT_EQ(p, ParsePosition(text.c_str(), r, kTimeUnitTimeCode, kDropFrameRate)) << n << " " << text;
            previous = text;
        }
    }
}

// What a unit shows for a position parses to a position that shows the same again, so that
// UpdatePositionEdit sees no change when the user leaves the text alone.
TEST(PositionText, FormattedTextParsesBackToTheSameTextInEveryUnit)
{
    std::mt19937_64 rng(42);
    for (uint32_t r : {8000u, 22050u, 44100u, 48000u, 96000u}) {
        for (double f : {24.0, 25.0, 30.0, kDropFrameRate}) {
            for (uint32_t unit : kUnits) {
                for (int i = 0; i < 300; ++i) {
                    const int64_t p = i < 20 ? i : static_cast<int64_t>(rng() % (int64_t(r) * 3 * 3600));
                    const std::string text = FormatPosition(r, unit, f, p);
                    const int64_t parsed = ParsePosition(text.c_str(), r, unit, f);
                    ASSERT_NE(-1, parsed) << unit << " " << text;
                    ASSERT_EQ(text, FormatPosition(r, unit, f, parsed))
                        << "rate " << r << " fps " << f << " unit " << unit;
                    if (unit == kTimeUnitSamples) {
                        ASSERT_EQ(p, parsed);
                    }
                }
            }
        }
    }
}

TEST(PositionText, ResolveRangeCompletesTriples)
{
    struct Case {
        int64_t start, end, length;
        bool result;
        int64_t outStart, outEnd, outLength;
    } cases[] = {
        {100, 50, -1, true, 50, 100, 50},  {50, 100, -1, true, 50, 100, 50},  {50, 50, -1, false, 50, 50, 0},
        {50, 100, 10, false, 50, 100, 10}, {100, -1, 25, true, 100, 125, 25}, {-1, 100, 25, true, 75, 100, 25},
        {100, -1, -1, false, 100, 99, -1}, {-1, -1, 25, false, -1, -1, 25},
    };
    for (const Case& c : cases) {
        int64_t s = c.start, e = c.end, l = c.length;
        EXPECT_EQ(c.result, ResolveRange(s, e, l)) << c.start << " " << c.end << " " << c.length;
        EXPECT_EQ(c.outStart, s);
        EXPECT_EQ(c.outEnd, e);
        EXPECT_EQ(c.outLength, l);
    }
}

namespace {
struct Window {
    explicit Window(const char* cls, DWORD style = 0)
        : hwnd(CreateWindowExA(0, cls, "", WS_POPUP | style, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~Window() { DestroyWindow(hwnd); }
    HWND hwnd;
};

std::string TextOf(HWND hwnd)
{
    char buffer[256] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}
} // namespace

TEST(TimeUnitCombo, FillsSixUnitsAndSelectsByFirstSharedBit)
{
    Window combo("COMBOBOX", CBS_DROPDOWNLIST);
    ASSERT_NE(nullptr, combo.hwnd);
    EXPECT_EQ(0u, GetSelectedTimeUnit(combo.hwnd));
    EXPECT_EQ(-1, SelectTimeUnit(combo.hwnd, kTimeUnitSeconds)) << "empty combo";
    FillTimeUnitCombo(combo.hwnd, kTimeUnitSamples);
    ASSERT_EQ(6, SendMessageA(combo.hwnd, CB_GETCOUNT, 0, 0));
    const char* names[] = {"hh:mm:ss", "Seconds", "Milliseconds", "Samples", "Frames", "Time Code"};
    for (int i = 0; i < 6; ++i) {
        char name[64] = {};
        SendMessageA(combo.hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
        EXPECT_STREQ(names[i], name);
    }
    EXPECT_EQ(kTimeUnitSamples, GetSelectedTimeUnit(combo.hwnd));
    EXPECT_EQ(0, SelectTimeUnit(combo.hwnd, 0x80101));
    EXPECT_EQ(kTimeUnitHms, GetSelectedTimeUnit(combo.hwnd));
    EXPECT_EQ(-1, SelectTimeUnit(combo.hwnd, 0x80));
    EXPECT_EQ(kTimeUnitHms, GetSelectedTimeUnit(combo.hwnd));
    FillTimeUnitCombo(combo.hwnd, kTimeUnitTimeCode);
    EXPECT_EQ(6, SendMessageA(combo.hwnd, CB_GETCOUNT, 0, 0)) << "refilling empties first";
    EXPECT_EQ(kTimeUnitTimeCode, GetSelectedTimeUnit(combo.hwnd));
}

TEST(TimeUnitCombo, UpdatePositionEditKeepsCurrentWhenTextMeansTheSame)
{
    Window edit("EDIT");
    ASSERT_NE(nullptr, edit.hwnd);
    // Empty: filled with the current position.
    EXPECT_EQ(48000, UpdatePositionEdit(edit.hwnd, 48000, kTimeUnitSeconds, 30.0, 48000));
    EXPECT_EQ("1.000", TextOf(edit.hwnd));
    SetWindowTextA(edit.hwnd, "   ");
    EXPECT_EQ(48000, UpdatePositionEdit(edit.hwnd, 48000, kTimeUnitSeconds, 30.0, 48000));
    EXPECT_EQ("1.000", TextOf(edit.hwnd));
    // The same value typed in another form: current position kept (48001 shows as 1.000).
    SetWindowTextA(edit.hwnd, "1");
    EXPECT_EQ(48001, UpdatePositionEdit(edit.hwnd, 48000, kTimeUnitSeconds, 30.0, 48001));
    SetWindowTextA(edit.hwnd, "2.5");
    EXPECT_EQ(120000, UpdatePositionEdit(edit.hwnd, 48000, kTimeUnitSeconds, 30.0, 48001));
    SetWindowTextA(edit.hwnd, "x");
    EXPECT_EQ(-1, UpdatePositionEdit(edit.hwnd, 48000, kTimeUnitSeconds, 30.0, 48001));
    EXPECT_EQ(-1, UpdatePositionEdit(nullptr, 48000, kTimeUnitSeconds, 30.0, 48001));
    EXPECT_EQ(-1, UpdatePositionEdit(edit.hwnd, 0, kTimeUnitSeconds, 30.0, 48001));
    EXPECT_EQ(-1, UpdatePositionEdit(edit.hwnd, 48000, 0, 30.0, 48001));
}
