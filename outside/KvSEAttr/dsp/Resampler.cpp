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
    m_stepWhole = m_down / m_up;
    m_stepRem = m_down % m_up;
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
    m_phaseScale = double(m_phases) / double(m_up);

    // Cutoff halfway through the transition band, both in input-rate units (cycles/sample).
    double lower = std::min(m_inRate, m_outRate) / double(m_inRate); // lower rate / input rate
    double pass = 0.5 * kPassbandEdge * lower;
    double stop = 0.5 * lower;
    double cutoff = 0.5 * (pass + stop);
    double width = stop - pass;
    double atten = kStopbandDb + (m_exact ? 0.0 : 6.0);
    int taps = static_cast<int>(std::ceil((atten - 7.95) / (14.36 * width))) + 1;
    taps = (taps + 7) & ~7; // whole blocks of eight for the inner loop; the window grows to fit
    m_taps = taps;
    m_half = taps / 2;
    double beta = KaiserBeta(atten);
    double i0beta = BesselI0(beta);

    m_coeffs.assign(size_t(m_phases + 1) * taps, 0.0f);
    std::vector<double> row(taps);
    for (uint32_t p = 0; p <= m_phases; ++p) {
        double frac = double(p) / m_phases;
        // Tap j multiplies input frame (i - half + 1 + j) for an output at time i + frac.
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
    m_nextIn = m_nextRem = 0;
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
        if (m_channels == 2) {
            float* l = &m_buf[m_bufEnd];
            float* r = &m_buf[m_bufCap + m_bufEnd];
            for (size_t i = 0; i < n; ++i) {
                l[i] = in[2 * i];
                r[i] = in[2 * i + 1];
            }
        } else {
            for (int c = 0; c < m_channels; ++c) {
                float* dst = &m_buf[size_t(c) * m_bufCap + m_bufEnd];
                const float* src = in + c;
                for (size_t i = 0; i < n; ++i)
                    dst[i] = src[i * m_channels];
            }
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
    // of a new stream are zeros before its first frame). Output n lies at input time
    // n * down / up = i + rem / up; its window covers stream frames i - half + 1 .. i + half,
    // which is buffer frames i - origin .. i - origin + taps - 1.
    const uint64_t history = uint64_t(m_half - 1);
    const uint64_t bufferedEnd = m_bufOrigin + m_bufEnd - history; // one past the last stream frame held
    if (m_nextIn + m_half >= bufferedEnd)
        return;
    // Outputs k = 0, 1, ... lie at i = nextIn + (nextRem + k * down) / up; all whose window
    // ends before bufferedEnd, counted once here so the loop below has no test of its own.
    uint64_t span = bufferedEnd - m_half - m_nextIn; // whole input frames the next outputs may advance, plus one
    uint64_t count = (span * m_up - m_nextRem + m_down - 1) / m_down;
    if (!draining)
        count = std::min(count, OutputFramesFor(m_inFed) - m_outMade);
    if (count == 0)
        return;

    const size_t channels = size_t(m_channels);
    size_t at = out.size();
    out.resize(at + size_t(count) * channels);
    float* dst = &out[at];
    uint64_t i = m_nextIn, rem = m_nextRem;
    size_t base = 0;
    auto run = [&](auto compute) {
        for (uint64_t k = 0; k < count; ++k) {
            base = size_t(i - m_bufOrigin);
            compute(&m_buf[base], rem, dst);
            dst += channels;
            // Step to the next output: i += down / up, carrying the remainder without a branch.
            rem += m_stepRem;
            uint64_t carry = rem >= m_up;
            i += m_stepWhole + carry;
            rem -= carry * m_up;
        }
    };
    if (m_exact)
        run([this](const float* x, uint64_t r, float* d) { ComputeExact(x, r, d); });
    else
        run([this](const float* x, uint64_t r, float* d) { ComputeInterpolated(x, r, d); });
    m_nextIn = i;
    m_nextRem = rem;
    m_outMade += count;
    m_bufStart = base; // nothing before the last window is needed again
}

namespace {

#ifdef KV_RESAMPLER_SSE
// Two channels against one set of taps (a multiple of 8): each tap is loaded once for both,
// and four accumulators per channel keep the adders busy.
inline void DotPair(const float* x0, const float* x1, const float* h, int taps, float* y0, float* y1)
{
    __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps(), b0 = _mm_setzero_ps(), b1 = _mm_setzero_ps();
    __m128 a2 = _mm_setzero_ps(), a3 = _mm_setzero_ps(), b2 = _mm_setzero_ps(), b3 = _mm_setzero_ps();
    int j = 0;
    for (; j + 16 <= taps; j += 16) {
        __m128 h0 = _mm_loadu_ps(h + j), h1 = _mm_loadu_ps(h + j + 4);
        __m128 h2 = _mm_loadu_ps(h + j + 8), h3 = _mm_loadu_ps(h + j + 12);
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x0 + j), h0));
        b0 = _mm_add_ps(b0, _mm_mul_ps(_mm_loadu_ps(x1 + j), h0));
        a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x0 + j + 4), h1));
        b1 = _mm_add_ps(b1, _mm_mul_ps(_mm_loadu_ps(x1 + j + 4), h1));
        a2 = _mm_add_ps(a2, _mm_mul_ps(_mm_loadu_ps(x0 + j + 8), h2));
        b2 = _mm_add_ps(b2, _mm_mul_ps(_mm_loadu_ps(x1 + j + 8), h2));
        a3 = _mm_add_ps(a3, _mm_mul_ps(_mm_loadu_ps(x0 + j + 12), h3));
        b3 = _mm_add_ps(b3, _mm_mul_ps(_mm_loadu_ps(x1 + j + 12), h3));
    }
    if (j < taps) {
        __m128 h0 = _mm_loadu_ps(h + j), h1 = _mm_loadu_ps(h + j + 4);
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x0 + j), h0));
        b0 = _mm_add_ps(b0, _mm_mul_ps(_mm_loadu_ps(x1 + j), h0));
        a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x0 + j + 4), h1));
        b1 = _mm_add_ps(b1, _mm_mul_ps(_mm_loadu_ps(x1 + j + 4), h1));
    }
    a0 = _mm_add_ps(a0, a2), a1 = _mm_add_ps(a1, a3), b0 = _mm_add_ps(b0, b2), b1 = _mm_add_ps(b1, b3);
    __m128 a = _mm_add_ps(a0, a1), b = _mm_add_ps(b0, b1);
    // Both horizontal sums at once: lanes (a0+a2, b0+b2, a1+a3, b1+b3), then fold the halves.
    __m128 t = _mm_add_ps(_mm_unpacklo_ps(a, b), _mm_unpackhi_ps(a, b));
    t = _mm_add_ps(t, _mm_movehl_ps(t, t));
    _mm_store_ss(y0, t);
    _mm_store_ss(y1, _mm_shuffle_ps(t, t, _MM_SHUFFLE(1, 1, 1, 1)));
}

