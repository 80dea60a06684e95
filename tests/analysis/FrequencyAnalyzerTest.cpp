// The analyser against definitions the tests compute themselves: a plain long-double DFT of the
// same frames, the radix-2 transform with recurrence twiddles, and levels worked out by hand.
#include "FrequencyAnalyzer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;
const long double kPiL = 3.141592653589793238462643383279502884L;

double Db(double power)
{
    return 10.0 * std::log10(power);
}

// A configured analyser; Begin checked.
struct AnalyzerRun {
    CSpectrumAnalyzer a;
    AnalyzerRun(int bytes, int channels, int rate, int size, int overlap, int window, int isSigned = 1)
    {
        a.SetBytesPerSample(bytes);
        a.SetSignedBytes(isSigned);
        a.SetChannels(channels);
        a.SetSampleRate(rate);
        a.SetFftSize(size);
        a.SetOverlap(overlap);
        a.SetWindow(window);
        EXPECT_EQ(a.Begin(), 1);
    }
    template <class T>
    void Add(const std::vector<T>& samples)
    {
        a.AddSamples(samples.data(), int(samples.size() / size_t(a.GetChannels())));
    }
    double Level(int bin, int channel = 0) const
    {
        return Db(a.GetPowerSpectrum()[size_t(bin) * a.GetChannels() + channel]);
    }
};

std::vector<int16_t> Sine16(int frames, double amplitude, double cyclesPerFrame)
{
    std::vector<int16_t> out(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        out[i] = int16_t(std::lround(amplitude * std::sin(2.0 * kPi * cyclesPerFrame * i)));
    return out;
}

// The transform with the bit-reversal and recurrence twiddles of the classic radix-2 loop, in
// long double: the reference the fast transform must meet within rounding.
void Radix2Reference(std::vector<std::complex<long double>>& x)
{
    const size_t n = x.size();
    for (size_t i = 0, j = 0; i < n; ++i) {
        if (i < j)
            std::swap(x[i], x[j]);
        size_t bit = n >> 1;
        for (; bit && (j & bit); bit >>= 1)
            j ^= bit;
        j |= bit;
    }
    for (size_t span = 2; span <= n; span *= 2) {
        const long double angle = kPiL / (span / 2);
        const std::complex<long double> step(std::cos(angle), -std::sin(angle));
        std::complex<long double> u(1.0L, 0.0L);
        for (size_t m = 0; m < span / 2; ++m) {
            for (size_t j = m; j < n; j += span) {
                const std::complex<long double> t = u * x[j + span / 2];
                x[j + span / 2] = x[j] - t;
                x[j] = x[j] + t;
            }
            u *= step;
        }
    }
}

} // namespace

TEST(SpectrumAnalyzerTest, FftSizeIsThePowerOfTwoAtOrAboveTheRequestAndAtLeastTwo)
{
    const int cases[][2] = {{0, 2}, {1, 2}, {3, 4}, {100, 128}, {128, 128}, {1025, 2048}, {65536, 65536}};
    for (const auto& c : cases) {
        CSpectrumAnalyzer a;
        a.SetFftSize(c[0]);
        EXPECT_EQ(a.GetFftSize(), c[1]) << c[0];
    }
}

TEST(SpectrumAnalyzerTest, ForwardFftMeetsTheRadix2TransformForEverySizeAndChannelCount)
{
    for (int channels : {1, 2, 3}) {
        for (int size = 2; size <= 65536; size *= 2) {
            CSpectrumAnalyzer a;
            a.SetFftSize(size);
            a.SetChannels(channels);
            std::vector<double> data(size_t(2) * size * channels);
            uint32_t seed = 12345u + size;
            for (double& v : data) {
                seed = seed * 1664525u + 1013904223u;
                v = double(int32_t(seed >> 8) - (1 << 23)) / (1 << 23);
            }
            std::vector<std::vector<std::complex<long double>>> reference(static_cast<size_t>(channels));
            for (int c = 0; c < channels; ++c) {
                for (int k = 0; k < size; ++k)
                    reference[c].emplace_back(data[2 * (size_t(k) * channels + c)],
                                              data[2 * (size_t(k) * channels + c) + 1]);
                Radix2Reference(reference[c]);
            }
            a.ForwardFft(data.data());
            // Rounding of double arithmetic grows with log2 N against the sum of the magnitudes.
            const double tolerance = 1e-15 * std::sqrt(double(size)) * 4.0 * std::log2(2.0 * size);
            double worst = 0.0;
            for (int c = 0; c < channels; ++c)
                for (int k = 0; k < size; ++k) {
                    const std::complex<long double> got(data[2 * (size_t(k) * channels + c)],
                                                        data[2 * (size_t(k) * channels + c) + 1]);
                    worst = std::max(worst, double(std::abs(got - reference[c][k])));
                }
            EXPECT_LT(worst / std::sqrt(double(size)), tolerance) << size << " points, " << channels << " channels";
        }
    }
}

