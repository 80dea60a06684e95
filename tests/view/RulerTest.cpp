// The time ruler's tick grid and labels and the amplitude scale's readouts, as tables; a grid
// that cannot be walked; the range of a grouped volume change.
#include "AmplitudeScaleCore.h"
#include "RulerCore.h"
#include "RulerUnitsDialog.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(RulerGrid, StepsAndSpacingFollowTheZoomInEveryUnit)
{
    struct Case {
        uint32_t units;
        double frameRate, rate, spp;
        double step, spacing;
    };
    const Case cases[] = {
        // 1 us, 10 us ... 1 ms is 44.1 px; its half, 22 px, is still at least 10: 0.5 ms.
        {kRulerHms, 30, 44100, 1, 5, 22.05},
        {kRulerMilliseconds, 30, 44100, 1, 5, 22.05},
        // Past a second the steps grow by 6: 6 s at 44100 spp is 6 px, 36 s 36 px, halved 18 s.
        {kRulerSeconds, 30, 44100, 44100, 180000, 18},
        // A tenth of a frame, 0.2, 0.5, 1 frame (1470 samples) at 64 spp is 22.97 px.
        {kRulerFrames, 30, 44100, 64, 1000.0 / 3, 22.96875},
        // 1, 2, 5, 10, 20 samples: 20 at 1 spp is the first of at least 14 px.
        {kRulerSamples, 30, 44100, 1, 20, 20},
    };
    for (const Case& c : cases) {
        RulerGrid grid = ComputeRulerGrid(c.units, c.frameRate, c.rate, c.spp, 0, 7);
        EXPECT_NEAR(grid.step, c.step, 1e-9) << c.units;
        EXPECT_NEAR(grid.spacing, c.spacing, 1e-6) << c.units;
        EXPECT_EQ(grid.firstIndex, 0);
    }
    // Scrolled: the first tick is a multiple of 10 at or left of the waveform's edge.
    RulerGrid scrolled = ComputeRulerGrid(kRulerHms, 30, 44100, 1, 44100 * 3 + 100, 7);
    EXPECT_EQ(scrolled.firstIndex % 10, 0);
    EXPECT_LE(scrolled.firstOffset, 0);
    EXPECT_GT(scrolled.firstOffset, -10 * scrolled.spacing);
}

TEST(RulerGrid, NoRateZoomOrFrameRateGivesNoGridInsteadOfHanging)
{
    EXPECT_EQ(ComputeRulerGrid(kRulerHms, 30, 0, 1, 0, 7).spacing, 0);
    EXPECT_EQ(ComputeRulerGrid(kRulerSamples, 30, 44100, 0, 0, 7).spacing, 0);
    EXPECT_EQ(ComputeRulerGrid(kRulerTimeCode, 0, 44100, 1, 0, 7).spacing, 0);
    // A digit width of 0 still spaces ticks apart.
    EXPECT_GE(ComputeRulerGrid(kRulerSamples, 30, 44100, 1, 0, 0).spacing, 2);
}

