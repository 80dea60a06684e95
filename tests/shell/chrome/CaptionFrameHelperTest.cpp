// The skinned caption: painted into memory bitmaps from a caption image whose parts all have
// their own colours, and hit-tested on a real mini frame.
#include <gtest/gtest.h>

#include "ChromeTestSupport.h"
#include "FontSet.h"
#include "NyMiniFrame.h"

using namespace chrometest;
using skintest::Canvas;

namespace {

class CaptionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitSkinColors();
        fonts.CreateAll();
        path = WriteCaptionImage(folder);
    }

    // A skinned mini frame at 100,100 of 400 x 300, with the test caption image.
    CNyMiniFrame* MakeFrame(DWORD flags, const char* title = "Markers")
    {
        auto* frame = new CNyMiniFrame;
        EXPECT_TRUE(frame->Create(nullptr, title, WS_POPUP | WS_THICKFRAME | WS_VISIBLE, CRect(100, 100, 500, 400)));
        frame->InitCaption(flags);
        frame->GetCaptionHelper()->InitFromPath(path.c_str(), flags);
        frame->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        return frame;
    }

    GdiplusSession gdiplus;
    FontSet fonts;
    kvtest::ScratchFolder folder;
    std::string path;
};

int CountPixels(Canvas& canvas, const RECT& r, COLORREF color)
{
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (canvas.At(x, y) == color)
                ++count;
    return count;
}

} // namespace

TEST_F(CaptionTest, CornersStayAtTheirSizeAndTheBandsAreTiledAndCut)
{
    CaptionFrameHelper caption;
    caption.InitFromPath(path.c_str(), kCaptionFlagClose);
    POINT leftTop, rightBottom;
    caption.GetMargins(&leftTop, &rightBottom);
    EXPECT_EQ(leftTop.x, 4);
    EXPECT_EQ(leftTop.y, 24);
    EXPECT_EQ(rightBottom.x, 4);
    EXPECT_EQ(rightBottom.y, 4);
    // Parts outside the table are none; 15 to 18 are never cut.
    for (int n : {-1, 15, 16, 20, 1000}) {
        EXPECT_EQ(caption.GetPart(n), nullptr) << n;
        EXPECT_EQ(caption.GetPartSize(n), CSize(0, 0)) << n;
    }
    EXPECT_EQ(caption.GetPartSize(kCaptionCancel), CSize(28, 14));

    Canvas canvas(200, 100);
    caption.Render(canvas.dc(), 200, 100, kCaptionNothing);
    const struct {
        int x, y;
        COLORREF color;
    } expected[] = {
        {0, 0, kTopLeft},
        {3, 23, kTopLeft},
        {196, 0, kTopRight},
        {199, 23, kTopRight},
        {196, 96, kBottomRight},
        {199, 99, kBottomRight},
        {0, 96, kBottomLeft},
        {3, 99, kBottomLeft},
        // Caption band: 11-pixel tiles from x = 4; the last one (191..195) cut by the corner.
        {4, 20, kBandFirstColumn},
        {5, 20, kBand},
        {15, 20, kBandFirstColumn},
        {191, 20, kBandFirstColumn},
        {195, 20, kBand},
        // Left band: 26-pixel tiles from y = 24, the last cut by the bottom-left corner.
        {0, 24, kLeftEdgeFirstRow},
        {0, 25, kLeftEdge},
        {0, 50, kLeftEdgeFirstRow},
        {2, 76, kLeftEdgeFirstRow},
        {0, 95, kLeftEdge},
        {197, 30, kRightEdge},
        {100, 97, kBottomEdge},
        // The client area keeps the button face.
        {100, 50, GetSysColor(COLOR_BTNFACE)},
    };
    for (const auto& e : expected)
        EXPECT_EQ(canvas.At(e.x, e.y), e.color) << e.x << "," << e.y;
}

TEST_F(CaptionTest, HighlightedCloseButtonShowsTheRightHalfOfItsImage)
{
    CaptionFrameHelper caption;
    caption.InitFromPath(path.c_str(), kCaptionFlagClose);
    // Close: 13 x 13 at x = 200 - 4 - (4 + 14) = 178, y = (24 - 14 + 1) / 2 = 5.
    const struct {
        int highlight;
        COLORREF color;
    } cases[] = {
        {kCaptionNothing, kButtonNormal},
        {kCaptionClose, kButtonHot},
        {kCaptionMaximize, kButtonNormal},
    };
    for (const auto& c : cases) {
        Canvas canvas(200, 100);
        caption.Render(canvas.dc(), 200, 100, c.highlight);
        EXPECT_EQ(canvas.At(178, 5), c.color) << c.highlight;
        EXPECT_EQ(canvas.At(190, 17), c.color) << c.highlight;
        EXPECT_NE(canvas.At(191, 5), c.color) << "the button is drawn one pixel short of its half image";
        EXPECT_NE(canvas.At(177, 5), c.color);
    }
}

