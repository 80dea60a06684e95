// What the program requires of every effect module, checked row by row over the module table:
// class objects, pins and class id, pages, the persisted record and its refusals (with damaged
// records), presets, the environment slots, the two-pass jobs over two tracks, and the
// platform's filter conformance sequence.
#include "EffectModuleKit.h"

#include "FilterConformance.h"
#include "GraphRunner.h"
#include "IEffectEnvironment.h"
#include "IEffectParameters.h"
#include "IEffectPresets.h"
#include "TestFilters.h"

#include <ocidl.h>

#include <cstring>
#include <random>

using namespace fxtest;

namespace {

class EffectContract : public testing::TestWithParam<ModuleRow> {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    const ModuleRow& Row() const { return GetParam(); }
};

std::vector<uint8_t> SaveRecord(IUnknown* filter)
{
    auto persist = Query<IPersistStream>(filter);
    IStream* raw = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &raw);
    ComRef<IStream> stream(raw);
    EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    STATSTG st{};
    stream->Stat(&st, STATFLAG_NONAME);
    std::vector<uint8_t> bytes(size_t(st.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    return bytes;
}

HRESULT LoadRecord(IUnknown* filter, const std::vector<uint8_t>& bytes)
{
    auto persist = Query<IPersistStream>(filter);
    IStream* raw = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &raw);
    ComRef<IStream> stream(raw);
    ULONG written = 0;
    if (!bytes.empty())
        stream->Write(bytes.data(), ULONG(bytes.size()), &written);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return persist->Load(stream.Get());
}

// Calls slot `slot` of interface iid of the object with one 32-bit (pointer-sized) argument.
HRESULT CallSlot(IUnknown* object, REFIID iid, int slot, intptr_t argument)
{
    void* p = nullptr;
    if (FAILED(object->QueryInterface(iid, &p)))
        return E_NOINTERFACE;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(void*, intptr_t);
    Fn fn = (*static_cast<Fn**>(p))[slot];
    const HRESULT hr = fn(p, argument);
    static_cast<IUnknown*>(p)->Release();
    return hr;
}
HRESULT CallFiller(IUnknown* object, REFIID iid, int slot)
{
    void* p = nullptr;
    if (FAILED(object->QueryInterface(iid, &p)))
        return E_NOINTERFACE;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(void*);
    const HRESULT hr = (*static_cast<Fn**>(p))[slot](p);
    static_cast<IUnknown*>(p)->Release();
    return hr;
}

} // namespace

TEST_P(EffectContract, ClassObjectsMakeTheFilterAndEachPageButRefuseAnOuterObject)
{
    IClassFactory* raw = nullptr;
    ASSERT_EQ(GetClassObject(Row(), Row().clsid, IID_IClassFactory, reinterpret_cast<void**>(&raw)), S_OK);
    ComRef<IClassFactory> factory(raw);
    IUnknown* object = nullptr;
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory.Get());
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&object)), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    const CLSID unknown = {0x12345678, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(GetClassObject(Row(), unknown, IID_IClassFactory, reinterpret_cast<void**>(&raw)),
              CLASS_E_CLASSNOTAVAILABLE);

    auto filter = CreateFilter(Row());
    ASSERT_TRUE(filter);
    auto pages = Query<ISpecifyPropertyPages>(filter.Get());
    ASSERT_TRUE(pages);
    CAUUID list{};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(int(list.cElems), Row().pages);
    for (ULONG i = 0; i < list.cElems; ++i) {
        auto page = Create<IPropertyPage>(Row(), list.pElems[i]);
        ASSERT_TRUE(page) << i;
        PROPPAGEINFO info{};
        ASSERT_EQ(page->GetPageInfo(&info), S_OK);
        EXPECT_GT(wcslen(info.pszTitle), 0u);
        EXPECT_GT(info.size.cx, 100);
        EXPECT_EQ(info.pszHelpFile, nullptr); // the dialog disables Help
        CoTaskMemFree(info.pszTitle);
        IUnknown* object = filter.Get();
        EXPECT_EQ(page->SetObjects(1, &object), S_OK);
    }
    CoTaskMemFree(list.pElems);
}

