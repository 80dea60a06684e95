// CSpectrumAnalyzer: interleaved PCM frames in, an averaged one-sided power spectrum per channel
// out, with band powers on the nominal 1/1- and 1/3-octave grids. No window or document code.
//
//   CSpectrumAnalyzer a;
//   a.SetBytesPerSample(2); a.SetSignedBytes(1); a.SetChannels(2); a.SetSampleRate(48000);
//   a.SetFftSize(1024); a.SetOverlap(0); a.SetWindow(0);
//   if (SUCCEEDED(a.Begin())) { a.AddSamples(bytes, frames); ...; a.Finish(); }
//   double p = a.GetPowerSpectrum()[k * channels + c];      // calibrated, never 0
//
// Samples are brought to the 16-bit scale (full scale 32768): 16-bit signed as they are,
// 32-bit float times 32768, 8-bit signed times 256, 8-bit unsigned (v - 128) times 256. Each
// frame of N samples per channel is windowed, transformed, and its squared magnitudes summed;
// Finish divides by the frame count and the window's mean square (so the total power of a
// signal reads the same under every window), doubles bins 1 .. N/2 - 1, puts 1.0 in place of
// an exact 0 (one squared 16-bit step, the floor of every display) and multiplies by the
// calibration c(N) of the size, so that a full-scale sine reads 0 dB.
#pragma once
#include "Fft.h"

#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

// Thrown by Begin and Finish when a buffer cannot be had.
struct MemoryException {
    const void* engine;
};

class CSpectrumAnalyzer {
public:
    static constexpr long kInvalidArg = static_cast<long>(0x80070057); // E_INVALIDARG

    CSpectrumAnalyzer();
    ~CSpectrumAnalyzer();
    CSpectrumAnalyzer(const CSpectrumAnalyzer&) = delete;
    CSpectrumAnalyzer& operator=(const CSpectrumAnalyzer&) = delete;
    // Destroys the object (its owner's way of releasing it).
    void Delete() { delete this; }

    // Plain stores and loads; Begin checks them.
    void SetBytesPerSample(int bytes) { m_bytesPerSample = bytes; }
    int GetBytesPerSample() const { return m_bytesPerSample; }
    void SetSignedBytes(int isSigned) { m_signedBytes = isSigned; }
    void SetChannels(int channels) { m_channelCount = channels; }
    int GetChannels() const { return m_channelCount; }
    void SetSampleRate(int rate) { m_sampleRate = rate; }
    int GetSampleRate() const { return m_sampleRate; }
    // Stores the smallest power of two that is at least size, and at least 2.
    void SetFftSize(int size);
    int GetFftSize() const { return m_fftSize; }
    // Frames each transform frame shares with the next.
    void SetOverlap(int frames) { m_overlap = frames; }
    int GetOverlap() const { return m_overlap; }
    // 0 Hanning, 1 Hamming, 2 Blackman, 3 Bartlett, 4 Rectangular, 5 Blackman-Harris.
    void SetWindow(int type) { m_windowType = type; }
    int GetWindow() const { return m_windowType; }

    // Starts a run: 1 on success; kInvalidArg, keeping the last result, for a sample size other
    // than 1, 2 or 4 bytes, a channel count outside 1 .. 64, a rate of 0 or less, an overlap outside
    // 0 .. N - 1 or a window type outside 0 .. 5.
    long Begin();
    // frames whole interleaved frames; returns 1. Needs a successful Begin.
    long AddSamples(const void* bytes, int frames);
    // Completes the last frame, normalises, calibrates and fills the bands; returns 1.
    long Finish();

    // Bins 0 .. N/2 of channel c at k * channels + c are valid after Finish (N * channels values).
    const double* GetPowerSpectrum() const { return m_powerSum.empty() ? nullptr : m_powerSum.data(); }
    // Band b of channel c at (b - first) * channels + c.
    const double* GetOctaveBands() const { return m_octaveBands.empty() ? nullptr : m_octaveBands.data(); }
    const double* GetThirdOctaveBands() const
    {
        return m_thirdOctaveBands.empty() ? nullptr : m_thirdOctaveBands.data();
    }
    int GetOctaveFirst() const { return m_octaveFirst; }
    int GetOctaveLast() const { return m_octaveLast; }
    int GetThirdOctaveFirst() const { return m_thirdOctaveFirst; }
    int GetThirdOctaveLast() const { return m_thirdOctaveLast; }
    // Frames transformed in the last run.
    int GetFrameCount() const { return m_frameCount; }

    // Band of a frequency on the grid of 1/fraction octaves (band 10 of octaves and band 30 of
    // third-octaves are 1000 Hz), rounded half away from zero.
    static int BandIndexOf(double hz, int fraction);
    // Nominal centre of a band: 31.5, 63, 125 ... for octaves; 50, 63, 80, 100, 125 ... for thirds.
    static double BandCentre(int band, int fraction);
    // c(N): 2 / (32768 N)^2 within 0.01 %, from the table of the ten offered sizes; the formula
    // for any other size.
    static double Calibration(int fftSize);
    // w(i) of a window type for position i of n (periodic; symmetric about n / 2).
    static double WindowValue(int type, int i, int n);

    // In-place forward transform (size GetFftSize) of every channel (GetChannels) of complex
    // values laid out like the analyser's own buffer: value k of channel c at k * channels + c,
    // each (re, im).
    void ForwardFft(double* complexValues) const;

private:
    void ProcessFrame();
    void WindowAndConvert(int channel, double* out, int step) const;
    void BuildBands(int fraction, double widthFactor, int* first, int* last, std::vector<double>* bands);

    int m_bytesPerSample = 2;
    int m_signedBytes = 0;
    int m_channelCount = 1;
    int m_sampleRate = 0;
    int m_fftSize = 128;
    int m_overlap = 0;
    int m_windowType = 0;
    // The configuration Begin took (the setters may change before Finish).
    int m_runBytes = 2, m_runSigned = 0, m_runChannels = 1, m_runRate = 0, m_runSize = 128, m_runOverlap = 0;
    std::vector<unsigned char> m_inputBuffer;
    int m_fillCount = 0;
    std::vector<double> m_window;           // w(i), N values
    std::vector<double> m_complex;          // N complex values
    fxkit::Fft m_fft{2};                    // N points: two channels at once
    fxkit::Fft m_halfFft{2};                // N / 2 points: one real channel
    std::vector<double> m_halfTurn;         // e^(-2 pi i k / N), k = 0 .. N / 2, (re, im)
    mutable fxkit::Fft m_forwardFft{2};     // ForwardFft's, kept between calls
    mutable std::vector<std::complex<double>> m_forwardData;
    std::vector<double> m_channelPower;     // per channel, bins 0 .. N/2, channel-major
    std::vector<double> m_powerSum;
    double m_windowMeanSquare = 1.0;
    int m_frameCount = 0;
    bool m_running = false;
    std::vector<double> m_octaveBands, m_thirdOctaveBands;
    int m_octaveFirst = 0, m_octaveLast = -1;
    int m_thirdOctaveFirst = 0, m_thirdOctaveLast = -1;
};
