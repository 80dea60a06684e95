#include "LinearPhaseFir.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

namespace fxkit {

namespace {

// (re, im)[k] *= (kre, kim)[k], two bins at a time; n even.
void MultiplySpectra(double* re, double* im, const double* kre, const double* kim, size_t n)
{
    for (size_t k = 0; k < n; k += 2) {
        const __m128d ar = _mm_loadu_pd(re + k), ai = _mm_loadu_pd(im + k);
        const __m128d br = _mm_loadu_pd(kre + k), bi = _mm_loadu_pd(kim + k);
        _mm_storeu_pd(re + k, _mm_sub_pd(_mm_mul_pd(ar, br), _mm_mul_pd(ai, bi)));
        _mm_storeu_pd(im + k, _mm_add_pd(_mm_mul_pd(ar, bi), _mm_mul_pd(ai, br)));
    }
}

} // namespace

void LinearPhaseFir::Configure(size_t block, int channels)
{
    if (block != m_block || !m_fft) {
        m_block = block;
        m_hop = 7 * block;
        m_gridFft = std::make_unique<Fft>(2 * block);
        m_fft = std::make_unique<Fft>(8 * block);
        m_kernelRe.assign(8 * block, 0.0);
        m_kernelIm.assign(8 * block, 0.0);
        m_kernelRe[Taps() / 2] = 1.0 / double(8 * block); // until designed: the pure delay
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
        for (size_t i = 0; i < m_hop; ++i) {
            re[i] = in[i * c];
            im[i] = pair ? in[i * c + 1] : 0.0f;
        }
        std::fill(re + m_hop, re + n, 0.0);
        std::fill(im + m_hop, im + n, 0.0);
        m_fft->ForwardSplit(re, im);
        MultiplySpectra(re, im, m_kernelRe.data(), m_kernelIm.data(), n);
        m_fft->InverseSplit(re, im);
        float* ready = &m_ready[first];
        float* carried = &m_tail[first];
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