TEST_P(EffectContract, FilterHasOneInputAndOneOutputAndItsTableClassId)
{
    auto filter = CreateFilter(Row());
    ASSERT_TRUE(filter);
    CLSID clsid{};
    ASSERT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, Row().clsid);
    auto persist = Query<IPersistStream>(filter.Get());
    ASSERT_TRUE(persist);
    ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, Row().clsid);
    ComRef<IPin> in(kvtest::FirstPin(filter.Get(), PINDIR_INPUT));
    ComRef<IPin> out(kvtest::FirstPin(filter.Get(), PINDIR_OUTPUT));
    EXPECT_TRUE(in);
    EXPECT_TRUE(out);
    IEnumPins* e = nullptr;
    ASSERT_EQ(filter->EnumPins(&e), S_OK);
    IPin* pins[4] = {};
    ULONG n = 0;
    e->Next(4, pins, &n);
    EXPECT_EQ(n, 2u);
    for (ULONG i = 0; i < n; ++i)
        pins[i]->Release();
    e->Release();
}

TEST_P(EffectContract, RecordSavesTheSettingsWholeAndLoadsThemBack)
{
    auto filter = CreateFilter(Row());
    ApplySettings(filter.Get(), Row());
    const auto values = ValuesOf(filter.Get());
    const auto record = SaveRecord(filter.Get());
    ULARGE_INTEGER max{};
    Query<IPersistStream>(filter.Get())->GetSizeMax(&max);
    EXPECT_EQ(record.size(), max.QuadPart);
    EXPECT_LE(max.QuadPart, 65536u);
    uint32_t size = 0;
    std::memcpy(&size, record.data(), 4);
    EXPECT_EQ(size, record.size());
    EXPECT_EQ(std::memcmp(record.data() + 4, &Row().clsid, 16), 0);

    auto fresh = CreateFilter(Row());
    EXPECT_EQ(Query<IPersistStream>(fresh.Get())->IsDirty(), S_FALSE);
    ASSERT_EQ(LoadRecord(fresh.Get(), record), S_OK);
    EXPECT_EQ(ValuesOf(fresh.Get()), values);
}

TEST_P(EffectContract, ForeignShortOrOutOfRangeRecordsAreRefusedWhole)
{
    auto source = CreateFilter(Row());
    ApplySettings(source.Get(), Row());
    const auto good = SaveRecord(source.Get());
    auto target = CreateFilter(Row());
    const auto before = ValuesOf(target.Get());

    std::vector<std::pair<const char*, std::vector<uint8_t>>> bad;
    auto foreign = good;
    foreign[4] ^= 0x01;
    bad.push_back({"foreign class", foreign});
    bad.push_back({"short", std::vector<uint8_t>(good.begin(), good.end() - 1)});
    bad.push_back({"empty", {}});
    auto version = good;
    version[20] ^= 0x40;
    bad.push_back({"other version", version});
    auto count = good;
    count[24] += 1;
    bad.push_back({"other count", count});
    auto size = good;
    size[0] += 8;
    bad.push_back({"other size", size});
    auto huge = good;
    const double tooLarge = 1e300;
    std::memcpy(huge.data() + 28, &tooLarge, 8);
    bad.push_back({"value out of range", huge});
    auto nan = good;
    const double notANumber = std::nan("");
    std::memcpy(nan.data() + good.size() - 8, &notANumber, 8);
    bad.push_back({"not a number", nan});
    bad.push_back({"zeros", std::vector<uint8_t>(good.size(), 0)});
    for (const auto& b : bad) {
        EXPECT_TRUE(FAILED(LoadRecord(target.Get(), b.second))) << b.first;
        EXPECT_EQ(ValuesOf(target.Get()), before) << b.first;
    }
}

