// FFT equaliser: a curve of points (frequency, gain), joined straight in log frequency and dB and
// flat past its ends, becomes a linear-phase FIR by frequency sampling (8191 taps on a
// 16384-point grid, about 5 Hz apart at 44.1 kHz), applied by FFT convolution; latency
// 3 x 8192 + 4095 frames. No points: unity.
// In analysis mode the sound passes unchanged and one channel's power spectrum is averaged over
// windowed frames of the FFT size, a hop of size - overlap apart; a sound shorter than one frame
// is analysed as one zero-padded frame.
#pragma once
#include "EffectKernel.h"
#include "Fft.h"
#include "LinearPhaseFir.h"
#include "ParamInfo.h"

#include <complex>
#include <memory>
#include <vector>

namespace fx {

// The values: the analysis and display settings of the program's record, then the curve.
enum FftEqParam {
    kFeqFftSize,    // 128 .. 65536, a power of two
    kFeqOverlap,    // 0 .. size - 1
    kFeqWindow,     // 0 Hanning, 1 Hamming, 2 Blackman, 3 Bartlett, 4 Rectangular, 5 Blackman-Harris
    kFeqMinDb,      // the level axis: lower bound, below the upper
    kFeqMaxDb,      // upper bound
    kFeqAxis,       // 0 logarithmic, 1 linear
    kFeqChannel,    // channel analysed, 0 .. 5
    kFeqPointCount, // 0 .. kFeqMaxPoints
    kFeqFirstPoint, // point p: frequency at kFeqFirstPoint + 2 p, gain in dB after it
};
constexpr int kFeqMaxPoints = 12;
constexpr int kFeqParamCount = kFeqFirstPoint + 2 * kFeqMaxPoints;
constexpr double kFeqMinFrequency = 20, kFeqMaxFrequency = 20000;
constexpr double kFeqMinGain = -48, kFeqMaxGain = 24;
constexpr double kFeqLowestDb = -200, kFeqHighestDb = 60;
extern const fxkit::ParamInfo kFftEqParams[kFeqParamCount];

bool IsFftSize(double size);

struct CurvePoint {
    double frequency;
    double gainDb;
};
// The curve's points of the values, by frequency.
std::vector<CurvePoint> CurvePointsOf(const double* values);
double CurveGainDb(const std::vector<CurvePoint>& curve, double frequency);

// Weight i of an n-point analysis window of the type (kFeqWindow).
double AnalysisWindow(int type, size_t i, size_t n);

// The averaged power spectrum of one channel, in dB per bin (a full-scale sine centred in its
// bin reads 0 dB).
class SpectrumAverager {
public:
    void Configure(size_t size, size_t overlap, int window, int channels, int channel);
    void Add(const float* in, size_t frames);
    // Levels of bins 0 .. size / 2; empty when no sound came.
    std::vector<float> Finish();

private:
    void RunFrame();

    size_t m_size = 4096, m_hop = 2048;
    int m_channels = 1, m_channel = 0;
    std::unique_ptr<fxkit::RealFft> m_fft;
    std::vector<double> m_window, m_frame, m_power;
    std::vector<double> m_work;
    std::vector<std::complex<double>> m_bins;
    double m_windowSum = 1;
    size_t m_fill = 0, m_frames = 0;
};

class FftEqKernel : public fxkit::EffectKernel {
public:
    // Before Prepare: analyse instead of filtering.
    void SetAnalysis(bool analyse) { m_analyse = analyse; }
    void Prepare(const fxkit::StreamShape& shape, const double* values) override;
    void Update(const double* values) override;
    void Reset() override;
    size_t Latency() const override { return m_analyse ? 0 : m_fir.Latency(); }
    void Process(const float* in, float* out, size_t frames) override;
    // The analysis's spectrum (see SpectrumAverager::Finish).
    std::vector<float> FinishAnalysis() { return m_averager.Finish(); }

    static constexpr size_t kBlock = 8192;

private:
    void Design(const double* values);

    bool m_analyse = false;
    double m_rate = 44100;
    int m_channels = 2;
    fxkit::LinearPhaseFir m_fir;
    // What the FIR was last designed for: the curve's values and the rate.
    std::vector<double> m_designedCurve;
    double m_designedRate = 0;
    SpectrumAverager m_averager;
};

} // namespace fx
