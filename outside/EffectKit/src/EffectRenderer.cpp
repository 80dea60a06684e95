#include "EffectRenderer.h"

#include "StreamFormat.h"

namespace fxkit {

HRESULT EffectRenderer::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    if (!Supported(mt))
        return VFW_E_TYPE_NOT_ACCEPTED;
    const unsigned channels = FormatOf(mt).channels;
    if (channels < 1 || channels > 31 || !(m_channels & (1u << channels)))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT EffectRenderer::OnStartStreaming()
{
    m_format = FormatOf(Input()->CurrentMediaType().Get());
    m_float.InitFloat32(m_format.samplesPerSec, m_format.channels);
    m_toFloat.SetSourceFormat(&m_format);
    m_toFloat.SetDestinationFormat(&m_float);
    m_frames.store(0);
    HRESULT hr = BeginRun();
    m_open = SUCCEEDED(hr);
    return hr;
}

void EffectRenderer::OnStopStreaming()
{
    // Stopped before the end, or after a failure: whatever the run began is dropped.
    if (m_open) {
        m_open = false;
        AbortRun();
    }
}

const float* EffectRenderer::ToFloat(const uint8_t* data, size_t frames)
{
    if (m_format.IsFloat())
        return reinterpret_cast<const float*>(data);
    m_floats.resize(frames * m_format.channels);
    m_toFloat.Convert(data, frames, m_floats.data());
    return m_floats.data();
}

HRESULT EffectRenderer::RenderSample(IMediaSample* sample)
{
    if (!m_open)
        return S_FALSE; // the run already failed or ended: take no more
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr))
        return hr;
    const size_t frames = size_t(std::max(sample->GetActualDataLength(), 0L)) / m_format.blockAlign;
    if (frames == 0)
        return S_OK;
    hr = RenderFrames(data, frames);
    if (FAILED(hr)) {
        m_open = false;
        AbortRun();
        return hr;
    }
    m_frames.fetch_add(frames);
    return S_OK;
}

HRESULT EffectRenderer::OnEndOfStreamReceived()
{
    if (!m_open)
        return E_FAIL; // a failed run never ends as complete
    m_open = false;
    HRESULT hr = EndRun();
    if (FAILED(hr))
        AbortRun();
    return hr;
}

HRESULT EffectRenderer::RenderedPosition(LONGLONG* pos)
{
    if (!pos)
        return E_POINTER;
    const uint32_t rate = m_format.samplesPerSec;
    if (rate == 0)
        return E_NOTIMPL;
    *pos = LONGLONG(m_frames.load() * 10000000ull / rate);
    return S_OK;
}

} // namespace fxkit
