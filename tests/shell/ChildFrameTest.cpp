// Multitrack documents in child frames of the program's own main frame, driven through the
// menus as a user would, in a settings root of the test's own.
#include <gtest/gtest.h>

#include "ChildFrame.h"
#include "ErrorText.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "NyApp.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "SettingsTestRoot.h"
#include "SkinTables.h"
#include "TracksStopMessage.h"
#include "resource.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

// Counts the Sample Type commands that reach a window and keeps them there (the dialog they
// open would wait for a user); lets every other message on.
struct CommandCounter {
    static LRESULT CALLBACK Proc(HWND wnd, UINT message, WPARAM wp, LPARAM lp)
    {
        if (message == WM_COMMAND && LOWORD(wp) == ID_SAMPLE_TYPE) {
            ++count;
            return 0;
        }
        return ::CallWindowProcA(previous, wnd, message, wp, lp);
    }
    static WNDPROC previous;
    static int count;
};
WNDPROC CommandCounter::previous = nullptr;
int CommandCounter::count = 0;

class EditHost : public IInPlaceEditHost {
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

std::string Caption(CWnd* wnd)
{
    char text[256] = {};
    ::GetWindowTextA(wnd->m_hWnd, text, sizeof text);
    return text;
}

} // namespace

class ChildFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetSettingInt(kSettingsSection, "DefaultDataChannels", 2);
        SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", 48000);
        AfxSetMessageBoxHook([this](const char* text, const char* caption, UINT) {
            ++boxes_;
            texts_.push_back(text);
            captions_.push_back(caption);
            return IDNO;
        });
        ASSERT_TRUE(app_.InitInstance());
        main_ = static_cast<CMDIFrameWnd*>(app_.m_pMainWnd);
    }
    void TearDown() override
    {
        if (app_.m_pMainWnd)
            app_.m_pMainWnd->SendMessage(WM_CLOSE);
        MSG quit;
        while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        AfxSetMessageBoxHook(nullptr);
    }

    // File New as the menu gives it: the item is enabled when the menu opens, and its command
    // goes through the main frame's routing.
    CChildFrame* FileNew()
    {
        HMENU file = ::GetSubMenu(::GetMenu(main_->m_hWnd), 0);
        main_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        UINT state = ::GetMenuState(file, ID_FILE_NEW, MF_BYCOMMAND);
        EXPECT_NE(state, static_cast<UINT>(-1)) << "no New item";
        EXPECT_FALSE(state & MF_GRAYED);
        main_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
        return dynamic_cast<CChildFrame*>(main_->MDIGetActive());
    }
    static CNyMultiTrackDoc* DocOf(CFrameWnd* frame)
    {
        return dynamic_cast<CNyMultiTrackDoc*>(frame->GetActiveDocument());
    }
    std::vector<int> Parts(CChildFrame* child)
    {
        int edges[3] = {};
        int count =
            static_cast<int>(child->GetStatusBar().SendMessage(SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)));
        return std::vector<int>(edges, edges + count);
    }

    SettingsTestRoot root_;
    CNyApp app_;
    CMDIFrameWnd* main_ = nullptr;
    int boxes_ = 0;
    std::vector<std::string> texts_;
    std::vector<std::string> captions_;
};

