#include "MixKernel.h"

#include "PcmCodec.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

// One linear piece of an envelope: value v0 at the asked position, slope per frame, up to
// (not including) end.
struct Piece {
    double v0;
    double slope;
    int64_t end;
};

Piece PieceAt(const MixEnvelope& e, int64_t p, bool automation)
{
    const std::vector<MixPoint>& pts = e.points;
    if (!automation || pts.empty())
        return {e.initial, 0.0, kNever};
    if (p < pts.front().position)
        return {pts.front().value, 0.0, pts.front().position};
    if (p >= pts.back().position)
        return {pts.back().value, 0.0, kNever};
    auto it = std::upper_bound(pts.begin(), pts.end(), p, [](int64_t v, const MixPoint& q) { return v < q.position; });
    const MixPoint& a = *(it - 1);
    const MixPoint& b = *it;
    const double slope = (static_cast<double>(b.value) - a.value) / static_cast<double>(b.position - a.position);
    return {a.value + slope * static_cast<double>(p - a.position), slope, b.position};
}

float Clamp(float v, float lo, float hi)
{
    return std::max(lo, std::min(hi, v));
}

float ScaleOf(MixSampleKind k)
{
    return k == MixSampleKind::S16 ? 1.0f / 32768.0f : k == MixSampleKind::U8 ? 1.0f / 128.0f : 1.0f;
}

// Sample i of a source in its own units (unscaled).
template <MixSampleKind K>
inline float Raw(const void* src, size_t i);
template <>
inline float Raw<MixSampleKind::F32>(const void* src, size_t i)
{
    return static_cast<const float*>(src)[i];
}
template <>
inline float Raw<MixSampleKind::S16>(const void* src, size_t i)
{
    return static_cast<const int16_t*>(src)[i];
}
template <>
inline float Raw<MixSampleKind::U8>(const void* src, size_t i)
{
    return static_cast<float>(static_cast<int>(static_cast<const uint8_t*>(src)[i]) - 128);
}

float SampleAt(const MixSource& s, size_t i)
{
    switch (s.kind) {
    case MixSampleKind::U8:
        return pcm::U8ToFloat(static_cast<const uint8_t*>(s.data)[i]);
    case MixSampleKind::S16:
        return pcm::S16ToFloat(static_cast<const int16_t*>(s.data)[i]);
    default:
        return Raw<MixSampleKind::F32>(s.data, i);
    }
}

// Four frames from f on as two vectors of left/right pairs: channels C (1: the one sample to
// both sides; 2: left and right), frames packed C samples apart.
template <MixSampleKind K, int C>
inline void Load4(const void* src, int f, __m128* a, __m128* b);

template <>
inline void Load4<MixSampleKind::F32, 2>(const void* src, int f, __m128* a, __m128* b)
{
    const float* s = static_cast<const float*>(src) + 2 * f;
    *a = _mm_loadu_ps(s);
    *b = _mm_loadu_ps(s + 4);
}
template <>
inline void Load4<MixSampleKind::F32, 1>(const void* src, int f, __m128* a, __m128* b)
{
    __m128 x = _mm_loadu_ps(static_cast<const float*>(src) + f);
    *a = _mm_unpacklo_ps(x, x);
    *b = _mm_unpackhi_ps(x, x);
}
template <>
inline void Load4<MixSampleKind::S16, 2>(const void* src, int f, __m128* a, __m128* b)
{
    pcm::WidenS16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(static_cast<const int16_t*>(src) + 2 * f)), a, b);
}
template <>
inline void Load4<MixSampleKind::S16, 1>(const void* src, int f, __m128* a, __m128* b)
{
    __m128 x, unused;
    pcm::WidenS16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(static_cast<const int16_t*>(src) + f)), &x,
                  &unused);
    *a = _mm_unpacklo_ps(x, x);
    *b = _mm_unpackhi_ps(x, x);
}
template <>
inline void Load4<MixSampleKind::U8, 2>(const void* src, int f, __m128* a, __m128* b)
{
    int32_t lo, hi;
    std::memcpy(&lo, static_cast<const uint8_t*>(src) + 2 * f, 4);
    std::memcpy(&hi, static_cast<const uint8_t*>(src) + 2 * f + 4, 4);
    *a = _mm_cvtepi32_ps(pcm::WidenU8(lo));
    *b = _mm_cvtepi32_ps(pcm::WidenU8(hi));
}
template <>
inline void Load4<MixSampleKind::U8, 1>(const void* src, int f, __m128* a, __m128* b)
{
    int32_t four;
    std::memcpy(&four, static_cast<const uint8_t*>(src) + f, 4);
    __m128 x = _mm_cvtepi32_ps(pcm::WidenU8(four));
    *a = _mm_unpacklo_ps(x, x);
    *b = _mm_unpackhi_ps(x, x);
}

