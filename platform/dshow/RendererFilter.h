// RendererFilter: one input pin "In" that hands every sample to RenderSample as it comes (no
// clock: our renderers write or analyse offline). End of stream sends EC_COMPLETE once the
// filter runs. Answers IMediaSeeking (position from RenderedPosition, the rest from upstream)
// and IAMFilterMiscFlags, so the graph waits for its EC_COMPLETE); make the COM object with
// RendererObject<MyRenderer, ExtraInterfaces...>.
#pragma once
#include "BaseFilter.h"

#include <strmif.h>

struct RendererFilter : BaseFilter {
    RendererFilter();

    InputPin* Input() const { return m_input; }
    // The upstream pin's IMediaSeeking (with a reference), or nullptr.
    IMediaSeeking* InputSeeking();
    // Media time rendered so far; E_NOTIMPL asks upstream.
    virtual HRESULT RenderedPosition(LONGLONG*) { return E_NOTIMPL; }

protected:
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) = 0;
    virtual HRESULT RenderSample(IMediaSample* sample) = 0;
    // Paused from stopped / stopped (under the stream lock).
    virtual HRESULT OnStartStreaming() { return S_OK; }
    virtual void OnStopStreaming() {}
    // The stream ended; a failure is reported with EC_ERRORABORT instead of EC_COMPLETE.
    virtual HRESULT OnEndOfStreamReceived() { return S_OK; }

    // BaseFilter hooks
    HRESULT PinCheckMediaType(BasePin* pin, const AM_MEDIA_TYPE& mt) override;
    HRESULT PinReceive(InputPin* pin, IMediaSample* sample) override;
    HRESULT PinEndOfStream(InputPin* pin) override;
    HRESULT PinEndFlush(InputPin* pin) override;
    HRESULT OnPause(FILTER_STATE from) override;
    HRESULT OnRun(REFERENCE_TIME start) override;
    void OnStop() override;

private:
    void SendCompletion();

    InputPin* m_input;
    CritSec m_eosLock;
    bool m_streaming = false;
    bool m_eosPending = false; // end of stream came while paused
    bool m_completeSent = false;
    HRESULT m_eosResult = S_OK;
};

KV_FILTER_KIND(RendererFilter)

template <class Base, class... Extra>
class RendererObject : public FilterObject<Base, SeekingPassThru, IAMFilterMiscFlags, Extra...> {
public:
    STDMETHODIMP_(ULONG) GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }
    IMediaSeeking* UpstreamSeeking() override { return this->InputSeeking(); }
    HRESULT LocalPosition(LONGLONG* pos) override { return this->RenderedPosition(pos); }
};
