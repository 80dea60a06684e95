#include "LinearPhaseFir.h"

#include "Finite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

namespace fxkit {

namespace {

// Stereo frames (left, right) into the real and imaginary parts, four frames a step; count a
// multiple of four.
void SplitStereo(const float* in, float* re, float* im, size_t count)
{
    for (size_t i = 0; i < count; i += 4) {
        const __m128 a = _mm_loadu_ps(in + 2 * i), b = _mm_loadu_ps(in + 2 * i + 4);
        _mm_storeu_ps(re + i, _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(im + i, _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
    }
}

// And back, to out, plus what is at add when there is one (it may be out itself), within the
// float range; count a multiple of four.
void JoinStereo(const float* re, const float* im, const float* add, float* out, size_t count)
{
    const __m128 top = _mm_set1_ps(float(kLargestFloat)), bottom = _mm_set1_ps(-float(kLargestFloat));
    for (size_t i = 0; i < count; i += 4) {
        const __m128 r = _mm_loadu_ps(re + i), m = _mm_loadu_ps(im + i);
        __m128 lo = _mm_unpacklo_ps(r, m), hi = _mm_unpackhi_ps(r, m);
        if (add) {
            lo = _mm_add_ps(lo, _mm_loadu_ps(add + 2 * i));
            hi = _mm_add_ps(hi, _mm_loadu_ps(add + 2 * i + 4));
        }
        _mm_storeu_ps(out + 2 * i, _mm_max_ps(bottom, _mm_min_ps(top, lo)));
        _mm_storeu_ps(out + 2 * i + 4, _mm_max_ps(bottom, _mm_min_ps(top, hi)));
    }
}

} // namespace

void FirBlocks::Configure(size_t transform, size_t hop, int channels)
{
    if (transform != m_fft.Size() || hop != m_hop || m_kernelRe.empty()) {
        m_fft.Resize(transform);
        m_hop = hop;
        m_kernelRe.assign(transform, 0.0f);
        m_kernelIm.assign(transform, 0.0f);
        m_kernelRe[0] = 1.0f / float(transform); // until set: the identity
        m_fft.ForwardSplit(m_kernelRe.data(), m_kernelIm.data());
        m_delay = 0;
        m_re.resize(transform);
        m_im.resize(transform);
    }
    m_channels = channels;
    Reset();
}

void FirBlocks::SetKernel(const double* taps, size_t count)
{
    const size_t size = m_fft.Size();
    // The inverse transform's 1 / size goes into the kernel once.
    const double scale = 1.0 / double(size);
    m_kernelRe.assign(size, 0.0f);
    m_kernelIm.assign(size, 0.0f);
    for (size_t t = 0; t < count && t < size; ++t)
        m_kernelRe[t] = float(taps[t] * scale);
    m_fft.ForwardSplit(m_kernelRe.data(), m_kernelIm.data());
    // A kernel of one tap of 1 (a flat design's, within its rounding) is a pure delay, done as
    // one: every sample passes bit for bit, which no float transform would give at 24 bits.
    m_delay = kNoDelay;
    size_t ones = 0, others = 0, at = 0;
    for (size_t t = 0; t < count && t < size; ++t) {
        if (std::fabs(taps[t] - 1.0) < 1e-12)
            ++ones, at = t;
        else
            others += !(std::fabs(taps[t]) < 1e-12);
    }
    if (ones == 1 && others == 0)
        m_delay = at;
}

void FirBlocks::Reset()
{
    m_tail.assign(TailFrames() * size_t(m_channels), 0.0f);
}

void FirBlocks::Run(const float* in, size_t valid, float* out)
{
    const size_t c = size_t(m_channels), n = m_fft.Size(), tail = n - m_hop;
    float *re = m_re.data(), *im = m_im.data();
    for (size_t first = 0; first < c; first += 2) {
        // A channel pair goes in as the real and imaginary parts; the kernel's spectrum is that
        // of a real impulse, so the two stay apart.
        const bool pair = first + 1 < c;
        const float* from = in + first;
        const size_t split = c == 2 ? valid & ~size_t(3) : 0;
        SplitStereo(from, re, im, split);
        for (size_t i = split; i < valid; ++i) {
            re[i] = from[i * c];
            im[i] = pair ? from[i * c + 1] : 0.0f;
        }
        std::fill(re + valid, re + n, 0.0f);
        std::fill(im + valid, im + n, 0.0f);
        Convolve(re, im, valid);
        float* ready = out + first;
        float* carried = &m_tail[first];
        if (c == 2 && tail % 4 == 0 && m_hop % 4 == 0) {
            JoinStereo(re, im, carried, ready, tail);
            JoinStereo(re + tail, im + tail, nullptr, ready + 2 * tail, m_hop - tail);
            JoinStereo(re + m_hop, im + m_hop, nullptr, carried, n - m_hop);
            continue;
        }
        for (size_t i = 0; i < tail; ++i)
            ready[i * c] = ToFloat(re[i] + carried[i * c]);
        for (size_t i = tail; i < m_hop; ++i)
            ready[i * c] = ToFloat(re[i]);
        for (size_t i = m_hop; i < n; ++i)
            carried[(i - m_hop) * c] = ToFloat(re[i]);
        if (!pair)
            continue;
        for (size_t i = 0; i < tail; ++i)
            ready[i * c + 1] = ToFloat(im[i] + carried[i * c + 1]);
        for (size_t i = tail; i < m_hop; ++i)
            ready[i * c + 1] = ToFloat(im[i]);
        for (size_t i = m_hop; i < n; ++i)
            carried[(i - m_hop) * c + 1] = ToFloat(im[i]);
    }
}

void FirBlocks::Convolve(float* re, float* im, size_t valid) const
{
    if (m_delay != kNoDelay) {
        std::memmove(re + m_delay, re, valid * sizeof(float));
        std::memmove(im + m_delay, im, valid * sizeof(float));
        std::fill(re, re + m_delay, 0.0f);
        std::fill(im, im + m_delay, 0.0f);
        return;
    }
    // Samples near the float range would overflow the transform's sums: such a block goes
    // through scaled down by a power of two, exactly undone after.
    __m128 peak = _mm_setzero_ps();
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    for (size_t i = 0; i + 4 <= valid; i += 4) {
        // The running peak second: a NaN leaves it as it was.
        peak = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(re + i), magnitude), peak);
        peak = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(im + i), magnitude), peak);
    }
    float lanes[4];
    _mm_storeu_ps(lanes, peak);
    float top = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
    for (size_t i = valid & ~size_t(3); i < valid; ++i)
        top = std::max(top, std::max(std::fabs(re[i]), std::fabs(im[i])));
    const bool huge = top > 0x1p64f;
    if (huge)
        Scale(re, im, 0x1p-64f);
    m_fft.ConvolveSplit(re, im, m_kernelRe.data(), m_kernelIm.data());
    if (huge)
        Scale(re, im, 0x1p64f);
}

