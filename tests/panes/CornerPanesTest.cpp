#include <gtest/gtest.h>

#include "CornerPanes.h"
#include "SkinFixture.h"

#include <vector>

using skintest::Canvas;

namespace {

// The multitrack view as the corner panes see it: its answers are set by the test and its
// calls recorded.
class FakeView : public CWnd, public ICornerPaneHost {
public:
    bool idle = true;
    int editMode = 0;
    int multiIcon = 0;
    bool grouping = false;
    bool timeRange = false;
    bool allTracks = false;
    int previousFirst = 5, previousLast = 2;
    std::vector<std::string> calls;
    std::vector<UINT> scrolls;

    bool IsTransportIdle() const override { return idle; }
    int GetEditMode() const override { return editMode; }
    int GetMultiIcon() const override { return multiIcon; }
    bool IsGroupingEnabled() const override { return grouping; }
    void EnableGrouping(bool enable) override
    {
        grouping = enable;
        calls.push_back("grouping");
    }
    void RepaintTrackHeader() override { calls.push_back("header"); }
    bool HasTimeRange() const override { return timeRange; }
    bool IsAllTracksMode() const override { return allTracks; }
    void SetAllTracksMode(bool on) override
    {
        allTracks = on;
        calls.push_back(on ? "all" : "not all");
    }
    void GetPreviousRowRange(int* first, int* last) const override
    {
        *first = previousFirst;
        *last = previousLast;
    }
    void SetRowRange(int first, int last, int current) override
    {
        calls.push_back("rows " + std::to_string(first) + " " + std::to_string(last) + " " + std::to_string(current));
    }
    void SetTimeRange(int64_t start, int64_t end) override
    {
        calls.push_back("time " + std::to_string(start) + " " + std::to_string(end));
    }
    void InvalidateCaret(int show) override { calls.push_back("caret " + std::to_string(show)); }
    void RedrawSelectionArea(int track) override { calls.push_back("redraw " + std::to_string(track)); }
    void SetEditPosition(int64_t position) override { calls.push_back("edit " + std::to_string(position)); }
    CWnd* GetViewWindow() override { return this; }

    void OnVScroll(UINT code, UINT, CWnd*) { scrolls.push_back(code); }
    void OnHScroll(UINT code, UINT, CWnd*) { scrolls.push_back(0x100 | code); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(FakeView, CWnd)
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
END_MESSAGE_MAP()

// Group button frames 12 x 10, frame i filled with a colour of its own.
COLORREF FrameColor(int frame)
{
    return RGB(30 * frame, 200, 100);
}

class CornerPanes : public ::testing::Test {
protected:
    void SetUp() override
    {
        skintest::SaveImage(folder.Path("group_btn") + ".png", 12 * 8, 10,
                            [](int x, int) { return FrameColor(x / 12); });
        skintest::SaveSolid(folder.Path("view_topleft") + ".png", 5, 5, RGB(90, 90, 200));
        skintest::SaveSolid(folder.Path("view_top") + ".png", 5, 5, RGB(200, 90, 90));
        skintest::SaveSolid(folder.Path("multi_icon") + ".png", 4, 4, RGB(250, 250, 0));
        CString missing;
        ASSERT_TRUE(table.LoadFrom(folder.Folder().c_str(), &missing));
        InitSkinColors();
        ASSERT_TRUE(view.CreateEx(0, AfxRegisterWndClass(0), "view", WS_POPUP, CRect(0, 0, 400, 300), nullptr, 0));
    }
    void TearDown() override
    {
        view.DestroyWindow();
        table.Free();
    }

    template <class Pane>
    void Place(Pane& pane, int id)
    {
        ASSERT_TRUE(pane.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 30), &view, id));
        pane.GetClientRect(&client);
    }
    static LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

    GdiplusSession gdiplus;
    skintest::SkinFolder folder;
    CSkinImageTable table;
    FakeView view;
    CRect client;
};

} // namespace

