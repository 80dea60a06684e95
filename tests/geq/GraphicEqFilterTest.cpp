#include "EqModule.h"

#include "EqEngine.h"
#include "GraphicEqParams.h"
#include "FilterConformance.h"
#include "GraphRunner.h"
#include "TestFilters.h"

#include <uuids.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

WAVEFORMATEXTENSIBLE Wave(WORD tag, WORD bits, WORD channels, DWORD rate = 44100, bool extensible = false)
{
    WAVEFORMATEXTENSIBLE w{};
    w.Format.wFormatTag = tag;
    w.Format.nChannels = channels;
    w.Format.nSamplesPerSec = rate;
    w.Format.wBitsPerSample = bits;
    w.Format.nBlockAlign = WORD(channels * bits / 8);
    w.Format.nAvgBytesPerSec = rate * w.Format.nBlockAlign;
    if (extensible) {
        w.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        w.Format.cbSize = 22;
        w.Samples.wValidBitsPerSample = bits;
        w.dwChannelMask = channels == 1 ? SPEAKER_FRONT_CENTER : channels == 2 ? 3 : 0x3F;
        const geq::FormatGuid sub = geq::SubFormatOfTag(tag);
        static_assert(sizeof(sub) == sizeof(w.SubFormat), "a GUID");
        std::memcpy(&w.SubFormat, &sub, sizeof sub);
    }
    return w;
}

AM_MEDIA_TYPE AudioType(WAVEFORMATEXTENSIBLE& w)
{
    AM_MEDIA_TYPE mt{};
    mt.majortype = MEDIATYPE_Audio;
    mt.subtype = MEDIASUBTYPE_PCM;
    mt.bFixedSizeSamples = TRUE;
    mt.lSampleSize = w.Format.nBlockAlign;
    mt.formattype = FORMAT_WaveFormatEx;
    mt.cbFormat = w.Format.wFormatTag == WAVE_FORMAT_EXTENSIBLE ? sizeof(WAVEFORMATEXTENSIBLE) : sizeof(WAVEFORMATEX);
    mt.pbFormat = reinterpret_cast<BYTE*>(&w);
    return mt;
}

std::vector<uint8_t> NoiseBytes(size_t samples, unsigned seed = 5)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-6000, 6000);
    std::vector<uint8_t> bytes(samples * 2);
    for (size_t i = 0; i < samples; ++i) {
        const int16_t s = int16_t(d(rng));
        std::memcpy(bytes.data() + 2 * i, &s, 2);
    }
    return bytes;
}

geq::WaveFormat EngineFormat(const WAVEFORMATEXTENSIBLE& w)
{
    geq::WaveFormat f{};
    std::memcpy(&f, &w, 18);
    return f;
}

// What the engine alone makes of the whole input (one call, then the drain).
std::vector<uint8_t> EngineOutput(const WAVEFORMATEXTENSIBLE& w, const std::vector<uint8_t>& in, const int* block)
{
    geq::EqEngine e;
    e.Prepare(EngineFormat(w), EngineFormat(w));
    float gains[geq::kBandCount];
    for (int i = 0; i < geq::kBandCount; ++i)
        gains[i] = float(block[i]) * 0.1f;
    e.SetMode(block[geq::kModeIndex] == 1);
    e.SetBandGains(gains);
    e.SetMasterGain(float(block[geq::kMasterIndex]) * 0.1f);
    const size_t frames = in.size() / w.Format.nBlockAlign;
    std::vector<uint8_t> out((e.MaxOutputFrames(frames) + e.MaxOutputFrames(0)) * w.Format.nBlockAlign);
    size_t written = e.Process(in.data(), frames, out.data());
    e.SetDrain(true);
    written += e.Process(nullptr, 0, out.data() + written * w.Format.nBlockAlign);
    out.resize(written * w.Format.nBlockAlign);
    return out;
}

void ExpectSamplesNear(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance)
{
    ASSERT_EQ(a.size(), b.size());
    int bad = 0;
    for (size_t i = 0; i + 1 < a.size(); i += 2) {
        int16_t x, y;
        std::memcpy(&x, a.data() + i, 2);
        std::memcpy(&y, b.data() + i, 2);
        if (std::abs(x - y) > tolerance && bad++ < 5)
            ADD_FAILURE() << "sample " << i / 2 << ": " << x << " vs " << y;
    }
}

} // namespace

