#include "LinearPhaseFir.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

namespace fxkit {

namespace {

// a[k] *= b[k], one complex number per register.
void MultiplySpectra(std::complex<double>* a, const std::complex<double>* b, size_t n)
{
    double* x = reinterpret_cast<double*>(a);
    const double* y = reinterpret_cast<const double*>(b);
    const __m128d negReal = _mm_set_pd(0.0, -0.0);
    for (size_t k = 0; k < 2 * n; k += 2) {
        const __m128d p = _mm_loadu_pd(x + k), q = _mm_loadu_pd(y + k);
        const __m128d re = _mm_unpacklo_pd(q, q), im = _mm_unpackhi_pd(q, q);
        const __m128d swapped = _mm_xor_pd(_mm_shuffle_pd(p, p, 1), negReal); // (-im, re) of p
        _mm_storeu_pd(x + k, _mm_add_pd(_mm_mul_pd(p, re), _mm_mul_pd(swapped, im)));
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
        m_kernel.assign(8 * block, 0.0);
        m_kernel[Taps() / 2] = 1.0 / double(8 * block); // until designed: the pure delay
        m_fft->ForwardScrambled(m_kernel.data());
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
    m_kernel.assign(size, 0.0);
    for (long t = -half; t <= half; ++t) {
        const double x = double(t + half) / double(taps - 1);
        const double w = 0.42 - 0.5 * std::cos(2 * pi * x) + 0.08 * std::cos(4 * pi * x);
        m_kernel[size_t(t + half)] = h[size_t((t + long(n)) % long(n))].real() * w * scale;
    }
    m_fft->ForwardScrambled(m_kernel.data());
}

void LinearPhaseFir::Reset()
{
    const size_t c = size_t(m_channels);
    m_input.assign(m_hop * c, 0.0f);
    m_overlap.assign(m_fft->Size() * c, 0.0f);
    m_ready.assign(m_hop * c, 0.0f);
    m_work.resize(m_fft->Size());
    m_fill = 0;
}

void LinearPhaseFir::RunBlock()
{
    const size_t c = size_t(m_channels), n = m_fft->Size();
    for (size_t first = 0; first < c; first += 2) {
        const bool pair = first + 1 < c;
        const float* in = &m_input[first];
        if (pair)
            for (size_t i = 0; i < m_hop; ++i)
                m_work[i] = {in[i * c], in[i * c + 1]};
        else
            for (size_t i = 0; i < m_hop; ++i)
                m_work[i] = {in[i * c], 0.0};
        std::fill(m_work.begin() + long(m_hop), m_work.end(), 0.0);
        m_fft->ForwardScrambled(m_work.data());
        // The kernel's spectrum is that of a real impulse: the two channels stay apart.
        MultiplySpectra(m_work.data(), m_kernel.data(), n);
        m_fft->InverseScrambled(m_work.data());
        float* sum = &m_overlap[first];
        if (pair)
            for (size_t i = 0; i < n; ++i) {
                sum[i * c] += float(m_work[i].real());
                sum[i * c + 1] += float(m_work[i].imag());
            }
        else
            for (size_t i = 0; i < n; ++i)
                sum[i * c] += float(m_work[i].real());
    }
    const long hopSamples = long(m_hop * c);
    std::copy(m_overlap.begin(), m_overlap.begin() + hopSamples, m_ready.begin());
    std::copy(m_overlap.begin() + hopSamples, m_overlap.end(), m_overlap.begin());
    std::fill(m_overlap.end() - hopSamples, m_overlap.end(), 0.0f);
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