TEST_F(CornerPanes, GroupButtonSitsAtTheBottomRightAndShowsTheGroupingSwitch)
{
    CGroupButtonPane pane;
    Place(pane, 113);
    // Button: 12 x 10, 14 pixels from the right, its bottom 2 pixels above the pane's.
    const CPoint inButton(100 - 14 - 12 + 5, 30 - 2 - 10 + 5);
    for (bool on : {false, true}) {
        view.grouping = on;
        view.multiIcon = on ? 1 : 0;
        Canvas canvas(100, 30);
        pane.Render(canvas.dc(), client);
        EXPECT_EQ(canvas.At(inButton.x, inButton.y), FrameColor(on ? 4 : 0));
        EXPECT_EQ(canvas.At(2, 2), RGB(90, 90, 200)) << "tiled background";
        EXPECT_EQ(canvas.At(9, 9), on ? RGB(250, 250, 0) : RGB(90, 90, 200)) << "multi icon at (8, 8)";
        EXPECT_EQ(canvas.At(50, 29), RGB(0x40, 0x40, 0x40)) << "bottom line";
        EXPECT_EQ(canvas.At(50, 28), RGB(90, 90, 200)) << "below the button: background";
    }
}

TEST_F(CornerPanes, ReleasingOnTheGroupButtonFlipsGroupingOnlyWhenTheViewIsIdle)
{
    CGroupButtonPane pane;
    Place(pane, 113);
    Canvas canvas(100, 30);
    pane.Render(canvas.dc(), client); // places the button as a paint does
    const CPoint on(79, 23), off(20, 10);
    const struct {
        bool idle;
        int editMode;
        CPoint release;
        bool flips;
    } cases[] = {
        {true, 0, on, true},
        {true, 0, off, false}, // pressed, moved off, released: nothing
        {false, 0, on, false}, // playing or recording
        {true, 1, on, false},  // fade-handle edit mode
    };
    for (const auto& c : cases) {
        view.idle = c.idle;
        view.editMode = c.editMode;
        view.grouping = false;
        view.calls.clear();
        pane.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(on));
        pane.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(c.release));
        pane.SendMessage(WM_LBUTTONUP, 0, At(c.release));
        EXPECT_EQ(view.grouping, c.flips) << c.idle << c.editMode << c.release.x;
        EXPECT_EQ(view.calls.size(), c.flips ? 2u : 0u);
        EXPECT_NE(::GetCapture(), pane.m_hWnd);
    }
}

TEST_F(CornerPanes, SelectAllCornerTogglesBetweenAllRowsAndThePreviousOnes)
{
    CSkinPushButton pane;
    Place(pane, 114);
    const CPoint inside(10, 10);
    pane.SendMessage(WM_LBUTTONUP, 0, At(inside));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"caret 0", "rows 0 -1 0", "all", "caret 1", "header"}));

    view.calls.clear();
    view.timeRange = true;
    pane.SendMessage(WM_LBUTTONUP, 0, At(inside));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"rows 2 5 0", "redraw -1", "header"}))
        << "the previous rows come back, smaller first";

    view.calls.clear();
    pane.SendMessage(WM_LBUTTONUP, 0, At(CPoint(150, 10)));
    EXPECT_TRUE(view.calls.empty()) << "a release outside the corner does nothing";
}

TEST_F(CornerPanes, DoubleClickOnSelectAllCornerSelectsEverythingAndScrollsHome)
{
    CSkinPushButton pane;
    Place(pane, 114);
    view.idle = false;
    pane.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(CPoint(5, 5)));
    EXPECT_TRUE(view.calls.empty()) << "not while the transport runs";

    view.idle = true;
    pane.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(CPoint(5, 5)));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"all", "rows 0 -1 0", "time 0 0", "redraw -1", "edit -1"}));
    EXPECT_EQ(view.scrolls, (std::vector<UINT>{SB_TOP, 0x100 | SB_TOP}));
}

TEST_F(CornerPanes, SkinnedCornersDrawTheirDarkEdges)
{
    CSkinPushButton push;
    CSkinStatic filler;
    Place(push, 114);
    Place(filler, 115);
    const COLORREF edge = RGB(0x40, 0x40, 0x40), shadow = RGB(0xA6, 0xA6, 0xA6);
    Canvas a(100, 30), b(100, 30);
    push.Render(a.dc(), client);
    filler.Render(b.dc(), client);
    const struct {
        Canvas* canvas;
        int x, y;
        COLORREF expected;
    } cases[] = {
        {&a, 50, 29, edge}, {&a, 99, 10, edge},   {&a, 50, 10, RGB(200, 90, 90)}, {&b, 50, 29, edge},
        {&b, 99, 10, edge}, {&b, 50, 10, shadow}, {&b, 98, 28, shadow},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.canvas->At(c.x, c.y), c.expected) << c.x << "," << c.y;
}
