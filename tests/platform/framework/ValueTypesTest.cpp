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
    EXPECT_EQ(CPoint((LPARAM)MAKELPARAM(-3, 4)), CPoint(-3, 4));
}

TEST(FrameworkGdi, ObjectsOwnTheirHandles)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(128));   // the sample tool bar's bitmap
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
    EXPECT_EQ(::GetObjectA(handle, sizeof gone, &gone), 0);   // deleted with its wrapper
}
