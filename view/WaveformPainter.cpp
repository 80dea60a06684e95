#include "WaveformPainter.h"

#include "ComRef.h"
#include "KsMultiTrack.h"
#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "SkinTables.h"
#include "TrackAreaPane.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr UINT kStringAllocFailed = 20376;

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r;
    if (!::IntersectRect(&r, &a, &b))
        return RECT{0, 0, 0, 0};
    return r;
}

bool Meets(const RECT& a, const RECT& b)
{
    RECT r;
    return ::IntersectRect(&r, &a, &b) != 0;
}

} // namespace

void FillColour(HDC dc, const RECT& r, COLORREF colour)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

void PaintBuffered(HWND wnd, bool ready, const std::function<void(HDC, const RECT&)>& draw)
{
    PAINTSTRUCT ps;
    HDC paint = ::BeginPaint(wnd, &ps);
    RECT client;
    ::GetClientRect(wnd, &client);
    CDC target(paint);
    MemoryDC buffer;
    if (CDC* mem = ready ? buffer.Create(&target, client) : nullptr) {
        draw(mem->m_hDC, client);
        ::BitBlt(paint, 0, 0, client.right, client.bottom, mem->m_hDC, 0, 0, SRCCOPY);
    }
    ::EndPaint(wnd, &ps);
}

void DrawHLine(HDC dc, const RECT& r, int y, COLORREF colour)
{
    if (y < r.top || y > r.bottom)
        return;
    RECT line{r.left, y, r.right, y + 1};
    FillColour(dc, line, colour);
}

void DrawSampleSquare(HDC dc, COLORREF colour, int x, int y)
{
    RECT square{x - 2, y - 2, x + 3, y + 3};
    FillColour(dc, square, colour);
}

// Painter --------------------------------------------------------------------------------------

CWaveformPainter::~CWaveformPainter()
{
    if (m_buffer)
        ::GlobalFree(m_buffer);
    if (m_hatch)
        ::DeleteObject(m_hatch);
}

void CWaveformPainter::GrowBuffer(uint64_t bytes)
{
    if (bytes < 0xFFFFFFFFull) {
        if (HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(bytes))) {
            if (m_buffer)
                ::GlobalFree(m_buffer);
            m_buffer = block;
            m_bufferSize = uint32_t(bytes);
            return;
        }
    }
    while (bytes > 0xFFFFFFFFull)
        bytes >>= 1;
    HGLOBAL block = nullptr;
    while (!block && bytes >= 2) {
        bytes /= 2;
        block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(bytes));
    }
    if (m_buffer)
        ::GlobalFree(m_buffer);
    m_buffer = block;
    m_bufferSize = block ? uint32_t(bytes) : 0;
}

uint32_t CWaveformPainter::EntriesToRead(uint64_t wanted, int channels) const
{
    // A halved buffer holds fewer entries than asked: read only whole points that fit.
    uint64_t fits = BufferEntries() / uint32_t(channels) * uint32_t(channels);
    return uint32_t(std::min(wanted, fits));
}

void CWaveformPainter::DrawTrackPeaks(HDC dc, int track, IMtTrack* object, const RECT& clip)
{
    if (!m_view || !object)
        return;
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    if (!doc)
        return;
    int channels = std::max<int>(1, doc->GetTrackChannels(track));
    RECT wave = m_view->GetTrackWaveRect(track);
    RECT visible = Intersect(wave, clip);
    if (visible.right <= visible.left)
        return;
    PointStep step = PointStepFor(m_view->GetSamplesPerPixel(0));
    int flag = doc->GetSettings().waveShowMode == 0 ? 1 : 0;

    uint64_t entries = uint64_t((visible.right - visible.left) / step.pixelStep + 2) * uint64_t(channels);
    uint64_t needed = entries * 8;
    if (!m_buffer || m_bufferSize < needed)
        GrowBuffer(needed);
    if (!m_buffer) {
        CString text;
        text.LoadString(kStringAllocFailed);
        AfxMessageBox(text, MB_OK);
        return;
    }
    uint32_t ask = EntriesToRead(entries, channels);

    auto* items = static_cast<MtPeakItem*>(::GlobalLock(m_buffer));
    if (!items)
        return;
    ComRef<IMtPeakReader> reader;
    DWORD read = 0;
    int64_t first = m_view->GetFirstVisibleSample();
    int64_t p = first;
    if (visible.left > wave.left) {
        p += m_view->PixelToSample(visible.left - wave.left);
        if (p > 0)
            p -= step.samplesPerPoint;
    } else if (p > 0) {
        p -= m_view->PixelToSample(step.pixelStep);
    }
    m_readStart = p;
    if (ask && SUCCEEDED(object->CreatePeakReader(reader.Out(), DWORD(step.samplesPerPoint), flag)) && reader) {
        reader->Seek(p);
        if (FAILED(reader->Read(items, ask, &read)))
            read = 0;
        reader->End();
    }
    read = std::min<DWORD>(read, ask);

    PeakDrawInfo info;
    LONG silenced = 0;
    object->IsSilenced(&silenced);
    info.silenced = silenced;
    info.backgroundIndex = silenced ? 7 : 1;
    LONGLONG start = 0, length = 0;
    object->GetStartOffset(&start);
    object->GetLength(&length);
    info.clipStart = start;
    info.clipEnd = start + length;
    info.track = track;
    for (int c = 0; c < channels; ++c) {
        RECT row = m_view->GetChannelRect(track, c);
        if (Meets(row, clip))
            DrawChannel(dc, clip, info, c, row, items, read, channels);
        else if (clip.bottom < row.top)
            break;
    }
    ::GlobalUnlock(m_buffer);
}