TEST_F(ChildFrameTest, FileNewOpensAChildFrameWithOneTrackOfTheDefaultsAndClosesWithoutAsking)
{
    CChildFrame* child = FileNew();
    ASSERT_NE(child, nullptr) << "no child frame";
    CNyMultiTrackDoc* doc = DocOf(child);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTrackCount(), 1);
    EXPECT_EQ(doc->GetTrackChannels(0), 2);
    EXPECT_EQ(doc->GetSamplesPerSec(), 48000u);
    EXPECT_EQ(Caption(child), "Sound1");
    EXPECT_EQ(Parts(child).size(), 3u);
    EXPECT_EQ(::GetDlgItem(child->m_hWnd, CChildFrame::kStatusBarId), child->GetStatusBar().m_hWnd);
    EXPECT_FALSE(child->GetExStyle() & WS_EX_CLIENTEDGE);
    // While the child is active the frame shows the document's menu, with Close.
    HMENU file = ::GetSubMenu(::GetMenu(main_->m_hWnd), 0);
    EXPECT_NE(::GetMenuState(file, ID_FILE_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    HWND childWnd = child->m_hWnd;
    main_->SendMessage(WM_COMMAND, ID_FILE_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(childWnd));
    EXPECT_EQ(boxes_, 0) << "an unmodified document asked to be saved";
    EXPECT_EQ(main_->MDIGetActive(), nullptr);
}

TEST_F(ChildFrameTest, ClosingAModifiedDocumentAsksOnce)
{
    CChildFrame* child = FileNew();
    ASSERT_NE(child, nullptr);
    DocOf(child)->SetModifiedFlag(TRUE);
    main_->SendMessage(WM_COMMAND, ID_FILE_CLOSE, 0);
    EXPECT_EQ(boxes_, 1);
    EXPECT_EQ(main_->MDIGetActive(), nullptr) << "No closes without saving";
}

TEST_F(ChildFrameTest, CaptionShowsProtectionModifiedMarkAndWindowNumber)
{
    struct Case {
        BOOL readOnly;
        BOOL modified;
        int windows;
        std::vector<std::string> suffixes; // after the title, one per window
    };
    const Case cases[] = {
        {FALSE, FALSE, 1, {""}},         {TRUE, FALSE, 1, {"(Overwrite protected)"}},
        {FALSE, TRUE, 1, {" *"}},        {TRUE, TRUE, 2, {"(Overwrite protected) *:1", "(Overwrite protected) *:2"}},
        {FALSE, FALSE, 2, {":1", ":2"}},
    };
    for (const Case& c : cases) {
        CChildFrame* child = FileNew();
        ASSERT_NE(child, nullptr);
        CNyMultiTrackDoc* doc = DocOf(child);
        if (c.windows == 2)
            main_->SendMessage(WM_COMMAND, ID_WINDOW_NEW, 0);
        doc->SetReadOnly(c.readOnly);
        doc->SetModifiedFlag(c.modified);
        app_.OnIdle(0); // titles follow the document at idle time

        std::vector<std::string> captions;
        for (POSITION pos = doc->GetFirstViewPosition(); pos;)
            captions.push_back(Caption(doc->GetNextView(pos)->GetParentFrame()));
        ASSERT_EQ(captions.size(), c.suffixes.size());
        for (size_t i = 0; i < captions.size(); ++i)
            EXPECT_EQ(captions[i], std::string(doc->GetTitle()) + c.suffixes[i]);
    }
}

TEST_F(ChildFrameTest, SettingProtectionRetitlesTheFrameAtOnce)
{
    CChildFrame* child = FileNew();
    ASSERT_NE(child, nullptr);
    DocOf(child)->SetReadOnly(TRUE);
    EXPECT_EQ(Caption(child), "Sound1(Overwrite protected)");
    DocOf(child)->SetReadOnly(FALSE);
    EXPECT_EQ(Caption(child), "Sound1");
}

TEST_F(ChildFrameTest, MinimumTrackingSizeIsTwoCornerImagesWideAnd161High)
{
    CChildFrame* child = FileNew();
    ASSERT_NE(child, nullptr);
    const int corner = GetSkinImageSize(kSkinViewTopLeft).cx;
    ASSERT_GT(corner, 0) << "the skin is not loaded";
    MINMAXINFO info = {};
    child->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 2 * corner + 52);
    EXPECT_EQ(info.ptMinTrackSize.y, 161);

    // Sized smaller, the frame stops at that size.
    child->SetWindowPos(nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CRect window;
    child->GetWindowRect(&window);
    EXPECT_EQ(window.Width(), 2 * corner + 52);
    EXPECT_EQ(window.Height(), 161);
}

// Parts 1 and 2 keep 21 and 10 average character widths at the right end; part 0 takes what
// is left.
TEST_F(ChildFrameTest, StatusBarPartsAfterAResize)
{
    CChildFrame* child = FileNew();
    ASSERT_NE(child, nullptr);
    std::vector<int> fixed;
    for (int width : {700, 450, 380}) {
        SCOPED_TRACE(width);
        child->SetWindowPos(nullptr, 0, 0, width, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        CRect bar;
        child->GetStatusBar().GetClientRect(&bar);
        std::vector<int> edges = Parts(child);
        ASSERT_EQ(edges.size(), 3u);
        const int part1 = edges[1] - edges[0];
        const int part2 = edges[2] - edges[1];
        EXPECT_GT(part2, 0);
        EXPECT_EQ(part1 * 10, part2 * 21);
        if (fixed.empty())
            fixed = {part1, part2};
        EXPECT_EQ(part1, fixed[0]);
        EXPECT_EQ(part2, fixed[1]);
        EXPECT_EQ(edges[2], bar.Width());
        EXPECT_GT(edges[0], 0);
    }
}

TEST_F(ChildFrameTest, DoubleClickOnPartOneOfTheStatusBarRunsSampleType)
{
    CChildFrame* child = FileNew();
    ASSERT_NE(child, nullptr);
    child->SetWindowPos(nullptr, 0, 0, 700, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CommandCounter::count = 0;
    CommandCounter::previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(child->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CommandCounter::Proc)));

    struct Case {
        int part;
        UINT message;
        BOOL handled;
        int commands;
    };
    const Case cases[] = {
        {0, WM_LBUTTONDBLCLK, FALSE, 0},
        {1, WM_LBUTTONDBLCLK, TRUE, 1},
        {2, WM_LBUTTONDBLCLK, FALSE, 0},
        {1, WM_LBUTTONDOWN, FALSE, 0},
    };
    CStatusBar& bar = child->GetStatusBar();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        CRect part;
        ASSERT_TRUE(bar.SendMessage(SB_GETRECT, static_cast<WPARAM>(c.part), reinterpret_cast<LPARAM>(&part)));
        POINT point = {(part.left + part.right) / 2, (part.top + part.bottom) / 2};
        MSG msg = {};
        msg.hwnd = bar.m_hWnd;
        msg.message = c.message;
        msg.lParam = MAKELPARAM(point.x, point.y);
        bar.ClientToScreen(&point);
        msg.pt = point;
        CommandCounter::count = 0;
        EXPECT_EQ(child->PreTranslateMessage(&msg), c.handled);
        EXPECT_EQ(CommandCounter::count, c.commands);
    }
    ::SetWindowLongPtrA(child->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CommandCounter::previous));
}

