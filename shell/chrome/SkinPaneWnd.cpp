#include "SkinPaneWnd.h"

#include "SkinImage.h"
#include "SkinTables.h"

namespace {

const int kFirstId = kSkinScrlLeftBtn; // 89
const int kBitmapCount = 14;
HBITMAP g_bitmaps[kBitmapCount] = {};

HBITMAP BitmapOf(int id)
{
    int index = id - kFirstId;
    return index >= 0 && index < kBitmapCount ? g_bitmaps[index] : nullptr;
}

// The images of one bar kind, in the order of the table: arrows, thumb ends and middle, tracks.
struct BarImages {
    int arrowFirst, arrowLast, thumbStart, thumbMiddle, thumbEnd, track, trackDisabled;
};
const BarImages kHorizontal = {89, 90, 91, 92, 93, 94, 95};
const BarImages kVertical = {96, 97, 98, 99, 100, 101, 102};

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info))
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// Stretches the source piece of the bitmap into the rectangle of dc.
void Stretch(HDC dc, HDC source, HBITMAP bitmap, const RECT& r, int sx, int sy, int sw, int sh)
{
    if (!bitmap || sw <= 0 || sh <= 0 || r.right <= r.left || r.bottom <= r.top)
        return;
    HGDIOBJ old = ::SelectObject(source, bitmap);
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, sx, sy, sw, sh, SRCCOPY);
    ::SelectObject(source, old);
}

void StretchWhole(HDC dc, HDC source, HBITMAP bitmap, const RECT& r)
{
    SIZE s = BitmapSize(bitmap);
    Stretch(dc, source, bitmap, r, 0, 0, s.cx, s.cy);
}

// A memory DC to select the source bitmaps into, kept for the program's life.
HDC SourceDC()
{
    static HDC dc = ::CreateCompatibleDC(nullptr);
    return dc;
}

// The last composed thumb: a drag repaints the same thumb many times.
struct ComposedThumb {
    HBITMAP bitmap = nullptr;
    int bar = -1;
    int width = 0, height = 0;
    HBITMAP start = nullptr, middle = nullptr, end = nullptr;
};
ComposedThumb g_thumb;

void DropComposedThumb()
{
    if (g_thumb.bitmap)
        ::DeleteObject(g_thumb.bitmap);
    g_thumb = ComposedThumb();
}

} // namespace

BOOL LoadSkinScrollBitmaps()
{
    for (int i = 0; i < kBitmapCount; ++i) {
        if (g_bitmaps[i])
            continue;
        SkinImage* image = SkinImageAt(kFirstId + i);
        HBITMAP bitmap = image ? image->CreateHBitmap(0xFF000000) : nullptr;
        if (!bitmap)
            return FALSE;
        g_bitmaps[i] = bitmap;
    }
    return TRUE;
}

void FreeSkinScrollBitmaps()
{
    DropComposedThumb();
    for (HBITMAP& bitmap : g_bitmaps) {
        if (bitmap)
            ::DeleteObject(bitmap);
        bitmap = nullptr;
    }
}

BEGIN_MESSAGE_MAP(SkinPaneWnd, ScrollSkinWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

int SkinPaneWnd::GetBarThickness() const
{
    return m_bar == 1 ? GetSkinImageSize(kSkinScrlUpBtn).cx / 4 : -1;
}

int SkinPaneWnd::GetArrowLength() const
{
    return m_bar == 0 ? GetSkinImageSize(kSkinScrlLeftBtn).cy : -1;
}

int SkinPaneWnd::OnCreate(LPCREATESTRUCTA cs)
{
    if (ScrollSkinWnd::OnCreate(cs) == -1)
        return -1;
    m_customDrawn = TRUE;
    if (m_bar == 1)
        SetScrollButtonSize(-1, GetBarThickness());
    else
        SetScrollButtonSize(GetArrowLength(), -1);
    SetScrollBarMetric(GetSkinImageSize(kSkinScrlNobRlLeft).cx + GetSkinImageSize(kSkinScrlNobRlRight).cx);
    return 0;
}

BOOL SkinPaneWnd::DrawItem(HDC dc, const RECT& rect, int bar, int item, UINT state)
{
    PaintItem(dc, rect, bar, item, state);
    return TRUE;
}

void SkinPaneWnd::PaintItem(HDC dc, const RECT& rect, int bar, int item, UINT state)
{
    if (!dc || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    const BarImages& images = bar == 1 ? kVertical : kHorizontal;
    HDC source = SourceDC();
    if (!source)
        return;
    switch (item) {
    case kScrollItemArrowFirst:
    case kScrollItemArrowLast: {
        HBITMAP bitmap = BitmapOf(item == kScrollItemArrowFirst ? images.arrowFirst : images.arrowLast);
        SIZE s = BitmapSize(bitmap);
        int frame = (state & CDIS_SELECTED) ? 2 : (state & CDIS_DISABLED) ? 1 : 0;
        int frameWidth = s.cx / 4;
        Stretch(dc, source, bitmap, rect, frame * frameWidth, 0, frameWidth, s.cy);
        break;
    }
    case kScrollItemPageBefore:
    case kScrollItemPageAfter:
        StretchWhole(dc, source, BitmapOf((state & CDIS_DISABLED) ? images.trackDisabled : images.track), rect);
        break;
    case kScrollItemThumb: {
        // Composed at the images' thickness, so that the ends keep their natural size along the
        // bar; then stretched across into the item.
        HBITMAP start = BitmapOf(images.thumbStart), middle = BitmapOf(images.thumbMiddle);
        HBITMAP end = BitmapOf(images.thumbEnd);
        SIZE ss = BitmapSize(start), ms = BitmapSize(middle), es = BitmapSize(end);
        bool horizontal = bar != 1;
        int along = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
        int across = horizontal ? ms.cy : ms.cx;
        if (across <= 0)
            break;
        int w = horizontal ? along : across, h = horizontal ? across : along;
        HDC compose = ::CreateCompatibleDC(dc);
        if (!compose)
            break;
        bool same = g_thumb.bitmap && g_thumb.bar == bar && g_thumb.width == w && g_thumb.height == h &&
                    g_thumb.start == start && g_thumb.middle == middle && g_thumb.end == end;
        if (!same) {
            DropComposedThumb();
            g_thumb.bitmap = ::CreateCompatibleBitmap(dc, w, h);
            if (!g_thumb.bitmap) {
                ::DeleteDC(compose);
                break;
            }
            g_thumb.bar = bar;
            g_thumb.width = w;
            g_thumb.height = h;
            g_thumb.start = start;
            g_thumb.middle = middle;
            g_thumb.end = end;
        }
        HGDIOBJ oldCanvas = ::SelectObject(compose, g_thumb.bitmap);
        if (!same) {
            RECT all = {0, 0, w, h};
            StretchWhole(compose, source, middle, all);
            if (horizontal) {
                Stretch(compose, source, start, {0, 0, ss.cx, h}, 0, 0, ss.cx, ss.cy);
                Stretch(compose, source, end, {w - es.cx, 0, w, h}, 0, 0, es.cx, es.cy);
            } else {
                Stretch(compose, source, start, {0, 0, w, ss.cy}, 0, 0, ss.cx, ss.cy);
                Stretch(compose, source, end, {0, h - es.cy, w, h}, 0, 0, es.cx, es.cy);
            }
        }
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, compose, 0, 0, w, h,
                     SRCCOPY);
        ::SelectObject(compose, oldCanvas);
        ::DeleteDC(compose);
        break;
    }
    default:
        break;
    }
}