TEST(SpectrumAnalyzerTest, FramesFollowTheHopAndFinishPadsOnlyAnUnfinishedFrame)
{
    const int n = 128;
    const struct {
        int overlap, frames, expected;
    } cases[] = {
        {0, 0, 1},         {0, n - 1, 1},     {0, 2 * n, 2},         {0, 2 * n + 1, 3},
        {n / 2, 2 * n, 3}, {n / 2, 2 * n + 1, 4}, {n - 1, n + 3, 4}, {n / 2, n, 1},
    };
    for (const auto& c : cases) {
        AnalyzerRun run(2, 2, 44100, n, c.overlap, 0);
        run.Add(std::vector<int16_t>(size_t(2) * c.frames, 1000));
        run.a.Finish();
        EXPECT_EQ(run.a.GetFrameCount(), c.expected) << c.overlap << " overlap, " << c.frames << " frames";
    }
}

TEST(SpectrumAnalyzerTest, SilenceSitsAtOneSixteenBitStepOnEveryBinAndEveryFormat)
{
    const struct {
        int size, bytes, isSigned;
        unsigned char fill;
        double floorDb;
    } cases[] = {
        {128, 2, 1, 0, -129.4},   {1024, 2, 1, 0, -147.5}, {128, 1, 0, 128, -129.4},
        {128, 1, 1, 0, -129.4},   {128, 4, 1, 0, -129.4},
    };
    for (const auto& c : cases) {
        for (bool fed : {false, true}) {
            AnalyzerRun run(c.bytes, 3, 44100, c.size, 0, 4, c.isSigned);
            std::vector<unsigned char> silence(size_t(3) * c.bytes * c.size * 2, c.fill);
            if (fed)
                run.a.AddSamples(silence.data(), c.size * 2);
            run.a.Finish();
            const double calibration = CSpectrumAnalyzer::Calibration(c.size);
            for (int k = 0; k <= c.size / 2; ++k)
                for (int ch = 0; ch < 3; ++ch)
                    ASSERT_EQ(run.a.GetPowerSpectrum()[size_t(k) * 3 + ch], calibration) << k;
            EXPECT_NEAR(run.Level(1), c.floorDb, 0.05);
        }
    }
}

TEST(SpectrumAnalyzerTest, BeginRefusesWhatItCannotAnalyseAndKeepsTheLastResult)
{
    AnalyzerRun run(2, 1, 44100, 256, 0, 4);
    run.Add(Sine16(256, 3276.8, 8.0 / 256));
    run.a.Finish();
    const std::vector<double> kept(run.a.GetPowerSpectrum(), run.a.GetPowerSpectrum() + 256);
    const struct {
        int bytes, rate, overlap, window;
    } refused[] = {{3, 44100, 0, 0}, {0, 44100, 0, 0}, {2, 0, 0, 0},    {2, -8000, 0, 0},
                   {2, 44100, 256, 0}, {2, 44100, -1, 0}, {2, 44100, 0, 6}};
    for (const auto& c : refused) {
        run.a.SetBytesPerSample(c.bytes);
        run.a.SetSampleRate(c.rate);
        run.a.SetOverlap(c.overlap);
        run.a.SetWindow(c.window);
        EXPECT_EQ(run.a.Begin(), CSpectrumAnalyzer::kInvalidArg) << c.bytes << " " << c.rate << " " << c.overlap;
        run.a.AddSamples(std::vector<int16_t>(512).data(), 512);
        run.a.Finish();
        EXPECT_EQ(std::vector<double>(run.a.GetPowerSpectrum(), run.a.GetPowerSpectrum() + 256), kept);
    }
}

