// The sound generators: what the generator dialog and its render worker require (class
// objects, one output pin, the format setters at their slots and only while unconnected, the
// record, presets), runs in the platform's graph in every offered format with exact lengths,
// phase 0 at each run and the worker's call order, and each kernel's signal check.
#include "EffectModuleKit.h"

#include "FilterConformance.h"
#include "GraphRunner.h"
#include "IEffectParameters.h"
#include "IEffectPresets.h"
#include "TestFilters.h"

#include "Fft.h"
#include "FmToneKernel.h"
#include "KvSEFmSd.h"
#include "KvSENois.h"
#include "KvSESiln.h"
#include "KvSETone.h"
#include "NoiseKernel.h"
#include "ParamInfo.h"
#include "SilenceKernel.h"
#include "ToneKernel.h"

#include <ocidl.h>
#include <uuids.h>

#include <algorithm>
#include <complex>
#include <cstring>

using namespace fxtest;

namespace {

// The worker's table: the generator's own interface and the slots of its four setters.
struct Slots {
    IID iid;
    int rate, bits, channels, length;
};

Slots SlotsOf(const ModuleRow& row)
{
    if (row.clsid == CLSID_KvSEFmSd)
        return {__uuidof(IFmToneGenerator), 18, 10, 16, 20};
    if (row.clsid == CLSID_KvSETone)
        return {__uuidof(IToneGenerator), 16, 8, 14, 18};
    if (row.clsid == CLSID_KvSESiln)
        return {__uuidof(ISilenceGenerator), 12, 4, 10, 14};
    return {__uuidof(INoiseGenerator), 12, 4, 10, 14};
}

// Calls slot `slot` of the interface with one argument, as the worker's table does.
template <class Arg>
HRESULT CallSlot(IUnknown* object, REFIID iid, int slot, Arg argument)
{
    void* p = nullptr;
    if (FAILED(object->QueryInterface(iid, &p)))
        return E_NOINTERFACE;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(void*, Arg);
    const HRESULT hr = (*static_cast<Fn**>(p))[slot](p, argument);
    static_cast<IUnknown*>(p)->Release();
    return hr;
}

// The worker's SetGeneratorFormat and the dialog's SetGeneratorLength.
HRESULT SetFormat(IUnknown* g, const ModuleRow& row, unsigned rate, unsigned short bits, unsigned short channels)
{
    const Slots s = SlotsOf(row);
    HRESULT hr = CallSlot<unsigned>(g, s.iid, s.rate, rate);
    if (SUCCEEDED(hr))
        hr = CallSlot<unsigned short>(g, s.iid, s.bits, bits);
    if (SUCCEEDED(hr))
        hr = CallSlot<unsigned short>(g, s.iid, s.channels, channels);
    return hr;
}
HRESULT SetLength(IUnknown* g, const ModuleRow& row, LONGLONG frames)
{
    const Slots s = SlotsOf(row);
    return CallSlot<LONGLONG>(g, s.iid, s.length, frames);
}

struct GenRun {
    std::vector<uint8_t> bytes;
    WAVEFORMATEX format{};
    LONGLONG duration = 0, position = 0;
    long code = 0;
};

// Generator -> renderer as the worker connects it (ConnectDirect, no media type), run to the
// end, the renderer's bytes and the seeking answers; the generator is disconnected after.
GenRun RunGenerator(IBaseFilter* g, const GUID& onlySubtype = GUID_NULL)
{
    GenRun run;
    kvtest::TestGraph graph;
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    renderer->onlySubtype = onlySubtype;
    EXPECT_EQ(graph.Add(g, L"generator"), S_OK);
    EXPECT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
    if (SUCCEEDED(graph.Connect(g, renderer.Get()))) {
        auto seeking = Query<IMediaSeeking>(static_cast<IBaseFilter*>(renderer.Get()));
        run.code = graph.RunToEnd(30000);
        EXPECT_EQ(seeking->GetDuration(&run.duration), S_OK);
        LONGLONG stop = 0;
        EXPECT_EQ(seeking->GetPositions(&run.position, &stop), S_OK);
        graph.Stop();
        run.bytes = renderer->received;
        run.format = renderer->Format();
        graph.Disconnect(g);
    }
    graph.Graph()->RemoveFilter(g);
    return run;
}

class Generator : public testing::TestWithParam<ModuleRow> {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    const ModuleRow& Row() const { return GetParam(); }
};

std::string Name(const testing::TestParamInfo<ModuleRow>& info)
{
    std::string name = RowName(info.param);
    return name.substr(0, name.find('.'));
}

} // namespace