// Gains of frame f of a stretch: the same pair throughout, a straight ramp, or a table.
struct ConstantGain {
    float l, r;
    __m128 v;
    ConstantGain(float gl, float gr) : l(gl), r(gr), v(_mm_setr_ps(gl, gr, gl, gr)) {}
    __m128 Pair(int) const { return v; }
    float Left(int) const { return l; }
    float Right(int) const { return r; }
};

struct RampGain {
    float l0, r0, dl, dr;
    __m128 v0, dv, step;
    RampGain(float gl, float gr, float sl, float sr)
        : l0(gl), r0(gr), dl(sl), dr(sr), v0(_mm_setr_ps(gl, gr, gl, gr)), dv(_mm_setr_ps(sl, sr, sl, sr)),
          step(_mm_setr_ps(0.0f, 0.0f, 1.0f, 1.0f))
    {
    }
    // Gains of frames f and f + 1, each worked out from the start (no drift along the ramp).
    __m128 Pair(int f) const
    {
        __m128 at = _mm_add_ps(_mm_set1_ps(static_cast<float>(f)), step);
        return _mm_add_ps(v0, _mm_mul_ps(at, dv));
    }
    float Left(int f) const { return l0 + static_cast<float>(f) * dl; }
    float Right(int f) const { return r0 + static_cast<float>(f) * dr; }
};

struct TableGain {
    const float* g; // interleaved left/right
    __m128 Pair(int f) const { return _mm_loadu_ps(g + 2 * f); }
    float Left(int f) const { return g[2 * f]; }
    float Right(int f) const { return g[2 * f + 1]; }
};

// out[2f] += left sample x left gain, out[2f + 1] += right sample x right gain, f < n.
template <MixSampleKind K, int C, class Gain>
void Accumulate(const void* src, int n, float* out, const Gain& g)
{
    int f = 0;
    for (; f + 4 <= n; f += 4) {
        __m128 a, b;
        Load4<K, C>(src, f, &a, &b);
        float* o = out + 2 * f;
        _mm_storeu_ps(o, _mm_add_ps(_mm_loadu_ps(o), _mm_mul_ps(a, g.Pair(f))));
        _mm_storeu_ps(o + 4, _mm_add_ps(_mm_loadu_ps(o + 4), _mm_mul_ps(b, g.Pair(f + 2))));
    }
    for (; f < n; ++f) {
        out[2 * f] += Raw<K>(src, static_cast<size_t>(C) * f) * g.Left(f);
        out[2 * f + 1] += Raw<K>(src, static_cast<size_t>(C) * f + (C - 1)) * g.Right(f);
    }
}

// Frames `stride` samples apart, left from sample l and right from sample r of each.
template <MixSampleKind K, class Gain>
void AccumulateStrided(const void* src, int stride, int l, int r, int n, float* out, const Gain& g)
{
    for (int f = 0; f < n; ++f) {
        const size_t at = static_cast<size_t>(stride) * f;
        out[2 * f] += Raw<K>(src, at + l) * g.Left(f);
        out[2 * f + 1] += Raw<K>(src, at + r) * g.Right(f);
    }
}

template <MixSampleKind K, class Gain>
void AccumulateKind(const MixSource& s, int trackChannels, int n, float* out, const Gain& g)
{
    const int right = trackChannels >= 2 && s.channels >= 2 ? 1 : 0;
    if (s.channels == 1)
        Accumulate<K, 1>(s.data, n, out, g);
    else if (s.channels == 2 && right == 1)
        Accumulate<K, 2>(s.data, n, out, g);
    else
        AccumulateStrided<K>(s.data, s.channels, 0, right, n, out, g);
}