void CWaveformPainter::HatchRect(HDC dc, const RECT& r, COLORREF a, COLORREF b)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    if (!m_hatch) {
        // Diagonal lines, one pixel in four.
        WORD bits[8];
        for (int y = 0; y < 8; ++y)
            bits[y] = WORD(~(0x8888u >> (y % 4)) & 0xFF);
        m_hatch = ::CreateBitmap(8, 8, 1, 1, bits);
    }
    HBRUSH brush = m_hatch ? ::CreatePatternBrush(m_hatch) : ::CreateSolidBrush(b);
    COLORREF oldText = ::SetTextColor(dc, a), oldBack = ::SetBkColor(dc, b);
    POINT origin{int(m_view ? m_view->SampleToPixel(m_view->GetFirstVisibleSample()) : 0) & 1 ? 1 : 0, 0};
    ::LPtoDP(dc, &origin, 1);
    POINT oldOrigin;
    ::SetBrushOrgEx(dc, origin.x, origin.y, &oldOrigin);
    ::FillRect(dc, &r, brush);
    ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
    ::DeleteObject(brush);
}

void CWaveformPainter::FillSelection(HDC dc, const RECT& clipRow, const PeakDrawInfo& info, int channel,
                                     const RECT& row, int* left, int* right)
{
    *left = *right = 0;
    CSelectionModel* selection = m_view->GetSelection();
    int64_t start = 0, end = 0;
    if (!selection || !selection->IsChannelSelected(info.track, channel) ||
        !selection->GetOrderedSelection(&start, &end))
        return;
    int64_t first = m_view->GetFirstVisibleSample();
    int64_t spp = int64_t(m_view->GetSamplesPerPixel(0));
    if (spp && end - start < spp) {
        start = (start / spp + 1) * spp;
        end = start + spp;
    }
    int x1 = int(m_view->SampleToPixel(start - first) + row.left);
    int x2 = int(m_view->SampleToPixel(end - first) + row.left);
    if (spp && (end - first) % spp != 0)
        x2 += 1;
    if (x1 == x2)
        x2 += 1;
    *left = x1;
    *right = x2;
    RECT r = Intersect(RECT{x1, clipRow.top, x2, clipRow.bottom}, clipRow);
    FillColour(dc, r, SkinColorAt(m_view->GetEditMode() == 1 || m_view->GetEditMode() == 2 ? 1 : 6));
}

void CWaveformPainter::DrawGridLines(HDC dc, const RECT& area, const RECT& row)
{
    double offset = 0, spacing = 0;
    int64_t index = 0;
    if (!m_view->GetTimeRuler().GetTickGrid(&offset, &index, &spacing) || !(spacing > 0))
        return;
    COLORREF light = SkinColorAt(45), dark = SkinColorAt(46);
    for (double x = row.left + offset; x < area.right; x += spacing, ++index) {
        if (x >= area.left)
            FillColour(dc, RECT{int(x), area.top, int(x) + 1, area.bottom}, index % 10 == 0 ? dark : light);
    }
}

void CWaveformPainter::DrawRowLines(HDC dc, const RECT& clip, const RECT& row)
{
    RECT grown{row.left - 1, row.top - 1, row.right + 1, row.bottom + 1};
    RECT r = Intersect(grown, clip);
    if (r.right > r.left) {
        DrawHLine(dc, r, row.top - 1, SkinColorAt(11));
        DrawHLine(dc, r, row.bottom + 1, SkinColorAt(11));
        DrawHLine(dc, r, row.bottom, SkinColorAt(20));
    }
    RECT inner{row.left, row.top + 2, row.right, row.bottom - 2};
    int h = (inner.bottom - inner.top) / 2, mid = inner.top + h;
    RECT across{std::max(inner.left, clip.left), clip.top, std::min(inner.right, clip.right), clip.bottom};
    if (across.right <= across.left)
        return;
    COLORREF guide = ::GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    DrawHLine(dc, across, mid, SkinColorAt(17));
    for (int y : {int(mid - h / 2), int(mid + h / 2), int(inner.top), int(inner.top + 2 * h)})
        DrawHLine(dc, across, y, guide);
}

