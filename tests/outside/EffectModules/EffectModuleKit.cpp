#include "EffectModuleKit.h"

#include "GraphRunner.h"
#include "MediaType.h"
#include "IEffectParameters.h"
#include "TestFilters.h"
#include "TestSupport.h"

#include "DcOffsetKernel.h"
#include "FilterKernel.h"
#include "CompressorKernel.h"
#include "GainKernel.h"
#include "GraphicEq20Kernel.h"
#include "KvSEGEQ2.h"
#include "KvSEVoCl.h"
#include "VocalRemoverKernel.h"
#include "KvSEComp.h"
#include "KvSELoFi.h"
#include "KvSEModu.h"
#include "KvSENsGt.h"
#include "LoFiKernel.h"
#include "ModulatorKernel.h"
#include "NoiseGateKernel.h"
#include "KvSEAveg.h"
#include "KvSEFltr.h"
#include "KvSEPrEQ.h"
#include "FftEqKernel.h"
#include "KvSEFFEQ.h"
#include "DelayKernel.h"
#include "HumKernel.h"
#include "KvSEDely.h"
#include "KvSERevb.h"
#include "KvSETime.h"
#include "KvSEPtch.h"
#include "HissKernel.h"
#include "KvSEHsNR.h"
#include "PitchShiftKernel.h"
#include "TimeStretchKernel.h"
#include "ReverbKernel.h"
#include "KvSEHmNR.h"
#include "CrackleKernel.h"
#include "KvSECrNR.h"
#include "ParametricEqKernel.h"
#include "SmoothingKernel.h"
#include "IEffectEnvironment.h"
#include "KvSELevl.h"
#include "KvSEM2St.h"
#include "KvSENorm.h"
#include "KvSENrmC.h"
#include "KvSEOfst.h"
#include "KvSEPhIv.h"
#include "KvSESt2M.h"
#include "MonoToStereoKernel.h"
#include "PeakNormalize.h"
#include "PhaseKernel.h"
#include "StereoToMonoKernel.h"

#include <cstring>
#include <map>
#include <random>