TEST_F(CaptionTest, TitleIsDrawnInTheActiveOrInactiveCaptionColour)
{
    CNyMiniFrame* frame = MakeFrame(kCaptionFlagClose | kCaptionFlagRollUp, "Tarn Markers");
    CaptionFrameHelper* caption = frame->GetCaptionHelper();
    const COLORREF active = SkinColorAt(kSkinColorCaptionActive), inactive = SkinColorAt(kSkinColorCaptionInactive);
    ASSERT_EQ(active, RGB(0x3D, 0x3D, 0x3D));
    ASSERT_EQ(inactive, RGB(0x97, 0x97, 0x97));
    const RECT title = {5, 2, 250, 24};
    for (BOOL isActive : {FALSE, TRUE}) {
        caption->SetActive(isActive);
        Canvas canvas(300, 60);
        caption->Render(canvas.dc(), 300, 60, kCaptionNothing);
        EXPECT_GT(CountPixels(canvas, title, isActive ? active : inactive), 10) << isActive;
        EXPECT_EQ(CountPixels(canvas, title, isActive ? inactive : active), 0) << isActive;
    }
    // A title that must be cut to its ellipsis, down to a single character in a narrow caption.
    for (const char* text : {"A", "AB", "Tarn Markers and Loops"}) {
        frame->SetWindowText(text);
        Canvas canvas(60, 40);
        caption->Render(canvas.dc(), 60, 40, kCaptionNothing);
        EXPECT_EQ(canvas.At(0, 0), kTopLeft);
    }
    frame->DestroyWindow();
}

TEST_F(CaptionTest, HitTestsFollowTheSizeLimits)
{
    CNyMiniFrame* frame = MakeFrame(kCaptionFlagClose | kCaptionFlagRollUp);
    HWND hwnd = frame->m_hWnd;
    RECT r = WindowRect(hwnd);
    ASSERT_EQ(r.right - r.left, 400);
    auto at = [&](int x, int y) { return POINT{r.left + x, r.top + y}; };
    const POINT top = at(150, 1), bottom = at(150, 298), left = at(1, 150), right = at(398, 150);
    const POINT corner = at(399, 299), caption = at(150, 12), close = at(385, 10), client = at(200, 150);

    const struct {
        const char* name;
        int minW, minH, maxW, maxH;
        LRESULT top, bottom, left, right, corner;
    } cases[] = {
        {"sizable", 128, 128, 1000, 1000, HTTOP, HTBOTTOM, HTLEFT, HTRIGHT, HTBOTTOMRIGHT},
        {"minimum equals maximum", 400, 300, 400, 300, HTCAPTION, HTCAPTION, HTCAPTION, HTCAPTION, HTCAPTION},
        {"minimum height -100", 128, -100, 1000, 1000, HTCLIENT, HTBOTTOM, HTLEFT, HTRIGHT, HTBOTTOMRIGHT},
        {"fixed height", 128, 300, 1000, 300, HTCAPTION, HTCAPTION, HTLEFT, HTRIGHT, HTRIGHT},
    };
    for (const auto& c : cases) {
        frame->SetSizeLimits(c.minW, c.minH, c.maxW, c.maxH);
        auto hit = [&](POINT p) { return SendMessageA(hwnd, WM_NCHITTEST, 0, ScreenParam(p)); };
        EXPECT_EQ(hit(top), c.top) << c.name;
        EXPECT_EQ(hit(bottom), c.bottom) << c.name;
        EXPECT_EQ(hit(left), c.left) << c.name;
        EXPECT_EQ(hit(right), c.right) << c.name;
        EXPECT_EQ(hit(corner), c.corner) << c.name;
        EXPECT_EQ(hit(caption), HTCAPTION) << c.name;
        EXPECT_EQ(hit(close), HTCLOSE) << c.name;
        // No pane: the client area drags the frame too.
        EXPECT_EQ(hit(client), HTCAPTION) << c.name;
    }
    frame->DestroyWindow();
}

TEST_F(CaptionTest, MissingCaptionImageLeavesAPlainButtonFaceFrame)
{
    CaptionFrameHelper caption;
    caption.InitFromPath(folder.File("nothing").c_str(), kCaptionFlagClose | kCaptionFlagRollUp);
    POINT leftTop, rightBottom;
    caption.GetMargins(&leftTop, &rightBottom);
    EXPECT_EQ(leftTop.x + leftTop.y + rightBottom.x + rightBottom.y, 0);
    Canvas canvas(120, 60);
    caption.Render(canvas.dc(), 120, 60, kCaptionClose);
    EXPECT_TRUE(canvas.AllAre(GetSysColor(COLOR_BTNFACE)));
}
