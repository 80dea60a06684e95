// The program's own main frame with its real tool panes: where a first start puts them, that
// they know each other, and that the active multitrack view drives them all.
#include "MainFrame.h"
#include "MainFrameIds.h"
#include "MarkerListDlg.h"
#include "MixerView.h"
#include "TrackStrip.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "NyControlView.h"
#include "NyMiniFrame.h"
#include "PanesIds.h"
#include "RawClip.h"
#include "PanePlacement.h"
#include "ProgramHosts.h"
#include "SelectionControlDlg.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "InProcessProgram.h"
#include "TestSupport.h"
#include "WavFile.h"
#include "FormatConverter.h"
#include "ProgressDlg.h"
#include "ViewIds.h"
#include "DocCommandIds.h"
#include "HistorySteps.h"
#include "resource.h"
#include "filedialogs/DialogScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

class ProgramPanesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = kvtest::StartInProcess(app_, boxes_);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override
    {
        kvtest::StopInProcess(app_);
    }
    static CRect WindowRect(CWnd* wnd)
    {
        CRect rect;
        wnd->GetWindowRect(&rect);
        return rect;
    }
    CNyMultiTrackView* FileNew()
    {
        frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
        CMDIChildWnd* child = frame_->MDIGetActive();
        return child ? dynamic_cast<CNyMultiTrackView*>(child->GetActiveView()) : nullptr;
    }

    SettingsTestRoot root_;
    CNyApp app_;
    CMainFrame* frame_ = nullptr;
    std::vector<std::string> boxes_;
};

