// Replacement scroll bars: the scroll state and geometry by tables, and a skinned bar painted into
// memory and driven by posted mouse messages.
#include <gtest/gtest.h>

#include "ChromeTestSupport.h"
#include "SkinPaneWnd.h"

#include <vector>

using namespace chrometest;
using skintest::Canvas;

namespace {

// A parent window that records the scroll messages its bar sends on.
class ScrollRecorder : public CWnd {
public:
    struct Event {
        int code;
        int position;
    };
    std::vector<Event> events;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_HSCROLL || message == WM_VSCROLL) {
            events.push_back({LOWORD(wParam), (short)HIWORD(wParam)});
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    int LastTrack() const
    {
        for (auto e = events.rbegin(); e != events.rend(); ++e)
            if (e->code == SB_THUMBTRACK)
                return e->position;
        return -1;
    }
};

// Colours of the test scroll-bar images.
const COLORREF kArrowFrames[4] = {RGB(10, 0, 0), RGB(20, 0, 0), RGB(30, 0, 0), RGB(40, 0, 0)};
const COLORREF kThumbStart = RGB(200, 0, 0), kThumbMiddle = RGB(0, 200, 0), kThumbEnd = RGB(0, 0, 200);
const COLORREF kTrack = RGB(100, 100, 100), kTrackDisabled = RGB(50, 50, 50);

void SaveArrow(const skintest::SkinFolder& skin, const char* name, int frameWidth, int height)
{
    skintest::SaveImage(skin.Path(name) + ".bmp", frameWidth * 4, height,
                        [frameWidth](int x, int) { return kArrowFrames[x / frameWidth]; });
}

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Horizontal: 16 high, arrows 16 long, thumb ends 3 wide; vertical: 16 thick.
        SaveArrow(skin, "scrl_left_btn", 16, 16);
        SaveArrow(skin, "scrl_right_btn", 16, 16);
        SaveArrow(skin, "scrl_up_btn", 16, 16);
        SaveArrow(skin, "scrl_down_btn", 16, 16);
        skintest::SaveSolid(skin.Path("scrl_nob_rlleft") + ".bmp", 3, 16, kThumbStart);
        skintest::SaveSolid(skin.Path("scrl_nob_rlcenter") + ".bmp", 4, 16, kThumbMiddle);
        skintest::SaveSolid(skin.Path("scrl_nob_rlright") + ".bmp", 3, 16, kThumbEnd);
        skintest::SaveSolid(skin.Path("scrl_nob_udtop") + ".bmp", 16, 3, kThumbStart);
        skintest::SaveSolid(skin.Path("scrl_nob_udcenter") + ".bmp", 16, 4, kThumbMiddle);
        skintest::SaveSolid(skin.Path("scrl_nob_udbottom") + ".bmp", 16, 3, kThumbEnd);
        for (const char* name : {"scrl_line_rl", "scrl_line_ud"})
            skintest::SaveSolid(skin.Path(name) + ".bmp", 8, 8, kTrack);
        for (const char* name : {"scrl_bg_rlcenter", "scrl_bg_udcenter"})
            skintest::SaveSolid(skin.Path(name) + ".bmp", 8, 8, kTrackDisabled);
        CString missing;
        ASSERT_TRUE(table.LoadFrom(skin.Folder().c_str(), &missing)) << missing.GetString();
        FreeSkinScrollBitmaps();
        ASSERT_TRUE(LoadSkinScrollBitmaps());

        ASSERT_TRUE(
            parent.CreateEx(0, nullptr, "Scroll", WS_POPUP | WS_VISIBLE, CRect(200, 200, 600, 400), nullptr, 0));
    }
    void TearDown() override
    {
        FreeSkinScrollBitmaps();
        table.Free();
    }

    // A horizontal skinned bar 300 x 16 at 10,10 of the parent, range min..min+99, page 10.
    void MakeBar(SkinPaneWnd& bar, int minimum)
    {
        ASSERT_TRUE(bar.Create(WS_VISIBLE, CRect(10, 10, 310, 26), &parent, 7));
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = minimum;
        si.nMax = minimum + 99;
        si.nPage = 10;
        si.nPos = minimum;
        bar.SetScrollInfo(&si, TRUE);
    }

    GdiplusSession gdiplus;
    skintest::SkinFolder skin;
    CSkinImageTable table;
    ScrollRecorder parent;
};

CustomScrollBarInfo Info(int minimum, int maximum, UINT page, int position)
{
    CustomScrollBarInfo info = {};
    info.minimum = minimum;
    info.maximum = maximum;
    info.page = page;
    info.position = position;
    info.minThumbSize = 6;
    return info;
}

} // namespace

