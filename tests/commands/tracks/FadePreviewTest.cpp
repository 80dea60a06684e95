// The fades the crossfade and fade dialogs write while open: the plan of a crossfade and its
// refusals, the points of each shape, switching shapes, failures taken back whole, Cancel
// and OK through the history.
#include "TrackCommandFixture.h"

#include "CrossfadeCommand.h"
#include "FadeInOutCommand.h"
#include "FadePreview.h"
#include "SelectionGroupCommand.h"

using namespace kvtest;

namespace {

using PointList = std::vector<std::pair<int64_t, float>>;

IEditCommand* CrossfadeChild(CommandDocument* document, int track)
{
    return ComObject<IEditCommand>::Create<CrossfadeCommand>(nullptr, document, track);
}

} // namespace

TEST_F(TrackCommandTest, CrossfadePlansAndRefusals)
{
    struct Case {
        const char* label;
        std::vector<int> frames;
        std::vector<int64_t> starts;
        std::vector<int> selected;
        SampleRange selection;
        UINT refusal;
        SampleRange range;
        UINT firstDirection;
    };
    const Case cases[] = {
        {"one track", {1000, 1000}, {0, 500}, {0}, {0, 0}, 20461, {}, 0},
        {"three tracks", {1000, 1000, 1000}, {0, 500, 500}, {0, 1, 2}, {0, 0}, 20461, {}, 0},
        {"not adjacent", {1000, 1000, 1000}, {0, 0, 500}, {0, 2}, {0, 0}, 20462, {}, 0},
        {"no overlap", {1000, 1000}, {0, 1000}, {0, 1}, {0, 0}, 20463, {}, 0},
        {"selection away from the overlap", {1000, 1000}, {0, 500}, {0, 1}, {1200, 1400}, 20463, {}, 0},
        {"one inside the other", {1000, 200}, {0, 300}, {0, 1}, {0, 0}, 20464, {}, 0},
        {"overlap [44100, 88200)", {88200, 88200}, {0, 44100}, {0, 1}, {0, 0}, 0, {44100, 88200}, kIdFadeOut},
        {"the later track fades in", {88200, 88200}, {44100, 0}, {0, 1}, {0, 0}, 0, {44100, 88200}, kIdFadeIn},
        {"equal starts: the first fades out", {1000, 2000}, {0, 0}, {0, 1}, {100, 600}, 0, {100, 600}, kIdFadeOut},
    };
    for (const Case& c : cases) {
        CNyMultiTrackDoc* doc = Build(std::vector<WORD>(c.frames.size(), 1), c.frames, c.starts);
        for (int t : c.selected)
            doc->SetTrackSelected(t, TRUE);
        doc->SetSelectionRange(c.selection.start, c.selection.end, FALSE);
        std::vector<FadeEntry> entries;
        SampleRange range;
        EXPECT_EQ(PlanCrossfade(doc, &entries, &range), c.refusal) << c.label;
        if (c.refusal)
            continue;
        EXPECT_EQ(range, c.range) << c.label;
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].direction, c.firstDirection) << c.label;
        EXPECT_NE(entries[1].direction, c.firstDirection) << c.label;
    }
}

TEST_F(TrackCommandTest, FadeShapesPutTheirPoints)
{
    struct Case {
        const char* label;
        UINT shape;
        int64_t length;
        size_t count;
        int64_t last;
    };
    const Case cases[] = {
        {"Linear", kIdShapeLinear, 1000, 2, 1000},
        {"Sine over 1000 ends at S + 900", kIdShapeSine, 1000, 91, 900},
        {"Sine over 180", kIdShapeSine, 180, 91, 180},
        {"Sine under 180 is written as the Linear points", kIdShapeSine, 179, 2, 179},
    };
    for (const Case& c : cases) {
        PointList points = FadePoints(c.shape, 5000, 5000 + c.length, 1.0f, 0.0f);
        ASSERT_EQ(points.size(), c.count) << c.label;
        EXPECT_EQ(points.front(), (std::pair<int64_t, float>{5000, 1.0f})) << c.label;
        EXPECT_EQ(points.back().first, 5000 + c.last) << c.label;
        EXPECT_EQ(points.back().second, 0.0f) << c.label;
    }
}