TEST_F(ProgramPanesTest, FirstStartPlacesTheRealPanesAtTheirMinimumSizeEachInAPlaceOfItsOwn)
{
    struct Spot {
        PaneKind kind;
        bool visible;
    };
    const Spot spots[] = {
        {PaneKind::Controller, true},
        {PaneKind::MarkerList, false},
        {PaneKind::Selection, true},
        {PaneKind::Mixer, true},
    };
    const CRect main = WindowRect(frame_);
    CRect client;
    ::GetWindowRect(frame_->m_hWndMDIClient, &client);
    std::vector<CRect> placed;
    for (const Spot& spot : spots) {
        SCOPED_TRACE(GetPaneInfo(spot.kind).valueName);
        ASSERT_NE(frame_->HeldPane(spot.kind), nullptr) << "made at start-up";
        CNyMiniFrame* pane = frame_->PaneFrame(spot.kind);
        ASSERT_NE(pane, nullptr);
        SIZE minimum, maximum;
        pane->GetSizeLimits(&minimum, &maximum);
        const CRect rect = WindowRect(pane);
        EXPECT_GE(rect.top, client.top) << "clear of the tool bar";
        for (const CRect& other : placed) {
            CRect meet;
            EXPECT_FALSE(meet.IntersectRect(rect, other));
        }
        placed.push_back(rect);
        EXPECT_EQ(rect.Size(), CSize(minimum));
        EXPECT_EQ(pane->IsWindowVisible() != FALSE, spot.visible);
    }
    // The getters give the real classes, and those know each other.
    CNyControlView* controller = frame_->GetControllerPane();
    CMixerView* mixer = frame_->GetMixerPane();
    ASSERT_NE(controller, nullptr);
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(static_cast<CWnd*>(controller), frame_->HeldPane(PaneKind::Controller));
    EXPECT_EQ(mixer->GetController(), controller);
    EXPECT_NE(frame_->GetSelectionPane(), nullptr);
    EXPECT_NE(frame_->GetMarkerListPane(), nullptr);
    LONG state = 0;
    EXPECT_EQ(S_OK, controller->GetEngineState(&state)) << "the controller holds the engine's transport";
    EXPECT_FALSE(frame_->IsEngineRunning());

    // A second request gives the same window where the user left it.
    CNyMiniFrame* selection = frame_->PaneFrame(PaneKind::Selection);
    selection->SetWindowPos(nullptr, main.left + 420, main.top + 330, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const CRect moved = WindowRect(selection);
    CWnd* before = frame_->HeldPane(PaneKind::Selection);
    EXPECT_EQ(static_cast<CWnd*>(frame_->GetSelectionPane()), before);
    EXPECT_EQ(WindowRect(selection), moved);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// Owned panes belong above their owner; a pane that took the activation while being arranged
// was left behind the main window once that window was activated again.
TEST_F(ProgramPanesTest, ArrangedPanesStayAboveTheMainWindowWhichKeepsTheActivation)
{
    const auto above = [](HWND upper, HWND lower) {
        for (HWND w = ::GetWindow(upper, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT))
            if (w == lower)
                return true;
        return false;
    };
    const auto expectPanesAbove = [&](const char* when) {
        SCOPED_TRACE(when);
        for (PaneKind kind : {PaneKind::Controller, PaneKind::Selection, PaneKind::Mixer}) {
            SCOPED_TRACE(GetPaneInfo(kind).valueName);
            CNyMiniFrame* pane = frame_->PaneFrame(kind);
            ASSERT_NE(pane, nullptr);
            EXPECT_TRUE(pane->IsWindowVisible());
            EXPECT_TRUE(above(pane->m_hWnd, frame_->m_hWnd));
        }
    };
    EXPECT_EQ(::GetActiveWindow(), frame_->m_hWnd);
    expectPanesAbove("after start-up");
    frame_->ArrangeFloatingPanes(-1);
    EXPECT_EQ(::GetActiveWindow(), frame_->m_hWnd) << "arranging leaves the activation where it was";
    expectPanesAbove("after Arrange");
    ::SetForegroundWindow(frame_->m_hWnd);
    expectPanesAbove("after the main window is activated");
    // The idle tick that puts them back where Wine's desktop lifted the main window over them
    // leaves a right order and the activation alone.
    frame_->SendMessage(WM_TIMER, CMainFrame::kIdleTimerId);
    EXPECT_EQ(::GetActiveWindow(), frame_->m_hWnd);
    expectPanesAbove("after an idle tick");
}

// Panes are built hidden; a pane whose view or dialog took the focus then activated its hidden
// frame, and the main window that took the activation back was left above its own panes.
class ProgramStartActivationTest : public ProgramPanesTest {
protected:
    void SetUp() override
    {
        hook_ = ::SetWindowsHookExA(WH_CALLWNDPROC, Record, nullptr, ::GetCurrentThreadId());
        ProgramPanesTest::SetUp();
        ::UnhookWindowsHookEx(hook_);
    }
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        const bool activated = (message->message == WM_ACTIVATE && LOWORD(message->wParam) != WA_INACTIVE) ||
                               message->message == WM_SETFOCUS;
        const HWND root = ::GetAncestor(message->hwnd, GA_ROOT);
        if (code == HC_ACTION && activated && !::IsWindowVisible(root))
            hiddenActivations_.push_back(root);
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_ = nullptr;
    static std::vector<HWND> hiddenActivations_;
};
std::vector<HWND> ProgramStartActivationTest::hiddenActivations_;

TEST_F(ProgramStartActivationTest, NoHiddenPaneIsActivatedOrFocusedWhileThePanesAreBuilt)
{
    for (PaneKind kind : {PaneKind::Controller, PaneKind::Selection, PaneKind::MarkerList, PaneKind::Mixer}) {
        SCOPED_TRACE(GetPaneInfo(kind).valueName);
        CNyMiniFrame* pane = frame_->PaneFrame(kind);
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(std::count(hiddenActivations_.begin(), hiddenActivations_.end(), pane->m_hWnd), 0);
    }
    EXPECT_EQ(::GetActiveWindow(), frame_->m_hWnd);
}

TEST_F(ProgramPanesTest, TheActiveViewDrivesEveryPaneAndLetsGoWhenItCloses)
{
    CNyMultiTrackView* first = FileNew();
    ASSERT_NE(first, nullptr);
    CNyControlView* controller = frame_->GetControllerPane();
    CMixerView* mixer = frame_->GetMixerPane();
    CSelectionControlDlg* selection = frame_->GetSelectionPane();
    CMarkerListDlg* markers = frame_->GetMarkerListPane();
    ASSERT_TRUE(controller && mixer && selection && markers);
    for (ControllerViewLink* bound :
         {controller->GetActiveView(), mixer->GetView(), selection->GetView(), markers->GetView()})
        EXPECT_EQ(bound, first->GetPaneLink());
    EXPECT_EQ(mixer->GetDocument(), first->GetMultiTrackDoc());
    // The frame's per-view switches find the panes bound to the view.
    frame_->EnableControllerPanesForView(first, TRUE);
    EXPECT_FALSE(controller->IsWindowEnabled());
    frame_->EnableControllerPanesForView(first, FALSE);
    EXPECT_TRUE(controller->IsWindowEnabled());

    CNyMultiTrackView* second = FileNew();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    EXPECT_EQ(controller->GetActiveView(), second->GetPaneLink());
    EXPECT_EQ(mixer->GetView(), second->GetPaneLink());
    EXPECT_EQ(selection->GetView(), second->GetPaneLink());
    EXPECT_EQ(markers->GetView(), second->GetPaneLink());

    // Its transport state lives in the view the controller works for.
    second->TransportFlags() = 0;
    controller->ToggleLoop();
    EXPECT_NE(second->TransportFlags() & kTransportLoop, 0u);
    EXPECT_TRUE(controller->IsLooping());
    controller->ToggleLoop();

    // Closing the second document leaves no pane pointing at its view.
    const ControllerViewLink* gone = second->GetPaneLink();
    frame_->MDIGetActive()->SendMessage(WM_CLOSE);
    for (ControllerViewLink* bound :
         {controller->GetActiveView(), mixer->GetView(), selection->GetView(), markers->GetView()})
        EXPECT_NE(bound, gone) << "a pane kept the closed view";
}

// Closed with a document and every pane shown, the program takes each pane down once: the dialog
// panes go with their windows, and the main frame's end does not delete them a second time.
TEST_F(ProgramPanesTest, AProgramClosedWithEveryPaneShownEndsEachPaneOnceWithoutAFault)
{
    ASSERT_NE(FileNew(), nullptr);
    std::vector<HWND> panes;
    for (CWnd* pane : std::initializer_list<CWnd*>{frame_->GetControllerPane(), frame_->GetMixerPane(),
                                                   frame_->GetSelectionPane(), frame_->GetMarkerListPane()}) {
        ASSERT_NE(pane, nullptr);
        ::ShowWindow(::GetParent(pane->m_hWnd), SW_SHOWNOACTIVATE);
        panes.push_back(pane->m_hWnd);
    }
    const HWND main = frame_->m_hWnd;
    kvtest::AccessFaultCounter faults;
    frame_->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(main));
    for (HWND pane : panes)
        EXPECT_FALSE(::IsWindow(pane));
    EXPECT_EQ(faults.Seen(), 0) << "the close ran into a freed object";
}

// The mixer at its narrowest shows a whole track strip, its "-inf." level text included: the
// strip's pixels above the scroll bar are those it shows with room to spare.
TEST_F(ProgramPanesTest, TheMixerAtItsMinimumWidthShowsAWholeTrackStrip)
{
    ASSERT_NE(FileNew(), nullptr);
    CMixerView* mixer = frame_->GetMixerPane();
    CNyMiniFrame* pane = frame_->PaneFrame(PaneKind::Mixer);
    ASSERT_TRUE(mixer && pane);
    ASSERT_GE(mixer->GetTrackStripCount(), 1);
    SIZE minimum, maximum;
    pane->GetSizeLimits(&minimum, &maximum);
    const auto stripPixels = [&](int width) {
        pane->SetWindowPos(nullptr, 0, 0, width, minimum.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::RedrawWindow(mixer->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        CTrackStrip* strip = mixer->GetTrackStrip(0);
        CRect rect(strip->GetOrigin(), strip->GetSize());
        // The strip scroll bar lies over the strips' foot and is as wide as the room it has.
        RECT bar{};
        ::GetWindowRect(::GetDlgItem(mixer->m_hWnd, 100), &bar);
        ::MapWindowPoints(nullptr, mixer->m_hWnd, reinterpret_cast<POINT*>(&bar), 2);
        rect.bottom = std::min<LONG>(rect.bottom, bar.top);
        CRect client;
        mixer->GetClientRect(&client);
        EXPECT_LE(rect.right, client.right) << "at width " << width;
        std::vector<COLORREF> pixels;
        HDC dc = ::GetDC(mixer->m_hWnd);
        for (int y = rect.top; y < rect.bottom; y += 2)
            for (int x = rect.left; x < rect.right; ++x)
                pixels.push_back(::GetPixel(dc, x, y));
        ::ReleaseDC(mixer->m_hWnd, dc);
        return pixels;
    };
    const std::vector<COLORREF> narrow = stripPixels(minimum.cx);
    EXPECT_EQ(WindowRect(pane).Width(), minimum.cx);
    const std::vector<COLORREF> wide = stripPixels(minimum.cx + 200);
    ASSERT_EQ(narrow.size(), wide.size());
    size_t differing = 0;
    for (size_t i = 0; i < narrow.size(); ++i)
        differing += narrow[i] != wide[i];
    EXPECT_EQ(differing, 0u) << "pixels of the strip covered at the minimum width";
}

} // namespace

namespace {

// The menu item's text, or empty when the menu has no such item.
std::string ItemText(HMENU menu, UINT id)
{
    char text[256] = "";
    return ::GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND) > 0 ? text : "";
}

TEST_F(ProgramPanesTest, TheDocumentsMenuOffersOpenTheRecentFilesAndAbout)
{
    kvtest::ScratchFolder scratch;
    const std::string path = scratch.File("recent take.wav");
    ASSERT_TRUE(kvtest::WriteWav16(path, 1, 22050, std::vector<int16_t>(100, 0)));
    ASSERT_NE(app_.OpenDocumentFile(path.c_str()), nullptr);
    ASSERT_NE(frame_->MDIGetActive(), nullptr);
    HMENU menu = ::GetMenu(frame_->m_hWnd);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ItemText(menu, ID_FILE_OPEN), "&Open...\bCtrl+O");
    EXPECT_FALSE(ItemText(menu, ID_APP_ABOUT).empty());
    // The File popup lists the file just opened when it opens.
    HMENU file = ::GetSubMenu(menu, 0);
    frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    const std::string recent = ItemText(file, ID_FILE_MRU_FILE1);
    EXPECT_NE(recent.find("recent take.wav"), std::string::npos) << recent;
    EXPECT_EQ(::GetMenuState(file, ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

} // namespace

namespace {

// A worker's 0x40A records reach the application's progress dialog through the main frame.
TEST_F(ProgramPanesTest, AWorkersProgressRecordsReachTheApplicationsDialog)
{
    CProgressDlg* dialog = app_.GetProgressDialog();
    ASSERT_NE(dialog, nullptr);
    ProgressRecord record{};
    std::strcpy(record.text, "Resampling...");
    frame_->SendMessage(0x40A, kProgressStarted, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(dialog->OpenCount(), 1);
    record.value = 40;
    frame_->SendMessage(0x40A, 2, reinterpret_cast<LPARAM>(&record));
    record.closeValue = 7;
    frame_->SendMessage(0x40A, 4, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(dialog->OpenCount(), 0);
    EXPECT_TRUE(dialog->IsDone());
    EXPECT_EQ(dialog->FinishCode(), 4);
    EXPECT_EQ(dialog->FinalValue(), 7);
}

} // namespace

namespace {

// The document's marker commands and Undo keep the marker list pane in step.
TEST_F(ProgramPanesTest, MarkerCommandsAndUndoRefreshTheMarkerListAndSelectTheNewEntry)
{
    CNyMultiTrackView* view = FileNew();
    ASSERT_NE(view, nullptr);
    CMarkerListDlg* markers = frame_->GetMarkerListPane();
    ASSERT_NE(markers, nullptr);
    CSelectionModel* selection = view->GetMultiTrackDoc()->GetSelection();
    // A hidden list does not fill itself; the View menu's switch shows and fills it.
    frame_->SendMessage(WM_COMMAND, ID_VIEW_MARKER_LIST, 0);
    ASSERT_TRUE(frame_->PaneFrame(PaneKind::MarkerList)->IsWindowVisible());
    const int before = markers->GetRowCount();
    for (int64_t at : {0, 1000}) {
        selection->SetSelection(at, at, TRUE);
        view->SendMessage(WM_COMMAND, 1033, 0); // New Cue Point
    }
    EXPECT_EQ(markers->GetRowCount(), before + 2);
    EXPECT_EQ(markers->GetSelectedItem(), before + 1) << "the new cue is the selected entry";
    frame_->SendMessage(WM_COMMAND, ID_EDIT_UNDO, 0);
    EXPECT_EQ(markers->GetRowCount(), before + 1);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// Export in the shown marker list: its button opens the system's save dialog, and the file
// named there holds the list.
TEST_F(ProgramPanesTest, TheMarkerListsExportButtonWritesTheFileNamedInTheSaveDialog)
{
    CNyMultiTrackView* view = FileNew();
    ASSERT_NE(view, nullptr);
    CMarkerListDlg* markers = frame_->GetMarkerListPane();
    ASSERT_NE(markers, nullptr);
    frame_->SendMessage(WM_COMMAND, ID_VIEW_MARKER_LIST, 0);
    CSelectionModel* selection = view->GetMultiTrackDoc()->GetSelection();
    for (int64_t at : {0, 22050}) {
        selection->SetSelection(at, at, TRUE);
        view->SendMessage(WM_COMMAND, 1033, 0); // New Cue Point
    }
    ASSERT_EQ(markers->GetRowCount(), 2);
    kvtest::ScratchFolder scratch;
    const std::string path = scratch.File("cues.csv");
    std::string offered;
    kvtest::TimerScript script([&] {
        HWND explorer = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND wnd, LPARAM lp) {
                char cls[16] = {};
                ::GetClassNameA(wnd, cls, sizeof cls);
                if (lstrcmpA(cls, "#32770") == 0 && ::IsWindowVisible(wnd) && kvtest::NameBox(wnd)) {
                    *reinterpret_cast<HWND*>(lp) = wnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&explorer));
        if (!explorer)
            return false;
        char text[MAX_PATH] = {};
        ::GetWindowTextA(kvtest::NameBox(explorer), text, sizeof text);
        offered = text;
        ::SetWindowTextA(kvtest::NameBox(explorer), path.c_str());
        ::PostMessageA(explorer, WM_COMMAND, IDOK, 0);
        return true;
    });
    HWND button = ::GetDlgItem(markers->m_hWnd, IDC_MARKER_EXPORT);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(::IsWindowEnabled(button));
    markers->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_MARKER_EXPORT, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(offered, "Sound1.csv") << "the document's name is offered";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "no file written";
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "Name,Track,Start,End,Length\r");
    EXPECT_NE(lines[2].find("CUE-0001"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("CUE-0002"), std::string::npos) << lines[3];
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

} // namespace

namespace {

// A start whose saved layout has the marker list and the video preview hidden, the list at a
// place of its own.
class ProgramSavedHiddenPanesTest : public ProgramPanesTest {
protected:
    void SetUp() override
    {
        SetSettingString(kSettingsSection, "LabelWndPos", kMarkerList);
        SetSettingString(kSettingsSection, "VideoPreviewPos", kVideoPreview);
        ProgramPanesTest::SetUp();
    }
    static constexpr const char* kMarkerList = "0:0:0:0:0:0:330:210:830:610:0";
    static constexpr const char* kVideoPreview = "0:0:0:0:0:0:40:300:440:600:0";
    // The View menu's check of the marker list.
    int MarkerListCheck()
    {
        struct Recorder : CCmdUI {
            int check = -1;
            void SetCheck(int on) override { check = on; }
        } state;
        state.m_nID = ID_VIEW_MARKER_LIST;
        frame_->OnUpdateTogglePane(&state);
        return state.check;
    }
};

// Made at their first show instead, each as it would have been made at start: where it was
// saved, bound to the active view, and filled from its document.
TEST_F(ProgramSavedHiddenPanesTest, PanesSavedHiddenAreBuiltAtTheirFirstShowAsAStartWouldHaveBuiltThem)
{
    EXPECT_EQ(frame_->HeldPane(PaneKind::MarkerList), nullptr) << "built at start";
    EXPECT_EQ(frame_->HeldPane(PaneKind::VideoPreview), nullptr) << "built at start";
    CNyMultiTrackView* view = FileNew();
    ASSERT_NE(view, nullptr);
    CSelectionModel* selection = view->GetMultiTrackDoc()->GetSelection();
    for (int64_t at : {0, 1000}) {
        selection->SetSelection(at, at, TRUE);
        view->SendMessage(WM_COMMAND, 1033, 0); // New Cue Point
    }
    EXPECT_EQ(MarkerListCheck(), 0) << "unchecked, as a hidden list is";

    frame_->SendMessage(WM_COMMAND, ID_VIEW_MARKER_LIST, 0);
    auto* markers = dynamic_cast<CMarkerListDlg*>(frame_->HeldPane(PaneKind::MarkerList));
    ASSERT_NE(markers, nullptr) << "the View menu's switch made no list";
    CNyMiniFrame* pane = frame_->PaneFrame(PaneKind::MarkerList);
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->IsWindowVisible());
    EXPECT_EQ(WindowRect(pane).TopLeft(), CPoint(330, 210));
    EXPECT_EQ(markers->GetView(), view->GetPaneLink());
    EXPECT_EQ(markers->GetRowCount(), 2);
    EXPECT_TRUE(markers->IsWindowEnabled());
    EXPECT_EQ(MarkerListCheck(), 1);
    // The switch hides and shows the same list from then on.
    frame_->SendMessage(WM_COMMAND, ID_VIEW_MARKER_LIST, 0);
    EXPECT_FALSE(pane->IsWindowVisible());
    frame_->SendMessage(WM_COMMAND, ID_VIEW_MARKER_LIST, 0);
    EXPECT_TRUE(pane->IsWindowVisible());
    EXPECT_EQ(frame_->HeldPane(PaneKind::MarkerList), static_cast<CWnd*>(markers));

    frame_->SendMessage(WM_COMMAND, ID_VIEW_VIDEO_PREVIEW, 0);
    CNyMiniFrame* preview = frame_->PaneFrame(PaneKind::VideoPreview);
    ASSERT_NE(preview, nullptr) << "the View menu's switch made no preview";
    EXPECT_TRUE(preview->IsWindowVisible());
    EXPECT_EQ(WindowRect(preview).TopLeft(), CPoint(40, 300));
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// The settings' reset of the panes moves those not built yet as well: built then, hidden as
// they were saved, next to the main window.
TEST_F(ProgramSavedHiddenPanesTest, ResettingThePanesPlacesThoseNotBuiltYetToo)
{
    app_.ArrangePanesAtDefaults();
    CRect client;
    ::GetWindowRect(frame_->m_hWndMDIClient, &client);
    for (PaneKind kind : {PaneKind::MarkerList, PaneKind::VideoPreview}) {
        SCOPED_TRACE(GetPaneInfo(kind).valueName);
        CNyMiniFrame* pane = frame_->PaneFrame(kind);
        ASSERT_NE(pane, nullptr);
        EXPECT_FALSE(pane->IsWindowVisible());
        const CRect rect = WindowRect(pane);
        EXPECT_GE(rect.top, client.top) << "arranged below the main window's bars";
        EXPECT_NE(rect.TopLeft(), kind == PaneKind::MarkerList ? CPoint(330, 210) : CPoint(40, 300))
            << "left at its saved place";
    }
}

// A pane never built keeps its saved value as it was; one built is saved where it is.
TEST_F(ProgramSavedHiddenPanesTest, AClosedProgramKeepsTheValueOfAPaneItNeverBuilt)
{
    frame_->SendMessage(WM_COMMAND, ID_VIEW_MARKER_LIST, 0);
    CNyMiniFrame* pane = frame_->PaneFrame(PaneKind::MarkerList);
    ASSERT_NE(pane, nullptr);
    pane->SetWindowPos(nullptr, 360, 240, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const CRect moved = WindowRect(pane);
    kvtest::StopInProcess(app_);
    std::string video, markers;
    GetSettingString(kSettingsSection, "VideoPreviewPos", "", &video);
    GetSettingString(kSettingsSection, "LabelWndPos", "", &markers);
    EXPECT_EQ(video, kVideoPreview);
    WINDOWPLACEMENT placement = {};
    int extra = 0;
    ASSERT_TRUE(ParsePanePlacement(markers.c_str(), &placement, &extra)) << markers;
    EXPECT_EQ(placement.showCmd, 1u);
    EXPECT_EQ(CRect(placement.rcNormalPosition), moved);
}

} // namespace

namespace {

// Undo brings the end of the selection into sight, Redo its start, after the user scrolled away.
TEST_F(ProgramPanesTest, UndoAndRedoScrollTheSelectionIntoView)
{
    kvtest::ScratchFolder scratch;
    const std::string path = scratch.File("long take.wav");
    ASSERT_TRUE(kvtest::WriteWav16(path, 1, 22050, std::vector<int16_t>(22050 * 20, 0)));
    ASSERT_NE(app_.OpenDocumentFile(path.c_str()), nullptr);
    auto* view = dynamic_cast<CNyMultiTrackView*>(frame_->MDIGetActive()->GetActiveView());
    ASSERT_NE(view, nullptr);
    for (int i = 0; i < 6; ++i)
        view->SendMessage(WM_COMMAND, IDC_VIEW_ZOOM_IN, 0);
    CSelectionModel* selection = view->GetMultiTrackDoc()->GetSelection();
    const int64_t distant = 22050 * 18;
    selection->SetSelection(distant, distant + 1000, TRUE);
    frame_->SendMessage(WM_COMMAND, ID_NEW_SECTION, 0);
    ASSERT_EQ(kvtest::UndoSteps(view->GetMultiTrackDoc()->GetHistory()), 1);
    for (UINT step : {UINT(ID_EDIT_UNDO), UINT(ID_EDIT_REDO)}) {
        view->SendMessage(WM_HSCROLL, SB_LEFT, 0);
        int64_t first = 0, last = 0;
        view->GetVisibleRange(&first, &last);
        ASSERT_LT(last, distant) << "the zoomed view shows the distant selection from the start";
        frame_->SendMessage(WM_COMMAND, step, 0);
        int64_t start = 0, end = 0;
        selection->GetSelection(&start, &end);
        const int64_t shown = step == ID_EDIT_UNDO ? end : start;
        view->GetVisibleRange(&first, &last);
        EXPECT_TRUE(first <= shown && shown <= last) << step << ": " << shown << " outside " << first << ".." << last;
    }
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

// Exit waits while a view of a document is in a fade-handle mode.
TEST_F(ProgramPanesTest, ExitIsGreyedWhileAViewEditsFadeHandles)
{
    CNyMultiTrackView* view = FileNew();
    ASSERT_NE(view, nullptr);
    HMENU file = ::GetSubMenu(::GetMenu(frame_->m_hWnd), 0);
    ASSERT_NE(file, nullptr);
    for (int mode : {1, 0}) {
        view->SetEditMode(mode);
        frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        EXPECT_EQ((::GetMenuState(file, ID_APP_EXIT, MF_BYCOMMAND) & MF_GRAYED) != 0, mode != 0) << mode;
    }
}

} // namespace

namespace {

// A selection made in the view reaches the selection control, whose unit combo reformats its
// fields; a time typed there becomes the view's selection when the field loses the focus.
TEST_F(ProgramPanesTest, TheViewsSelectionReachesTheSelectionControlAndTypedFieldsComeBack)
{
    CNyMultiTrackView* view = FileNew();
    ASSERT_NE(view, nullptr);
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    const DWORD rate = doc->GetSamplesPerSec();
    kvtest::ScratchFolder scratch;
    const std::string path = scratch.File("tone.raw");
    {
        std::vector<int16_t> tone(rate, 4000);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(tone.data()), std::streamsize(tone.size() * 2));
    }
    ComRef<IMtClip> clip;
    ASSERT_EQ(S_OK, MakeRawClip(path, 1, 16, rate, clip));
    ComRef<IMtTrack> track;
    *track.Out() = doc->GetTrack(0);
    track->AddRef();
    track->SetChannels(1);
    ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), 0, 0, 0));

    CSelectionControlDlg* pane = frame_->GetSelectionPane();
    ASSERT_NE(pane, nullptr);
    if (!pane->IsWindowVisible())
        frame_->SendMessage(WM_COMMAND, ID_VIEW_SELECTION_CONTROL, 0);
    ASSERT_TRUE(pane->IsWindowVisible());
    HWND unit = ::GetDlgItem(pane->m_hWnd, IDC_SELCTRL_UNIT);
    ::SendMessageA(unit, CB_SETCURSEL, 3, 0); // samples
    ::SendMessageA(pane->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SELCTRL_UNIT, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(unit));
    doc->GetSelection()->SetSelection(rate / 4, rate / 2, TRUE);
    auto text = [&](int id) {
        char buffer[64] = "";
        ::GetDlgItemTextA(pane->m_hWnd, id, buffer, sizeof buffer);
        return std::string(buffer);
    };
    EXPECT_EQ(std::to_string(rate / 4), text(IDC_SELCTRL_START));
    EXPECT_EQ(std::to_string(rate / 2), text(IDC_SELCTRL_END));
    EXPECT_EQ(std::to_string(rate / 4), text(IDC_SELCTRL_LENGTH));

    HWND start = ::GetDlgItem(pane->m_hWnd, IDC_SELCTRL_START);
    ::SetWindowTextA(start, "100");
    ::SendMessageA(start, EM_SETMODIFY, TRUE, 0);
    ::SendMessageA(pane->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SELCTRL_START, EN_KILLFOCUS),
                   reinterpret_cast<LPARAM>(start));
    int64_t from = 0, to = 0;
    doc->GetSelection()->GetSelection(&from, &to);
    EXPECT_EQ(100, from);
    EXPECT_EQ(int64_t(rate / 2), to);
    EXPECT_EQ(std::to_string(rate / 2 - 100), text(IDC_SELCTRL_LENGTH));
    doc->SetModifiedFlag(FALSE);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

} // namespace