TEST_P(EffectContract, DamagedRecordsAreRefusedOrGiveValuesInsideTheTable)
{
    auto source = CreateFilter(Row());
    ApplySettings(source.Get(), Row());
    const auto good = SaveRecord(source.Get());
    auto target = CreateFilter(Row());
    auto params = Query<IEffectParameters>(target.Get());
    std::mt19937 rng(7);
    for (int trial = 0; trial < 300; ++trial) {
        auto damaged = good;
        const int flips = 1 + int(rng() % 4);
        for (int f = 0; f < flips; ++f)
            damaged[rng() % damaged.size()] ^= uint8_t(1u << (rng() % 8));
        if (FAILED(LoadRecord(target.Get(), damaged)))
            continue;
        const auto values = ValuesOf(target.Get());
        for (size_t i = 0; i < values.size(); ++i) {
            double lo = 0, hi = 0;
            params->GetParameterRange(int(i), &lo, &hi);
            EXPECT_TRUE(values[i] >= lo - 1e-9 && values[i] <= hi + 1e-9) << "trial " << trial << " value " << i;
        }
    }
}

TEST_P(EffectContract, SettersClampToTheTable)
{
    auto filter = CreateFilter(Row());
    auto params = Query<IEffectParameters>(filter.Get());
    ASSERT_TRUE(params);
    int count = 0;
    params->GetParameterCount(&count);
    ASSERT_EQ(count, Row().params);
    for (int i = 0; i < count; ++i) {
        double lo = 0, hi = 0, v = 0;
        ASSERT_EQ(params->GetParameterRange(i, &lo, &hi), S_OK);
        EXPECT_LE(lo, hi);
        EXPECT_EQ(params->SetParameter(i, hi + 1e6), S_FALSE) << i;
        params->GetParameter(i, &v);
        EXPECT_NEAR(v, hi, 1e-9) << i;
        EXPECT_EQ(params->SetParameter(i, lo - 1e6), S_FALSE) << i;
        params->GetParameter(i, &v);
        EXPECT_NEAR(v, lo, 1e-9) << i;
    }
    double v = 0;
    EXPECT_EQ(params->GetParameter(count, &v), E_INVALIDARG);
    EXPECT_EQ(params->SetParameter(-1, 0), E_INVALIDARG);
}

TEST_P(EffectContract, PresetsAreNamedInTheProgramsBufferAndApplyTheirValues)
{
    auto filter = CreateFilter(Row());
    auto presets = Query<IEffectPresets>(filter.Get());
    ASSERT_TRUE(presets);
    int count = 0;
    ASSERT_EQ(presets->GetPresetCount(&count), S_OK);
    EXPECT_EQ(count, Row().presets);
    std::vector<std::vector<double>> seen;
    for (int i = 0; i < count; ++i) {
        wchar_t name[128];
        ASSERT_EQ(presets->GetPresetName(unsigned(i), name, 128), S_OK);
        EXPECT_GT(wcslen(name), 0u);
        // A short buffer gets a cut, terminated name and nothing past its end.
        wchar_t small[4] = {L'x', L'x', L'x', L'x'};
        ASSERT_EQ(presets->GetPresetName(unsigned(i), small, 3), S_OK);
        EXPECT_EQ(small[3], L'x');
        EXPECT_LE(wcslen(small), 2u);
        ASSERT_EQ(presets->SelectPreset(unsigned(i)), S_OK);
        seen.push_back(ValuesOf(filter.Get()));
    }
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_NE(seen[i], seen[i - 1]) << "preset " << i << " changes nothing";
    wchar_t name[128];
    EXPECT_EQ(presets->GetPresetName(unsigned(count), name, 128), E_INVALIDARG);
    EXPECT_EQ(presets->GetPresetName(0, name, 0), E_INVALIDARG);
    EXPECT_EQ(presets->SelectPreset(unsigned(count)), E_INVALIDARG);
}