using GraphicEqFilterModule = EqModule;

TEST_F(GraphicEqFilterModule, AnswersItsInterfacesAndStartsAtTheDefaultPreset)
{
    ComRef<IBaseFilter> filter(CreateFilter());
    ASSERT_TRUE(filter);
    ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));
    ComRef<ISpecifyPropertyPages> pages(Query<ISpecifyPropertyPages>(filter.Get()));
    ComRef<IPersistStream> persist(Query<IPersistStream>(filter.Get()));
    ComRef<IEffectPresets> presets(Query<IEffectPresets>(filter.Get()));
    ASSERT_TRUE(eq && pages && persist && presets);
    EXPECT_EQ(filter->QueryInterface(IID_IPersist, nullptr), E_POINTER);

    int block[geq::kParamCount] = {1};
    ASSERT_EQ(eq->GetAll(block), S_OK);
    for (int v : block)
        EXPECT_EQ(v, 0);
    EXPECT_EQ(persist->IsDirty(), S_OK); // selecting the first preset counts as a change
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, kClsidGraphicEqFilter);
    ULARGE_INTEGER size{};
    EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 68u);

    CAUUID ids{};
    ASSERT_EQ(pages->GetPages(&ids), S_OK);
    ASSERT_EQ(ids.cElems, 2u);
    EXPECT_EQ(ids.pElems[0], kClsidEqPropertyPage);
    EXPECT_EQ(ids.pElems[1], kClsidFirEqPropertyPage);
    CoTaskMemFree(ids.pElems);

    for (const wchar_t* name : {L"Input", L"Output"}) {
        IPin* pin = nullptr;
        EXPECT_EQ(filter->FindPin(name, &pin), S_OK) << "pin named " << static_cast<int>(name[0]);
        if (pin)
            pin->Release();
    }

    int rate = 0;
    EXPECT_EQ(eq->SetSampleRate(22050), HRESULT(22050));
    EXPECT_EQ(eq->GetSampleRate(&rate), HRESULT(22050));
    EXPECT_EQ(rate, 22050);
}

TEST_F(GraphicEqFilterModule, PresetsCarryTheirNamesAndGains)
{
    ComRef<IEffectPresets> presets(Create<IEffectPresets>(kClsidGraphicEqFilter));
    ASSERT_TRUE(presets);
    int count = 0;
    EXPECT_EQ(presets->GetPresetCount(&count), S_OK);
    EXPECT_EQ(count, 12);
    const wchar_t* names[] = {L"Default",   L"Rock",    L"Jazz",         L"Classical",  L"Disco",      L"Vocal",
                              L"Low Boost", L"Low Cut", L"Middle Boost", L"Middle Cut", L"High Boost", L"High Cut"};
    for (unsigned i = 0; i < 12; ++i) {
        wchar_t name[128] = L"?";
        ASSERT_EQ(presets->GetPresetName(i, name, 128), S_OK);
        EXPECT_STREQ(name, names[i]);
    }
    wchar_t name[128] = L"unchanged";
    EXPECT_EQ(presets->GetPresetName(12, name, 128), E_INVALIDARG);
    EXPECT_EQ(presets->GetPresetName(unsigned(-1), name, 128), E_INVALIDARG);
    EXPECT_STREQ(name, L"unchanged");
    wchar_t tiny[4];
    EXPECT_EQ(presets->GetPresetName(3, tiny, 4), S_OK);
    EXPECT_STREQ(tiny, L"Cla");

    ComRef<IGraphicEq> eq(Query<IGraphicEq>(presets.Get()));
    ASSERT_EQ(presets->SelectPreset(4), S_OK); // Disco
    int block[geq::kParamCount];
    eq->GetAll(block);
    EXPECT_EQ(std::vector<int>(block, block + 12), (std::vector<int>{72, 43, 28, -5, -40, 5, 38, 61, 70, 70, 0, 0}));
    EXPECT_EQ(presets->SelectPreset(12), E_INVALIDARG);
    eq->Reset();
    eq->GetAll(block);
    EXPECT_EQ(block[0], 0);

    eq->SetBand3(1000);
    eq->SetMode(5);
    int v = 0;
    eq->GetBand3(&v);
    EXPECT_EQ(v, 200);
    eq->GetMode(&v);
    EXPECT_EQ(v, 1);
}

