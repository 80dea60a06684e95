#include "StftStream.h"

#include <algorithm>
#include <cmath>

namespace fxkit {

void StftStream::Configure(size_t size, size_t hop, int channels)
{
    m_size = size;
    m_hop = hop;
    m_channels = size_t(std::max(channels, 1));
    Reset();
}

void StftStream::Reset()
{
    m_history.assign(m_size * m_channels, 0.0f);
    m_write = 0;
    m_sinceFrame = 0;
    m_sum.assign(m_size * m_channels, 0.0);
    // A hop of silence goes out before the first frame is done: the latency is one frame.
    m_queue.assign(m_hop * m_channels, 0.0f);
    m_queueRead = 0;
}

void StftStream::Gather(size_t channel, const double* window, double* out) const
{
    for (size_t i = 0; i < m_size; ++i)
        out[i] = m_history[((m_write + i) % m_size) * m_channels + channel] * window[i];
}

void StftStream::Add(size_t channel, const double* frame, const double* window, double scale)
{
    for (size_t i = 0; i < m_size; ++i)
        m_sum[i * m_channels + channel] += frame[i] * window[i] * scale;
}

void StftStream::Gather(size_t channel, const double* window, std::complex<double>* out) const
{
    for (size_t i = 0; i < m_size; ++i)
        out[i] = m_history[((m_write + i) % m_size) * m_channels + channel] * window[i];
}

void StftStream::Add(size_t channel, const std::complex<double>* frame, const double* window, double scale)
{
    for (size_t i = 0; i < m_size; ++i)
        m_sum[i * m_channels + channel] += frame[i].real() * window[i] * scale;
}

void StftStream::GatherPair(const double* window, std::complex<double>* out) const
{
    for (size_t i = 0; i < m_size; ++i) {
        const float* frame = &m_history[((m_write + i) % m_size) * m_channels];
        out[i] = {frame[0] * window[i], frame[1] * window[i]};
    }
}

void StftStream::AddPair(const std::complex<double>* frame, const double* window, double scale)
{
    for (size_t i = 0; i < m_size; ++i) {
        m_sum[i * m_channels] += frame[i].real() * window[i] * scale;
        m_sum[i * m_channels + 1] += frame[i].imag() * window[i] * scale;
    }
}

namespace {

// Frames whose samples reach beyond 2^40 are scaled to a peak near 2^20 before a float
// transform: its sums, and the squares of its bins, stay within the float range.
float ScaleIfHuge(float peak, float* re, float* im, size_t size)
{
    if (!(peak > 0x1p40f))
        return 1.0f;
    int exponent = 0;
    std::frexp(peak, &exponent);
    const float factor = std::ldexp(1.0f, 20 - exponent);
    for (size_t i = 0; i < size; ++i) {
        re[i] *= factor;
        if (im)
            im[i] *= factor;
    }
    return factor;
}

} // namespace

float StftStream::Gather(size_t channel, const float* window, float* out) const
{
    const float* history = &m_history[channel];
    const size_t ch = m_channels;
    float peak = 0;
    ForHistory([&](size_t i, size_t at, size_t count) {
        for (size_t j = 0; j < count; ++j) {
            out[i + j] = history[(at + j) * ch] * window[i + j];
            peak = std::max(peak, std::fabs(out[i + j]));
        }
    });
    return ScaleIfHuge(peak, out, nullptr, m_size);
}

void StftStream::Add(size_t channel, const float* frame, const float* window, double scale)
{
    for (size_t i = 0; i < m_size; ++i)
        m_sum[i * m_channels + channel] += double(frame[i] * window[i]) * scale;
}

float StftStream::GatherPair(const float* window, float* re, float* im) const
{
    const size_t ch = m_channels;
    float peak = 0;
    ForHistory([&](size_t i, size_t at, size_t count) {
        for (size_t j = 0; j < count; ++j) {
            const float* frame = &m_history[(at + j) * ch];
            re[i + j] = frame[0] * window[i + j];
            im[i + j] = frame[1] * window[i + j];
            peak = std::max(peak, std::max(std::fabs(re[i + j]), std::fabs(im[i + j])));
        }
    });
    return ScaleIfHuge(peak, re, im, m_size);
}

void StftStream::AddPair(const float* re, const float* im, const float* window, double scale)
{
    for (size_t i = 0; i < m_size; ++i) {
        m_sum[i * m_channels] += double(re[i] * window[i]) * scale;
        m_sum[i * m_channels + 1] += double(im[i] * window[i]) * scale;
    }
}

void StftStream::Advance()
{
    const size_t ch = m_channels;
    m_queue.erase(m_queue.begin(), m_queue.begin() + long(ch * m_queueRead));
    m_queueRead = 0;
    for (size_t i = 0; i < m_hop * ch; ++i)
        m_queue.push_back(ToFloat(m_sum[i]));
    std::copy(m_sum.begin() + long(m_hop * ch), m_sum.end(), m_sum.begin());
    std::fill(m_sum.end() - long(m_hop * ch), m_sum.end(), 0.0);
}

} // namespace fxkit
