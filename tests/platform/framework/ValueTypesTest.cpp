// The small value types: CString, CRect, CPoint, CSize.
#include "Framework.h"
#include <gtest/gtest.h>

TEST(FrameworkString, FormatsFindsAndSlices)
{
    CString s;
    s.Format("%s-%03d", "take", 7);
    EXPECT_STREQ(s, "take-007");
    EXPECT_EQ(s.GetLength(), 8);
    EXPECT_EQ(s.Find('-'), 4);
    EXPECT_EQ(s.Find("07"), 6);
    EXPECT_EQ(s.Find('x'), -1);
    EXPECT_EQ(s.ReverseFind('0'), 6);
    EXPECT_STREQ(s.Left(4), "take");
    EXPECT_STREQ(s.Right(3), "007");
    EXPECT_STREQ(s.Mid(5), "007");
    EXPECT_STREQ(s.Mid(5, 1), "0");
    // Out-of-range slices clamp instead of failing.
    EXPECT_STREQ(s.Left(100), "take-007");
    EXPECT_STREQ(s.Mid(20), "");
    EXPECT_STREQ(s.Right(-1), "");
}

TEST(FrameworkString, LongFormatAndBufferAccess)
{
    CString s;
    s.Format("%0500d", 1);
    EXPECT_EQ(s.GetLength(), 500);
    char* buffer = s.GetBuffer(16);
    lstrcpyA(buffer, "short");
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "short");
    CString t("  padded \t");
    t.Trim();
    EXPECT_STREQ(t, "padded");
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
    CString r("a.b.c");
    EXPECT_EQ(r.Replace(".", "::"), 2);
    EXPECT_STREQ(r, "a::b::c");
}

TEST(FrameworkRect, MeasuresAndMoves)
{
    CRect r(10, 20, 110, 70);
    EXPECT_EQ(r.Width(), 100);
    EXPECT_EQ(r.Height(), 50);
    EXPECT_EQ(r.CenterPoint(), CPoint(60, 45));
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(r.PtInRect(CPoint(110, 20)));
    r.OffsetRect(5, -5);
    EXPECT_EQ(r, CRect(15, 15, 115, 65));
    r.DeflateRect(5, 5);
    EXPECT_EQ(r.Size(), CSize(90, 40));
    CRect flipped(10, 10, 0, 0);
    EXPECT_TRUE(flipped.IsRectEmpty());
    flipped.NormalizeRect();
    EXPECT_EQ(flipped, CRect(0, 0, 10, 10));
    EXPECT_EQ(CPoint(static_cast<LPARAM>(MAKELPARAM(-3, 4))), CPoint(-3, 4));
}

TEST(FrameworkGdi, ObjectsOwnTheirHandles)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(128)); // the sample tool bar's bitmap
    BITMAP info = {};
    bitmap.GetBitmap(&info);
    EXPECT_EQ(info.bmWidth, 48);
    EXPECT_EQ(info.bmHeight, 15);
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, "Arial"));
    LOGFONTA logFont = {};
    EXPECT_GT(font.GetLogFont(&logFont), 0);
    EXPECT_LT(logFont.lfHeight, 0);
    HGDIOBJ handle = nullptr;
    {
        CBrush brush(RGB(1, 2, 3));
        handle = brush;
        LOGBRUSH lb = {};
        EXPECT_GT(::GetObjectA(handle, sizeof lb, &lb), 0);
        EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
    }
    LOGBRUSH gone = {};
    EXPECT_EQ(::GetObjectA(handle, sizeof gone, &gone), 0); // deleted with its wrapper
}

TEST(FrameworkCollections, ObjectArrayKeepsOrderAndIgnoresBadIndexes)
{
    struct CItem : CObject {
        int n;
        explicit CItem(int v) : n(v) {}
    };
    CItem a(1), b(2), c(3), d(4);
    CObArray array;
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(array.Add(&a), 0);
    EXPECT_EQ(array.Add(&c), 1);
    array.InsertAt(1, &b);
    array.InsertAt(99, &d); // past the end: appended
    ASSERT_EQ(array.GetSize(), 4);
    const CObject* expected[] = {&a, &b, &c, &d};
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        EXPECT_EQ(array[i], expected[i]) << i;
    EXPECT_EQ(array.GetAt(-1), nullptr);
    EXPECT_EQ(array.GetAt(4), nullptr);
    array.SetAt(7, &a); // ignored
    array.RemoveAt(1, 2);
    ASSERT_EQ(array.GetSize(), 2);
    EXPECT_EQ(array[1], &d);
    array.RemoveAt(1, 10); // clamps at the end
    EXPECT_EQ(array.GetUpperBound(), 0);
    array.RemoveAll();
    EXPECT_EQ(array.GetCount(), 0);
}