TEST_F(GraphicEqFilterModule, AcceptsSixteenBitPcmAndFloatWithOneTwoOrSixChannels)
{
    ComRef<IBaseFilter> filter(CreateFilter());
    ASSERT_TRUE(filter);
    ComRef<IPin> input(kvtest::FirstPin(filter.Get(), PINDIR_INPUT));
    ASSERT_TRUE(input);
    struct Case {
        WORD tag, bits, channels;
        bool extensible;
        bool accepted;
    } cases[] = {
        {WAVE_FORMAT_PCM, 16, 1, false, true},
        {WAVE_FORMAT_PCM, 16, 2, false, true},
        {WAVE_FORMAT_PCM, 16, 6, false, true},
        {WAVE_FORMAT_IEEE_FLOAT, 32, 2, false, true},
        {WAVE_FORMAT_IEEE_FLOAT, 32, 1, false, true},
        {WAVE_FORMAT_PCM, 16, 2, true, true},
        {WAVE_FORMAT_PCM, 16, 6, true, true},
        {WAVE_FORMAT_IEEE_FLOAT, 32, 2, true, true},
        {WAVE_FORMAT_PCM, 24, 2, false, false},
        {WAVE_FORMAT_PCM, 8, 2, false, false},
        {WAVE_FORMAT_PCM, 32, 2, false, false},
        {WAVE_FORMAT_IEEE_FLOAT, 64, 2, false, false},
        {WAVE_FORMAT_PCM, 16, 4, false, false},
        {WAVE_FORMAT_PCM, 16, 3, false, false},
        {WAVE_FORMAT_PCM, 24, 2, true, false},
        {WAVE_FORMAT_IEEE_FLOAT, 16, 2, false, false},
        {0x0055, 16, 2, false, false},
    };
    for (const auto& c : cases) {
        auto w = Wave(c.tag, c.bits, c.channels, 44100, c.extensible);
        AM_MEDIA_TYPE mt = AudioType(w);
        EXPECT_EQ(input->QueryAccept(&mt), c.accepted ? S_OK : S_FALSE)
            << "tag " << c.tag << " bits " << c.bits << " channels " << c.channels << " ext " << c.extensible;
    }
    // A block too short for a wave format, a compressed stream, and a video type are refused.
    auto w = Wave(WAVE_FORMAT_PCM, 16, 2);
    AM_MEDIA_TYPE mt = AudioType(w);
    mt.cbFormat = 14;
    EXPECT_EQ(input->QueryAccept(&mt), S_FALSE);
    mt = AudioType(w);
    mt.bTemporalCompression = TRUE;
    EXPECT_EQ(input->QueryAccept(&mt), S_FALSE);
    mt = AudioType(w);
    mt.majortype = MEDIATYPE_Video;
    EXPECT_EQ(input->QueryAccept(&mt), S_FALSE);
    // An extensible block with a foreign sub-format.
    auto odd = Wave(WAVE_FORMAT_PCM, 16, 2, 44100, true);
    odd.SubFormat.Data2 = 0x1234;
    mt = AudioType(odd);
    EXPECT_EQ(input->QueryAccept(&mt), S_FALSE);
}

