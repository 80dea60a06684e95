// The layout values' text and the arithmetic of pane placement, as tables.
#include "PanePlacement.h"
#include "Settings.h"
#include "SettingsTestRoot.h"

#include <gtest/gtest.h>

namespace {
RECT Rect(LONG l, LONG t, LONG r, LONG b)
{
    return RECT{l, t, r, b};
}
bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

TEST(PanePlacement, ArrangedRectanglesFromTheMainWindowsCorner)
{
    const RECT main = Rect(10, 20, 810, 620);
    const SIZE minimum = {150, 90};
    struct Case {
        PaneKind kind;
        RECT expected;
    };
    const Case cases[] = {
        {PaneKind::Controller, Rect(60, 70, 210, 160)},     {PaneKind::MarkerList, Rect(110, 120, 260, 210)},
        {PaneKind::Selection, Rect(160, 170, 310, 260)},    {PaneKind::VideoPreview, Rect(210, 220, 570, 476)},
        {PaneKind::Analysis, Rect(260, 270, 580, 510)},     {PaneKind::Mixer, Rect(60, 70, 210, 160)},
        {PaneKind::EffectLauncher, Rect(60, 70, 210, 160)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GetPaneInfo(c.kind).valueName);
        EXPECT_TRUE(Same(ArrangedPaneRect(c.kind, main, minimum), c.expected));
    }
}

// A first-start pane goes where it wants when that is free, else to the nearest free place
// beside or below what is there (the main window's bars, panes placed before it).
TEST(PanePlacement, AFreePlaceIsTheNearestThatMeetsNothingTaken)
{
    const RECT area = Rect(0, 0, 1000, 700);
    const RECT bars = Rect(0, 0, 1000, 70);
    const RECT controller = Rect(50, 70, 350, 210);
    struct Case {
        const char* what;
        RECT preferred;
        RECT area;
        std::vector<RECT> taken;
        RECT expected;
    };
    const Case cases[] = {
        {"free where it wants", Rect(100, 100, 300, 200), area, {bars}, Rect(100, 100, 300, 200)},
        {"over the tool bar: just below it", Rect(50, 50, 250, 150), area, {bars}, Rect(50, 70, 250, 170)},
        {"over a pane: below it, the nearer side", Rect(50, 50, 250, 150), area, {bars, controller},
         Rect(50, 210, 250, 310)},
        {"below is full: beside it", Rect(50, 50, 250, 150), area, {bars, controller, Rect(0, 210, 1000, 700)},
         Rect(350, 70, 550, 170)},
        {"past the area's edge: moved in", Rect(900, 100, 1100, 200), area, {bars}, Rect(800, 100, 1000, 200)},
        {"no free place: the one covering the least", Rect(0, 0, 200, 100), Rect(0, 0, 400, 200),
         {Rect(0, 0, 250, 200)}, Rect(200, 0, 400, 100)},
        {"no room anywhere: left where it wants", Rect(50, 50, 250, 150), Rect(0, 0, 300, 200), {Rect(0, 0, 300, 200)},
         Rect(50, 50, 250, 150)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT r = FindFreePaneRect(c.preferred, c.area, c.taken);
        EXPECT_TRUE(Same(r, c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

// A saved pane keeps its place, and its size where the pane can take it.
TEST(PanePlacement, ASavedRectangleKeepsWhatItCanOfItsSize)
{
    const RECT main = Rect(10, 20, 810, 620);
    const SIZE minimum = {503, 223};
    struct Case {
        const char* what;
        PaneKind kind;
        RECT saved;
        RECT expected;
    };
    const Case cases[] = {
        {"at least the minimum: as saved", PaneKind::MarkerList, Rect(330, 210, 900, 640), Rect(330, 210, 900, 640)},
        {"at the minimum: as saved", PaneKind::MarkerList, Rect(330, 210, 833, 433), Rect(330, 210, 833, 433)},
        {"too narrow: widened, its height kept", PaneKind::MarkerList, Rect(330, 210, 830, 610),
         Rect(330, 210, 833, 610)},
        {"too low: heightened, its width kept", PaneKind::MarkerList, Rect(330, 210, 930, 300),
         Rect(330, 210, 930, 433)},
        {"empty: the first start's size", PaneKind::MarkerList, Rect(330, 210, 330, 210), Rect(330, 210, 833, 433)},
        {"smaller both ways: the first start's size", PaneKind::VideoPreview, Rect(40, 300, 140, 400),
         Rect(40, 300, 400, 556)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT r = RestoredPaneRect(c.kind, c.saved, main, minimum);
        EXPECT_TRUE(Same(r, c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(PanePlacement, ExtraValueHoldsTheRolledUpFlagAndTheControllersLayoutFlag)
{
    struct Case {
        PaneKind kind;
        BOOL rolledUp;
        BOOL layout;
        int extra;
    };
    const Case cases[] = {
        {PaneKind::Controller, TRUE, TRUE, 17}, {PaneKind::Controller, FALSE, TRUE, 16},
        {PaneKind::Controller, TRUE, FALSE, 1}, {PaneKind::MarkerList, TRUE, TRUE, 1},
        {PaneKind::Mixer, FALSE, TRUE, 0},      {PaneKind::Analysis, TRUE, TRUE, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PaneExtraValue(c.kind, c.rolledUp, c.layout), c.extra) << GetPaneInfo(c.kind).valueName;
}

TEST(PanePlacement, ARolledUpPaneIsStoredAtItsFullHeightAndAHiddenOneWithShowCommandZero)
{
    WINDOWPLACEMENT p = {};
    p.showCmd = SW_SHOWNORMAL;
    p.rcNormalPosition = Rect(40, 50, 240, 70);
    AdjustPanePlacement(&p, TRUE, TRUE, 180);
    EXPECT_EQ(p.showCmd, 1u);
    EXPECT_TRUE(Same(p.rcNormalPosition, Rect(40, 50, 240, 230)));
    AdjustPanePlacement(&p, FALSE, FALSE, 0);
    EXPECT_EQ(p.showCmd, 0u);
    EXPECT_TRUE(Same(p.rcNormalPosition, Rect(40, 50, 240, 230)));
}

TEST(PanePlacement, TextFormsAndWhatParses)
{
    WINDOWPLACEMENT p = {};
    p.flags = WPF_RESTORETOMAXIMIZED;
    p.showCmd = 3;
    p.ptMinPosition = {-1, -1};
    p.ptMaxPosition = {-8, -30};
    p.rcNormalPosition = Rect(22, 33, 822, 633);
    EXPECT_EQ(FormatWindowPlacement(p), "2:3:-1:-1:-8:-30:22:33:822:633");
    EXPECT_EQ(FormatPanePlacement(p, 17), "2:3:-1:-1:-8:-30:22:33:822:633:17");

    struct Case {
        const char* text;
        BOOL parsed;
    };
    const Case cases[] = {
        {"2:3:-1:-1:-8:-30:22:33:822:633:17", TRUE},
        {"2:3:-1:-1:-8:-30:22:33:822:633", FALSE}, // the main window's ten fields
        {"", FALSE},
        {"2:3:x:-1:-8:-30:22:33:822:633:17", FALSE},
        {"2;3;-1;-1;-8;-30;22;33;822;633;17", FALSE},
    };
    for (const Case& c : cases) {
        WINDOWPLACEMENT read = {};
        read.length = 7; // the caller's, untouched
        int extra = -1;
        EXPECT_EQ(ParsePanePlacement(c.text, &read, &extra), c.parsed) << c.text;
        EXPECT_EQ(read.length, 7u);
        if (c.parsed) {
            EXPECT_EQ(FormatPanePlacement(read, extra), c.text);
        }
    }
}

TEST(PanePlacement, ValuesGoUnderSettingsAndTenFieldsAreRefused)
{
    SettingsTestRoot root;
    WINDOWPLACEMENT p = {};
    p.showCmd = 1;
    p.rcNormalPosition = Rect(1, 2, 3, 4);
    SaveWindowPlacement(p);
    SavePanePlacement("LabelWndPos", p, 1);
    std::string text;
    GetSettingString(kSettingsSection, "Position", "", &text);
    EXPECT_EQ(text, "0:1:0:0:0:0:1:2:3:4");
    WINDOWPLACEMENT read = {};
    int extra = 0;
    EXPECT_TRUE(LoadWindowPlacement("LabelWndPos", &read, &extra));
    EXPECT_EQ(extra, 1);
    EXPECT_FALSE(LoadWindowPlacement("Position", &read, &extra));
    EXPECT_FALSE(LoadWindowPlacement("ControlerPos", &read, &extra));
}

TEST(PanePlacement, ARectangleOffEveryAreaMovesIntoTheNearest)
{
    const std::vector<RECT> monitors = {Rect(0, 0, 1024, 768), Rect(1024, 0, 2304, 1024)};
    struct Case {
        RECT rect;
        BOOL moved;
        RECT expected;
    };
    const Case cases[] = {
        {Rect(100, 100, 300, 200), FALSE, Rect(100, 100, 300, 200)},     // on the first
        {Rect(1000, 700, 1200, 900), FALSE, Rect(1000, 700, 1200, 900)}, // partly on both
        {Rect(3000, 50, 3200, 150), TRUE, Rect(2104, 50, 2304, 150)},    // right of the second
        {Rect(-500, -400, -300, -300), TRUE, Rect(0, 0, 200, 100)},      // above left of the first
        {Rect(100, 900, 300, 1000), TRUE, Rect(100, 668, 300, 768)},     // below the first
        {Rect(-3000, 0, -1000, 100), TRUE, Rect(0, 0, 2000, 100)},       // wider than the area
    };
    for (const Case& c : cases) {
        RECT rect = c.rect;
        EXPECT_EQ(MoveRectOntoNearestArea(&rect, monitors), c.moved) << c.rect.left << "," << c.rect.top;
        EXPECT_TRUE(Same(rect, c.expected)) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
}
