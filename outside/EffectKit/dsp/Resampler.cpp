#include "Resampler.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <numeric>

#include <emmintrin.h>

namespace fxkit {

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

// Kaiser-windowed sinc at distance t (samples) from the centre, cutoff in cycles/sample, window
// half length half.
double WindowedSinc(double t, double cutoff, double half, double beta, double i0beta)
{
    double x = 2.0 * cutoff * t;
    double sinc = std::fabs(x) < 1e-12 ? 1.0 : std::sin(kPi * x) / (kPi * x);
    double r = t / half;
    double w = std::fabs(r) >= 1.0 ? 0.0 : BesselI0(beta * std::sqrt(1.0 - r * r)) / i0beta;
    return 2.0 * cutoff * sinc * w;
}

// Taps of a Kaiser design for a transition width in cycles/sample.
int KaiserTaps(double attenuationDb, double width)
{
    return static_cast<int>(std::ceil((attenuationDb - 7.95) / (14.36 * width))) + 1;
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
    if (outRate < inRate && inRate / outRate >= kMaxDownRatio)
        return false;
    m_inRate = inRate;
    m_outRate = outRate;
    m_channels = channels;
    uint64_t g = std::gcd<uint64_t>(inRate, outRate);
    m_up = outRate / g;
    m_down = inRate / g;
    uint64_t g2 = std::gcd<uint64_t>(2ull * inRate, outRate);
    m_up2 = outRate / g2;
    m_down2 = 2ull * inRate / g2;
    m_stepWhole = m_down2 / m_up2;
    m_stepRem = m_down2 % m_up2;
    Design();
    Reset();
    return true;
}

void Resampler::Design()
{
    if (IsPassThrough()) {
        m_taps1 = m_half1 = m_taps = m_half = 0;
        m_phases = 1;
        m_coeffs.clear();
        m_spectrum.clear();
        return;
    }
    // Sharp stage, in units of the doubled rate: passband to 90 % of the lower Nyquist
    // frequency, stopband from it; twice the gain, as every other input of the doubled
    // signal is zero.
    const double doubled = 2.0 * m_inRate;
    const double lowerNyquist = 0.5 * std::min(m_inRate, m_outRate);
    const double pass = kPassbandEdge * lowerNyquist / doubled, stop = lowerNyquist / doubled;
    const double cutoff = 0.5 * (pass + stop);
    const double atten = kStopbandDb + 3.0; // the design formula is approximate near the edge
    m_taps1 = KaiserTaps(atten, stop - pass) | 1;
    m_half1 = m_taps1 / 2;
    const double beta = KaiserBeta(atten), i0beta = BesselI0(beta);
    std::vector<double> h(size_t(m_half1) + 1);
    double sum = 0;
    for (int j = 0; j <= m_half1; ++j) {
        h[j] = WindowedSinc(j, cutoff, m_half1 + 1.0, beta, i0beta);
        sum += j == 0 ? h[j] : 2.0 * h[j];
    }
    for (double& v : h)
        v *= 2.0 / sum;

    // Transforms of four filter lengths or more keep their share per frame low.
    int bits = 6;
    while ((size_t(1) << bits) < size_t(8) * m_half1)
        ++bits;
    m_fftSize = size_t(1) << bits;
    // A block's outputs need the filter's reach of input on each side of it.
    m_preroll = size_t(m_half1 + 1) / 2;
    m_block = (m_fftSize - 2 * m_preroll - size_t(m_half1)) / 2;
    // The filter placed circularly about index 0 has a real spectrum; kept in the order the
    // forward transform leaves, and divided by the size the inverse multiplies by.
    std::vector<std::complex<double>> hc(m_fftSize, 0.0);
    for (int j = 0; j <= m_half1; ++j) {
        hc[size_t(j)] = h[j];
        if (j > 0)
            hc[m_fftSize - j] = h[j];
    }
    Fft(m_fftSize).Forward(hc.data());
    m_forward.Resize(m_fftSize / 2);
    m_inverse.Resize(m_fftSize);
    m_spectrum.resize(m_fftSize);
    for (size_t p = 0; p < m_fftSize; ++p)
        m_spectrum[p] = float(hc[m_inverse.BinAt(p)].real() / double(m_fftSize));
    m_zRe.assign(m_fftSize / 2, 0.0f);
    m_zIm.assign(m_fftSize / 2, 0.0f);
    m_uRe.assign(m_fftSize, 0.0f);
    m_uIm.assign(m_fftSize, 0.0f);
    DesignPolyphase();
}

void Resampler::DesignPolyphase()
{
    m_exact = m_up2 <= kMaxExactPhases;
    m_phases = m_exact ? static_cast<uint32_t>(m_up2) : kInterpolatedPhases;
    m_phaseScale = double(m_phases) / double(m_up2);

    // In units of the doubled rate. Above the lower Nyquist frequency the doubled signal holds
    // nothing, so the stopband starts only where the first image of the passband begins.
    const double doubled = 2.0 * m_inRate;
    const double lowerNyquist = 0.5 * std::min(m_inRate, m_outRate);
    const double pass = kPassbandEdge * lowerNyquist / doubled;
    const double stop = 1.0 - lowerNyquist / doubled;
    const double cutoff = 0.5 * (pass + stop);
    // What this stage leaves adds to what the first one leaves: a margin keeps the sum in bounds.
    const double atten = kStopbandDb + 10.0 + (m_exact ? 0.0 : 6.0);
    int taps = KaiserTaps(atten, stop - pass);
    taps = (taps + 7) & ~7; // whole blocks of eight for the inner loop; the window grows to fit
    m_taps = taps;
    m_half = taps / 2;
    const double beta = KaiserBeta(atten), i0beta = BesselI0(beta);

    m_coeffs.assign(size_t(m_phases + 1) * taps, 0.0f);
    std::vector<double> row(taps);
    for (uint32_t p = 0; p <= m_phases; ++p) {
        double frac = double(p) / m_phases;
        // Tap j multiplies frame (i - half + 1 + j) for an output at time i + frac.
        double sum = 0.0;
        for (int j = 0; j < taps; ++j) {
            row[j] = WindowedSinc(double(j - m_half + 1) - frac, cutoff, m_half, beta, i0beta);
            sum += row[j];
        }
        for (int j = 0; j < taps; ++j)
            m_coeffs[size_t(p) * taps + j] = static_cast<float>(row[j] / sum); // unity gain at DC
    }
}

void Resampler::Reset()
{
    m_inFed = m_outMade = 0;
    m_nextMid = 0;
    m_nextRem = 0;
    m_flushed = false;
    if (IsPassThrough())
        return;
    // The first block starts one block before the stream so that the doubled signal, silence
    // and the filter's run-in included, already exists where the first outputs look back.
    m_nextBlock = -int64_t(m_block);
    m_inCap = m_fftSize / 2 + std::max<size_t>(4096, m_block);
    m_in.assign(m_inCap * m_channels, 0.0f);
    m_inOrigin = m_nextBlock - int64_t(m_preroll);
    m_inEnd = size_t(-m_inOrigin); // zeros before the stream
    m_midCap = 4 * m_block + 2 * size_t(m_taps) + 64;
    m_mid.assign(m_midCap * m_channels, 0.0f);
    m_midOrigin = 2 * m_nextBlock;
    m_midEnd = 0;
}

uint64_t Resampler::OutputFramesFor(uint64_t inFrames) const
{
    return (inFrames * m_up + m_down - 1) / m_down;
}

size_t Resampler::Feed(const float* in, size_t frames)
{
    if (m_inEnd == m_inCap) {
        // Keep what the next block reads; drop the rest.
        size_t from = size_t(m_nextBlock - int64_t(m_preroll) - m_inOrigin);
        size_t keep = m_inEnd - from;
        for (int c = 0; c < m_channels; ++c) {
            float* ch = &m_in[size_t(c) * m_inCap];
            std::memmove(ch, ch + from, keep * sizeof(float));
        }
        m_inOrigin += int64_t(from);
        m_inEnd = keep;
    }
    size_t n = std::min(frames, m_inCap - m_inEnd);
    if (!in) {
        for (int c = 0; c < m_channels; ++c)
            std::fill_n(&m_in[size_t(c) * m_inCap + m_inEnd], n, 0.0f);
    } else if (m_channels == 2) {
        float* l = &m_in[m_inEnd];
        float* r = &m_in[m_inCap + m_inEnd];
        for (size_t i = 0; i < n; ++i) {
            l[i] = in[2 * i];
            r[i] = in[2 * i + 1];
        }
    } else {
        for (int c = 0; c < m_channels; ++c) {
            float* dst = &m_in[size_t(c) * m_inCap + m_inEnd];
            const float* src = in + c;
            for (size_t i = 0; i < n; ++i)
                dst[i] = src[i * m_channels];
        }
    }
    m_inEnd += n;
    return n;
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
        size_t n = Feed(in, frames);
        in += n * m_channels;
        frames -= n;
        m_inFed += n;
        RunBlocks(out, OutputFramesFor(m_inFed));
    }
}

