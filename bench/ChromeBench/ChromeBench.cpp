// Prints the time of one non-client repaint of a skinned 400 x 300 mini frame and of one repaint
// of a 300-pixel skinned horizontal scroll bar (median of many, in milliseconds).
#include "FontSet.h"
#include "BenchSupport.h"
#include "NyMiniFrame.h"
#include "SkinFixture.h"
#include "SkinPaneWnd.h"

#include <cstdio>
#include <vector>

namespace {

// Stand-ins for a build without skin images: a caption image and the scroll-bar images.
void WriteStandIns(const skintest::SkinFolder& skin)
{
    skintest::SaveImage(skin.Path("frame") + ".bmp", 98, 77, [](int x, int y) {
        return x >= 70 ? RGB(90 + (x - 70) * 4, 90, 110) : RGB(64 + y, 64, 64 + x);
    });
    auto arrow = [&](const char* name) {
        skintest::SaveImage(skin.Path(name) + ".bmp", 64, 16, [](int x, int y) { return RGB(60 + x, 70 + y, 80); });
    };
    for (const char* name : {"scrl_left_btn", "scrl_right_btn", "scrl_up_btn", "scrl_down_btn"})
        arrow(name);
    for (const char* name : {"scrl_nob_rlleft", "scrl_nob_rlright"})
        skintest::SaveImage(skin.Path(name) + ".bmp", 4, 16, [](int x, int y) { return RGB(120 + x, 130 + y, 140); });
    skintest::SaveSolid(skin.Path("scrl_nob_rlcenter") + ".bmp", 8, 16, RGB(130, 130, 140));
    for (const char* name : {"scrl_nob_udtop", "scrl_nob_udbottom"})
        skintest::SaveSolid(skin.Path(name) + ".bmp", 16, 4, RGB(120, 130, 140));
    skintest::SaveSolid(skin.Path("scrl_nob_udcenter") + ".bmp", 16, 8, RGB(130, 130, 140));
    for (const char* name : {"scrl_line_rl", "scrl_bg_rlcenter", "scrl_line_ud", "scrl_bg_udcenter"})
        skintest::SaveSolid(skin.Path(name) + ".bmp", 16, 16, RGB(64, 64, 64));
}

} // namespace

int main()
{
    GdiplusSession gdiplus;
    InitSkinColors();
    FontSet fonts;
    fonts.CreateAll();

    CSkinImageTable table;
    CString missing;
    std::string caption = std::string(GetImagesFolder()) + "frame";
    skintest::SkinFolder standIns; // only filled when the build's images are missing
    bool real = table.LoadFrom(GetImagesFolder(), &missing) && !SkinImage::FindFile(caption.c_str()).IsEmpty();
    if (!real) {
        WriteStandIns(standIns);
        caption = standIns.Path("frame");
        if (!table.LoadFrom(standIns.Folder().c_str(), &missing)) {
            printf("cannot load the stand-in skin: %s\n", missing.GetString());
            return 1;
        }
    }
    LoadSkinScrollBitmaps();
    printf("skin images: %s\n", real ? "the build's images folder" : "drawn stand-ins (no images folder)");

    auto* frame = new CNyMiniFrame;
    frame->Create(nullptr, "Mixer", WS_POPUP | WS_THICKFRAME, CRect(50, 50, 450, 350));
    frame->InitCaption(kCaptionFlagClose | kCaptionFlagMinimize | kCaptionFlagRollUp);
    frame->GetCaptionHelper()->InitFromPath(caption.c_str(),
                                            kCaptionFlagClose | kCaptionFlagMinimize | kCaptionFlagRollUp);
    frame->SetWindowPos(nullptr, 50, 50, 400, 300, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    Time("mini frame 400 x 300, non-client repaint", 500, [&] { frame->SendMessage(WM_NCPAINT, 1, 0); });
    // While the frame is being sized every repaint is at a new size: the frame pieces are drawn again.
    CaptionFrameHelper* helper = frame->GetCaptionHelper();
    skintest::Canvas canvas(401, 300);
    int width = 400;
    Time("mini frame 400 x 300, repaint at a new size", 200, [&] {
        width = width == 400 ? 401 : 400;
        helper->Render(canvas.dc(), width, 300, kCaptionNothing);
    });

    CWnd parent;
    parent.CreateEx(0, nullptr, "Bars", WS_POPUP | WS_VISIBLE, CRect(500, 50, 900, 150), nullptr, 0);
    SkinPaneWnd bar;
    bar.Create(WS_VISIBLE, CRect(10, 10, 310, 26), &parent, 1);
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 999;
    si.nPage = 100;
    si.nPos = 400;
    bar.SetScrollInfo(&si, TRUE);
    Time("skinned scroll bar 300 px, repaint", 500, [&] { bar.SendMessage(WM_NCPAINT, 1, 0); });

    bar.DestroyWindow();
    parent.DestroyWindow();
    frame->DestroyWindow();
    FreeSkinScrollBitmaps();
    table.Free();
    return 0;
}