void CWaveformPainter::DrawChannel(HDC dc, const RECT& clip, const PeakDrawInfo& info, int channel, const RECT& row,
                                   const MtPeakItem* buffer, uint32_t entries, int channels)
{
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    CSelectionModel* selection = m_view->GetSelection();
    RECT clipRow = Intersect(clip, row);
    bool fadeMode = m_view->GetEditMode() == 1 || m_view->GetEditMode() == 2;

    int background = info.backgroundIndex;
    if (fadeMode) {
        int64_t s = 0, e = 0;
        if (selection)
            selection->GetOrderedSelection(&s, &e);
        background = doc->HasEditHandles(info.track) && s == e ? 1 : 7;
    }
    FillColour(dc, clipRow, SkinColorAt(background));

    int64_t first = 0, last = 0;
    m_view->GetVisibleRange(&first, &last);
    PointStep step = PointStepFor(m_view->GetSamplesPerPixel(0));

    RECT before{0, 0, 0, 0}, after{0, 0, 0, 0};
    if (info.clipStart - first > 0) {
        int x = int(m_view->SampleToPixel(info.clipStart - first) + row.left);
        before = Intersect(RECT{row.left, row.top, x, row.bottom}, clipRow);
        HatchRect(dc, before, SkinColorAt(9), SkinColorAt(20));
    }
    if (info.clipEnd <= last) {
        int x = int(m_view->SampleToPixel(info.clipEnd - first) + row.left);
        if ((info.clipEnd - first) % step.samplesPerPoint != 0)
            x += 1;
        after = Intersect(RECT{x, row.top, row.right, row.bottom}, clipRow);
        HatchRect(dc, after, SkinColorAt(9), SkinColorAt(20));
    }
    int selLeft = 0, selRight = 0;
    FillSelection(dc, clipRow, info, channel, row, &selLeft, &selRight);
    for (const RECT* hatched : {&before, &after})
        if (!::IsRectEmpty(hatched))
            DrawGridLines(dc, *hatched, row);
    DrawRowLines(dc, clip, row);
    if (info.clipEnd == info.clipStart)
        return;

    RECT wave{row.left, row.top + 2, row.right, row.bottom - 2};
    int offset = 0;
    int64_t position = 0;
    if (clip.left <= row.left) {
        offset = first > 0 ? -step.pixelStep : 0;
        position = m_readStart;
    } else {
        position = first + m_view->PixelToSample(clip.left - row.left);
        if (position > 0)
            position -= step.samplesPerPoint;
        offset = int(m_view->SampleToPixel(position - first));
    }

    COLORREF waveColour = SkinColorAt(WaveColorFor(info.silenced, channel));
    COLORREF selectedColour = fadeMode ? waveColour : SkinColorAt(1);
    HPEN wavePen = ::CreatePen(PS_SOLID, 1, waveColour), selectedPen = ::CreatePen(PS_SOLID, 1, selectedColour);
    HGDIOBJ oldPen = ::SelectObject(dc, wavePen);
    HPEN current = wavePen;
    bool inversion = !info.silenced && selRight > selLeft;
    auto inSelection = [&](int x) { return inversion && selLeft <= x && x < selRight; };

    int32_t fullScale = FullScaleForBits(doc->GetBitsPerSample());
    int magnification = m_view->GetWaveMagnification();
    int rowNumber = m_view->GetRowOfChannel(info.track, channel);
    CTrackAreaPane& pane = m_view->GetTrackArea();
    int64_t editAt = -1;
    if (pane.GetSampleEditRow() == rowNumber && rowNumber >= 0 && selection)
        selection->GetStartAndLength(&editAt);
    HRGN region = ::CreateRectRgnIndirect(&clipRow);
    ::SelectClipRgn(dc, region);
    bool squares = m_view->IsSampleWide();

    // Whole columns go to the device in batches, one call per run of one pen instead of two
    // calls per column: the same pixels, a fraction of the cost of a wide repaint.
    m_columns.clear();
    m_columnCounts.clear();
    auto flushColumns = [&] {
        if (!m_columnCounts.empty())
            ::PolyPolyline(dc, m_columns.data(), m_columnCounts.data(), DWORD(m_columnCounts.size()));
        m_columns.clear();
        m_columnCounts.clear();
    };
    int previousX = 0, previousA = 0, previousB = 0;
    for (uint32_t k = uint32_t(channel); k < entries; k += uint32_t(channels)) {
        int x = row.left + offset;
        offset += step.pixelStep;
        int64_t pointPosition = position;
        position += step.samplesPerPoint;
        if (!::IsRectEmpty(&before) && x < before.right)
            continue;
        int32_t a = buffer[k].minimum, b = buffer[k].maximum;
        if (editAt >= 0 && pointPosition == editAt)
            a = b = pane.GetEditedValue();
        int ya = SampleValueToY(row.left, wave.top, row.right, wave.bottom, a, magnification, fullScale);
        int yb = SampleValueToY(row.left, wave.top, row.right, wave.bottom, b, magnification, fullScale);
        if (previousX == 0) {
            previousX = x;
            previousA = ya;
            previousB = yb;
        }
        if (squares) {
            int cx = step.pixelStep > 1 ? x + step.pixelStep / 2 : x;
            DrawSampleSquare(dc, inSelection(x) ? selectedColour : waveColour, cx, yb);
        } else {
            HPEN want = inSelection(x) ? selectedPen : wavePen;
            if (want != current) {
                flushColumns();
                ::SelectObject(dc, want);
                current = want;
            }
            if (step.pixelStep == 1) {
                // Neighbouring columns: the column reaches to its neighbour's values, so that
                // every pixel of a column takes the column's own colour.
                int low = std::min({ya, yb, previousA, previousB}), high = std::max({ya, yb, previousA, previousB});
                m_columns.push_back(POINT{x, low});
                m_columns.push_back(POINT{x, high + 1});
                m_columnCounts.push_back(2);
            } else {
                ::MoveToEx(dc, x, yb, nullptr);
                ::LineTo(dc, previousX, previousA);
                if (!(ya == yb && previousA == previousB)) {
                    ::MoveToEx(dc, x, ya, nullptr);
                    ::LineTo(dc, previousX, previousB);
                }
                ::MoveToEx(dc, x, std::min(ya, yb), nullptr);
                ::LineTo(dc, x, std::max(ya, yb) + 1);
            }
        }
        previousX = x;
        previousA = ya;
        previousB = yb;
    }
    flushColumns();
    ::SelectObject(dc, oldPen);
    ::SelectClipRgn(dc, nullptr);
    ::DeleteObject(region);
    ::DeleteObject(wavePen);
    ::DeleteObject(selectedPen);
}

