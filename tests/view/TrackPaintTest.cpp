// The track area's pictures, drawn into memory bitmaps: waveform columns at 16 and 24 bits,
// the selection's colours and width, the play-cursor line; and the sample units behind them.
#include "ViewFixture.h"
#include "ScreenShot.h"

#include "SampleUnits.h"
#include "SkinTables.h"
#include "TrackAreaPane.h"

#include <cmath>

namespace {

struct UnitCase {
    int bits;
    int32_t storage;
    int32_t view;
};

// A square wave of the period: every point of that many samples holds +a and -a.
std::vector<int32_t> Square(int frames, int period, int32_t a)
{
    std::vector<int32_t> v(size_t(frames), 0);
    for (int i = 0; i < frames; ++i)
        v[size_t(i)] = (i % period) < period / 2 ? a : -a;
    return v;
}

// The pane's full paint into a 32-bit bitmap of its client size.
class Picture {
public:
    explicit Picture(CTrackAreaPane& pane)
    {
        ::GetClientRect(pane.m_hWnd, &client);
        BITMAPINFO info = kvtest::TopDownInfo32(client.right, client.bottom);
        dc = ::CreateCompatibleDC(nullptr);
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = ::SelectObject(dc, bitmap);
        pane.DrawTracks(dc, client, client);
        ::GdiFlush();
    }
    ~Picture()
    {
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    COLORREF At(int x, int y) const
    {
        DWORD p = bits[size_t(y) * size_t(client.right) + size_t(x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    RECT client{};
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* bits = nullptr;
};

} // namespace

TEST(SampleUnits, StorageAndViewUnitsConvertBothWaysAtEveryWidth)
{
    const UnitCase cases[] = {
        {8, 255, 127},
        {8, 0, -128},
        {8, 128, 0},
        {16, -32768, -32768},
        {16, 32767, 32767},
        {24, 0x7FFFFF00, 8388607},
        {24, INT32_MIN, -8388608},
        {20, 0x40000000, 262144},
        {32, 0x40000000, 16384},
    };
    for (const UnitCase& c : cases) {
        EXPECT_EQ(StorageToViewSample(c.storage, c.bits), c.view) << c.bits << " bits " << c.storage;
        EXPECT_EQ(ViewToStorageSample(c.view, c.bits), c.storage) << c.bits << " bits " << c.view;
    }
    // Past the range the storage value clamps instead of wrapping.
    EXPECT_EQ(ViewToStorageSample(300, 8), 255);
    EXPECT_EQ(ViewToStorageSample(9000000, 24), INT32_MAX);
    EXPECT_EQ(FullScaleForBits(32), 32768);
    EXPECT_EQ(FullScaleForBits(24), 8388608);
}

TEST(SampleUnits, ValueToYKeepsSixtyFourBitProductsAtTwentyFourBits)
{
    // 100 x 8388607 x 64 passes 2^31: a 32-bit product would wrap to a y far off the row.
    EXPECT_EQ(SampleValueToY(0, 0, 10, 100, 8388607, 64, 8388608), 50 - 3199);
    EXPECT_EQ(SampleValueToY(0, 10, 10, 110, 8388608, 1, 8388608), 10);
    EXPECT_EQ(SampleValueToY(0, 10, 10, 110, -8388608, 1, 8388608), 110);
    EXPECT_EQ(SampleValueToY(0, 10, 10, 110, 0, 0, 0), 60);
}

TEST(SampleUnits, AHalvedPeakBufferIsNeverAskedForMoreThanItHolds)
{
    CWaveformPainter painter;
    painter.GrowBuffer(100); // 12 entries of 8 bytes
    EXPECT_EQ(painter.EntriesToRead(1000, 1), 12u);
    EXPECT_EQ(painter.EntriesToRead(1000, 5), 10u); // whole points only
    EXPECT_EQ(painter.EntriesToRead(6, 2), 6u);
}

class TrackPaintTest : public ViewTest {
protected:
    // One track of a square wave (period = samples per pixel) at the zoom.
    void Prepare(WORD bits, int32_t amplitude, int64_t samplesPerPixel)
    {
        ASSERT_NE(NewDocument(bits), nullptr);
        FillTrack(0, Square(int(samplesPerPixel) * 400, int(samplesPerPixel), amplitude), bits);
        view_->SetTimeZoom(samplesPerPixel * 64);
        view_->SetFirstVisibleSample(0);
        HideEnvelopes();
        doc_->GetSelection()->SetRowRange(0, 0);
        doc_->GetSelection()->SetSelection(0, 0, TRUE);
    }
    // The column a sample lies in, in pane client x.
    int Column(int64_t sample) { return view_->GetChannelRect(0, 0).left + int(view_->SampleToPixel(sample)); }
};

TEST_F(TrackPaintTest, APeakColumnSpansTheRowsOfItsValuesAtSixteenAndTwentyFourBits)
{
    for (WORD bits : {WORD(16), WORD(24)}) {
        int32_t full = FullScaleForBits(bits), amplitude = full / 2;
        Prepare(bits, amplitude, 64);
        RECT row = view_->GetChannelRect(0, 0);
        int top = SampleValueToY(row.left, row.top + 2, row.right, row.bottom - 2, amplitude, 1, full);
        int bottom = SampleValueToY(row.left, row.top + 2, row.right, row.bottom - 2, -amplitude, 1, full);
        ASSERT_LT(top, bottom);
        Picture picture(view_->GetTrackArea());
        COLORREF wave = SkinColorAt(2);
        int x = Column(64 * 100);
        for (int y = top; y <= bottom; ++y)
            EXPECT_EQ(picture.At(x, y), wave) << bits << " bits, y " << y;
        EXPECT_NE(picture.At(x, top - 1), wave) << bits;
        EXPECT_NE(picture.At(x, bottom + 1), wave) << bits;
        // The next depth in a document of its own (the program runs once per test).
        doc_->SetModifiedFlag(FALSE);
        child_->SendMessage(WM_CLOSE);
        Pump();
    }
}

TEST_F(TrackPaintTest, SelectedColumnsTurnToColourSixWithTheWaveInColourOne)
{
    Prepare(16, 16000, 64);
    doc_->GetSelection()->SetSelection(64 * 100, 64 * 120, TRUE);
    RECT row = view_->GetChannelRect(0, 0);
    Picture picture(view_->GetTrackArea());
    int mid = (row.top + row.bottom) / 2 + 3;
    for (int x : {Column(64 * 100), Column(64 * 110), Column(64 * 119)}) {
        EXPECT_EQ(picture.At(x, row.top + 1), SkinColorAt(6)) << x;
        EXPECT_EQ(picture.At(x, mid), SkinColorAt(1)) << x;
    }
    for (int x : {Column(64 * 99), Column(64 * 120)}) {
        EXPECT_EQ(picture.At(x, row.top + 1), SkinColorAt(1)) << x;
        EXPECT_EQ(picture.At(x, mid), SkinColorAt(2)) << x;
    }
}

TEST_F(TrackPaintTest, ASelectionNarrowerThanAPixelFillsOneColumn)
{
    Prepare(16, 1000, 256);
    doc_->GetSelection()->SetSelection(256 * 50 + 10, 256 * 50 + 20, TRUE);
    RECT row = view_->GetChannelRect(0, 0);
    Picture picture(view_->GetTrackArea());
    int filled = 0;
    for (int x = row.left; x < row.right; ++x)
        filled += picture.At(x, row.top + 1) == SkinColorAt(6);
    EXPECT_EQ(filled, 1);
}

TEST_F(TrackPaintTest, ThePlayCursorIsOneInvertedColumnOnEveryRowAfterARepaint)
{
    Prepare(16, 8000, 64);
    ComRef<IMtTrack> second;
    ASSERT_EQ(S_OK, doc_->GetTrackSet()->InsertTrack(0, 2, second.Out(), -1));
    ::MoveWindow(child_->m_hWnd, 0, 0, 700, 700, TRUE);
    Pump();
    ASSERT_EQ(view_->GetRowCount(), 3);
    CTrackAreaPane& pane = view_->GetTrackArea();
    Picture plain(pane);
    pane.GetPlayCursorLine().SetPosition(64 * 30);
    Picture cursor(pane);
    pane.GetPlayCursorLine().SetPosition(-1);
    int x = Column(64 * 30);
    for (int r = 0; r < 3; ++r) {
        RECT row = view_->GetChannelRect(r, -1);
        ASSERT_LE(row.bottom, plain.client.bottom) << "row " << r;
        for (int y = row.top; y < row.bottom; ++y) {
            EXPECT_EQ(cursor.At(x, y), plain.At(x, y) ^ 0xFFFFFF) << "row " << r << " y " << y;
            EXPECT_EQ(cursor.At(x + 1, y), plain.At(x + 1, y));
            EXPECT_EQ(cursor.At(x - 1, y), plain.At(x - 1, y));
        }
    }
}
