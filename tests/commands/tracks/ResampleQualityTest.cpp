// What the Sample Type conversion does to the sound, through the resample command on a real
// document: 48 kHz float tracks converted to 44.1 kHz keep the band flat and leave no alias.
#include "TrackCommandFixture.h"

#include "ResampleCommand.h"

#include <cmath>

namespace kvtest {

namespace {

constexpr double kPi = 3.14159265358979323846;

class ResampleQualityTest : public TrackCommandTest {
protected:
    // A document at 48 kHz in float, one mono track per sound.
    CNyMultiTrackDoc* BuildFloat(const std::vector<std::vector<float>>& sounds)
    {
        CNyMultiTrackDoc* doc = NewDocument(std::vector<WORD>(sounds.size(), 1));
        Convert(doc, 48000);
        for (size_t t = 0; t < sounds.size(); ++t)
            InsertSamples(doc, int(t), sounds[t].data(), sounds[t].size() * 4, 32, 0);
        return doc;
    }

    void Convert(CNyMultiTrackDoc* doc, DWORD rate)
    {
        ComRef<IEditCommand> resample =
            Make(ComObject<IEditCommand>::Create<ResampleCommand>("Sample Type", static_cast<CommandDocument*>(doc),
                                                                  WORD(32), rate));
        ASSERT_EQ(resample->Do(), S_OK);
    }

    static ComRef<IEditCommand> Make(IEditCommand* command) { return ComRef<IEditCommand>(command); }

    static std::vector<float> Samples(CNyMultiTrackDoc* doc, int track)
    {
        std::vector<float> out;
        ComRef<IMtItem> reader;
        LONGLONG from = 0, to = -1;
        EXPECT_EQ(S_OK, doc->GetTrack(track)->CreateReader(reader.Out(), 0));
        reader->SetRange(&from, &to);
        reader->BeginRead();
        std::vector<float> buffer(16384);
        DWORD read = 0;
        while (SUCCEEDED(reader->Read(buffer.data(), DWORD(buffer.size() * 4), &read)) && read > 0)
            out.insert(out.end(), buffer.begin(), buffer.begin() + read / 4);
        reader->EndRead();
        return out;
    }
};

std::vector<float> Tone(double freq, double amplitude, size_t frames)
{
    std::vector<float> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] = float(amplitude * std::sin(2 * kPi * freq * double(i) / 48000));
    return v;
}

// The tone at freq fitted by least squares over [from, to) at 44.1 kHz: its amplitude, and the
// power of what is left beside it.
void Fit(const std::vector<float>& v, double freq, size_t from, size_t to, double* amplitude, double* rest)
{
    double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
    for (size_t i = from; i < to; ++i) {
        const double c = std::cos(2 * kPi * freq * double(i) / 44100), s = std::sin(2 * kPi * freq * double(i) / 44100);
        cc += c * c, ss += s * s, cs += c * s, xc += v[i] * c, xs += v[i] * s;
    }
    const double det = cc * ss - cs * cs, a = (xc * ss - xs * cs) / det, b = (xs * cc - xc * cs) / det;
    *amplitude = std::hypot(a, b);
    double power = 0;
    for (size_t i = from; i < to; ++i) {
        const double e = v[i] - a * std::cos(2 * kPi * freq * double(i) / 44100) -
                         b * std::sin(2 * kPi * freq * double(i) / 44100);
        power += e * e;
    }
    *rest = power / double(to - from);
}

double Db(double x)
{
    return 10 * std::log10(x);
}

} // namespace

// Tones to 20 kHz keep their level within 0.01 dB, and beside each (away from the ends, where
// the sound starts and stops) everything else, aliases, images and noise together, stays
// 120 dB below it.
TEST_F(ResampleQualityTest, FortyEightToFortyFourKeepsTheBandFlatAndAddsNothing)
{
    const double freqs[] = {1000, 5000, 10000, 15000, 18000, 19500, 20000};
    const double amplitude = 0.5;
    std::vector<std::vector<float>> sounds;
    for (double f : freqs)
        sounds.push_back(Tone(f, amplitude, 48000));
    CNyMultiTrackDoc* doc = BuildFloat(sounds);
    Convert(doc, 44100);
    ASSERT_EQ(doc->GetSamplesPerSec(), 44100u);
    for (size_t t = 0; t < sounds.size(); ++t) {
        const std::vector<float> out = Samples(doc, int(t));
        ASSERT_EQ(out.size(), 44100u);
        double level = 0, rest = 0;
        Fit(out, freqs[t], 4410, 39690, &level, &rest);
        EXPECT_NEAR(20 * std::log10(level / amplitude), 0.0, 0.01) << freqs[t] << " Hz";
        EXPECT_LT(Db(rest / (level * level / 2)), -120.0) << freqs[t] << " Hz";
    }
}

// A sweep from 0 to 24 kHz: while it lies above 22.05 kHz (past the resampler's reach from the
// crossing) nothing of it comes through.
TEST_F(ResampleQualityTest, FortyEightToFortyFourLeavesNothingOfASweepAboveTheNewBand)
{
    const double seconds = 2.0, top = 24000, amplitude = 0.5;
    std::vector<float> sweep(size_t(seconds * 48000));
    for (size_t i = 0; i < sweep.size(); ++i) {
        const double t = double(i) / 48000;
        sweep[i] = float(amplitude * std::sin(kPi * top / seconds * t * t)); // frequency top t / seconds
    }
    CNyMultiTrackDoc* doc = BuildFloat({sweep});
    Convert(doc, 44100);
    const std::vector<float> out = Samples(doc, 0);
    ASSERT_EQ(out.size(), size_t(seconds * 44100));
    // The sweep crosses 22.05 kHz at 1.8375 s; 10 ms after, it is out of the filter's reach.
    const size_t from = size_t((22050 / top * seconds + 0.01) * 44100), to = out.size() - 441;
    double power = 0;
    for (size_t i = from; i < to; ++i)
        power += double(out[i]) * out[i];
    EXPECT_LT(Db(power / double(to - from) / (amplitude * amplitude / 2)), -120.0);
    // The band below passes: early on, the sweep is there at its level.
    double early = 0;
    for (size_t i = 4410; i < 44100; ++i)
        early += double(out[i]) * out[i];
    EXPECT_NEAR(Db(early / (44100 - 4410) / (amplitude * amplitude / 2)), 0.0, 0.01);
}

} // namespace kvtest
