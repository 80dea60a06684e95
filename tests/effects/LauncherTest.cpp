// The effect launcher in the program's main frame (headless): shown by its command, told of the
// active multitrack view, its buttons pressed with the mouse and driven by keys as a user does.
#include "EffectPaletteView.h"
#include "HistorySteps.h"
#include "MainFrameIds.h"
#include "ProgramFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

class LauncherTest : public fxtest::ProgramTest {
protected:
    // The launcher the program made at its start, shown by its command.
    CEffectPaletteView* ShowLauncher()
    {
        auto* launcher = dynamic_cast<CEffectPaletteView*>(main_->HeldPane(PaneKind::EffectLauncher));
        if (launcher && !::IsWindowVisible(::GetParent(launcher->m_hWnd)))
            main_->SendMessage(WM_COMMAND, ID_VIEW_EFFECT_LAUNCHER, 0);
        Pump();
        return launcher;
    }
    void NewFilledDocument()
    {
        ProgramTest::NewFilledDocument();
        Refresh();
    }
    void SelectTrack()
    {
        doc_->GetSelection()->SetTrackSelected(0, TRUE);
        Refresh();
    }
    // What the launcher's own refresh does a moment after the selection changed.
    void Refresh()
    {
        if (auto* launcher = dynamic_cast<CEffectPaletteView*>(main_->HeldPane(PaneKind::EffectLauncher)))
            launcher->SendMessage(WM_TIMER, CEffectPaletteView::kRefreshTimer, 0);
    }
    static int IndexOf(int tab, UINT command)
    {
        const auto& rows = CEffectPaletteView::Rows(tab);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].command == command)
                return static_cast<int>(i);
        return -1;
    }
    // A press and a release as the mouse gives them, on a button or at a point.
    static void Press(CEffectPaletteView* palette, POINT down, POINT up)
    {
        palette->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
        palette->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(up.x, up.y));
        palette->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    }
    static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    static void Key(CEffectPaletteView* palette, UINT key)
    {
        palette->SendMessage(WM_KEYDOWN, key, 1);
        palette->SendMessage(WM_KEYUP, key, 0xC0000001);
    }
};

TEST_F(LauncherTest, ItsButtonsFollowTheActiveViewsDocument)
{
    CEffectPaletteView* palette = ShowLauncher();
    ASSERT_NE(nullptr, palette);
    EXPECT_EQ(palette, main_->GetEffectLauncherPane());
    EXPECT_TRUE(::IsWindowVisible(::GetParent(palette->m_hWnd)));
    EXPECT_EQ(29u, palette->ButtonCount(0));
    EXPECT_EQ(5u, palette->ButtonCount(1));
    for (size_t i = 0; i < palette->ButtonCount(0); ++i)
        EXPECT_FALSE(palette->IsButtonEnabled(0, i)) << "no view: button " << i;
    Press(palette, Centre(palette->ButtonRect(0, 0)), Centre(palette->ButtonRect(0, 0)));
    EXPECT_TRUE(boxes_.empty());

    NewFilledDocument();
    EXPECT_EQ(view_, palette->GetActiveView());
    // As the menu rules them: Gain, Sample Type, the generators and the channel commands on a
    // selected track.
    const struct {
        int tab;
        UINT command;
        bool enabled;
    } expected[] = {{0, 2000, true}, {0, 2003, true}, {0, 2012, true}, {0, 2018, true},
                    {0, 2019, true}, {1, 1122, true}, {1, 1126, true}};
    for (const auto& e : expected)
        EXPECT_EQ(e.enabled, palette->IsButtonEnabled(e.tab, static_cast<size_t>(IndexOf(e.tab, e.command))))
            << e.command;
    EXPECT_EQ(20u, palette->ToolCount()) << "one tip for each button wholly shown";

    doc_->GetSelection()->SetTrackSelected(-1, FALSE);
    Refresh();
    EXPECT_FALSE(palette->IsButtonEnabled(0, static_cast<size_t>(IndexOf(0, 2000)))) << "nothing selected";

    main_->SendMessage(WM_COMMAND, ID_VIEW_EFFECT_LAUNCHER, 0);
    EXPECT_FALSE(::IsWindowVisible(::GetParent(palette->m_hWnd))) << "the command hides it again";
}

