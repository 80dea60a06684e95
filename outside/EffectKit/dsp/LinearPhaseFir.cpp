#include "LinearPhaseFir.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fxkit {

void LinearPhaseFir::Configure(size_t block, int channels)
{
    if (block != m_block || !m_fft) {
        m_block = block;
        m_fft = std::make_unique<Fft>(2 * block);
        m_kernel.assign(2 * block, 0.0);
        m_kernel[Taps() / 2] = 1.0; // until designed: the pure delay
        m_fft->Forward(m_kernel.data());
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
    m_fft->Inverse(h.data());
    const double pi = 3.14159265358979323846;
    const size_t taps = Taps();
    const long half = long(taps / 2);
    std::fill(m_kernel.begin(), m_kernel.end(), 0.0);
    for (long t = -half; t <= half; ++t) {
        const double x = double(t + half) / double(taps - 1);
        const double w = 0.42 - 0.5 * std::cos(2 * pi * x) + 0.08 * std::cos(4 * pi * x);
        m_kernel[size_t(t + half)] = h[size_t((t + long(n)) % long(n))].real() * w;
    }
    m_fft->Forward(m_kernel.data());
}

void LinearPhaseFir::Reset()
{
    const size_t c = size_t(m_channels);
    m_input.assign(m_block * c, 0.0f);
    m_overlap.assign(2 * m_block * c, 0.0f);
    m_ready.assign(m_block * c, 0.0f);
    m_fill = 0;
}

void LinearPhaseFir::RunBlock()
{
    const size_t c = size_t(m_channels), n = GridSize();
    m_work.resize(n);
    for (size_t first = 0; first < c; first += 2) {
        const bool pair = first + 1 < c;
        for (size_t i = 0; i < m_block; ++i)
            m_work[i] = {m_input[i * c + first], pair ? m_input[i * c + first + 1] : 0.0f};
        std::fill(m_work.begin() + long(m_block), m_work.end(), 0.0);
        m_fft->Forward(m_work.data());
        // The kernel's spectrum is that of a real impulse: the two channels stay apart.
        for (size_t k = 0; k < n; ++k)
            m_work[k] *= m_kernel[k];
        m_fft->Inverse(m_work.data());
        for (size_t i = 0; i < n; ++i) {
            m_overlap[i * c + first] += float(m_work[i].real());
            if (pair)
                m_overlap[i * c + first + 1] += float(m_work[i].imag());
        }
    }
    const long blockSamples = long(m_block * c);
    std::copy(m_overlap.begin(), m_overlap.begin() + blockSamples, m_ready.begin());
    std::copy(m_overlap.begin() + blockSamples, m_overlap.end(), m_overlap.begin());
    std::fill(m_overlap.end() - blockSamples, m_overlap.end(), 0.0f);
}

void LinearPhaseFir::Process(const float* in, float* out, size_t frames)
{
    const size_t c = size_t(m_channels);
    // Frame i of a block goes in while frame i of the finished block before comes out.
    size_t done = 0;
    while (done < frames) {
        const size_t n = std::min(frames - done, m_block - m_fill);
        std::memcpy(&m_input[m_fill * c], in + done * c, n * c * sizeof(float));
        std::memcpy(out + done * c, &m_ready[m_fill * c], n * c * sizeof(float));
        m_fill += n;
        done += n;
        if (m_fill == m_block) {
            RunBlock();
            m_fill = 0;
        }
    }
}

} // namespace fxkit