TEST_P(Generator, IsASourceWithOneOutputPinItsClassAndPages)
{
    IClassFactory* factory = nullptr;
    ASSERT_EQ(GetClassObject(Row(), Row().clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    IUnknown* object = nullptr;
    EXPECT_EQ(
        factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown, reinterpret_cast<void**>(&object)),
        CLASS_E_NOAGGREGATION);
    factory->Release();
    auto g = CreateFilter(Row());
    ASSERT_TRUE(g);
    CLSID clsid{};
    EXPECT_EQ(g->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, Row().clsid);
    IEnumPins* pins = nullptr;
    ASSERT_EQ(g->EnumPins(&pins), S_OK);
    IPin* pin = nullptr;
    int outputs = 0, inputs = 0;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION d;
        pin->QueryDirection(&d);
        (d == PINDIR_OUTPUT ? outputs : inputs)++;
        pin->Release();
    }
    pins->Release();
    EXPECT_EQ(outputs, 1);
    EXPECT_EQ(inputs, 0);
    auto specify = Query<ISpecifyPropertyPages>(g.Get());
    CAUUID list{};
    ASSERT_EQ(specify->GetPages(&list), S_OK);
    EXPECT_EQ(int(list.cElems), Row().pages);
    for (ULONG i = 0; i < list.cElems; ++i)
        EXPECT_TRUE(Create<IPropertyPage>(Row(), list.pElems[i]));
    CoTaskMemFree(list.pElems);
    int presets = -1;
    EXPECT_EQ(Query<IEffectPresets>(g.Get())->GetPresetCount(&presets), S_OK);
    EXPECT_EQ(presets, Row().presets);
    for (int i = 0; i < presets; ++i)
        EXPECT_EQ(Query<IEffectPresets>(g.Get())->SelectPreset(unsigned(i)), S_OK);
}

TEST_P(Generator, SettersSitAtTheirSlotsFillersAnswerNotImplemented)
{
    auto g = CreateFilter(Row());
    const Slots s = SlotsOf(Row());
    const int last = s.length;
    for (int slot = 3; slot < last; ++slot) {
        if (slot == s.rate || slot == s.bits || slot == s.channels)
            continue;
        void* p = nullptr;
        ASSERT_EQ(g->QueryInterface(s.iid, &p), S_OK);
        using Fn = HRESULT(STDMETHODCALLTYPE*)(void*);
        EXPECT_EQ((*static_cast<Fn**>(p))[slot](p), E_NOTIMPL) << "slot " << slot;
        static_cast<IUnknown*>(p)->Release();
    }
    // Values outside what a stream can carry are refused.
    EXPECT_EQ(CallSlot<unsigned>(g.Get(), s.iid, s.rate, 999u), E_INVALIDARG);
    for (unsigned short bits : {0, 12, 20, 64})
        EXPECT_EQ(CallSlot<unsigned short>(g.Get(), s.iid, s.bits, bits), E_INVALIDARG) << bits;
    for (unsigned short channels : {0, 3, 8})
        EXPECT_EQ(CallSlot<unsigned short>(g.Get(), s.iid, s.channels, channels), E_INVALIDARG) << channels;
    EXPECT_EQ(SetLength(g.Get(), Row(), 0), E_INVALIDARG);
    EXPECT_EQ(SetFormat(g.Get(), Row(), 48000, 24, 6), S_OK);
}

