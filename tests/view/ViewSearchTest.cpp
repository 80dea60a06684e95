// Go to Zero Crossing and Go to Maximum Point on 16- and 24-bit signals, through the view's
// commands on the one selected channel row.
#include "ViewFixture.h"

#include "ViewIds.h"

namespace {
// Runs of 100 samples, alternately +a and -a, starting positive.
std::vector<int32_t> Square(int runs, int32_t a)
{
    std::vector<int32_t> v;
    for (int r = 0; r < runs; ++r)
        v.insert(v.end(), 100, r % 2 ? -a : a);
    return v;
}

struct Format {
    WORD bits;
    int32_t scale; // full scale of the raw data
};
const Format kFormats[] = {{16, 32767}, {24, 8388607}};
} // namespace

class ViewSearchTest : public ViewTest, public ::testing::WithParamInterface<Format> {
protected:
    CNyMultiTrackView* Document(const std::vector<int32_t>& frames)
    {
        CNyMultiTrackView* view = NewDocument(GetParam().bits, 44100);
        if (view) {
            FillTrack(0, frames, GetParam().bits);
            doc_->GetSelection()->SetRowRange(0, 0);
        }
        return view;
    }
    int64_t Caret()
    {
        int64_t s = 0, e = 0;
        doc_->GetSelection()->GetSelection(&s, &e);
        return e;
    }
    void Select(int64_t s, int64_t e) { doc_->GetSelection()->SetSelection(s, e, TRUE); }
};

TEST_P(ViewSearchTest, ZeroCrossingGoesToTheNearerCrossingAndTheEarlierOnATie)
{
    ASSERT_NE(Document(Square(10, GetParam().scale / 2)), nullptr);
    // Caret inside the negative run 100..199: crossings at 100 and 200.
    struct Case {
        int64_t caret, expected;
    } cases[] = {{150, 100}, {160, 200}, {140, 100}, {420, 400}};
    for (const Case& c : cases) {
        Select(c.caret, c.caret);
        Command(kCmdGoToZeroCrossing);
        EXPECT_EQ(Caret(), c.expected) << "from " << c.caret;
    }
    // A range widens outward to crossings; the caret goes to its middle.
    Select(130, 260);
    Command(kCmdGoToZeroCrossing);
    int64_t s = 0, e = 0;
    doc_->GetSelection()->GetSelection(&s, &e);
    EXPECT_EQ(s, 100);
    EXPECT_EQ(e, 300);
    EXPECT_EQ(view_->GetEditPosition(), 200);
}

TEST_P(ViewSearchTest, ZeroCrossingOnAnEmptyTrackLeavesTheSelection)
{
    ASSERT_NE(NewDocument(GetParam().bits, 44100), nullptr);
    FillTrack(0, Square(4, 1000), GetParam().bits);
    ComRef<IMtTrack> empty;
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, 1, empty.Out(), -1));
    doc_->GetSelection()->SetRowRange(1, 1);
    Select(150, 150);
    Command(kCmdGoToZeroCrossing);
    EXPECT_EQ(Caret(), 150);
}

TEST_P(ViewSearchTest, MaximumIsTheFirstOfEqualPeaksZeroOverSilenceAndTheStartAfterACancel)
{
    // Longer than the one-second blocks, so that the search reports progress on the way.
    std::vector<int32_t> frames(100000, 0);
    for (int i = 0; i < 100000; ++i)
        frames[size_t(i)] = (i % 7) * (GetParam().scale / 100);
    frames[300] = -GetParam().scale / 2;
    frames[700] = GetParam().scale / 2;
    frames[1500] = GetParam().scale / 3;
    ASSERT_NE(Document(frames), nullptr);

    Select(0, 0);
    Command(kCmdGoToMaximumPoint);
    EXPECT_EQ(Caret(), 300) << "the first of two equal peaks (either sign)";
    EXPECT_EQ(host_.progressOpened, 1);
    EXPECT_EQ(host_.progressClosed, 1);
    ASSERT_EQ(host_.percents.size(), 3u);
    EXPECT_EQ(host_.percents[0], 44) << "44100 of 100001: a percentage, not a truncated 0";
    EXPECT_EQ(host_.percents[1], 88);
    EXPECT_EQ(host_.percents[2], 100);

    Select(1000, 1900);
    Command(kCmdGoToMaximumPoint);
    EXPECT_EQ(Caret(), 1500);

    host_.cancelSearch = true;
    Select(1000, 1900);
    Command(kCmdGoToMaximumPoint);
    EXPECT_EQ(Caret(), 1000) << "a cancel leaves the caret at the selection start";
}

TEST_P(ViewSearchTest, MaximumOverSilenceIsZero)
{
    ASSERT_NE(Document(std::vector<int32_t>(3000, 0)), nullptr);
    Select(500, 2500);
    Command(kCmdGoToMaximumPoint);
    EXPECT_EQ(Caret(), 0);
}

INSTANTIATE_TEST_SUITE_P(Bits, ViewSearchTest, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<Format>& info) {
                             return "Bits" + std::to_string(info.param.bits);
                         });
