// The mix reader against a mix computed here sample by sample in double precision.
#include "EngineFixture.h"

#include <algorithm>
#include <cmath>

namespace {

struct TrackSpec {
    int channels;
    LONGLONG start;
    LONGLONG frames;
    float volume;
    float pan;
    bool mute;
    bool solo;
    std::vector<std::pair<LONGLONG, float>> level; // envelope points
    std::vector<std::pair<LONGLONG, float>> panPoints;
};

double EnvelopeAt(const std::vector<std::pair<LONGLONG, float>>& points, double initial, LONGLONG at)
{
    if (points.empty())
        return initial;
    if (at <= points.front().first)
        return points.front().second;
    if (at >= points.back().first)
        return points.back().second;
    for (size_t i = 1; i < points.size(); ++i)
        if (at <= points[i].first) {
            const auto& a = points[i - 1];
            const auto& b = points[i];
            return a.second + (b.second - a.second) * double(at - a.first) / double(b.first - a.first);
        }
    return points.back().second;
}

class MixTest : public EngineTest {
protected:
    void Build(const std::vector<TrackSpec>& specs, WORD bits)
    {
        ASSERT_EQ(S_OK, set_->SetFormat(bits, 48000));
        specs_ = specs;
        data_.clear();
        int n = 0;
        for (const TrackSpec& s : specs) {
            std::vector<double> values(static_cast<size_t>(s.frames * s.channels));
            for (size_t i = 0; i < values.size(); ++i)
                values[i] = std::sin(0.001 * double(i) * (n + 1) + n) * 0.7;
            IMtItem* item = nullptr;
            if (bits == 16) {
                std::vector<int16_t> pcm(values.size());
                for (size_t i = 0; i < values.size(); ++i) {
                    pcm[i] = static_cast<int16_t>(std::lround(values[i] * 32767));
                    values[i] = pcm[i] / 32768.0;
                }
                item = MakeItem("mix" + std::to_string(n) + ".raw", pcm.data(), pcm.size() * 2, WORD(s.channels), 16,
                                48000);
            } else {
                std::vector<float> pcm(values.begin(), values.end());
                for (size_t i = 0; i < values.size(); ++i)
                    values[i] = pcm[i];
                item = MakeItem("mix" + std::to_string(n) + ".raw", pcm.data(), pcm.size() * 4, WORD(s.channels), bits,
                                48000);
            }
            data_.push_back(values);
            ComRef<IMtTrack> track;
            ASSERT_EQ(S_OK, set_->InsertTrack(0, WORD(s.channels), track.Out(), -1));
            IMtClip* clip = ClipOf(item);
            ASSERT_EQ(S_OK, track->InsertClip(clip, s.start, 0, 0));
            clip->Release();
            item->Release();
            track->SetVolume(s.volume);
            track->SetPan(s.pan);
            track->SetFlag(kMtFlagMute, s.mute);
            track->SetFlag(kMtFlagSolo, s.solo);
            ComRef<IMtEnvelopeSet> envelopes;
            ASSERT_EQ(S_OK, track->QueryInterface(__uuidof(IMtEnvelopeSet), reinterpret_cast<void**>(envelopes.Out())));
            ComRef<IMtEnvelope> level, pan;
            envelopes->GetEnvelope(kMtEnvLevel, level.Out());
            envelopes->GetEnvelope(kMtEnvPan, pan.Out());
            for (auto& p : s.level)
                level->InsertPoint(p.first, p.second);
            for (auto& p : s.panPoints)
                pan->InsertPoint(p.first, p.second);
            ++n;
        }
    }

