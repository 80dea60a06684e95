#include "TimeStretchKernel.h"

#include <algorithm>
#include <cmath>

namespace fx {

const fxkit::ParamInfo kTimeStretchParams[kStretchParamCount] = {
    {L"&Length", L"%", 25, 400, 100, 1, nullptr, true},
};

void TimeStretchKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    m_channels = shape.inChannels;
    m_ratio = LengthRatio(values);
    m_hop = std::max<size_t>(16, size_t(std::lround(m_rate * 0.025)));
    m_size = 2 * m_hop;
    const bool preview = m_previewNext.load();
    m_range = preview ? m_hop / 4 : m_hop / 2;
    m_stride = preview ? 8 : 4;
    m_fineStride = preview ? 2 : 1;
    m_window.resize(m_size);
    const double pi = 3.14159265358979323846;
    for (size_t i = 0; i < m_size; ++i)
        m_window[i] = float(0.5 - 0.5 * std::cos(2 * pi * double(i) / double(m_size)));
    Reset();
}

void TimeStretchKernel::Reset()
{
    m_in.assign(m_hop * size_t(m_channels), 0.0f); // the silence before the input
    m_inMono.assign(m_hop, 0.0f);
    m_inBase = 0;
    m_inEnd = int64_t(m_hop);
    m_ended = false;
    m_sum.assign(m_size * size_t(m_channels), 0.0f);
    m_frame = 0;
    m_previous = 0;
    m_produced = 0;
    m_drop = uint64_t(std::llround(double(m_hop) * m_ratio));
}

void TimeStretchKernel::Process(const float* in, float* out, size_t frames)
{
    // Only reached at a length of 100 %: the sound as it is.
    std::copy(in, in + frames * size_t(m_channels), out);
}

float TimeStretchKernel::Mono(int64_t pos) const
{
    if (pos < m_inBase || pos >= m_inEnd)
        return 0.0f;
    return m_inMono[size_t(pos - m_inBase)];
}

bool TimeStretchKernel::Ready() const
{
    const int64_t ideal = std::llround(double(m_frame) * double(m_hop) / m_ratio);
    return m_ended || ideal + int64_t(m_range + m_size) <= m_inEnd;
}

void TimeStretchKernel::Emit(const float* frames, size_t count, std::vector<float>& out)
{
    const size_t ch = size_t(m_channels);
    const size_t skip = size_t(std::min<uint64_t>(count, m_drop));
    m_drop -= skip;
    out.insert(out.end(), frames + skip * ch, frames + count * ch);
}

int64_t TimeStretchKernel::BestPlace(int64_t lo, int64_t hi, size_t step, size_t stride, int64_t follow,
                                     int64_t fallback) const
{
    int64_t best = fallback;
    double bestScore = -1e300;
    const bool inside =
        lo >= m_inBase && hi + int64_t(m_hop) <= m_inEnd && follow >= m_inBase && follow + int64_t(m_hop) <= m_inEnd;
    for (int64_t pos = lo; pos <= hi; pos += int64_t(step)) {
        double score = 0;
        if (inside) {
            const float* a = &m_inMono[size_t(pos - m_inBase)];
            const float* b = &m_inMono[size_t(follow - m_inBase)];
            float part = 0;
            for (size_t j = 0; j < m_hop; j += stride)
                part += a[j] * b[j];
            score = part;
        } else {
            for (size_t j = 0; j < m_hop; j += stride)
                score += double(Mono(pos + int64_t(j))) * Mono(follow + int64_t(j));
        }
        if (score > bestScore) {
            bestScore = score;
            best = pos;
        }
    }
    return best;
}

void TimeStretchKernel::RunFrame(std::vector<float>& out)
{
    const size_t ch = size_t(m_channels);
    const int64_t ideal = std::llround(double(m_frame) * double(m_hop) / m_ratio);
    int64_t best = ideal;
    if (m_frame > 0) {
        // Where the previous frame would have gone on: the new frame should sound like that.
        const int64_t follow = m_previous + int64_t(m_hop);
        const int64_t lo = std::max<int64_t>(0, ideal - int64_t(m_range)), hi = ideal + int64_t(m_range);
        // Coarse to fine: every m_stride-th place on every m_stride-th frame, then each place
        // around the best of those on every frame (preview: every other).
        best = BestPlace(lo, hi, m_stride, m_stride, follow, ideal);
        const int64_t near = int64_t(m_stride) - 1;
        best = BestPlace(std::max(lo, best - near), std::min(hi, best + near), 1, m_fineStride, follow, best);
    }
    for (size_t j = 0; j < m_size; ++j) {
        const int64_t pos = best + int64_t(j);
        if (pos < m_inBase || pos >= m_inEnd)
            continue;
        const float* x = &m_in[size_t(pos - m_inBase) * ch];
        for (size_t c = 0; c < ch; ++c)
            m_sum[j * ch + c] += m_window[j] * x[c];
    }
    m_previous = best;
    ++m_frame;
    // The first half is complete.
    Emit(m_sum.data(), m_hop, out);
    m_produced += m_hop;
    std::copy(m_sum.begin() + long(m_hop * ch), m_sum.end(), m_sum.begin());
    std::fill(m_sum.end() - long(m_hop * ch), m_sum.end(), 0.0f);
    // Forget input no later frame can reach.
    const int64_t next = std::llround(double(m_frame) * double(m_hop) / m_ratio) - int64_t(m_range);
    // (Past the input's end, at the last frames, there is nothing more to keep.)
    const int64_t keep = std::min({next, m_previous + int64_t(m_hop), m_inEnd});
    if (keep - m_inBase > int64_t(8 * m_size)) {
        const size_t n = size_t(keep - m_inBase);
        m_in.erase(m_in.begin(), m_in.begin() + long(n * ch));
        m_inMono.erase(m_inMono.begin(), m_inMono.begin() + long(n));
        m_inBase = keep;
    }
}

void TimeStretchKernel::Stretch(const float* in, size_t frames, std::vector<float>& out)
{
    const size_t ch = size_t(m_channels);
    m_in.insert(m_in.end(), in, in + frames * ch);
    for (size_t i = 0; i < frames; ++i) {
        float s = 0;
        for (size_t c = 0; c < ch; ++c)
            s += in[i * ch + c];
        m_inMono.push_back(s);
    }
    m_inEnd += int64_t(frames);
    while (Ready())
        RunFrame(out);
}

void TimeStretchKernel::Finish(std::vector<float>& out)
{
    m_ended = true;
    const uint64_t inputFrames = uint64_t(m_inEnd) - m_hop;
    const uint64_t wanted =
        uint64_t(std::llround(double(inputFrames) * m_ratio)) + uint64_t(std::llround(double(m_hop) * m_ratio));
    while (m_produced < wanted + m_hop)
        RunFrame(out);
    Emit(m_sum.data(), m_hop, out);
}

} // namespace fx