TEST(RulerLabels, EachUnitWritesItsOwnText)
{
    struct Case {
        uint32_t units;
        double frameRate, step, value;
        const char* text;
    };
    const Case cases[] = {
        {kRulerHms, 30, 10, 650000, "00:01:05.00"},
        {kRulerHms, 30, 5, 12345, "00:00:01.234"},
        {kRulerHms, 30, 0.5, 3600 * 10000.0 + 1234, "01:00:00.1234"},
        {kRulerSeconds, 30, 5, 12344, "1.234"},
        {kRulerMilliseconds, 30, 5, 12345, "1234.5"},
        {kRulerSamples, 30, 20, 44100, "44100"},
        {kRulerFrames, 25, 400, 20000, "50"},
        {kRulerTimeCode, 25, 400, 610000 + 1600, "00:01:01,4"},
        // Drop frame: frame 1799 is 00:00:59,29; the next, 1800, is 00:01:00,2.
        {kRulerTimeCode, 29.97, 400, (1799 + 0.01) / 29.97 * 10000, "00:00:59,29"},
        {kRulerTimeCode, 29.97, 400, (1800 + 0.01) / 29.97 * 10000, "00:01:00,2"},
        // Every tenth minute keeps its first frames.
        {kRulerTimeCode, 29.97, 400, (17982 + 0.01) / 29.97 * 10000, "00:10:00,0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTickLabel(c.units, c.frameRate, c.step, c.value), c.text) << c.units << " " << c.value;
}

TEST(AmplitudeReadout, EachUnitReadsTheSampleAsTheScaleShowsIt)
{
    struct Case {
        uint32_t unit;
        int bits, signedDisplay;
        int32_t value;
        const char* text;
    };
    const Case cases[] = {
        {kRulerDecimal, 16, 1, 32767, "32767 "},
        {kRulerPercentage, 16, 1, 32767, "100% "},
        {kRulerHexadecimal, 16, 1, 32767, "7FFF "},
        {kRulerDb, 16, 1, 32767, "0dB "},
        {kRulerPercentage, 16, 1, -32768, "-100% "},
        {kRulerHexadecimal, 16, 1, -32768, "8000 "},
        {kRulerPercentage, 16, 1, 0, "0% "},
        {kRulerDb, 16, 1, 0, "-96dB "},
        // Unsigned 8-bit display: the offset is added first.
        {kRulerDecimal, 8, 0, -128, "0 "},
        {kRulerHexadecimal, 8, 0, 127, "FF "},
        // 24 bits: products past 2^31 stay right.
        {kRulerPercentage, 24, 1, 8388607, "100% "},
        {kRulerDb, 24, 1, 0, "-144dB "},
        // 32 bits show as 16 and never in Decimal.
        {kRulerDecimal, 32, 1, 32767, "100% "},
    };
    for (const Case& c : cases) {
        AmplitudeUnits units = MakeAmplitudeUnits(c.unit, c.bits, c.signedDisplay);
        EXPECT_EQ(FormatAmplitudeReadout(units, c.value), c.text) << c.unit << " " << c.bits << " " << c.value;
    }
}

TEST(AmplitudeReadout, AGroupedVolumeMayRiseOnlyAsFarAsItsLoudestMember)
{
    // The loudest member stands at 1.2: the changed track (at 1.0) may rise by 0.3.
    VolumeBounds b = GroupVolumeBounds(1.0f, {1.0f, 1.2f, 0.4f}, true);
    EXPECT_NEAR(b.upper - 1.0f, 0.3f, 1e-6);
    EXPECT_NEAR(b.lower, 0.6f, 1e-6);
    EXPECT_EQ(int(b.upper * 10000), 13000);
    VolumeBounds alone = GroupVolumeBounds(1.0f, {1.0f, 1.2f}, false);
    EXPECT_EQ(alone.lower, 0.0f);
    EXPECT_EQ(alone.upper, 1.5f);
}

TEST(RulerUnitsChoice, TypedRatesAndPresetsGoBothWays)
{
    const std::string presets[4] = {"Film 24", "PAL 25", "NTSC 29.97", "NTSC 30"};
    // A typed 48 comes back as "48", 23.976 as "23.976"; a preset by its name.
    EXPECT_EQ(ChoiceFromUnits(kRulerFrames | kRulerDb, 48.0, false, presets).rateText, "48");
    EXPECT_EQ(ChoiceFromUnits(kRulerFrames | kRulerDb, 23.976, false, presets).rateText, "23.976");
    RulerUnitsChoice pal = ChoiceFromUnits(kRulerTimeCode | kRulerPal25 | kRulerHexadecimal, 25.0, false, presets);
    EXPECT_EQ(pal.rateText, "PAL 25");
    EXPECT_EQ(pal.timeIndex, 5);
    EXPECT_EQ(pal.amplitudeIndex, 3);
    // A float document opens on Percentage instead of Hexadecimal.
    EXPECT_EQ(ChoiceFromUnits(kRulerHms | kRulerHexadecimal, 30, true, presets).amplitudeIndex, 0);

    double rate = 0;
    RulerUnitsChoice typed{4, 2, "PAL 25"};
    EXPECT_EQ(UnitsFromChoice(typed, presets, &rate), kRulerFrames | kRulerDb | kRulerPal25);
    EXPECT_EQ(rate, 25.0);
    typed.rateText = "48";
    EXPECT_EQ(UnitsFromChoice(typed, presets, &rate), kRulerFrames | kRulerDb);
    EXPECT_EQ(rate, 48.0);

    EXPECT_TRUE(IsValidFrameRateText("1000", presets));
    EXPECT_TRUE(IsValidFrameRateText("0.05", presets));
    EXPECT_FALSE(IsValidFrameRateText("0.04", presets));
    EXPECT_FALSE(IsValidFrameRateText("fast", presets));
}