TEST_F(GraphicEqFilterModule, OutputKeepsTheInputFormatAndQuadruplesTheBuffers)
{
    ComRef<IBaseFilter> filter(CreateFilter());
    ASSERT_TRUE(filter);
    kvtest::TestGraph graph;
    ASSERT_TRUE(graph.Ok());
    auto w = Wave(WAVE_FORMAT_PCM, 16, 2);
    ComRef<kvtest::TestPcmSource> source(
        kvtest::TestPcmSource::New(w.Format, NoiseBytes(4096), 1024)); // 4096-byte buffers
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));

    WAVEFORMATEXTENSIBLE got{};
    EXPECT_EQ(eq->GetConnectionFormat(&got, 0), VFW_E_NOT_CONNECTED);
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_EQ(eq->SetNotifyWindow(window, 7), S_OK);

    ASSERT_EQ(graph.Add(source.Get(), L"source"), S_OK);
    ASSERT_EQ(graph.Add(filter.Get(), L"eq"), S_OK);
    ASSERT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
    ASSERT_EQ(graph.Connect(source.Get(), filter.Get()), S_OK);

    // A different rate on the output side is refused.
    ComRef<IPin> output(kvtest::FirstPin(filter.Get(), PINDIR_OUTPUT));
    auto other = Wave(WAVE_FORMAT_PCM, 16, 2, 48000);
    AM_MEDIA_TYPE mt = AudioType(other);
    EXPECT_EQ(output->QueryAccept(&mt), S_FALSE);
    auto same = Wave(WAVE_FORMAT_PCM, 16, 2);
    mt = AudioType(same);
    EXPECT_EQ(output->QueryAccept(&mt), S_OK);

    ASSERT_EQ(graph.Connect(filter.Get(), renderer.Get()), S_OK);
    ASSERT_EQ(eq->GetConnectionFormat(&got, 1), S_OK);
    EXPECT_EQ(got.Format.nSamplesPerSec, 44100u);
    EXPECT_EQ(got.Format.nBlockAlign, 4);
    EXPECT_EQ(eq->GetConnectionFormat(&got, 2), VFW_E_NOT_CONNECTED);

    ALLOCATOR_PROPERTIES props{};
    ASSERT_NE(renderer->Input()->Allocator(), nullptr);
    renderer->Input()->Allocator()->GetProperties(&props);
    EXPECT_EQ(props.cbBuffer, 16384);

    // The input and the output connection were both announced to the registered window.
    std::vector<WPARAM> posted;
    MSG msg;
    while (PeekMessageW(&msg, window, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        posted.push_back(msg.wParam);
    EXPECT_EQ(posted, (std::vector<WPARAM>{7, (1u << 16) | 7}));
    eq->SetNotifyWindow(nullptr, 7);
    DestroyWindow(window);
    graph.Stop();
}

TEST_F(GraphicEqFilterModule, RefusesOutputBuffersBelow512Bytes)
{
    ComRef<IBaseFilter> filter(CreateFilter());
    kvtest::TestGraph graph;
    auto w = Wave(WAVE_FORMAT_PCM, 16, 2);
    // 7-frame input buffers (28 bytes) ask for 112-byte output buffers.
    ComRef<kvtest::TestPcmSource> source(kvtest::TestPcmSource::New(w.Format, NoiseBytes(1000), 7));
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    ASSERT_EQ(graph.Add(source.Get(), L"source"), S_OK);
    ASSERT_EQ(graph.Add(filter.Get(), L"eq"), S_OK);
    ASSERT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
    ASSERT_EQ(graph.Connect(source.Get(), filter.Get()), S_OK);
    EXPECT_TRUE(FAILED(graph.Connect(filter.Get(), renderer.Get())));
}

TEST_F(GraphicEqFilterModule, PassesTheFilterConformanceSequence)
{
    ComRef<IBaseFilter> filter(CreateFilter());
    ASSERT_TRUE(filter);
    auto w = Wave(WAVE_FORMAT_PCM, 16, 2);
    ComRef<kvtest::TestPcmSource> source(kvtest::TestPcmSource::New(w.Format, NoiseBytes(44100 * 2), 4410));
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    kvtest::ConformanceSetup setup{kClsidGraphicEqFilter, 1, 1};
    setup.upstream = source.Get();
    setup.downstream = renderer.Get();
    kvtest::CheckFilterConformance(filter.Get(), setup);
}

// Runs the input through source -> equaliser -> renderer in a graph of the platform's graph
// manager and returns what the renderer received.
static std::vector<uint8_t> RunGraph(IBaseFilter* filter, const WAVEFORMATEXTENSIBLE& w, const std::vector<uint8_t>& in,
                                     size_t chunkFrames, int* samplesOut = nullptr)
{
    kvtest::TestGraph graph;
    EXPECT_TRUE(graph.Ok());
    ComRef<kvtest::TestPcmSource> source(kvtest::TestPcmSource::New(w.Format, in, chunkFrames));
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    EXPECT_EQ(graph.Add(source.Get(), L"source"), S_OK);
    EXPECT_EQ(graph.Add(filter, L"eq"), S_OK);
    EXPECT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
    EXPECT_EQ(graph.Connect(source.Get(), filter), S_OK);
    EXPECT_EQ(graph.Connect(filter, renderer.Get()), S_OK);
    EXPECT_EQ(graph.RunToEnd(30000), EC_COMPLETE);
    graph.Stop();
    if (samplesOut)
        *samplesOut = renderer->samples;
    std::vector<uint8_t> out = renderer->received;
    graph.Graph()->RemoveFilter(filter);
    return out;
}

TEST_F(GraphicEqFilterModule, GraphOutputMatchesTheEngineInBothModesAndAnyBufferSize)
{
    const int iir[geq::kParamCount] = {60, -60, 60, -60, 60, -60, 60, -60, 60, -60, -30, 0};
    const int fir[geq::kParamCount] = {60, -60, 60, -60, 60, -60, 60, -60, 60, -60, -30, 1};
    auto w = Wave(WAVE_FORMAT_PCM, 16, 2);
    const auto in = NoiseBytes(40000 * 2);
    struct Case {
        const int* block;
        size_t chunkFrames;
    } cases[] = {{iir, 4410}, {fir, 4410}, {fir, 256}, {fir, 20000}, {iir, 130}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.block[11] << " chunk " << c.chunkFrames);
        ComRef<IBaseFilter> filter(CreateFilter());
        ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));
        eq->SetAll(c.block);
        int samples = 0;
        const auto out = RunGraph(filter.Get(), w, in, c.chunkFrames, &samples);
        ExpectSamplesNear(out, EngineOutput(w, in, c.block), 1);
        if (c.block[11] == 0) { // IIR: one output sample per input sample, nothing extra at the end
            EXPECT_EQ(size_t(samples), (40000 + c.chunkFrames - 1) / c.chunkFrames);
        }
    }
}

