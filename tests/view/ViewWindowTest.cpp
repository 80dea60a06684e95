// The view in the program's child frame: children and layout, keys, one-key zoom, status
// texts, the overview bar's pixels and the zoom buttons' repeats.
#include "ViewFixture.h"

#include "MemoryDC.h"
#include "SkinTables.h"
#include "ViewIds.h"

namespace {
RECT ChildRect(CNyMultiTrackView* view, int id)
{
    RECT r{};
    HWND child = ::GetDlgItem(view->m_hWnd, id);
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, view->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<int32_t> Ramp(int frames)
{
    std::vector<int32_t> v(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        v[size_t(i)] = (i % 200) * 100 - 10000;
    return v;
}
} // namespace

TEST_F(ViewTest, CreatesItsFifteenChildrenAndLaysThemOutByTheOptions)
{
    ASSERT_NE(NewDocument(), nullptr);
    for (int id = 101; id <= 115; ++id)
        EXPECT_NE(::GetDlgItem(view_->m_hWnd, id), nullptr) << "child " << id;
    RECT client;
    ::GetClientRect(view_->m_hWnd, &client);
    RECT area = ChildRect(view_, kChildTrackArea);
    EXPECT_EQ(area.right, client.right - 16);
    EXPECT_EQ(area.bottom, client.bottom - 16);
    RECT ruler = ChildRect(view_, kChildTimeRuler);
    EXPECT_GT(ruler.bottom, ruler.top);

    // Time Ruler off: the band starts under the overview bar.
    Command(kCmdViewTimeRuler);
    RECT overview = ChildRect(view_, kChildOverview);
    EXPECT_EQ(ChildRect(view_, kChildTrackArea).top, overview.bottom);
    Command(kCmdViewTimeRuler);
    EXPECT_EQ(ChildRect(view_, kChildTrackArea).top, area.top);

    // Video Track on a document without video reads off: nothing moves.
    Command(kCmdViewVideoTrack);
    EXPECT_EQ(ChildRect(view_, kChildTrackArea).top, area.top);
    EXPECT_EQ(ChildRect(view_, kChildVideoTrack).bottom, 0);

    // A 40-pixel window places negative sizes without failing.
    ::MoveWindow(child_->m_hWnd, 0, 0, 40, 40, TRUE);
    Pump();
    EXPECT_TRUE(::IsWindow(view_->m_hWnd));
}

TEST_F(ViewTest, KeysMoveTheCaretRowsAndSelectionAsTheKeyboardSays)
{
    ASSERT_NE(NewDocument(), nullptr);
    FillTrack(0, Ramp(30000), 16);
    ComRef<IMtTrack> second;
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, 2, second.Out(), -1));
    FillTrack(1, Ramp(20000), 16, 2);
    CSelectionModel* sel = doc_->GetSelection();
    sel->SetRowRange(0, -1);
    int64_t s = 0, e = 0;

    // Home at 0 stays at 0.
    sel->SetSelection(0, 0);
    Key(VK_HOME);
    sel->GetSelection(&s, &e);
    EXPECT_EQ(e, 0);

    // Ctrl+Right past every end stop wraps to the smallest.
    sel->SetSelection(30000, 30000);
    Key(VK_RIGHT, false, true);
    sel->GetSelection(&s, &e);
    EXPECT_EQ(e, 20000) << "the nearest end stop above is none; the smallest is track 1's end";
    Key(VK_RIGHT, false, true);
    sel->GetSelection(&s, &e);
    EXPECT_EQ(e, 30000);

    // Shift+Down on the last row of the last track keeps the rows.
    int last = view_->GetRowCount() - 1;
    sel->SetRowRange(last, last);
    Key(VK_DOWN, true);
    int anchor = 0, current = 0;
    sel->GetRowRange(&anchor, &current);
    EXPECT_EQ(anchor, last);
    EXPECT_EQ(current, last);

    // Page Down keeps caret and edit position.
    sel->SetSelection(1234, 1234);
    view_->SetEditPosition(1234);
    view_->SetAmplitudeZoom(16);
    view_->UpdateVertScrollBar();
    Key(VK_NEXT);
    sel->GetSelection(&s, &e);
    EXPECT_EQ(e, 1234);
    EXPECT_EQ(view_->GetEditPosition(), 1234);
    EXPECT_GT(view_->GetFirstVisibleRow(), 0) << "rows scrolled by a page";

    // Esc collapses the range to the caret.
    sel->SetSelection(100, 500);
    Key(VK_ESCAPE);
    sel->GetSelection(&s, &e);
    EXPECT_EQ(s, 500);
    EXPECT_EQ(e, 500);
}