    // The expected two-channel frame at time t.
    void Expected(LONGLONG t, float master, bool automation, double* l, double* r) const
    {
        *l = *r = 0;
        bool anySolo = std::any_of(specs_.begin(), specs_.end(), [](const TrackSpec& s) { return s.solo; });
        for (size_t k = 0; k < specs_.size(); ++k) {
            const TrackSpec& s = specs_[k];
            if (anySolo ? !s.solo : s.mute)
                continue;
            LONGLONG i = t - s.start;
            if (i < 0 || i >= s.frames)
                continue;
            double level = s.volume * double(master) * (automation ? EnvelopeAt(s.level, 1.0, i) : 1.0);
            double pan = std::max(-1.0, std::min(1.0, s.pan + (automation ? EnvelopeAt(s.panPoints, 0.0, i) : 0.0)));
            const double* x = &data_[k][static_cast<size_t>(i * s.channels)];
            *l += x[0] * level * std::min(1.0, 1.0 - pan);
            *r += x[s.channels - 1] * level * std::min(1.0, 1.0 + pan);
        }
    }

    std::vector<float> ReadMix(DWORD channels, DWORD flags, LONGLONG start, LONGLONG end, DWORD chunk = 1000)
    {
        ComRef<IMtMixReader> mix;
        EXPECT_EQ(S_OK, set_->CreateMixReader(channels, flags, mix.Out()));
        EXPECT_EQ(S_OK, mix->SetRange(start, end));
        std::vector<float> out, buffer(chunk * channels);
        for (;;) {
            DWORD got = 0;
            EXPECT_EQ(S_OK, mix->Read(buffer.data(), chunk, &got));
            out.insert(out.end(), buffer.begin(), buffer.begin() + got * channels);
            if (got < chunk)
                break;
        }
        return out;
    }

    std::vector<TrackSpec> specs_;
    std::vector<std::vector<double>> data_;
};

const std::vector<TrackSpec> kTracks = {
    {2, 0, 5000, 0.8f, -0.3f, false, false, {{100, 0.0f}, {2100, 1.0f}, {3000, 0.5f}}, {}},
    {1, 700, 4000, 1.2f, 0.6f, false, false, {}, {{0, -1.0f}, {4000, 1.0f}}},
    {2, 200, 3000, 1.0f, 0.0f, true, false, {}, {}},
};

} // namespace

TEST_F(MixTest, MixOfMarkedTracksMatchesTheIndependentMix)
{
    for (WORD bits : {16, 24}) {
        set_.Reset();
        ASSERT_EQ(S_OK, MtEngine::CreateTrackSet(set_));
        Build(kTracks, bits);
        ASSERT_EQ(S_OK, set_->SetMasterVolume(0.9f));
        ComRef<IMtSelection> selection;
        ASSERT_EQ(S_OK, set_->QueryInterface(__uuidof(IMtSelection), reinterpret_cast<void**>(selection.Out())));
        selection->SetAllTracks(1);
        std::vector<float> mix = ReadMix(2, 0, 50, 6000);
        ASSERT_EQ(size_t(5950 * 2), mix.size());
        double worst = 0;
        for (LONGLONG t = 50; t < 6000; ++t) {
            double l, r;
            Expected(t, 0.9f, true, &l, &r);
            worst = std::max({worst, std::fabs(l - mix[(t - 50) * 2]), std::fabs(r - mix[(t - 50) * 2 + 1])});
        }
        EXPECT_LT(worst, 2e-5) << bits << " bits";

        // Only marked tracks are mixed; one channel is the mean of two.
        selection->SetAllTracks(0);
        selection->SelectTrack(1, 1);
        specs_[0].mute = true;
        std::vector<float> mono = ReadMix(1, 0, 0, 5000, 777);
        ASSERT_EQ(size_t(5000), mono.size());
        worst = 0;
        for (LONGLONG t = 0; t < 5000; ++t) {
            double l, r;
            Expected(t, 0.9f, true, &l, &r);
            worst = std::max(worst, std::fabs((l + r) / 2 - mono[t]));
        }
        EXPECT_LT(worst, 2e-5) << bits << " bits";
        specs_[0].mute = false;
    }
}

