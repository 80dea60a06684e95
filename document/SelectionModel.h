// CSelectionModel: the selected time range of a document and the channel rows of the view
// that take part in it. Start is the anchor and end the moving side (start may lie after
// end); the selection is empty, a caret, when they are equal. Every change is told to the
// engine (IMtSelection and each track's selected channels) unless a mouse operation is
// tracking, which sends the whole state once it ends.
//
// Rows are the view's channel rows (ViewGeometry). Window thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

class CNyMultiTrackDoc;
class ViewGeometry;
struct ICommandHistory;

constexpr HRESULT kSelErrInvalidParameter = static_cast<HRESULT>(0x83E80004);
constexpr HRESULT kSelErrFailed = static_cast<HRESULT>(0x83E80001);

class CSelectionModel {
public:
    CSelectionModel();
    virtual ~CSelectionModel();

    // Binds the document and its view (which may not exist yet); 0x83E80004 for null.
    HRESULT Attach(CNyMultiTrackDoc* document);

    // Start and end as they are; true when they differ.
    bool GetSelection(int64_t* start, int64_t* end) const;
    bool HasSelection() const { return m_start != m_end; }
    // False (values as GetSelection) when empty; else true with start <= end.
    bool GetOrderedSelection(int64_t* start, int64_t* end) const;
    // The lower end in start; returns the length.
    int64_t GetStartAndLength(int64_t* start) const;
    // Stores the range and tells the engine; nothing happens when it is unchanged and force
    // is 0 (the first call always counts), nor in a handle edit mode. Returns 0. The caller
    // repaints (InvalidateSelection).
    HRESULT SetSelection(int64_t start, int64_t end, BOOL force = FALSE);
    // Repaints what the previous and the current selection cover.
    void InvalidateSelection();
    // The track-area rectangle InvalidateSelection repaints.
    RECT SelectionRegion();
    // -1: to the end (current row, end); other: to the start (anchor row, start).
    void Collapse(int which);

    // Row flags resized to the view's row count (new rows unselected); returns the count.
    int SyncRowCount();
    // Stores the rows (clamped to the view's rows) and, unless keepFlags, selects the rows
    // between them and tells the engine.
    void SetRowRange(int anchor, int current, BOOL keepFlags = FALSE);
    // Rows as stored; return the flag of the current row.
    int GetRowRange(int* anchor, int* current) const;
    int GetOrderedRowRange(int* lower, int* upper) const;
    void GetPreviousRowRange(int* anchor, int* current) const;
    int IsRowSelected(int row) const;
    int IsTrackSelectedAt(int track);
    int IsChannelSelected(int track, int channel);
    // Selects or clears the rows of a track (-1: all rows) and tells the engine;
    // 0x83E80001 when the track's rows pass the row flags.
    HRESULT SetTrackSelected(int track, BOOL selected);
    int IsAllTracksMode();
    void SetAllTracksMode(BOOL on) { m_allTracks = on ? 1 : 0; }

    // The channel zone of a track-area point (4 x channel + quarter band; 0 on a mono track).
    void UpdateChannelZone(int x, int y);
    int GetZoneCode() const { return m_zone; }
    // Rows a press selects in the track at clickedRow by the zone code: the first two rows,
    // all rows, the last two rows, or the clicked row.
    void RowsForZone(int zone, int clickedRow, int* first, int* last);

    // While a mouse operation runs, SetSelection and SetRowRange leave the engine alone.
    void SetTracking(BOOL on) { m_tracking = on ? 1 : 0; }

    // Engine notifications; a failing call is thrown as CKvSSException.
    HRESULT SendRangeToEngine(int64_t start, int64_t end);
    HRESULT SendTrackSelectionToEngine(int track);

    // The audio drag-and-drop's state, one for the whole program (one drag at a time).
    struct AudioDragState {
        std::vector<int> rows;     // the selected rows of the source view, in order
        int grabbed = -1;          // index in rows of the pressed row; -1 when not selected
        int targetRow = 0;         // row of the target view under the pointer
        int64_t dropPosition = -1; // from the target view's first visible sample; -1: no drop
    };
    static AudioDragState& DragState();
    // A press on clickedRow: the dragged rows become the selected rows, nothing is pending.
    void BeginAudioDrag(int clickedRow);
    // The track of target the grabbed track lands on for the drag state's target row (the
    // others keep their distance in tracks to it); the track count below the last row.
    int DropTargetTrack(ViewGeometry* target, int trackCount);
    // Drops this document's selected audio (the drag state's rows) into target at the drag
    // state's target row and drop position: one "Generate" step of target's history. Null
    // target: a new project (E_FAIL when none can be made). S_FALSE, nothing dropped, while
    // target's view is in a handle edit mode. The target is refreshed as after a paste and
    // the drop position cleared whatever happened; failures are returned.
    HRESULT DropAudio(CNyMultiTrackDoc* target);

private:
    int RowCount() const { return static_cast<int>(m_rowFlags.size()); }

    int m_zone = 0;
    int m_fromTimeRuler = 0;
    int m_tracking = 0;
    int m_allTracks = 0;
    std::vector<int32_t> m_rowFlags;
    int64_t m_previousStart = -1;
    int64_t m_previousEnd = -1;
    int m_previousAnchorRow = -1;
    int m_previousCurrentRow = -1;
    int64_t m_start = 0;
    int64_t m_end = 0;
    int m_anchorRow = 0;
    int m_currentRow = 0;
    int m_singleRow = 0;
    CNyMultiTrackDoc* m_document = nullptr;
    ViewGeometry* m_view = nullptr;
};

// The drop itself: a "Generate" DropCommand of source's selected audio into target (its first
// dragged track on track, at the absolute position) is done and added to history; when the
// history does not keep it, the edit is taken back, so a failed drop leaves target as it was.
HRESULT RecordDrop(CNyMultiTrackDoc* source, CNyMultiTrackDoc* target, int track, int64_t position,
                   ICommandHistory* history);