void Resampler::Flush(std::vector<float>& out)
{
    if (m_channels == 0 || m_flushed)
        return;
    if (!IsPassThrough()) {
        // Silence after the last frame gives the final outputs their full windows; it is no
        // part of the stream, so it counts neither as input nor towards the output length.
        const uint64_t total = OutputFramesFor(m_inFed);
        while (m_outMade < total) {
            Feed(nullptr, m_block);
            RunBlocks(out, total);
        }
    }
    m_flushed = true;
}

void Resampler::RunBlocks(std::vector<float>& out, uint64_t limit)
{
    const size_t half = m_fftSize / 2;
    for (;;) {
        const size_t from = size_t(m_nextBlock - int64_t(m_preroll) - m_inOrigin);
        if (from + half > m_inEnd)
            return;
        // Room for this block's output: drop what the next output no longer reaches.
        if (m_midEnd + 2 * m_block > m_midCap) {
            // (A large step down may have its next window start past all that is held.)
            size_t drop = size_t(std::min<int64_t>(m_nextMid - (m_half - 1) - m_midOrigin, int64_t(m_midEnd)));
            size_t keep = m_midEnd - drop;
            size_t cap = std::max(m_midCap, keep + 2 * m_block);
            std::vector<float> moved(cap == m_midCap ? 0 : cap * m_channels);
            float* to = cap == m_midCap ? m_mid.data() : moved.data();
            for (int c = 0; c < m_channels; ++c)
                std::memmove(to + size_t(c) * cap, &m_mid[size_t(c) * m_midCap + drop], keep * sizeof(float));
            if (cap != m_midCap) {
                m_mid.swap(moved);
                m_midCap = cap;
            }
            m_midOrigin += int64_t(drop);
            m_midEnd = keep;
        }
        for (int c = 0; c < m_channels; c += 2) {
            // Two channels as the real and imaginary parts of one signal: the filter is real
            // and even, so each comes out on its own part.
            std::memcpy(m_zRe.data(), &m_in[size_t(c) * m_inCap + from], half * sizeof(float));
            if (c + 1 < m_channels)
                std::memcpy(m_zIm.data(), &m_in[size_t(c + 1) * m_inCap + from], half * sizeof(float));
            else
                std::fill(m_zIm.begin(), m_zIm.end(), 0.0f);
            m_forward.ForwardSplit(m_zRe.data(), m_zIm.data());
            // The input with zeros between its frames has this spectrum twice over; in
            // bit-reversed order that is each bin twice in a row.
            const float* zr = m_zRe.data();
            const float* zi = m_zIm.data();
            const float* hs = m_spectrum.data();
            float* ur = m_uRe.data();
            float* ui = m_uIm.data();
            for (size_t q = 0; q < half; q += 4) {
                __m128 r = _mm_loadu_ps(zr + q), i = _mm_loadu_ps(zi + q);
                __m128 h0 = _mm_loadu_ps(hs + 2 * q), h1 = _mm_loadu_ps(hs + 2 * q + 4);
                _mm_storeu_ps(ur + 2 * q, _mm_mul_ps(_mm_unpacklo_ps(r, r), h0));
                _mm_storeu_ps(ur + 2 * q + 4, _mm_mul_ps(_mm_unpackhi_ps(r, r), h1));
                _mm_storeu_ps(ui + 2 * q, _mm_mul_ps(_mm_unpacklo_ps(i, i), h0));
                _mm_storeu_ps(ui + 2 * q + 4, _mm_mul_ps(_mm_unpackhi_ps(i, i), h1));
            }
            m_inverse.InverseSplit(ur, ui);
            // Doubled-rate frame 2 * nextBlock lies at index 2 * preroll of the block.
            std::memcpy(&m_mid[size_t(c) * m_midCap + m_midEnd], ur + 2 * m_preroll, 2 * m_block * sizeof(float));
            if (c + 1 < m_channels)
                std::memcpy(&m_mid[size_t(c + 1) * m_midCap + m_midEnd], ui + 2 * m_preroll,
                            2 * m_block * sizeof(float));
        }
        m_midEnd += 2 * m_block;
        m_nextBlock += int64_t(m_block);
        Produce(out, limit);
    }
}