inline float Dot(const float* x, const float* h, int taps)
{
    __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps();
    for (int j = 0; j < taps; j += 8) {
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x + j), _mm_loadu_ps(h + j)));
        a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x + j + 4), _mm_loadu_ps(h + j + 4)));
    }
    __m128 a = _mm_add_ps(a0, a1);
    a = _mm_add_ps(a, _mm_movehl_ps(a, a));
    a = _mm_add_ss(a, _mm_shuffle_ps(a, a, _MM_SHUFFLE(1, 1, 1, 1)));
    return _mm_cvtss_f32(a);
}

// One channel against two neighbouring phases, mixed: y0 + (y1 - y0) * mix.
inline float DotMixed(const float* x, const float* h0, const float* h1, int taps, float mix)
{
    __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps(), b0 = _mm_setzero_ps(), b1 = _mm_setzero_ps();
    for (int j = 0; j < taps; j += 8) {
        __m128 xa = _mm_loadu_ps(x + j), xb = _mm_loadu_ps(x + j + 4);
        a0 = _mm_add_ps(a0, _mm_mul_ps(xa, _mm_loadu_ps(h0 + j)));
        b0 = _mm_add_ps(b0, _mm_mul_ps(xa, _mm_loadu_ps(h1 + j)));
        a1 = _mm_add_ps(a1, _mm_mul_ps(xb, _mm_loadu_ps(h0 + j + 4)));
        b1 = _mm_add_ps(b1, _mm_mul_ps(xb, _mm_loadu_ps(h1 + j + 4)));
    }
    __m128 a = _mm_add_ps(a0, a1), b = _mm_add_ps(b0, b1);
    __m128 t = _mm_add_ps(_mm_unpacklo_ps(a, b), _mm_unpackhi_ps(a, b));
    t = _mm_add_ps(t, _mm_movehl_ps(t, t));
    float s[4];
    _mm_storeu_ps(s, t);
    return s[0] + (s[1] - s[0]) * mix;
}
#else
inline float Dot(const float* x, const float* h, int taps)
{
    float y = 0.0f;
    for (int j = 0; j < taps; ++j)
        y += x[j] * h[j];
    return y;
}

inline void DotPair(const float* x0, const float* x1, const float* h, int taps, float* y0, float* y1)
{
    *y0 = Dot(x0, h, taps);
    *y1 = Dot(x1, h, taps);
}

inline float DotMixed(const float* x, const float* h0, const float* h1, int taps, float mix)
{
    float y0 = Dot(x, h0, taps), y1 = Dot(x, h1, taps);
    return y0 + (y1 - y0) * mix;
}
#endif

} // namespace

void Resampler::ComputeExact(const float* x, uint64_t rem, float* dst) const
{
    const float* h = &m_coeffs[size_t(rem) * m_taps];
    int c = 0;
    for (; c + 2 <= m_channels; c += 2)
        DotPair(x + size_t(c) * m_bufCap, x + size_t(c + 1) * m_bufCap, h, m_taps, dst + c, dst + c + 1);
    if (c < m_channels)
        dst[c] = Dot(x + size_t(c) * m_bufCap, h, m_taps);
}

void Resampler::ComputeInterpolated(const float* x, uint64_t rem, float* dst) const
{
    // Between two phases of the bank: both filters, mixed linearly.
    const double at = double(rem) * m_phaseScale;
    const uint32_t phase = uint32_t(at);
    const float mix = float(at - phase);
    const float* h0 = &m_coeffs[size_t(phase) * m_taps];
    const float* h1 = h0 + m_taps;
    for (int c = 0; c < m_channels; ++c)
        dst[c] = DotMixed(x + size_t(c) * m_bufCap, h0, h1, m_taps, mix);
}