// Caret ----------------------------------------------------------------------------------------

void CEditCaret::Draw(HDC dc, const RECT& row)
{
    if (!shown)
        return;
    RECT column{x, row.top, x + 1, row.bottom};
    ::InvertRect(dc, &column);
}

// Play-cursor line -------------------------------------------------------------------------------

int CPlayCursorLine::ColumnOf(int64_t position)
{
    CNyMultiTrackView* view = m_owner->GetView();
    return view ? int(view->SampleToPixel(position - view->GetFirstVisibleSample())) : 0;
}

void CPlayCursorLine::Draw(HDC dc, const RECT& clip, int x)
{
    CNyMultiTrackView* view = m_owner->GetView();
    if (!view || m_position < 0)
        return;
    if (x == -1)
        x = ColumnOf(m_position);
    for (int row : m_rows) {
        RECT r = view->GetChannelRect(row, -1);
        RECT column{r.left + x, r.top, r.left + x + 1, r.bottom};
        RECT hit = Intersect(column, clip);
        if (!::IsRectEmpty(&hit))
            ::InvertRect(dc, &hit);
    }
}

void CPlayCursorLine::DrawOnWindow(int x)
{
    HWND wnd = m_owner->m_hWnd;
    if (!wnd)
        return;
    RECT client;
    ::GetClientRect(wnd, &client);
    HDC dc = ::GetDC(wnd);
    Draw(dc, client, x);
    ::ReleaseDC(wnd, dc);
}

void CPlayCursorLine::Show()
{
    if (m_shown)
        return;
    DrawOnWindow(-1);
    m_shown = 1;
}

void CPlayCursorLine::Hide()
{
    if (!m_shown)
        return;
    DrawOnWindow(-1);
    m_position = -1;
    m_shown = 0;
}

void CPlayCursorLine::Update()
{
    CNyMultiTrackView* view = m_owner->GetView();
    if (!m_shown || !view || view->GetPlayPosition() < 0)
        return;
    int64_t play = view->GetPlayPosition();
    int oldX = ColumnOf(m_position), newX = ColumnOf(play);
    if (oldX == newX)
        return;
    DrawOnWindow(oldX);
    m_position = play;
    DrawOnWindow(newX);
}
