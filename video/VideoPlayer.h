// CVideoPlayer: shows frames of a file that only a filter graph reads. The graph ends in our
// frame renderer and stays paused; a request to draw frame n into a rectangle is queued, and
// the worker thread seeks the graph to the frame, whose sample the renderer draws (DrawDib)
// into the request's place; a frame a little after the one held is reached by stepping instead.
// Requests are answered asynchronously, oldest first; a newer request whose top-left point
// lies in a queued one's rectangle supersedes it.
//
// Threads: the caller's (requests), the worker (seeks, one at a time) and the graph's streaming
// thread (the renderer) meet at the request list, guarded by Lock(). A frame that never comes
// frees the worker after 5 seconds and its request is dropped. Every wait of the worker also
// wakes on the stop, so the destructor never waits long for it.
#pragma once
#include "ComRef.h"
#include "WorkerThread.h"

#include <windows.h>
#include <strmif.h>
#include <control.h>
#include <vfw.h>

#include <cstdint>
#include <list>

class CVideoFrameRenderer;

struct VideoDrawRequest {
    HDC dc = nullptr;    // kept only for a window of its own device context
    HWND window = nullptr; // otherwise the window whose context is taken at draw time
    int x = 0, y = 0, width = 0, height = 0;
    int frame = 0;
    int flag = 0;
    bool cancelled = false;
    HANDLE drawn = nullptr; // set once drawn, for a caller that waits
};

class CVideoPlayer : public WorkerThread {
public:
    CVideoPlayer();
    ~CVideoPlayer() override;

    // Builds the paused graph for the file and starts the worker; a failing step's code.
    HRESULT Open(const char* path);
    // The frame period in 100 ns, used when the stream tells none (0: none given).
    void SetFramePeriod(int64_t period) { m_framePeriod = period; }
    void SetShowFrameNumbers(bool on) { m_showFrameNumbers = on; }
    bool ShowsFrameNumbers() const { return m_showFrameNumbers; }
    // The window whose device context draws requests that bring none.
    void SetWindow(HWND window) { m_window = window; }
    HWND Window() const { return m_window; }
    void SetTextOffset(int pixels);
    void SetTextOrigin(int x, int y);

    // One frame in units of 100 us; 0 before Open.
    double GetFrameDuration() const;
    int GetWidth() const;
    int GetHeight() const;
    int GetFrameCount() const { return m_frameCount; }

    // Queues frame into the rectangle of dc (flag non-zero: keep dc when its window owns it); 0.
    int RequestFrame(HDC dc, int x, int y, int width, int height, int frame, int flag);
    // Draws frame into the caller's memory context at (0, 0, width, height) and returns once it
    // is drawn; false when the frame did not come.
    bool DrawFrameNow(HDC memoryDc, int width, int height, int frame);

    // The request list, for ScrollBy and erasing, under Lock().
    CRITICAL_SECTION& Lock() { return m_lock; }
    std::list<VideoDrawRequest>& Requests() { return m_requests; }

    // From the renderer, under Lock(): takes the first request off the list (false when none)
    // and lets the worker go on.
    bool TakeRequest(VideoDrawRequest* request);
    // From the renderer: the graph flushed (a seek began).
    void OnFlush();
    HDRAWDIB DrawDib() const { return m_drawDib; }

    void Run() override;
    void SignalStop() override;

private:
    HRESULT BuildGraph(const char* path);
    void Queue(const VideoDrawRequest& request);

    // True when event was set within ms; false on a timeout or the stop.
    bool WaitUnlessStopped(HANDLE event, DWORD ms) const;

    HANDLE m_frameDone;
    CRITICAL_SECTION m_lock;
    ComRef<IGraphBuilder> m_graph;
    ComRef<IMediaSeeking> m_seeking;
    ComRef<IMediaControl> m_control;
    CVideoFrameRenderer* m_renderer = nullptr; // the object behind m_rendererFilter
    ComRef<IBaseFilter> m_rendererFilter;
    HDRAWDIB m_drawDib = nullptr;
    std::list<VideoDrawRequest> m_requests;
    HANDLE m_requestWaiting;
    volatile bool m_stop = false;
    HANDLE m_stopped;           // manual reset: set with m_stop, wakes every wait of the worker
    bool m_seekPending = false; // the worker's seek waits for its frame
    bool m_flushed = false;     // and the graph has flushed since it began (or the last step)
    int m_heldFrame = -1;       // the frame the paused renderer holds (-1: unknown)
    GUID m_timeFormat = GUID_NULL;
    int m_frameCount = 0;
    bool m_showFrameNumbers = false;
    int64_t m_framePeriod = 0;
    HWND m_window = nullptr;
};