TEST(ScrollBarState, PositionIsLimitedByRangeAndPage)
{
    CWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "Bars", WS_POPUP | WS_HSCROLL, CRect(0, 0, 200, 100), nullptr, 0));
    ASSERT_TRUE(CustomScrollBar_Install(window.m_hWnd));
    EXPECT_FALSE(CustomScrollBar_Install(window.m_hWnd));
    const struct {
        int minimum, maximum;
        UINT page;
        int position;
        int limited;
        bool shown;
    } cases[] = {
        {0, 99, 10, 95, 90, true},  {0, 99, 10, -5, 0, true},
        {0, 99, 0, 150, 99, true}, // no page: up to the maximum, not one past it
        {0, 99, 1, 150, 99, true},  {100, 199, 10, 500, 190, true},
        {0, 99, 100, 50, 0, false}, // the page covers the range: no bar
        {0, 99, 500, 50, 0, false}, // the page is cut to the range
        {5, 5, 0, 9, 5, false},
    };
    for (const auto& c : cases) {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = c.minimum;
        si.nMax = c.maximum;
        si.nPage = c.page;
        si.nPos = c.position;
        EXPECT_EQ(CustomScrollBar_SetScrollInfo(window.m_hWnd, SB_HORZ, &si, TRUE), c.limited)
            << c.page << " " << c.position;
        SCROLLINFO back = {};
        back.fMask = SIF_ALL;
        ASSERT_TRUE(CustomScrollBar_GetScrollInfo(window.m_hWnd, SB_HORZ, &back));
        EXPECT_EQ(back.nPos, c.limited);
        EXPECT_LE(back.nPage, (UINT)(c.maximum - c.minimum + 1));
        RECT client;
        window.GetClientRect(&client);
        EXPECT_EQ(client.bottom < 100, c.shown) << c.page << " " << c.position;
    }
    // Button sizes outside -8..256 or zero change nothing.
    EXPECT_FALSE(CustomScrollBar_SetButtonSize(window.m_hWnd, SB_HORZ, 0, 16));
    EXPECT_FALSE(CustomScrollBar_SetButtonSize(window.m_hWnd, SB_HORZ, 300, 16));
    EXPECT_FALSE(CustomScrollBar_SetButtonSize(window.m_hWnd, SB_HORZ, 16, -9));
    EXPECT_TRUE(CustomScrollBar_SetButtonSize(window.m_hWnd, SB_HORZ, -2, 20));
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE, 0, 99, 10, 0, 0};
    CustomScrollBar_SetScrollInfo(window.m_hWnd, SB_HORZ, &si, TRUE);
    RECT client;
    window.GetClientRect(&client);
    EXPECT_EQ(client.bottom, 80);
    EXPECT_EQ(CustomScrollBar_Uninstall(window.m_hWnd), 0);
    EXPECT_EQ(CustomScrollBar_Uninstall(window.m_hWnd), E_FAIL);
}

