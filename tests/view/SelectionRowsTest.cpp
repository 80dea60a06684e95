// The rows of a selection dragged with the mouse over two tracks follow the pointer there and
// back again.
#include "ViewFixture.h"

#include "ViewIds.h"

class SelectionRowsTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(NewFilledTrack());
        doc_->AddTracks(1);
        view_->SetAmplitudeZoom(1);
        view_->SetFirstVisibleRow(0);
        view_->RecalcLayout();
        view_->UpdateScrollBars();
        Pump();
        area_ = ::GetDlgItem(view_->m_hWnd, kChildTrackArea);
        left_ = view_->GetTrackWaveRect(-1).left;
        ASSERT_GT(RowY(0), 0);
    }
    int RowY(int row)
    {
        RECT r = view_->GetChannelRect(row, -1);
        return (r.top + r.bottom) / 2;
    }

    HWND area_ = nullptr;
    int left_ = 0;
};

TEST_F(SelectionRowsTest, DraggingBackIntoTheFirstTrackGivesUpTheOther)
{
    ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left_ + 150, RowY(1)));
    ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left_ + 200, RowY(0)));
    ::PostMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(left_ + 200, RowY(0)));
    ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left_ + 100, RowY(0)));
    Pump();
    CSelectionModel* selection = doc_->GetSelection();
    EXPECT_TRUE(selection->IsRowSelected(0));
    EXPECT_FALSE(selection->IsRowSelected(1));
    int64_t s = 0, e = 0;
    selection->GetOrderedSelection(&s, &e);
    EXPECT_EQ(s, view_->XToSample(left_ + 100));
    EXPECT_EQ(e, view_->XToSample(left_ + 200));
}