TEST_P(EffectContract, EnvironmentSlotsTakeTheirValueAndFillersAnswerNotImplemented)
{
    auto filter = CreateFilter(Row());
    IUnknown* f = filter.Get();
    const char folder[] = "C:\\temp";
    struct Slot {
        const IID& iid;
        int slot;
        intptr_t argument;
        HRESULT expected;
    } slots[] = {
        {__uuidof(IEffectWorkFolder), 4, reinterpret_cast<intptr_t>(folder), S_OK},
        {__uuidof(IEffectChannelMode), 6, 2, S_OK},
        {__uuidof(IEffectChannelLayout2), 7, 2, S_OK},
        {__uuidof(IEffectChannelLayout2), 6, 1, Row().twoPass ? S_OK : E_NOTIMPL},
        {__uuidof(IEffectSampleRate), 4, 48000, S_OK},
        {__uuidof(IEffectSampleRate), 4, 12, E_INVALIDARG},
    };
    for (const auto& s : slots)
        EXPECT_EQ(CallSlot(f, s.iid, s.slot, s.argument), s.expected) << s.slot;
    const std::pair<const IID*, int> fillers[] = {
        {&__uuidof(IEffectWorkFolder), 3},     {&__uuidof(IEffectChannelMode), 3},
        {&__uuidof(IEffectChannelMode), 5},    {&__uuidof(IEffectChannelLayout2), 3},
        {&__uuidof(IEffectChannelLayout2), 5}, {&__uuidof(IEffectSampleRate), 3},
    };
    for (const auto& s : fillers)
        EXPECT_EQ(CallFiller(f, *s.first, s.second), E_NOTIMPL) << s.second;
    unsigned short need = 99;
    auto channel = Query<IEffectChannelNeed>(f);
    ASSERT_TRUE(channel);
    ASSERT_EQ(channel->GetChannelNeed(&need), S_OK);
    EXPECT_EQ(need, Row().need);
}

// The program's two-pass jobs put the filter into measuring once and then run, per track, a
// measuring pass and an applying pass. Each track must be processed with its own measurement.
TEST_P(EffectContract, TwoPassJobsMeasureEachTrackForItself)
{
    if (!Row().twoPass)
        GTEST_SKIP() << "one pass";
    auto filter = CreateFilter(Row());
    ApplySettings(filter.Get(), Row());
    const auto values = ValuesOf(filter.Get());
    const int channels = 2;
    const std::vector<float> tracks[2] = {Noise(30000, channels, 0.5, 1), Noise(30000, channels, 0.125, 2)};
    const auto w = Wave(true, channels);
    ASSERT_EQ(Row().setMeasuringMode(filter.Get(), 1), S_OK);
    for (int t = 0; t < 2; ++t) {
        SCOPED_TRACE(t);
        std::vector<float> shifted = tracks[t];
        for (size_t i = 0; i < shifted.size(); ++i)
            shifted[i] += float(0.01 * (t + 1) * (i % 2 ? -1 : 1)); // an offset of its own
        const auto bytes = ToBytes(shifted, true);
        EXPECT_EQ(RunGraph(filter.Get(), w, bytes), bytes); // measuring leaves the sound as it is
        ASSERT_EQ(Row().setMeasuringMode(filter.Get(), 2), S_OK);
        const auto out = FromBytes(RunGraph(filter.Get(), w, bytes), true);
        auto kernel = Row().kernel();
        kernel->Prepare({44100, channels, channels}, values.data());
        kernel->BeginMeasure();
        kernel->Measure(shifted.data(), shifted.size() / channels);
        kernel->EndMeasure();
        std::vector<float> expected(shifted.size());
        kernel->Process(shifted.data(), expected.data(), shifted.size() / channels);
        ASSERT_EQ(out.size(), expected.size());
        for (size_t i = 0; i < out.size(); i += 97)
            ASSERT_NEAR(out[i], expected[i], 1e-6) << i;
    }
}

TEST_P(EffectContract, PassesTheFilterConformanceSequence)
{
    auto filter = CreateFilter(Row());
    const int channels = (Row().inputs & kStereo) ? 2 : 1;
    const auto w = Wave(false, channels);
    ComRef<kvtest::TestPcmSource> source(
        kvtest::TestPcmSource::New(w.Format, ToBytes(Noise(44100, channels, 0.3, 3), false), 4410));
    ComRef<kvtest::TestRenderer> renderer(kvtest::TestRenderer::New());
    kvtest::ConformanceSetup setup{Row().clsid, 1, 1};
    setup.upstream = source.Get();
    setup.downstream = renderer.Get();
    kvtest::CheckFilterConformance(filter.Get(), setup);
}

INSTANTIATE_TEST_SUITE_P(Modules, EffectContract, testing::ValuesIn(Modules()),
                         [](const testing::TestParamInfo<ModuleRow>& info) {
                             std::string name = RowName(info.param);
                             return name.substr(0, name.find('.'));
                         });
