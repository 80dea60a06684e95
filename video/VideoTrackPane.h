// CVideoTrackPane: the strip of video frames above the tracks of a multitrack view (child
// 102). It lays thumbnails along the view's time axis, one every few frames so that they do
// not overlap, keeps the bound preview window on the frame at the current position, and,
// while the document plays with Frame Animation on, follows the playback position with a
// thread of its own that posts the time to the pane (message 0x400, at most one in flight);
// every picture is drawn on the user-interface thread.
//
// The view owns it as a member, creates it with its host and calls it; the document reaches
// it through DocWiring::VideoOf. Times are in units of 100 us (1/10000 s).
#pragma once
#include "BaseWin.h"
#include "DocWiring.h"
#include "VideoSource.h"
#include "VideoTrackHost.h"

#include <memory>
#include <string>

class CVideoPreviewWnd;

constexpr UINT kVideoTrackPaneId = 102;
constexpr COLORREF kVideoTrackBackground = RGB(63, 63, 63);

class CVideoTrackPane : public CBaseWin, public DocWiring::DocumentVideo {
public:
    CVideoTrackPane();
    ~CVideoTrackPane() override;

    BOOL Create(CWnd* parent, UINT id, IVideoTrackHost* host);

    // DocWiring::DocumentVideo
    bool OpenVideo(const char* path) override;
    bool CloseVideo() override;
    bool CanOpenVideo(const char* path) override;
    bool HasVideo() const override { return m_display != nullptr; }
    bool LacksFrameDecoder() override;
    std::string GetCodecText() override;
    void FreezeImage(BOOL freeze) override;
    void Relayout() override;

    // One frame in seconds; 0.0 without a video.
    double GetFrameDuration() const;
    // Frames per thumbnail step (0 before the first layout or without a video).
    int GetFrameStep() const { return m_framesPerStep; }
    double FrameTime(int frame) const;
    int FrameAtTime(double time) const;
    int GroupStart(double time) const;
    // Sets Frame Animation for the time of an operation; the previous value.
    BOOL SetFrameAnimation(BOOL on);
    BOOL IsFrameAnimationOn() const { return m_frameAnimation; }
    void UpdateLayout();
    // Shows the frames for a time (the current position) unless frozen.
    void RenderFrames(double time);
    // Playback started: the animation thread follows it.
    void StartFrameAnimation();
    // The view scrolled by dx pixels: queued frames move with it, those pushed out go.
    void ScrollBy(int dx);
    // Binds (and lays out for) or unbinds the preview window.
    void SetPreviewWindow(CVideoPreviewWnd* preview);
    CVideoSource* DisplaySource() const { return m_display.get(); }
    double CurrentPosition() const { return m_position; }

    // The preview window's picture: the frame rectangle fitted into it, and its painting.
    void LayoutPreview(const RECT& picture);
    const RECT& PreviewFrameRect() const { return m_previewFrame; }
    void PaintPreview(HDC dc, const RECT& picture);

    UINT ContextMenuId() const override;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    void OnDestroy();
    LRESULT OnAnimationTime(WPARAM time, LPARAM);
    LRESULT OnPaletteChanged(WPARAM window, LPARAM);
    LRESULT OnQueryNewPalette(WPARAM, LPARAM);
    void OnFrameNumbers();
    void OnFrameAnimation();
    void OnUpdateFrameNumbers(CCmdUI* ui);
    void OnUpdateFrameAnimation(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()

private:
    // One thumbnail slot: x of its left edge, or INT_MIN when the group lies off the pane.
    int SlotX(int groupFirstFrame) const;
    // Draws the slot of a group with a frame (the group's first, or the current one).
    void DrawSlot(HDC dc, int groupFirst, int frame, bool later);
    void PaintStrip(HDC dc, const RECT& area, bool drawnLater);
    void CancelRequestsIn(const RECT& area);
    void RealizePalette(bool background);
    static DWORD WINAPI AnimationThread(void* self);
    void Animate();

    IVideoTrackHost* m_host = nullptr;
    std::unique_ptr<CVideoSource> m_display, m_thumb;
    int m_thumbHeight = 0, m_thumbWidth = 0;
    int m_framesPerStep = 0;
    BOOL m_frameNumber = TRUE;
    BOOL m_frameAnimation = FALSE;
    HBITMAP m_frozen = nullptr;
    double m_position = -1.0;
    volatile LONG m_outstanding = 0;
    HANDLE m_thread = nullptr;
    HANDLE m_events[7] = {};
    CRITICAL_SECTION m_lock;
    CVideoPreviewWnd* m_preview = nullptr;
    RECT m_previewFrame{};
};
