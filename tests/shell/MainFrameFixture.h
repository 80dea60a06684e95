// The program's application object with a main frame whose pane classes are stand-ins: plain
// mini frames holding a plain view or window, and a controller whose transport state the test
// sets. Everything else (placement, close rules, drops, commands, menus) is the frame's own.
// Message boxes are answered from a list (IDNO when it runs out) and recorded.
#pragma once
#include "MainFrame.h"
#include "NyApp.h"
#include "NyMiniFrame.h"
#include "SettingsTestRoot.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kvtest {

class StandInView : public CView {
public:
    void OnDraw(CDC*) override {}
};

// A frame whose pane classes are stand-ins.
class StandInMainFrame : public CMainFrame {
public:
    int transportState = 0;
    HRESULT transportResult = S_OK;
    BOOL recording = FALSE;
    BOOL paused = FALSE;
    BOOL playing = FALSE;
    CView* boundView = nullptr; // the view every pane is bound to
    // Replaces the stand-in client of a pane when set.
    std::function<CWnd*(PaneKind, CNyMiniFrame*)> clientFactory;
    int frameCreations = 0;
    static CWnd* CreateViewClientForTest(CView* view, CNyMiniFrame* frame)
    {
        return CreateViewClient(view, frame, 0x50010000);
    }

protected:
    CNyMiniFrame* CreatePaneFrame(PaneKind kind) override;
    CWnd* CreatePaneClient(PaneKind kind, CNyMiniFrame* frame) override;
    HRESULT ControllerTransportState(CWnd*, int* state) override
    {
        *state = transportState;
        return transportResult;
    }
    BOOL ControllerIsRecording(CWnd*) override { return recording; }
    BOOL ControllerIsPaused(CWnd*) override { return paused; }
    BOOL ControllerIsPlaying(CWnd*) override { return playing; }
    CView* PaneBoundView(PaneKind, CWnd*) override { return boundView; }
};

// Opens documents as the program does, except that names in `failing` fail with a box of
// their own, and a hook may run during one open (a second drop).
class RecordingApp : public CNyApp {
public:
    std::vector<std::string> opened; // file names, in the order asked
    std::set<std::string> failing;
    std::function<void()> duringOpen;
    CDocument* OpenDocumentFile(const char* path) override;
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // File New through the frame's routing; the new child frame.
    CMDIChildWnd* FileNew();
    int DocumentCount();
    static void SetShift(bool down);
    std::string Setting(const char* name);
    CRect WindowRect(CWnd* wnd);

    SettingsTestRoot root_;
    RecordingApp app_;
    StandInMainFrame* frame_ = nullptr;
    std::deque<int> answers_;
    std::vector<std::string> boxes_;
};

} // namespace kvtest
