// Dragging selected audio by real input: pressed inside the selection, moved and released in
// another document window, in the same window, or over the main window outside every document
// window (a new document); each drop is one "Generate" step of the document it lands in.
// Escape, the right button, a release outside the program or over a view in a handle edit
// mode drop nothing; a drop whose history refuses it leaves the receiving document as it was.
#include "ViewFixture.h"

#include "AudioDrag.h"
#include "ComObject.h"
#include "SkinTables.h"
#include "TrackAreaPane.h"
#include "ViewIds.h"

#include <cstring>

namespace {

constexpr int kQuiet = 1000, kLoud = 3000;
// The loud stretch, selected: pixels 40 to 90 at 64 samples per pixel; presses at 65.
constexpr int64_t kFrom = 64 * 40, kTo = 64 * 90, kLength = kTo - kFrom;
constexpr int kPress = 65;

// The document's history, except that it refuses every Add.
class AddRefusingHistory : public ComObject<ICommandHistory> {
public:
    explicit AddRefusingHistory(ICommandHistory* real) : m_real(real) {}
    STDMETHODIMP Clear() override { return m_real->Clear(); }
    STDMETHODIMP Do(IEditCommand* c, BOOL m) override { return m_real->Do(c, m); }
    STDMETHODIMP Redo() override { return m_real->Redo(); }
    STDMETHODIMP Undo() override { return m_real->Undo(); }
    STDMETHODIMP GetUndoCursor(ICommandCursor** c) override { return m_real->GetUndoCursor(c); }
    STDMETHODIMP GetRedoCursor(ICommandCursor** c) override { return m_real->GetRedoCursor(c); }
    STDMETHODIMP SetModified(BOOL m) override { return m_real->SetModified(m); }
    STDMETHODIMP IsModified() override { return m_real->IsModified(); }
    STDMETHODIMP Add(IEditCommand*, BOOL) override { return E_OUTOFMEMORY; }
    STDMETHODIMP TakeLast(IEditCommand** c) override { return m_real->TakeLast(c); }

private:
    ICommandHistory* m_real;
};

std::string NewestName(ICommandHistory* history)
{
    ComRef<ICommandCursor> cursor;
    ComRef<IEditCommand> newest;
    char name[64] = "";
    if (SUCCEEDED(history->GetUndoCursor(cursor.Out())) && cursor->Next(newest.Out()) == S_OK)
        newest->GetName(name, sizeof name);
    return name;
}

} // namespace

