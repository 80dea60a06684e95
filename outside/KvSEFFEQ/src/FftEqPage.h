// FftEqPage: the FFT equaliser's page: the curve editor (control 1063) over the spectrum of the
// last analysis, which fills the page as it is resized, and the frequency and gain of the chosen
// point below it.
//   Mouse: a left click on empty ground adds a point, a drag moves one, a right click removes
//   one. A double-click only re-reads the filter (axis, level range, spectrum; the curve unless
//   it holds unapplied edits) and redraws: the program's dialog sends it as its refresh.
//   "WM_FFTEQ_BUTTONDOWN" (lParam the stage): 1, 2 (a job starts) apply what is pending and lock
//   editing; 3, 4 (it ended) unlock; 0 (the dialog is cancelled) drops unapplied edits.
// The page writes only the curve; the record's values are the dialog's.
#pragma once
#include "ComRef.h"
#include "FftEqKernel.h"
#include "KvSEFFEQ.h"
#include "PropertyPage.h"

#include <vector>

struct IEffectParameters;

namespace fx {

constexpr int kCurveControlId = 1063;

class FftEqPage : public ComObject<PropertyPage> {
public:
    FftEqPage();
    ~FftEqPage() override;

protected:
    HRESULT OnConnect(IUnknown* object) override;
    void OnDisconnect() override;
    void OnActivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    static LRESULT CALLBACK CurveProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnCurveMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp);
    void OnStage(LPARAM stage);
    bool OnEditCommand(HWND edit, int code);

    void ReadFilter(bool curveToo);
    void Layout();
    void ShowPoint();
    void CurveEdited();
    void Lock(bool locked);

    void Paint(HDC dc, const RECT& client) const;
    RECT Plot() const;
    double Nyquist() const;
    double LowestFrequency() const;
    int FrequencyToX(double frequency) const;
    double XToFrequency(int x) const;
    int GainToY(double gain) const;
    double YToGain(int y) const;
    int LevelToY(double level) const;
    int HitPoint(POINT at) const;
    void MovePoint(int point, double frequency, double gain);

    ComRef<IEffectParameters> m_params;
    ComRef<IFftEqualizerSpectrum> m_spectrumSource;
    double m_values[kFeqParamCount] = {};
    std::vector<CurvePoint> m_points; // by frequency
    int m_selected = -1, m_dragging = -1;
    std::vector<float> m_spectrum;
    UINT m_rate = 0;
    HWND m_curve = nullptr;
    HWND m_labels[2] = {}, m_edits[2] = {}, m_units[2] = {};
    bool m_locked = false;
    bool m_showing = false; // the page writes the edits' text itself
};

} // namespace fx
