// The Burn CD dialog's list rules as tables: cue cuts, times, moves, deletes, pre-gaps, speeds,
// erase estimates, the add-files filter and the enabled controls.
#include "BurnTrackList.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kSecond = kHundredNsPerSecond;

BurnTrackRecord File(const char* name, int preGap, int64_t seconds, int number)
{
    BurnTrackRecord r;
    r.fileName = name;
    r.preGap = preGap;
    r.length = seconds * kSecond;
    r.trackNumber = number;
    return r;
}

std::string Names(const std::vector<BurnTrackRecord>& records)
{
    std::string names;
    for (const BurnTrackRecord& r : records)
        names += r.fileName + std::to_string(r.trackNumber) + ":" + std::to_string(r.preGap) + " ";
    return names;
}

TEST(BurnTrackList, CueCutsRoundToTheNearestFrameAndStopAtTheEnd)
{
    struct Case {
        std::vector<int64_t> cues;
        int64_t end;
        std::vector<int64_t> cuts; // track ends
    } cases[] = {
        {{}, 44100 * 10, {44100 * 10}},
        {{588 * 100 + 293}, 44100 * 10, {588 * 100, 44100 * 10}},
        {{588 * 100 + 294}, 44100 * 10, {588 * 101, 44100 * 10}},
        {{588 * 100, 588 * 200 + 10}, 44100 * 10, {588 * 100, 588 * 200, 44100 * 10}},
        {{44100 * 10 - 100}, 44100 * 10, {44100 * 10}}, // rounds onto the end
        {{0, 588 * 50}, 44100 * 10, {588 * 50, 44100 * 10}}, // no empty track at 0
    };
    for (const Case& c : cases) {
        const std::vector<BurnTrackRecord> tracks = TracksFromCues(c.cues, c.end);
        ASSERT_EQ(tracks.size(), c.cuts.size());
        for (size_t i = 0; i < tracks.size(); ++i) {
            EXPECT_EQ(tracks[i].end, c.cuts[i]);
            EXPECT_EQ(tracks[i].trackNumber, int(i) + 1);
            EXPECT_EQ(tracks[i].preGap, i == 0 ? 2 : 0);
            EXPECT_EQ(tracks[i].length, (tracks[i].end - tracks[i].start) * kSecond / 44100);
        }
    }
}

TEST(BurnTrackList, WindowTracksFromADocumentOfAnotherRateAndTheirDiscLayout)
{
    // Cues of a 48 kHz document, unordered and repeated, at 1 s and 6 s; 12 s long.
    const std::vector<int64_t> cues = CuePositionsAtCdRate({288000, 48000, 288000}, 48000);
    EXPECT_EQ(cues, (std::vector<int64_t>{44100, 264600}));
    std::vector<BurnTrackRecord> tracks = TracksFromCues(cues, AtCdRate(576000, 48000));
    EXPECT_EQ(TrackCuts(tracks), (std::vector<int64_t>{44100, 264600}));
    int64_t total = 0;
    std::vector<WindowRowTimes> rows = LayOutWindowTracks(tracks, &total);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].start, 0);
    EXPECT_EQ(rows[0].end, 2 * 44100 + 44100); // the first track's 2-second pre-gap
    EXPECT_EQ(rows[1].start, rows[0].end);
    EXPECT_EQ(rows[2].length, 6 * 44100);
    EXPECT_EQ(total, 14 * 44100);
    // Combined, the first two tracks are cut once: at 6 s.
    ASSERT_TRUE(CombineWithNext(tracks, 0));
    EXPECT_EQ(TrackCuts(tracks), (std::vector<int64_t>{264600}));
    rows = LayOutWindowTracks(tracks, &total);
    EXPECT_EQ(rows[0].length, 264600);
    EXPECT_EQ(total, 14 * 44100);
}

TEST(BurnTrackList, TimeTextsAndTheFileLayout)
{
    EXPECT_EQ(BurnTimeText(37255000000), "01 : 02 : 05.500");
    EXPECT_EQ(BurnTimeText(0), "00 : 00 : 00.000");
    std::vector<BurnTrackRecord> files = {File("a", 2, 10, 1), File("b", 0, 10, 2)};
    const int64_t total = LayOutFileTracks(files);
    EXPECT_EQ(BurnTimeText(files[0].start), "00 : 00 : 00.000");
    EXPECT_EQ(BurnTimeText(files[0].end), "00 : 00 : 12.000");
    EXPECT_EQ(BurnTimeText(files[1].start), "00 : 00 : 12.000");
    EXPECT_EQ(BurnTimeText(files[1].end), "00 : 00 : 22.000");
    EXPECT_EQ(GaugeSeconds(total), 22);
    EXPECT_EQ(GaugeSeconds(kSecond * 3 / 2), 2);
}

