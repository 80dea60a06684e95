#include "LinearPhaseFir.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

namespace fxkit {

namespace {

// Stereo frames (left, right) into the real and imaginary parts, two frames a step; count even.
void SplitStereo(const float* in, double* re, double* im, size_t count)
{
    for (size_t i = 0; i < count; i += 2) {
        const __m128 frames = _mm_loadu_ps(in + 2 * i);
        const __m128 byChannel = _mm_shuffle_ps(frames, frames, _MM_SHUFFLE(3, 1, 2, 0));
        _mm_storeu_pd(re + i, _mm_cvtps_pd(byChannel));
        _mm_storeu_pd(im + i, _mm_cvtps_pd(_mm_movehl_ps(byChannel, byChannel)));
    }
}

// And back, to out, plus what is at add when there is one (it may be out itself).
void JoinStereo(const double* re, const double* im, const float* add, float* out, size_t count)
{
    for (size_t i = 0; i < count; i += 2) {
        __m128 frames = _mm_unpacklo_ps(_mm_cvtpd_ps(_mm_loadu_pd(re + i)), _mm_cvtpd_ps(_mm_loadu_pd(im + i)));
        if (add)
            frames = _mm_add_ps(frames, _mm_loadu_ps(add + 2 * i));
        _mm_storeu_ps(out + 2 * i, frames);
    }
}

} // namespace

void LinearPhaseFir::Configure(size_t block, int channels)
{
    if (block != m_block || !m_fft) {
        m_block = block;
        m_hop = 3 * block;
        m_gridFft = std::make_unique<Fft>(2 * block);
        m_fft = std::make_unique<Fft>(4 * block);
        m_kernelRe.assign(4 * block, 0.0);
        m_kernelIm.assign(4 * block, 0.0);
        m_kernelRe[Taps() / 2] = 1.0 / double(4 * block); // until designed: the pure delay
        m_fft->ForwardSplit(m_kernelRe.data(), m_kernelIm.data());
    }
    m_channels = channels;
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
    const size_t taps = Taps(), size = m_fft->Size();
    const long half = long(taps / 2);
    // The inverse transform's 1 / size goes into the kernel once.
    const double scale = 1.0 / double(size);
    m_kernelRe.assign(size, 0.0);
    m_kernelIm.assign(size, 0.0);
    for (long t = -half; t <= half; ++t) {
        const double x = double(t + half) / double(taps - 1);
        const double w = 0.42 - 0.5 * std::cos(2 * pi * x) + 0.08 * std::cos(4 * pi * x);
        m_kernelRe[size_t(t + half)] = h[size_t((t + long(n)) % long(n))].real() * w * scale;
    }
    m_fft->ForwardSplit(m_kernelRe.data(), m_kernelIm.data());
}

void LinearPhaseFir::Reset()
{
    const size_t c = size_t(m_channels);
    m_input.assign(m_hop * c, 0.0f);
    m_ready.assign(m_hop * c, 0.0f);
    m_tail.assign((m_fft->Size() - m_hop) * c, 0.0f);
    m_re.resize(m_fft->Size());
    m_im.resize(m_fft->Size());
    m_fill = 0;
}

void LinearPhaseFir::RunBlock()
{
    const size_t c = size_t(m_channels), n = m_fft->Size(), tail = n - m_hop;
    double *re = m_re.data(), *im = m_im.data();
    for (size_t first = 0; first < c; first += 2) {
        // A channel pair goes in as the real and imaginary parts; the kernel's spectrum is that
        // of a real impulse, so the two stay apart.
        const bool pair = first + 1 < c;
        const float* in = &m_input[first];
        if (c == 2)
            SplitStereo(in, re, im, m_hop);
        else
            for (size_t i = 0; i < m_hop; ++i) {
                re[i] = in[i * c];
                im[i] = pair ? in[i * c + 1] : 0.0f;
            }
        std::fill(re + m_hop, re + n, 0.0);
        std::fill(im + m_hop, im + n, 0.0);
        m_fft->ConvolveSplit(re, im, m_kernelRe.data(), m_kernelIm.data());
        float* ready = &m_ready[first];
        float* carried = &m_tail[first];
        if (c == 2) {
            JoinStereo(re, im, carried, ready, tail);
            JoinStereo(re + tail, im + tail, nullptr, ready + 2 * tail, m_hop - tail);
            JoinStereo(re + m_hop, im + m_hop, nullptr, carried, n - m_hop);
            continue;
        }
        for (size_t i = 0; i < tail; ++i)
            ready[i * c] = float(re[i]) + carried[i * c];
        for (size_t i = tail; i < m_hop; ++i)
            ready[i * c] = float(re[i]);
        for (size_t i = m_hop; i < n; ++i)
            carried[(i - m_hop) * c] = float(re[i]);
        if (!pair)
            continue;
        for (size_t i = 0; i < tail; ++i)
            ready[i * c + 1] = float(im[i]) + carried[i * c + 1];
        for (size_t i = tail; i < m_hop; ++i)
            ready[i * c + 1] = float(im[i]);
        for (size_t i = m_hop; i < n; ++i)
            carried[(i - m_hop) * c + 1] = float(im[i]);
    }
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
            RunBlock();
            m_fill = 0;
        }
    }
}

} // namespace fxkit