TEST_F(MixTest, SoloWinsAndAutomationOffUsesConstantValues)
{
    std::vector<TrackSpec> tracks = kTracks;
    tracks[2].solo = true; // muted but soloed: plays, and silences the others
    tracks[1].solo = true;
    Build(tracks, 16);
    ASSERT_EQ(S_OK, set_->SetReadAutomation(0));
    std::vector<float> mix = ReadMix(2, kMtMixAllTracks, 0, -1);
    LONGLONG length = 0;
    set_->GetLength(&length, 0);
    ASSERT_EQ(5000, length);
    ASSERT_EQ(size_t(length * 2), mix.size());
    double worst = 0;
    for (LONGLONG t = 0; t < length; ++t) {
        double l, r;
        Expected(t, 1.0f, false, &l, &r);
        worst = std::max({worst, std::fabs(l - mix[t * 2]), std::fabs(r - mix[t * 2 + 1])});
    }
    EXPECT_LT(worst, 2e-5);

    // Silenced tracks are left out whatever their flags.
    ComRef<IMtTrack> t1, t2;
    set_->GetTrack(1, t1.Out());
    set_->GetTrack(2, t2.Out());
    t1->SetSilenced(1);
    t2->SetSilenced(1);
    std::vector<float> silent = ReadMix(2, kMtMixAllTracks, 0, -1);
    EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](float v) { return v == 0.0f; }));
}

TEST_F(MixTest, SixChannelOutputPlacesMonoTracksByRole)
{
    ASSERT_EQ(S_OK, set_->SetChannelLimit(6));
    Build({{1, 0, 100, 1.0f, 0.0f, false, false, {}, {}}, {1, 0, 100, 0.5f, 0.0f, false, false, {}, {}}}, 16);
    ComRef<IMtTrack> centre;
    set_->GetTrack(1, centre.Out());
    centre->SetSpeakerMask(4);
    std::vector<float> mix = ReadMix(6, kMtMixAllTracks, 0, 100);
    ASSERT_EQ(size_t(600), mix.size());
    for (int t = 0; t < 100; ++t) {
        EXPECT_NEAR(data_[0][t], mix[t * 6 + 0], 1e-6);
        EXPECT_NEAR(data_[0][t], mix[t * 6 + 1], 1e-6);
        EXPECT_NEAR(data_[1][t] * 0.5, mix[t * 6 + 2], 1e-6);
        EXPECT_EQ(0.0f, mix[t * 6 + 3]);
        EXPECT_EQ(0.0f, mix[t * 6 + 4]);
    }
}

TEST_F(MixTest, ReaderKeepsItsSnapshotWhileTheTrackIsEdited)
{
    Build({{2, 0, 3000, 1.0f, 0.0f, false, false, {}, {}}}, 16);
    ComRef<IMtMixReader> mix;
    ASSERT_EQ(S_OK, set_->CreateMixReader(2, kMtMixAllTracks, mix.Out()));
    ComRef<IMtTrack> track;
    set_->GetTrack(0, track.Out());
    ASSERT_EQ(S_OK, track->DeleteRange(0, 3000));
    std::vector<float> buffer(2 * 3000);
    DWORD got = 0;
    ASSERT_EQ(S_OK, mix->Read(buffer.data(), 3000, &got));
    ASSERT_EQ(3000u, got);
    EXPECT_NEAR(data_[0][2 * 1234], buffer[2 * 1234], 1e-6);
    MtClipFormat format{};
    ASSERT_EQ(S_OK, mix->GetFormat(&format));
    EXPECT_EQ(48000u, format.samplesPerSec);
    EXPECT_EQ(32, format.bitsPerSample);
    EXPECT_EQ(2, format.channels);
}

TEST_F(MixTest, MonoTrackHoldingStereoItemsMixesTheirFirstChannelToBothSides)
{
    Build({{2, 0, 500, 1.0f, 0.0f, false, false, {}, {}}}, 16);
    ComRef<IMtTrack> track;
    set_->GetTrack(0, track.Out());
    ASSERT_EQ(S_OK, track->SetChannels(1));
    std::vector<float> mix = ReadMix(2, kMtMixAllTracks, 0, 500);
    ASSERT_EQ(size_t(1000), mix.size());
    for (int t = 0; t < 500; t += 7) {
        EXPECT_NEAR(data_[0][2 * t], mix[2 * t], 1e-6) << t;
        EXPECT_NEAR(data_[0][2 * t], mix[2 * t + 1], 1e-6) << t;
    }
}
