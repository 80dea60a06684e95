// A track dragged by its amplitude scale or its header's number box with real messages: the drop moves it, Ctrl copies
// it while the copy keeps the document under seven rows, a drop outside the view asks before
// deleting, and a press without a drag toggles the track's selection.
#include "ViewFixture.h"

#include "CommandInterfaces.h"
#include "KsMultiTrack.h"
#include "ViewIds.h"

#include <vector>

class TrackDragTest : public ViewTest {
protected:
    // A document of tracks with these channel counts, 37-pixel rows, from the first row.
    void Tracks(std::initializer_list<int> channels)
    {
        ASSERT_NE(NewDocument(), nullptr);
        auto it = channels.begin();
        IMtTrackSet* set = doc_->GetTrackSet();
        if (*it != 1) {
            ComRef<IMtTrack> first;
            ASSERT_EQ(S_OK, set->GetTrack(0, first.Out()));
            ASSERT_EQ(S_OK, set->DetachTrack(first.Get()));
            ComRef<IMtTrack> fresh;
            ASSERT_EQ(S_OK, set->InsertTrack(0, WORD(*it), fresh.Out(), -1));
        }
        for (++it; it != channels.end(); ++it) {
            ComRef<IMtTrack> track;
            ASSERT_EQ(S_OK, set->InsertTrack(0, WORD(*it), track.Out(), -1));
        }
        view_->SetAmplitudeZoom(1);
        view_->SetFirstVisibleRow(0);
        view_->RecalcLayout();
        doc_->GetSelection()->SyncRowCount();
        scale_ = ::GetDlgItem(view_->m_hWnd, kChildAmplitudeScale);
        RECT r;
        ::GetWindowRect(scale_, &r);
        ::MapWindowPoints(nullptr, view_->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        scaleInView_ = r;
        for (int i = 0; i < doc_->GetTrackCount(); ++i)
            ids_.push_back(doc_->GetTrackId(i));
    }
    // y of a track's middle in the track rows.
    int Middle(int track)
    {
        RECT r = view_->GetTrackRect(track);
        return (r.top + r.bottom) / 2;
    }
    // Press on a track's scale, moves to view points, release at the last one.
    void Drag(int track, std::vector<POINT> moves, bool ctrl = false)
    {
        int x = (scaleInView_.right - scaleInView_.left) / 2, y = Middle(track);
        POINT at{scaleInView_.left + x, scaleInView_.top + y};
        WPARAM keys = ctrl ? MK_CONTROL : 0;
        for (POINT m : moves) {
            ::PostMessageA(view_->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON | keys, MAKELPARAM(m.x, m.y));
            at = m;
        }
        ::PostMessageA(view_->m_hWnd, WM_LBUTTONUP, keys, MAKELPARAM(at.x, at.y));
        if (byNumber_) {
            // The track number box of the track's header (the header's rows are the track rows).
            HWND header = ::GetDlgItem(view_->m_hWnd, kChildTrackHeader);
            auto* pane = dynamic_cast<CTrackHeaderPane*>(CWnd::FromHandlePermanent(header));
            RECT r = view_->GetTrackRect(track);
            POINT number{14, r.top + 8};
            ASSERT_TRUE(pane && pane->HitTest(number, track) == CTrackHeaderPane::kHitNumber);
            ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(number.x, number.y));
        } else {
            ::SendMessageA(scale_, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
        }
        Pump();
    }
    // A view point over the scale at a y of the track rows.
    POINT OverScale(int y) { return POINT{(scaleInView_.left + scaleInView_.right) / 2, scaleInView_.top + y}; }
    std::vector<int> Order()
    {
        std::vector<int> order;
        for (int i = 0; i < doc_->GetTrackCount(); ++i) {
            int id = doc_->GetTrackId(i);
            order.push_back(int(std::find(ids_.begin(), ids_.end(), id) - ids_.begin()));
        }
        return order;
    }

    HWND scale_ = nullptr;
    bool byNumber_ = false; // presses on the header's number box instead of the scale
    RECT scaleInView_{};
    std::vector<int> ids_;
};

TEST_F(TrackDragTest, ADropMovesTheTrackToTheBandUnderThePointer)
{
    struct Case {
        int source;
        int dropOn; // a track, or 3: below the last one
        std::vector<int> order;
        bool byNumber;
    };
    const Case cases[] = {
        {0, 2, {1, 2, 0}, false},                           // onto the last track: after it
        {0, 3, {1, 2, 0}, false},                           // below the last track: to the end
        {2, 0, {2, 0, 1}, false}, {1, 1, {0, 1, 2}, false}, // back onto itself
        {0, 2, {1, 2, 0}, true},                            // pressed on the header's number box
    };
    Tracks({1, 1, 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "track " << c.source << " dropped on " << c.dropOn);
        byNumber_ = c.byNumber;
        RECT last = view_->GetTrackRect(2);
        int y = c.dropOn < 3 ? Middle(c.dropOn) : last.bottom + 10;
        Drag(c.source, {OverScale(Middle(c.source) + 12), OverScale(y)});
        EXPECT_EQ(Order(), c.order);
        EXPECT_EQ(UndoSteps(doc_->GetHistory()), c.source == c.dropOn ? 0 : 1);
        if (c.source != c.dropOn)
            doc_->GetHistory()->Undo();
        EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2}));
    }
}

