// The track area under the mouse with real messages and the real pointer: what the hit test
// finds and the cursor it chooses, the point menu (419, only over a point) deleting envelope
// points, nothing deleted over a fade handle, a sample drawn with the mouse as one "Gain" step,
// and a double click selecting the stretch between marks.
#include "ViewFixture.h"

#include "CommandInterfaces.h"
#include "EnvelopeEditor.h"
#include "FadeHandleEditor.h"
#include "KsMultiTrack.h"
#include "LabelTable.h"
#include "SampleUnits.h"
#include "ViewIds.h"

namespace {

// Picks an item of the next popup menu by its place with the keyboard (place -1: closes it),
// and notes its items.
struct MenuPicker {
    static void Arm(int place)
    {
        pick = place;
        ticks = 0;
        items.clear();
        timer = ::SetTimer(nullptr, 0, 20, &MenuPicker::Tick);
    }
    static void Disarm()
    {
        if (timer)
            ::KillTimer(nullptr, timer);
        timer = 0;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND menu = ::FindWindowA("#32768", nullptr);
        if (!menu || !::IsWindowVisible(menu)) {
            if (++ticks > 100)
                Disarm();
            return;
        }
        if (items.empty()) {
            HMENU handle = reinterpret_cast<HMENU>(::SendMessageA(menu, 0x01E1 /* MN_GETHMENU */, 0, 0));
            for (int i = 0, n = ::GetMenuItemCount(handle); i < n; ++i)
                items.push_back(::GetMenuItemID(handle, i));
            if (pick >= 0) {
                for (int i = 0; i <= pick; ++i)
                    ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
                ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
                return;
            }
        }
        // Nothing to choose, or the keys were not taken: close the menu rather than wait for ever.
        ::EndMenu();
        Disarm();
    }
    static int pick, ticks;
    static UINT_PTR timer;
    static std::vector<UINT> items;
};
int MenuPicker::pick = 0, MenuPicker::ticks = 0;
UINT_PTR MenuPicker::timer = 0;
std::vector<UINT> MenuPicker::items;

} // namespace

class TrackAreaMouseTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(NewFilledTrack());
        area_ = ::GetDlgItem(view_->m_hWnd, kChildTrackArea);
        wave_ = view_->GetTrackWaveRect(0);
    }
    CTrackAreaPane& Area() { return view_->GetTrackArea(); }
    // The pointer over a client point of the track area, and the cursor the pane sets there.
    HCURSOR PointAt(POINT client)
    {
        POINT screen = client;
        ::ClientToScreen(area_, &screen);
        ::SetCursorPos(screen.x, screen.y);
        ::SendMessageA(area_, WM_SETCURSOR, WPARAM(area_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    }
    // A right click's menu at a client point; the item at place is chosen. The menu's ids.
    std::vector<UINT> ContextMenu(POINT client, int place)
    {
        POINT screen = client;
        ::ClientToScreen(area_, &screen);
        MenuPicker::Arm(place);
        ::SendMessageA(area_, WM_CONTEXTMENU, WPARAM(area_), MAKELPARAM(screen.x, screen.y));
        Pump();
        MenuPicker::Disarm();
        return MenuPicker::items;
    }
    std::vector<EnvelopePoint> Points(int kind)
    {
        CEnvelopeEditor editor;
        editor.Load(view_, 0, kind, 0, 64 * 2000);
        return editor.Points();
    }
    void AddPoints(int kind, std::initializer_list<std::pair<int64_t, float>> points)
    {
        CEnvelopeEditor editor;
        editor.Load(view_, 0, kind, 0, 64 * 2000);
        for (auto p : points) {
            ComRef<IEditCommand> done;
            ASSERT_EQ(editor.InsertPoint(p.first, p.second, done.Out()), 1);
        }
    }
    std::string LastStepName()
    {
        ComRef<ICommandCursor> cursor;
        ComRef<IEditCommand> step;
        if (FAILED(doc_->GetHistory()->GetUndoCursor(cursor.Out())) || cursor->Next(step.Out()) != S_OK)
            return "";
        char name[64] = {};
        step->GetName(name, sizeof name - 1);
        return name;
    }

    HWND area_ = nullptr;
    RECT wave_{};
};

TEST_F(TrackAreaMouseTest, HitTestAndCursorFollowWhatLiesUnderThePointer)
{
    doc_->SetViewOption(1014, 1);
    ASSERT_EQ(S_OK, doc_->GetTrack(0)->SetStartOffset(64 * 50));
    AddMark(kLabelCue, 0, 64 * 400, 64 * 400, "Cue");
    doc_->GetSelection()->SetRowRange(0, 0);
    doc_->GetSelection()->SetSelection(64 * 100, 64 * 200);
    wave_ = view_->GetTrackWaveRect(0);
    RECT visible = view_->GetVisibleTrackRect(0), title = view_->GetTrackTitleRect(0);
    RECT markers = view_->GetTrackMarkerRect(0);
    int left = wave_.left, row = (wave_.top + wave_.bottom) / 2, mark = (markers.top + markers.bottom) / 2;
    struct Case {
        POINT at;
        short code;
        LPCSTR cursor; // a system cursor the pane sets, or null
        bool own;      // the program's "CUR_HAND_OFS"
    };
    const Case cases[] = {
        {{visible.left, row}, 0, nullptr, false},        // the left edge column
        {{left + 300, row}, -1, nullptr, false},         // a plain point of the row
        {{left + 103, row}, 4, IDC_SIZEWE, false},       // near the selection's start
        {{left + 196, row}, 5, IDC_SIZEWE, false},       // near its end
        {{left + 60, title.top + 4}, -4, nullptr, true}, // the clip bar
        {{left + 20, title.top + 4}, 0, nullptr, false}, // the title strip before the clip
        {{left + 300, mark}, -2, nullptr, false},        // the marker area
        {{left + 400, mark}, -5, IDC_UPARROW, false},    // on the cue
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at.x - left << ", " << c.at.y);
        EXPECT_EQ(Area().HitTest(c.at.x, c.at.y), c.code);
        HCURSOR cursor = PointAt(c.at);
        HCURSOR expected = c.own      ? ::LoadCursorA(::GetModuleHandleA(nullptr), "CUR_HAND_OFS")
                           : c.cursor ? ::LoadCursor(nullptr, c.cursor)
                                      : cursor;
        EXPECT_EQ(cursor, expected);
    }
    // Both edges within 4 pixels: the end wins.
    doc_->GetSelection()->SetSelection(64 * 100, 64 * 104);
    EXPECT_EQ(Area().HitTest(left + 102, row), 5);

    for (const char* name : {"CUR_HAND", "CUR_HOLD_V", "CUR_HOLD_CPY", "CUR_WAVE_DEL", "CUR_FINGER_U", "CUR_HAND_OFS",
                             "CUR_HOLD_H", "CUR_DRAG_NEW", "CUR_DRAG_CPY", "CUR_NODROP", "CUR_SLIDE_HD_V",
                             "CUR_SLIDE_AV", "CUR_SLIDE_HD_H", "CUR_SLIDE_AR"}) {
        HCURSOR cursor = ::LoadCursorA(::GetModuleHandleA(nullptr), name);
        ICONINFO info{};
        ASSERT_TRUE(cursor && ::GetIconInfo(cursor, &info)) << name;
        EXPECT_FALSE(info.fIcon) << name;
        BITMAP mask{};
        ::GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, 32) << name;
        ::DeleteObject(info.hbmMask);
        if (info.hbmColor)
            ::DeleteObject(info.hbmColor);
    }
}