TEST_F(ChildFrameTest, ClickOnTheFrameEndsAnOpenInPlaceEdit)
{
    int controlId = -1;
    EXPECT_FALSE(app_.IsInPlaceEditActive(&controlId));
    EXPECT_EQ(controlId, 0);
    EXPECT_EQ(GetInPlaceEditHost(), static_cast<IInPlaceEditHost*>(&app_));

    CChildFrame* child = FileNew();
    ASSERT_NE(child, nullptr);
    EditHost host;
    SetInPlaceEditHost(&host);
    for (bool open : {false, true}) {
        host.open = open;
        host.ended = 0;
        child->SendMessage(WM_NCLBUTTONDOWN, HTNOWHERE, 0);
        EXPECT_EQ(host.ended, open ? 1 : 0);
    }
    SetInPlaceEditHost(&app_);
}

TEST_F(ChildFrameTest, StartRegistersTheTracksStopMessage)
{
    EXPECT_NE(TracksStopMessage(), 0u);
    EXPECT_EQ(TracksStopMessage(), ::RegisterWindowMessageA("NyTracksStop"));
}

TEST_F(ChildFrameTest, ExitLetsTheEngineGoOnlyAfterEveryDocument)
{
    ASSERT_NE(FileNew(), nullptr);
    ASSERT_NE(FileNew(), nullptr);
    EXPECT_TRUE(MtEngine::IsLoaded());
    app_.ExitInstance();
    POSITION pos = app_.GetFirstDocTemplatePosition();
    EXPECT_EQ(app_.GetNextDocTemplate(pos)->GetDocumentCount(), 0);
    EXPECT_FALSE(MtEngine::IsLoaded());
}

// The error box the document's failures end in: the code's text after an optional prefix, a
// full set of tracks under "Warning", nothing for a cancel.
TEST_F(ChildFrameTest, ErrorBoxTextAndCaption)
{
    struct Case {
        HRESULT code;
        const char* caption;
        const char* prefix;
        bool shown;
        std::string text; // "%" stands for the code's text
        std::string shownCaption;
    };
    const Case cases[] = {
        {kKvErrorFailed, nullptr, nullptr, true, "% ", app_.m_pszAppName},
        {kKvErrorFailed, "Open", "Track 2", true, "Track 2\n\r% ", "Open"},
        {kDocErrNoMoreTracks, nullptr, nullptr, true, "%", "Warning"},
        {kDocErrNoMoreTracks, "Save As", nullptr, true, "%", "Save As"},
        {kKvErrorCancelled, nullptr, nullptr, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        texts_.clear();
        captions_.clear();
        const int result = app_.ShowErrorBox(c.code, c.caption, c.prefix, MB_ICONEXCLAMATION);
        ASSERT_EQ(texts_.size(), c.shown ? 1u : 0u);
        EXPECT_EQ(result, c.shown ? IDNO : 0);
        if (!c.shown)
            continue;
        ErrorText lookup(GetResourceModule());
        std::string expected = c.text;
        expected.replace(expected.find('%'), 1, lookup.GetText(c.code));
        EXPECT_EQ(texts_[0], expected);
        EXPECT_EQ(captions_[0], c.shownCaption);
    }
}