template <class Gain>
void AccumulateSource(const MixSource& s, int trackChannels, int n, float* out, const Gain& g)
{
    switch (s.kind) {
    case MixSampleKind::U8:
        AccumulateKind<MixSampleKind::U8>(s, trackChannels, n, out, g);
        break;
    case MixSampleKind::S16:
        AccumulateKind<MixSampleKind::S16>(s, trackChannels, n, out, g);
        break;
    default:
        AccumulateKind<MixSampleKind::F32>(s, trackChannels, n, out, g);
    }
}

MixSource Advance(const MixSource& s, int frames)
{
    const size_t bytes = s.kind == MixSampleKind::U8 ? 1 : s.kind == MixSampleKind::S16 ? 2 : 4;
    MixSource out = s;
    out.data = static_cast<const uint8_t*>(s.data) + bytes * s.channels * static_cast<size_t>(frames);
    return out;
}

} // namespace

float MixEnvelope::ValueAt(int64_t position) const
{
    return static_cast<float>(PieceAt(*this, position, true).v0);
}

void MixKernel::Prepare(const MixSettings& settings)
{
    m_s = settings;
    m_s.maxBlock = std::max(1, m_s.maxBlock);
    m_stereo.assign(m_s.outputChannels == 1 ? 2 * static_cast<size_t>(m_s.maxBlock) : 0, 0.0f);
    m_gains.assign(2 * static_cast<size_t>(m_s.maxBlock), 0.0f);
}

void MixKernel::Process(const MixInput* inputs, size_t count, int frames, float* out)
{
    const int oc = m_s.outputChannels;
    std::fill(out, out + static_cast<size_t>(frames) * oc, 0.0f);
    float* stereo = oc == 2 ? out : m_stereo.data();
    if (oc == 1)
        std::fill(stereo, stereo + 2 * static_cast<size_t>(frames), 0.0f);
    for (size_t i = 0; i < count; ++i) {
        const MixInput& in = inputs[i];
        const MixTrack& t = *in.track;
        const int firstFrame = static_cast<int>(std::max<int64_t>(0, -in.trackPosition));
        for (size_t r = 0; r < in.runCount; ++r) {
            if (oc == 6 || t.channels > 2)
                AddGeneral(t, in.trackPosition, in.runs[r], firstFrame, out, stereo);
            else
                AddStereo(t, in.trackPosition, in.runs[r], stereo);
        }
    }
    if (oc == 1)
        for (int f = 0; f < frames; ++f)
            out[f] = 0.5f * (stereo[2 * f] + stereo[2 * f + 1]);
}

void MixKernel::FillGains(const MixTrack& t, int64_t trackPosition, int at, int count, float scale, float* gains) const
{
    const float base = t.volume * m_s.master;
    for (int i = 0; i < count;) {
        const int64_t p = trackPosition + at + i;
        const Piece lv = PieceAt(t.level, p, m_s.readAutomation);
        const Piece pv = PieceAt(t.panEnv, p, m_s.readAutomation);
        const int n = static_cast<int>(std::min<int64_t>({count - i, lv.end - p, pv.end - p}));
        const float l0 = static_cast<float>(lv.v0), dl = static_cast<float>(lv.slope);
        const float p0 = static_cast<float>(pv.v0), dp = static_cast<float>(pv.slope);
        float* g = gains + 2 * i;
        for (int j = 0; j < n; ++j) {
            const float l = (l0 + static_cast<float>(j) * dl) * base;
            const float pan = Clamp(t.pan + (p0 + static_cast<float>(j) * dp), -1.0f, 1.0f);
            g[2 * j] = l * std::min(1.0f, 1.0f - pan) * scale;
            g[2 * j + 1] = l * std::min(1.0f, 1.0f + pan) * scale;
        }
        i += n;
    }
}