TEST_F(TrackAreaMouseTest, ThePointMenuShowsOnlyOverAPointAndDeletesOneOrAllPoints)
{
    doc_->SetViewOption(1023, 1);
    AddPoints(0, {{64 * 100, 0.5f}, {64 * 300, 1.2f}});
    CEnvelopeEditor editor;
    editor.Load(view_, 0, 0, 0, 64 * 2000);
    POINT first{wave_.left + 100, editor.ValueToY(wave_, 0.5f)};
    POINT second{wave_.left + 300, editor.ValueToY(wave_, 1.2f)};
    POINT plain{wave_.left + 200, wave_.top + 3};

    EXPECT_EQ(PointAt(first), ::LoadCursor(nullptr, IDC_SIZEALL));
    EXPECT_EQ(ContextMenu(first, 0), (std::vector<UINT>{1111, 1112})) << "Delete Point";
    std::vector<EnvelopePoint> left = Points(0);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].position, 64 * 300);
    EXPECT_EQ(LastStepName(), "Envelope");
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 1);

    PointAt(plain);
    EXPECT_NE(Area().ContextMenuAt(plain), UINT(419)) << "no point under the pointer";

    EXPECT_EQ(PointAt(second), ::LoadCursor(nullptr, IDC_SIZEALL));
    EXPECT_EQ(ContextMenu(second, 1), (std::vector<UINT>{1111, 1112})) << "Delete All Points";
    EXPECT_TRUE(Points(0).empty());
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 2);
}

TEST_F(TrackAreaMouseTest, OverAFadeHandleDeleteAllPointsDeletesNothingAndARightClickRemovesIt)
{
    AddPoints(1, {{64 * 150, -0.5f}, {64 * 250, 0.5f}});
    auto editors = std::make_unique<std::vector<CFadeHandleEditor>>(1);
    (*editors)[0].Init(view_, 0, 64 * 100, 64 * 300);
    (*editors)[0].SetHandles(64 * 100, 0.0f);
    (*editors)[0].SetHandles(64 * 200, 0.5f);
    (*editors)[0].SetHandles(64 * 300, 1.0f);
    doc_->SetHandleEditors(std::move(editors));
    view_->SetEditMode(1);
    int steps = UndoSteps(doc_->GetHistory());
    POINT handle{wave_.left + 200, wave_.bottom - int((wave_.bottom - wave_.top) * 0.5f * 0.6666667f)};

    EXPECT_EQ(Area().HitTest(handle.x, handle.y), -11);
    EXPECT_EQ(PointAt(handle), ::LoadCursor(nullptr, IDC_SIZEALL));
    EXPECT_EQ(ContextMenu(handle, 1), (std::vector<UINT>{1111, 1112}));
    EXPECT_EQ(Points(1).size(), 2u) << "the pan envelope is kept";
    EXPECT_EQ(doc_->GetHandleEditTrack(0)->Handles().size(), 3u);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), steps);

    // A right click on a handle removes it unless it is an end handle, and opens no menu.
    auto rightClick = [&](POINT at) {
        MenuPicker::Arm(-1);
        ::SendMessageA(area_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        ::SendMessageA(area_, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        Pump();
        MenuPicker::Disarm();
        EXPECT_TRUE(MenuPicker::items.empty());
    };
    rightClick(POINT{wave_.left + 300, wave_.bottom - int((wave_.bottom - wave_.top) * 0.6666667f)});
    EXPECT_EQ(doc_->GetHandleEditTrack(0)->Handles().size(), 3u) << "the end handle stays";
    rightClick(handle);
    ASSERT_EQ(doc_->GetHandleEditTrack(0)->Handles().size(), 2u);
    EXPECT_EQ(doc_->GetHandleEditTrack(0)->Handles()[1].position, 64 * 300);
    view_->SetEditMode(0);
}

TEST_F(TrackAreaMouseTest, ASampleDrawnWithTheMouseIsOneGainStepAndEscapeKeepsIt)
{
    view_->SetTimeZoom(8); // 8 pixels per sample: samples show as squares
    view_->UpdateScrollBars();
    ASSERT_TRUE(view_->IsSampleWide());
    doc_->GetSelection()->SetSelection(0, 0);
    RECT rowRect = view_->GetChannelRect(0, -1);
    RECT r{rowRect.left, rowRect.top + 2, rowRect.right, rowRect.bottom - 2};
    int32_t full = FullScaleForBits(16);
    int x = rowRect.left + 10 * 8 + 4, y = SampleValueToY(r.left, r.top, r.right, r.bottom, 1000, 1, full);
    auto draw = [&](int toY, bool escape) {
        ::PostMessageA(area_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, toY));
        if (escape)
            ::PostMessageA(area_, WM_KEYDOWN, VK_ESCAPE, 0);
        ::PostMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(x, toY));
        ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Pump();
    };
    ASSERT_EQ(Area().HitTest(x, y), 1) << "an editable sample";
    draw(y - 30, true);
    LONG stored = 0;
    ASSERT_EQ(S_OK, doc_->GetTrack(0)->ReadSample(0, 10, &stored));
    EXPECT_EQ(stored, 1000) << "Escape";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);

    ASSERT_EQ(Area().HitTest(x, y), 1);
    draw(y - 30, false);
    int32_t expected = CTrackAreaPane::YToSampleValue(r.left, r.top, r.right, r.bottom, y - 30, 1, full);
    ASSERT_EQ(S_OK, doc_->GetTrack(0)->ReadSample(0, 10, &stored));
    EXPECT_EQ(stored, expected);
    EXPECT_GT(expected, 1000);
    EXPECT_EQ(Area().GetSampleValue(0, 10), expected);
    EXPECT_EQ(LastStepName(), "Gain");
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 1);
    ASSERT_EQ(S_OK, doc_->GetTrack(0)->ReadSample(0, 9, &stored));
    EXPECT_EQ(stored, 1000) << "its neighbour is untouched";
}