TEST_F(GraphicEqFilterModule, FloatStreamsAreNotClipped)
{
    auto w = Wave(WAVE_FORMAT_IEEE_FLOAT, 32, 1);
    std::vector<uint8_t> in(1000 * 4);
    for (size_t i = 0; i < 1000; ++i) {
        const float v = (i % 2) ? 0.9f : -0.9f;
        std::memcpy(in.data() + 4 * i, &v, 4);
    }
    ComRef<IBaseFilter> filter(CreateFilter());
    ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));
    eq->SetMaster(120); // +12 dB
    const auto out = RunGraph(filter.Get(), w, in, 100);
    ASSERT_EQ(out.size(), in.size());
    float v;
    std::memcpy(&v, out.data() + 4 * 501, 4);
    EXPECT_NEAR(v, 0.9 * std::pow(10.0, 0.6), 1e-3);
}

// Feeds the equaliser's input pin by hand (the source stays stopped), so a test can flush
// between samples as a seek does.
class PinFeeder {
public:
    PinFeeder(IBaseFilter* filter, IBaseFilter* renderer) : m_filter(filter), m_renderer(renderer)
    {
        m_pin = kvtest::FirstPin(filter, PINDIR_INPUT);
        if (m_pin)
            m_pin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&m_mem));
        if (m_mem && SUCCEEDED(m_mem->GetAllocator(&m_alloc)))
            m_alloc->Commit();
    }
    ~PinFeeder()
    {
        m_filter->Stop();
        m_renderer->Stop();
        if (m_alloc) {
            m_alloc->Decommit();
            m_alloc->Release();
        }
        if (m_mem)
            m_mem->Release();
        if (m_pin)
            m_pin->Release();
    }
    bool Ok() const { return m_alloc != nullptr; }
    HRESULT Start()
    {
        HRESULT hr = m_renderer->Pause();
        return SUCCEEDED(hr) ? m_filter->Pause() : hr;
    }
    // A sample of the bytes; with `type` it announces a new input type as well.
    HRESULT Send(const std::vector<uint8_t>& bytes, AM_MEDIA_TYPE* type = nullptr)
    {
        IMediaSample* sample = nullptr;
        HRESULT hr = m_alloc->GetBuffer(&sample, nullptr, nullptr, 0);
        if (FAILED(hr))
            return hr;
        if (type)
            sample->SetMediaType(type);
        BYTE* p = nullptr;
        sample->GetPointer(&p);
        if (long(bytes.size()) > sample->GetSize()) {
            sample->Release();
            return E_FAIL;
        }
        std::memcpy(p, bytes.data(), bytes.size());
        sample->SetActualDataLength(long(bytes.size()));
        hr = m_mem->Receive(sample);
        sample->Release();
        return hr;
    }
    HRESULT Flush()
    {
        HRESULT hr = m_pin->BeginFlush();
        return SUCCEEDED(hr) ? m_pin->EndFlush() : hr;
    }
    HRESULT EndOfStream() { return m_pin->EndOfStream(); }