TEST_F(ViewTest, BracketsZoomAndStatusShowsZoomAndFormat)
{
    ASSERT_NE(NewDocument(), nullptr);
    FillTrack(0, Ramp(100000), 16);
    Command(kCmdFitToWindow);
    int64_t fitted = view_->GetTimeZoom();
    EXPECT_GT(fitted, 64);
    view_->SendMessage(WM_CHAR, ']', 1);
    EXPECT_EQ(view_->GetTimeZoom(), fitted / 2);
    view_->SendMessage(WM_CHAR, '[', 1);
    EXPECT_EQ(view_->GetTimeZoom(), fitted);
    view_->SendMessage(WM_CHAR, ']', 1);
    view_->SendMessage(WM_CHAR, ']', 1);
    EXPECT_EQ(view_->GetTimeZoom(), fitted / 4);

    // Ctrl+F through the document frame's accelerators fits again.
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    MSG msg{};
    msg.hwnd = view_->m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = 'F';
    msg.lParam = 1;
    EXPECT_TRUE(child_->PreTranslateMessage(&msg));
    BYTE none[256] = {};
    ::SetKeyboardState(none);
    EXPECT_EQ(view_->GetTimeZoom(), fitted);

    EXPECT_EQ(StatusText(1), " 44,100Hz 16Bit");
    view_->SetTimeZoom(256);
    view_->UpdateStatusText();
    EXPECT_EQ(StatusText(2), " x4");
    view_->SetTimeZoom(32);
    view_->UpdateStatusText();
    EXPECT_EQ(StatusText(2), " x0.50");
}

TEST_F(ViewTest, A24BitDocumentReadsAsFloatsInTheEngine)
{
    ASSERT_NE(NewDocument(24, 48000), nullptr);
    EXPECT_EQ(doc_->GetSamplesPerSec(), 48000u);
    EXPECT_GT(doc_->GetBitsPerSample(), 16) << "bits " << doc_->GetBitsPerSample();
}

TEST_F(ViewTest, OverviewBarPaintsDocumentWindowAndSelectionInTheirColours)
{
    ASSERT_NE(NewDocument(), nullptr);
    FillTrack(0, Ramp(100000), 16);
    view_->SetTimeZoom(64);
    view_->UpdateScrollBars();
    doc_->GetSelection()->SetSelection(50000, 60000);
    RECT client;
    ::GetClientRect(view_->GetOverviewBar().m_hWnd, &client);
    ASSERT_GT(client.right, 100);
    CClientDC screen(view_->GetOverviewBar().m_hWnd);
    MemoryDC buffer;
    CDC* dc = buffer.Create(&screen, client);
    ASSERT_NE(dc, nullptr);
    view_->GetOverviewBar().Render(dc, client);
    int64_t first = 0, last = 0;
    view_->GetVisibleRange(&first, &last);
    OverviewBoxes boxes = ComputeOverviewBoxes(client, 100000, first, last, 50000, 60000, -1);
    auto pixel = [&](int x, int y) { return ::GetPixel(dc->m_hDC, x, y); };
    int y = (boxes.document.top + boxes.document.bottom) / 2;
    EXPECT_EQ(pixel((boxes.selection.left + boxes.selection.right) / 2, y), SkinColorAt(50));
    EXPECT_EQ(pixel(boxes.window.left + 1, y), SkinColorAt(49));
    EXPECT_EQ(pixel(boxes.document.right - 1, boxes.document.top), SkinColorAt(48));
}

namespace {
// A parent that counts the zoom commands its button posts.
class CommandCounter : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wp, LPARAM lp) override
    {
        if (message == WM_COMMAND)
            ++counts[LOWORD(wp)];
        return CWnd::WindowProc(message, wp, lp);
    }
    std::map<int, int> counts;
};

void PumpFor(DWORD ms)
{
    DWORD until = ::GetTickCount() + ms;
    while (int(until - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(5);
    }
}
} // namespace

TEST_F(ViewTest, HeldZoomHalfPostsOnceThenEvery200MsAndNeverSwitchesHalves)
{
    CommandCounter parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "zoom", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    CZoomButton button;
    ASSERT_TRUE(button.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 16, 32}, &parent, 108));
    button.Attach();
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 4));
    PumpFor(20);
    EXPECT_EQ(parent.counts[kCmdZoomInAmplitude], 1) << "one command at once";
    PumpFor(300);
    EXPECT_EQ(parent.counts[kCmdZoomInAmplitude], 2) << "then one after 200 ms";
    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 24)); // onto the lower half
    PumpFor(450);
    EXPECT_EQ(parent.counts[kCmdZoomInAmplitude], 2) << "off the pressed half: no repeats";
    EXPECT_EQ(parent.counts[kCmdZoomOutAmplitude], 0) << "never switches halves";
    button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(8, 24));
    EXPECT_EQ(button.GetMode(), ' ');
    button.DestroyWindow();
    parent.DestroyWindow();
}
