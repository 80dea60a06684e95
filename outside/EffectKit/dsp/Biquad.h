// Biquad sections (transposed direct form II, double precision) and their designs: the
// cookbook peak, shelves, low/high/band pass and notch, and Butterworth cascades of order 1..8;
// the kit's one cascade, which every IIR filter runs on (the equalisers, filters, hum removal).
//
//   BiquadCascade lp; lp.Configure(Butterworth(FilterKind::LowPass, 4, 1000.0, 44100.0), channels);
//   lp.ProcessInPlace(frames, count);    // interleaved float
//
// A frame goes through every section in double before the next (channel pairs side by side in
// one register), so a long cascade keeps the processor busy and loses no precision between
// sections. After each block a state too small to matter (below 1e-30: it would turn denormal)
// or not finite (a NaN or an infinity that came in) is cleared, so the filter settles again;
// outputs are kept within the float range.
#pragma once
#include <cstddef>
#include <vector>

namespace fxkit {

struct BiquadCoefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0; // a0 normalised to 1
    bool IsUnity() const { return b0 == 1 && b1 == 0 && b2 == 0 && a1 == 0 && a2 == 0; }
    // Magnitude response at frequency f (Hz) for the rate.
    double MagnitudeAt(double f, double rate) const;
};

enum class FilterKind { LowPass, HighPass, BandPass, Notch, Peak, LowShelf, HighShelf };

// One cookbook section. q: quality (shelves: slope 1 when q <= 0); gainDb: peak and shelves.
// Frequencies are kept below 0.499 of the rate.
BiquadCoefficients DesignBiquad(FilterKind kind, double freq, double q, double gainDb, double rate);
// Butterworth low or high pass of the order (1..8) as a chain of sections.
std::vector<BiquadCoefficients> Butterworth(FilterKind kind, int order, double freq, double rate);

// A chain of sections run over interleaved channels, each channel with its own state.
class BiquadCascade {
public:
    void Configure(const std::vector<BiquadCoefficients>& sections, int channels);
    // New coefficients, keeping the state (for changes during a stream; same section count).
    void SetCoefficients(const std::vector<BiquadCoefficients>& sections);
    void Reset();
    void ProcessInPlace(float* frames, size_t count);
    double MagnitudeAt(double f, double rate) const;
    size_t SectionCount() const { return m_sections.size(); }

private:
    void Settle();

    std::vector<BiquadCoefficients> m_sections;
    std::vector<double> m_state; // per channel, per section: z1, z2
    int m_channels = 0;
};

} // namespace fxkit