TEST_F(LauncherTest, AClickOnAButtonActsAsItsMenuItem)
{
    CEffectPaletteView* palette = ShowLauncher();
    ASSERT_NE(nullptr, palette);
    NewFilledDocument();
    const RECT reverse = palette->ButtonRect(0, static_cast<size_t>(IndexOf(0, 2003)));
    const RECT mute = palette->ButtonRect(0, static_cast<size_t>(IndexOf(0, 2005)));
    Press(palette, Centre(reverse), POINT{reverse.right + 30, reverse.bottom + 30});
    EXPECT_EQ(0, kvtest::UndoSteps(doc_->GetHistory())) << "released outside: nothing runs";
    Press(palette, Centre(reverse), Centre(reverse));
    EXPECT_EQ(std::vector<std::string>{"Effect"}, kvtest::UndoNames(doc_->GetHistory()));
    // The effect leaves its result's span selected and no track: the track is chosen again.
    EXPECT_FALSE(palette->IsButtonEnabled(0, static_cast<size_t>(IndexOf(0, 2005))));
    SelectTrack();
    Press(palette, Centre(mute), Centre(mute));
    EXPECT_EQ(2, kvtest::UndoSteps(doc_->GetHistory()));
    LONG value = 1;
    doc_->GetTrack(0)->ReadSample(0, 1000, &value);
    EXPECT_EQ(0, value) << "muted";
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(LauncherTest, KeysMoveTheFocusScrollSwitchTabsAndSendTheFocusButton)
{
    CEffectPaletteView* palette = ShowLauncher();
    ASSERT_NE(nullptr, palette);
    NewFilledDocument();
    palette->SetFocus();
    for (int i = 0; i < 3; ++i)
        Key(palette, VK_RIGHT);
    EXPECT_EQ(3, palette->FocusIndex());
    Key(palette, VK_RETURN); // Reverse
    EXPECT_EQ(std::vector<std::string>{"Effect"}, kvtest::UndoNames(doc_->GetHistory()));
    Key(palette, VK_DOWN);
    EXPECT_EQ(7, palette->FocusIndex());
    EXPECT_EQ(3, palette->ScrollMaximum()) << "eight lines, five shown";
    Key(palette, VK_END);
    EXPECT_EQ(28, palette->FocusIndex());
    EXPECT_EQ(3, palette->FirstVisibleLine());
    Key(palette, VK_PRIOR);
    EXPECT_EQ(12, palette->FocusIndex()) << "the top visible line, same column";
    Key(palette, VK_HOME);
    EXPECT_EQ(0, palette->FocusIndex());
    EXPECT_EQ(0, palette->FirstVisibleLine());
    Key(palette, VK_NEXT);
    EXPECT_EQ(16, palette->FocusIndex()) << "the fifth visible line";
    Key(palette, VK_LEFT);
    Key(palette, VK_UP);
    EXPECT_EQ(11, palette->FocusIndex());
    Key(palette, VK_TAB);
    EXPECT_EQ(1, palette->CurrentTab());
    EXPECT_EQ(0, palette->ScrollMaximum()) << "five buttons: two lines, no scrolling";
    EXPECT_EQ(5u, palette->ToolCount());
    Key(palette, VK_TAB);
    EXPECT_EQ(0, palette->CurrentTab());

    // Fade In/Out from the launcher enters the view's edit mode; Escape there ends it.
    SelectTrack();
    const RECT fade = palette->ButtonRect(0, static_cast<size_t>(IndexOf(0, 2012)));
    Press(palette, Centre(fade), Centre(fade));
    EXPECT_EQ(2012, doc_->GetEditMode());
    Key(palette, VK_ESCAPE);
    EXPECT_EQ(0, doc_->GetEditMode());
}

TEST_F(LauncherTest, AButtonWhosePictureIsMissingShowsTheFirstOfItsTab)
{
    kvtest::ScratchFolder images;
    for (const char* name : {"el_d_level", "el_d_reverse", "el_c_monostereo"})
        std::ofstream(images.File(std::string(name) + ".png")) << "x";
    EXPECT_EQ(images.File("el_d_reverse"), CEffectPaletteView::ImagePathFor(images.Path(), 0, 3));
    EXPECT_EQ(images.File("el_d_level"), CEffectPaletteView::ImagePathFor(images.Path(), 0, 4));
    EXPECT_EQ(images.File("el_c_monostereo"), CEffectPaletteView::ImagePathFor(images.Path(), 1, 2));
}

} // namespace

// Not run by the suite: the launcher beside a document, then the equaliser's and the gain's
// effect dialogs over it, for a look or a screenshot under a virtual display.
//   effects_tests --gtest_also_run_disabled_tests --gtest_filter=*Showcase*   (KV_SHOW_SECONDS=6)
TEST_F(LauncherTest, DISABLED_ShowcaseLauncherAndEffectDialogs)
{
    const char* seconds = std::getenv("KV_SHOW_SECONDS");
    const DWORD each = 1000u * (seconds ? DWORD(std::atoi(seconds)) : 6u);
    main_->ShowWindow(SW_SHOW);
    main_->SetWindowPos(nullptr, 0, 0, 1000, 700, SWP_NOZORDER);
    CEffectPaletteView* palette = ShowLauncher();
    ASSERT_NE(nullptr, palette);
    NewFilledDocument();
    ::SetWindowPos(::GetParent(palette->m_hWnd), HWND_TOP, 980, 40, 0, 0, SWP_NOSIZE);
    palette->SetFocus();
    palette->SendMessage(WM_KEYDOWN, VK_RIGHT, 1);
    const auto wait = [this](DWORD ms) {
        const DWORD until = ::GetTickCount() + ms;
        while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
            Pump();
            ::Sleep(15);
        }
    };
    wait(each);
    for (UINT command : {2023u, 2000u}) {
        DWORD shownAt = 0;
        // The dialog's modal loop runs the timer; the dialog goes after the wait.
        struct Closer {
            static HWND Dialog()
            {
                HWND found = nullptr;
                ::EnumThreadWindows(
                    ::GetCurrentThreadId(),
                    [](HWND w, LPARAM p) -> BOOL {
                        if (::IsWindowVisible(w) && ::GetDlgItem(w, 5335)) {
                            *reinterpret_cast<HWND*>(p) = w;
                            return FALSE;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&found));
                return found;
            }
        };
        static DWORD s_each;
        static DWORD* s_shownAt;
        s_each = each;
        s_shownAt = &shownAt;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            HWND d = Closer::Dialog();
            if (!d)
                return;
            if (!*s_shownAt)
                *s_shownAt = ::GetTickCount();
            else if (::GetTickCount() - *s_shownAt > s_each)
                ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
        view_->SendMessage(WM_COMMAND, command, 0);
        ::KillTimer(nullptr, timer);
    }
}