namespace {

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

// DotPair for a tap count known when compiling: the loop unrolls whole, and the sums of
// successive outputs overlap in the pipeline.
template <int Taps>
inline void DotPairFixed(const float* x0, const float* x1, const float* h, float* y)
{
    __m128 a0 = _mm_mul_ps(_mm_loadu_ps(x0), _mm_loadu_ps(h)), b0 = _mm_mul_ps(_mm_loadu_ps(x1), _mm_loadu_ps(h));
    __m128 a1 = _mm_mul_ps(_mm_loadu_ps(x0 + 4), _mm_loadu_ps(h + 4));
    __m128 b1 = _mm_mul_ps(_mm_loadu_ps(x1 + 4), _mm_loadu_ps(h + 4));
#pragma GCC unroll 8
    for (int j = 8; j < Taps; j += 8) {
        __m128 h0 = _mm_loadu_ps(h + j), h1 = _mm_loadu_ps(h + j + 4);
        a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_loadu_ps(x0 + j), h0));
        b0 = _mm_add_ps(b0, _mm_mul_ps(_mm_loadu_ps(x1 + j), h0));
        a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_loadu_ps(x0 + j + 4), h1));
        b1 = _mm_add_ps(b1, _mm_mul_ps(_mm_loadu_ps(x1 + j + 4), h1));
    }
    __m128 a = _mm_add_ps(a0, a1), b = _mm_add_ps(b0, b1);
    __m128 t = _mm_add_ps(_mm_unpacklo_ps(a, b), _mm_unpackhi_ps(a, b));
    t = _mm_add_ps(t, _mm_movehl_ps(t, t));
    _mm_storel_pi(reinterpret_cast<__m64*>(y), t);
}

