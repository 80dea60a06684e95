// The volume line of a long envelope drawn into a memory bitmap: where points lie denser than
// the pixels, the line paints exactly the pixels of every stretch drawn on its own.
#include "ViewFixture.h"
#include "ScreenShot.h"

#include "EnvelopeEditor.h"
#include "KsMultiTrack.h"

#include <cmath>

namespace {

// A white 32-bit bitmap of the pane's size with its own device context.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO info = kvtest::TopDownInfo32(width, height);
        dc = ::CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = ::SelectObject(dc, bitmap_);
        ::PatBlt(dc, 0, 0, width, height, WHITENESS);
    }
    ~Canvas()
    {
        ::SelectObject(dc, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc);
    }
    bool Painted(int x, int y) const { return (bits_[size_t(y) * size_t(width_) + size_t(x)] & 0xFFFFFF) != 0xFFFFFF; }

    HDC dc = nullptr;

private:
    int width_, height_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

} // namespace

class EnvelopePaintTest : public ViewTest {};

TEST_F(EnvelopePaintTest, DensePointsPaintThePixelsOfEveryStretchDrawnAlone)
{
    ASSERT_TRUE(NewFilledTrack()); // 64 samples per pixel from sample 0
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(doc_->GetTrack(0));
    ComRef<IMtEnvelope> level;
    ASSERT_TRUE(set && SUCCEEDED(set->GetEnvelope(kMtEnvLevel, level.Out())));
    // Columns of nine points swinging across the row, then points wider apart than a column,
    // then a slow slope whose points mostly share their column's row.
    for (int64_t p = 0; p < 64 * 100; p += 7)
        level->InsertPoint(p, (p / 7) % 2 ? 1.4f : 0.2f + float(p % 640) / 1000.0f);
    for (int64_t p = 64 * 100; p < 64 * 200; p += 64 * 9)
        level->InsertPoint(p, float(0.8 + 0.5 * std::sin(double(p) / 2000.0)));
    for (int64_t p = 64 * 200; p < 64 * 300; p += 5)
        level->InsertPoint(p, 0.5f + float(p - 64 * 200) / 20000.0f);

    RECT wave = view_->GetTrackWaveRect(0), client;
    ::GetClientRect(view_->GetTrackArea().m_hWnd, &client);
    ASSERT_GT(wave.right - wave.left, 300);
    int64_t first = 0, last = 0;
    view_->GetVisibleRange(&first, &last);
    CEnvelopeEditor editor;
    editor.Load(view_, 0, 0, first, last);
    ASSERT_GT(editor.Points().size(), 2000u);

    Canvas drawn(client.right, client.bottom), alone(client.right, client.bottom);
    editor.Draw(drawn.dc, wave);

    // Every stretch on its own, and a square at the first point of each column.
    ::IntersectClipRect(alone.dc, wave.left, wave.top, wave.right, wave.bottom);
    ::SelectObject(alone.dc, ::GetStockObject(BLACK_PEN));
    ::SelectObject(alone.dc, ::GetStockObject(BLACK_BRUSH));
    auto at = [&](const EnvelopePoint& p) {
        return POINT{wave.left + int(std::trunc(view_->SampleToPixel(p.position - first))),
                     editor.ValueToY(wave, p.value)};
    };
    POINT previous = at(editor.Points().front());
    int squareX = INT_MIN;
    for (const EnvelopePoint& point : editor.Points()) {
        POINT p = at(point);
        if (p.x != previous.x || p.y != previous.y) {
            ::MoveToEx(alone.dc, previous.x, previous.y, nullptr);
            ::LineTo(alone.dc, p.x, p.y);
        }
        if (p.x != squareX) {
            ::PatBlt(alone.dc, p.x - 2, p.y - 2, 5, 5, PATCOPY);
            squareX = p.x;
        }
        previous = p;
    }
    ::MoveToEx(alone.dc, previous.x, previous.y, nullptr);
    ::LineTo(alone.dc, wave.right, previous.y);
    ::GdiFlush();

    int differ = 0, painted = 0;
    for (int y = wave.top; y < wave.bottom; ++y)
        for (int x = wave.left; x < wave.right; ++x) {
            differ += drawn.Painted(x, y) != alone.Painted(x, y);
            painted += drawn.Painted(x, y);
        }
    EXPECT_EQ(0, differ);
    EXPECT_GT(painted, 3000);
}