TEST(FrameworkCollections, StringMapLooksUpByExactKeyAndVisitsEveryEntryOnce)
{
    int one = 1, two = 2, three = 3;
    CMapStringToPtr map(10);
    map.SetAt("Gain", &one);
    map.SetAt("gain", &two); // keys are case-sensitive
    map["Slope"] = &three;
    map.SetAt("Gain", &three); // replaces
    EXPECT_EQ(map.GetCount(), 3);
    void* value = nullptr;
    ASSERT_TRUE(map.Lookup("Gain", value));
    EXPECT_EQ(value, &three);
    EXPECT_FALSE(map.Lookup("GAIN", value));
    EXPECT_EQ(value, &three); // untouched by a failed lookup

    std::vector<std::string> keys;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        CString key;
        map.GetNextAssoc(pos, key, value);
        keys.emplace_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Gain", "Slope", "gain"}));
    EXPECT_TRUE(map.RemoveKey("Slope"));
    EXPECT_FALSE(map.RemoveKey("Slope"));
    map.RemoveAll();
    EXPECT_EQ(map.GetStartPosition(), nullptr);
}

namespace {
// Pixels of a 64 x 64 white memory bitmap that are no longer white.
int ChangedPixels(CDC& dc, const RECT& area)
{
    int changed = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if ((::GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF)
                ++changed;
    return changed;
}
} // namespace

TEST(FrameworkDC, DragRectangleMovesWithoutLeavingTraces)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    HBITMAP bitmap = ::CreateBitmap(64, 64, 1, 32, nullptr);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = dc.SelectObject(bitmap);
    const RECT all = {0, 0, 64, 64};
    dc.FillSolidRect(all, RGB(255, 255, 255));

    const RECT first = {4, 4, 30, 30}, second = {20, 20, 60, 50};
    const SIZE thick = {5, 5}, none = {0, 0};
    dc.DrawDragRect(first, thick, nullptr, none);
    EXPECT_GT(ChangedPixels(dc, first), 0);
    EXPECT_EQ(ChangedPixels(dc, RECT{9, 9, 25, 25}), 0); // the inside stays clear
    dc.DrawDragRect(second, thick, &first, thick);
    EXPECT_EQ(ChangedPixels(dc, RECT{0, 0, 20, 64}), 0); // the first frame is gone...
    EXPECT_GT(ChangedPixels(dc, second), 0);             // ...the second shows
    dc.DrawDragRect(second, none, &second, thick);
    EXPECT_EQ(ChangedPixels(dc, all), 0);

    dc.InvertRect(RECT{0, 0, 2, 2});
    EXPECT_EQ(ChangedPixels(dc, all), 4);
    dc.SelectObject(old);
    ::DeleteObject(bitmap);
}

TEST(FrameworkDC, MemoryContextIsDeletedWithItsObject)
{
    HDC made = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        made = dc.GetSafeHdc();
        EXPECT_EQ(::GetObjectType(made), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(::GetObjectType(made), 0u);
    // A CDC that only wraps a context leaves it alone.
    HDC screen = ::GetDC(nullptr);
    {
        CDC wrapper(screen);
    }
    EXPECT_NE(::GetObjectType(screen), 0u);
    ::ReleaseDC(nullptr, screen);
}

namespace {
struct ThreadProbe {
    HANDLE go = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    volatile LONG ran = 0;
    ~ThreadProbe()
    {
        ::CloseHandle(go);
        ::CloseHandle(done);
    }
};

UINT WaitThenRun(LPVOID param)
{
    auto* probe = static_cast<ThreadProbe*>(param);
    ::WaitForSingleObject(probe->go, 5000);
    ::InterlockedIncrement(&probe->ran);
    ::SetEvent(probe->done);
    return 7;
}

UINT Throws(LPVOID)
{
    throw 42;
}
} // namespace

TEST(FrameworkThread, KeptThreadCanBeWaitedOnAndGivesItsExitCode)
{
    ThreadProbe probe;
    CWinThread* thread = AfxBeginThread(WaitThenRun, &probe, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_NE(thread->m_nThreadID, 0u);
    EXPECT_EQ(thread->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    ::SetEvent(probe.go);
    EXPECT_EQ(probe.ran, 0); // still suspended
    thread->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(thread->m_hThread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeThread(thread->m_hThread, &code);
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(probe.ran, 1);
    delete thread;

    // An exception ends only its own thread.
    CWinThread* failing = AfxBeginThread(Throws, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(failing, nullptr);
    failing->m_bAutoDelete = FALSE;
    failing->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(failing->m_hThread, 5000), WAIT_OBJECT_0);
    ::GetExitCodeThread(failing->m_hThread, &code);
    EXPECT_EQ(code, static_cast<DWORD>(-1));
    delete failing;
}

TEST(FrameworkThread, AutoDeletingThreadRunsOnItsOwn)
{
    ThreadProbe probe;
    ::SetEvent(probe.go);
    ASSERT_NE(AfxBeginThread(WaitThenRun, &probe), nullptr);
    EXPECT_EQ(::WaitForSingleObject(probe.done, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(probe.ran, 1);
    EXPECT_EQ(AfxBeginThread(nullptr, nullptr), nullptr);
}
