#include "Fft.h"

#include <cmath>
#include <utility>

namespace fxkit {

Fft::Fft(size_t size) : m_size(size), m_twiddles(size / 2), m_reversed(size)
{
    const double pi = 3.14159265358979323846;
    for (size_t k = 0; k < size / 2; ++k)
        m_twiddles[k] = std::polar(1.0, -2.0 * pi * double(k) / double(size));
    int bits = 0;
    while ((size_t(1) << bits) < size)
        ++bits;
    for (size_t i = 0; i < size; ++i) {
        size_t r = 0;
        for (int b = 0; b < bits; ++b)
            r |= ((i >> b) & 1) << (bits - 1 - b);
        m_reversed[i] = r;
    }
}

void Fft::Run(std::complex<double>* data, bool inverse) const
{
    for (size_t i = 0; i < m_size; ++i)
        if (i < m_reversed[i])
            std::swap(data[i], data[m_reversed[i]]);
    for (size_t len = 2; len <= m_size; len <<= 1) {
        const size_t half = len / 2, step = m_size / len;
        for (size_t start = 0; start < m_size; start += len) {
            for (size_t k = 0; k < half; ++k) {
                std::complex<double> w = m_twiddles[k * step];
                if (inverse)
                    w = std::conj(w);
                const std::complex<double> t = w * data[start + k + half];
                data[start + k + half] = data[start + k] - t;
                data[start + k] += t;
            }
        }
    }
}

void Fft::Forward(std::complex<double>* data) const
{
    Run(data, false);
}

void Fft::Inverse(std::complex<double>* data) const
{
    Run(data, true);
    const double scale = 1.0 / double(m_size);
    for (size_t i = 0; i < m_size; ++i)
        data[i] *= scale;
}

} // namespace fxkit
