// FftEqFilter: the FFT equaliser's filter: the kit's effect filter with the program's record
// (IFftEqualizer), the analysis mode and the spectrum the last analysis left for the page.
#pragma once
#include "EffectFilter.h"
#include "KvSEFFEQ.h"

#include <vector>

namespace fx {

extern const fxkit::EffectInfo kFftEqInfo;

class FftEqFilter : public ComExtend<fxkit::EffectFilter, IFftEqualizer, IFftEqualizerSpectrum> {
public:
    FftEqFilter() : ComExtend(kFftEqInfo) {}

    // IEffectParameters: the FFT size goes to the nearest power of two, and the overlap follows.
    STDMETHODIMP SetParameter(int index, double value) override;
    // IFftEqualizer
    STDMETHODIMP GetParameters(FftEqParameters* parameters) override;
    STDMETHODIMP SetParameters(const FftEqParameters* parameters) override;
    STDMETHODIMP SetAnalysisMode(int analyse) override;
    STDMETHODIMP KeepSpectrum() override;
    STDMETHODIMP SettleSpectrum(int restore) override;
    STDMETHODIMP SelectChannel(int channel) override;
    // IFftEqualizerSpectrum
    STDMETHODIMP GetSpectrum(float* levels, UINT capacity, UINT* bins, UINT* rate) override;
    // The filler slots of both interfaces.
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved15() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved18() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved20() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved21() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved22() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved23() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved24() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved25() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved26() override { return E_NOTIMPL; }

protected:
    void ParamRange(int index, const double* values, double& minimum, double& maximum) const override;
    bool RecordValid(const double* values) const override;
    HRESULT StartStreaming() override;
    HRESULT OnEndOfStream() override;

private:
    struct Spectrum {
        std::vector<float> levels;
        UINT rate = 0;
    };

    std::atomic<int> m_analyse{0};
    bool m_streamAnalyses = false; // this stream's mode, as it started
    UINT m_streamRate = 0;
    mutable CritSec m_spectrumLock;
    Spectrum m_shown, m_kept;
    bool m_hasKept = false;
};

} // namespace fx