class AudioDragTest : public ViewTest {
protected:
    // Two document windows side by side: the source, whose track is quiet but for a loud
    // stretch from pixel 40 to 90 (selected), and an empty target with two tracks.
    void SetUp() override
    {
        ViewTest::SetUp();
        // The floating tool panes would lie over the document windows.
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND w, LPARAM main) {
                if (w != HWND(main) && ::IsWindowVisible(w))
                    ::ShowWindow(w, SW_HIDE);
                return TRUE;
            },
            LPARAM(main_->m_hWnd));
        ::MoveWindow(main_->m_hWnd, 0, 0, 1024, 760, TRUE);
        ASSERT_TRUE(NewDocument());
        std::vector<int32_t> frames(64 * 2000, kQuiet);
        std::fill(frames.begin() + kFrom, frames.begin() + kTo, kLoud);
        FillTrack(0, frames, 16);
        HideEnvelopes();
        src_ = Window{child_, view_, doc_};
        ASSERT_TRUE(NewDocument());
        doc_->AddTracks(1);
        doc_->GetHistory()->Clear();
        doc_->SetModifiedFlag(FALSE);
        dst_ = Window{child_, view_, doc_};
        Place(src_, 0);
        Place(dst_, 510);
        Activate(src_);
        RECT row = src_.view->GetChannelRect(0, 0);
        y_ = (row.top + row.bottom) / 2;
        left_ = row.left;
        ASSERT_GT(src_.view->GetTrackWaveRect(-1).right, left_ + 250) << "no scrolling while the tests drag";
        src_.view->GetSelection()->SetRowRange(0, 0);
        src_.view->GetSelection()->SetSelection(kFrom, kTo, TRUE);
    }

    struct Window {
        CChildFrame* frame = nullptr;
        CNyMultiTrackView* view = nullptr;
        CNyMultiTrackDoc* doc = nullptr;
        HWND Area() const { return view->GetTrackArea().m_hWnd; }
    };
    void Place(Window& w, int x)
    {
        ::MoveWindow(w.frame->m_hWnd, x, 0, 500, 420, TRUE);
        w.view->SetTimeZoom(64 * 64);
        w.view->SetAmplitudeZoom(1);
        w.view->SetFirstVisibleSample(0);
        w.view->RecalcLayout();
        w.view->UpdateScrollBars();
        w.view->Invalidate();
        Pump();
    }
    static void Activate(const Window& w)
    {
        ::SendMessageA(::GetParent(w.frame->m_hWnd), WM_MDIACTIVATE, WPARAM(w.frame->m_hWnd), 0);
    }

    // A press at pixel x of the source's first row; then each input posted before it, to the
    // window it names at that window's client point (the drag pumps them).
    struct Input {
        UINT message;
        HWND window;
        POINT at;
    };
    void Press(int x, const std::vector<Input>& inputs)
    {
        for (const Input& in : inputs) {
            WPARAM keys = in.message == WM_MOUSEMOVE ? MK_LBUTTON : 0;
            if (in.message == WM_KEYDOWN)
                ::PostMessageA(in.window, WM_KEYDOWN, VK_ESCAPE, 0);
            else
                ::PostMessageA(in.window, in.message, keys, MAKELPARAM(in.at.x, in.at.y));
        }
        ::SendMessageA(src_.Area(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left_ + x, y_));
        Pump();
    }
    // A move to and a release at a point of a window's track area.
    std::vector<Input> MoveAndRelease(HWND area, POINT at)
    {
        return {
            {WM_MOUSEMOVE, src_.Area(), {left_ + kPress + 10, y_}}, {WM_MOUSEMOVE, area, at}, {WM_LBUTTONUP, area, at}};
    }
    POINT DstRow(int row, int x)
    {
        RECT r = dst_.view->GetChannelRect(row, -1);
        return POINT{left_ + x, (r.top + r.bottom) / 2};
    }
    int32_t Sample(const Window& w, int row, int64_t position)
    {
        return w.view->GetTrackArea().GetSampleValue(row, position);
    }

    Window src_, dst_;
    int y_ = 0, left_ = 0;
};

TEST_F(AudioDragTest, DropIntoAnotherWindowIsOneGenerateStepThereWithTheSamples)
{
    POINT at = DstRow(0, 200);
    int64_t drop = dst_.view->XToSample(at.x);
    Press(kPress, MoveAndRelease(dst_.Area(), at));

    ASSERT_EQ(UndoSteps(dst_.doc->GetHistory()), 1);
    EXPECT_EQ(NewestName(dst_.doc->GetHistory()), "Generate");
    EXPECT_EQ(UndoSteps(src_.doc->GetHistory()), 0);
    EXPECT_TRUE(dst_.doc->IsModified());
    EXPECT_EQ(Sample(dst_, 0, drop + 10), kLoud);
    EXPECT_EQ(Sample(dst_, 0, drop + kLength - 10), kLoud);
    EXPECT_EQ(dst_.doc->GetTrackExtent(0, 1), drop + kLength);
    EXPECT_EQ(Sample(dst_, 1, drop + 10), 0) << "the second track is left alone";
    EXPECT_EQ(main_->MDIGetActive(), dst_.frame) << "the window the drag went into is active";
    int64_t s = 0, e = 0;
    src_.view->GetSelection()->GetOrderedSelection(&s, &e);
    EXPECT_EQ(s, kFrom);
    EXPECT_EQ(e, kTo);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_TRUE(host_.shown.empty());

    dst_.doc->OnEditUndo();
    EXPECT_EQ(Sample(dst_, 0, drop + 10), 0);
}

