#include "MixReader.h"

#include "ContentIO.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kBlock = 2048;

// Accumulates n frames of an item (IC channels, sample type T) into stereo output, left
// from channel 0 and right from channel 1 (or 0 for one channel).
template <class T>
inline float Sample(const T* p);
template <>
inline float Sample<int16_t>(const int16_t* p) { return static_cast<float>(*p); }
template <>
inline float Sample<float>(const float* p) { return *p; }
template <>
inline float Sample<uint8_t>(const uint8_t* p) { return static_cast<float>(static_cast<int>(*p) - 128); }

template <class T, int IC>
void AccumulateConstant(const uint8_t* src, int n, float* out, float gl, float gr)
{
    const T* s = reinterpret_cast<const T*>(src);
    constexpr int r = IC == 2 ? 1 : 0;
    for (int i = 0; i < n; ++i) {
        out[2 * i] += Sample<T>(s + IC * i) * gl;
        out[2 * i + 1] += Sample<T>(s + IC * i + r) * gr;
    }
}

template <class T, int IC>
void AccumulateRamp(const uint8_t* src, int n, float* out, const float* gl, const float* gr)
{
    const T* s = reinterpret_cast<const T*>(src);
    constexpr int r = IC == 2 ? 1 : 0;
    for (int i = 0; i < n; ++i) {
        out[2 * i] += Sample<T>(s + IC * i) * gl[i];
        out[2 * i + 1] += Sample<T>(s + IC * i + r) * gr[i];
    }
}

template <class T>
void AccumulateStereo(int itemChannels, const uint8_t* src, int n, float* out, bool ramp, float gl, float gr,
                      const float* gls, const float* grs)
{
    if (itemChannels == 1) {
        if (ramp)
            AccumulateRamp<T, 1>(src, n, out, gls, grs);
        else
            AccumulateConstant<T, 1>(src, n, out, gl, gr);
    } else {
        if (ramp)
            AccumulateRamp<T, 2>(src, n, out, gls, grs);
        else
            AccumulateConstant<T, 2>(src, n, out, gl, gr);
    }
}

float Scale(SampleKind k) { return k == SampleKind::S16 ? 1.0f / 32768.0f : k == SampleKind::U8 ? 1.0f / 128.0f : 1.0f; }

float Clamp(float v, float lo, float hi) { return std::max(lo, std::min(hi, v)); }

class CMixReader : public ComObject<IMtMixReader> {
public:
    CMixReader(CTrackSet::MixSnapshot snapshot, int outputChannels)
        : m_s(std::move(snapshot)), m_out(outputChannels)
    {
        bool anySolo = std::any_of(m_s.tracks.begin(), m_s.tracks.end(), [](const TrackSnapshot& t) { return t.solo; });
        for (const TrackSnapshot& t : m_s.tracks) {
            bool audible = !t.silenced && (anySolo ? t.solo : !t.mute);
            if (audible && t.content->Length() > 0)
                m_tracks.push_back(&t);
        }
        if (m_s.rangeEnd > m_s.rangeStart) {
            m_start = m_s.rangeStart;
            m_end = m_s.rangeEnd;
        } else {
            m_start = 0;
            m_end = m_s.length;
        }
        m_position = m_start;
        m_level.resize(kBlock);
        m_pan.resize(kBlock);
        m_gainL.resize(kBlock);
        m_gainR.resize(kBlock);
        m_stereo.resize(2 * kBlock);
        m_frames.resize(6 * kBlock);
    }

