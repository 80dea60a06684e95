// The mixing kernel against the per-frame mix it replaced: envelopes evaluated frame by frame,
// gains worked out per frame, over a table of tracks, envelopes, sample kinds and block sizes.
#include "MixKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct TrackCase {
    MixSampleKind kind = MixSampleKind::S16;
    int itemChannels = 2;
    int trackChannels = 2;
    int64_t start = 0;
    int64_t length = 1000;
    int64_t holeStart = 0, holeEnd = 0; // silence inside the track (no samples)
    float volume = 0.8f;
    float pan = 0.0f;
    std::vector<MixPoint> level, panPoints;
    uint32_t speakerMask = 0;
    float frontRear = 0.0f;
    std::vector<MixPoint> frontRearEnv;
};

struct KernelCase {
    std::string name;
    int out;
    int block;
    bool automation;
    std::vector<TrackCase> tracks;
    int64_t from = 0, to = 1000; // mixed range
    float master = 0.9f;
};

// The envelope as the per-frame mix read it: interpolated in double from the point before.
float OldEnvelope(const std::vector<MixPoint>& pts, float initial, int64_t p)
{
    if (pts.empty())
        return initial;
    if (p <= pts.front().position)
        return pts.front().value;
    if (p >= pts.back().position)
        return pts.back().value;
    size_t b = 1;
    while (pts[b].position <= p)
        ++b;
    const MixPoint& a = pts[b - 1];
    const double slope =
        (static_cast<double>(pts[b].value) - a.value) / static_cast<double>(pts[b].position - a.position);
    return static_cast<float>(a.value + slope * static_cast<double>(p - a.position));
}

uint32_t g_seed = 1;
uint32_t Random()
{
    g_seed = g_seed * 1664525u + 1013904223u;
    return g_seed >> 8;
}

// Item samples of a track: noise over the whole range of the kind, at about half scale.
std::vector<uint8_t> MakeSamples(const TrackCase& t)
{
    const size_t n = static_cast<size_t>(t.length * t.itemChannels);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < n; ++i) {
        const float v = (static_cast<float>(Random() % 65536) / 32768.0f - 1.0f) * 0.5f;
        if (t.kind == MixSampleKind::U8) {
            bytes.push_back(static_cast<uint8_t>(std::lround(v * 127.0f) + 128));
        } else if (t.kind == MixSampleKind::S16) {
            int16_t s = static_cast<int16_t>(std::lround(v * 32767.0f));
            bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&s), reinterpret_cast<uint8_t*>(&s) + 2);
        } else {
            bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&v), reinterpret_cast<const uint8_t*>(&v) + 4);
        }
    }
    return bytes;
}

int BytesOf(MixSampleKind k)
{
    return k == MixSampleKind::U8 ? 1 : k == MixSampleKind::S16 ? 2 : 4;
}

float SampleOf(const TrackCase& t, const std::vector<uint8_t>& d, int64_t frame, int channel)
{
    const int c = t.itemChannels == 1 ? 0 : channel < t.itemChannels ? channel : -1;
    if (c < 0)
        return 0.0f;
    const size_t i = static_cast<size_t>(frame * t.itemChannels + c);
    if (t.kind == MixSampleKind::U8)
        return (static_cast<int>(d[i]) - 128) / 128.0f;
    if (t.kind == MixSampleKind::S16) {
        int16_t s;
        std::memcpy(&s, &d[2 * i], 2);
        return s / 32768.0f;
    }
    float f;
    std::memcpy(&f, &d[4 * i], 4);
    return f;
}

bool Sounds(const TrackCase& t, int64_t i)
{
    return i >= 0 && i < t.length && !(i >= t.holeStart && i < t.holeEnd);
}

