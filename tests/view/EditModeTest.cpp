// The fade and envelope handle modes in the program's main frame: the commands' rules, the
// mode's menu and tool window, check marks that follow the document, Reset, the preview's hold
// on the other commands, refused drops, and the main menu coming back, also maximized.
#include "ViewFixture.h"

#include "EditModeIds.h"
#include "EditModeRules.h"
#include "CommandIds.h"
#include "MainFrame.h"

#include <shlobj.h>

#include <cstring>

TEST(EditModeRules, CommandsNeedAModeAndOnlyPreviewStaysWhileItPlays)
{
    struct Case {
        int mode;
        bool previewing;
        int id;
        bool enabled, checked;
    };
    // The document's shape in every row: Fade Out and Sine.
    const Case cases[] = {
        {0, false, ID_HANDLE_EXECUTE, false, false},  {0, false, ID_HANDLE_PREVIEW, false, false},
        {0, false, ID_HANDLE_FADE_OUT, false, false}, {1, false, ID_HANDLE_EXECUTE, true, false},
        {1, false, ID_HANDLE_CANCEL, true, false},    {1, false, ID_HANDLE_RESET, true, false},
        {1, false, ID_HANDLE_FADE_IN, true, false},   {1, false, ID_HANDLE_FADE_OUT, true, true},
        {1, false, ID_HANDLE_SINE, true, true},       {1, false, ID_HANDLE_LINEAR, true, false},
        {1, true, ID_HANDLE_PREVIEW, true, false},    {1, true, ID_HANDLE_EXECUTE, false, false},
        {1, true, ID_HANDLE_CANCEL, false, false},    {1, true, ID_HANDLE_RESET, false, false},
        {1, true, ID_HANDLE_FADE_OUT, false, true},   {1, true, ID_HANDLE_LINEAR, false, false},
        {2, false, ID_HANDLE_EXECUTE, true, false},   {2, true, ID_HANDLE_PREVIEW, true, false},
        {2, true, ID_HANDLE_RESET, false, false},
    };
    for (const Case& c : cases) {
        EditModeState state;
        state.mode = c.mode;
        state.previewing = c.previewing;
        state.direction = ID_HANDLE_FADE_OUT;
        state.curve = ID_HANDLE_SINE;
        EditModeUi ui = EditModeCommandUi(state, c.id);
        EXPECT_EQ(c.enabled, ui.enabled) << c.mode << c.previewing << " " << c.id;
        EXPECT_EQ(c.checked, ui.checked) << c.mode << c.previewing << " " << c.id;
    }
}

namespace {

class EditModeTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(NewFilledTrack());
        doc_->GetSelection()->SetRowRange(0, -1);
        doc_->GetSelection()->SetSelection(64 * 100, 64 * 400, TRUE);
    }
    void TearDown() override
    {
        if (doc_) {
            doc_->SetPreviewPlaying(0);
            if (view_->GetEditMode() != 0)
                doc_->EndHandleEditMode(FALSE);
        }
        ViewTest::TearDown();
    }
    CMainFrame* Frame() { return static_cast<CMainFrame*>(main_); }
    HMENU Bar() { return ::GetMenu(main_->m_hWnd); }
    // The mode popup's items as the framework updates them when it opens.
    UINT ItemState(UINT id)
    {
        HMENU popup = ::GetSubMenu(Bar(), IsMaximized() ? 1 : 0);
        main_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        return ::GetMenuState(popup, id, MF_BYCOMMAND);
    }
    bool IsMaximized()
    {
        BOOL maximized = FALSE;
        Frame()->MDIGetActive(&maximized);
        return maximized != FALSE;
    }
    bool Accepts() { return (::GetWindowLongPtrA(view_->m_hWnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }
    std::vector<HandlePoint> Handles() { return doc_->GetHandleEditTrack(0)->Handles(); }
};

} // namespace

TEST_F(EditModeTest, FadeModeShowsItsMenuAndToolWindowAndTheCheckMarksFollowTheDocument)
{
    Command(ID_FADE_IN_OUT_MODE);
    ASSERT_EQ(1, view_->GetEditMode());
    EXPECT_EQ(app_.GetKeptMenu(1), Bar());
    CWnd* tool = Frame()->GetAuxWindowB();
    ASSERT_NE(nullptr, tool);
    EXPECT_TRUE(::IsWindowVisible(tool->m_hWnd));
    EXPECT_FALSE(Accepts()) << "files are refused in the mode";
    EXPECT_TRUE(ItemState(ID_HANDLE_FADE_IN) & MF_CHECKED) << "the tool window starts from Fade In, Linear";
    EXPECT_TRUE(ItemState(ID_HANDLE_LINEAR) & MF_CHECKED);

    Command(ID_HANDLE_FADE_OUT);
    Command(ID_HANDLE_SINE);
    EXPECT_TRUE(ItemState(ID_HANDLE_FADE_OUT) & MF_CHECKED);
    EXPECT_TRUE(ItemState(ID_HANDLE_SINE) & MF_CHECKED);
    EXPECT_FALSE(ItemState(ID_HANDLE_FADE_IN) & MF_CHECKED);
    EXPECT_FALSE(ItemState(ID_HANDLE_LINEAR) & MF_CHECKED);
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(tool->m_hWnd, ID_HANDLE_FADE_OUT)) << "the tool window follows";
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(tool->m_hWnd, ID_HANDLE_SINE));
    EXPECT_GT(Handles().size(), 80u) << "a sine fade";
    EXPECT_EQ(1.0f, Handles().front().gain) << "a fade out";

    // Moved handles come back to the shape of the current direction and curve.
    const std::vector<HandlePoint> shape = Handles();
    CFadeHandleEditor* editor = doc_->GetHandleEditTrack(0);
    editor->SetHandles(shape[3].position, 1.5f);
    editor->Reset(shape[7].position);
    Key('R');
    ASSERT_EQ(shape.size(), Handles().size());
    for (size_t i = 0; i < shape.size(); ++i)
        EXPECT_EQ(shape[i].gain, Handles()[i].gain) << i;

    Key(VK_ESCAPE);
    EXPECT_EQ(0, view_->GetEditMode());
    EXPECT_FALSE(::IsWindowVisible(tool->m_hWnd));
    EXPECT_TRUE(Accepts());
}