// The records are kept in the process: one that outlived its window would be taken for the
// record of a later window, and one left by an uninstall would keep the subclass alive.
TEST(ScrollBarState, UninstallAndDestroyLeaveNoRecordBehind)
{
    CWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, "Bars", WS_POPUP | WS_VSCROLL, CRect(0, 0, 200, 100), nullptr, 0));
    const HWND hwnd = window.m_hWnd;
    const LONG_PTR ownProc = ::GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
    ASSERT_TRUE(CustomScrollBar_Install(hwnd));
    EXPECT_NE(ownProc, ::GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    EXPECT_EQ(0, CustomScrollBar_Uninstall(hwnd));
    EXPECT_EQ(ownProc, ::GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    EXPECT_EQ(E_FAIL, CustomScrollBar_Uninstall(hwnd));

    ASSERT_TRUE(CustomScrollBar_Install(hwnd));
    window.DestroyWindow();
    EXPECT_EQ(E_FAIL, CustomScrollBar_Uninstall(hwnd));
    EXPECT_FALSE(CustomScrollBar_SetMetric(hwnd, SB_VERT, 10));
}

TEST(ScrollBarGeometryTest, PartsAlongTheBar)
{
    const struct {
        const char* name;
        CustomScrollBarInfo info;
        int length, arrow;
        int thumbStart, thumbSize;
    } cases[] = {
        {"at the start", Info(0, 99, 10, 0), 300, 16, 16, 27},
        {"at the limit", Info(0, 99, 10, 90), 300, 16, 257, 27},
        {"minimum counts", Info(100, 199, 10, 190), 300, 16, 257, 27},
        {"tiny page gets the minimum thumb", Info(0, 9999, 1, 0), 300, 16, 16, 6},
        {"no page: thumb as long as an arrow", Info(0, 99, 0, 0), 300, 16, 16, 16},
        {"shorter than two arrows: no thumb", Info(0, 99, 10, 0), 20, 10, 10, 0},
        {"empty range", Info(0, 0, 1, 0), 300, 16, 16, 0},
    };
    for (const auto& c : cases) {
        ScrollBarGeometry g = ScrollBarCalcGeometry(c.info, c.length, c.arrow);
        EXPECT_EQ(g.thumbSize, c.thumbSize) << c.name;
        if (c.thumbSize) {
            EXPECT_EQ(g.thumbStart, c.thumbStart) << c.name;
        }
    }
    ScrollBarGeometry g = ScrollBarCalcGeometry(Info(0, 99, 10, 0), 300, 16);
    const struct {
        int offset, part;
    } parts[] = {
        {0, kScrollItemArrowFirst}, {15, kScrollItemArrowFirst}, {16, kScrollItemThumb},      {42, kScrollItemThumb},
        {43, kScrollItemPageAfter}, {283, kScrollItemPageAfter}, {284, kScrollItemArrowLast}, {300, kScrollItemNone},
    };
    for (const auto& p : parts)
        EXPECT_EQ(ScrollBarPartAt(g, p.offset), p.part) << p.offset;
    ScrollBarGeometry shortBar = ScrollBarCalcGeometry(Info(0, 99, 10, 0), 20, 16);
    EXPECT_EQ(ScrollBarPartAt(shortBar, 9), kScrollItemArrowFirst);
    EXPECT_EQ(ScrollBarPartAt(shortBar, 10), kScrollItemArrowLast);
}

TEST_F(ScrollBarTest, SkinnedThumbKeepsItsEndsAtNaturalSize)
{
    SkinPaneWnd bar;
    MakeBar(bar, 0);
    Canvas canvas(300, 16);
    CustomScrollBar_PaintTo(bar.m_hWnd, *canvas.dc());
    // Arrows 16 long (square), thumb 27 long at 16: ends of 3 pixels, the middle stretched.
    const struct {
        int x;
        COLORREF color;
    } expected[] = {
        {0, kArrowFrames[0]}, {15, kArrowFrames[0]}, {16, kThumbStart},      {18, kThumbStart},
        {19, kThumbMiddle},   {39, kThumbMiddle},    {40, kThumbEnd},        {42, kThumbEnd},
        {43, kTrack},         {283, kTrack},         {284, kArrowFrames[0]},
    };
    for (const auto& e : expected)
        EXPECT_EQ(canvas.At(e.x, 8), e.color) << e.x;

    // Disabled: the disabled track and the arrows' second frame.
    EXPECT_TRUE(bar.EnableScrollBar(ESB_DISABLE_BOTH));
    CustomScrollBar_PaintTo(bar.m_hWnd, *canvas.dc());
    EXPECT_EQ(canvas.At(0, 8), kArrowFrames[1]);
    EXPECT_EQ(canvas.At(299, 8), kArrowFrames[1]);
    EXPECT_EQ(canvas.At(100, 8), kTrackDisabled);
}

TEST_F(ScrollBarTest, VerticalBarIsAsThickAsAQuarterOfItsArrowImage)
{
    SkinPaneWnd bar;
    ASSERT_TRUE(bar.Create(WS_VISIBLE | SBS_VERT, CRect(10, 10, 26, 190), &parent, 8));
    EXPECT_EQ(bar.GetBar(), 1);
    EXPECT_EQ(bar.GetBarThickness(), 16);
    EXPECT_EQ(bar.GetArrowLength(), -1);
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 50, 50, 0};
    bar.SetScrollInfo(&si, TRUE);
    Canvas canvas(16, 180);
    CustomScrollBar_PaintTo(bar.m_hWnd, *canvas.dc());
    EXPECT_EQ(canvas.At(8, 0), kArrowFrames[0]);
    EXPECT_EQ(canvas.At(8, 179), kArrowFrames[0]);
    // Thumb of half the 148-pixel track at the end: its bottom end just above the lower arrow.
    EXPECT_EQ(canvas.At(8, 163), kThumbEnd);
    EXPECT_EQ(canvas.At(8, 20), kTrack);
}