void FirBlocks::Scale(float* re, float* im, float by) const
{
    for (size_t i = 0; i < m_fft.Size(); ++i) {
        re[i] *= by;
        im[i] *= by;
    }
}

void LinearPhaseFir::Configure(size_t block, int channels)
{
    if (block != m_block || !m_gridFft) {
        m_block = block;
        m_hop = 3 * block;
        m_gridFft = std::make_unique<Fft>(2 * block);
        // Until designed: the pure delay.
        std::vector<double> delay(Taps() / 2 + 1, 0.0);
        delay.back() = 1.0;
        m_blocks.Configure(4 * block, m_hop, channels);
        m_blocks.SetKernel(delay.data(), delay.size());
    }
    m_channels = channels;
    m_blocks.Configure(4 * block, m_hop, channels);
    Reset();
}

void LinearPhaseFir::Design(const std::vector<double>& grid)
{
    const size_t n = GridSize();
    std::vector<std::complex<double>> h(n, 0.0);
    for (size_t k = 0; k <= n / 2 && k < grid.size(); ++k) {
        h[k] = grid[k];
        if (k > 0 && k < n / 2)
            h[n - k] = grid[k];
    }
    m_gridFft->Inverse(h.data());
    const double pi = 3.14159265358979323846;
    const size_t taps = Taps();
    const long half = long(taps / 2);
    std::vector<double> kernel(taps);
    for (long t = -half; t <= half; ++t) {
        const double x = double(t + half) / double(taps - 1);
        const double w = 0.42 - 0.5 * std::cos(2 * pi * x) + 0.08 * std::cos(4 * pi * x);
        kernel[size_t(t + half)] = h[size_t((t + long(n)) % long(n))].real() * w;
    }
    m_blocks.SetKernel(kernel.data(), kernel.size());
}

void LinearPhaseFir::Reset()
{
    const size_t c = size_t(m_channels);
    m_input.assign(m_hop * c, 0.0f);
    m_ready.assign(m_hop * c, 0.0f);
    m_blocks.Reset();
    m_fill = 0;
}

void LinearPhaseFir::Process(const float* in, float* out, size_t frames)
{
    const size_t c = size_t(m_channels);
    // Frame i of a hop goes in while frame i of the finished hop before comes out.
    size_t done = 0;
    while (done < frames) {
        const size_t n = std::min(frames - done, m_hop - m_fill);
        std::memcpy(&m_input[m_fill * c], in + done * c, n * c * sizeof(float));
        std::memcpy(out + done * c, &m_ready[m_fill * c], n * c * sizeof(float));
        m_fill += n;
        done += n;
        if (m_fill == m_hop) {
            m_blocks.Run(m_input.data(), m_hop, m_ready.data());
            m_fill = 0;
        }
    }
}

} // namespace fxkit
