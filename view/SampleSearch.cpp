#include "SampleSearch.h"

#include "ComRef.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

int ReaderSampleBytes(int bits)
{
    return bits <= 8 ? 1 : bits <= 16 ? 2 : 4;
}

namespace {
double SampleAt(const void* data, int bits, size_t index)
{
    if (bits <= 8)
        return double(static_cast<const uint8_t*>(data)[index]) - 128.0;
    if (bits <= 16)
        return static_cast<const int16_t*>(data)[index];
    return static_cast<const float*>(data)[index];
}

// Exactly one of the two below zero, or both at or above zero with exactly one of them 0.
bool IsCrossing(double previous, double current)
{
    bool pn = previous < 0, cn = current < 0;
    if (pn != cn)
        return true;
    return !pn && ((previous == 0) != (current == 0));
}

class ReaderSession {
public:
    explicit ReaderSession(IMtTrack* track)
    {
        if (track && SUCCEEDED(track->CreateReader(m_reader.Out(), 0)))
            m_reader->QueryInterface(__uuidof(IMtReaderSeek), reinterpret_cast<void**>(m_seek.Out()));
    }
    ~ReaderSession()
    {
        if (m_started)
            m_reader->EndRead();
    }
    bool Begin(int64_t from, int64_t to)
    {
        if (!m_reader || !m_seek)
            return false;
        LONGLONG s = from, e = to;
        if (FAILED(m_reader->SetRange(&s, &e)))
            return false;
        if (!m_started && FAILED(m_reader->BeginRead()))
            return false;
        m_started = true;
        return SUCCEEDED(m_seek->Seek(from));
    }
    // Frames read (0 on failure).
    uint32_t Read(void* buffer, uint32_t frames, int frameBytes)
    {
        DWORD got = 0;
        if (FAILED(m_reader->Read(buffer, frames * DWORD(frameBytes), &got)))
            return 0;
        return got / DWORD(frameBytes);
    }

private:
    ComRef<IMtItem> m_reader;
    ComRef<IMtReaderSeek> m_seek;
    bool m_started = false;
};
} // namespace

int64_t FindZeroCrossing(const SearchChannel& c, bool forward, int64_t from, int64_t to, void* buffer,
                         uint32_t blockFrames)
{
    const int64_t S = c.start, E = c.start + c.length - 1;
    if (forward && from >= E)
        return E;
    if (!forward && from < S)
        return S;
    const int frameBytes = ReaderSampleBytes(c.bits) * c.channels;
    ReaderSession reader(c.track);
    double previous = 0;
    bool seenFirst = false;
    if (forward) {
        if (from == to)
            to = E;
        if (!reader.Begin(from, to))
            return E;
        for (int64_t block = from;;) {
            uint32_t got = reader.Read(buffer, blockFrames, frameBytes);
            for (uint32_t i = 0; i < got; ++i) {
                double v = SampleAt(buffer, c.bits, size_t(i) * c.channels + c.channel);
                if (IsCrossing(previous, v)) {
                    if (seenFirst)
                        return block + i;
                    seenFirst = true;
                }
                previous = v;
            }
            block += got;
            if (got < blockFrames)
                return E;
        }
    }
    for (int64_t pos = from; pos > S;) {
        uint32_t count = uint32_t(std::min<int64_t>(blockFrames, pos - S));
        int64_t blockStart = pos - count;
        if (!reader.Begin(blockStart, pos))
            break;
        uint32_t got = reader.Read(buffer, count, frameBytes);
        for (uint32_t i = got; i-- > 0;) {
            double v = SampleAt(buffer, c.bits, size_t(i) * c.channels + c.channel);
            if (IsCrossing(previous, v)) {
                if (seenFirst)
                    return blockStart + i + 1;
                seenFirst = true;
            }
            previous = v;
        }
        if (got < count)
            break;
        pos = blockStart;
    }
    return S;
}

namespace {
// The largest magnitude of n samples spaced stride floats apart; four at a time for mono and
// stereo (the channel's lanes picked out of two frames' loads), one at a time otherwise.
float ChunkMaximum(const float* q, uint32_t n, int stride)
{
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    __m128 acc = _mm_setzero_ps();
    uint32_t i = 0;
    if (stride == 1) {
        for (; i + 4 <= n; i += 4)
            acc = _mm_max_ps(acc, _mm_and_ps(_mm_loadu_ps(q + i), absMask));
    } else if (stride == 2) {
        for (; i + 4 <= n; i += 4) {
            __m128 a = _mm_loadu_ps(q + size_t(i) * 2), b = _mm_loadu_ps(q + size_t(i) * 2 + 4);
            acc = _mm_max_ps(acc, _mm_and_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)), absMask));
        }
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, acc);
    float m = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
    for (; i < n; ++i)
        m = std::max(m, std::fabs(q[size_t(i) * stride]));
    return m;
}
} // namespace

int64_t ScanMaximum(const void* samples, int bits, uint32_t count, int stride, double* best)
{
    int64_t found = -1;
    double top = *best;
    if (bits <= 8) {
        auto p = static_cast<const uint8_t*>(samples);
        for (uint32_t i = 0; i < count; ++i) {
            double m = std::abs(int(p[size_t(i) * stride]) - 128);
            if (m > top)
                top = m, found = i;
        }
    } else if (bits <= 16) {
        auto p = static_cast<const int16_t*>(samples);
        for (uint32_t i = 0; i < count; ++i) {
            double m = std::abs(int(p[size_t(i) * stride]));
            if (m > top)
                top = m, found = i;
        }
    } else {
        // Chunks: the chunk's largest magnitude first (four independent lanes), and only when
        // it beats the best so far the chunk again for its first sample of that magnitude.
        auto p = static_cast<const float*>(samples);
        float t = float(top);
        constexpr uint32_t kChunk = 1024;
        for (uint32_t base = 0; base < count; base += kChunk) {
            const uint32_t n = std::min(kChunk, count - base);
            const float* q = p + size_t(base) * stride;
            const float m = ChunkMaximum(q, n, stride);
            if (!(m > t))
                continue;
            for (uint32_t i = 0; i < n; ++i)
                if (std::fabs(q[size_t(i) * stride]) == m) {
                    found = base + i;
                    break;
                }
            t = m;
        }
        top = t;
    }
    *best = top;
    return found;
}

int64_t FindMaximumPoint(const SearchChannel& c, int64_t from, int64_t to, void* buffer, uint32_t blockFrames,
                         const SearchProgress& progress)
{
    const int64_t S = c.start, end = c.start + c.length;
    if (to < S || end < from)
        return -1;
    const int sampleBytes = ReaderSampleBytes(c.bits);
    const int frameBytes = sampleBytes * c.channels;
    ReaderSession reader(c.track);
    if (!reader.Begin(from, to))
        return -1;
    double best = 0;
    int64_t found = 0;
    for (int64_t block = from;;) {
        uint32_t got = reader.Read(buffer, blockFrames, frameBytes);
        const char* first = static_cast<const char*>(buffer) + size_t(c.channel) * sampleBytes;
        int64_t at = ScanMaximum(first, c.bits, got, c.channels, &best);
        if (at >= 0)
            found = block + at;
        block += got;
        if (progress && to > 0) {
            int percent = int(double(block) / double(to) * 100.0 + 0.5);
            if (progress(percent))
                return -1;
        }
        if (got < blockFrames)
            break;
    }
    return found;
}
