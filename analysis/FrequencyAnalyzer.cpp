// The analyser's run: frames gathered in their raw bytes, converted and windowed straight into
// the transform's buffer, two channels at a time through one complex transform (or one channel
// through a transform of half the size), and only bins 0 .. N/2 accumulated: the upper half of a
// real signal's spectrum mirrors the lower one and is filled in by Finish.
#include "FrequencyAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

constexpr double kPi = 3.14159265358979323846264338327950288;

struct CalibrationRow {
    int size;
    double factor;
};
const CalibrationRow kCalibration[] = {
    {128, 1.136978110414538e-13},   {256, 2.8424428882439074e-14},  {512, 7.10613037524183e-15},
    {1024, 1.7765306274363926e-15}, {2048, 4.441329649343628e-16},  {4096, 1.1103340190445506e-16},
    {8192, 2.7758357325422506e-17}, {16384, 6.939591125390335e-18}, {32768, 1.734897105958894e-18},
    {65536, 4.3372423040909e-19},
};

// Exact powers of ten for the significant-digit rounding.
double PowerOfTen(int exponent)
{
    double value = 1.0;
    for (int i = 0; i < exponent; ++i)
        value *= 10.0;
    return value;
}

// x rounded to d significant digits by scaling into [10^(d-1), 10^d - 1].
double RoundSignificant(double x, int digits)
{
    if (!(x > 0.0) || !std::isfinite(x))
        return x;
    const double low = PowerOfTen(digits - 1), high = PowerOfTen(digits) - 1.0;
    int up = 0, down = 0;
    double scaled = x;
    while (scaled < low && up < 400) {
        scaled *= 10.0;
        ++up;
    }
    while (scaled > high && down < 400) {
        scaled *= 0.1;
        ++down;
    }
    const double rounded = std::floor(scaled + 0.5);
    if (up > 0)
        return up > 22 ? rounded * std::pow(10.0, -up) : rounded / PowerOfTen(up);
    return down > 22 ? rounded * std::pow(10.0, down) : rounded * PowerOfTen(down);
}

template <class T>
void Allocate(std::vector<T>& buffer, size_t count, const void* engine)
{
    try {
        buffer.assign(count, T());
    } catch (const std::bad_alloc&) {
        throw MemoryException{engine};
    } catch (const std::length_error&) {
        throw MemoryException{engine};
    }
}

} // namespace

CSpectrumAnalyzer::CSpectrumAnalyzer() = default;
CSpectrumAnalyzer::~CSpectrumAnalyzer() = default;

void CSpectrumAnalyzer::SetFftSize(int size)
{
    int n = 2;
    while (n < size && n < (1 << 30))
        n *= 2;
    m_fftSize = n;
}

double CSpectrumAnalyzer::Calibration(int fftSize)
{
    for (const CalibrationRow& row : kCalibration)
        if (row.size == fftSize)
            return row.factor;
    const double scaled = 32768.0 * fftSize;
    return 2.0 / (scaled * scaled);
}

double CSpectrumAnalyzer::WindowValue(int type, int i, int n)
{
    if (i > n / 2)
        i = n - i;
    const double a = 2.0 * kPi * i / n;
    switch (type) {
    case 0:
        return 0.5 - 0.5 * std::cos(a);
    case 1:
        return 0.54 - 0.46 * std::cos(a);
    case 2:
        return 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2.0 * a);
    case 3:
        return 2.0 * i / n;
    case 5:
        return 0.423 - 0.498 * std::cos(a) + 0.0792 * std::cos(2.0 * a);
    default:
        return 1.0;
    }
}

int CSpectrumAnalyzer::BandIndexOf(double hz, int fraction)
{
    const int e = fraction % 2 == 0 ? 1 : 0;
    const double b = fraction * (10.0 / 3.0) * std::log10(hz / std::pow(10.0, e * 0.15 / fraction));
    return static_cast<int>(b >= 0.0 ? b + 0.5 : b - 0.5);
}

double CSpectrumAnalyzer::BandCentre(int band, int fraction)
{
    const int e = fraction % 2 == 0 ? 1 : 0;
    const double x = std::pow(10.0, e * 0.15 / fraction + 0.3 * band / fraction);
    if (e)
        return RoundSignificant(x, 3);
    const int digits = (band + 100) % 10 == fraction + 5 ? 3 : 2;
    return RoundSignificant(2.0 * x, digits) / 2.0;
}

