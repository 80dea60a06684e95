// The volume envelope under the mouse in the track area, with real messages to the pane: a
// drag from the line leaves one point and one "Envelope" step; a click alone or Escape leaves
// the envelope and the history untouched.
#include "ViewFixture.h"

#include "CommandInterfaces.h"
#include "EnvelopeEditor.h"
#include "ViewIds.h"

class EnvelopeMouseTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(NewFilledTrack());
        doc_->SetViewOption(1023, 1);
        area_ = ::GetDlgItem(view_->m_hWnd, kChildTrackArea);
        wave_ = view_->GetTrackWaveRect(0);
    }

    std::vector<EnvelopePoint> Points()
    {
        CEnvelopeEditor editor;
        editor.Load(view_, 0, 0, 0, 64 * 2000);
        return editor.Points();
    }
    void Press(int x, int y, std::initializer_list<POINT> moves, bool escape = false)
    {
        POINT last{x, y};
        for (POINT m : moves) {
            ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(m.x, m.y));
            last = m;
        }
        if (escape)
            ::PostMessageA(area_, WM_KEYDOWN, VK_ESCAPE, 0);
        ::PostMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(last.x, last.y));
        ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Pump();
    }
    ComRef<IEditCommand> LastStep()
    {
        ComRef<IEditCommand> last;
        doc_->GetHistory()->TakeLast(last.Out());
        return last;
    }

    HWND area_ = nullptr;
    RECT wave_{};
};

TEST_F(EnvelopeMouseTest, ALineDraggedToThreeQuartersLeavesOnePointAsOneStep)
{
    int h = wave_.bottom - wave_.top;
    int x = wave_.left + 200, lineY = wave_.bottom - int(h * 0.6666667);
    int inner = h - 4, threeQuarters = wave_.bottom - 2 - (inner * 3 + 3) / 4;
    Press(x, lineY, {{x + 10, lineY}, {x + 30, threeQuarters}});
    std::vector<EnvelopePoint> points = Points();
    ASSERT_EQ(points.size(), 1u);
    EXPECT_NEAR(points[0].value, 1.125f, 0.011f);
    EXPECT_EQ(points[0].position, view_->XToSample(x + 30));
    ComRef<IEditCommand> step = LastStep();
    ASSERT_TRUE(step);
    char name[32] = {};
    step->GetName(name, sizeof name - 1);
    EXPECT_STREQ(name, "Envelope");
    EXPECT_FALSE(LastStep()) << "one step for the whole gesture";
}

TEST_F(EnvelopeMouseTest, AClickAloneOrEscapeChangesNothing)
{
    int h = wave_.bottom - wave_.top;
    int x = wave_.left + 150, lineY = wave_.bottom - int(h * 0.6666667);
    Press(x, lineY, {});
    EXPECT_TRUE(Points().empty());
    EXPECT_FALSE(LastStep());

    Press(x, lineY, {{x + 20, lineY - 10}}, true);
    EXPECT_TRUE(Points().empty());
    EXPECT_FALSE(LastStep());
}

TEST_F(EnvelopeMouseTest, AVerticalSegmentIsHitWithinFivePixelsWithoutDividingByZero)
{
    CEnvelopeEditor editor;
    editor.Load(view_, 0, 0, 0, 64 * 2000);
    // Two points 10 samples apart lie in one pixel column at 64 samples per pixel.
    ComRef<IEditCommand> a, b;
    ASSERT_EQ(editor.InsertPoint(64 * 100, 0.2f, a.Out()), 1);
    ASSERT_EQ(editor.InsertPoint(64 * 100 + 10, 1.4f, b.Out()), 1);
    int x = wave_.left + 100;
    int middle = (editor.ValueToY(wave_, 0.2f) + editor.ValueToY(wave_, 1.4f)) / 2;
    EXPECT_NE(editor.HitTest(x, middle), CEnvelopeEditor::kHitNone);
    EXPECT_EQ(editor.HitTest(x + 40, middle), CEnvelopeEditor::kHitNone);
}
