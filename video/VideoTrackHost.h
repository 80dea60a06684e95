// What the video track pane asks of the multitrack view it lies in: its time axis, the
// document's sample rate and the controller's transport. The view implements it (the pane
// lies below the view and never includes its headers).
#pragma once
#include <windows.h>

#include <cstdint>

class IVideoTrackHost {
public:
    // Pixels of a span of time (1/10000 s) at the view's zoom, and back.
    virtual double TimeToPixelsExact(double time) = 0;
    virtual double PixelsToTime(int pixels) = 0;
    // The time at the left edge of the visible part of the view.
    virtual double VisibleStartTime() = 0;
    // The document engine's sample rate; 0 without one.
    virtual DWORD SampleRate() = 0;
    // From the pane's animation thread: the transport's state (2 playing, 3 paused, 0 else)
    // and, under the controller's lock, its position in samples; false without a controller.
    virtual bool GetPlayState(int* state, int64_t* position) = 0;
    // The view's window (the preview window binds to it).
    virtual HWND ViewWindow() = 0;
    // Lays the view's panes out again and repaints it.
    virtual void RelayoutView() = 0;

protected:
    ~IVideoTrackHost() = default;
};
