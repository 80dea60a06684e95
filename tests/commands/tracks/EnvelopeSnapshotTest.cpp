// The crossfade and fade snapshots of a track's volume curve: undo and redo, the cut of a
// fade to the track, curves longer than the size word can state, and no record without the
// curve after the edit.
#include "TrackCommandFixture.h"

#include "CrossfadeCommand.h"
#include "FadeInOutCommand.h"
#include "SelectionGroupCommand.h"

using namespace kvtest;

namespace {

using PointList = std::vector<std::pair<int64_t, float>>;

template <class T>
ComRef<IEditCommand> Snapshot(CNyMultiTrackDoc* doc, int track)
{
    return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<T>(nullptr, static_cast<CommandDocument*>(doc), track));
}

} // namespace

TEST_F(TrackCommandTest, SnapshotsPutTheCurveBackAndForth)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {1000, 1000});
    IMtEnvelope* curve = Volume(doc, 1);
    ASSERT_EQ(curve->InsertPoint(100, 0.5f), S_OK);
    const PointList before = PointList{{100, 0.5f}};
    ComRef<IEditCommand> fade = Snapshot<CrossfadeCommand>(doc, 1);
    ASSERT_EQ(curve->InsertPoint(200, 0.0f), S_OK);
    ASSERT_EQ(curve->InsertPoint(100, 1.0f), S_OK);
    const PointList after = PointList{{100, 1.0f}, {200, 0.0f}};
    ASSERT_EQ(fade->Do(), S_OK);
    EXPECT_EQ(SelectedTracks(doc), (std::vector<int>{1}));
    ASSERT_EQ(fade->Undo(), S_OK);
    EXPECT_EQ(Points(Volume(doc, 1)), before);
    ASSERT_EQ(fade->Redo(), S_OK);
    EXPECT_EQ(Points(Volume(doc, 1)), after);
}

TEST_F(TrackCommandTest, FadeCutsTheCurveToTheTrack)
{
    struct Case {
        const char* label;
        PointList written;
        PointList kept;
    };
    const Case cases[] = {
        {"inside stays as it is", {{0, 0.0f}, {500, 1.0f}, {1000, 0.5f}}, {{0, 0.0f}, {500, 1.0f}, {1000, 0.5f}}},
        {"past the end ends at the end with its level there",
         {{800, 1.0f}, {1200, 0.0f}, {1400, 0.0f}},
         {{800, 1.0f}, {1000, 0.5f}}},
        {"before the start", {{-200, 0.0f}, {200, 1.0f}}, {{0, 0.5f}, {200, 1.0f}}},
    };
    for (const Case& c : cases) {
        CNyMultiTrackDoc* doc = Build({1}, {1000});
        ComRef<IEditCommand> fade = Snapshot<FadeInOutCommand>(doc, 0);
        for (auto& p : c.written)
            ASSERT_EQ(Volume(doc, 0)->InsertPoint(p.first, p.second), S_OK) << c.label;
        ASSERT_EQ(fade->Do(), S_OK) << c.label;
        EXPECT_EQ(Points(Volume(doc, 0)), c.kept) << c.label;
        ASSERT_EQ(fade->Undo(), S_OK);
        EXPECT_TRUE(Points(Volume(doc, 0)).empty()) << c.label;
    }
}

TEST_F(TrackCommandTest, CurvesOfAnyLengthComeBackFromTheirRecord)
{
    // 4078 points are the most a 16-bit size states; 5000 need the count.
    for (int n : {3, 4078, 4079, 5000}) {
        CNyMultiTrackDoc* doc = Build({1}, {100000});
        ComRef<IEditCommand> fade = Snapshot<CrossfadeCommand>(doc, 0);
        PointList written;
        for (int i = 0; i < n; ++i) {
            written.emplace_back(int64_t(i) * 7, float(i % 100) / 100.0f);
            ASSERT_EQ(Volume(doc, 0)->InsertPoint(written.back().first, written.back().second), S_OK);
        }
        ASSERT_EQ(fade->Do(), S_OK);
        Bytes chunk = Saved(fade.Get());
        size_t size = 272 + 16 * size_t(n);
        ASSERT_EQ(chunk.size(), 16 + size) << n;
        EXPECT_EQ(chunk[16] | (chunk[17] << 8), int(size & 0xFFFF)) << n << ": the low 16 bits of the size";

        ASSERT_EQ(fade->Undo(), S_OK);
        ComRef<IEditCommand> loaded = Loaded(chunk, doc);
        ASSERT_EQ(QueryCom<IPersistCommand>(loaded.Get())->OnLoaded(), S_OK);
        EXPECT_EQ(Points(Volume(doc, 0)), written) << n;
        ASSERT_EQ(loaded->Undo(), S_OK);
        EXPECT_TRUE(Points(Volume(doc, 0)).empty()) << n;
    }
}

TEST_F(TrackCommandTest, SnapshotRecordsAreRefusedWhenTheyWouldEmptyTheCurve)
{
    CNyMultiTrackDoc* doc = Build({1}, {1000});
    ASSERT_EQ(Volume(doc, 0)->InsertPoint(10, 0.5f), S_OK);
    HRESULT hr = S_OK;
    Saved(Snapshot<FadeInOutCommand>(doc, 0).Get(), &hr);
    EXPECT_EQ(hr, E_UNEXPECTED) << "not run: no curve after the edit to save";

    struct Case {
        const char* label;
        Bytes record;
        HRESULT result;
    };
    const Case cases[] = {
        {"a count past the chunk", Record(288, "crossfade", "", {Zeros(2), Le32(0), Le32(2), Zeros(4), Zeros(16)}),
         kBadJournal},
        {"a negative count", Record(288, "crossfade", "", {Zeros(2), Le32(0), Le32(uint32_t(-1)), Zeros(4), Zeros(16)}),
         kBadJournal},
        {"a track that is not there", Record(288, "fadeinout", "", {Zeros(2), Le32(3), Le32(0), Zeros(4), Zeros(16)}),
         kMtErrNoTrack},
    };
    for (const Case& c : cases) {
        HRESULT loaded = S_OK;
        Loaded(CommandChunk(c.record), doc, &loaded);
        EXPECT_EQ(loaded, c.result) << c.label;
    }
    EXPECT_EQ(Points(Volume(doc, 0)), (PointList{{10, 0.5f}}));
}
