#include "HissKernel.h"

#include "FastMath.h"

#include <algorithm>
#include <cmath>

namespace fx {

namespace {

// The smoothed noise's mean over its tracked floor (the second least of nine bins, and the
// least of those over time lie well below it).
constexpr double kBias = 16.0;

} // namespace

const fxkit::ParamInfo kHissParams[kHissParamCount] = {
    {L"&Reduction", L"dB", 0, 40, 18, 1, nullptr},
    {L"&Corner", L"Hz", 1000, 10000, 4000, 0, nullptr, true, false, true},
    {L"&Threshold", L"dB", 0, 20, 6, 1, nullptr},
};

HissKernel::HissKernel()
    : m_fft(kSize), m_window(kSize), m_re(kSize), m_im(kSize),
      m_spectra{std::vector<std::complex<float>>(kSize / 2 + 1), std::vector<std::complex<float>>(kSize / 2 + 1)}
{
    const double pi = 3.14159265358979323846;
    for (size_t i = 0; i < kSize; ++i)
        m_window[i] = float(std::sqrt(0.5 - 0.5 * std::cos(2 * pi * double(i) / double(kSize))));
}

void HissKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    const double frameSeconds = double(kHop) / m_rate;
    m_rise = std::pow(10.0, 0.3 * frameSeconds); // 3 dB a second
    m_close = std::exp(-frameSeconds / 0.06);    // gains close over about 60 ms
    Update(values);
    Reset();
}

void HissKernel::Update(const double* values)
{
    m_floorGain = fxkit::DbToGain(-values[kHissReduction]);
    m_cornerBin = std::min(kSize / 2, size_t(std::ceil(values[kHissCorner] * double(kSize) / m_rate)));
    m_threshold = std::pow(10.0, values[kHissThreshold] / 10.0);
    m_log2FloorGain = std::log2(m_floorGain);
    m_log2Threshold = std::log2(m_threshold);
}

void HissKernel::Reset()
{
    const size_t ch = size_t(m_channels);
    m_stream.Configure(kSize, kHop, m_channels);
    m_floor.assign(ch, std::vector<double>(kSize / 2 + 1, 0.0));
    m_gain.assign(ch, std::vector<double>(kSize / 2 + 1, 1.0));
    m_smooth.assign(ch, std::vector<double>(kSize / 2 + 1, 0.0));
    m_local.assign(kSize / 2 + 1, 0.0);
    m_wanted.assign(kSize / 2 + 1, 1.0);
    m_shaped.assign(kSize / 2 + 1, 1.0);
    m_started.assign(ch, false);
    m_seen = 0;
}

void HissKernel::RunFrame()
{
    const size_t ch = size_t(m_channels);
    // Square-root Hann on both sides at a quarter hop sums to 2; the inverse is not scaled.
    const double scale = 0.5 / double(kSize);
    for (size_t c = 0; c < ch; c += 2) {
        const bool pair = c + 1 < ch;
        fxkit::StftStream::PairScale scaled{1, 1};
        if (pair)
            scaled = m_stream.GatherPair(c, m_window.data(), m_re.data(), m_im.data(), true);
        else {
            scaled.first = m_stream.Gather(c, m_window.data(), m_re.data());
            std::fill(m_im.begin(), m_im.end(), 0.0f);
        }
        m_fft.ForwardSplit(m_re.data(), m_im.data());
        m_fft.SplitPair(m_re.data(), m_im.data(), m_spectra[0].data(), m_spectra[1].data());
        Gate(c, m_spectra[0].data());
        if (pair)
            Gate(c + 1, m_spectra[1].data());
        m_fft.JoinPair(m_spectra[0].data(), m_spectra[1].data(), m_re.data(), m_im.data());
        m_fft.InverseSplit(m_re.data(), m_im.data());
        if (pair)
            m_stream.AddPair(c, m_re.data(), m_im.data(), m_window.data(), scale / scaled.first, scale / scaled.second);
        else
            m_stream.Add(c, m_re.data(), m_window.data(), scale / scaled.first);
    }
}

