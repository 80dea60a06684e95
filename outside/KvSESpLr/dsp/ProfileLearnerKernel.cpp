#include "ProfileLearnerKernel.h"

#include "Finite.h"

#include <algorithm>
#include <cstring>

namespace fx {

namespace {
const wchar_t* const kSizes[] = {L"512", L"1024", L"2048", L"4096", nullptr};
}

const fxkit::ParamInfo kProfileLearnerParams[kSplParamCount] = {{L"&FFT size", L"points", 0, 3, 2, 0, kSizes}};

size_t FftSizeOf(double choice)
{
    return size_t(512) << std::clamp(int(choice), 0, 3);
}

void ProfileLearnerKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    const size_t n = FftSizeOf(values[kSplFftSize]);
    m_sum = fxkit::NoiseProfile{};
    m_sum.channels = shape.inChannels;
    m_sum.rate = int(shape.rate);
    m_sum.fftSize = n;
    m_sum.power.assign(size_t(shape.inChannels), std::vector<double>(n / 2 + 1, 0.0));
    m_fft = std::make_unique<fxkit::RealFft>(n);
    m_window = fxkit::HannWindow(n);
    m_frame.assign(n * size_t(shape.inChannels), 0.0f);
    m_filled = m_count = 0;
}

void ProfileLearnerKernel::Analyse()
{
    const size_t n = m_sum.fftSize, channels = size_t(m_sum.channels);
    std::vector<double> x(n);
    std::vector<std::complex<double>> bins(n / 2 + 1);
    for (size_t c = 0; c < channels; ++c) {
        for (size_t i = 0; i < n; ++i)
            x[i] = m_window[i] * fxkit::Finite(m_frame[i * channels + c]);
        m_fft->Forward(x.data(), bins.data());
        for (size_t k = 0; k <= n / 2; ++k)
            m_sum.power[c][k] += std::norm(bins[k]);
    }
    ++m_count;
    // Half-overlapping frames: keep the second half.
    std::memmove(m_frame.data(), m_frame.data() + n / 2 * channels, n / 2 * channels * sizeof(float));
    m_filled = n / 2;
}

void ProfileLearnerKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t channels = size_t(m_sum.channels), n = m_sum.fftSize;
    std::memcpy(out, in, frames * channels * sizeof(float));
    while (frames > 0) {
        const size_t take = std::min(frames, n - m_filled);
        std::memcpy(m_frame.data() + m_filled * channels, in, take * channels * sizeof(float));
        m_filled += take;
        in += take * channels;
        frames -= take;
        if (m_filled == n)
            Analyse();
    }
}

bool ProfileLearnerKernel::Result(fxkit::NoiseProfile& profile) const
{
    if (m_count == 0)
        return false;
    profile = m_sum;
    for (auto& channel : profile.power)
        for (double& p : channel)
            p /= double(m_count);
    return true;
}

} // namespace fx
