// The mixer on a document of two tracks: fader drags and typed levels as undoable steps,
// Escape giving a drag up, the master fader, and the layout of its strips.
#include "MasterStrip.h"
#include "MixerView.h"
#include "NyMixerCtrlFrame.h"
#include "PaneDocFixture.h"
#include "PaneSkin.h"
#include "RecordStrip.h"
#include "SkinPaneWnd.h"
#include "TrackStrip.h"
#include "LabelEdit.h"
#include "CustomScrollBar.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>

namespace {

CPoint Below(CPoint p, int dy)
{
    return CPoint(p.x, p.y + dy);
}

class MixerViewTest : public PaneDocTest {
protected:
    void SetUp() override
    {
        PaneDocTest::SetUp();
        ASSERT_TRUE(skin_.Loaded());
        NewDocumentAt(8000);
        AddTrack(Tone(8000, 1), 1, 0);
        AddTrack(Tone(8000, 1), 1, 0);
        frame_ = CreateMixerPane(nullptr);
        ASSERT_TRUE(frame_);
        mixer_ = frame_->GetMixerView();
        link_ = std::make_unique<DocumentTransportLink>(doc_.get(), nullptr);
        mixer_->SetView(link_.get());
        frame_->ShowWindow(SW_SHOWNOACTIVATE);
        PumpMessages();
    }
    void TearDown() override
    {
        if (frame_)
            frame_->DestroyWindow();
        PaneDocTest::TearDown();
    }
    float Volume(int track)
    {
        ComRef<IMtEnvelopeSet> envelopes;
        doc_->GetTrack(track)->QueryInterface(__uuidof(IMtEnvelopeSet), envelopes.OutVoid());
        float value = -1.0f;
        envelopes->GetValue(0, &value);
        return value;
    }
    // The fader knob's centre of a track strip, in the view.
    CPoint KnobOf(CTrackStrip* strip)
    {
        CSliderElement& fader = strip->Fader();
        RECT r;
        fader.GetRect(&r);
        const POINT centre = fader.KnobCentre();
        return CPoint(r.left + fader.OffsetX() + centre.x, r.top + fader.OffsetY() + 9 + centre.y);
    }
    void Mouse(UINT message, CPoint at, WPARAM keys)
    {
        SendMessageA(mixer_->m_hWnd, message, keys, MAKELPARAM(at.x, at.y));
    }

