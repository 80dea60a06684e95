// The floating panes of the main frame: first placement, saved placement, the layout values a
// close writes, and what happens when a pane cannot be created. The pane classes are stand-ins
// (MainFrameFixture.h); size limits, placement and saving are the frame's own.
#include "MainFrameFixture.h"
#include "PanePlacement.h"
#include "Settings.h"
#include "SkinTables.h"

#include <cstdio>

using namespace kvtest;

namespace {

struct PaneSpot {
    PaneKind kind;
    int offset;
    bool visible;
};

// Values read back from "Settings": the eleven fields, or none.
bool ReadPane(const char* name, WINDOWPLACEMENT* placement, int* extra)
{
    *placement = {};
    return LoadWindowPlacement(name, placement, extra) != FALSE;
}

} // namespace

TEST_F(MainFrameTest, FirstRunPlacesEachPaneAtItsMinimumSizeClearOfTheBarsAndTheShownOnesApart)
{
    const PaneSpot spots[] = {
        {PaneKind::Controller, 50, true},     {PaneKind::MarkerList, 100, false}, {PaneKind::Selection, 150, true},
        {PaneKind::VideoPreview, 200, false}, {PaneKind::Mixer, 50, true},        {PaneKind::EffectLauncher, 50, true},
    };
    for (const PaneSpot& spot : spots)
        ASSERT_NE(frame_->EnsurePane(spot.kind), nullptr) << GetPaneInfo(spot.kind).valueName;
    // As at start-up: the panes made without a place are arranged together.
    frame_->ArrangeNewPanes();
    const CRect main = WindowRect(frame_);
    CRect client;
    ::GetWindowRect(frame_->m_hWndMDIClient, &client);
    std::vector<CRect> placed;
    for (const PaneSpot& spot : spots) {
        SCOPED_TRACE(GetPaneInfo(spot.kind).valueName);
        CNyMiniFrame* pane = frame_->PaneFrame(spot.kind);
        ASSERT_NE(pane, nullptr);
        SIZE minimum, maximum;
        pane->GetSizeLimits(&minimum, &maximum);
        const CRect rect = WindowRect(pane);
        if (spot.kind == PaneKind::Controller) {
            EXPECT_EQ(rect.TopLeft(), CPoint(main.left + spot.offset, client.top)) << "its offset, below the bars";
        }
        EXPECT_GE(rect.top, client.top);
        // The shown ones each in a place of their own; the hidden ones where there is room
        // left on this small screen (here, none: they cover the least they can).
        if (spot.visible) {
            for (const CRect& other : placed) {
                CRect meet;
                EXPECT_FALSE(meet.IntersectRect(rect, other)) << "overlaps another shown pane";
            }
            placed.push_back(rect);
        }
        if (spot.kind == PaneKind::VideoPreview) {
            EXPECT_EQ(rect.Size(), CSize(360, 256));
        } else {
            EXPECT_EQ(rect.Size(), CSize(minimum));
        }
        EXPECT_EQ(pane->IsWindowVisible() != FALSE, spot.visible);
    }
    // The controller cannot be resized: its limits are its skin image inside the borders.
    CNyMiniFrame* controller = frame_->PaneFrame(PaneKind::Controller);
    int left, top, right, bottom;
    controller->GetBorderSizes(&left, &top, &right, &bottom);
    const CSize image = GetSkinImageSize(kSkinCtrlBase);
    ASSERT_GT(image.cx, 0) << "the skin is not loaded";
    EXPECT_EQ(WindowRect(controller).Size(), CSize(left + right + image.cx, top + bottom + image.cy));
    EXPECT_EQ(frame_->HeldPane(PaneKind::Analysis), nullptr) << "no code creates the analysis pane";
}

