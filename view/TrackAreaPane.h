// CTrackAreaPane: the view's child 101, the tracks. Per track a title strip with the clip bar,
// one row per channel (CWaveformPainter), the envelopes or fade handles, the marker area and the
// document's markers; over that the selection, the blinking edit caret and the play-cursor line.
// Every paint goes through an off-screen bitmap; a back buffer freezes the picture while a long
// operation changes many tracks (TrackAreaBackBufferGuard).
#pragma once
#include "BaseWin.h"
#include "WaveformPainter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CNyMultiTrackDoc;
class CNyMultiTrackView;
struct IEditCommand;

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
    void DrawTrackTitle(HDC dc, const RECT& clip, int track);
    void DrawMarkerArea(HDC dc, int track);
    void DrawEnvelopes(HDC dc, const RECT& clip, int track);
    void DrawFadeHandles(HDC dc, const RECT& clip, int track);

    // Caret
    void InvalidateCaret(int show);
    void SetCaretHidden(int hide);
    void DrawCaret();
    void RefreshCaret();

    CPlayCursorLine& GetPlayCursorLine() { return *m_playLine; }
    // Every channel row of the view, for the play-cursor line.
    void SyncPlayCursorRows();

    // The sample being edited (row -1: none) and the value shown for it.
    int GetSampleEditRow() const { return m_sampleEditRow; }
    int32_t GetEditedValue() const { return m_editedValue; }
    // The sample of a channel row at a position in view units; 0 when the engine has none.
    int32_t GetSampleValue(int row, int64_t position);
    // Offset drag: the tracks being dragged and their displacement.
    bool IsTrackDragged(int track) const;
    int64_t GetDragDisplacement() const { return m_currentOffset - m_dragStartOffset; }

    // Mouse editing (TrackAreaMouse.cpp, TrackAreaGestures.cpp).
    // What lies under a client point: 0 nothing (or a track's left or right edge column), -1 a
    // plain row point, 1 an editable sample, 4 / 5 the selection's start / end edge, -2 the
    // marker area, -3 the spectrum strip, -4 the offset handle (the clip bar of the title
    // strip), -5 a label, -10 / -11 a fade line / handle, -12 / -13 the volume envelope's line /
    // point, -14 / -15 the pan envelope's line / point.
    short HitTest(int x, int y);
    short HitTestAtCursor();
    // The context menu a right click at a client point opens: 410 on a label, 419 while the
    // cursor is the four-way arrow (over a point or handle), else the window base's.
    UINT ContextMenuAt(POINT client);
    // Clears the envelope under the context point (all) or deletes its point there.
    virtual void DeleteEnvelopePoints(int all);
    // The modal drag of a track's start offset (with its group when grouping is on), recorded
    // as one "Track Offset" step; Escape changes nothing.
    void DragTrackOffset(int x, int y, int track);
    // Moves a track and its marks (a mark pushed before 0 is deleted) by a displacement as one
    // executed transaction handed out in *out (null for an empty track). false after a failure,
    // shown, with the track as it was.
    bool OffsetTrack(int track, int64_t displacement, IEditCommand** out);
    // The modal edit of one sample's value with the mouse; one "Gain" step when it changed.
    void EditSampleValue(int64_t position, int row);
    // Writes a value in view units into a row's sample as one history step; false on failure.
    bool EditSamples(int row, int64_t position, int32_t value);
    // The value a y of a row stands for (the inverse of SampleValueToY), below full scale.
    static int32_t YToSampleValue(int left, int top, int right, int bottom, int y, int magnification,
                                  int32_t fullScale);

protected:
    // A press on a shown envelope's point or line drags it as one "Envelope" step; false
    // when the press is on no envelope.
    bool EnvelopeGesture(int x, int y, int code);
    // In a handle edit mode a press on a track's fade handles or their line drags a handle.
    bool FadeHandleGesture(int x, int y);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnLButtonDown(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnDeleteAllPoints();
    void OnDeleteCurrentPoint();

private:
    // The envelope hit codes of a track at a point (0 none).
    short EnvelopeHitAt(int track, int x, int y);
    short FadeHitAt(int track, int x, int y);
    void PressOnOffsetHandle(CPoint point);
    void DrawTitleStrips();
    // Paints through a bitmap of the client's size: paint draws into buffer and copies to window.
    void PaintBuffered(const std::function<void(HDC buffer, HDC window, const RECT& client)>& paint);
    // The half-pixel shift of a sample's square when a sample spans several pixels.
    int SampleHalfStep();
    // The row's rectangle shrunk by 2 pixels at top and bottom, as the painter draws values.
    RECT ValueRect(int row);

protected:
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
    std::vector<int> m_draggedTracks;

    DECLARE_MESSAGE_MAP()
};

// The modal drag of a pane (the track area's gestures, the view's track drag): captures the
// mouse and hands follow every move and the release over the pane until the release, Escape or
// a lost capture, which it returns (kMouse for the release); the capture is released after.
enum class DragMessage;
DragMessage FollowDrag(HWND pane, const std::function<void(const MSG& msg)>& follow);

// The commands that move a track's marks (not its track label) with its clip by a displacement,
// deleting a mark pushed before the document's start, added to a list; false when one could not
// be made.
struct ICommandList;
bool AddTrackLabelShift(CNyMultiTrackDoc* doc, int track, int64_t displacement, const char* name, ICommandList* list);

// In a handle edit mode with grouping on, the other tracks of a track's group that have handles
// take over its whole handle list.
void CopyHandlesToGroup(CNyMultiTrackDoc* doc, int track);

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
