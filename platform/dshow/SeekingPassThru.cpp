#include "SeekingPassThru.h"

#include "ComRef.h"

#include <uuids.h>

namespace {

constexpr DWORD kLocalCaps = AM_SEEKING_CanGetDuration | AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetStopPos;

} // namespace

STDMETHODIMP SeekingPassThru::GetCapabilities(DWORD* caps)
{
    if (!caps)
        return E_POINTER;
    ComRef<IMediaSeeking> up(UpstreamSeeking());
    if (up)
        return up->GetCapabilities(caps);
    *caps = kLocalCaps;
    return S_OK;
}

STDMETHODIMP SeekingPassThru::CheckCapabilities(DWORD* caps)
{
    if (!caps)
        return E_POINTER;
    DWORD have = 0;
    HRESULT hr = GetCapabilities(&have);
    if (FAILED(hr))
        return hr;
    DWORD asked = *caps;
    *caps &= have;
    return *caps == asked ? S_OK : (*caps ? S_FALSE : E_FAIL);
}

STDMETHODIMP SeekingPassThru::IsFormatSupported(const GUID* format)
{
    if (!format)
        return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

STDMETHODIMP SeekingPassThru::QueryPreferredFormat(GUID* format)
{
    if (!format)
        return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

STDMETHODIMP SeekingPassThru::GetTimeFormat(GUID* format)
{
    return QueryPreferredFormat(format);
}

STDMETHODIMP SeekingPassThru::IsUsingTimeFormat(const GUID* format)
{
    if (!format)
        return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

STDMETHODIMP SeekingPassThru::SetTimeFormat(const GUID* format)
{
    if (!format)
        return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

STDMETHODIMP SeekingPassThru::GetDuration(LONGLONG* duration)
{
    if (!duration)
        return E_POINTER;
    HRESULT hr = LocalDuration(duration);
    if (hr != E_NOTIMPL)
        return hr;
    ComRef<IMediaSeeking> up(UpstreamSeeking());
    return up ? up->GetDuration(duration) : E_NOTIMPL;
}

STDMETHODIMP SeekingPassThru::GetStopPosition(LONGLONG* stop)
{
    if (!stop)
        return E_POINTER;
    HRESULT hr = LocalDuration(stop);
    if (hr != E_NOTIMPL)
        return hr;
    ComRef<IMediaSeeking> up(UpstreamSeeking());
    return up ? up->GetStopPosition(stop) : E_NOTIMPL;
}

STDMETHODIMP SeekingPassThru::GetCurrentPosition(LONGLONG* current)
{
    if (!current)
        return E_POINTER;
    HRESULT hr = LocalPosition(current);
    if (hr != E_NOTIMPL)
        return hr;
    ComRef<IMediaSeeking> up(UpstreamSeeking());
    return up ? up->GetCurrentPosition(current) : E_NOTIMPL;
}

STDMETHODIMP SeekingPassThru::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                const GUID* sourceFormat)
{
    if (!target)
        return E_POINTER;
    bool targetTime = !targetFormat || *targetFormat == TIME_FORMAT_MEDIA_TIME;
    bool sourceTime = !sourceFormat || *sourceFormat == TIME_FORMAT_MEDIA_TIME;
    if (targetTime && sourceTime) {
        *target = source;
        return S_OK;
    }
    ComRef<IMediaSeeking> up(UpstreamSeeking());
    return up ? up->ConvertTimeFormat(target, targetFormat, source, sourceFormat) : E_INVALIDARG;
}

STDMETHODIMP SeekingPassThru::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    ComRef<IMediaSeeking> up(UpstreamSeeking());
    return up ? up->SetPositions(current, currentFlags, stop, stopFlags) : E_NOTIMPL;
}

STDMETHODIMP SeekingPassThru::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    HRESULT hr = S_OK;
    if (current)
        hr = GetCurrentPosition(current);
    if (SUCCEEDED(hr) && stop)
        hr = GetStopPosition(stop);
    return hr;
}

STDMETHODIMP SeekingPassThru::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    if (earliest)
        *earliest = 0;
    return latest ? GetDuration(latest) : S_OK;
}

STDMETHODIMP SeekingPassThru::SetRate(double rate)
{
    ComRef<IMediaSeeking> up(UpstreamSeeking());
    if (up)
        return up->SetRate(rate);
    return rate == 1.0 ? S_OK : E_NOTIMPL;
}

STDMETHODIMP SeekingPassThru::GetRate(double* rate)
{
    if (!rate)
        return E_POINTER;
    ComRef<IMediaSeeking> up(UpstreamSeeking());
    if (up)
        return up->GetRate(rate);
    *rate = 1.0;
    return S_OK;
}

STDMETHODIMP SeekingPassThru::GetPreroll(LONGLONG* preroll)
{
    if (!preroll)
        return E_POINTER;
    *preroll = 0;
    return S_OK;
}