// The per-frame mix: gains from the envelopes at each frame, in the float steps of the old
// reader; front-rear read at the track's first frame of each block, as it was.
std::vector<double> ReferenceMix(const KernelCase& c, const std::vector<std::vector<uint8_t>>& data)
{
    std::vector<double> out(static_cast<size_t>((c.to - c.from) * c.out), 0.0);
    for (int64_t t = c.from; t < c.to; ++t) {
        double l = 0, r = 0;
        double* o = &out[static_cast<size_t>((t - c.from) * c.out)];
        for (size_t k = 0; k < c.tracks.size(); ++k) {
            const TrackCase& tr = c.tracks[k];
            const int64_t i = t - tr.start;
            if (!Sounds(tr, i))
                continue;
            const float base = tr.volume * c.master;
            const float lv = c.automation ? OldEnvelope(tr.level, 1.0f, i) : 1.0f;
            const float pv = c.automation ? OldEnvelope(tr.panPoints, 0.0f, i) : 0.0f;
            const float lev = lv * base;
            const float p = std::max(-1.0f, std::min(1.0f, tr.pan + pv));
            const float gl = lev * std::min(1.0f, 1.0f - p), gr = lev * std::min(1.0f, 1.0f + p);
            float f[6] = {};
            for (int ch = 0; ch < tr.trackChannels; ++ch)
                f[ch] = SampleOf(tr, data[k], i, ch);
            if (c.out != 6) {
                double x = f[0], y = tr.trackChannels >= 2 ? f[1] : f[0];
                if (tr.trackChannels == 6) {
                    x = f[0] + 0.7071f * f[2] + 0.7071f * f[4];
                    y = f[1] + 0.7071f * f[2] + 0.7071f * f[5];
                }
                l += x * gl;
                r += y * gr;
                continue;
            }
            const int64_t blockStart = c.from + (t - c.from) / c.block * c.block;
            const int64_t first = std::max(blockStart, tr.start) - tr.start;
            const float env = c.automation ? OldEnvelope(tr.frontRearEnv, 0.0f, first) : 0.0f;
            const float fr = std::max(-1.0f, std::min(1.0f, tr.frontRear + env));
            const float front = 1.0f - std::max(fr, 0.0f), rear = std::max(fr, 0.0f);
            const float level = 0.5f * (gl + gr);
            if (tr.trackChannels == 6) {
                o[0] += f[0] * gl;
                o[1] += f[1] * gr;
                o[2] += f[2] * level;
                o[3] += f[3] * level;
                o[4] += f[4] * gl;
                o[5] += f[5] * gr;
            } else if (tr.trackChannels == 1 && (tr.speakerMask == 4 || tr.speakerMask == 8)) {
                o[tr.speakerMask == 4 ? 2 : 3] += f[0] * level;
            } else {
                const double x = f[0], y = tr.trackChannels >= 2 ? f[1] : f[0];
                o[0] += x * gl * front;
                o[1] += y * gr * front;
                o[4] += x * gl * rear;
                o[5] += y * gr * rear;
            }
        }
        if (c.out == 2) {
            o[0] = l;
            o[1] = r;
        } else if (c.out == 1) {
            o[0] = 0.5 * (l + r);
        }
    }
    return out;
}

