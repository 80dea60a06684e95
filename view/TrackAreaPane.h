// CTrackAreaPane: the view's child 101, the tracks. Per track a title strip with the clip bar,
// one row per channel (CWaveformPainter), the envelopes or fade handles, the marker area and the
// document's markers; over that the selection, the blinking edit caret and the play-cursor line.
// Every paint goes through an off-screen bitmap; a back buffer freezes the picture while a long
// operation changes many tracks (TrackAreaBackBufferGuard).
#pragma once
#include "BaseWin.h"
#include "WaveformPainter.h"

#include <cstdint>
#include <memory>

class CNyMultiTrackDoc;
class CNyMultiTrackView;

class CTrackAreaPane : public CBaseWin {
public:
    CTrackAreaPane();
    ~CTrackAreaPane() override;

    BOOL Create(CWnd* parent, UINT id);
    // Binds the parent view and its document; called by the view's layout.
    void AttachToView();
    // The same without a window (pictures drawn into memory only).
    void BindView(CNyMultiTrackView* view);
    CNyMultiTrackView* GetView() const { return m_view; }

    // Painting
    void DrawTracks(HDC dc, const RECT& clip, const RECT& client);
    void RedrawRect(const RECT& rect);
    // 1: paints everything into a bitmap that paints then only copy; 0: drops it. Returns 1.
    int RenderBackBuffer(int create);
    bool HasBackBuffer() const { return m_backBuffer != nullptr; }
    void DrawTrackTitle(HDC dc, const RECT& clip, int track);
    void DrawMarkerArea(HDC dc, int track);
    void DrawEnvelopes(HDC dc, const RECT& clip, int track);
    void DrawFadeHandles(HDC dc, const RECT& clip, int track);

    // Caret
    void InvalidateCaret(int show);
    void SetCaretHidden(int hide);
    void DrawCaret();
    void RefreshCaret();
    const CEditCaret& GetCaret() const { return m_caret; }

    CWaveformPainter& GetPainter() { return *m_painter; }
    CPlayCursorLine& GetPlayCursorLine() { return *m_playLine; }
    // Every channel row of the view, for the play-cursor line.
    void SyncPlayCursorRows();

    // The sample being edited (row -1: none) and the value shown for it.
    int GetSampleEditRow() const { return m_sampleEditRow; }
    int32_t GetEditedValue() const { return m_editedValue; }
    int GetHitCode() const { return m_hitCode; }
    // The sample of a channel row at a position in view units; 0 when the engine has none.
    int32_t GetSampleValue(int row, int64_t position);
    // Offset drag: the tracks being dragged and their displacement.
    bool IsTrackDragged(int track) const;
    int64_t GetDragDisplacement() const { return m_currentOffset - m_dragStartOffset; }

protected:
    // A press on a shown envelope's point or line drags it as one "Envelope" step; false
    // when the press is on no envelope.
    bool EnvelopeGesture(int x, int y);
    // In a handle edit mode a press on a track's fade handles or their line drags a handle.
    bool FadeHandleGesture(int x, int y);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnLButtonDown(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);

    int m_reserved = 0;
    CEditCaret m_caret;
    HBITMAP m_backBuffer = nullptr;
    short m_hitCode = 0;
    int64_t m_dragStartOffset = 0;
    int m_sampleEditRow = -1;
    int64_t m_currentOffset = 0;
    int32_t m_editedValue = 0;
    int m_pressRow = 0;
    POINT m_contextPoint{0, 0};
    CNyMultiTrackView* m_view = nullptr;
    CNyMultiTrackDoc* m_doc = nullptr;
    std::unique_ptr<CWaveformPainter> m_painter;
    std::unique_ptr<CPlayCursorLine> m_playLine;
    int m_dragTrack = -1;

    DECLARE_MESSAGE_MAP()
};

// Freezes the track area's picture for a scope (a fade run, a long command over many tracks).
class TrackAreaBackBufferGuard {
public:
    explicit TrackAreaBackBufferGuard(CTrackAreaPane* pane) : m_pane(pane)
    {
        if (m_pane && m_pane->m_hWnd)
            m_pane->RenderBackBuffer(1);
    }
    ~TrackAreaBackBufferGuard()
    {
        if (m_pane && m_pane->m_hWnd)
            m_pane->RenderBackBuffer(0);
    }
    TrackAreaBackBufferGuard(const TrackAreaBackBufferGuard&) = delete;
    TrackAreaBackBufferGuard& operator=(const TrackAreaBackBufferGuard&) = delete;

private:
    CTrackAreaPane* m_pane;
};
