// IMediaSeeking answered locally where a filter knows the answer and forwarded upstream
// otherwise. Used by output pins (a transform passes seeking to its upstream filter), by
// renderers (which know their own position) and by sources (which know their length).
// Only media time (100 ns units) is spoken locally.
#pragma once
#include "ComObject.h"
#include <strmif.h>

struct SeekingPassThru : IMediaSeeking {
    virtual ~SeekingPassThru() = default;

    // The seeking interface to forward to (with a reference), or nullptr.
    virtual IMediaSeeking* UpstreamSeeking() { return nullptr; }
    // Local answers in 100 ns units; E_NOTIMPL forwards the call upstream.
    virtual HRESULT LocalDuration(LONGLONG*) { return E_NOTIMPL; }
    virtual HRESULT LocalPosition(LONGLONG*) { return E_NOTIMPL; }

    STDMETHODIMP GetCapabilities(DWORD* caps) override;
    STDMETHODIMP CheckCapabilities(DWORD* caps) override;
    STDMETHODIMP IsFormatSupported(const GUID* format) override;
    STDMETHODIMP QueryPreferredFormat(GUID* format) override;
    STDMETHODIMP GetTimeFormat(GUID* format) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override;
    STDMETHODIMP SetTimeFormat(const GUID* format) override;
    STDMETHODIMP GetDuration(LONGLONG* duration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG* current) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override;
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    STDMETHODIMP SetRate(double rate) override;
    STDMETHODIMP GetRate(double* rate) override;
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override;
};

// ComObject<..., SeekingPassThru> answers IID_IMediaSeeking with it.
template <>
inline const IID& kvcom::InterfaceIdOf<SeekingPassThru>()
{
    return IID_IMediaSeeking;
}