TEST_F(TrackCommandTest, CrossfadePreviewSwitchesShapesAndCancelRestores)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {88200, 88200}, {0, 44100});
    ASSERT_EQ(Volume(doc, 0)->InsertPoint(50000, 0.5f), S_OK);
    ASSERT_EQ(Volume(doc, 1)->InsertPoint(80000, 0.25f), S_OK);
    Select(doc, {0, 1});
    const std::string before = Fingerprint(doc);
    std::vector<FadeEntry> entries;
    SampleRange range;
    ASSERT_EQ(PlanCrossfade(doc, &entries, &range), 0u);
    ComRef<IEditCommand> group(
        ComObject<IEditCommand>::Create<CrossfadesCommand>("Crossfade", static_cast<CommandDocument*>(doc)));
    ComRef<ICommandList> list = QueryCom<ICommandList>(group.Get());

    std::string linear;
    for (UINT shape : {kIdShapeLinear, kIdShapeSine, kIdShapeLinear, kIdShapeSine, kIdShapeLinear}) {
        ASSERT_EQ(WriteFadePreview(doc, list.Get(), entries, shape, CrossfadeChild), S_OK);
        UINT children = 0;
        list->GetCount(&children);
        EXPECT_EQ(children, 2u);
        size_t expected = shape == kIdShapeLinear ? 2 : 91;
        // Track 0 fades out from its level at 44100 to silence at 88200; its point at 50000
        // inside the range is gone.
        PointList out = Points(Volume(doc, 0));
        EXPECT_EQ(out.size(), expected);
        EXPECT_EQ(out.front(), (std::pair<int64_t, float>{44100, 0.5f}));
        EXPECT_EQ(out.back().second, 0.0f);
        // Track 1 (from 44100) fades in from silence to its level at 88200, 44100 into it; its
        // point after the range stays where it was.
        PointList in = Points(Volume(doc, 1));
        EXPECT_EQ(in.size(), expected + 1);
        EXPECT_EQ(in.front(), (std::pair<int64_t, float>{0, 0.0f}));
        EXPECT_EQ(in[expected - 1].second, 0.25f);
        EXPECT_EQ(in.back(), (std::pair<int64_t, float>{80000, 0.25f}));
        if (shape == kIdShapeLinear) {
            if (linear.empty())
                linear = Fingerprint(doc);
            EXPECT_EQ(Fingerprint(doc), linear) << "one set of points, whatever came before";
        }
    }
    ASSERT_EQ(group->Undo(), S_OK) << "Cancel";
    EXPECT_EQ(Fingerprint(doc), before);
}

TEST_F(TrackCommandTest, OkRecordsTheFadeAsOneUndoEntry)
{
    CNyMultiTrackDoc* doc = Build({1, 1, 1}, {1000, 1000, 1000});
    Select(doc, {0, 2});
    ASSERT_EQ(doc->SetSelectionRange(200, 700, FALSE), S_OK);
    const std::string before = Fingerprint(doc);
    SampleRange range;
    std::vector<FadeEntry> entries = PlanFadeInOut(doc, kIdFadeIn, &range);
    ASSERT_EQ(entries.size(), 2u);
    ComRef<IEditCommand> group(
        ComObject<IEditCommand>::Create<FadeInOutsCommand>("Fade In/Out", static_cast<CommandDocument*>(doc)));
    ComRef<ICommandList> list = QueryCom<ICommandList>(group.Get());
    auto fadeChild = [](CommandDocument* d, int t) -> IEditCommand* {
        return ComObject<IEditCommand>::Create<FadeInOutCommand>(nullptr, d, t);
    };
    ASSERT_EQ(WriteFadePreview(doc, list.Get(), entries, kIdShapeSine, fadeChild), S_OK);
    const std::string faded = Fingerprint(doc);
    ASSERT_EQ(doc->GetHistory()->Do(group.Get(), TRUE), S_OK);
    EXPECT_EQ(Fingerprint(doc), faded);
    EXPECT_EQ(DescribeUndo(doc->GetHistory()).size(), 1u);
    ASSERT_EQ(doc->GetHistory()->Undo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);
    ASSERT_EQ(doc->GetHistory()->Redo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), faded);
}

TEST_F(TrackCommandTest, APreviewFailingMidwayIsTakenBackWhole)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {1000, 1000});
    ASSERT_EQ(Volume(doc, 0)->InsertPoint(500, 0.5f), S_OK);
    const std::string before = Fingerprint(doc);
    ComRef<IEditCommand> group(
        ComObject<IEditCommand>::Create<FadeInOutsCommand>("Fade In/Out", static_cast<CommandDocument*>(doc)));
    ComRef<ICommandList> list = QueryCom<ICommandList>(group.Get());
    // The second entry's track is gone by the time its curve is written.
    std::vector<FadeEntry> entries(2);
    entries[0] = FadeEntry{0, kIdFadeOut, {100, 900}};
    entries[1] = FadeEntry{1, kIdFadeOut, {100, 900}};
    int made = 0;
    auto child = [&](CommandDocument* d, int t) -> IEditCommand* {
        if (made++ == 1)
            return nullptr;
        return ComObject<IEditCommand>::Create<FadeInOutCommand>(nullptr, d, t);
    };
    EXPECT_EQ(WriteFadePreview(doc, list.Get(), entries, kIdShapeSine, child), E_OUTOFMEMORY);
    EXPECT_EQ(Fingerprint(doc), before) << "nothing of the fade stays";
    UINT children = 9;
    list->GetCount(&children);
    EXPECT_EQ(children, 0u) << "OK then records nothing";
}