TEST_F(TrackDragTest, CtrlCopiesOnlyWhileTheDocumentStaysUnderSevenRows)
{
    Tracks({1, 1, 1});
    Drag(0, {OverScale(Middle(0) + 12), OverScale(Middle(2))}, true);
    EXPECT_EQ(doc_->GetTrackCount(), 4) << "3 + 1 rows: copied";

    ids_.clear();
    Tracks({2, 1, 1, 1});
    Drag(0, {OverScale(Middle(0) + 12), OverScale(Middle(3))}, true);
    EXPECT_EQ(doc_->GetTrackCount(), 4) << "5 + 2 rows: refused";
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 3})) << "and not moved either";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);
}

TEST_F(TrackDragTest, ADropOutsideTheViewDeletesOnlyAfterYes)
{
    Tracks({1, 1, 1});
    std::vector<std::string> asked;
    int answer = IDNO;
    AfxSetMessageBoxHook([&](const char* text, const char*, UINT) {
        asked.push_back(text);
        return answer;
    });
    POINT outside{-300, -300};
    Drag(1, {OverScale(Middle(1) + 12), outside});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Do you want to delete this track?");
    EXPECT_EQ(doc_->GetTrackCount(), 3) << "No keeps the track";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);

    answer = IDYES;
    Drag(1, {OverScale(Middle(1) + 12), outside});
    EXPECT_EQ(Order(), (std::vector<int>{0, 2}));
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 1);
}

TEST_F(TrackDragTest, EscapeCancelsAndAClickTogglesTheTrackSelection)
{
    Tracks({1, 1, 1});
    CSelectionModel* selection = doc_->GetSelection();
    selection->SetTrackSelected(-1, FALSE);
    selection->SetTrackSelected(0, TRUE);

    ::PostMessageA(view_->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(OverScale(Middle(2)).x, OverScale(Middle(2)).y));
    ::PostMessageA(view_->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    Drag(0, {});
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2})) << "Escape";

    Drag(2, {});
    EXPECT_TRUE(selection->IsTrackSelectedAt(2)) << "a click selects the track";
    EXPECT_TRUE(selection->IsTrackSelectedAt(0));
    Drag(2, {OverScale(Middle(2) + 2)});
    EXPECT_FALSE(selection->IsTrackSelectedAt(2)) << "a second click, moved less than 5 pixels, clears it";

    Drag(0, {});
    EXPECT_TRUE(selection->IsTrackSelectedAt(0)) << "the only selected track stays selected";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);
}

TEST_F(TrackDragTest, AboveThePanesTheRowsScrollUpOneLinePerMove)
{
    Tracks({1, 1, 1, 1, 1, 1});
    view_->SetAmplitudeZoom(4); // rows taller than the area: there is something to scroll
    view_->SetFirstVisibleRow(3);
    view_->UpdateScrollBars();
    int above = scaleInView_.top - 5;
    ::PostMessageA(view_->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(OverScale(0).x, above));
    ::PostMessageA(view_->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(OverScale(0).x + 1, above));
    ::PostMessageA(view_->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    Drag(3, {});
    EXPECT_EQ(view_->GetFirstVisibleRow(), 1);
    EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
}
