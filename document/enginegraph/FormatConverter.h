// FormatConverter: the conversion graph of the engine source, the attribute filter and the
// tracks writer. Progress goes to a progress window as a ProgressRecord with message
// kProgressMessage (code in wParam, record address in lParam), sent synchronously; the
// receiver sets cancel to stop.
#pragma once
#include <windows.h>
#include <strmif.h>

#include "ComRef.h"

constexpr UINT kProgressMessage = WM_USER + 10;
// Progress codes (wParam).
constexpr WPARAM kProgressStarted = 1;
constexpr WPARAM kProgressStep = 2;
constexpr WPARAM kProgressFinished = 4;
constexpr WPARAM kProgressCancelled = 6;
// The result of a conversion the user cancelled (shown as nothing).
constexpr HRESULT kConversionCancelled = static_cast<HRESULT>(0x83E80005);
// String id of the conversion's title, "Resampling the data...".
constexpr UINT kResamplingTitleId = 20347;

// Percent done of a run, computed in floating point and truncated: 0 while the length is
// unknown (0) or nothing is done, at most 100.
LONG ProgressPercent(LONGLONG position, LONGLONG duration);

struct ProgressRecord {
    LONG value;      // percent done, 0..100
    char text[320];  // the operation's title
    LONG cancel;     // 0 when sent; the receiver sets it to stop
    LONG flags;      // bit 0 hides the Cancel button (0 here)
    LONG closeValue; // for codes 4 to 6 (0 here)
};
static_assert(sizeof(ProgressRecord) == 336, "the progress record is 336 bytes");

class FormatConverter {
public:
    FormatConverter() = default;
    virtual ~FormatConverter();
    FormatConverter(const FormatConverter&) = delete;
    FormatConverter& operator=(const FormatConverter&) = delete;

    // Creates the graph and the three filters and adds them; any failure releases all.
    HRESULT Build();
    // source -> attribute -> writer, directly, no media type.
    HRESULT Connect();
    // Takes down both connections (every pin of the chain).
    HRESULT Disconnect();
    // Target format of the attribute filter; results ignored.
    void SetTargetFormat(DWORD rate, WORD bits, WORD channels, DWORD fourth);
    // Runs the graph to its end with progress: S_OK, the error of an abort, or
    // kConversionCancelled.
    HRESULT Run();
    // Sends a progress record when a progress window is set; returns the cancel answer.
    BOOL NotifyProgress(WPARAM code, const char* text, LONG value);

    void SetProgressWindow(HWND window) { m_progress = window; }
    IFilterGraph* Graph() const { return m_graph.Get(); }
    IBaseFilter* Source() const { return m_source.Get(); }
    IBaseFilter* Attribute() const { return m_attribute.Get(); }
    IBaseFilter* Writer() const { return m_writer.Get(); }

private:
    HRESULT CreateAttributeFilter();
    void ReleaseAll();

    ComRef<IFilterGraph> m_graph;
    ComRef<IBaseFilter> m_source;
    ComRef<IBaseFilter> m_attribute;
    ComRef<IBaseFilter> m_writer;
    HWND m_progress = nullptr;
};

struct IMtTrackSet;
struct IMtItemList;

// Converts every track of the engine track set to rate and bits (the source reads it as
// float for 32 bits, else as integer PCM) through the converter's graph, one track at a time,
// and hands each written file to receiver (IMtItemList::AddFileItem with the track's id).
// Marks and range of the set are restored. A failed track's files are deleted and end the
// run with its code; tracks converted before stay delivered. Without a receiver nothing is kept.
HRESULT ConvertFileFormat(FormatConverter& converter, IMtTrackSet* engine, DWORD rate, WORD bits, HWND progress,
                          DWORD fourth, IMtItemList* receiver);
// Puts each item of items on a track of an engine track set in the item's own format and
// converts the set as ConvertFileFormat does; items of different rates go to sets of their
// own (one per run of one rate), so that each is converted from its own rate. The receiver
// gets the files in the list's order.
HRESULT ConvertTrackFile(IMtItemList* items, DWORD rate, WORD bits, HWND progress, DWORD fourth, IMtItemList* receiver);
