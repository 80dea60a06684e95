// Channel entries, CSV text and file names, and the ranges stored settings are brought into.
#include "AnalysisText.h"

#include <gtest/gtest.h>

TEST(AnalysisTextTest, ChannelEntriesNameEveryChannelAndReadBackAlike)
{
    const struct {
        int track, channel, channels;
        const char* text;
    } cases[] = {
        {0, 0, 1, "TRACK 1"},        {1, 0, 2, "TRACK 2 - L"},     {1, 1, 2, "TRACK 2 - R"},
        {2, 2, 6, "TRACK 3 - C"},    {2, 3, 6, "TRACK 3 - LFE"},   {2, 4, 6, "TRACK 3 - Ls"},
        {2, 5, 6, "TRACK 3 - Rs"},   {3, 2, 4, "TRACK 4 - 3"},     {10, 0, 3, "TRACK 11 - 1"},
        {4, 7, 8, "TRACK 5 - 8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChannelEntryText(c.track, c.channel, c.channels), c.text);
        int track = -1, channel = -1;
        ASSERT_TRUE(ParseChannelEntry(c.text, &track, &channel)) << c.text;
        EXPECT_EQ(track, c.track) << c.text;
        EXPECT_EQ(channel, c.channel) << c.text;
    }
    int track = 0, channel = 0;
    EXPECT_FALSE(ParseChannelEntry("", &track, &channel));
    EXPECT_FALSE(ParseChannelEntry("TRACK", &track, &channel));
    EXPECT_FALSE(ParseChannelEntry("TRACK x - L", &track, &channel));
}

TEST(AnalysisTextTest, DefaultCsvNameJoinsTitleEntryAndGraphType)
{
    EXPECT_EQ(DefaultCsvName("take.kvs", "TRACK 1 - L", 3), "take_TRACK1-L_13.csv");
    EXPECT_EQ(DefaultCsvName("take", "TRACK 2", 1), "take_TRACK2_narrow.csv");
    EXPECT_EQ(DefaultCsvName("a.b.wav", "TRACK 3 - LFE", 2), "a.b_TRACK3-LFE_11.csv");
    EXPECT_EQ(DefaultCsvName("", "TRACK 1", 1), "");
}

TEST(AnalysisTextTest, StoredSettingsComeIntoTheOfferedRanges)
{
    const struct {
        AnalysisSettings in, out;
    } cases[] = {
        {{0, -130, 2, 1, 128, 0, 0, 1}, {0, -130, 2, 1, 128, 0, 0, 1}},
        {{-20, 0, 1, 3, 1000, 5000, 5, 7}, {0, -20, 1, 3, 1024, 1023, 5, 1}},
        {{500, -900, 0, 9, 1 << 20, -4, 6, 0}, {100, -300, 2, 1, 65536, 0, 0, 0}},
        {{-300, -300, 3, 0, 0, 0, -1, 1}, {-299, -300, 2, 1, 128, 0, 0, 1}},
        {{100, 100, 1, 2, 256, 255, 4, 1}, {100, 99, 1, 2, 256, 255, 4, 1}},
    };
    for (const auto& c : cases) {
        const AnalysisSettings got = ClampAnalysisSettings(c.in);
        EXPECT_EQ(got.ampUpper, c.out.ampUpper);
        EXPECT_EQ(got.ampLower, c.out.ampLower);
        EXPECT_EQ(got.axisType, c.out.axisType);
        EXPECT_EQ(got.graphType, c.out.graphType);
        EXPECT_EQ(got.fftSize, c.out.fftSize);
        EXPECT_EQ(got.overlap, c.out.overlap);
        EXPECT_EQ(got.windowType, c.out.windowType);
        EXPECT_EQ(got.autoRefresh, c.out.autoRefresh);
    }
}