TEST_F(MainFrameTest, ASecondRequestGivesTheSameWindowUnmoved)
{
    CWnd* first = frame_->EnsurePane(PaneKind::Selection);
    ASSERT_NE(first, nullptr);
    CNyMiniFrame* pane = frame_->PaneFrame(PaneKind::Selection);
    pane->SetWindowPos(nullptr, 420, 330, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const CRect moved = WindowRect(pane);
    const int creations = frame_->frameCreations;
    EXPECT_EQ(frame_->EnsurePane(PaneKind::Selection), first);
    EXPECT_EQ(frame_->frameCreations, creations);
    EXPECT_EQ(WindowRect(pane), moved);
}

TEST_F(MainFrameTest, ASavedPlacementBringsThePaneBackAsItWas)
{
    struct Case {
        PaneKind kind;
        const char* value;
        bool restored; // placed at the saved rectangle (else arranged next to the main window)
        bool visible;
        bool rolledUp;
    };
    const Case cases[] = {
        // Rolled up with layout flag 1.
        {PaneKind::Controller, "0:1:0:0:0:0:300:200:500:300:17", true, true, true},
        // Ten fields are not a pane value.
        {PaneKind::Mixer, "0:1:0:0:0:0:300:200:500:300", false, true, false},
        {PaneKind::MarkerList, "0:0:0:0:0:0:320:220:620:520:0", true, false, false},
        {PaneKind::EffectLauncher, "0:1:0:0:0:0:340:240:640:540:0", true, true, false},
    };
    for (const Case& c : cases)
        SetSettingString(kSettingsSection, GetPaneInfo(c.kind).valueName, c.value);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_NE(frame_->EnsurePane(c.kind), nullptr);
        CNyMiniFrame* pane = frame_->PaneFrame(c.kind);
        WINDOWPLACEMENT saved = {};
        int extra = 0;
        const CRect rect = WindowRect(pane);
        if (c.restored) {
            ASSERT_TRUE(ParsePanePlacement(c.value, &saved, &extra));
            EXPECT_EQ(rect.TopLeft(), CPoint(saved.rcNormalPosition.left, saved.rcNormalPosition.top));
        } else {
            CRect client, meet;
            ::GetWindowRect(frame_->m_hWndMDIClient, &client);
            EXPECT_GE(rect.top, client.top) << "arranged below the bars";
            EXPECT_FALSE(meet.IntersectRect(rect, WindowRect(frame_->PaneFrame(PaneKind::Controller))));
        }
        EXPECT_EQ(pane->IsWindowVisible() != FALSE, c.visible);
        EXPECT_EQ(pane->IsRolledUp() != FALSE, c.rolledUp);
    }
    EXPECT_TRUE(frame_->PaneFrame(PaneKind::Controller)->GetLayoutFlag());
}

TEST_F(MainFrameTest, APlacementOffEveryMonitorComesBackOnTheNearestOne)
{
    SetSettingString(kSettingsSection, "SelectionWndPos", "0:1:0:0:0:0:30000:-20000:30240:-19840:0");
    ASSERT_NE(frame_->EnsurePane(PaneKind::Selection), nullptr);
    const CRect rect = WindowRect(frame_->PaneFrame(PaneKind::Selection));
    HMONITOR monitor = ::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL);
    ASSERT_NE(monitor, nullptr) << rect.left << "," << rect.top;
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(monitor, &info);
    CRect inside;
    EXPECT_TRUE(::IntersectRect(&inside, &rect, &info.rcWork));
    EXPECT_EQ(inside, rect) << "the whole pane lies on the monitor";
}

