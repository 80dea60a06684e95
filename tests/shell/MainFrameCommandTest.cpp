// What the main frame does as a window of the desktop: files dropped on it, its close
// prompts, its commands' availability (as tables of states and through the real menus), the
// recording mixer, and the private clipboard format.
#include "ClipboardCommands.h"
#include "ErrorText.h"
#include "MainFrameCommandState.h"
#include "MainFrameFixture.h"
#include "MainFrameIds.h"
#include "MultiTrackDoc.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "TestSupport.h"
#include "WavFile.h"
#include "resource.h"

#include <shlobj.h>

#include <cstring>

using namespace kvtest;

namespace {

// A drop handle as the shell makes it: DROPFILES followed by the ANSI paths.
HDROP MakeDrop(const std::vector<std::string>& paths)
{
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        bytes += path.size() + 1;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* files = static_cast<DROPFILES*>(::GlobalLock(block));
    files->pFiles = sizeof(DROPFILES);
    char* text = reinterpret_cast<char*>(files + 1);
    for (const std::string& path : paths) {
        std::memcpy(text, path.c_str(), path.size() + 1);
        text += path.size() + 1;
    }
    ::GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

bool Finished(HDROP drop)
{
    return ::GlobalSize(drop) == 0;
}

std::string ItemText(HMENU menu, UINT position)
{
    char text[128] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

} // namespace

class MainFrameDropTest : public MainFrameTest {
protected:
    std::vector<std::string> Files(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            paths.push_back(folder_.File(name));
            WriteWav16(paths.back(), 1, 44100, std::vector<int16_t>(441, 1000));
        }
        return paths;
    }
    ScratchFolder folder_;
};

TEST_F(MainFrameDropTest, DroppedFilesOpenInOrderAndOneThatFailsShowsItsTextOnly)
{
    app_.failing = {"b.wav"};
    HDROP drop = MakeDrop(Files({"a.wav", "b.wav", "c.wav"}));
    frame_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(drop));
    EXPECT_EQ(app_.opened, (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(boxes_, std::vector<std::string>{"Cannot open b.wav"});
    EXPECT_EQ(DocumentCount(), 2);
    EXPECT_TRUE(Finished(drop));
    EXPECT_FALSE(frame_->InModalState());
    EXPECT_TRUE(frame_->IsWindowEnabled());
}

// A drop that cannot be taken now is ignored, and its handle is still given back.
TEST_F(MainFrameDropTest, ADropWhileBusyIsIgnoredAndFinished)
{
    struct Case {
        const char* busy;
        int transportState;
        bool nested;
    };
    const Case cases[] = {{"playing", 2, false}, {"recording", 3, false}, {"another drop", 0, true}};
    ASSERT_NE(frame_->EnsurePane(PaneKind::Controller), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.busy);
        app_.opened.clear();
        frame_->transportState = c.transportState;
        HDROP second = MakeDrop(Files({"second.wav"}));
        HDROP first = MakeDrop(Files({"first.wav"}));
        if (c.nested)
            app_.duringOpen = [&] { frame_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(second)); };
        else
            frame_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(second));
        if (c.nested)
            frame_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(first));
        EXPECT_TRUE(Finished(second));
        EXPECT_EQ(std::count(app_.opened.begin(), app_.opened.end(), "second.wav"), 0);
        if (c.nested) {
            EXPECT_TRUE(Finished(first));
        } else {
            ::GlobalFree(first);
        }
    }
}