void MixKernel::AddStereo(const MixTrack& t, int64_t trackPosition, const MixRun& run, float* stereo)
{
    const float base = t.volume * m_s.master;
    const float k = ScaleOf(run.source.kind);
    for (int i = 0; i < run.count;) {
        const int at = run.at + i;
        const int64_t p = trackPosition + at;
        const Piece lv = PieceAt(t.level, p, m_s.readAutomation);
        const Piece pv = PieceAt(t.panEnv, p, m_s.readAutomation);
        const int n = static_cast<int>(std::min<int64_t>({run.count - i, lv.end - p, pv.end - p}));
        const MixSource src = Advance(run.source, i);
        float* o = stereo + 2 * static_cast<size_t>(at);
        if (pv.slope == 0.0) {
            // Pan fixed over the stretch: both gains are straight lines in the level.
            const float pan = Clamp(t.pan + static_cast<float>(pv.v0), -1.0f, 1.0f);
            const float fl = std::min(1.0f, 1.0f - pan), fr = std::min(1.0f, 1.0f + pan);
            const float l = static_cast<float>(lv.v0) * base;
            if (lv.slope == 0.0) {
                AccumulateSource(src, t.channels, n, o, ConstantGain(l * fl * k, l * fr * k));
            } else {
                const float dl = static_cast<float>(lv.slope) * base;
                AccumulateSource(src, t.channels, n, o, RampGain(l * fl * k, l * fr * k, dl * fl * k, dl * fr * k));
            }
        } else {
            FillGains(t, trackPosition, at, n, k, m_gains.data());
            AccumulateSource(src, t.channels, n, o, TableGain{m_gains.data()});
        }
        i += n;
    }
}

void MixKernel::AddGeneral(const MixTrack& t, int64_t trackPosition, const MixRun& run, int firstFrame, float* out,
                           float* stereo)
{
    FillGains(t, trackPosition, run.at, run.count, 1.0f, m_gains.data());
    const float* g = m_gains.data();
    const int tc = std::min(t.channels, 8);
    const MixSource& s = run.source;
    // A frame of the track: a mono item feeds every channel, a wider one its first channels.
    float f[8];
    auto load = [&](int j) {
        const size_t first = static_cast<size_t>(s.channels) * j;
        for (int c = 0; c < tc; ++c)
            f[c] = s.channels == 1 ? SampleAt(s, first) : c < s.channels ? SampleAt(s, first + c) : 0.0f;
    };
    if (m_s.outputChannels != 6) {
        for (int j = 0; j < run.count; ++j) {
            load(j);
            float l, r;
            if (tc == 6) {
                l = f[0] + 0.7071f * f[2] + 0.7071f * f[4];
                r = f[1] + 0.7071f * f[2] + 0.7071f * f[5];
            } else {
                l = f[0];
                r = tc >= 2 ? f[1] : f[0];
            }
            float* o = stereo + 2 * static_cast<size_t>(run.at + j);
            o[0] += l * g[2 * j];
            o[1] += r * g[2 * j + 1];
        }
        return;
    }
    const int64_t rel = trackPosition + firstFrame;
    const bool a = m_s.readAutomation;
    const float fr = Clamp(t.frontRear + static_cast<float>(PieceAt(t.frontRearEnv, rel, a).v0), -1.0f, 1.0f);
    const float front = 1.0f - std::max(fr, 0.0f);
    const float rear = std::max(fr, 0.0f);
    const float centre = std::max(0.0f, t.centre + static_cast<float>(PieceAt(t.centreEnv, rel, a).v0));
    const float lfe = std::max(0.0f, t.lfe + static_cast<float>(PieceAt(t.lfeEnv, rel, a).v0));
    for (int j = 0; j < run.count; ++j) {
        load(j);
        const float gl = g[2 * j], gr = g[2 * j + 1];
        float* o = out + 6 * static_cast<size_t>(run.at + j);
        const float level = 0.5f * (gl + gr); // for the centre and LFE feeds
        if (tc == 6) {
            o[0] += f[0] * gl;
            o[1] += f[1] * gr;
            o[2] += f[2] * level * centre;
            o[3] += f[3] * level * lfe;
            o[4] += f[4] * gl;
            o[5] += f[5] * gr;
        } else if (tc == 1 && (t.speakerMask == 4 || t.speakerMask == 8)) {
            o[t.speakerMask == 4 ? 2 : 3] += f[0] * level * (t.speakerMask == 4 ? centre : lfe);
        } else {
            const float l = f[0], r = tc >= 2 ? f[1] : f[0];
            o[0] += l * gl * front;
            o[1] += r * gr * front;
            o[4] += l * gl * rear;
            o[5] += r * gr * rear;
        }
    }
}