TEST_F(AudioDragTest, TheRowReleasedOnChoosesTheTrack)
{
    // Below the last row the audio goes to a new track at the end.
    struct Case {
        int row; // -1: below the last row
        int track;
        int tracksAfter;
    };
    const Case cases[] = {{1, 1, 2}, {-1, 2, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        RECT last = dst_.view->GetChannelRect(dst_.view->GetRowCount() - 1, -1);
        POINT at = c.row >= 0 ? DstRow(c.row, 200) : POINT{left_ + 200, last.bottom + 30};
        Activate(src_);
        int64_t drop = dst_.view->XToSample(at.x);
        Press(kPress, MoveAndRelease(dst_.Area(), at));
        EXPECT_EQ(dst_.doc->GetTrackCount(), c.tracksAfter);
        EXPECT_EQ(Sample(dst_, dst_.view->GetTrackRow(c.track, 0), drop + 10), kLoud);
    }
    EXPECT_EQ(UndoSteps(dst_.doc->GetHistory()), 2);
}

TEST_F(AudioDragTest, DropInTheSameWindowCopiesTheStretchThere)
{
    int64_t drop = src_.view->XToSample(left_ + 230);
    Press(kPress, {{WM_MOUSEMOVE, src_.Area(), {left_ + 180, y_}},
                   {WM_MOUSEMOVE, src_.Area(), {left_ + 230, y_}},
                   {WM_LBUTTONUP, src_.Area(), {left_ + 230, y_}}});
    ASSERT_EQ(UndoSteps(src_.doc->GetHistory()), 1);
    EXPECT_EQ(NewestName(src_.doc->GetHistory()), "Generate");
    EXPECT_EQ(Sample(src_, 0, drop + 10), kLoud);
    EXPECT_EQ(Sample(src_, 0, drop + kLength - 10), kLoud);
    EXPECT_EQ(Sample(src_, 0, drop + kLength + 10), kQuiet);
    src_.doc->OnEditUndo();
    EXPECT_EQ(Sample(src_, 0, drop + 10), kQuiet);
}

TEST_F(AudioDragTest, ReleaseOverTheMainWindowOutsideEveryDocumentMakesANewOne)
{
    // The main frame's client between the two document windows.
    POINT at{505, 200};
    ::ClientToScreen(::GetParent(src_.frame->m_hWnd), &at);
    ::ScreenToClient(src_.Area(), &at);
    Press(kPress, MoveAndRelease(src_.Area(), at));

    auto* made = dynamic_cast<CChildFrame*>(main_->MDIGetActive());
    ASSERT_NE(made, nullptr);
    ASSERT_NE(made, src_.frame);
    ASSERT_NE(made, dst_.frame);
    auto* doc = dynamic_cast<CNyMultiTrackDoc*>(made->GetActiveDocument());
    auto* view = dynamic_cast<CNyMultiTrackView*>(made->GetActiveView());
    ASSERT_TRUE(doc && view);
    EXPECT_EQ(UndoSteps(doc->GetHistory()), 1);
    EXPECT_EQ(NewestName(doc->GetHistory()), "Generate");
    EXPECT_EQ(view->GetTrackArea().GetSampleValue(0, 10), kLoud);
    EXPECT_EQ(doc->GetTrackExtent(0, 1), kLength);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(AudioDragTest, CancelledOrRefusedDragsDropNothing)
{
    POINT outside{-3000, -3000};
    ::ScreenToClient(src_.Area(), &outside);
    POINT at = DstRow(0, 200);
    struct Case {
        const char* name;
        std::vector<Input> inputs;
        bool handleMode;
    };
    const Case cases[] = {
        {"Escape",
         {{WM_MOUSEMOVE, dst_.Area(), at}, {WM_KEYDOWN, dst_.Area(), {}}, {WM_LBUTTONUP, dst_.Area(), at}},
         false},
        {"right button",
         {{WM_MOUSEMOVE, dst_.Area(), at}, {WM_RBUTTONDOWN, dst_.Area(), at}, {WM_LBUTTONUP, dst_.Area(), at}},
         false},
        {"released outside the program", MoveAndRelease(src_.Area(), outside), false},
        {"target in a handle edit mode", MoveAndRelease(dst_.Area(), at), true},
    };
    int64_t srcLength = src_.doc->GetTrackExtent(0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Activate(src_);
        dst_.view->SetEditMode(c.handleMode ? 1 : 0);
        Press(kPress, c.inputs);
        dst_.view->SetEditMode(0);
        EXPECT_EQ(UndoSteps(dst_.doc->GetHistory()), 0);
        EXPECT_EQ(UndoSteps(src_.doc->GetHistory()), 0);
        EXPECT_EQ(Sample(dst_, 0, 64 * 200 + 10), 0);
        EXPECT_EQ(src_.doc->GetTrackExtent(0, 0), srcLength);
        int64_t s = 0, e = 0;
        src_.view->GetSelection()->GetOrderedSelection(&s, &e);
        EXPECT_EQ(s, kFrom);
        EXPECT_EQ(e, kTo);
        EXPECT_EQ(::GetCapture(), nullptr);
    }
    EXPECT_TRUE(host_.shown.empty());
}

TEST_F(AudioDragTest, APressInsideTheSelectionThatNeverMovesLeavesACaret)
{
    Press(kPress, {{WM_MOUSEMOVE, src_.Area(), {left_ + kPress + 1, y_}},
                   {WM_LBUTTONUP, src_.Area(), {left_ + kPress + 1, y_}}});
    int64_t s = 0, e = 0;
    src_.view->GetSelection()->GetSelection(&s, &e);
    EXPECT_EQ(s, src_.view->XToSample(left_ + kPress));
    EXPECT_EQ(e, s);
    EXPECT_EQ(UndoSteps(src_.doc->GetHistory()), 0);
}

TEST_F(AudioDragTest, ADropTheHistoryRefusesLeavesTheTargetAsItWas)
{
    ComRef<AddRefusingHistory> refusing(ComObject<ICommandHistory>::Create<AddRefusingHistory>(dst_.doc->GetHistory()));
    int64_t length = dst_.doc->GetTrackExtent(0, 0);
    EXPECT_EQ(RecordDrop(src_.doc, dst_.doc, 0, 64 * 50, refusing.Get()), E_OUTOFMEMORY);
    EXPECT_EQ(dst_.doc->GetTrackCount(), 2);
    EXPECT_EQ(dst_.doc->GetTrackExtent(0, 0), length);
    EXPECT_EQ(Sample(dst_, 0, 64 * 50 + 10), 0);
    EXPECT_EQ(UndoSteps(dst_.doc->GetHistory()), 0);

    // The same drop recorded: the audio is there, one step.
    EXPECT_EQ(RecordDrop(src_.doc, dst_.doc, 0, 64 * 50, dst_.doc->GetHistory()), S_OK);
    EXPECT_EQ(Sample(dst_, 0, 64 * 50 + 10), kLoud);
    EXPECT_EQ(UndoSteps(dst_.doc->GetHistory()), 1);
}

TEST_F(AudioDragTest, TheDropLineStandsOnTheTrackTheGrabbedTrackLandsOn)
{
    CSelectionModel::AudioDragState& state = CSelectionModel::DragState();
    src_.view->GetSelection()->BeginAudioDrag(0);
    state.targetRow = 1;
    state.dropPosition = 64 * 120;
    DrawDropMarker(dst_.view, src_.view);
    HWND area = dst_.Area();
    HDC dc = ::GetDC(area);
    int x = left_ + 120;
    COLORREF onLanding = ::GetPixel(dc, x, DstRow(1, 0).y);
    COLORREF onOther = ::GetPixel(dc, x, DstRow(0, 0).y);
    COLORREF beside = ::GetPixel(dc, x + 1, DstRow(1, 0).y);
    ::ReleaseDC(area, dc);
    EXPECT_EQ(onLanding, SkinColorAt(47));
    EXPECT_NE(onOther, SkinColorAt(47));
    EXPECT_NE(beside, SkinColorAt(47));

    state.dropPosition = -1;
    DrawDropMarker(dst_.view, src_.view);
    dc = ::GetDC(area);
    COLORREF after = ::GetPixel(dc, x, DstRow(1, 0).y);
    ::ReleaseDC(area, dc);
    EXPECT_NE(after, SkinColorAt(47)) << "the line is taken away";
}
