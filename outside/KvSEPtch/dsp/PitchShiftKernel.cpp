#include "PitchShiftKernel.h"

#include "FastMath.h"

#include <algorithm>
#include <cmath>
#include <emmintrin.h>

namespace fx {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Into [-pi, pi].
double Wrap(double a)
{
    return a - 2 * kPi * fxkit::RoundToInt(a * (0.5 / kPi));
}

} // namespace

const fxkit::ParamInfo kPitchShiftParams[kPitchParamCount] = {
    {L"&Shift", L"semitones", -24, 24, 0, 2, nullptr},
};

void PitchShiftKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    const bool preview = m_previewNext.load();
    // About 93 ms at 44.1 kHz (the best), scaled with the rate to a power of two.
    size_t size = 256;
    while (double(size) < (preview ? 0.046 : 0.093) * m_rate)
        size *= 2;
    m_size = size;
    m_hop = preview ? size / 4 : size / 8;
    if (!m_fft || m_fft->Size() != m_size)
        m_fft = std::make_unique<fxkit::FloatRealFft>(m_size);
    m_window.resize(m_size);
    for (size_t i = 0; i < m_size; ++i)
        m_window[i] = float(0.5 - 0.5 * std::cos(2 * kPi * double(i) / double(m_size)));
    m_scale = 1.0 / (0.375 * double(m_size) / double(m_hop));
    m_frame.resize(m_size);
    m_spectrum.resize(m_size / 2 + 1);
    m_shifted.resize(m_size / 2 + 1);
    m_magnitude.resize(m_size / 2 + 1);
    m_phase.resize(m_size / 2 + 1);
    m_next.resize(m_size / 2 + 1);
    Update(values);
    Reset();
}

void PitchShiftKernel::Update(const double* values)
{
    m_ratio = std::pow(2.0, values[kPitchSemitones] / 12.0);
}

void PitchShiftKernel::Reset()
{
    const size_t ch = size_t(m_channels);
    m_stream.Configure(m_size, m_hop, m_channels);
    m_lastPhase.assign(ch, std::vector<double>(m_size / 2 + 1, 0.0));
    m_synthPhase.assign(ch, std::vector<double>(m_size / 2 + 1, std::nan("")));
    m_lastEnergy.assign(ch, 0.0);
}

