#include "Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define KV_RESAMPLER_SSE 1
#endif

namespace {

constexpr double kPi = 3.14159265358979323846;

// Zeroth-order modified Bessel function of the first kind.
double BesselI0(double x)
{
    double sum = 1.0, term = 1.0, q = x * x / 4.0;
    for (int k = 1; k < 64; ++k) {
        term *= q / (double(k) * k);
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    return sum;
}

double KaiserBeta(double attenuationDb)
{
    if (attenuationDb > 50.0)
        return 0.1102 * (attenuationDb - 8.7);
    if (attenuationDb >= 21.0)
        return 0.5842 * std::pow(attenuationDb - 21.0, 0.4) + 0.07886 * (attenuationDb - 21.0);
    return 0.0;
}

} // namespace

bool Resampler::Setup(uint32_t inRate, uint32_t outRate, int channels)
{
    if (inRate < 1 || outRate < 1 || inRate > 10000000 || outRate > 10000000 || channels < 1 || channels > 32)
        return false;
    m_inRate = inRate;
    m_outRate = outRate;
    m_channels = channels;
    uint64_t g = std::gcd<uint64_t>(inRate, outRate);
    m_up = outRate / g;
    m_down = inRate / g;
    Design();
    Reset();
    return true;
}

void Resampler::Design()
{
    if (IsPassThrough()) {
        m_taps = m_half = 0;
        m_phases = 1;
        m_coeffs.clear();
        return;
    }
    m_exact = m_up <= kMaxExactPhases;
    m_phases = m_exact ? static_cast<uint32_t>(m_up) : kInterpolatedPhases;

    // Cutoff halfway through the transition band, both in input-rate units (cycles/sample).
    double lower = std::min(m_inRate, m_outRate) / double(m_inRate); // lower rate / input rate
    double pass = 0.5 * kPassbandEdge * lower;
    double stop = 0.5 * lower;
    double cutoff = 0.5 * (pass + stop);
    double width = stop - pass;
    double atten = kStopbandDb + (m_exact ? 0.0 : 6.0);
    int taps = static_cast<int>(std::ceil((atten - 7.95) / (14.36 * width))) + 1;
    taps = (taps + 3) & ~3;
    m_taps = taps;
    m_half = taps / 2;
    double beta = KaiserBeta(atten);
    double i0beta = BesselI0(beta);

    m_coeffs.assign(size_t(m_phases + 1) * taps, 0.0f);
    for (uint32_t p = 0; p <= m_phases; ++p) {
        double frac = double(p) / m_phases;
        // Tap j multiplies input frame (i - half + 1 + j) for an output at time i + frac.
        std::vector<double> row(taps);
        double sum = 0.0;
        for (int j = 0; j < taps; ++j) {
            double t = double(j - m_half + 1) - frac; // distance from the output time
            double x = 2.0 * cutoff * t;
            double sinc = std::fabs(x) < 1e-12 ? 1.0 : std::sin(kPi * x) / (kPi * x);
            double r = t / m_half;
            double w = std::fabs(r) >= 1.0 ? 0.0 : BesselI0(beta * std::sqrt(1.0 - r * r)) / i0beta;
            row[j] = 2.0 * cutoff * sinc * w;
            sum += row[j];
        }
        for (int j = 0; j < taps; ++j)
            m_coeffs[size_t(p) * taps + j] = static_cast<float>(row[j] / sum); // unity gain at DC
    }
}

void Resampler::Reset()
{
    m_inFed = m_outMade = 0;
    m_flushed = false;
    // History of half - 1 zero frames before the first input frame.
    size_t history = m_half > 0 ? size_t(m_half - 1) : 0;
    m_bufCap = std::max<size_t>(8192, size_t(m_taps) * 4);
    m_buf.assign(m_bufCap * m_channels, 0.0f);
    m_bufStart = 0;
    m_bufEnd = history;
    m_bufOrigin = 0; // buffer frame k holds stream frame k - history
}

uint64_t Resampler::OutputFramesFor(uint64_t inFrames) const
{
    return (inFrames * m_up + m_down - 1) / m_down;
}

void Resampler::Process(const float* in, size_t frames, std::vector<float>& out)
{
    if (m_channels == 0 || m_flushed)
        return;
    if (IsPassThrough()) {
        out.insert(out.end(), in, in + frames * m_channels);
        m_inFed += frames;
        m_outMade += frames;
        return;
    }
    while (frames > 0) {
        if (m_bufEnd == m_bufCap) {
            // Keep the frames that later outputs still need; drop the rest.
            size_t keep = m_bufEnd - m_bufStart;
            for (int c = 0; c < m_channels; ++c) {
                float* ch = &m_buf[size_t(c) * m_bufCap];
                std::memmove(ch, ch + m_bufStart, keep * sizeof(float));
            }
            m_bufOrigin += m_bufStart;
            m_bufEnd = keep;
            m_bufStart = 0;
        }
        size_t n = std::min(frames, m_bufCap - m_bufEnd);
        for (int c = 0; c < m_channels; ++c) {
            float* dst = &m_buf[size_t(c) * m_bufCap + m_bufEnd];
            const float* src = in + c;
            for (size_t i = 0; i < n; ++i)
                dst[i] = src[i * m_channels];
        }
        in += n * m_channels;
        frames -= n;
        m_bufEnd += n;
        m_inFed += n;
        Produce(out, false);
    }
}

void Resampler::Flush(std::vector<float>& out)
{
    if (m_channels == 0 || m_flushed)
        return;
    if (!IsPassThrough()) {
        // Zeros after the last frame give the final outputs a full window.
        uint64_t fed = m_inFed;
        uint64_t total = OutputFramesFor(fed);
        std::vector<float> zeros(size_t(m_half + 1) * m_channels, 0.0f);
        Process(zeros.data(), size_t(m_half + 1), out);
        m_inFed = fed;
        Produce(out, true);
        if (m_outMade > total) { // the padding is no part of the stream
            out.resize(out.size() - size_t(m_outMade - total) * m_channels);
            m_outMade = total;
        }
    }
    m_flushed = true;
}

void Resampler::Produce(std::vector<float>& out, bool draining)
{
    // Buffer frame k holds stream frame k + m_bufOrigin - history (the first history frames
    // of a new stream are zeros before its first frame).
    const uint64_t history = uint64_t(m_half - 1);
    const uint64_t limit = draining ? ~uint64_t(0) : OutputFramesFor(m_inFed);
    const uint64_t bufferedEnd = m_bufOrigin + m_bufEnd - history; // one past the last stream frame held
    while (m_outMade < limit) {
        // Output n lies at input time n * down / up = i + rem / up; its window covers
        // stream frames i - half + 1 .. i + half.
        uint64_t num = m_outMade * m_down;
        uint64_t i = num / m_up;
        uint64_t rem = num % m_up;
        if (i + m_half >= bufferedEnd)
            break;
        size_t base = size_t(i - m_bufOrigin); // buffer index of the first tap
        uint64_t phasePos = m_exact ? rem << 32
                                    : static_cast<uint64_t>((static_cast<unsigned __int128>(rem) * m_phases << 32) / m_up);
        size_t at = out.size();
        out.resize(at + m_channels);
        ComputeFrame(base, phasePos, &out[at]);
        ++m_outMade;
        m_bufStart = base; // nothing before this window is needed again
    }
}

namespace {

#ifdef KV_RESAMPLER_SSE
inline float HorizontalSum(__m128 v)
{
    float s[4];
    _mm_storeu_ps(s, v);
    return (s[0] + s[1]) + (s[2] + s[3]);
}

// Dot product of taps (a multiple of 4) values; two accumulators hide the add latency.
inline float Dot(const float* x, const float* h, int taps)
{
    __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps();
    int j = 0;
    for (; j + 8 <= taps; j += 8) {
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + j), _mm_loadu_ps(h + j)));
        a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x + j + 4), _mm_loadu_ps(h + j + 4)));
    }
    if (j < taps)
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + j), _mm_loadu_ps(h + j)));
    return HorizontalSum(_mm_add_ps(a0, a1));
}

