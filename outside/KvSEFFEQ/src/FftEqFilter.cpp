#include "FftEqFilter.h"

#include "FftEqKernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fx {

namespace {

double NearestFftSize(double value)
{
    if (!(value > 128))
        return 128;
    if (value >= 65536)
        return 65536;
    return std::exp2(std::round(std::log2(value)));
}

} // namespace

void FftEqFilter::ParamRange(int index, const double* values, double& minimum, double& maximum) const
{
    EffectFilter::ParamRange(index, values, minimum, maximum);
    if (index == kFeqOverlap)
        maximum = std::max(0.0, values[kFeqFftSize] - 1);
    else if (index == kFeqMinDb)
        maximum = std::min(maximum, values[kFeqMaxDb] - 1);
    else if (index == kFeqMaxDb)
        minimum = std::max(minimum, values[kFeqMinDb] + 1);
}

bool FftEqFilter::RecordValid(const double* values) const
{
    for (int i = 0; i < kFeqParamCount; ++i) {
        double lo, hi;
        ParamRange(i, values, lo, hi);
        if (!std::isfinite(values[i]) || lo > hi ||
            std::fabs(fxkit::ClampParam(kFftEqParams[i], values[i], lo, hi) - values[i]) > 1e-9)
            return false;
    }
    return IsFftSize(values[kFeqFftSize]);
}

STDMETHODIMP FftEqFilter::SetParameter(int index, double value)
{
    if (index != kFeqFftSize)
        return EffectFilter::SetParameter(index, value);
    const double size = NearestFftSize(value);
    HRESULT hr = EffectFilter::SetParameter(index, size);
    // A smaller size takes the overlap down with it.
    EffectFilter::SetParameter(kFeqOverlap, Value(kFeqOverlap));
    return hr == S_OK && size != value ? S_FALSE : hr;
}

STDMETHODIMP FftEqFilter::GetParameters(FftEqParameters* parameters)
{
    if (!parameters)
        return E_POINTER;
    double v[kFeqParamCount];
    CopyValues(v);
    *parameters = {0,
                   0,
                   int(v[kFeqFftSize]),
                   int(v[kFeqOverlap]),
                   int(v[kFeqWindow]),
                   int(v[kFeqMinDb]),
                   int(v[kFeqMaxDb]),
                   int(v[kFeqAxis]),
                   int(v[kFeqChannel])};
    return S_OK;
}

STDMETHODIMP FftEqFilter::SetParameters(const FftEqParameters* p)
{
    if (!p)
        return E_POINTER;
    const double lowest = kFeqLowestDb, highest = kFeqHighestDb;
    const double minimum = std::clamp<double>(p->minimumDb, lowest, highest);
    const double maximum = std::clamp<double>(p->maximumDb, lowest, highest);
    if (!IsFftSize(p->fftSize) || p->overlap >= p->fftSize || p->window < 0 || p->window > 5 ||
        p->maximumDb <= p->minimumDb || maximum <= minimum)
        return E_INVALIDARG;
    bool clamped = p->reserved0 != 0 || p->reserved1 != 0 || minimum != p->minimumDb || maximum != p->maximumDb;
    auto set = [&](int index, double value) { clamped = EffectFilter::SetParameter(index, value) != S_OK || clamped; };
    set(kFeqFftSize, p->fftSize);
    set(kFeqOverlap, p->overlap);
    set(kFeqWindow, p->window);
    // Each bound is kept apart from the other one as it is now: move the one that makes room first.
    if (minimum < Value(kFeqMaxDb)) {
        set(kFeqMinDb, minimum);
        set(kFeqMaxDb, maximum);
    } else {
        set(kFeqMaxDb, maximum);
        set(kFeqMinDb, minimum);
    }
    set(kFeqAxis, p->axis);
    set(kFeqChannel, p->channel);
    return clamped ? S_FALSE : S_OK;
}

STDMETHODIMP FftEqFilter::SetAnalysisMode(int analyse)
{
    m_analyse.store(analyse > 0 ? 1 : 0);
    return S_OK;
}

STDMETHODIMP FftEqFilter::KeepSpectrum()
{
    AutoLock lock(m_spectrumLock);
    m_kept = m_shown;
    m_hasKept = true;
    return S_OK;
}

STDMETHODIMP FftEqFilter::SettleSpectrum(int restore)
{
    AutoLock lock(m_spectrumLock);
    // Nothing kept: the spectrum shown stays, whatever was asked.
    if (restore && m_hasKept)
        m_shown = std::move(m_kept);
    m_kept = Spectrum();
    m_hasKept = false;
    return S_OK;
}

STDMETHODIMP FftEqFilter::SelectChannel(int channel)
{
    const HRESULT hr = SetParameter(kFeqChannel, channel);
    return FAILED(hr) ? hr : S_OK;
}

STDMETHODIMP FftEqFilter::GetSpectrum(float* levels, UINT capacity, UINT* bins, UINT* rate)
{
    if (!bins || !rate)
        return E_POINTER;
    AutoLock lock(m_spectrumLock);
    *bins = UINT(m_shown.levels.size());
    *rate = m_shown.rate;
    if (levels)
        std::memcpy(levels, m_shown.levels.data(), std::min<size_t>(capacity, m_shown.levels.size()) * sizeof(float));
    return S_OK;
}

HRESULT FftEqFilter::StartStreaming()
{
    m_streamAnalyses = m_analyse.load() != 0;
    m_streamRate = WaveFormatOf(Input()->CurrentMediaType().Get())->nSamplesPerSec;
    static_cast<FftEqKernel*>(Kernel())->SetAnalysis(m_streamAnalyses);
    return EffectFilter::StartStreaming();
}

HRESULT FftEqFilter::OnEndOfStream()
{
    const HRESULT hr = EffectFilter::OnEndOfStream();
    // The whole sound was seen: its average is the spectrum to show. A stream with no sound
    // (no track chosen) leaves an empty spectrum, and succeeds.
    if (m_streamAnalyses && SUCCEEDED(hr)) {
        Spectrum result{static_cast<FftEqKernel*>(Kernel())->FinishAnalysis(), m_streamRate};
        AutoLock lock(m_spectrumLock);
        m_shown = std::move(result);
    }
    return hr;
}

} // namespace fx
