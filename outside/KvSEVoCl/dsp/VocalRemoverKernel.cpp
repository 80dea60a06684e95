#include "VocalRemoverKernel.h"

#include "CentreGainsWide.h"
#include "FftWide.h"

#include <algorithm>
#include <cmath>
#include <xmmintrin.h>

namespace fx {

const fxkit::ParamInfo kVocalRemoverParams[kVocParamCount] = {
    {L"&Low edge", L"Hz", 50, 20000, 150, 0, nullptr, true, false, true},
    {L"&High edge", L"Hz", 50, 20000, 8000, 0, nullptr, true, false, true},
    {L"&Strength", L"%", 0, 100, 100, 0, nullptr},
};

VocalRemoverKernel::VocalRemoverKernel() : m_fft(kSize), m_window(kSize), m_re(kSize), m_im(kSize)
{
    const double pi = 3.14159265358979323846;
    for (size_t i = 0; i < kSize; ++i)
        m_window[i] = float(std::sqrt(0.5 - 0.5 * std::cos(2 * pi * double(i) / double(kSize))));
}

void VocalRemoverKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    Update(values);
    Reset();
}

void VocalRemoverKernel::Update(const double* values)
{
    double low = values[kVocLow], high = values[kVocHigh];
    if (low > high)
        std::swap(low, high);
    const double bin = m_rate / double(kSize);
    m_lowBin = size_t(std::ceil(low / bin));
    m_highBin = std::min(size_t(std::floor(high / bin)), kSize / 2);
    m_strength = values[kVocStrength] / 100.0;
    // The band's pairs of positions in the transform's order: all of them for the four-wide
    // loop, and those below 16 for it beside the eight-wide one, which takes the rest by mask.
    m_inBand.assign(kSize, 0);
    m_allBins.Clear();
    m_firstBins.Clear();
    for (size_t k = m_lowBin; k <= m_highBin; ++k) {
        const size_t p = m_fft.PositionOf(k), q = m_fft.PositionOf((kSize - k) % kSize);
        m_inBand[p] = m_inBand[q] = -1;
        m_allBins.Add(p, q);
        if (p < 16)
            m_firstBins.Add(p, q);
    }
    m_allBins.Pad();
    m_firstBins.Pad();
}

void VocalRemoverKernel::BandPairs::Clear()
{
    positions.clear();
    mirrors.clear();
    count = 0;
}

void VocalRemoverKernel::BandPairs::Add(size_t position, size_t mirror)
{
    positions.push_back(position);
    mirrors.push_back(mirror);
    ++count;
}

// To a multiple of four by repeating the last (read again, scaled once).
void VocalRemoverKernel::BandPairs::Pad()
{
    while (count > 0 && positions.size() % 4) {
        positions.push_back(positions.back());
        mirrors.push_back(mirrors.back());
    }
}

void VocalRemoverKernel::Reset()
{
    m_stream.Configure(kSize, kHop, 2);
}

// The band's bins k and size - k four at a time, by their positions.
void VocalRemoverKernel::ScaleCentre(const BandPairs& pairs)
{
    float *re = m_re.data(), *im = m_im.data();
    const size_t* p = pairs.positions.data();
    const size_t* q = pairs.mirrors.data();
    const size_t count = pairs.count;
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f), strength = _mm_set1_ps(float(m_strength));
    // Four bins at a time: all read, then all written (a bin that is its own mirror, or the
    // padding's repeats, write what they read, scaled once).
    for (size_t j = 0; j < count; j += 4) {
        const auto at = [&](const float* part, const size_t* positions) {
            return _mm_setr_ps(part[positions[j]], part[positions[j + 1]], part[positions[j + 2]], part[positions[j + 3]]);
        };
        const __m128 pr = at(re, p), pi = at(im, p), qr = at(re, q), qi = at(im, q);
        // left = (Z[k] + conj Z[-k]) / 2, right = (Z[k] - conj Z[-k]) / 2i, each times 2.
        const __m128 lr = _mm_add_ps(pr, qr), li = _mm_sub_ps(pi, qi);
        const __m128 rr = _mm_add_ps(pi, qi), ri = _mm_sub_ps(qr, pr);
        const __m128 power = _mm_add_ps(_mm_add_ps(_mm_mul_ps(lr, lr), _mm_mul_ps(li, li)),
                                        _mm_add_ps(_mm_mul_ps(rr, rr), _mm_mul_ps(ri, ri)));
        const __m128 dot = _mm_add_ps(_mm_mul_ps(lr, rr), _mm_mul_ps(li, ri));
        // Within 0 .. 1 (rounding could pass 1 and turn the gain over); a silent bin passes.
        const __m128 sound = _mm_cmpgt_ps(power, zero);
        const __m128 s = _mm_and_ps(sound, _mm_min_ps(one, _mm_max_ps(zero, _mm_div_ps(_mm_add_ps(dot, dot), power))));
        const __m128 s2 = _mm_mul_ps(s, s), s4 = _mm_mul_ps(s2, s2);
        const __m128 g = _mm_sub_ps(one, _mm_mul_ps(strength, _mm_mul_ps(s4, s4)));
        alignas(16) float scaled[4][4];
        _mm_store_ps(scaled[0], _mm_mul_ps(pr, g));
        _mm_store_ps(scaled[1], _mm_mul_ps(pi, g));
        _mm_store_ps(scaled[2], _mm_mul_ps(qr, g));
        _mm_store_ps(scaled[3], _mm_mul_ps(qi, g));
        for (size_t b = 0; b < 4; ++b) {
            re[p[j + b]] = scaled[0][b];
            im[p[j + b]] = scaled[1][b];
            re[q[j + b]] = scaled[2][b];
            im[q[j + b]] = scaled[3][b];
        }
    }
}

void VocalRemoverKernel::RunFrame()
{
    // Both channels in one transform: left real, right imaginary. A gain shared by the channels
    // scales bins k and size - k alike, so the spectra need not be taken apart.
    float *re = m_re.data(), *im = m_im.data();
    const float scaled = m_stream.GatherPair(0, m_window.data(), re, im, false).first;
    m_fft.ForwardSplit(re, im);
    const bool byEight = fxkit::wide::Enabled();
    if (byEight)
        wide::ScaleCentre(re, im, m_inBand.data(), kSize, float(m_strength));
    ScaleCentre(byEight ? m_firstBins : m_allBins);
    m_fft.InverseSplit(re, im);
    // Square-root Hann on both sides at a quarter hop sums to 2; the inverse is not scaled.
    const double scale = 0.5 / double(kSize) / scaled;
    m_stream.AddPair(0, re, im, m_window.data(), scale, scale);
}

void VocalRemoverKernel::Process(const float* in, float* out, size_t frames)
{
    m_stream.Process(in, out, frames, [this] { RunFrame(); });
}

} // namespace fx
