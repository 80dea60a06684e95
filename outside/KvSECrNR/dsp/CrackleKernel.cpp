#include "CrackleKernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fx {

namespace {

// Errors below -80 dBFS are never clicks (a float signal with no noise predicts almost exactly).
constexpr double kLeastThreshold = 1e-4;
// The median of the magnitudes of normal errors is 0.6745 of their standard deviation.
constexpr double kSpreadOfMedian = 1.4826;

} // namespace

const fxkit::ParamInfo kCrackleParams[kCrackleParamCount] = {
    {L"&Sensitivity", L"%", 0, 100, 50, 0, nullptr},
    {L"&Longest click", L"ms", 0.5, 5, 3, 1, nullptr, true},
};

CrackleKernel::CrackleKernel() : m_detector(kDetectOrder), m_filler(kFillOrder)
{
    Prepare({}, fxkit::TableValues(kCrackleParams, {}).data());
}

void CrackleKernel::Prepare(const fxkit::StreamShape& shape, const double* values)
{
    m_rate = shape.rate;
    // Room after the block for a click starting at its end, the forward error ringing on after
    // it and the sound the fill needs beyond it, at the longest setting.
    const size_t longest = size_t(std::ceil(m_rate * kCrackleParams[kCrackleLongest].maximum / 1000.0));
    const size_t lookahead =
        std::max<size_t>(kContext, longest + size_t(kDetectOrder + kFillOrder) + 2 * kEdgeReach + 8);
    m_size = kContext + kBlock + lookahead;
    m_channels.assign(size_t(std::max(shape.inChannels, 1)), Channel());
    m_found = 0;
    Update(values);
    Reset();
}

void CrackleKernel::Update(const double* values)
{
    // 16 times the spread at 0 %, 8 at 50 %, 4 at 100 %.
    m_factor = 16.0 * std::pow(2.0, -values[kCrackleSensitivity] / 50.0);
    m_longest = std::max<size_t>(1, size_t(std::lround(values[kCrackleLongest] * m_rate / 1000.0)));
}

void CrackleKernel::Reset()
{
    for (Channel& c : m_channels) {
        c.sound.assign(m_size, 0.0f);
        c.resumeAt = 0;
        c.skipping = false;
    }
    m_fill = m_size - kBlock;
    m_queue.assign(kBlock * m_channels.size(), 0.0f);
    m_queueRead = 0;
}

void CrackleKernel::Process(const float* in, float* out, size_t frames)
{
    const size_t ch = m_channels.size();
    while (frames > 0) {
        const size_t n = std::min(frames, m_size - m_fill);
        for (size_t c = 0; c < ch; ++c) {
            float* to = m_channels[c].sound.data() + m_fill;
            for (size_t i = 0; i < n; ++i)
                to[i] = in[i * ch + c];
        }
        std::memcpy(out, m_queue.data() + m_queueRead * ch, n * ch * sizeof(float));
        m_queueRead += n;
        m_fill += n;
        in += n * ch;
        out += n * ch;
        frames -= n;
        if (m_fill < m_size)
            continue;
        for (size_t c = 0; c < ch; ++c) {
            Channel& channel = m_channels[c];
            RunBlock(channel);
            float* sound = channel.sound.data();
            for (size_t i = 0; i < kBlock; ++i)
                m_queue[i * ch + c] = sound[i];
            std::memmove(sound, sound + kBlock, (m_size - kBlock) * sizeof(float));
            channel.resumeAt = channel.resumeAt > kBlock ? channel.resumeAt - kBlock : 0;
        }
        m_fill = m_size - kBlock;
        m_queueRead = 0;
    }
}

size_t CrackleKernel::EndOfRun(size_t from, size_t& last) const
{
    const size_t p = size_t(kDetectOrder);
    size_t i = from;
    for (; i < m_size && i <= last + p; ++i)
        if (std::fabs(ForwardError(i)) > m_edgeThreshold)
            last = i;
    return i;
}