TEST(SpectrumAnalyzerTest, GridsEndAtTheNyquistBandAndStartAtTheFirstBandOneBinWide)
{
    const struct {
        int rate, size, octaveFirst, octaveLast, thirdFirst, thirdLast;
    } cases[] = {
        // 500 Hz x 0.707 = 354 >= 344.5 Hz bins, 250 Hz x 0.707 is below.
        {44100, 128, 9, 14, 0, 43},
        {48000, 1024, 7, 15, 0, 44},
        {8000, 65536, -2, 12, 0, 36},
    };
    for (const auto& c : cases) {
        AnalyzerRun run(2, 1, c.rate, c.size, 0, 0);
        run.a.Finish();
        EXPECT_EQ(run.a.GetOctaveFirst(), c.octaveFirst) << c.rate << "/" << c.size;
        EXPECT_EQ(run.a.GetOctaveLast(), c.octaveLast) << c.rate << "/" << c.size;
        EXPECT_EQ(run.a.GetThirdOctaveLast(), c.thirdLast) << c.rate << "/" << c.size;
        // The third-octave grid's first band: the lowest whose width reaches one bin.
        const int first = run.a.GetThirdOctaveFirst();
        const double bin = double(c.rate) / c.size, width = std::pow(2.0, 1.0 / 6) - std::pow(2.0, -1.0 / 6);
        EXPECT_GE(CSpectrumAnalyzer::BandCentre(first, 3) * width, bin);
        EXPECT_LT(CSpectrumAnalyzer::BandCentre(first - 1, 3) * width, bin);
    }
}

TEST(SpectrumAnalyzerTest, BandsMapToTheNominalCentres)
{
    const double octaves[] = {31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    for (int i = 0; i < 10; ++i) {
        EXPECT_NEAR(CSpectrumAnalyzer::BandCentre(5 + i, 1), octaves[i], 1e-9) << 5 + i;
        EXPECT_EQ(CSpectrumAnalyzer::BandIndexOf(octaves[i], 1), 5 + i);
    }
    const double thirds[] = {20,   25,   31.5, 40,   50,   63,   80,   100,  125,   160,   200,   250,   315,  400,
                             500,  630,  800,  1000, 1250, 1600, 2000, 2500, 3150,  4000,  5000,  6300,  8000, 10000,
                             12500, 16000, 20000};
    for (int i = 0; i < 31; ++i) {
        EXPECT_NEAR(CSpectrumAnalyzer::BandCentre(13 + i, 3), thirds[i], 1e-9) << 13 + i;
        EXPECT_EQ(CSpectrumAnalyzer::BandIndexOf(thirds[i], 3), 13 + i);
    }
    const struct {
        double hz;
        int fraction, band;
    } indexes[] = {{22050, 1, 14}, {22050, 3, 43}, {20000, 3, 43}, {10, 3, 10}, {1, 1, 0}, {0.5, 3, -3}};
    for (const auto& c : indexes)
        EXPECT_EQ(CSpectrumAnalyzer::BandIndexOf(c.hz, c.fraction), c.band) << c.hz;
}

TEST(SpectrumAnalyzerTest, ABinCentredSineReadsItsLevelLessTheWindowsPeakFactor)
{
    // Peak factor (sum w)^2 / (N sum w^2): a0^2 / (a0^2 + sum ak^2 / 2) for the cosine windows.
    const struct {
        int window;
        double a0, a1, a2;
    } windows[] = {{4, 1, 0, 0}, {0, 0.5, 0.5, 0}, {1, 0.54, 0.46, 0}, {2, 0.42, 0.5, 0.08}, {5, 0.423, 0.498, 0.0792}};
    const int n = 1024, bin = 100;
    for (const auto& w : windows) {
        for (int channels : {1, 2}) {
            AnalyzerRun run(2, channels, 44100, n, 0, w.window);
            std::vector<int16_t> sine = Sine16(4 * n, 0.1 * 32768, double(bin) / n), frames;
            for (int16_t v : sine)
                for (int c = 0; c < channels; ++c)
                    frames.push_back(v);
            run.Add(frames);
            run.a.Finish();
            const double factor = w.a0 * w.a0 / (w.a0 * w.a0 + (w.a1 * w.a1 + w.a2 * w.a2) / 2);
            for (int c = 0; c < channels; ++c)
                EXPECT_NEAR(run.Level(bin, c), -20.0 + Db(factor), 0.1) << "window " << w.window;
        }
    }
    // Bartlett: mean 1/2, mean square 1/3.
    AnalyzerRun run(2, 1, 44100, n, 0, 3);
    run.Add(Sine16(4 * n, 0.1 * 32768, double(bin) / n));
    run.a.Finish();
    EXPECT_NEAR(run.Level(bin), -20.0 + Db(0.75), 0.1);
}

TEST(SpectrumAnalyzerTest, EverySampleFormatReadsTheSameSine)
{
    const int n = 512, bin = 40, frames = 4 * n;
    const double amplitude = 0.25;
    std::vector<int16_t> s16;
    std::vector<float> s32;
    std::vector<unsigned char> u8, i8;
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * kPi * bin * i / n);
        s16.push_back(int16_t(std::lround(v * 32767)));
        s32.push_back(float(v));
        u8.push_back((unsigned char)(128 + std::lround(v * 127)));
        i8.push_back((unsigned char)(signed char)std::lround(v * 127));
    }
    const double expected = Db(amplitude * amplitude);
    const struct {
        int bytes, isSigned;
        const void* data;
        double tolerance;
    } formats[] = {{2, 1, s16.data(), 0.05}, {4, 1, s32.data(), 0.05}, {1, 0, u8.data(), 0.5}, {1, 1, i8.data(), 0.5}};
    for (const auto& f : formats) {
        AnalyzerRun run(f.bytes, 1, 48000, n, 0, 4, f.isSigned);
        run.a.AddSamples(f.data, frames);
        run.a.Finish();
        EXPECT_NEAR(run.Level(bin), expected, f.tolerance) << f.bytes << " bytes";
    }
}