TEST_P(Generator, RecordRoundTripsAndForeignBytesAreRefused)
{
    auto a = CreateFilter(Row());
    ApplySettings(a.Get(), Row());
    IStream* raw = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &raw), S_OK);
    ComRef<IStream> stream(raw);
    ASSERT_EQ(Query<IPersistStream>(a.Get())->Save(stream.Get(), TRUE), S_OK);
    ULARGE_INTEGER max{};
    Query<IPersistStream>(a.Get())->GetSizeMax(&max);
    EXPECT_LE(max.QuadPart, 65536u);
    STATSTG st{};
    stream->Stat(&st, STATFLAG_NONAME);
    EXPECT_EQ(st.cbSize.QuadPart, max.QuadPart);
    std::vector<uint8_t> bytes(size_t(st.cbSize.QuadPart));
    const LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), ULONG(bytes.size()), nullptr);
    auto load = [&](const std::vector<uint8_t>& b, IUnknown* into) {
        IStream* s = nullptr;
        CreateStreamOnHGlobal(nullptr, TRUE, &s);
        ComRef<IStream> in(s);
        in->Write(b.data(), ULONG(b.size()), nullptr);
        in->Seek(zero, STREAM_SEEK_SET, nullptr);
        return Query<IPersistStream>(into)->Load(in.Get());
    };
    auto b = CreateFilter(Row());
    EXPECT_EQ(load(bytes, b.Get()), S_OK);
    EXPECT_EQ(ValuesOf(b.Get()), ValuesOf(a.Get()));
    auto fresh = CreateFilter(Row());
    const auto defaults = ValuesOf(fresh.Get());
    auto foreign = bytes;
    foreign[4] ^= 0xFF; // another class
    auto shortRecord = bytes;
    shortRecord.pop_back();
    for (const auto& bad : {foreign, shortRecord}) {
        EXPECT_TRUE(FAILED(load(bad, fresh.Get())));
        EXPECT_EQ(ValuesOf(fresh.Get()), defaults);
    }
    if (Row().params > 0) {
        auto outside = bytes;
        const double huge = 1e12;
        std::memcpy(outside.data() + outside.size() - 8, &huge, 8);
        EXPECT_TRUE(FAILED(load(outside, fresh.Get())));
        EXPECT_EQ(ValuesOf(fresh.Get()), defaults);
    }
}

TEST_P(Generator, RunsTheSetLengthInEveryFormatFromPhaseZero)
{
    struct Case {
        unsigned rate;
        unsigned short bits, channels;
        LONGLONG frames;
    };
    const Case cases[] = {{44100, 16, 2, 44100}, {48000, 8, 1, 12345}, {22050, 24, 6, 7000}, {44100, 32, 2, 30001}};
    for (const Case& c : cases) {
        auto g = CreateFilter(Row());
        ApplySettings(g.Get(), Row());
        ASSERT_EQ(SetFormat(g.Get(), Row(), c.rate, c.bits, c.channels), S_OK);
        ASSERT_EQ(SetLength(g.Get(), Row(), c.frames), S_OK);
        const GenRun first = RunGenerator(g.Get());
        const GenRun second = RunGenerator(g.Get());
        ASSERT_EQ(first.code, EC_COMPLETE) << c.bits;
        EXPECT_EQ(first.format.nSamplesPerSec, c.rate);
        EXPECT_EQ(first.format.wBitsPerSample, c.bits);
        EXPECT_EQ(first.format.nChannels, c.channels);
        EXPECT_EQ(first.format.wFormatTag, c.bits == 32 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM);
        EXPECT_EQ(LONGLONG(first.bytes.size()), c.frames * first.format.nBlockAlign) << c.bits;
        EXPECT_EQ(first.bytes, second.bytes) << "each run starts at phase 0";
        EXPECT_EQ(first.duration, c.frames * 10000000 / c.rate) << "seeking answers the length";
        EXPECT_EQ(first.position, first.duration) << "progress ends at 100 %";
        if (Row().clsid == CLSID_KvSESiln) {
            const uint8_t zero = c.bits == 8 ? 128 : 0;
            EXPECT_TRUE(std::all_of(first.bytes.begin(), first.bytes.end(), [&](uint8_t x) { return x == zero; }));
        }
    }
}