TEST_F(ScrollBarTest, ThumbDraggedFarAcrossTheBarSnapsBackAndResumes)
{
    for (int minimum : {0, 100}) {
        SkinPaneWnd bar;
        MakeBar(bar, minimum);
        parent.events.clear();
        HWND hwnd = bar.m_hWnd;
        RECT r = WindowRect(hwnd);
        POINT thumb = {r.left + 30, r.top + 8};
        EXPECT_EQ(PressNonClient(hwnd, thumb), HTHSCROLL);
        EXPECT_EQ(GetCapture(), hwnd);
        // 100 pixels along: 100 * (99 - 10 + 1) / (268 - 27) = 37 past the minimum.
        MoveCaptured(hwnd, {thumb.x + 100, thumb.y});
        EXPECT_EQ(parent.LastTrack(), minimum + 37);
        MoveCaptured(hwnd, {thumb.x + 100, thumb.y + 191});
        EXPECT_EQ(parent.LastTrack(), minimum + 37) << "still inside the slack";
        MoveCaptured(hwnd, {thumb.x + 100, thumb.y + 8 + 192 + 10});
        EXPECT_EQ(parent.LastTrack(), minimum) << "snapped back";
        MoveCaptured(hwnd, {thumb.x + 100, thumb.y - 150});
        EXPECT_EQ(parent.LastTrack(), minimum + 37) << "resumed";
        MoveCaptured(hwnd, {thumb.x + 350, thumb.y});
        EXPECT_EQ(parent.LastTrack(), minimum + 90) << "the thumb stops at the end";
        ReleaseCaptured(hwnd, {thumb.x + 350, thumb.y});
        ASSERT_GE(parent.events.size(), 2u);
        EXPECT_EQ(parent.events[parent.events.size() - 2].code, SB_THUMBPOSITION);
        EXPECT_EQ(parent.events[parent.events.size() - 2].position, minimum + 90);
        EXPECT_EQ(parent.events.back().code, SB_ENDSCROLL);
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

TEST_F(ScrollBarTest, ArrowAndPagePressesScrollAtOnce)
{
    SkinPaneWnd bar;
    MakeBar(bar, 0);
    HWND hwnd = bar.m_hWnd;
    RECT r = WindowRect(hwnd);
    const struct {
        int x;
        int code;
    } presses[] = {
        {5, SB_LINEUP},
        {295, SB_LINEDOWN},
        {200, SB_PAGEDOWN},
    };
    for (const auto& p : presses) {
        parent.events.clear();
        POINT at = {r.left + p.x, r.top + 8};
        PressNonClient(hwnd, at);
        ReleaseCaptured(hwnd, at);
        ASSERT_EQ(parent.events.size(), 2u) << p.x;
        EXPECT_EQ(parent.events[0].code, p.code);
        EXPECT_EQ(parent.events[1].code, SB_ENDSCROLL);
    }
    // A disabled left arrow refuses the press.
    bar.EnableScrollBar(ESB_DISABLE_LTUP);
    parent.events.clear();
    PressNonClient(hwnd, {r.left + 5, r.top + 8});
    EXPECT_TRUE(parent.events.empty());
}

TEST_F(ScrollBarTest, HeldArrowRepeatsAfterADelay)
{
    SkinPaneWnd bar;
    MakeBar(bar, 0);
    HWND hwnd = bar.m_hWnd;
    RECT r = WindowRect(hwnd);
    POINT arrow = {r.left + 295, r.top + 8};
    parent.events.clear();
    PressNonClient(hwnd, arrow);
    EXPECT_EQ(parent.events.size(), 1u) << "one line at once";
    auto pumpFor = [](DWORD ms) {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            Pump();
            Sleep(5);
        }
    };
    pumpFor(200);
    EXPECT_EQ(parent.events.size(), 1u) << "nothing more before 300 ms";
    pumpFor(600); // 800 ms in: the first repeat at 300 ms, then one every 55 ms
    EXPECT_GE(parent.events.size(), 4u);
    EXPECT_LE(parent.events.size(), 12u);
    for (const auto& e : parent.events)
        EXPECT_EQ(e.code, SB_LINEDOWN);
    // Off the arrow the repeat sends nothing.
    MoveCaptured(hwnd, {r.left + 150, r.top + 8});
    size_t held = parent.events.size();
    pumpFor(200);
    EXPECT_EQ(parent.events.size(), held);
    ReleaseCaptured(hwnd, {r.left + 150, r.top + 8});
    EXPECT_EQ(parent.events.back().code, SB_ENDSCROLL);
}