namespace fxtest {

namespace {

const double kPi = 3.14159265358979323846;

template <class K>
std::unique_ptr<fxkit::EffectKernel> Make()
{
    return std::make_unique<K>();
}

std::unique_ptr<fxkit::EffectKernel> CommonPeak()
{
    return std::make_unique<fxkit::PeakNormalizeKernel>(false);
}
std::unique_ptr<fxkit::EffectKernel> EachPeak()
{
    return std::make_unique<fxkit::PeakNormalizeKernel>(true);
}

HRESULT DcMeasuring(IUnknown* filter, int mode)
{
    auto dc = Query<IDcOffsetSettings>(filter);
    return dc ? dc->SetMeasuringMode(mode) : E_NOINTERFACE;
}
HRESULT NormalizeMeasuring(IUnknown* filter, int mode)
{
    auto n = Query<INormalizeSettings>(filter);
    return n ? n->SetMeasuringMode(mode) : E_NOINTERFACE;
}
HRESULT LayoutMeasuring(IUnknown* filter, int mode)
{
    auto l = Query<IEffectChannelLayout2>(filter);
    return l ? l->SetMeasuringMode(mode) : E_NOINTERFACE;
}

constexpr unsigned kAll = kMono | kStereo | kSix;

} // namespace

const std::vector<ModuleRow>& Modules()
{
    // clang-format off
    static const std::vector<ModuleRow> rows = {
        {"KvSELevl.dll", CLSID_KvSELevl, 1, 6, 4, kAll, 0, 0, false, Make<fx::GainKernel>,
         {{0, 6}, {1, -3}, {2, 1}, {3, 2}, {4, -1}, {5, -20}}, nullptr},
        {"KvSEOfst.dll", CLSID_KvSEOfst, 1, 3, 2, kAll, 0, 0, true, Make<fx::DcOffsetKernel>, {}, DcMeasuring},
        {"KvSENorm.dll", CLSID_KvSENorm, 1, 1, 3, kAll, 0, 0, true, CommonPeak, {{0, -3}}, NormalizeMeasuring},
        {"KvSEM2St.dll", CLSID_KvSEM2St, 1, 3, 3, kMono, 2, 0, false, Make<fx::MonoToStereoKernel>,
         {{0, 2}, {2, 80}}, nullptr},
        {"KvSESt2M.dll", CLSID_KvSESt2M, 1, 2, 3, kStereo, 1, 2, false, Make<fx::StereoToMonoKernel>,
         {{0, 3}, {1, 40}}, nullptr},
        {"KvSEAveg.dll", CLSID_KvSEAveg, 1, 2, 3, kAll, 0, 0, false, Make<fx::SmoothingKernel>, {{0, 4}, {1, 2}},
         nullptr},
        {"KvSEPrEQ.dll", CLSID_KvSEPrEQ, 6, 24, 3, kAll, 0, 0, false, Make<fx::ParametricEqKernel>,
         {{0, 2}, {2, 3}, {10, 6}, {20, 4}, {21, 9000}}, nullptr},
        {"KvSEFFEQ.dll", CLSID_KvSEFFEQ, 1, fx::kFeqParamCount, 2, kAll, 0, 0, false, Make<fx::FftEqKernel>,
         {{7, 4}, {8, 1900}, {9, 0}, {10, 2000}, {11, -20}, {12, 4000}, {13, -20}, {14, 4200}, {15, 0}}, nullptr},
        {"KvSEFltr.dll", CLSID_KvSEFltr, 1, 4, 3, kAll, 0, 0, false, Make<fx::FilterKernel>,
         {{0, 2}, {1, 300}, {2, 3400}}, nullptr},
        {"KvSEDely.dll", CLSID_KvSEDely, 1, 5, 2, kAll, 0, 0, false, Make<fx::DelayKernel>,
         {{0, 30}, {1, 50}, {2, 50}, {4, 1}}, nullptr},
        {"KvSERevb.dll", CLSID_KvSERevb, 1, 6, 2, kAll, 0, 0, false, Make<fx::ReverbKernel>,
         {{0, 0.3}, {1, 10}, {5, 40}}, nullptr},
        {"KvSEPtch.dll", CLSID_KvSEPtch, 1, 1, 2, kAll, 0, 0, false, Make<fx::PitchShiftKernel>, {{0, 5}}, nullptr},
        {"KvSETime.dll", CLSID_KvSETime, 1, 1, 2, kAll, 0, 0, false, Make<fx::TimeStretchKernel>, {{0, 150}},
         nullptr},
        {"KvSEModu.dll", CLSID_KvSEModu, 1, 4, 3, kAll, 0, 0, false, Make<fx::ModulatorKernel>,
         {{0, 2}, {1, 3}, {2, 40}}, nullptr},
        {"KvSELoFi.dll", CLSID_KvSELoFi, 1, 4, 2, kAll, 0, 0, false, Make<fx::LoFiKernel>,
         {{0, 6}, {1, 11025}, {2, 5000}, {3, 80}}, nullptr},
        {"KvSEComp.dll", CLSID_KvSEComp, 2, 8, 3, kAll, 0, 0, false, Make<fx::CompressorKernel>,
         {{0, -30}, {1, 6}, {5, 1}}, nullptr},
        {"KvSENsGt.dll", CLSID_KvSENsGt, 1, 6, 2, kAll, 0, 0, false, Make<fx::NoiseGateKernel>, {{0, -20}}, nullptr},
        {"KvSEHsNR.dll", CLSID_KvSEHsNR, 1, 3, 2, kAll, 0, 0, false, Make<fx::HissKernel>, {{0, 20}, {1, 3000}}, nullptr},
        {"KvSEHmNR.dll", CLSID_KvSEHmNR, 1, 3, 2, kAll, 0, 0, false, Make<fx::HumKernel>, {{0, 1}, {1, 6}}, nullptr},
        {"KvSECrNR.dll", CLSID_KvSECrNR, 1, 2, 2, kAll, 0, 0, false, Make<fx::CrackleKernel>, {{0, 80}, {1, 4}}, nullptr},
        {"KvSEGEQ2.dll", CLSID_KvSEGEQ2, 4, 22, 12, kAll, 0, 0, false, Make<fx::GraphicEq20Kernel>,
         {{3, 6}, {10, -4}, {18, 3}, {20, -1}, {21, 1}}, nullptr},
        {"KvSEVoCl.dll", CLSID_KvSEVoCl, 1, 3, 2, kStereo, 0, 2, false, Make<fx::VocalRemoverKernel>,
         {{0, 300}, {1, 4000}, {2, 90}}, nullptr},
        {"KvSEPhIv.dll", CLSID_KvSEPhIv, 1, 6, 3, kAll, 0, 0, false, Make<fx::PhaseKernel>, {{1, 0}}, nullptr},
        {"KvSENrmC.dll", CLSID_KvSENrmC, 1, 1, 2, kAll, 0, 0, true, EachPeak, {{0, -2}}, LayoutMeasuring},
    };
    // clang-format on
    return rows;
}

std::string RowName(const ModuleRow& row)
{
    return row.dll;
}

HRESULT GetClassObject(const ModuleRow& row, REFCLSID clsid, REFIID iid, void** ppv)
{
    using Fn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    static std::map<std::string, Fn> loaded;
    Fn& fn = loaded[row.dll];
    if (!fn) {
        HMODULE module = LoadLibraryA((kvtest::BinFolder() + row.dll).c_str());
        if (!module)
            return HRESULT_FROM_WIN32(GetLastError());
        fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        if (!fn)
            return E_FAIL;
    }
    return fn(clsid, iid, ppv);
}

ComRef<IBaseFilter> CreateFilter(const ModuleRow& row)
{
    return Create<IBaseFilter>(row, row.clsid);
}

void ApplySettings(IUnknown* filter, const ModuleRow& row)
{
    auto params = Query<IEffectParameters>(filter);
    ASSERT_TRUE(params);
    for (const auto& s : row.settings)
        EXPECT_TRUE(SUCCEEDED(params->SetParameter(s.first, s.second))) << s.first;
}

std::vector<double> ValuesOf(IUnknown* filter)
{
    auto params = Query<IEffectParameters>(filter);
    int count = 0;
    if (params)
        params->GetParameterCount(&count);
    std::vector<double> values(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        params->GetParameter(i, &values[size_t(i)]);
    return values;
}

std::vector<float> Sine(double freq, double amplitude, double rate, size_t frames, int channels)
{
    std::vector<float> v(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            v[i * size_t(channels) + size_t(c)] = float(amplitude * std::sin(2 * kPi * freq * double(i) / rate));
    return v;
}

std::vector<float> Noise(size_t frames, int channels, double amplitude, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> d(-amplitude, amplitude);
    std::vector<float> v(frames * size_t(channels));
    for (float& x : v)
        x = float(d(rng));
    return v;
}

WAVEFORMATEXTENSIBLE Wave(bool isFloat, int channels, DWORD rate, bool extensible)
{
    WAVEFORMATEXTENSIBLE w{};
    const WORD bits = isFloat ? 32 : 16;
    w.Format.wFormatTag = isFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    w.Format.nChannels = WORD(channels);
    w.Format.nSamplesPerSec = rate;
    w.Format.wBitsPerSample = bits;
    w.Format.nBlockAlign = WORD(channels * bits / 8);
    w.Format.nAvgBytesPerSec = rate * w.Format.nBlockAlign;
    if (extensible) {
        w.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        w.Format.cbSize = 22;
        w.Samples.wValidBitsPerSample = bits;
        w.dwChannelMask = channels == 1 ? SPEAKER_FRONT_CENTER : channels == 2 ? 3 : 0x3F;
        w.SubFormat = isFloat ? kExtensibleFloat : kExtensiblePcm;
    }
    return w;
}

std::vector<uint8_t> ToBytes(const std::vector<float>& v, bool isFloat)
{
    std::vector<uint8_t> b(v.size() * (isFloat ? 4 : 2));
    if (isFloat) {
        std::memcpy(b.data(), v.data(), b.size());
        return b;
    }
    for (size_t i = 0; i < v.size(); ++i) {
        const double s = std::nearbyint(std::max(-32768.0, std::min(32767.0, double(v[i]) * 32768.0)));
        const int16_t x = int16_t(s);
        std::memcpy(b.data() + 2 * i, &x, 2);
    }
    return b;
}

std::vector<float> FromBytes(const std::vector<uint8_t>& b, bool isFloat)
{
    std::vector<float> v(b.size() / (isFloat ? 4 : 2));
    if (isFloat) {
        std::memcpy(v.data(), b.data(), v.size() * 4);
        return v;
    }
    for (size_t i = 0; i < v.size(); ++i) {
        int16_t x;
        std::memcpy(&x, b.data() + 2 * i, 2);
        v[i] = float(x / 32768.0);
    }
    return v;
}

std::vector<uint8_t> RunGraph(IBaseFilter* filter, const WAVEFORMATEXTENSIBLE& w, const std::vector<uint8_t>& in,
                              size_t chunkFrames, HRESULT* connect, WAVEFORMATEX* outFormat)
{
    kvtest::TestGraph graph;
    EXPECT_TRUE(graph.Ok());
    ComRef<kvtest::TestPcmSource> source(kvtest::TestPcmSource::New(w.Format, in, chunkFrames));
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    EXPECT_EQ(graph.Add(source.Get(), L"source"), S_OK);
    EXPECT_EQ(graph.Add(filter, L"effect"), S_OK);
    EXPECT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
    HRESULT hr = graph.Connect(source.Get(), filter);
    if (SUCCEEDED(hr))
        hr = graph.Connect(filter, renderer.Get());
    if (connect)
        *connect = hr;
    std::vector<uint8_t> out;
    if (SUCCEEDED(hr)) {
        EXPECT_EQ(graph.RunToEnd(30000), EC_COMPLETE);
        graph.Stop();
        out = renderer->received;
        if (outFormat)
            *outFormat = renderer->Format();
    }
    graph.Graph()->RemoveFilter(filter);
    return out;
}

std::vector<float> KernelOutput(fxkit::EffectKernel& kernel, const std::vector<float>& in, int inChannels,
                                int outChannels, const double* values, double rate)
{
    kernel.Prepare({rate, inChannels, outChannels}, values);
    const size_t frames = in.size() / size_t(inChannels);
    const double ratio = kernel.LengthRatio(values);
    if (ratio != 1.0) {
        // As the filter runs it: blocks in, the rest at the end, cut or padded to the length.
        std::vector<float> out;
        for (size_t at = 0; at < frames; at += 4410)
            kernel.Stretch(in.data() + at * size_t(inChannels), std::min<size_t>(4410, frames - at), out);
        kernel.Finish(out);
        out.resize(size_t(std::llround(double(frames) * ratio)) * size_t(outChannels), 0.0f);
        return out;
    }
    const size_t latency = kernel.Latency();
    const size_t all = frames + size_t(kernel.TailFrames(values, rate)) + latency;
    std::vector<float> padded(in);
    padded.resize(all * size_t(inChannels), 0.0f);
    std::vector<float> out(all * size_t(outChannels));
    kernel.Process(padded.data(), out.data(), all);
    out.erase(out.begin(), out.begin() + long(latency * size_t(outChannels)));
    return out;
}

double ToneAmplitude(const std::vector<float>& v, int channels, int channel, double freq, double rate, size_t from,
                     size_t count)
{
    double re = 0, im = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double s = v[i * size_t(channels) + size_t(channel)];
        re += s * std::cos(2 * kPi * freq * double(i) / rate);
        im += s * std::sin(2 * kPi * freq * double(i) / rate);
    }
    return 2.0 * std::sqrt(re * re + im * im) / double(count);
}

double Peak(const std::vector<float>& v, int channels, int channel)
{
    double p = 0;
    for (size_t i = size_t(channel); i < v.size(); i += size_t(channels))
        p = std::max(p, double(std::fabs(v[i])));
    return p;
}

} // namespace fxtest