TEST(SpectrumAnalyzerTest, BandLevelsMeetALongDoubleDftOverEdgesFromTheNominalCentres)
{
    const int rate = 44100, n = 2048, overlap = n / 2, channels = 3, window = 0, frames = 3 * n;
    const double thirds[] = {1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};
    const double octaves[] = {1000, 2000, 4000, 8000, 16000};
    // One tone a third-octave band at its centre, at a level of its own, each channel scaled.
    std::vector<int16_t> samples(size_t(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            double v = 0;
            for (int t = 0; t < 14; ++t)
                v += 0.02 * (1 + t % 3) / (c + 1) * std::sin(2.0 * kPi * thirds[t] * i / rate + t);
            samples[size_t(i) * channels + c] = int16_t(std::lround(v * 32768));
        }
    AnalyzerRun run(2, channels, rate, n, overlap, window);
    run.Add(samples);
    run.a.Finish();
    ASSERT_EQ(run.a.GetFrameCount(), 5); // 3N frames at a hop of N/2; the last hop is full

    // The reference: the same frames, windowed, a plain DFT, the same normalisation.
    std::vector<long double> cosine(n), sine(n), w(n);
    for (int j = 0; j < n; ++j) {
        cosine[j] = std::cos(2 * kPiL * j / n);
        sine[j] = std::sin(2 * kPiL * j / n);
        w[j] = 0.5L - 0.5L * std::cos(2 * kPiL * j / n);
    }
    long double meanSquare = 0;
    for (long double v : w)
        meanSquare += v * v / n;
    std::vector<std::vector<long double>> power(channels, std::vector<long double>(n / 2 + 1));
    for (int f = 0; f < 5; ++f)
        for (int c = 0; c < channels; ++c) {
            std::vector<long double> x(n);
            for (int i = 0; i < n; ++i)
                x[i] = w[i] * samples[size_t(f * (n - overlap) + i) * channels + c];
            for (int k = 0; k <= n / 2; ++k) {
                long double re = 0, im = 0;
                for (int i = 0; i < n; ++i) {
                    re += x[i] * cosine[(size_t(i) * k) % n];
                    im -= x[i] * sine[(size_t(i) * k) % n];
                }
                power[c][k] += re * re + im * im;
            }
        }
    const long double scale = CSpectrumAnalyzer::Calibration(n) / (5 * meanSquare);
    auto bandDb = [&](int c, double centre, int fraction) {
        const double lower = centre * std::pow(2.0, -0.5 / fraction), upper = centre * std::pow(2.0, 0.5 / fraction);
        long double sum = 0;
        for (int k = 1; k <= n / 2; ++k) {
            const double hz = double(k) * rate / n;
            if (hz > lower && hz <= upper)
                sum += (k == n / 2 ? 1 : 2) * power[c][k] * scale;
        }
        return Db(double(sum));
    };
    for (int c = 0; c < channels; ++c) {
        for (int t = 0; t < 14; ++t) {
            const int band = CSpectrumAnalyzer::BandIndexOf(thirds[t], 3);
            const double got = Db(run.a.GetThirdOctaveBands()[size_t(band - run.a.GetThirdOctaveFirst()) * channels + c]);
            EXPECT_NEAR(got, bandDb(c, thirds[t], 3), 0.01) << thirds[t] << " Hz channel " << c;
            const double tone = 0.02 * (1 + t % 3) / (c + 1);
            EXPECT_NEAR(got, Db(tone * tone), 0.1) << thirds[t] << " Hz channel " << c;
        }
        for (double centre : octaves) {
            const int band = CSpectrumAnalyzer::BandIndexOf(centre, 1);
            const double got = Db(run.a.GetOctaveBands()[size_t(band - run.a.GetOctaveFirst()) * channels + c]);
            EXPECT_NEAR(got, bandDb(c, centre, 1), 0.01) << centre << " Hz channel " << c;
        }
    }
}
