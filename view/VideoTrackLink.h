// VideoTrackLink: the multitrack view as its video track pane sees it (time axis, sample rate,
// the controller's transport). Each view holds one; making the first one tells the document
// layer where a document's video lies (its view's video track pane).
#pragma once
#include "VideoTrackHost.h"

class CNyMultiTrackView;
class CVideoTrackPane;

class VideoTrackLink final : public IVideoTrackHost {
public:
    explicit VideoTrackLink(CNyMultiTrackView* view);
    VideoTrackLink(const VideoTrackLink&) = delete;
    VideoTrackLink& operator=(const VideoTrackLink&) = delete;
    virtual ~VideoTrackLink() = default;

    double TimeToPixelsExact(double time) override;
    double PixelsToTime(int pixels) override;
    double VisibleStartTime() override;
    DWORD SampleRate() override;
    bool GetPlayState(int* state, int64_t* position) override;
    HWND ViewWindow() override;
    void RelayoutView() override;

private:
    CNyMultiTrackView* m_view;
};

// Frame Animation off for the life of the object (the mouse wheel scrolls without it).
class VideoAnimationOff {
public:
    explicit VideoAnimationOff(CVideoTrackPane& pane);
    ~VideoAnimationOff();
    VideoAnimationOff(const VideoAnimationOff&) = delete;
    VideoAnimationOff& operator=(const VideoAnimationOff&) = delete;

private:
    CVideoTrackPane& m_pane;
    BOOL m_was;
};