TEST_F(EditModeTest, ARunningPreviewGreysTheModesCommandsAndSpaceStopsIt)
{
    Command(ID_ENVELOPE_MODE);
    ASSERT_EQ(2, view_->GetEditMode());
    EXPECT_EQ(app_.GetKeptMenu(2), Bar());
    ASSERT_NE(nullptr, Frame()->GetAuxWindowA());
    EXPECT_TRUE(::IsWindowVisible(Frame()->GetAuxWindowA()->m_hWnd));
    // No device here: the document's flag stands for the running preview.
    doc_->SetPreviewPlaying(1);
    for (UINT id : {ID_HANDLE_EXECUTE, ID_HANDLE_CANCEL, ID_HANDLE_RESET})
        EXPECT_TRUE(ItemState(id) & MF_GRAYED) << id;
    EXPECT_FALSE(ItemState(ID_HANDLE_PREVIEW) & MF_GRAYED);
    Command(ID_HANDLE_CANCEL);
    EXPECT_EQ(2, view_->GetEditMode()) << "greyed: not carried out";

    Command(ID_TRANSPORT_PLAY); // what the Space accelerator sends
    EXPECT_FALSE(doc_->IsPreviewPlaying());
    EXPECT_FALSE(ItemState(ID_HANDLE_EXECUTE) & MF_GRAYED);
}

TEST_F(EditModeTest, AFileDroppedInAModeIsRefused)
{
    std::string path = WriteWav("drop.wav", std::vector<int16_t>(1000, 500));
    for (int command : {ID_FADE_IN_OUT_MODE, ID_ENVELOPE_MODE}) {
        Command(command);
        ASSERT_NE(0, view_->GetEditMode());
        const size_t chars = path.size() + 2;
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars);
        auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
        files->pFiles = sizeof(DROPFILES);
        std::memcpy(files + 1, path.c_str(), path.size());
        ::GlobalUnlock(memory);
        view_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
        EXPECT_EQ(0, host_.imports) << command;
        EXPECT_EQ(1, doc_->GetTrackCount());
        Command(ID_HANDLE_CANCEL);
    }
}

TEST_F(EditModeTest, LeavingPutsBackTheMainMenuWithItsMenusEnabledAlsoMaximized)
{
    for (bool maximized : {false, true}) {
        if (maximized)
            child_->MDIMaximize();
        Command(ID_FADE_IN_OUT_MODE);
        ASSERT_EQ(1, view_->GetEditMode());
        HMENU normal = app_.GetKeptMenu(0);
        for (int i = 0, n = ::GetMenuItemCount(normal); i < n; ++i)
            ::EnableMenuItem(normal, UINT(i), MF_BYPOSITION | MF_GRAYED);

        Command(ID_HANDLE_CANCEL);
        ASSERT_EQ(0, view_->GetEditMode());
        EXPECT_EQ(normal, Bar());
        EXPECT_EQ(maximized, IsMaximized());
        const UINT shift = IsMaximized() ? 1 : 0;
        for (UINT position : {1u, 3u, 4u})
            EXPECT_FALSE(::GetMenuState(Bar(), position + shift, MF_BYPOSITION) & MF_GRAYED)
                << position << " maximized " << maximized;
        for (int i = 0, n = ::GetMenuItemCount(normal); i < n; ++i)
            ::EnableMenuItem(normal, UINT(i), MF_BYPOSITION | MF_ENABLED);
    }
}

TEST_F(EditModeTest, TheEKeyExecutesTheModeAsOneStepAndOutsideAModeDoesNothing)
{
    Key('E');
    EXPECT_EQ(0, UndoSteps(doc_->GetHistory()));
    Command(ID_FADE_IN_OUT_MODE);
    ASSERT_EQ(1, view_->GetEditMode());
    Key('E');
    EXPECT_EQ(0, view_->GetEditMode());
    EXPECT_EQ(1, UndoSteps(doc_->GetHistory()));
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}

TEST_F(EditModeTest, TheToolWindowsButtonsPreviewAndCancel)
{
    Command(ID_ENVELOPE_MODE);
    CWnd* tool = Frame()->GetAuxWindowA();
    ASSERT_NE(nullptr, tool);
    auto click = [tool](int id) {
        tool->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(tool->m_hWnd, id)));
    };
    click(ID_HANDLE_PREVIEW); // no playback device on the test machines
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ(0u, boxes_[0].find("Could not open the specified playback device.")) << boxes_[0];
    EXPECT_FALSE(doc_->IsPreviewPlaying());
    click(ID_HANDLE_CANCEL);
    EXPECT_EQ(0, view_->GetEditMode());
    EXPECT_FALSE(::IsWindowVisible(tool->m_hWnd));
}
