// VideoRendererFilter: a renderer of video frames for graphs that stay paused and are seeked
// frame by frame. Paused, it draws the first sample that comes (RenderSample) and holds it in
// Receive, so that the upstream filters stop there; Run, Stop and a flush (the seek) let it
// go. Until that first sample has come, a paused GetState answers VFW_S_STATE_INTERMEDIATE
// (waiting up to the timeout for it). Step lets the held sample go so that the next one comes
// and is held in its place (frames in order, without a seek). Running, every sample is drawn
// as it comes: there is no clock. Make the COM object with RendererObject<MyRenderer>.
#pragma once
#include "RendererFilter.h"

struct VideoRendererFilter : RendererFilter {
    VideoRendererFilter();
    ~VideoRendererFilter() override;

    STDMETHODIMP Stop() override;
    // Paused: once a sample is held (waited for up to ms; false when none came), lets it go;
    // WaitHeld then waits (up to ms) until the next one is held (or the stream has ended).
    // Both give up at once (false) when cancel, an event, is set.
    bool Step(DWORD ms, HANDLE cancel = nullptr);
    bool WaitHeld(DWORD ms, HANDLE cancel = nullptr);

protected:
    HRESULT PinReceive(InputPin* pin, IMediaSample* sample) override;
    HRESULT PinBeginFlush(InputPin* pin) override;
    HRESULT PinEndFlush(InputPin* pin) override;
    HRESULT PinEndOfStream(InputPin* pin) override;
    HRESULT OnPause(FILTER_STATE from) override;
    HRESULT OnRun(REFERENCE_TIME start) override;
    HRESULT StateReady(DWORD timeoutMs) override;

private:
    void LetGo();

    HANDLE m_release;  // manual reset: set while nothing may be held
    HANDLE m_arrived;  // manual reset: set once the paused frame (or the end) has come
    HANDLE m_step;     // auto reset: lets one held sample go
};

KV_FILTER_KIND(VideoRendererFilter)