void PitchShiftKernel::ShiftChannel(size_t c)
{
    const size_t half = m_size / 2;
    const double hop = double(m_hop), n = double(m_size);
    double energy = 0, top = 0;
    // Four bins at a time: their parts apart, power, magnitude and phase.
    const float* bins = reinterpret_cast<const float*>(m_spectrum.data());
    __m128d energies = _mm_setzero_pd();
    __m128 tops = _mm_setzero_ps();
    size_t k = 0;
    for (; k + 4 <= half + 1; k += 4) {
        const __m128 a = _mm_loadu_ps(bins + 2 * k), b = _mm_loadu_ps(bins + 2 * k + 4);
        const __m128 re = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)), im = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
        const __m128 power = _mm_add_ps(_mm_mul_ps(re, re), _mm_mul_ps(im, im));
        const __m128 magnitude = _mm_sqrt_ps(power), phase = fxkit::FastAtan2(im, re);
        energies = _mm_add_pd(energies, _mm_add_pd(_mm_cvtps_pd(power), _mm_cvtps_pd(_mm_movehl_ps(power, power))));
        tops = _mm_max_ps(tops, magnitude);
        _mm_storeu_pd(&m_magnitude[k], _mm_cvtps_pd(magnitude));
        _mm_storeu_pd(&m_magnitude[k + 2], _mm_cvtps_pd(_mm_movehl_ps(magnitude, magnitude)));
        _mm_storeu_pd(&m_phase[k], _mm_cvtps_pd(phase));
        _mm_storeu_pd(&m_phase[k + 2], _mm_cvtps_pd(_mm_movehl_ps(phase, phase)));
    }
    double lanes[2];
    _mm_storeu_pd(lanes, energies);
    energy = lanes[0] + lanes[1];
    float topLanes[4];
    _mm_storeu_ps(topLanes, tops);
    top = std::max(std::max(topLanes[0], topLanes[1]), std::max(topLanes[2], topLanes[3]));
    for (; k <= half; ++k) {
        const double re = m_spectrum[k].real(), im = m_spectrum[k].imag();
        const double power = re * re + im * im;
        m_magnitude[k] = std::sqrt(power);
        m_phase[k] = fxkit::FastAtan2(im, re);
        energy += power;
        top = std::max(top, m_magnitude[k]);
    }
    // This frame's phases are the next one's last (swapped in when this frame is done).
    std::vector<double>& lastPhase = m_lastPhase[c];
    // The true frequency of bin k (radians a frame) from its phase advance since the last frame.
    const auto trueFrequency = [&](size_t k) {
        const double bin = 2 * kPi * double(k) / n;
        return bin + Wrap(m_phase[k] - lastPhase[k] - hop * bin) / hop;
    };
    // An attack: the frame's energy jumps by more than 9 dB.
    const bool attack = energy > 8.0 * m_lastEnergy[c] + 1e-12 * n;
    m_lastEnergy[c] = energy;
    std::fill(m_shifted.begin(), m_shifted.end(), std::complex<float>());
    if (m_ratio == 1.0) {
        std::copy(m_spectrum.begin(), m_spectrum.end(), m_shifted.begin());
        lastPhase.swap(m_phase);
        return;
    }
    m_peaks.clear();
    for (size_t k = 2; k + 2 <= half; ++k) {
        const double m = m_magnitude[k];
        if (m > 1e-7 * top && m > m_magnitude[k - 1] && m >= m_magnitude[k + 1] && m > m_magnitude[k - 2] &&
            m >= m_magnitude[k + 2])
            m_peaks.push_back(k);
    }
    std::vector<double>& last = m_synthPhase[c];
    std::vector<double>& next = m_next;
    std::fill(next.begin(), next.end(), std::nan(""));
    for (size_t i = 0; i < m_peaks.size(); ++i) {
        const size_t p = m_peaks[i];
        const size_t from = i == 0 ? 1 : (m_peaks[i - 1] + p) / 2 + 1;
        const size_t to = i + 1 == m_peaks.size() ? half - 1 : (p + m_peaks[i + 1]) / 2;
        const double target = trueFrequency(p) * m_ratio;
        const long moved = long(fxkit::RoundToInt(target * n / (2 * kPi)));
        if (moved <= 0 || moved >= long(half))
            continue;
        const long shift = moved - long(p);
        // The peak's phase runs on from where this frequency's peak was last frame.
        double before = last[size_t(moved)];
        for (long d : {-1L, 1L})
            if (std::isnan(before) && moved + d > 0 && moved + d < long(half))
                before = last[size_t(moved + d)];
        const double theta = attack || std::isnan(before) ? m_phase[p] : Wrap(before + hop * target);
        next[size_t(moved)] = theta;
        // The turn by hand: the library's complex product checks every result for NaN.
        const double angle = theta - m_phase[p];
        double sine = 0, cosine = 1;
        if (angle != 0)
            fxkit::FastSinCos(angle, &sine, &cosine);
        const float tr = float(cosine), ti = float(sine);
        // Bins k whose k + shift falls within 1 .. half - 1.
        const long first = std::max(long(from), 1 - shift), last = std::min(long(to), long(half) - 1 - shift);
        for (long k = first; k <= last; ++k) {
            const float xr = m_spectrum[size_t(k)].real(), xi = m_spectrum[size_t(k)].imag();
            m_shifted[size_t(k + shift)] += std::complex<float>(xr * tr - xi * ti, xr * ti + xi * tr);
        }
    }
    last.swap(next);
    lastPhase.swap(m_phase);
    m_shifted[0] = m_spectrum[0];
}

void PitchShiftKernel::RunFrame()
{
    for (size_t c = 0; c < size_t(m_channels); ++c) {
        const float scaled = m_stream.Gather(c, m_window.data(), m_frame.data());
        m_fft->Forward(m_frame.data(), m_spectrum.data());
        ShiftChannel(c);
        m_fft->Inverse(m_shifted.data(), m_frame.data());
        m_stream.Add(c, m_frame.data(), m_window.data(), m_scale / scaled);
    }
}

void PitchShiftKernel::Process(const float* in, float* out, size_t frames)
{
    m_stream.Process(in, out, frames, [this] { RunFrame(); });
}

} // namespace fx