    PaneSkin skin_;
    CNyMixerCtrlFrame* frame_ = nullptr;
    CMixerView* mixer_ = nullptr;
    std::unique_ptr<DocumentTransportLink> link_;
};

TEST_F(MixerViewTest, StripsStandSideBySide)
{
    ASSERT_EQ(2, mixer_->GetTrackStripCount());
    ASSERT_TRUE(mixer_->GetMasterStrip());
    ASSERT_TRUE(mixer_->GetRecordStrip());
    const CRect record = mixer_->GetRecordStrip()->GetRect();
    const CRect master = mixer_->GetMasterStrip()->GetRect();
    const CRect first = mixer_->GetTrackStrip(0)->GetRect();
    EXPECT_EQ(0, record.left);
    EXPECT_EQ(record.right, master.left);
    EXPECT_EQ(master.right, first.left);
    EXPECT_EQ(first.right, mixer_->GetTrackStrip(1)->GetRect().left);
    EXPECT_EQ(" 0.0", mixer_->GetTrackStrip(0)->VolumeLabel().GetText());
}

TEST_F(MixerViewTest, FaderDragIsOneVolumeStepAndEscapeGivesItUp)
{
    CTrackStrip* strip = mixer_->GetTrackStrip(1);
    const CPoint knob = KnobOf(strip);
    Mouse(WM_LBUTTONDOWN, knob, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, Below(knob, 20), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, Below(knob, 40), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, Below(knob, 40), 0);
    const float dragged = Volume(1);
    EXPECT_LT(dragged, 0.9f);
    EXPECT_FLOAT_EQ(1.0f, Volume(0));
    EXPECT_EQ(std::vector<std::string>{"Volume"}, UndoNames());
    EXPECT_EQ(strip->Fader().GetValue(), int(std::lround(dragged * 10000.0f)));

    // A second drag given up with Escape: the level at the press, and no step.
    const CPoint again = KnobOf(strip);
    Mouse(WM_LBUTTONDOWN, again, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, Below(again, -50), MK_LBUTTON);
    EXPECT_GT(Volume(1), dragged);
    SendMessageA(mixer_->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    Mouse(WM_LBUTTONUP, Below(again, -50), 0);
    EXPECT_FLOAT_EQ(dragged, Volume(1));
    EXPECT_EQ(1u, UndoNames().size());

    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_FLOAT_EQ(1.0f, Volume(1));
}

// The mixer is refreshed at every stop of playback and after every edit: with the same tracks
// it keeps its strips, so that a fader the user holds stays held and its drag is one step.
TEST_F(MixerViewTest, ARefreshWithTheSameTracksKeepsTheStripsAndTheDragInProgress)
{
    CTrackStrip* strip = mixer_->GetTrackStrip(1);
    const CPoint knob = KnobOf(strip);
    Mouse(WM_LBUTTONDOWN, knob, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, Below(knob, 20), MK_LBUTTON);
    const float halfway = Volume(1);
    ASSERT_LT(halfway, 1.0f);
    mixer_->Rebuild();
    ASSERT_EQ(strip, mixer_->GetTrackStrip(1)) << "the strips were made again";
    Mouse(WM_MOUSEMOVE, Below(knob, 40), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, Below(knob, 40), 0);
    EXPECT_LT(Volume(1), halfway) << "the drag ended at the refresh";
    EXPECT_EQ(std::vector<std::string>{"Volume"}, UndoNames());
    EXPECT_EQ(strip->Fader().GetValue(), int(std::lround(Volume(1) * 10000.0f)));
}

// What the refresh must still pick up: a new track gets its strip, a removed one takes its
// strip along, and a collapsed track's strip narrows with the ones after it moved up.
TEST_F(MixerViewTest, ARefreshAfterTheTracksChangedShowsThemAsTheyAre)
{
    AddTrack(Tone(8000, 1), 1, 0);
    mixer_->Rebuild();
    ASSERT_EQ(3, mixer_->GetTrackStripCount());
    const int wide = mixer_->GetTrackStrip(1)->GetRect().Width();

    doc_->SetTrackFlag(0, 32, TRUE); // collapsed
    mixer_->Rebuild();
    EXPECT_LT(mixer_->GetTrackStrip(0)->GetRect().Width(), wide);
    EXPECT_EQ(mixer_->GetTrackStrip(0)->GetRect().right, mixer_->GetTrackStrip(1)->GetRect().left);

    ASSERT_TRUE(doc_->DeleteTrack(2));
    mixer_->Rebuild();
    EXPECT_EQ(2, mixer_->GetTrackStripCount());
}

// The mixer hands its mouse messages to its tip, as the program's message loop delivers them:
// a pointer resting on a strip's Mute button shows the button's tip.
TEST_F(MixerViewTest, PointerRestingOnAButtonShowsItsTip)
{
    struct Search {
        HWND owner;
        HWND tip;
    } search = {frame_->m_hWnd, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            char cls[64] = {};
            GetClassNameA(wnd, cls, sizeof cls);
            if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0 && GetWindow(wnd, GW_OWNER) == s->owner)
                s->tip = wnd;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    ASSERT_TRUE(search.tip);
    SendMessageA(search.tip, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
    ASSERT_FALSE(IsWindowVisible(search.tip));

    CTrackStrip* strip = mixer_->GetTrackStrip(0);
    POINT at = strip->Part(CTrackStrip::kMute)->ScreenRect().CenterPoint();
    POINT screen = at;
    ClientToScreen(mixer_->m_hWnd, &screen);
    const DWORD until = GetTickCount() + 5000;
    while (!IsWindowVisible(search.tip) && GetTickCount() < until) {
        SetCursorPos(screen.x, screen.y);
        PostMessageA(mixer_->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        PumpMessages(20);
    }
    EXPECT_TRUE(IsWindowVisible(search.tip));
    char text[128] = {};
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageA(search.tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(mixer_->m_hWnd, tool.hwnd);
    EXPECT_STRNE("", text);
}

TEST_F(MixerViewTest, TypedLevelGoesThroughTheLabelEditor)
{
    CTrackStrip* strip = mixer_->GetTrackStrip(0);
    const CRect label = strip->VolumeLabel().ScreenRect();
    Mouse(WM_LBUTTONDOWN, label.CenterPoint(), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, label.CenterPoint(), 0);
    Mouse(WM_LBUTTONDBLCLK, label.CenterPoint(), MK_LBUTTON);
    CLabelEdit* editor = strip->VolumeLabel().GetEditor();
    ASSERT_TRUE(editor);
    editor->SetText("-6");
    SendMessageA(editor->m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_FALSE(strip->VolumeLabel().GetEditor());
    EXPECT_EQ(5011, int(std::lround(Volume(0) * 10000.0f)));
    EXPECT_EQ("-6.0", strip->VolumeLabel().GetText());
    EXPECT_EQ(std::vector<std::string>{"Volume"}, UndoNames());

    // Out of range values are clamped in the editor before they count.
    Mouse(WM_LBUTTONDBLCLK, label.CenterPoint(), MK_LBUTTON);
    editor = strip->VolumeLabel().GetEditor();
    ASSERT_TRUE(editor);
    editor->SetText("10");
    SendMessageA(editor->m_hWnd, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(15000, int(std::lround(Volume(0) * 10000.0f)));
    EXPECT_EQ(" 3.5", strip->VolumeLabel().GetText());
}

TEST_F(MixerViewTest, WheelStepsTheFocusedFader)
{
    CTrackStrip* strip = mixer_->GetTrackStrip(0);
    const CPoint knob = KnobOf(strip);
    Mouse(WM_LBUTTONDOWN, knob, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, knob, 0);
    const int before = strip->Fader().GetValue();
    CPoint screen = knob;
    ClientToScreen(mixer_->m_hWnd, &screen);
    SendMessageA(mixer_->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(before + 2 * strip->Fader().KeyStep(), strip->Fader().GetValue());
    EXPECT_EQ(strip->Fader().GetValue(), int(std::lround(Volume(0) * 10000.0f)));
}

TEST_F(MixerViewTest, MasterFaderDragIsOneMasterVolumeStep)
{
    CMasterStrip* master = mixer_->GetMasterStrip();
    CSliderElement& fader = master->Fader();
    RECT r;
    fader.GetRect(&r);
    const POINT centre = fader.KnobCentre();
    const CPoint knob(r.left + fader.OffsetX() + centre.x, r.top + fader.OffsetY() + 9 + centre.y);
    Mouse(WM_LBUTTONDOWN, knob, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, Below(knob, 60), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, Below(knob, 60), 0);
    EXPECT_LT(doc_->GetMasterVolume(), 8000);
    EXPECT_EQ(std::vector<std::string>{"Master Volume"}, UndoNames());
}

// The peak readouts of the input and master strips show every text they can take whole, in
// whatever face the system gave their font: a text wider than the 26-pixel label would lose
// its sign and its point ("-inf." read "inf").
TEST_F(MixerViewTest, PeakReadoutsShowTheirWholeText)
{
    CClientDC dc(mixer_->m_hWnd);
    for (CTextElement* label : {&mixer_->GetMasterStrip()->PeakLabel(0), &mixer_->GetMasterStrip()->PeakLabel(1),
                                &mixer_->GetRecordStrip()->PeakLabel(0), &mixer_->GetRecordStrip()->PeakLabel(1)}) {
        RECT box{};
        label->GetRect(&box);
        ASSERT_EQ(26, box.right - box.left);
        for (const char* text : {"-inf.", "-79.9", "-8.0", "0.0"}) {
            SCOPED_TRACE(text);
            label->SetText(text);
            HGDIOBJ old = ::SelectObject(dc.m_hDC, label->DrawingFont(dc.m_hDC));
            SIZE extent{};
            ::GetTextExtentPoint32A(dc.m_hDC, text, int(std::strlen(text)), &extent);
            ::SelectObject(dc.m_hDC, old);
            EXPECT_LE(extent.cx, box.right - box.left);
            EXPECT_GE(extent.cy, 9) << "still a readable height";
        }
        label->SetText("-inf.");
    }
}

// The strip scroll bar is drawn from the skin whether it can scroll or not: with every strip in
// sight it stays in place, disabled, instead of leaving its window blank white.
TEST_F(MixerViewTest, TheScrollBarIsSkinnedWhenTheStripsFitAndWhenTheyDoNot)
{
    ASSERT_TRUE(LoadSkinScrollBitmaps());
    HWND bar = ::GetDlgItem(mixer_->m_hWnd, 100);
    ASSERT_TRUE(bar);
    for (int width : {1400, 330}) {
        SCOPED_TRACE(width);
        RECT frame{};
        frame_->GetWindowRect(&frame);
        frame_->SetWindowPos(nullptr, 0, 0, width, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
        ::RedrawWindow(frame_->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        // The bar is the window's own scroll bar, drawn in its frame.
        RECT window{};
        ::GetWindowRect(bar, &window);
        const RECT client{0, 0, window.right - window.left, window.bottom - window.top};
        ASSERT_GT(client.right, 40);
        ASSERT_EQ(16, client.bottom);
        HDC dc = ::GetWindowDC(bar);
        int white = 0, dark = 0;
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x) {
                const COLORREF c = ::GetPixel(dc, x, y);
                white += c == RGB(255, 255, 255);
                dark += GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
            }
        ::ReleaseDC(bar, dc);
        EXPECT_EQ(0, white);
        EXPECT_GT(dark, client.right * client.bottom / 2) << "the skin's dark track";
    }
    FreeSkinScrollBitmaps();
}

// The strips may reach the client's right edge (the corner image sits beside the scroll bar
// only): ending there, every strip shows and nothing scrolls; a pixel narrower, the bar scrolls.
TEST_F(MixerViewTest, StripsEndingAtTheRightEdgeFitWithoutScrolling)
{
    HWND bar = ::GetDlgItem(mixer_->m_hWnd, 100);
    ASSERT_TRUE(bar);
    const int needed = mixer_->GetTrackStrip(1)->GetRect().right;
    for (int narrower : {0, 1}) {
        SCOPED_TRACE(narrower);
        RECT window{}, client{};
        frame_->GetWindowRect(&window);
        mixer_->GetClientRect(&client);
        const int width = window.right - window.left + needed - narrower - client.right;
        frame_->SetWindowPos(nullptr, 0, 0, width, window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages();
        mixer_->GetClientRect(&client);
        ASSERT_EQ(needed - narrower, client.right);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        ASSERT_TRUE(CustomScrollBar_GetScrollInfo(bar, SB_HORZ, &info));
        EXPECT_EQ(narrower ? 1 : 0, info.nMax);
        EXPECT_EQ(0, mixer_->GetTrackStrip(0)->GetRect().left - mixer_->GetMasterStrip()->GetRect().right);
    }
}

} // namespace