    STDMETHODIMP SetRange(LONGLONG start, LONGLONG end) override
    {
        if (end < 0)
            end = m_s.length;
        if (end < start)
            return E_INVALIDARG;
        m_start = start;
        m_end = end;
        m_position = start;
        return S_OK;
    }
    STDMETHODIMP Read(float* buffer, DWORD frames, DWORD* read) override
    {
        if (read)
            *read = 0;
        if (!buffer || !read)
            return E_POINTER;
        LONGLONG total = std::min<LONGLONG>(frames, std::max<LONGLONG>(0, m_end - m_position));
        try {
            for (LONGLONG done = 0; done < total;) {
                int n = static_cast<int>(std::min<LONGLONG>(kBlock, total - done));
                MixBlock(m_position, n, buffer + done * m_out);
                m_position += n;
                done += n;
            }
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        *read = static_cast<DWORD>(total);
        return S_OK;
    }
    STDMETHODIMP Seek(LONGLONG position) override
    {
        m_position = position;
        return S_OK;
    }
    STDMETHODIMP GetPosition(LONGLONG* position) override
    {
        if (!position)
            return E_POINTER;
        *position = m_position;
        return S_OK;
    }
    STDMETHODIMP GetFormat(MtClipFormat* format) override
    {
        if (!format)
            return E_POINTER;
        format->samplesPerSec = m_s.format.rate;
        format->bitsPerSample = 32;
        format->channels = static_cast<WORD>(m_out);
        return S_OK;
    }

private:
    // Level and pan of a track over [position, position + n): constant (false) or per frame.
    bool Gains(const TrackSnapshot& t, LONGLONG position, int n, float* gl, float* gr)
    {
        const EnvelopeData& levelEnv = t.envelopes[kMtEnvLevel];
        const EnvelopeData& panEnv = t.envelopes[kMtEnvPan];
        const float base = t.volume * m_s.master;
        LONGLONG rel = position - t.start;
        float lv, pv;
        bool constant;
        if (!m_s.readAutomation) {
            lv = levelEnv.Initial();
            pv = panEnv.Initial();
            constant = true;
        } else {
            bool lc = levelEnv.IsConstantOver(rel, n, &lv);
            bool pc = panEnv.IsConstantOver(rel, n, &pv);
            constant = lc && pc;
            if (!constant) {
                if (lc)
                    std::fill(m_level.begin(), m_level.begin() + n, lv);
                else
                    levelEnv.Fill(rel, n, m_level.data());
                if (pc)
                    std::fill(m_pan.begin(), m_pan.begin() + n, pv);
                else
                    panEnv.Fill(rel, n, m_pan.data());
                for (int i = 0; i < n; ++i) {
                    float l = m_level[i] * base;
                    float p = Clamp(t.pan + m_pan[i], -1.0f, 1.0f);
                    m_gainL[i] = l * std::min(1.0f, 1.0f - p);
                    m_gainR[i] = l * std::min(1.0f, 1.0f + p);
                }
                return false;
            }
        }
        float l = lv * base;
        float p = Clamp(t.pan + pv, -1.0f, 1.0f);
        *gl = l * std::min(1.0f, 1.0f - p);
        *gr = l * std::min(1.0f, 1.0f + p);
        return true;
    }

    void MixBlock(LONGLONG position, int n, float* out)
    {
        std::fill(out, out + static_cast<size_t>(n) * m_out, 0.0f);
        float* stereo = m_out == 2 ? out : m_stereo.data();
        if (m_out == 1)
            std::fill(stereo, stereo + 2 * n, 0.0f);
        for (const TrackSnapshot* t : m_tracks) {
            LONGLONG a = std::max(position, t->start);
            LONGLONG b = std::min(position + n, t->start + t->content->Length());
            if (a >= b)
                continue;
            float gl = 0, gr = 0;
            bool constant = Gains(*t, a, static_cast<int>(b - a), &gl, &gr);
            const int offset = static_cast<int>(a - position);
            if (m_out == 6 || t->format.channels > 2)
                MixGeneral(*t, a, static_cast<int>(b - a), out + offset * m_out, stereo + offset * 2, constant, gl, gr);
            else
                MixStereo(*t, a, static_cast<int>(b - a), stereo + offset * 2, constant, gl, gr);
        }
        if (m_out == 1)
            for (int i = 0; i < n; ++i)
                out[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    }

    // Mono and stereo tracks into two channels, straight from the items' samples.
    void MixStereo(const TrackSnapshot& t, LONGLONG a, int n, float* out, bool constant, float gl, float gr)
    {
        const Content& c = *t.content;
        LONGLONG rel = a - t.start;
        int done = 0;
        for (size_t i = c.FindSegment(rel); done < n && i < c.SegmentCount(); ++i) {
            const Segment& s = c.SegmentAt(i);
            LONGLONG segStart = c.SegmentStart(i);
            LONGLONG from = rel + done;
            int count = static_cast<int>(std::min<LONGLONG>(n - done, segStart + s.length - from));
            if (count <= 0)
                continue;
            if (s.item) {
                const ItemData& item = *s.item;
                const uint8_t* src = item.FrameAt(s.offset + (from - segStart));
                const int ic = std::min<int>(item.Format().channels, t.format.channels >= 2 ? 2 : 1);
                const float k = Scale(item.Kind());
                float* o = out + 2 * done;
                if (!constant)
                    for (int j = 0; j < count; ++j) {
                        m_scaledL[j] = m_gainL[done + j] * k;
                        m_scaledR[j] = m_gainR[done + j] * k;
                    }
                const float* sl = m_scaledL;
                const float* sr = m_scaledR;
                if (item.Format().channels > 2) {
                    // More item channels than the two used: walk by the item's frame size.
                    for (int j = 0; j < count; ++j) {
                        const uint8_t* f = src + static_cast<size_t>(j) * item.FrameBytes();
                        int bps = BytesPerSample(item.Format().bits);
                        o[2 * j] += LoadFloat(f, item.Kind()) * (constant ? gl : m_gainL[done + j]);
                        o[2 * j + 1] += LoadFloat(f + (ic == 2 ? bps : 0), item.Kind()) * (constant ? gr : m_gainR[done + j]);
                    }
                } else {
                    int channels = item.Format().channels == 2 && ic == 2 ? 2 : item.Format().channels;
                    switch (item.Kind()) {
                    case SampleKind::S16:
                        AccumulateStereo<int16_t>(channels, src, count, o, !constant, gl * k, gr * k, sl, sr);
                        break;
                    case SampleKind::U8:
                        AccumulateStereo<uint8_t>(channels, src, count, o, !constant, gl * k, gr * k, sl, sr);
                        break;
                    default:
                        AccumulateStereo<float>(channels, src, count, o, !constant, gl * k, gr * k, sl, sr);
                    }
                }
            }
            done += count;
        }
    }

    // Everything else: the track's frames as floats, then the channel rules.
    void MixGeneral(const TrackSnapshot& t, LONGLONG a, int n, float* out, float* stereo, bool constant, float gl,
                    float gr)
    {
        const int tc = t.format.channels;
        ReadContentFloat(*t.content, a - t.start, n, tc, m_frames.data());
        const float* x = m_frames.data();
        auto GL = [&](int i) { return constant ? gl : m_gainL[i]; };
        auto GR = [&](int i) { return constant ? gr : m_gainR[i]; };
        if (m_out != 6) {
            for (int i = 0; i < n; ++i) {
                const float* f = x + i * tc;
                float l, r;
                if (tc == 6) {
                    l = f[0] + 0.7071f * f[2] + 0.7071f * f[4];
                    r = f[1] + 0.7071f * f[2] + 0.7071f * f[5];
                } else {
                    l = f[0];
                    r = tc >= 2 ? f[1] : f[0];
                }
                stereo[2 * i] += l * GL(i);
                stereo[2 * i + 1] += r * GR(i);
            }
            return;
        }
        LONGLONG rel = a - t.start;
        const bool automation = m_s.readAutomation;
        auto env = [&](LONG kind) {
            return automation ? t.envelopes[kind].ValueAt(rel) : t.envelopes[kind].Initial();
        };
        const float fr = Clamp(t.frontRear + env(kMtEnvFrontRear), -1.0f, 1.0f);
        const float front = 1.0f - std::max(fr, 0.0f);
        const float rear = std::max(fr, 0.0f);
        const float centre = std::max(0.0f, t.center + env(kMtEnvCenter));
        const float lfe = std::max(0.0f, t.lfe + env(kMtEnvLfe));
        for (int i = 0; i < n; ++i) {
            const float* f = x + i * tc;
            float* o = out + 6 * i;
            float level = 0.5f * (GL(i) + GR(i));  // for the centre and LFE feeds
            if (tc == 6) {
                o[0] += f[0] * GL(i);
                o[1] += f[1] * GR(i);
                o[2] += f[2] * level * centre;
                o[3] += f[3] * level * lfe;
                o[4] += f[4] * GL(i);
                o[5] += f[5] * GR(i);
            } else if (tc == 1 && (t.speakerMask == 4 || t.speakerMask == 8)) {
                o[t.speakerMask == 4 ? 2 : 3] += f[0] * level * (t.speakerMask == 4 ? centre : lfe);
            } else {
                float l = f[0], r = tc >= 2 ? f[1] : f[0];
                o[0] += l * GL(i) * front;
                o[1] += r * GR(i) * front;
                o[4] += l * GL(i) * rear;
                o[5] += r * GR(i) * rear;
            }
        }
    }

    CTrackSet::MixSnapshot m_s;
    int m_out;
    std::vector<const TrackSnapshot*> m_tracks;
    LONGLONG m_start = 0, m_end = 0, m_position = 0;
    std::vector<float> m_level, m_pan, m_gainL, m_gainR, m_stereo, m_frames;
    float m_scaledL[kBlock];
    float m_scaledR[kBlock];
};

} // namespace

IMtMixReader* CreateMixReaderFor(CTrackSet::MixSnapshot snapshot, int outputChannels)
{
    return ComObject<IMtMixReader>::Create<CMixReader>(std::move(snapshot), outputChannels);
}