// The kernel driven block by block as the mix reader drives it: one run per stretch of
// samples, none over the silence.
std::vector<float> KernelMix(const KernelCase& c, const std::vector<std::vector<uint8_t>>& data)
{
    std::vector<MixTrack> tracks;
    for (const TrackCase& t : c.tracks) {
        MixTrack k;
        k.channels = t.trackChannels;
        k.volume = t.volume;
        k.pan = t.pan;
        k.frontRear = t.frontRear;
        k.speakerMask = t.speakerMask;
        k.level.points = t.level;
        k.panEnv.points = t.panPoints;
        k.frontRearEnv.points = t.frontRearEnv;
        tracks.push_back(k);
    }
    MixKernel kernel;
    kernel.Prepare({c.out, c.block, c.master, c.automation});
    kernel.Reset();
    std::vector<float> out(static_cast<size_t>((c.to - c.from) * c.out), -7.0f);
    for (int64_t pos = c.from; pos < c.to; pos += c.block) {
        const int n = static_cast<int>(std::min<int64_t>(c.block, c.to - pos));
        std::vector<std::vector<MixRun>> runs(tracks.size());
        std::vector<MixInput> inputs;
        for (size_t k = 0; k < tracks.size(); ++k) {
            const TrackCase& t = c.tracks[k];
            const int frameBytes = BytesOf(t.kind) * t.itemChannels;
            auto add = [&](int64_t a, int64_t b) { // track frames [a, b)
                a = std::max({a, pos - t.start, int64_t(0)});
                b = std::min({b, pos + n - t.start, t.length});
                if (a < b)
                    runs[k].push_back({static_cast<int>(t.start + a - pos),
                                       static_cast<int>(b - a),
                                       {data[k].data() + a * frameBytes, t.kind, t.itemChannels}});
            };
            add(0, t.holeEnd > t.holeStart ? t.holeStart : t.length);
            if (t.holeEnd > t.holeStart)
                add(t.holeEnd, t.length);
            if (!runs[k].empty())
                inputs.push_back({&tracks[k], pos - t.start, runs[k].data(), runs[k].size()});
        }
        kernel.Process(inputs.data(), inputs.size(), n, &out[static_cast<size_t>((pos - c.from) * c.out)]);
    }
    return out;
}

std::vector<MixPoint> ManyPoints(int64_t length, int64_t every)
{
    std::vector<MixPoint> pts;
    for (int64_t p = 3; p < length; p += every + Random() % every)
        pts.push_back({p, static_cast<float>(Random() % 2000) / 1000.0f});
    return pts;
}

TrackCase Track(MixSampleKind kind, int itemChannels, int trackChannels)
{
    TrackCase t;
    t.kind = kind;
    t.itemChannels = itemChannels;
    t.trackChannels = trackChannels;
    return t;
}

std::vector<KernelCase> Cases()
{
    g_seed = 7;
    std::vector<KernelCase> cases;
    const std::vector<MixPoint> ramp = {{100, 0.25f}, {900, 1.5f}};
    const std::vector<MixPoint> boundaries = {{64, 0.0f},  {128, 1.0f}, {192, 1.0f},
                                              {256, 0.3f}, {257, 0.9f}, {512, 2.0f}};
    for (MixSampleKind kind : {MixSampleKind::U8, MixSampleKind::S16, MixSampleKind::F32}) {
        const std::string k = kind == MixSampleKind::U8 ? "u8" : kind == MixSampleKind::S16 ? "s16" : "float";
        for (int block : {1, 3, 64, 2048}) {
            const std::string b = " block " + std::to_string(block);
            TrackCase flat = Track(kind, 2, 2);
            flat.pan = -0.4f;
            TrackCase linear = Track(kind, 1, 1);
            linear.start = 37;
            linear.level = ramp;
            linear.pan = 0.3f;
            TrackCase many = Track(kind, 2, 2);
            many.start = -20;
            many.level = ManyPoints(1000, 7);
            many.holeStart = 300;
            many.holeEnd = 333;
            TrackCase edges = Track(kind, 1, 2); // mono item on a stereo track
            edges.level = boundaries;
            edges.panPoints = boundaries; // pans past the right edge: clamped
            edges.pan = -0.5f;
            cases.push_back({k + " flat" + b, 2, block, true, {flat}});
            cases.push_back({k + " linear" + b, 2, block, true, {linear, flat}});
            cases.push_back({k + " many points" + b, 2, block, true, {many, linear}});
            cases.push_back({k + " points on block edges" + b, 2, block, true, {edges}});
            TrackCase narrow = Track(kind, 2, 1); // stereo item on a mono track: its left only
            narrow.level = ramp;
            cases.push_back({k + " all, one channel out" + b, 1, block, true, {flat, linear, many, edges, narrow}});
        }
    }
    // Pans at and past the extremes, moving pan envelopes, automation off.
    for (float pan : {-1.0f, 1.0f}) {
        TrackCase t = Track(MixSampleKind::S16, 2, 2);
        t.pan = pan;
        t.level = ramp;
        TrackCase sweep = Track(MixSampleKind::F32, 2, 2);
        sweep.pan = pan;
        sweep.panPoints = {{0, -2.0f}, {999, 2.0f}}; // crosses the centre and both clamps
        sweep.level = {{500, 0.5f}, {700, 1.0f}};
        cases.push_back({"pan " + std::to_string(pan), 2, 256, true, {t, sweep}});
        cases.push_back({"pan " + std::to_string(pan) + " automation off", 2, 256, false, {t, sweep}});
    }
    // Eight stereo tracks with ramps, as mixed in the benchmark, a range inside them.
    {
        KernelCase eight{"eight ramped stereo tracks", 2, 2048, true, {}, 150, 5000, 1.0f};
        for (int i = 0; i < 8; ++i) {
            TrackCase t = Track(i % 2 ? MixSampleKind::F32 : MixSampleKind::S16, 2, 2);
            t.length = 6000;
            t.volume = 0.5f + 0.05f * i;
            t.pan = -0.7f + 0.2f * i;
            t.level = {{0, 0.25f}, {2400, 1.0f}, {4800, 0.25f}};
            eight.tracks.push_back(t);
        }
        cases.push_back(eight);
    }
    // Six channels out: stereo tracks split front and rear, mono centre and LFE, and a
    // six-channel track folded into two.
    {
        TrackCase st = Track(MixSampleKind::S16, 2, 2);
        st.frontRear = 0.2f;
        st.frontRearEnv = {{0, 0.0f}, {1000, 0.6f}};
        st.level = ramp;
        TrackCase centre = Track(MixSampleKind::F32, 1, 1);
        centre.speakerMask = 4;
        TrackCase lfe = Track(MixSampleKind::U8, 1, 1);
        lfe.speakerMask = 8;
        lfe.start = 500;
        TrackCase six = Track(MixSampleKind::F32, 6, 6);
        six.panPoints = {{0, -0.5f}, {1000, 0.5f}};
        for (int block : {1, 100})
            cases.push_back(
                {"six channels out block " + std::to_string(block), 6, block, true, {st, centre, lfe, six}});
        cases.push_back({"six-channel track into two", 2, 100, true, {six, st}});
    }
    return cases;
}

} // namespace