// Two channels against two neighbouring phases, each mixed: y0 + (y1 - y0) * mix.
inline void DotMixedPair(const float* x0, const float* x1, const float* h0, const float* h1, int taps, float mix,
                         float* y)
{
    __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps(), b0 = _mm_setzero_ps(), b1 = _mm_setzero_ps();
    for (int j = 0; j < taps; j += 4) {
        __m128 p0 = _mm_loadu_ps(h0 + j), p1 = _mm_loadu_ps(h1 + j);
        __m128 u = _mm_loadu_ps(x0 + j), v = _mm_loadu_ps(x1 + j);
        a0 = _mm_add_ps(a0, _mm_mul_ps(u, p0));
        a1 = _mm_add_ps(a1, _mm_mul_ps(u, p1));
        b0 = _mm_add_ps(b0, _mm_mul_ps(v, p0));
        b1 = _mm_add_ps(b1, _mm_mul_ps(v, p1));
    }
    // Horizontal sums of both channels at once: lanes 0 and 1 end up holding them.
    __m128 t0 = _mm_add_ps(_mm_unpacklo_ps(a0, b0), _mm_unpackhi_ps(a0, b0));
    __m128 t1 = _mm_add_ps(_mm_unpacklo_ps(a1, b1), _mm_unpackhi_ps(a1, b1));
    __m128 s0 = _mm_add_ps(t0, _mm_movehl_ps(t0, t0)); // with the first phase
    __m128 s1 = _mm_add_ps(t1, _mm_movehl_ps(t1, t1)); // with the second
    __m128 r = _mm_add_ps(s0, _mm_mul_ps(_mm_sub_ps(s1, s0), _mm_set1_ps(mix)));
    _mm_storel_pi(reinterpret_cast<__m64*>(y), r);
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

} // namespace