private:
    IBaseFilter* m_filter;
    IBaseFilter* m_renderer;
    IPin* m_pin = nullptr;
    IMemInputPin* m_mem = nullptr;
    IMemAllocator* m_alloc = nullptr;
};

TEST_F(GraphicEqFilterModule, FlushDropsTheAudioHeldFromBeforeASeek)
{
    // Loud noise before the seek, silence after it: anything but silence after the flush is
    // audio from before the seek (FIR frames still owed, or IIR sections still ringing).
    const int iir[geq::kParamCount] = {120, 120, 120, 120, 120, 120, 120, 120, 120, 120, 0, 0};
    const int fir[geq::kParamCount] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const int* modes[] = {iir, fir};
    auto w = Wave(WAVE_FORMAT_PCM, 16, 2);
    const size_t chunk = 2000, afterFrames = 10000;
    for (const int* block : modes) {
        SCOPED_TRACE(testing::Message() << "mode " << block[geq::kModeIndex]);
        ComRef<IBaseFilter> filter(CreateFilter());
        ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));
        eq->SetAll(block);
        kvtest::TestGraph graph;
        ComRef<kvtest::TestPcmSource> source(kvtest::TestPcmSource::New(w.Format, NoiseBytes(chunk * 2), chunk));
        ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
        ASSERT_EQ(graph.Add(source.Get(), L"source"), S_OK);
        ASSERT_EQ(graph.Add(filter.Get(), L"eq"), S_OK);
        ASSERT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
        ASSERT_EQ(graph.Connect(source.Get(), filter.Get()), S_OK);
        ASSERT_EQ(graph.Connect(filter.Get(), renderer.Get()), S_OK);
        {
            PinFeeder feed(filter.Get(), renderer.Get());
            ASSERT_TRUE(feed.Ok());
            ASSERT_EQ(feed.Start(), S_OK);
            for (int i = 0; i < 3; ++i) // 6000 frames: less than one FIR block, all still owed
                ASSERT_EQ(feed.Send(NoiseBytes(chunk * 2, 10 + i)), S_OK);
            ASSERT_EQ(feed.Flush(), S_OK);
            const size_t before = renderer->received.size();
            const std::vector<uint8_t> silence(chunk * w.Format.nBlockAlign);
            for (size_t f = 0; f < afterFrames; f += chunk)
                ASSERT_EQ(feed.Send(silence), S_OK);
            ASSERT_EQ(feed.EndOfStream(), S_OK);
            const std::vector<uint8_t> after(renderer->received.begin() + long(before), renderer->received.end());
            EXPECT_EQ(after.size(), afterFrames * w.Format.nBlockAlign);
            ExpectSamplesNear(after, std::vector<uint8_t>(after.size()), 0);
        }
        graph.Graph()->RemoveFilter(filter.Get());
    }
}

TEST_F(GraphicEqFilterModule, AnUnderstatedBlockAlignNeverMakesItReadPastTheInput)
{
    // Stereo 16-bit that claims 2-byte frames: the samples hold 4-byte frames all the same.
    auto w = Wave(WAVE_FORMAT_PCM, 16, 2);
    w.Format.nBlockAlign = 2;
    w.Format.nAvgBytesPerSec = 88200;
    const auto in = NoiseBytes(4000 * 2);
    ComRef<IBaseFilter> filter(CreateFilter());
    const auto out = RunGraph(filter.Get(), w, in, 1000);
    ExpectSamplesNear(out, in, 1);
}

