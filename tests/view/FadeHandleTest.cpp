// Fade handles in the track area of a handle edit mode, with real messages to the pane: the
// end handles move only up and down, a middle one also sideways.
#include "ViewFixture.h"

#include "FadeHandleEditor.h"
#include "ViewIds.h"

class FadeHandleTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(NewFilledTrack());
        auto editors = std::make_unique<std::vector<CFadeHandleEditor>>(1);
        CFadeHandleEditor& handles = (*editors)[0];
        handles.Init(view_, 0, 64 * 100, 64 * 300);
        handles.SetHandles(64 * 100, 0.0f);
        handles.SetHandles(64 * 200, 0.5f);
        handles.SetHandles(64 * 300, 1.0f);
        doc_->SetHandleEditors(std::move(editors));
        view_->SetEditMode(1);
        area_ = ::GetDlgItem(view_->m_hWnd, kChildTrackArea);
        wave_ = view_->GetTrackWaveRect(0);
    }
    void TearDown() override
    {
        if (view_)
            view_->SetEditMode(0);
        ViewTest::TearDown();
    }
    int X(int64_t sample) { return wave_.left + int(view_->SampleToPixel(sample)); }
    int Y(float gain) { return wave_.bottom - int((wave_.bottom - wave_.top) * gain * 0.6666667); }
    void Drag(POINT from, POINT to)
    {
        ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
        ::PostMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
        ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
        Pump();
    }
    const std::vector<HandlePoint>& Handles() { return doc_->GetHandleEditTrack(0)->Handles(); }

    HWND area_ = nullptr;
    RECT wave_{};
};

TEST_F(FadeHandleTest, EndHandlesMoveOnlyVerticallyAndAMiddleOneAlsoSideways)
{
    int top = wave_.top + 2, bottom = wave_.bottom - 2;
    Drag(POINT{X(64 * 300), Y(1.0f)}, POINT{X(64 * 250), top + (bottom - top) / 3});
    ASSERT_EQ(Handles().size(), 3u);
    EXPECT_EQ(Handles()[2].position, 64 * 300) << "the end handle kept its place";
    EXPECT_NEAR(Handles()[2].gain, 1.0f, 0.02f);

    Drag(POINT{X(64 * 100), Y(0.0f) - 1}, POINT{X(64 * 150), bottom - (bottom - top) / 3});
    EXPECT_EQ(Handles()[0].position, 64 * 100);
    EXPECT_NEAR(Handles()[0].gain, 0.5f, 0.02f);

    Drag(POINT{X(64 * 200), Y(0.5f)}, POINT{X(64 * 220), Y(0.5f)});
    EXPECT_EQ(Handles()[1].position, view_->GetFirstVisibleSample() + view_->PixelToSample(X(64 * 220) - wave_.left));
}