TEST(MixKernel, MixStaysWithinOneSixteenBitStepOfThePerFrameMix)
{
    const double lsb = 1.0 / 32768.0;
    for (const KernelCase& c : Cases()) {
        std::vector<std::vector<uint8_t>> data;
        for (const TrackCase& t : c.tracks)
            data.push_back(MakeSamples(t));
        const std::vector<double> want = ReferenceMix(c, data);
        const std::vector<float> got = KernelMix(c, data);
        ASSERT_EQ(want.size(), got.size()) << c.name;
        double worst = 0;
        size_t at = 0;
        for (size_t i = 0; i < want.size(); ++i)
            if (std::fabs(want[i] - got[i]) > worst) {
                worst = std::fabs(want[i] - got[i]);
                at = i;
            }
        EXPECT_LT(worst, lsb) << c.name << ": sample " << at << " is " << got[at] << ", per frame " << want[at];
        // The mix is not silence by accident.
        EXPECT_GT(*std::max_element(got.begin(), got.end()), 0.01f) << c.name;
    }
}

TEST(MixKernel, EnvelopeHoldsItsEndValuesAndInterpolatesBetweenPoints)
{
    MixEnvelope e{0.5f, {{10, 1.0f}, {20, 3.0f}, {21, -1.0f}}};
    EXPECT_EQ(1.0f, e.ValueAt(-5));
    EXPECT_EQ(1.0f, e.ValueAt(10));
    EXPECT_FLOAT_EQ(2.0f, e.ValueAt(15));
    EXPECT_EQ(3.0f, e.ValueAt(20));
    EXPECT_EQ(-1.0f, e.ValueAt(21));
    EXPECT_EQ(-1.0f, e.ValueAt(1000000));
    EXPECT_EQ(0.5f, (MixEnvelope{0.5f, {}}.ValueAt(7)));
}
