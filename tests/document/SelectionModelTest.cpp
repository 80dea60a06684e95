// The selection tells the engine what changed, keeps rows within the view's rows, and its
// zones and repaint region rest on the view's geometry.
#include "DocumentFixture.h"

namespace {

struct EngineRange {
    LONGLONG start, end;
    bool operator==(const EngineRange& o) const { return start == o.start && end == o.end; }
};

EngineRange RangeOf(CNyMultiTrackDoc* doc)
{
    ComRef<IMtSelection> sel = QueryCom<IMtSelection>(doc->GetTrackSet());
    EngineRange r{-9, -9};
    EXPECT_EQ(S_OK, sel->GetRange(&r.start, &r.end));
    return r;
}

void SetEngineRange(CNyMultiTrackDoc* doc, LONGLONG start, LONGLONG end)
{
    ComRef<IMtSelection> sel = QueryCom<IMtSelection>(doc->GetTrackSet());
    EXPECT_EQ(S_OK, sel->SetRange(start, end));
}

DWORD SelectedChannels(CNyMultiTrackDoc* doc, int track)
{
    DWORD mask = 0xDEAD;
    EXPECT_EQ(S_OK, doc->GetTrack(track)->GetSelectedChannels(&mask));
    return mask;
}

LONG Marked(CNyMultiTrackDoc* doc, int track)
{
    ComRef<IMtSelection> sel = QueryCom<IMtSelection>(doc->GetTrackSet());
    LONG marked = -1;
    EXPECT_EQ(S_OK, sel->IsTrackMarked(track, &marked));
    return marked;
}

} // namespace

TEST_F(DocumentTest, SelectionTellsTheEngineOnlyOfChangesAndNotWhileTracking)
{
    CNyMultiTrackDoc* doc = NewDocument({2, 2});
    CSelectionModel* sel = doc->GetSelection();
    // The engine's own range is moved aside each time, so that only a sent range shows.
    struct Step {
        int64_t start, end;
        BOOL tracking;
        EngineRange engineAfter;
    };
    const Step steps[] = {
        {0, 0, FALSE, {0, 0}},  // the first call always notifies, even for (0, 0)
        {0, 0, FALSE, {7, 9}},  // unchanged: nothing
        {0, 5, FALSE, {0, 5}},  // a changed end alone notifies
        {10, 20, TRUE, {7, 9}}, // nothing while tracking
    };
    for (const Step& s : steps) {
        SetEngineRange(doc, 7, 9);
        sel->SetTracking(s.tracking);
        EXPECT_EQ(S_OK, sel->SetSelection(s.start, s.end));
        EXPECT_EQ(s.engineAfter, RangeOf(doc)) << s.start << ".." << s.end;
        int64_t start = 0, end = 0;
        sel->GetSelection(&start, &end);
        EXPECT_EQ(s.start, start);
        EXPECT_EQ(s.end, end);
    }
    sel->SetTracking(FALSE);
    view_->SetEditMode(1);
    EXPECT_EQ(S_OK, sel->SetSelection(30, 40));
    int64_t start = 0, end = 0;
    sel->GetSelection(&start, &end);
    EXPECT_EQ(10, start) << "a handle edit mode keeps the selection";
}

TEST_F(DocumentTest, RowRangeIsClampedToTheViewsRowsAndSentAsChannelMasks)
{
    CNyMultiTrackDoc* doc = NewDocument({2, 2}); // 4 rows
    CSelectionModel* sel = doc->GetSelection();
    struct Case {
        int anchor, current;
        int storedAnchor, storedCurrent;
        DWORD mask0, mask1;
        LONG marked0, marked1;
    };
    const Case cases[] = {
        {5, 99, 3, 3, 0, 2, 0, 1},
        {2, -1, 2, 3, 0, kMtAllChannels, 0, 1},
        {0, 3, 0, 3, kMtAllChannels, kMtAllChannels, 1, 1},
        {1, 2, 1, 2, 2, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.anchor << ", " << c.current);
        sel->SetRowRange(c.anchor, c.current);
        int anchor = -9, current = -9;
        sel->GetRowRange(&anchor, &current);
        EXPECT_EQ(c.storedAnchor, anchor);
        EXPECT_EQ(c.storedCurrent, current);
        EXPECT_EQ(c.marked0, Marked(doc, 0));
        EXPECT_EQ(c.marked1, Marked(doc, 1));
        if (c.marked0) {
            EXPECT_EQ(c.mask0, SelectedChannels(doc, 0));
        }
        if (c.marked1) {
            EXPECT_EQ(c.mask1, SelectedChannels(doc, 1));
        }
    }
}

