// Marks in the track area by real input: a mark edge dragged (one "Cue" step, its length
// kept, never before 0), Escape, a click that opens the name editor, and renames through it.
#include "ViewFixture.h"

#include "LabelEditWnd.h"
#include "LabelTable.h"
#include "ViewIds.h"

#include <cstring>
#include <string>

class LabelMouseTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(NewFilledTrack());
        doc_->SetViewOption(1014, 1);
        area_ = ::GetDlgItem(view_->m_hWnd, kChildTrackArea);
        RECT strip = view_->GetTrackMarkerRect(0);
        ASSERT_LT(strip.top, strip.bottom) << "the track shows its marker strip";
        y_ = (strip.top + strip.bottom) / 2;
        left_ = view_->GetTrackWaveRect(-1).left;
        spp_ = int64_t(view_->GetSamplesPerPixel(0));
        LabelRecord r{};
        r.kind = kLabelSection;
        r.trackId = doc_->GetTrackId(0);
        r.start = 100 * spp_;
        r.end = 150 * spp_;
        strcpy(r.name, "Verse");
        ASSERT_EQ(doc_->GetLabels().Add(r), 1);
        id_ = r.id;
    }
    void TearDown() override
    {
        if (IInPlaceEditHost* host = GetInPlaceEditHost())
            host->EndInPlaceEdit();
        ViewTest::TearDown();
    }
    // A press at x of the marker strip, the moves posted before it, then the release.
    void Drag(int x, std::initializer_list<int> moves, bool escape = false)
    {
        int last = x;
        for (int m : moves) {
            ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left_ + m, y_));
            last = m;
        }
        if (escape)
            ::PostMessageA(area_, WM_KEYDOWN, VK_ESCAPE, 0);
        ::PostMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(left_ + last, y_));
        ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left_ + x, y_));
        Pump();
    }
    LabelRecord Mark()
    {
        LabelRecord r{};
        doc_->GetLabels().FindById(id_, &r);
        return r;
    }
    // The open, shown name editor.
    HWND Editor()
    {
        IInPlaceEditHost* host = GetInPlaceEditHost();
        CWnd* edit = host ? host->GetInPlaceEdit() : nullptr;
        return edit && edit->m_hWnd && (::GetWindowLongA(edit->m_hWnd, GWL_STYLE) & WS_VISIBLE) ? edit->m_hWnd
                                                                                                : nullptr;
    }
    void Type(const std::string& text, UINT key = VK_RETURN)
    {
        HWND edit = Editor();
        ASSERT_TRUE(edit);
        ::SetWindowTextA(edit, text.c_str());
        ::SendMessageA(edit, WM_KEYDOWN, key, 0);
        Pump();
    }

    HWND area_ = nullptr;
    int y_ = 0, left_ = 0, id_ = 0;
    int64_t spp_ = 1;
};

TEST_F(LabelMouseTest, EdgeDragsMoveTheWholeMarkAsOneStep)
{
    struct Case {
        const char* what;
        int press;
        std::initializer_list<int> moves;
        bool escape;
        int64_t start, end;
        int steps;
    };
    const Case cases[] = {
        {"start edge to the right", 100, {110, 160}, false, 160, 210, 1},
        {"end edge left past its length: start stays at 0", 210, {200, 10}, false, 0, 50, 2},
        {"Escape puts the mark back", 0, {30, 80}, true, 0, 50, 2},
    };
    for (const Case& c : cases) {
        Drag(c.press, c.moves, c.escape);
        LabelRecord r = Mark();
        EXPECT_EQ(r.start, c.start * spp_) << c.what;
        EXPECT_EQ(r.end, c.end * spp_) << c.what;
        EXPECT_EQ(UndoSteps(doc_->GetHistory()), c.steps) << c.what;
        EXPECT_FALSE(Editor()) << c.what;
    }
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(Mark().start, 160 * spp_);
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(Mark().start, 100 * spp_);
    EXPECT_EQ(Mark().end, 150 * spp_);
}

TEST_F(LabelMouseTest, ClickOpensTheEditorWhoseEnterRenamesAsOneStep)
{
    Drag(100, {101});
    ASSERT_TRUE(Editor()) << "a click without motion opens the name editor";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);
    char shown[64] = "";
    ::GetWindowTextA(Editor(), shown, sizeof shown);
    EXPECT_STREQ(shown, "Verse");

    Type("Verse", VK_RETURN);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0) << "the same name records nothing";
    EXPECT_FALSE(Editor()) << "leaving the box ends the edit";

    Drag(100, {});
    Type("Chorus   ", VK_ESCAPE);
    EXPECT_STREQ(Mark().name, "Verse");

    Drag(100, {});
    Type("Chorus   ");
    EXPECT_STREQ(Mark().name, "Chorus") << "trailing blanks dropped";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 1);

    // A typed name longer than a record holds keeps 255 characters and its terminator.
    Drag(100, {});
    Type(std::string(300, 'x'));
    LabelRecord r = Mark();
    EXPECT_EQ(strnlen(r.name, sizeof r.name), 255u);

    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_STREQ(Mark().name, "Verse");
}

TEST_F(LabelMouseTest, RenameToBlanksDeletesTheMarkUndoably)
{
    Drag(100, {});
    Type("   ");
    EXPECT_LT(Mark().id, 0) << "the mark is removed";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 1);
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(Mark().id, id_);
    EXPECT_STREQ(Mark().name, "Verse");
}

TEST_F(LabelMouseTest, ASelectedSectionStretchesWithTheSelectionEdge)
{
    Drag(100, {110, 160}); // the moved section becomes the selection
    int64_t s = 0, e = 0;
    doc_->GetSelection()->GetOrderedSelection(&s, &e);
    ASSERT_EQ(s, 160 * spp_);
    ASSERT_EQ(e, 210 * spp_);
    RECT row = view_->GetChannelRect(0, 0);
    int y = (row.top + row.bottom) / 2;
    ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left_ + 240, y));
    ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left_ + 260, y));
    ::PostMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(left_ + 260, y));
    ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left_ + 210, y));
    Pump();
    EXPECT_EQ(Mark().start, 160 * spp_);
    EXPECT_EQ(Mark().end, 260 * spp_);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 2);
}