long CSpectrumAnalyzer::Begin()
{
    const int n = m_fftSize;
    if ((m_bytesPerSample != 1 && m_bytesPerSample != 2 && m_bytesPerSample != 4) || m_channelCount < 1 ||
        m_channelCount > 64 || m_sampleRate <= 0 || m_overlap < 0 || m_overlap >= n || m_windowType < 0 ||
        m_windowType > 5)
        return kInvalidArg;
    m_runBytes = m_bytesPerSample;
    m_runSigned = m_signedBytes;
    m_runChannels = m_channelCount;
    m_runRate = m_sampleRate;
    m_runSize = n;
    m_runOverlap = m_overlap;
    const size_t frameBytes = size_t(m_runChannels) * m_runBytes;
    Allocate(m_inputBuffer, size_t(n) * frameBytes, this);
    Allocate(m_window, size_t(n), this);
    Allocate(m_complex, size_t(2) * n, this);
    m_fft.Resize(size_t(n));
    m_halfFft.Resize(size_t(std::max(2, n / 2)));
    if (m_halfTurn.size() != size_t(n / 2 + 1) * 2) {
        Allocate(m_halfTurn, size_t(n / 2 + 1) * 2, this);
        for (int k = 0; k <= n / 2; ++k) {
            const double angle = -2.0 * kPi * double(k) / double(n);
            m_halfTurn[2 * size_t(k)] = std::cos(angle);
            m_halfTurn[2 * size_t(k) + 1] = std::sin(angle);
        }
    }
    Allocate(m_channelPower, size_t(m_runChannels) * (n / 2 + 1), this);
    m_powerSum.clear();
    m_octaveBands.clear();
    m_thirdOctaveBands.clear();
    double squares = 0.0;
    for (int i = 0; i <= n / 2; ++i) {
        const double w = WindowValue(m_windowType, i, n);
        m_window[i] = w;
        m_window[(n - i) % n] = w;
    }
    for (int i = 0; i < n; ++i)
        squares += m_window[i] * m_window[i];
    m_windowMeanSquare = squares / n;
    m_fillCount = 0;
    m_frameCount = 0;
    m_running = true;
    return 1;
}

long CSpectrumAnalyzer::AddSamples(const void* bytes, int frames)
{
    if (!m_running || !bytes)
        return 1;
    const size_t frameBytes = size_t(m_runChannels) * m_runBytes;
    const unsigned char* source = static_cast<const unsigned char*>(bytes);
    while (frames > 0) {
        const int take = frames < m_runSize - m_fillCount ? frames : m_runSize - m_fillCount;
        std::memcpy(m_inputBuffer.data() + size_t(m_fillCount) * frameBytes, source, size_t(take) * frameBytes);
        source += size_t(take) * frameBytes;
        frames -= take;
        m_fillCount += take;
        if (m_fillCount == m_runSize) {
            ProcessFrame();
            if (m_runOverlap > 0)
                std::memmove(m_inputBuffer.data(), m_inputBuffer.data() + size_t(m_runSize - m_runOverlap) * frameBytes,
                             size_t(m_runOverlap) * frameBytes);
            m_fillCount = m_runOverlap;
            ++m_frameCount;
        }
    }
    return 1;
}

void CSpectrumAnalyzer::WindowAndConvert(int channel, double* out, int step) const
{
    const int n = m_runSize, channels = m_runChannels;
    const double* w = m_window.data();
    switch (m_runBytes) {
    case 2: {
        const int16_t* in = reinterpret_cast<const int16_t*>(m_inputBuffer.data()) + channel;
        for (int i = 0; i < n; ++i)
            out[size_t(i) * step] = w[i] * in[size_t(i) * channels];
        break;
    }
    case 4: {
        const float* in = reinterpret_cast<const float*>(m_inputBuffer.data()) + channel;
        for (int i = 0; i < n; ++i)
            out[size_t(i) * step] = w[i] * (double(in[size_t(i) * channels]) * 32768.0);
        break;
    }
    default: {
        const unsigned char* in = m_inputBuffer.data() + channel;
        if (m_runSigned) {
            for (int i = 0; i < n; ++i)
                out[size_t(i) * step] = w[i] * (double(static_cast<signed char>(in[size_t(i) * channels])) * 256.0);
        } else {
            for (int i = 0; i < n; ++i)
                out[size_t(i) * step] = w[i] * ((double(in[size_t(i) * channels]) - 128.0) * 256.0);
        }
        break;
    }
    }
}

void CSpectrumAnalyzer::ProcessFrame()
{
    const int n = m_runSize, half = n / 2;
    double* z = m_complex.data();
    int channel = 0;
    // Two real channels as one complex signal: A = (Z[k] + conj Z[-k]) / 2, B = (Z[k] - conj Z[-k]) / 2i.
    for (; channel + 1 < m_runChannels; channel += 2) {
        WindowAndConvert(channel, z, 2);
        WindowAndConvert(channel + 1, z + 1, 2);
        m_fft.Forward(reinterpret_cast<std::complex<double>*>(z));
        double* a = m_channelPower.data() + size_t(channel) * (half + 1);
        double* b = a + (half + 1);
        for (int k = 0; k <= half; ++k) {
            const int m = (n - k) & (n - 1);
            const double zr = z[2 * k], zi = z[2 * k + 1], mr = z[2 * m], mi = z[2 * m + 1];
            const double sr = zr + mr, si = zi - mi, dr = zr - mr, di = zi + mi;
            a[k] += 0.25 * (sr * sr + si * si);
            b[k] += 0.25 * (dr * dr + di * di);
        }
    }
    if (channel < m_runChannels) {
        // One real channel: its even and odd samples as one complex signal of N/2 points.
        WindowAndConvert(channel, z, 1);
        if (half > 1)
            m_halfFft.Forward(reinterpret_cast<std::complex<double>*>(z));
        const double* turn = m_halfTurn.data();
        double* p = m_channelPower.data() + size_t(channel) * (half + 1);
        for (int k = 0; k <= half; ++k) {
            const int i = k % half, m = (half - k) % half;
            const double zr = z[2 * i], zi = z[2 * i + 1], mr = z[2 * m], mi = z[2 * m + 1];
            const double er = 0.5 * (zr + mr), ei = 0.5 * (zi - mi);
            const double orr = 0.5 * (zi + mi), oi = -0.5 * (zr - mr);
            const double wr = turn[2 * k], wi = turn[2 * k + 1];
            const double xr = er + wr * orr - wi * oi, xi = ei + wr * oi + wi * orr;
            p[k] += xr * xr + xi * xi;
        }
    }
}