TEST_F(DocumentTest, SetTrackSelectedSelectsWholeTracksAndRefusesTracksPastTheRows)
{
    CNyMultiTrackDoc* doc = NewDocument({2, 1}); // 3 rows
    CSelectionModel* sel = doc->GetSelection();
    sel->SetRowRange(2, 2);
    EXPECT_EQ(S_OK, sel->SetTrackSelected(0, TRUE));
    EXPECT_EQ(kMtAllChannels, SelectedChannels(doc, 0));
    int lower = 0, upper = 0;
    sel->GetOrderedRowRange(&lower, &upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(2, upper);

    EXPECT_EQ(static_cast<HRESULT>(0x83E80001), sel->SetTrackSelected(2, FALSE));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(1, sel->IsRowSelected(row)) << "flags unchanged";
    sel->GetOrderedRowRange(&lower, &upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(2, upper);

    EXPECT_EQ(S_OK, sel->SetTrackSelected(-1, FALSE));
    EXPECT_EQ(0, sel->IsTrackSelectedAt(0));
    EXPECT_EQ(0, Marked(doc, 0));
}

TEST_F(DocumentTest, PressZonesOfAStereoTrackChooseItsRows)
{
    CNyMultiTrackDoc* doc = NewDocument({2});
    CSelectionModel* sel = doc->GetSelection();
    // Amplitude zoom 4: channel rows of 133 pixels; channel 0 spans y 8..140, channel 1 142..274.
    RECT ch0 = view_->GetChannelRect(0, 0), ch1 = view_->GetChannelRect(0, 1);
    ASSERT_EQ(8, ch0.top);
    ASSERT_EQ(141, ch0.bottom);
    ASSERT_EQ(142, ch1.top);
    struct Case {
        int y;
        int zone;
        int first, last;
    };
    const Case cases[] = {
        {ch0.top + 1, 0, 0, 0}, // top quarter of the first channel: that channel only
        {ch0.top + 40, 1, 0, 1}, {ch0.bottom - 2, 3, 0, 1}, {ch1.top - 1, 4, 0, 1}, // the line between the channels
        {ch1.top + 40, 5, 0, 1}, {ch1.bottom - 3, 7, 1, 1}, // bottom quarter of the second: that channel only
    };
    for (const Case& c : cases) {
        sel->UpdateChannelZone(50, c.y);
        EXPECT_EQ(c.zone, sel->GetZoneCode()) << "y " << c.y;
        int clicked = c.y < ch1.top ? 0 : 1;
        int first = -1, last = -1;
        sel->RowsForZone(sel->GetZoneCode(), clicked, &first, &last);
        EXPECT_EQ(c.first, first) << "y " << c.y;
        EXPECT_EQ(c.last, last) << "y " << c.y;
    }
}

TEST_F(DocumentTest, InvalidatedRegionCoversThePreviousAndTheNewSelection)
{
    CNyMultiTrackDoc* doc = NewDocument({2});
    CSelectionModel* sel = doc->GetSelection();
    struct Case {
        int64_t zoom;
        RECT expected;
    };
    const Case cases[] = {
        {64, {10, 8, 21, 275}}, // one sample per pixel
        {16, {36, 8, 85, 275}}, // four pixels per sample: widened by one sample's width
        {256, {2, 8, 6, 275}},  // four samples per pixel
    };
    for (const Case& c : cases) {
        view_->SetTimeZoom(c.zoom);
        sel->SetRowRange(0, 0);
        sel->SetRowRange(1, 1);
        sel->SetSelection(10, 20);
        sel->SetSelection(12, 20);
        RECT r = sel->SelectionRegion();
        EXPECT_EQ(c.expected.left, r.left) << c.zoom;
        EXPECT_EQ(c.expected.top, r.top) << c.zoom;
        EXPECT_EQ(c.expected.right, r.right) << c.zoom;
        EXPECT_EQ(c.expected.bottom, r.bottom) << c.zoom;
    }
}

TEST_F(DocumentTest, CollapseKeepsOneEndAndItsRow)
{
    CNyMultiTrackDoc* doc = NewDocument({1, 1, 1});
    CSelectionModel* sel = doc->GetSelection();
    struct Case {
        int which;
        int64_t position;
        int row;
    };
    for (const Case& c : {Case{-1, 40, 2}, Case{0, 10, 0}}) {
        sel->SetRowRange(0, 2);
        sel->SetSelection(10, 40);
        sel->Collapse(c.which);
        int64_t start = 0, end = 0;
        EXPECT_FALSE(sel->GetOrderedSelection(&start, &end));
        EXPECT_EQ(c.position, start);
        int anchor = 0, current = 0;
        sel->GetRowRange(&anchor, &current);
        EXPECT_EQ(c.row, anchor);
        EXPECT_EQ(c.row, current);
    }
}
