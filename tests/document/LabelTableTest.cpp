// The label table: ids are places, removal negates them, one live loop, range searches.
#include "LabelTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

LabelRecord Mark(int32_t kind, int64_t start, int64_t end, int32_t trackId = -1)
{
    LabelRecord r;
    memset(&r, 0, sizeof(r));
    r.kind = kind;
    r.trackId = trackId;
    r.start = start;
    r.end = end;
    return r;
}

// Adds and returns the id given.
int Added(CLabelTable& table, LabelRecord r, int expectedResult = 1)
{
    EXPECT_EQ(expectedResult, table.Add(r));
    return r.id;
}

std::vector<int> Ids(const std::vector<LabelRecord>& records)
{
    std::vector<int> ids;
    for (const LabelRecord& r : records)
        ids.push_back(r.id);
    return ids;
}

} // namespace

TEST(LabelTable, Cases)
{
    struct Case {
        const char* name;
        std::function<void(CLabelTable&)> run;
    };
    const Case cases[] = {
        {"cue, section and track label get ids 1, 2, 3",
         [](CLabelTable& t) {
             EXPECT_EQ(1, Added(t, Mark(kLabelCue, 10, 10)));
             EXPECT_EQ(2, Added(t, Mark(kLabelSection, 10, 20)));
             EXPECT_EQ(3, Added(t, Mark(kLabelTrack, 0, 0, 4)));
             EXPECT_EQ(1, t.GetCount(kLabelCue));
             EXPECT_EQ(3, t.GetCount(-1));
         }},
        {"a removed record keeps its place, found by its negated id; the next id is 4",
         [](CLabelTable& t) {
             Added(t, Mark(kLabelCue, 10, 10));
             int second = Added(t, Mark(kLabelSection, 10, 20));
             Added(t, Mark(kLabelCue, 30, 30));
             LabelRecord r;
             ASSERT_TRUE(t.FindById(second, &r));
             EXPECT_EQ(1, t.Remove(r));
             EXPECT_EQ(3, t.GetSize());
             EXPECT_EQ(4, Added(t, Mark(kLabelCue, 40, 40)));
             ASSERT_TRUE(t.FindById(2, &r));
             EXPECT_EQ(-2, r.id);
             EXPECT_EQ(0, t.GetKindById(2));
             EXPECT_EQ(kLabelSection, t.GetKindById(-2));
         }},
        {"a kind-3 record keeps ids equal to places",
         [](CLabelTable& t) {
             EXPECT_EQ(1, Added(t, Mark(kLabelCue, 10, 10)));
             EXPECT_EQ(2, Added(t, Mark(kLabelOther, 15, 15)));
             EXPECT_EQ(3, Added(t, Mark(kLabelSection, 20, 30)));
             for (int i = 0; i < t.GetSize(); ++i) {
                 LabelRecord r;
                 ASSERT_TRUE(t.GetAt(i, &r));
                 EXPECT_EQ(i + 1, r.id);
             }
             LabelRecord section;
             ASSERT_TRUE(t.FindById(3, &section));
             EXPECT_EQ(kLabelSection, section.kind);
             section.start = 22;
             EXPECT_EQ(1, t.SetAt(section));
             ASSERT_TRUE(t.GetAt(2, &section));
             EXPECT_EQ(22, section.start) << "the change lands on the section, not on another record";
         }},
        {"an id that names no place changes nothing",
         [](CLabelTable& t) {
             Added(t, Mark(kLabelCue, 10, 10));
             LabelRecord stranger = Mark(kLabelSection, 1, 2);
             for (int id : {0, 2, -7, 100}) {
                 stranger.id = id;
                 EXPECT_EQ(0, t.SetAt(stranger)) << id;
                 EXPECT_EQ(0, t.Remove(stranger)) << id;
             }
             LabelRecord r;
             ASSERT_TRUE(t.GetAt(0, &r));
             EXPECT_EQ(1, r.id);
             EXPECT_EQ(kLabelCue, r.kind);
             EXPECT_EQ(1, t.GetSize());
         }},
        {"one live loop: a second is refused, one after removal or a negative SetAt is taken",
         [](CLabelTable& t) {
             int loop = Added(t, Mark(kLabelLoop, 0, 100));
             EXPECT_TRUE(t.HasLoop());
             Added(t, Mark(kLabelLoop, 5, 50), 0);
             EXPECT_EQ(1, t.GetSize());
             LabelRecord r;
             ASSERT_TRUE(t.FindById(loop, &r));
             EXPECT_EQ(1, t.Remove(r));
             EXPECT_FALSE(t.HasLoop());
             int second = Added(t, Mark(kLabelLoop, 5, 50));
             EXPECT_EQ(2, second);
             ASSERT_TRUE(t.FindById(second, &r));
             r.id = -second;
             EXPECT_EQ(1, t.SetAt(r));
             EXPECT_FALSE(t.HasLoop());
             t.RemoveAll();
             EXPECT_EQ(1, Added(t, Mark(kLabelLoop, 0, 10)));
             EXPECT_TRUE(t.HasLoop());
         }},
        {"FindInRange from 100: a cue at 100 and a section to 101 meet it, one ending at 100 does not",
         [](CLabelTable& t) {
             int cue = Added(t, Mark(kLabelCue, 100, 100));
             Added(t, Mark(kLabelSection, 50, 100));
             int reaching = Added(t, Mark(kLabelSection, 50, 101));
             Added(t, Mark(kLabelCue | kLabelHidden, 120, 120));
             std::vector<LabelRecord> found;
             EXPECT_EQ(2, t.FindInRange(-1, found, 100, -1, -1));
             EXPECT_EQ((std::vector<int>{cue, reaching}), Ids(found));
             EXPECT_EQ(1, t.FindInsideRange(-1, found, 100, 100, -1));
             EXPECT_EQ((std::vector<int>{cue}), Ids(found));
         }},
        {"FindNearest forward from a cue's own position skips it",
         [](CLabelTable& t) {
             Added(t, Mark(kLabelCue, 100, 100));
             int next = Added(t, Mark(kLabelCue, 150, 150));
             EXPECT_EQ(next, t.FindNearest(-1, 100, 1, -1, false));
             EXPECT_EQ(1, t.FindNearest(-1, 110, -1, -1, false));
             EXPECT_EQ(-1, t.FindNearest(-1, 200, 1, -1, false));
         }},
        {"a track without a label gets Track1, after two track labels Track3",
         [](CLabelTable& t) {
             LabelRecord r;
             EXPECT_FALSE(t.GetTrackLabel(0, &r));
             EXPECT_STREQ("Track1", r.name);
             EXPECT_EQ(0, r.id);
             Added(t, Mark(kLabelTrack, 0, 0, 5));
             Added(t, Mark(kLabelTrack, 0, 0, 6));
             EXPECT_FALSE(t.GetTrackLabel(0, &r));
             EXPECT_STREQ("Track3", r.name);
         }},
        {"the marker collection leaves out track labels, hidden and removed records",
         [](CLabelTable& t) {
             int cue = Added(t, Mark(kLabelCue, 1, 1));
             Added(t, Mark(kLabelTrack, 0, 0, 3));
             Added(t, Mark(kLabelSection | kLabelHidden, 1, 5));
             int other = Added(t, Mark(kLabelOther, 2, 2));
             LabelRecord gone;
             t.FindById(Added(t, Mark(kLabelCue, 3, 3)), &gone);
             t.Remove(gone);
             std::vector<LabelRecord> markers;
             t.CollectMarkers(markers);
             EXPECT_EQ((std::vector<int>{cue, other}), Ids(markers));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLabelTable table;
        c.run(table);
    }
}