void Resampler::Produce(std::vector<float>& out, uint64_t limit)
{
    // Output n lies at doubled-rate time n * down2 / up2 = i + rem / up2; its window covers
    // frames i - half + 1 .. i + half, which is buffer frames from i - half + 1 - origin on.
    const int64_t midEnd = m_midOrigin + int64_t(m_midEnd); // one past the last frame held
    if (m_outMade >= limit || m_nextMid + m_half >= midEnd)
        return;
    // Outputs k = 0, 1, ... lie at i = nextMid + (nextRem + k * down2) / up2; all whose window
    // ends before midEnd, counted once here so the loop below has no test of its own.
    uint64_t span = uint64_t(midEnd - m_half - m_nextMid); // whole frames the outputs may advance, plus one
    uint64_t count = (span * m_up2 - m_nextRem + m_down2 - 1) / m_down2;
    count = std::min(count, limit - m_outMade);

    const size_t channels = size_t(m_channels);
    size_t at = out.size();
    out.resize(at + size_t(count) * channels);
    float* dst = &out[at];
    int64_t i = m_nextMid;
    uint64_t rem = m_nextRem;
    const int64_t first = m_midOrigin + m_half - 1; // i whose window starts at buffer frame 0
    auto run = [&](auto compute) {
        for (uint64_t k = 0; k < count; ++k) {
            compute(&m_mid[size_t(i - first)], rem, dst);
            dst += channels;
            // Step to the next output: i += down2 / up2, carrying the remainder without a branch.
            rem += m_stepRem;
            uint64_t carry = rem >= m_up2;
            i += int64_t(m_stepWhole + carry);
            rem -= carry * m_up2;
        }
    };
    const size_t right = m_midCap;
    const float* coeffs = m_coeffs.data();
    if (m_exact && m_channels == 2 && m_taps == 24) {
        run([=](const float* y, uint64_t r, float* d) { DotPairFixed<24>(y, y + right, coeffs + r * 24, d); });
    } else if (m_exact && m_channels == 2) {
        const size_t taps = size_t(m_taps);
        run([=](const float* y, uint64_t r, float* d) {
            DotPair(y, y + right, coeffs + r * taps, int(taps), d, d + 1);
        });
    } else if (m_exact) {
        run([this](const float* y, uint64_t r, float* d) { ComputeExact(y, r, d); });
    } else {
        run([this](const float* y, uint64_t r, float* d) { ComputeInterpolated(y, r, d); });
    }
    m_nextMid = i;
    m_nextRem = rem;
    m_outMade += count;
}

void Resampler::ComputeExact(const float* y, uint64_t rem, float* dst) const
{
    const float* h = &m_coeffs[size_t(rem) * m_taps];
    int c = 0;
    for (; c + 2 <= m_channels; c += 2)
        DotPair(y + size_t(c) * m_midCap, y + size_t(c + 1) * m_midCap, h, m_taps, dst + c, dst + c + 1);
    if (c < m_channels)
        dst[c] = Dot(y + size_t(c) * m_midCap, h, m_taps);
}

void Resampler::ComputeInterpolated(const float* y, uint64_t rem, float* dst) const
{
    // Between two phases of the bank: both filters, mixed linearly.
    const double at = double(rem) * m_phaseScale;
    const uint32_t phase = uint32_t(at);
    const float mix = float(at - phase);
    const float* h0 = &m_coeffs[size_t(phase) * m_taps];
    const float* h1 = h0 + m_taps;
    int c = 0;
    for (; c + 2 <= m_channels; c += 2)
        DotMixedPair(y + size_t(c) * m_midCap, y + size_t(c + 1) * m_midCap, h0, h1, m_taps, mix, dst + c);
    if (c < m_channels)
        dst[c] = DotMixed(y + size_t(c) * m_midCap, h0, h1, m_taps, mix);
}

} // namespace fxkit