long CSpectrumAnalyzer::Finish()
{
    if (!m_running)
        return 1;
    const int n = m_runSize, half = n / 2, channels = m_runChannels;
    const size_t frameBytes = size_t(channels) * m_runBytes;
    if (m_fillCount > m_runOverlap || m_frameCount == 0) {
        const unsigned char silence = m_runBytes == 1 && !m_runSigned ? 128 : 0;
        std::memset(m_inputBuffer.data() + size_t(m_fillCount) * frameBytes, silence,
                    size_t(n - m_fillCount) * frameBytes);
        ProcessFrame();
        ++m_frameCount;
        m_fillCount = m_runOverlap;
    }
    Allocate(m_powerSum, size_t(n) * channels, this);
    const double scale = 1.0 / (m_frameCount * m_windowMeanSquare);
    const double calibration = Calibration(n);
    for (int c = 0; c < channels; ++c) {
        const double* p = m_channelPower.data() + size_t(c) * (half + 1);
        for (int k = 0; k <= half; ++k) {
            double value = (k == 0 || k == half ? 1.0 : 2.0) * p[k] * scale;
            if (value == 0.0)
                value = 1.0;
            m_powerSum[size_t(k) * channels + c] = value * calibration;
        }
        // Above N/2 the sums as they were accumulated, mirrored from below.
        for (int k = half + 1; k < n; ++k)
            m_powerSum[size_t(k) * channels + c] = p[n - k];
    }
    BuildBands(1, std::sqrt(2.0) - std::sqrt(0.5), &m_octaveFirst, &m_octaveLast, &m_octaveBands);
    BuildBands(3, std::pow(2.0, 1.0 / 6.0) - std::pow(2.0, -1.0 / 6.0), &m_thirdOctaveFirst, &m_thirdOctaveLast,
               &m_thirdOctaveBands);
    m_running = false;
    return 1;
}

void CSpectrumAnalyzer::BuildBands(int fraction, double widthFactor, int* first, int* last, std::vector<double>* bands)
{
    const int n = m_runSize, half = n / 2, channels = m_runChannels;
    const double spacing = double(m_runRate) / n;
    *last = BandIndexOf(double(m_runRate / 2), fraction);
    int b = *last;
    while (b > -1000 && BandCentre(b, fraction) * widthFactor >= spacing)
        --b;
    *first = b + 1;
    const int count = *last >= *first ? *last - *first + 1 : 0;
    Allocate(*bands, size_t(count) * channels, this);
    const double down = std::pow(2.0, -1.0 / (2.0 * fraction)), up = std::pow(2.0, 1.0 / (2.0 * fraction));
    for (int c = 0; c < channels; ++c) {
        double lower = BandCentre(*first, fraction) * down;
        int k = 1;
        for (int band = *first; band <= *last; ++band) {
            const double upper = BandCentre(band, fraction) * up;
            while (k <= half && double(k) * m_runRate / n <= lower)
                ++k;
            double sum = 0.0;
            for (; k <= half && double(k) * m_runRate / n <= upper; ++k)
                sum += m_powerSum[size_t(k) * channels + c];
            (*bands)[size_t(band - *first) * channels + c] = sum;
            lower = upper;
        }
    }
}

void CSpectrumAnalyzer::ForwardFft(double* complexValues) const
{
    const size_t n = size_t(m_fftSize), channels = size_t(m_channelCount < 1 ? 1 : m_channelCount);
    m_forwardFft.Resize(n);
    auto* values = reinterpret_cast<std::complex<double>*>(complexValues);
    if (channels == 1) {
        m_forwardFft.Forward(values);
        return;
    }
    m_forwardData.resize(n);
    for (size_t c = 0; c < channels; ++c) {
        for (size_t k = 0; k < n; ++k)
            m_forwardData[k] = values[k * channels + c];
        m_forwardFft.Forward(m_forwardData.data());
        for (size_t k = 0; k < n; ++k)
            values[k * channels + c] = m_forwardData[k];
    }
}