// Connects a stereo stream, then feeds the chunks by hand, each with the type it carries
// (null for none), and ends the stream; returns what the renderer received. Chunks hold at
// most 2000 stereo frames. formats receives the pins' formats as they stand at the end.
static std::vector<uint8_t> FeedChunks(IBaseFilter* filter, const WAVEFORMATEXTENSIBLE& connected,
                                       const std::vector<std::pair<std::vector<uint8_t>, AM_MEDIA_TYPE*>>& chunks,
                                       WAVEFORMATEXTENSIBLE* formats = nullptr)
{
    std::vector<uint8_t> got;
    kvtest::TestGraph graph;
    ComRef<kvtest::TestPcmSource> source(kvtest::TestPcmSource::New(connected.Format, NoiseBytes(8000), 2000));
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    EXPECT_EQ(graph.Add(source.Get(), L"source"), S_OK);
    EXPECT_EQ(graph.Add(filter, L"eq"), S_OK);
    EXPECT_EQ(graph.Add(renderer.Get(), L"renderer"), S_OK);
    EXPECT_EQ(graph.Connect(source.Get(), filter), S_OK);
    EXPECT_EQ(graph.Connect(filter, renderer.Get()), S_OK);
    {
        PinFeeder feed(filter, renderer.Get());
        EXPECT_TRUE(feed.Ok());
        EXPECT_EQ(feed.Start(), S_OK);
        for (const auto& c : chunks)
            EXPECT_EQ(feed.Send(c.first, c.second), S_OK);
        EXPECT_EQ(feed.EndOfStream(), S_OK);
        got = renderer->received;
        IGraphicEq* eq = nullptr;
        filter->QueryInterface(__uuidof(IGraphicEq), reinterpret_cast<void**>(&eq));
        for (int pin = 0; eq && formats && pin < 2; ++pin)
            EXPECT_EQ(eq->GetConnectionFormat(&formats[pin], pin), S_OK);
        if (eq)
            eq->Release();
    }
    graph.Graph()->RemoveFilter(filter);
    return got;
}

TEST_F(GraphicEqFilterModule, AnInputTypeChangedMidStreamIsFilteredInTheNewFormat)
{
    const int block[geq::kParamCount] = {60, -60, 60, -60, 60, -60, 60, -60, 60, -60, 0, 0};
    auto stereo = Wave(WAVE_FORMAT_PCM, 16, 2);
    auto mono = Wave(WAVE_FORMAT_PCM, 16, 1);
    const auto monoData = NoiseBytes(3000, 21);
    ComRef<IBaseFilter> filter(CreateFilter());
    ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));
    eq->SetAll(block);
    AM_MEDIA_TYPE monoType = AudioType(mono);
    WAVEFORMATEXTENSIBLE formats[2]{};
    const auto out = FeedChunks(filter.Get(), stereo, {{monoData, &monoType}}, formats);
    ExpectSamplesNear(out, EngineOutput(mono, monoData, block), 1);
    EXPECT_EQ(formats[0].Format.nChannels, 1);
    EXPECT_EQ(formats[1].Format.nChannels, 1);
    EXPECT_EQ(formats[1].Format.nBlockAlign, 2);
}

TEST_F(GraphicEqFilterModule, ARepeatedInputTypeLeavesTheStreamUndisturbed)
{
    const int fir[geq::kParamCount] = {60, -60, 60, -60, 60, -60, 60, -60, 60, -60, 0, 1};
    auto stereo = Wave(WAVE_FORMAT_PCM, 16, 2);
    const auto a = NoiseBytes(2000 * 2, 31), b = NoiseBytes(2000 * 2, 32);
    ComRef<IBaseFilter> filter(CreateFilter());
    ComRef<IGraphicEq> eq(Query<IGraphicEq>(filter.Get()));
    eq->SetAll(fir);
    AM_MEDIA_TYPE same = AudioType(stereo);
    const auto out = FeedChunks(filter.Get(), stereo, {{a, &same}, {b, &same}});
    std::vector<uint8_t> all(a);
    all.insert(all.end(), b.begin(), b.end());
    ExpectSamplesNear(out, EngineOutput(stereo, all, fir), 1);
}