TEST_F(MainFrameDropTest, CloseAsksAboutEachModifiedDocumentAndCancelKeepsAllOpen)
{
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(FileNew(), nullptr);
    POSITION pos = app_.GetFirstDocTemplatePosition();
    CDocTemplate* docs = app_.GetNextDocTemplate(pos);
    int index = 0;
    for (POSITION d = docs->GetFirstDocPosition(); d; ++index)
        docs->GetNextDoc(d)->SetModifiedFlag(index != 1);

    answers_ = {IDNO, IDCANCEL};
    frame_->SendMessage(WM_CLOSE);
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(DocumentCount(), 3);
    ASSERT_TRUE(::IsWindow(frame_->m_hWnd));

    boxes_.clear();
    answers_ = {IDNO, IDNO};
    HWND wnd = frame_->m_hWnd;
    frame_->SendMessage(WM_CLOSE);
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_FALSE(::IsWindow(wnd));
    EXPECT_EQ(DocumentCount(), 0);
}

// The frame's own update handlers, asked through its routing, in states a test can set up.
TEST_F(MainFrameTest, CommandAvailabilityByState)
{
    struct Expect {
        UINT id;
        int enabled;
        int checked; // -1: the handler does not check
    };
    struct Case {
        const char* state;
        std::function<void()> setUp;
        std::vector<Expect> expects;
    };
    const Case cases[] = {
        {"no panes",
         [] {},
         {{ID_VIEW_CONTROLLER, 1, 0},
          {ID_VIEW_MIXER, 1, 0},
          {ID_VIEW_FREQUENCY_ANALYSIS, 0, -1},
          {ID_AUTO_DEMO, 0, -1},
          {ID_SETTINGS, 1, -1},
          {ID_AUDIO_DEVICE_SETTINGS, 1, -1},
          {ID_EXTRACT_CD, 1, -1},
          {ID_BURN_CD_WINDOW, 0, -1},
          {ID_BURN_CD_FILES, 1, -1}, // the drive access module lies beside the tests
          {ID_VIEW_VOLUME_ENVELOPES, 0, -1},
          {ID_OPEN_MULTICHANNEL, -1, 0}}},
        {"controller shown",
         [this] { frame_->EnsurePane(PaneKind::Controller); },
         {{ID_VIEW_CONTROLLER, 1, 1}, {ID_VIEW_SELECTION_CONTROL, 1, 0}}},
        {"controller hidden by its command",
         [this] { frame_->SendMessage(WM_COMMAND, ID_VIEW_CONTROLLER); },
         {{ID_VIEW_CONTROLLER, 1, 0}}},
        {"marker list created hidden",
         [this] { frame_->EnsurePane(PaneKind::MarkerList); },
         {{ID_VIEW_MARKER_LIST, 1, 0}}},
        {"marker list shown by its command",
         [this] { frame_->SendMessage(WM_COMMAND, ID_VIEW_MARKER_LIST); },
         {{ID_VIEW_MARKER_LIST, 1, 1}}},
        {"recording", [this] { frame_->recording = TRUE; }, {{ID_SETTINGS, 0, -1}, {ID_AUDIO_DEVICE_SETTINGS, 0, -1}}},
        {"multichannel by default",
         [] { SetSettingInt(kSettingsSection, "DefaultDocumentType", 1); },
         {{ID_OPEN_MULTICHANNEL, -1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        c.setUp();
        for (const Expect& e : c.expects) {
            SCOPED_TRACE(e.id);
            CRecordingCmdUI state(e.id);
            state.DoUpdate(frame_, FALSE);
            EXPECT_EQ(state.enabled, e.enabled);
            EXPECT_EQ(state.checked, e.checked);
        }
    }
}

TEST_F(MainFrameTest, DefaultDocumentTypeTwiceComesBack)
{
    for (int expected : {1, 0}) {
        frame_->SendMessage(WM_COMMAND, ID_OPEN_MULTICHANNEL);
        EXPECT_EQ(GetSettingInt(kSettingsSection, "DefaultDocumentType", -1), expected);
    }
}

TEST(MainFrameCommandState, BurnCdItemsAndTheirPopup)
{
    struct Case {
        const char* state;
        bool writer, document, idle;
        int64_t length;
        BOOL window, files;
        BurnCdState::Popup popup;
    };
    const Case cases[] = {
        {"no writer", false, true, true, 100, FALSE, FALSE, BurnCdState::kPopupGrey},
        {"no document", true, false, false, 0, FALSE, TRUE, BurnCdState::kPopupEnabled},
        {"busy document", true, true, false, 100, FALSE, FALSE, BurnCdState::kPopupGrey},
        {"empty document", true, true, true, 0, FALSE, TRUE, BurnCdState::kPopupEnabled},
        {"document", true, true, true, 100, TRUE, TRUE, BurnCdState::kPopupEnabled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        BurnCdState window = BurnCdItemState(ID_BURN_CD_WINDOW, c.writer, c.document, c.idle, c.length);
        BurnCdState files = BurnCdItemState(ID_BURN_CD_FILES, c.writer, c.document, c.idle, c.length);
        EXPECT_EQ(window.enabled, c.window);
        EXPECT_EQ(files.enabled, c.files);
        EXPECT_EQ(window.popup, c.popup);
    }
    EXPECT_TRUE(ExtractCdEnabled(false, false));
    EXPECT_TRUE(ExtractCdEnabled(true, true));
    EXPECT_FALSE(ExtractCdEnabled(true, false));
    EXPECT_TRUE(SettingsEnabled(FALSE, FALSE));
    EXPECT_FALSE(SettingsEnabled(TRUE, FALSE));
    EXPECT_FALSE(SettingsEnabled(FALSE, TRUE));
}

TEST(MainFrameCommandState, TransportItemsOfTheControlMenuByControllerState)
{
    struct Case {
        const char* state;
        TransportSnapshot snapshot;
        std::vector<ControlMenuItem> first;
    };
    const Case cases[] = {
        {"recording and paused",
         {true, true, true, false, false},
         {{ID_TRANSPORT_RECORD, IDS_TRANSPORT_START_RECORDING},
          {ID_TRANSPORT_PAUSE, IDS_TRANSPORT_STOP_RECORDING_SHIFT}}},
        {"recording", {true, true, false, false, false}, {{ID_TRANSPORT_RECORD, IDS_TRANSPORT_STOP_RECORDING}}},
        {"paused",
         {true, false, true, true, false},
         {{ID_TRANSPORT_PLAY, IDS_TRANSPORT_STOP_PLAYING}, {ID_TRANSPORT_PAUSE, IDS_TRANSPORT_RESUME}}},
        {"playing",
         {true, false, false, true, false},
         {{ID_TRANSPORT_PLAY, IDS_TRANSPORT_STOP_PLAYING}, {ID_TRANSPORT_PAUSE, IDS_TRANSPORT_PAUSE}}},
        {"idle with a start position",
         {true, false, false, false, true},
         {{ID_TRANSPORT_PLAY, IDS_TRANSPORT_PLAY},
          {ID_TRANSPORT_GO_TO_PLAY_START, IDS_GO_TO_PLAY_START},
          {ID_TRANSPORT_RECORD, IDS_TRANSPORT_RECORD}}},
        {"no controller",
         {false, true, true, true, false},
         {{ID_TRANSPORT_PLAY, IDS_TRANSPORT_PLAY}, {ID_TRANSPORT_RECORD, IDS_TRANSPORT_RECORD}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        std::vector<ControlMenuItem> items = ControlMenuItems(c.snapshot);
        ASSERT_EQ(items.size(), c.first.size() + 11);
        for (size_t i = 0; i < c.first.size(); ++i) {
            EXPECT_EQ(items[i].id, c.first[i].id);
            EXPECT_EQ(items[i].stringId, c.first[i].stringId);
        }
        EXPECT_EQ(items[c.first.size()].id, 0u) << "a separator follows the transport items";
        EXPECT_EQ(items.back().id, 0u) << "a separator before Recording Control";
    }
}

TEST(MainFrameCommandState, CdExtractionPercent)
{
    struct Case {
        WPARAM done;
        LPARAM total;
        UINT percent;
    };
    const Case cases[] = {
        {0, 7, 0}, {1, 3, 33}, {2, 3, 66}, {7, 7, 100}, {0x80000000u, 0x7FFFFFFF, 100}, {0xFFFFFFFFu, 0x7FFFFFFF, 200}};
    for (const Case& c : cases)
        EXPECT_EQ(CdExtractPercent(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

TEST(MainFrameCommandState, RecordingMixerProgramByRecordDevice)
{
    struct Case {
        const char* name;
        bool usb;
    };
    const Case names[] = {{"usb audio", true}, {"USB Mic", true}, {"Line In", false}, {"US", false}, {"", false}};
    for (const Case& c : names)
        EXPECT_EQ(IsUsbRecordDeviceName(c.name), c.usb) << c.name;
    EXPECT_STREQ(ChooseRecordingMixer(-1).file, "sndvol32.exe");
    EXPECT_STREQ(ChooseRecordingMixer(-1).parameters, "/r");
    EXPECT_STREQ(ChooseRecordingMixer(3).file, "sndvol32.exe");
    EXPECT_STREQ(ChooseRecordingMixer(0).parameters, "-R");
}

// One pass through the menus the user sees: each popup opened as the user would open it.
TEST_F(MainFrameTest, TheRealMenusOpenWithTheirItemsAvailableAsTheStateAllows)
{
    HMENU bar = ::GetMenu(frame_->m_hWnd);
    ASSERT_NE(bar, nullptr);
    const int popups = ::GetMenuItemCount(bar);
    // Each popup, then the popups inside it, as the user would open them.
    std::function<void(HMENU)> open = [&](HMENU menu) {
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
            if (HMENU sub = ::GetSubMenu(menu, i)) {
                frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), i);
                open(sub);
            }
    };
    open(bar);
    struct Expect {
        UINT id;
        bool grey;
    };
    const Expect expects[] = {
        {ID_FILE_NEW, false},           {ID_APP_EXIT, false},
        {ID_VIEW_CONTROLLER, false},    {ID_VIEW_MIXER, false},
        {ID_VIEW_MARKER_LIST, false},   {ID_VIEW_SELECTION_CONTROL, false},
        {ID_VIEW_VIDEO_PREVIEW, false}, {ID_VIEW_EFFECT_LAUNCHER, false},
        {ID_SETTINGS, false},           {ID_AUDIO_DEVICE_SETTINGS, false},
        {ID_EXTRACT_CD, false},         {ID_BURN_CD_WINDOW, true},
        {ID_BURN_CD_FILES, false},      {ID_RECORDING_CONTROL, false},
        {ID_HELP_CONTENTS, false},      {ID_HELP_ONLINE, false},
    };
    for (const Expect& e : expects) {
        UINT state = ::GetMenuState(bar, e.id, MF_BYCOMMAND);
        ASSERT_NE(state, static_cast<UINT>(-1)) << "no item " << e.id;
        EXPECT_EQ((state & MF_GRAYED) != 0, e.grey) << e.id;
    }
    // With the drive access module beside the tests the "&Burn CD" entry is available.
    HMENU tools = nullptr;
    for (int i = 0; i < popups && !tools; ++i)
        if (ItemText(bar, i) == "&Tools")
            tools = ::GetSubMenu(bar, i);
    ASSERT_NE(tools, nullptr);
    for (int i = 0; i < ::GetMenuItemCount(tools); ++i)
        if (ItemText(tools, i) == "&Burn CD") {
            EXPECT_FALSE(::GetMenuState(tools, i, MF_BYPOSITION) & MF_GRAYED);
        }
    // With no document open the "&Control" menu holds only Recording Control.
    HMENU control = ::GetSubMenu(bar, popups - 2);
    ASSERT_EQ(ItemText(bar, popups - 2), "&Control");
    EXPECT_EQ(::GetMenuItemCount(control), 1);
}

TEST_F(MainFrameTest, TheControlMenuOfADocumentFollowsTheController)
{
    ASSERT_NE(FileNew(), nullptr);
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    HMENU control = nullptr;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
        if (ItemText(menu, i) == "&Control")
            control = ::GetSubMenu(menu, i);
    ASSERT_NE(control, nullptr);
    struct Case {
        BOOL recording, paused, playing;
        std::vector<std::string> first;
    };
    const Case cases[] = {
        {FALSE, FALSE, FALSE, {"&Play\bSpace", "&Record\bCtrl+Space"}},
        {TRUE, TRUE, FALSE, {"&Start Recording\bCtrl+Space", "S&top Recording\bShift+Space"}},
        {FALSE, FALSE, TRUE, {"S&top Playing\bSpace", "Pau&se\bShift+Space"}},
    };
    for (const Case& c : cases) {
        frame_->recording = c.recording;
        frame_->paused = c.paused;
        frame_->playing = c.playing;
        frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(control), 3);
        SCOPED_TRACE(c.first[0]);
        ASSERT_EQ(::GetMenuItemCount(control), 14);
        EXPECT_EQ(ItemText(control, 0), c.first[0]);
        EXPECT_EQ(ItemText(control, 1), c.first[1]);
        EXPECT_EQ(ItemText(control, 13), "Recording &Control...");
        EXPECT_EQ(::GetMenuItemID(control, 3), static_cast<UINT>(ID_GO_TO_PREVIOUS_MARKER));
    }
    ::DestroyMenu(menu);
}

// This platform may have no recording mixer program: the failure shows its text and nothing else.
TEST_F(MainFrameTest, RecordingControlWithoutTheProgramShowsItsErrorText)
{
    frame_->SendMessage(WM_COMMAND, ID_RECORDING_CONTROL);
    ErrorText text(GetResourceModule());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], text.GetText(static_cast<HRESULT>(KV_E_RECORDING_MIXER)));
}

TEST_F(MainFrameTest, AnotherOwnerEmptyingTheClipboardReleasesThePendingCopies)
{
    ASSERT_NE(FileNew(), nullptr);
    auto* doc = dynamic_cast<CNyMultiTrackDoc*>(frame_->MDIGetActive()->GetActiveDocument());
    ASSERT_NE(doc, nullptr);
    doc->SetSelectionRange(0, 100, TRUE);
    doc->SetTrackSelected(0, TRUE);
    CopyCommand copy(doc);
    ASSERT_EQ(copy.Do(), S_OK);
    ASSERT_EQ(PendingCopyCount(), 1u);
    ASSERT_EQ(::GetClipboardOwner(), frame_->m_hWnd);

    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, nullptr, "other", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    ASSERT_TRUE(::OpenClipboard(other.m_hWnd));
    ::EmptyClipboard();
    ::CloseClipboard();
    EXPECT_EQ(PendingCopyCount(), 0u);
    other.DestroyWindow();
}

TEST_F(MainFrameTest, APrivateCopyLeftOnTheClipboardIsGoneWhenTheFrameStarts)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    ASSERT_TRUE(::OpenClipboard(owner.m_hWnd));
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
    ASSERT_NE(::SetClipboardData(GetCopyClipboardFormat(), block), nullptr);
    ::CloseClipboard();
    ASSERT_TRUE(::IsClipboardFormatAvailable(GetCopyClipboardFormat()));

    auto* second = new StandInMainFrame;
    ASSERT_TRUE(second->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    EXPECT_FALSE(::IsClipboardFormatAvailable(GetCopyClipboardFormat()));
    second->DestroyWindow();
    owner.DestroyWindow();
}

TEST_F(MainFrameTest, TheIdleTimerRunsExactlyWhileTheProgramIsActive)
{
    for (BOOL active : {FALSE, TRUE, FALSE, TRUE}) {
        frame_->SendMessage(WM_ACTIVATEAPP, active, 0);
        EXPECT_EQ(frame_->IsIdleTimerRunning(), active);
        EXPECT_EQ(frame_->IsApplicationActive(), active);
    }
    frame_->RestartIdleTimer();
    EXPECT_TRUE(frame_->IsIdleTimerRunning());
    frame_->SendMessage(WM_ACTIVATEAPP, FALSE, 0);
    frame_->RestartIdleTimer();
    EXPECT_FALSE(frame_->IsIdleTimerRunning()) << "a stopped timer stays stopped";
    EXPECT_TRUE(boxes_.empty());
}

namespace {
class CountingEditHost : public IInPlaceEditHost {
public:
    CWnd* GetInPlaceEdit() override { return open ? &edit : nullptr; }
    void EndInPlaceEdit() override
    {
        ++ended;
        open = false;
    }
    void RestartInPlaceEdit() override {}
    CWnd edit;
    bool open = false;
    int ended = 0;
};
} // namespace

TEST_F(MainFrameTest, AClickOnTheMainFramesBorderEndsAnOpenInPlaceEdit)
{
    CountingEditHost host;
    SetInPlaceEditHost(&host);
    for (bool open : {false, true}) {
        host.open = open;
        host.ended = 0;
        frame_->SendMessage(WM_NCLBUTTONDOWN, HTNOWHERE, 0);
        EXPECT_EQ(host.ended, open ? 1 : 0);
    }
    SetInPlaceEditHost(&app_);
}

TEST_F(MainFrameTest, PanesBoundToAViewAreDisabledWithIt)
{
    CMDIChildWnd* child = FileNew();
    ASSERT_NE(child, nullptr);
    CView* view = child->GetActiveView();
    frame_->boundView = view;
    for (PaneKind kind : {PaneKind::Controller, PaneKind::Mixer, PaneKind::Selection, PaneKind::MarkerList})
        ASSERT_NE(frame_->EnsurePane(kind), nullptr);
    auto enabled = [this](PaneKind kind) { return frame_->HeldPane(kind)->IsWindowEnabled() != FALSE; };

    frame_->EnableControllerPanesForView(view, TRUE);
    EXPECT_FALSE(enabled(PaneKind::Controller));
    EXPECT_FALSE(enabled(PaneKind::Mixer));
    EXPECT_TRUE(enabled(PaneKind::Selection));
    frame_->EnableSelectionPanesForView(view, TRUE);
    EXPECT_FALSE(enabled(PaneKind::Selection));
    EXPECT_FALSE(enabled(PaneKind::MarkerList));
    // Another view's request leaves them alone.
    frame_->EnableControllerPanesForView(nullptr, FALSE);
    EXPECT_FALSE(enabled(PaneKind::Controller));
    frame_->EnableControllerPanesForView(view, FALSE);
    frame_->EnableSelectionPanesForView(view, FALSE);
    for (PaneKind kind : {PaneKind::Controller, PaneKind::Mixer, PaneKind::Selection, PaneKind::MarkerList})
        EXPECT_TRUE(enabled(kind));
}

TEST_F(MainFrameTest, ARefreshedMenuBarIsEveryChildsMenu)
{
    ASSERT_NE(FileNew(), nullptr);
    ASSERT_NE(FileNew(), nullptr);
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    frame_->RefreshMenuBar(menu);
    EXPECT_EQ(::GetMenu(frame_->m_hWnd), menu);
    int children = 0;
    for (HWND wnd = ::GetWindow(frame_->m_hWndMDIClient, GW_CHILD); wnd; wnd = ::GetWindow(wnd, GW_HWNDNEXT))
        if (auto* child = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandlePermanent(wnd))) {
            EXPECT_EQ(child->m_hMenuShared, menu);
            ++children;
        }
    EXPECT_EQ(children, 2);
}