void HissKernel::Gate(size_t c, std::complex<float>* spectrum)
{
    const size_t half = kSize / 2;
    std::vector<double>& floor = m_floor[c];
    std::vector<double>& gain = m_gain[c];
    std::vector<double>& smooth = m_smooth[c];
    for (size_t k = m_cornerBin > 4 ? m_cornerBin - 4 : 0; k <= half; ++k) {
        const double power = std::norm(std::complex<double>(spectrum[k]));
        smooth[k] = m_started[c] ? m_settle * smooth[k] + (1.0 - m_settle) * power : power;
    }
    // The floor follows the power averaged over nine bins as well: steadier than one.
    std::vector<double>& local = m_local;
    size_t risen = 0;
    for (size_t k = m_cornerBin; k <= half; ++k) {
        // The second smallest of nine bins: a tone's lobe (five bins) does not reach it.
        double least = 1e300, second = 1e300;
        const size_t lo = k - std::min<size_t>(k, 4), hi = std::min(half, k + 4);
        for (size_t b = lo; b <= hi; ++b)
            if (smooth[b] < least) {
                second = least;
                least = smooth[b];
            } else
                second = std::min(second, smooth[b]);
        local[k] = second;
        risen += local[k] > 10.0 * floor[k];
    }
    // Most of the band 10 dB over its floor is noise coming back (after silence, or at the
    // start), no tone: the floor starts again from here.
    // The frames before the window is full of sound start it again, too.
    const bool reseed = m_seen < kSize || !m_started[c] || 2 * risen > half + 1 - m_cornerBin;
    for (size_t k = m_cornerBin; k <= half; ++k) {
        if (reseed || local[k] < floor[k])
            floor[k] = local[k];
        else
            floor[k] *= m_rise;
        // The tracked minimum lies below the noise's mean: kBias lifts it back. At the
        // threshold above that the bin is open, at the floor gated, between in dB.
        const double over = smooth[k] / (floor[k] * kBias + 1e-30);
        const double t = over <= 1.0 ? 0.0 : over >= m_threshold ? 1.0 : fxkit::FastLog2(over) / m_log2Threshold;
        m_wanted[k] = t >= 1.0 ? 1.0 : fxkit::FastExp2((1.0 - t) * m_log2FloorGain);
    }
    for (size_t k = m_cornerBin; k <= half; ++k) {
        // An open bin opens its neighbours: a tone's whole main lobe passes, unmodulated.
        double wanted = m_wanted[k];
        for (size_t b = std::max(m_cornerBin, k - std::min<size_t>(k, 2)); b <= std::min(half, k + 2); ++b)
            wanted = std::max(wanted, m_wanted[b]);
        gain[k] = std::max(wanted, gain[k] * m_close + wanted * (1.0 - m_close));
    }
    // Gains smoothed over the bins: a sharp edge between an open and a gated bin would ring
    // through the whole frame (the transform is circular) and spread a tone over the band.
    for (int pass = 0; pass < 2; ++pass) {
        double previous = gain[m_cornerBin];
        for (size_t k = m_cornerBin + 1; k < half; ++k) {
            const double here = gain[k];
            m_shaped[k] = 0.25 * previous + 0.5 * here + 0.25 * gain[k + 1];
            previous = here;
        }
        for (size_t k = m_cornerBin + 1; k < half; ++k)
            gain[k] = m_shaped[k];
    }
    for (size_t k = m_cornerBin; k <= half; ++k)
        spectrum[k] *= float(gain[k]);
    m_started[c] = true;
}

void HissKernel::Process(const float* in, float* out, size_t frames)
{
    m_stream.Process(in, out, frames, [this] {
        m_seen = std::min(m_seen + m_stream.Hop(), kSize);
        RunFrame();
    });
}

} // namespace fx
