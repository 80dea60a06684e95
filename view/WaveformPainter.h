// The track area's waveform rows, its edit caret column and its play-cursor line.
//
// CWaveformPainter reads one track's peaks into a buffer kept from paint to paint (grown only
// when a paint needs more) and draws every channel row of the track that meets the clip:
// background, hatching outside the clip, selection, ruler grid, guides and the waveform.
// CEditCaret and CPlayCursorLine draw by inversion straight onto the window, so that they move
// without repainting the rows.
#pragma once
#include "SampleUnits.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

class CNyMultiTrackView;
class CTrackAreaPane;
struct IMtTrack;
struct MtPeakItem;

// What DrawTrackPeaks hands to DrawChannel for each row of a track.
struct PeakDrawInfo {
    int silenced = 0;
    int backgroundIndex = 1;
    int64_t clipStart = 0;
    int64_t clipEnd = 0;
    int track = 0;
};

class CWaveformPainter {
public:
    CWaveformPainter() = default;
    virtual ~CWaveformPainter();
    CWaveformPainter(const CWaveformPainter&) = delete;
    CWaveformPainter& operator=(const CWaveformPainter&) = delete;

    virtual void SetView(CNyMultiTrackView* view) { m_view = view; }

    void DrawTrackPeaks(HDC dc, int track, IMtTrack* object, const RECT& clip);
    void DrawChannel(HDC dc, const RECT& clip, const PeakDrawInfo& info, int channel, const RECT& row,
                     const MtPeakItem* buffer, uint32_t entries, int channels);

    // Grows the buffer to hold bytes; falls back to halved sizes when that is refused.
    void GrowBuffer(uint64_t bytes);
    // Entries of 8 bytes the buffer holds: no read may ask for more.
    uint32_t BufferEntries() const { return m_bufferSize / 8; }
    // Entries a read may ask for: the wanted count cut to the whole points the buffer holds.
    uint32_t EntriesToRead(uint64_t wanted, int channels) const;

    void HatchRect(HDC dc, const RECT& r, COLORREF a, COLORREF b);
    // Fills the selected columns of a row; out: their x range (both 0 for none).
    void FillSelection(HDC dc, const RECT& clipRow, const PeakDrawInfo& info, int channel, const RECT& row, int* left,
                       int* right);
    void DrawGridLines(HDC dc, const RECT& area, const RECT& row);
    void DrawRowLines(HDC dc, const RECT& clip, const RECT& row);

private:
    CNyMultiTrackView* m_view = nullptr;
    HGLOBAL m_buffer = nullptr;
    uint32_t m_bufferSize = 0;
    int64_t m_readStart = 0;
    HBITMAP m_hatch = nullptr;
    // Column lines of one channel waiting for one PolyPolyline call.
    std::vector<POINT> m_columns;
    std::vector<DWORD> m_columnCounts;
};

void DrawHLine(HDC dc, const RECT& r, int y, COLORREF colour);
void DrawSampleSquare(HDC dc, COLORREF colour, int x, int y);
// Fills a rectangle with one colour (PatBlt with a solid brush).
void FillColour(HDC dc, const RECT& r, COLORREF colour);
// A pane's paint through an off-screen bitmap of its client size, copied whole to the window:
// draw gets the bitmap's device context and the client rectangle. Nothing is drawn when ready
// is false, the client is empty or the bitmap cannot be made.
void PaintBuffered(HWND wnd, bool ready, const std::function<void(HDC, const RECT&)>& draw);

class CEditCaret {
public:
    virtual ~CEditCaret() = default;
    // Inverts the caret column over the row while the caret is on.
    void Draw(HDC dc, const RECT& row);

    int x = 0;
    int drawnPhase = 0;
    int shown = 0;
};

class CPlayCursorLine {
public:
    explicit CPlayCursorLine(CTrackAreaPane* owner) : m_owner(owner) {}
    virtual ~CPlayCursorLine() = default;

    // x -1: at the stored position. Inverts one column on every row in the list.
    void Draw(HDC dc, const RECT& clip, int x);
    void Show();
    void Hide();
    // Moves to the view's play position when it lands in another column.
    void Update();
    // Inverts the line on the window (x -1: at the stored position); a scroll erases it before
    // moving the picture and draws it again after.
    void DrawOnWindow(int x);
    // The rows the line covers: every channel row of the view.
    void SetRows(std::vector<int> rows) { m_rows = std::move(rows); }
    const std::vector<int>& Rows() const { return m_rows; }
    bool IsShown() const { return m_shown != 0; }
    int64_t GetPosition() const { return m_position; }
    void SetPosition(int64_t position) { m_position = position; }

private:
    int ColumnOf(int64_t position);

    CTrackAreaPane* m_owner;
    std::vector<int> m_rows;
    int m_shown = 0;
    int64_t m_position = -1;
};