// Two channels against one set of taps: the taps are loaded once.
inline void Dot2(const float* x0, const float* x1, const float* h, int taps, float& y0, float& y1)
{
    __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps(), b0 = _mm_setzero_ps(), b1 = _mm_setzero_ps();
    int j = 0;
    for (; j + 8 <= taps; j += 8) {
        __m128 h0 = _mm_loadu_ps(h + j), h1 = _mm_loadu_ps(h + j + 4);
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x0 + j), h0));
        a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x0 + j + 4), h1));
        b0 = _mm_add_ps(b0, _mm_mul_ps(_mm_loadu_ps(x1 + j), h0));
        b1 = _mm_add_ps(b1, _mm_mul_ps(_mm_loadu_ps(x1 + j + 4), h1));
    }
    if (j < taps) {
        __m128 h0 = _mm_loadu_ps(h + j);
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x0 + j), h0));
        b0 = _mm_add_ps(b0, _mm_mul_ps(_mm_loadu_ps(x1 + j), h0));
    }
    y0 = HorizontalSum(_mm_add_ps(a0, a1));
    y1 = HorizontalSum(_mm_add_ps(b0, b1));
}
#else
inline float Dot(const float* x, const float* h, int taps)
{
    float y = 0.0f;
    for (int j = 0; j < taps; ++j)
        y += x[j] * h[j];
    return y;
}

inline void Dot2(const float* x0, const float* x1, const float* h, int taps, float& y0, float& y1)
{
    y0 = Dot(x0, h, taps);
    y1 = Dot(x1, h, taps);
}
#endif

} // namespace

void Resampler::ComputeFrame(size_t base, uint64_t phasePos, float* dst) const
{
    const uint32_t phase = uint32_t(phasePos >> 32);
    const float* h0 = &m_coeffs[size_t(phase) * m_taps];
    const float* x0 = &m_buf[base];
    if (m_exact) {
        int c = 0;
        for (; c + 2 <= m_channels; c += 2)
            Dot2(x0 + size_t(c) * m_bufCap, x0 + size_t(c + 1) * m_bufCap, h0, m_taps, dst[c], dst[c + 1]);
        if (c < m_channels)
            dst[c] = Dot(x0 + size_t(c) * m_bufCap, h0, m_taps);
        return;
    }
    // Between two phases of the bank: both filters, mixed linearly.
    const float* h1 = h0 + m_taps;
    const float mix = float(uint32_t(phasePos) * (1.0 / 4294967296.0));
    for (int c = 0; c < m_channels; ++c) {
        const float* x = x0 + size_t(c) * m_bufCap;
        float y0 = Dot(x, h0, m_taps);
        float y1 = Dot(x, h1, m_taps);
        dst[c] = y0 + (y1 - y0) * mix;
    }
}