TEST_F(TrackAreaMouseTest, ADoubleClickSelectsTheStretchBetweenTheMarksAroundIt)
{
    AddMark(kLabelSection, 0, 64 * 100, 64 * 150, "Verse");
    int y = (wave_.top + wave_.bottom) / 2;
    auto doubleClick = [&](int px) {
        int x = wave_.left + px;
        ::PostMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        ::SendMessageA(area_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Pump();
        ::SendMessageA(area_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageA(area_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        int64_t s = 0, e = 0;
        doc_->GetSelection()->GetOrderedSelection(&s, &e);
        return std::make_pair(s, e);
    };
    EXPECT_EQ(doubleClick(300), std::make_pair(int64_t(64 * 150), int64_t(64 * 2000)));
    EXPECT_EQ(doubleClick(50), std::make_pair(int64_t(0), int64_t(64 * 100)));
    EXPECT_EQ(doubleClick(120), std::make_pair(int64_t(64 * 100), int64_t(64 * 150)));
}

TEST(YToSampleValue, InvertsSampleValueToYInTallTwentyFourBitRowsWithoutOverflow)
{
    // 2^23 times half of a 1000-pixel row passes 2^31: the products are 64-bit.
    const int32_t full = FullScaleForBits(24);
    const int top = 10, bottom = 1010;
    for (int32_t value : {-full, -1000000, -1000, 0, 1000, 1000000, full - 1}) {
        SCOPED_TRACE(value);
        int y = SampleValueToY(0, top, 100, bottom, value, 1, full);
        int32_t back = CTrackAreaPane::YToSampleValue(0, top, 100, bottom, y, 1, full);
        EXPECT_LE(std::abs(int64_t(back) - value), int64_t(full) / 500 + 1) << "within one pixel";
    }
    EXPECT_EQ(CTrackAreaPane::YToSampleValue(0, top, 100, bottom, top, 1, full), full - 1) << "the top is full scale";
    EXPECT_EQ(CTrackAreaPane::YToSampleValue(0, top, 100, bottom, top, 4, full), full / 4) << "magnified four times";
}