// Shift+close while the transport runs writes the window layout and leaves everything as it was.
TEST_F(MainFrameTest, ShiftCloseWhilePlayingWritesTheLayoutAndKeepsPlaying)
{
    ASSERT_NE(FileNew(), nullptr);
    ASSERT_NE(frame_->EnsurePane(PaneKind::Controller), nullptr);
    ASSERT_NE(frame_->EnsurePane(PaneKind::MarkerList), nullptr);
    CNyMiniFrame* controller = frame_->PaneFrame(PaneKind::Controller);
    const int fullHeight = WindowRect(controller).Height();
    controller->SetLayoutFlag(TRUE);
    controller->SetRolledUp(TRUE);
    ASSERT_LT(WindowRect(controller).Height(), fullHeight);
    frame_->transportState = 2;

    // Without Shift a running transport keeps the frame from closing, and nothing is written.
    frame_->SendMessage(WM_CLOSE);
    ASSERT_TRUE(::IsWindow(frame_->m_hWnd));
    EXPECT_EQ(Setting("Position"), "");
    EXPECT_EQ(Setting("ControlerPos"), "");

    SetShift(true);
    frame_->SendMessage(WM_CLOSE);
    SetShift(false);
    ASSERT_TRUE(::IsWindow(frame_->m_hWnd));
    EXPECT_EQ(DocumentCount(), 1);
    EXPECT_TRUE(frame_->IsEngineRunning());
    EXPECT_TRUE(boxes_.empty());

    int fields[10];
    EXPECT_EQ(std::sscanf(Setting("Position").c_str(), "%d:%d:%d:%d:%d:%d:%d:%d:%d:%d", &fields[0], &fields[1],
                          &fields[2], &fields[3], &fields[4], &fields[5], &fields[6], &fields[7], &fields[8],
                          &fields[9]),
              10);
    EXPECT_EQ(fields[6], 100);
    EXPECT_EQ(fields[7], 80);
    WINDOWPLACEMENT placement;
    int extra = -1;
    ASSERT_TRUE(ReadPane("ControlerPos", &placement, &extra));
    EXPECT_EQ(extra, 17);
    EXPECT_EQ(placement.showCmd, 1u);
    EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, fullHeight);
    ASSERT_TRUE(ReadPane("LabelWndPos", &placement, &extra));
    EXPECT_EQ(extra, 0);
    EXPECT_EQ(placement.showCmd, 0u) << "the marker list is hidden";
    EXPECT_EQ(Setting("SelectionWndPos"), "") << "a pane never created writes nothing";
}

TEST_F(MainFrameTest, AMaximizedMainWindowIsSavedToComeBackMaximized)
{
    frame_->ShowWindow(SW_MAXIMIZE);
    ASSERT_TRUE(frame_->IsZoomed());
    SetShift(true);
    frame_->SendMessage(WM_CLOSE);
    SetShift(false);
    int flags = 0, show = 0, left = 0, top = 0;
    ASSERT_EQ(std::sscanf(Setting("Position").c_str(), "%d:%d:%*d:%*d:%*d:%*d:%d:%d", &flags, &show, &left, &top), 4);
    EXPECT_EQ(flags & WPF_RESTORETOMAXIMIZED, WPF_RESTORETOMAXIMIZED);
    EXPECT_EQ(left, 100) << "the normal rectangle is stored";
    EXPECT_EQ(top, 80);
}

namespace {
int g_failingViewsDeleted = 0;
class FailingView : public CView {
public:
    ~FailingView() override { ++g_failingViewsDeleted; }
    BOOL PreCreateWindow(CREATESTRUCTA&) override { return FALSE; }
    void OnDraw(CDC*) override {}
};
} // namespace

// The framework deletes a view whose window fails; the getter leaves it alone, drops the
// frame and tries again next time.
TEST_F(MainFrameTest, APaneWhoseWindowFailsIsNotHeldAndIsTriedAgain)
{
    g_failingViewsDeleted = 0;
    int attempts = 0;
    frame_->clientFactory = [&attempts](PaneKind, CNyMiniFrame* frame) {
        ++attempts;
        return StandInMainFrame::CreateViewClientForTest(new FailingView, frame);
    };
    EXPECT_EQ(frame_->EnsurePane(PaneKind::Mixer), nullptr);
    EXPECT_EQ(frame_->GetMixerPane(), nullptr);
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(g_failingViewsDeleted, 2);
    EXPECT_EQ(frame_->HeldPane(PaneKind::Mixer), nullptr);
    // No mini frame stays behind.
    int popups = 0;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND wnd, LPARAM count) {
            if (dynamic_cast<CNyMiniFrame*>(CWnd::FromHandlePermanent(wnd)))
                ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&popups));
    EXPECT_EQ(popups, 0);
}