TEST(BurnTrackList, MovesDeletesAndPreGapsKeepTheFirstTracksGap)
{
    std::vector<BurnTrackRecord> list = {File("a", 2, 5, 1), File("b", 0, 5, 2), File("c", 1, 5, 3)};
    EXPECT_TRUE(MoveTrackUp(list, 1));
    EXPECT_EQ(Names(list), "b1:2 a2:2 c3:1 ");
    EXPECT_FALSE(MoveTrackUp(list, 0));
    EXPECT_FALSE(MoveTrackDown(list, 2));
    EXPECT_TRUE(MoveTrackDown(list, 0));
    EXPECT_EQ(Names(list), "a1:2 b2:2 c3:1 ");
    SetPreGaps(list, {0, 1, 2}, 3);
    EXPECT_EQ(Names(list), "a1:2 b2:3 c3:3 ");
    EXPECT_TRUE(DeleteTracks(list, {0}));
    EXPECT_EQ(Names(list), "b1:2 c2:3 ");
    EXPECT_FALSE(DeleteTracks(list, {}));
    EXPECT_TRUE(DeleteTracks(list, {1, 0}));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(LayOutFileTracks(list), 0);

    std::vector<BurnTrackRecord> cut = TracksFromCues({44100 * 5, 44100 * 9}, 44100 * 12);
    EXPECT_TRUE(CombineWithNext(cut, 0));
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].end, 44100 * 9);
    EXPECT_EQ(cut[1].trackNumber, 2);
    EXPECT_FALSE(CombineWithNext(cut, 1));
}

TEST(BurnTrackList, SpeedListsMergeByMediaFastestFirst)
{
    const uint32_t buffer[] = {52, 0xFFFFFFFF, 16, 48, 24, 0xFFFFFFFF, 24, 10, 0xFFFFFFFF};
    const BurnSpeedList expected = {{48, 1}, {24, 3}, {16, 1}, {10, 2}};
    EXPECT_EQ(MergeSpeedLists(buffer, 9), expected);
    const uint32_t empty[] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_TRUE(MergeSpeedLists(empty, 3).empty());
}

TEST(BurnTrackList, EraseEstimates)
{
    struct Case {
        int media;
        bool complete;
        int cd, dvd, seconds;
    } cases[] = {
        {515, true, 0, 0, 6000}, {515, true, 24, 0, 250}, {515, false, 0, 0, 360}, {515, false, 4, 0, 90},
        {519, true, 0, 0, 3391}, {521, false, 0, 2, 135}, {519, false, 0, 0, 107},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EraseEstimateSeconds(c.media, c.complete, c.cd, c.dvd), c.seconds) << c.media << c.complete;
}

TEST(BurnTrackList, AddFilesFilterLeavesOutVideoAndRawFormats)
{
    int count = 0;
    const std::string filter = BuildAddFilesFilter(
        {{"Wave", "wav;*"}, {"Video", "avi"}, {"Aiff", "aif;aiff"}, {"Raw data", "RAW"}}, "All Sound Files",
        "All Files", &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(filter, "Wave|*.wav;*.*|Aiff|*.aif;*.aiff|All Sound Files|*.wav;*.aif;*.aiff|All Files(*.*)|*.*||");
}

TEST(BurnTrackList, ControlsFollowTheListAndTheSelection)
{
    EXPECT_FALSE(BurnControlsFor(true, true, true, 3, {1}).cancel);
    const BurnControls idle = BurnControlsFor(false, true, false, 3, {1});
    EXPECT_TRUE(idle.burn && idle.preview && idle.preGap && idle.remove && idle.moveUp && idle.moveDown);
    EXPECT_FALSE(idle.erase);
    EXPECT_TRUE(BurnControlsFor(false, true, true, 0, {}).erase);
    EXPECT_TRUE(BurnControlsFor(false, true, false, 99, {}).burn);
    EXPECT_FALSE(BurnControlsFor(false, true, false, 100, {}).burn);
    EXPECT_FALSE(BurnControlsFor(false, true, false, 3, {0}).preGap);
    EXPECT_FALSE(BurnControlsFor(false, true, false, 3, {0, 1}).moveUp);
    EXPECT_FALSE(BurnControlsFor(false, true, false, 3, {2}).moveDown);
    EXPECT_FALSE(BurnControlsFor(false, false, false, 3, {1}).remove);
}

} // namespace
