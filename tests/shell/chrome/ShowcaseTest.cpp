// Not run by the suite: shows a skinned mini frame with skinned scroll bars and the corner panes
// on the build's skin images, for a look or a screenshot under a virtual display.
//   chrome_tests --gtest_also_run_disabled_tests --gtest_filter=*Showcase*   (KV_SHOW_SECONDS=8)
#include <gtest/gtest.h>

#include "ChromeTestSupport.h"
#include "CornerPanes.h"
#include "FontSet.h"
#include "NyMiniFrame.h"
#include "SkinPaneWnd.h"

#include <cstdlib>

namespace {

// The pane inside the frame: dark like the view, with the corner panes and two scroll bars.
class ShowcasePane : public CWnd {
public:
    CGroupButtonPane group;
    CSkinPushButton corner;
    CSkinStatic filler;
    SkinPaneWnd vertical;
    SkinPaneWnd horizontal;

    void Build()
    {
        group.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 1, 1), this, 113);
        corner.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 1, 1), this, 114);
        filler.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 1, 1), this, 115);
        vertical.Create(WS_VISIBLE | SBS_VERT, CRect(0, 0, 16, 100), this, 120);
        horizontal.Create(WS_VISIBLE, CRect(0, 0, 100, 16), this, 121);
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMax = 99;
        si.nPage = 30;
        si.nPos = 20;
        vertical.SetScrollInfo(&si, TRUE);
        si.nPage = 15;
        si.nPos = 55;
        horizontal.SetScrollInfo(&si, TRUE);
    }
    void Layout(int cx, int cy)
    {
        const int bar = 16, head = 30, left = 120;
        int vw = vertical.GetBarThickness() > 0 ? vertical.GetBarThickness() : bar;
        int hh = horizontal.GetArrowLength() > 0 ? horizontal.GetArrowLength() : bar;
        group.MoveWindow(0, 0, left, head);
        corner.MoveWindow(left, 0, cx - left, head);
        vertical.MoveWindow(cx - vw, head, vw, cy - head - hh);
        horizontal.MoveWindow(left, cy - hh, cx - left - vw, hh);
        filler.MoveWindow(cx - vw, cy - hh, vw, hh);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SIZE)
            Layout(LOWORD(lParam), HIWORD(lParam));
        if (message == WM_ERASEBKGND)
            return 1;
        if (message == WM_PAINT) {
            RECT r;
            GetClientRect(&r);
            CPaintDC dc(m_hWnd);
            dc.FillSolidRect(r, SkinColorAt(kSkinColorPaneBack));
            // The track header column and a few tracks.
            dc.FillSolidRect(CRect(0, 30, 119, r.bottom), RGB(0x33, 0x33, 0x33));
            for (int y = 30; y < r.bottom - 16; y += 54)
                dc.FillSolidRect(CRect(0, y + 52, r.right - 16, y + 53), RGB(0x22, 0x22, 0x22));
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST(Showcase, DISABLED_ShowsASkinnedMiniFrameForAScreenshot)
{
    GdiplusSession gdiplus;
    InitSkinColors();
    FontSet fonts;
    fonts.CreateAll();
    CSkinImageTable table;
    CString missing;
    ASSERT_TRUE(table.LoadFrom(GetImagesFolder(), &missing)) << missing.GetString();
    ASSERT_TRUE(LoadSkinScrollBitmaps());

    auto* frame = new CNyMiniFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Mixer - Tarn Session 1", WS_POPUP | WS_THICKFRAME, CRect(120, 90, 640, 450)));
    frame->InitCaption(kCaptionFlagClose | kCaptionFlagMinimize | kCaptionFlagRollUp); // 41
    ShowcasePane pane;
    ASSERT_TRUE(
        pane.Create(nullptr, nullptr, WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 512, 332), frame, AFX_IDW_PANE_FIRST));
    pane.Build();
    pane.Layout(512, 332);
    frame->SetPane(&pane);
    frame->ShowWindow(SW_SHOW);
    frame->SetForegroundWindow();

    const char* seconds = getenv("KV_SHOW_SECONDS");
    DWORD until = GetTickCount() + 1000u * (seconds ? (DWORD)atoi(seconds) : 8u);
    while (GetTickCount() < until && IsWindowVisible(frame->m_hWnd)) {
        chrometest::Pump();
        Sleep(15);
    }
    frame->DestroyWindow();
    FreeSkinScrollBitmaps();
    table.Free();
}