TEST_P(Generator, OffersSixteenBitPcmSecondAndTakesTheFormatOnlyWhileUnconnected)
{
    auto g = CreateFilter(Row());
    ASSERT_EQ(SetFormat(g.Get(), Row(), 44100, 32, 2), S_OK);
    ASSERT_EQ(SetLength(g.Get(), Row(), 4410), S_OK);
    // A peer that takes no float (a sound card without converter) gets 16-bit PCM.
    kvtest::TestGraph graph;
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    renderer->onlySubtype = MEDIASUBTYPE_PCM;
    graph.Add(g.Get(), L"generator");
    graph.Add(renderer.Get(), L"renderer");
    ASSERT_EQ(graph.Connect(g.Get(), renderer.Get()), S_OK);
    EXPECT_EQ(renderer->Format().wBitsPerSample, 16);
    const Slots s = SlotsOf(Row());
    EXPECT_EQ(CallSlot<unsigned>(g.Get(), s.iid, s.rate, 48000u), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(CallSlot<unsigned short>(g.Get(), s.iid, s.bits, 16), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(CallSlot<unsigned short>(g.Get(), s.iid, s.channels, 1), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(graph.RunToEnd(30000), EC_COMPLETE);
    EXPECT_EQ(renderer->received.size(), 4410u * 4);
    graph.Stop();
    graph.Disconnect(g.Get());
    EXPECT_EQ(CallSlot<unsigned short>(g.Get(), s.iid, s.channels, 1), S_OK);
    graph.Graph()->RemoveFilter(g.Get());
}

// The worker's render: per track the format is set (also for unselected tracks), the writer
// connected, the graph run and the generator disconnected; each track has its own channels.
TEST_P(Generator, FollowsTheRenderWorkersCallOrderOverTracks)
{
    auto g = CreateFilter(Row());
    ApplySettings(g.Get(), Row());
    ASSERT_EQ(SetLength(g.Get(), Row(), 22050), S_OK);
    const unsigned short channels[] = {2, 1, 6, 2};
    const bool selected[] = {true, false, true, true};
    for (int track = 0; track < 4; ++track) {
        ASSERT_EQ(SetFormat(g.Get(), Row(), 44100, 16, channels[track]), S_OK) << track;
        if (!selected[track])
            continue;
        const GenRun run = RunGenerator(g.Get());
        EXPECT_EQ(run.code, EC_COMPLETE);
        EXPECT_EQ(run.format.nChannels, channels[track]);
        EXPECT_EQ(run.bytes.size(), 22050u * 2 * channels[track]);
    }
}

TEST_P(Generator, PassesTheFilterConformanceSequence)
{
    auto g = CreateFilter(Row());
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    kvtest::ConformanceSetup setup{Row().clsid, 0, 1};
    setup.downstream = renderer.Get();
    kvtest::CheckFilterConformance(g.Get(), setup);
}

INSTANTIATE_TEST_SUITE_P(Generators, Generator, testing::ValuesIn(Generators()), Name);

// ---- signal checks of the kernels, on 1-2 s ----

namespace {

constexpr double kRate = 44100;

template <class K>
std::vector<float> Generate(std::initializer_list<std::pair<int, double>> set, const fxkit::ParamInfo* table, int count,
                            size_t frames, int channels = 1, double rate = kRate)
{
    K kernel;
    const auto values = fxkit::TableValues(table, count, set);
    kernel.Prepare({rate, channels, int64_t(frames)}, values.data());
    std::vector<float> out(frames * size_t(channels));
    // In uneven blocks, as the stream asks.
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min<size_t>(frames - done, 1000 + done % 777);
        kernel.Generate(out.data() + done * size_t(channels), n);
        done += n;
    }
    return out;
}

// Power spectrum of channel 0 (Blackman-Harris window), 2^bits points from the start.
std::vector<double> Power(const std::vector<float>& v, int channels, int bits)
{
    const size_t n = size_t(1) << bits;
    fxkit::Fft fft(n);
    std::vector<std::complex<double>> x(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = 6.283185307179586 * double(i) / double(n);
        const double w = 0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
        x[i] = w * v[i * size_t(channels)];
    }
    fft.Forward(x.data());
    std::vector<double> p(n / 2);
    for (size_t i = 0; i < n / 2; ++i)
        p[i] = std::norm(x[i]);
    return p;
}

// Frequency of a steady tone from the phase advance between two halves of the signal.
double MeasuredFrequency(const std::vector<float>& v, double nominal, double rate)
{
    const size_t half = v.size() / 2;
    auto phase = [&](size_t from) {
        double re = 0, im = 0;
        for (size_t i = from; i < from + half; ++i) {
            const double t = double(i - from) / rate;
            re += v[i] * std::cos(6.283185307179586 * nominal * t);
            im -= v[i] * std::sin(6.283185307179586 * nominal * t);
        }
        return std::atan2(im, re);
    };
    double d = phase(half) - phase(0) - 6.283185307179586 * nominal * double(half) / rate;
    d = std::remainder(d, 6.283185307179586);
    return nominal + d / (6.283185307179586 * double(half) / rate);
}

} // namespace

TEST(GeneratorDsp, SilenceIsExactlyZero)
{
    const auto v = Generate<fx::SilenceKernel>({}, nullptr, 0, 44100, 6);
    EXPECT_TRUE(std::all_of(v.begin(), v.end(), [](float x) { return x == 0.0f; }));
}

TEST(GeneratorDsp, SimpleToneHitsFrequencyAndLevelWithoutAliases)
{
    // 1 kHz sine at -20 dBFS (the test preset): frequency within 0.01 Hz, level within 0.01 dB.
    const auto sine = Generate<fx::ToneKernel>({{fx::kToneFrequency, 1000}, {fx::kToneLevel, -20}}, fx::kToneParams,
                                               fx::kToneParamCount, 88200);
    EXPECT_NEAR(MeasuredFrequency(sine, 1000, kRate), 1000.0, 0.01);
    EXPECT_NEAR(Db(ToneAmplitude(sine, 1, 0, 1000, kRate, 0, 88200)), -20.0, 0.01);
    EXPECT_EQ(sine[0], 0.0f) << "phase 0";
    // Square, triangle and sawtooth: every bin away from the harmonics at least 80 dB down.
    for (int wave : {fx::kSquare, fx::kTriangle, fx::kSawtooth})
        for (double f : {3100.0, 1000.0, 110.0}) {
            const auto v =
                Generate<fx::ToneKernel>({{fx::kToneWave, wave}, {fx::kToneFrequency, f}, {fx::kToneLevel, -6}},
                                         fx::kToneParams, fx::kToneParamCount, 65536);
            const auto p = Power(v, 1, 16);
            const double binHz = kRate / 65536;
            const double top = *std::max_element(p.begin(), p.end());
            double worst = 0;
            for (size_t i = 1; i < p.size(); ++i) {
                const double hz = double(i) * binHz;
                const double k = std::round(hz / f);
                if (k >= 1 && std::fabs(hz - k * f) < 6 * binHz)
                    continue; // a harmonic and its window skirt
                worst = std::max(worst, p[i]);
            }
            EXPECT_LT(10 * std::log10(worst / top), -80.0) << "wave " << wave << " at " << f << " Hz";
        }
}

TEST(GeneratorDsp, SweepsFromStartToEndFrequency)
{
    const auto v = Generate<fx::ToneKernel>(
        {{fx::kToneSweep, fx::kLogSweep}, {fx::kToneFrequency, 100}, {fx::kToneEndFrequency, 10000}}, fx::kToneParams,
        fx::kToneParamCount, 88200);
    // Zero crossings near the start and the end give the frequency there.
    auto crossingsPerSecond = [&](size_t from, size_t count) {
        int n = 0;
        for (size_t i = from + 1; i < from + count; ++i)
            n += (v[i - 1] < 0) != (v[i] < 0);
        return n / 2.0 / (double(count) / kRate);
    };
    EXPECT_NEAR(crossingsPerSecond(0, 4410), 100 * std::pow(100.0, 0.025), 12);
    EXPECT_NEAR(crossingsPerSecond(88200 - 4410, 4410), 10000 / std::pow(100.0, 0.025), 300);
}

TEST(GeneratorDsp, NoiseColoursHaveTheirSlopeAndChannelsAreUncorrelated)
{
    struct Case {
        int colour;
        double slope; // dB per octave
    };
    for (const Case c : {Case{fx::kWhite, 0.0}, Case{fx::kPink, -3.0}, Case{fx::kBrown, -6.0}}) {
        const size_t frames = 88200;
        const auto v = Generate<fx::NoiseKernel>({{fx::kNoiseColour, c.colour}, {fx::kNoiseLevel, -20}},
                                                 fx::kNoiseParams, fx::kNoiseParamCount, frames, 2);
        // Level: RMS -20 dBFS within 0.5 dB.
        double sum = 0;
        for (float x : v)
            sum += double(x) * x;
        EXPECT_NEAR(10 * std::log10(sum / double(v.size())), -20.0, 0.5) << c.colour;
        // Slope: averaged 4096-point spectra, octave bands 125 Hz .. 8 kHz, least squares.
        std::vector<double> avg(2048, 0.0);
        std::vector<float> segment(4096);
        for (size_t s = 0; s + 4096 <= frames; s += 2048) {
            for (size_t i = 0; i < 4096; ++i)
                segment[i] = v[(s + i) * 2];
            const auto p = Power(segment, 1, 12);
            for (size_t i = 0; i < p.size(); ++i)
                avg[i] += p[i];
        }
        std::vector<double> xs, ys;
        for (double f = 125; f <= 8000; f *= 2) {
            double band = 0;
            int bins = 0;
            for (size_t i = size_t(f / std::sqrt(2.0) / kRate * 4096); i < size_t(f * std::sqrt(2.0) / kRate * 4096);
                 ++i, ++bins)
                band += avg[i];
            xs.push_back(std::log2(f));
            ys.push_back(10 * std::log10(band / bins));
        }
        double mx = 0, my = 0;
        for (size_t i = 0; i < xs.size(); ++i)
            mx += xs[i] / double(xs.size()), my += ys[i] / double(ys.size());
        double sxy = 0, sxx = 0;
        for (size_t i = 0; i < xs.size(); ++i)
            sxy += (xs[i] - mx) * (ys[i] - my), sxx += (xs[i] - mx) * (xs[i] - mx);
        EXPECT_NEAR(sxy / sxx, c.slope, 0.3) << "colour " << c.colour;
        // Channels: correlation coefficient near 0 (brown has too few independent samples in 2 s
        // to say more than its white source does).
        if (c.colour == fx::kBrown)
            continue;
        double lr = 0, ll = 0, rr = 0;
        for (size_t i = 0; i < frames; ++i)
            lr += double(v[2 * i]) * v[2 * i + 1], ll += double(v[2 * i]) * v[2 * i],
                rr += double(v[2 * i + 1]) * v[2 * i + 1];
        EXPECT_LT(std::fabs(lr / std::sqrt(ll * rr)), 0.03) << c.colour;
    }
}

TEST(GeneratorDsp, FmToneIndexOneGivesBesselPartials)
{
    // Carrier 5 kHz, modulator 500 Hz, index 1, 0 dBFS: partial k at J_k(1).
    const double jk[] = {0.7651976865579666, 0.4400505857449335, 0.1149034849319005};
    const auto v = Generate<fx::FmToneKernel>(
        {{fx::kFmCarrier, 5000}, {fx::kFmModulator, 500}, {fx::kFmIndex, 1}, {fx::kFmLevel, 0}}, fx::kFmParams,
        fx::kFmParamCount, 44100);
    for (int k = -2; k <= 2; ++k) {
        const double a = ToneAmplitude(v, 1, 0, 5000 + 500 * k, kRate, 0, 44100);
        EXPECT_NEAR(Db(a), Db(jk[std::abs(k)]), 0.1) << "partial " << k;
    }
}