bool CrackleKernel::Analyse(const float* sound)
{
    // The block and kContext frames each side.
    const size_t s = kContext;
    if (!m_detector.Fit(sound, kBlock + 2 * kContext))
        return false;
    m_errors.resize(m_size - kErrorsFrom);
    m_detector.ForwardErrors(sound + kErrorsFrom, m_errors.data(), m_size - kErrorsFrom);
    m_magnitudes.resize(kBlock);
    for (size_t i = 0; i < kBlock; ++i)
        m_magnitudes[i] = std::fabs(ForwardError(s + i));
    std::nth_element(m_magnitudes.begin(), m_magnitudes.begin() + kBlock / 2, m_magnitudes.end());
    const double spread = kSpreadOfMedian * m_magnitudes[kBlock / 2];
    m_threshold = std::max(kLeastThreshold, m_factor * spread);
    m_edgeThreshold = std::max(kLeastThreshold, kEdgeFactor * spread);
    return true;
}

void CrackleKernel::RunBlock(Channel& channel)
{
    float* sound = channel.sound.data();
    m_gaps.clear();
    if (!Analyse(sound)) {
        channel.skipping = false;
        channel.resumeAt = kContext + kBlock;
        return;
    }
    Scan(channel);
    if (m_gaps.empty())
        return;
    // The detector's short model fills a click roughly; a long one, fitted to the sound so
    // mended, carries the tones through it.
    if (!m_filler.Fit(sound, kBlock + 2 * kContext))
        return;
    for (const Gap& g : m_gaps)
        m_filler.Fill(sound + g.from, g.to - g.from);
}

void CrackleKernel::Scan(Channel& channel)
{
    const size_t s = kContext, end = kContext + kBlock, p = size_t(kDetectOrder);
    float* sound = channel.sound.data();
    auto over = [&](size_t i) { return std::fabs(ForwardError(i)) > m_threshold; };

    size_t n = std::max(s, channel.resumeAt);
    if (channel.skipping) {
        // A run too long for a click goes on from the block before: pass over the rest of it.
        size_t last = n;
        n = EndOfRun(n + 1, last);
        if (n >= m_size) {
            channel.resumeAt = last;
            return;
        }
        channel.skipping = false;
    }
    while (n < end) {
        if (!over(n)) {
            ++n;
            continue;
        }
        const size_t first = n;
        size_t last = n, i = n + 1;
        bool tooLong = false;
        // The run goes on while errors stand out of the edges' lower threshold: a long burst's
        // sparse start is part of it.
        for (; i <= last + p; ++i)
            if (std::fabs(ForwardError(i)) > m_edgeThreshold) {
                last = i;
                if (last - first > m_longest + p) {
                    tooLong = true;
                    break;
                }
            }
        if (tooLong) {
            // Longer than a click (a transient of the music): left alone, to its end.
            i = EndOfRun(last + 1, last);
            if (i >= m_size) {
                channel.skipping = true;
                channel.resumeAt = last;
                return;
            }
            n = i;
            continue;
        }
        // The click ends where the error looking ahead last stands out; none at or after its
        // start: an onset or a step, no click.
        size_t lastBack = 0;
        bool click = false;
        for (size_t j = last + 1; j-- > first;)
            if (std::fabs(m_detector.BackwardError(sound + j)) > m_threshold) {
                lastBack = j;
                click = true;
                break;
            }
        if (!click || lastBack - first + 1 > m_longest) {
            n = i;
            continue;
        }
        // Its quieter edges, down to a lower threshold: the forward error before it and the
        // backward error after it hold none of the click but what stands out.
        size_t start = first, stop = lastBack;
        for (size_t j = first - 1; j + kEdgeReach >= first && start - j <= kEdgeGap; --j)
            if (std::fabs(ForwardError(j)) > m_edgeThreshold)
                start = j;
        for (size_t j = lastBack + 1; j <= lastBack + kEdgeReach && j - stop <= kEdgeGap; ++j)
            if (std::fabs(m_detector.BackwardError(sound + j)) > m_edgeThreshold)
                stop = j;
        // Its edges fade into the noise where no error shows them: an eighth of its length more
        // each side takes them too.
        const size_t pad = std::min(kEdgeReach, kPad + (stop - start) / 8);
        const size_t from = start - pad, to = stop + pad + 1;
        // Filled roughly now, so that the blocks after it and the long model see no click.
        if (m_detector.Fill(sound + from, to - from)) {
            m_gaps.push_back({from, to});
            ++m_found;
        }
        n = std::max(i, to + p);
    }
    channel.skipping = false;
    channel.resumeAt = n;
}

} // namespace fx
