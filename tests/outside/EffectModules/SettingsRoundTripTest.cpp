// Every module's settings, walked at random through its parameters (values inside, at and
// beyond their ranges), save into a record that a fresh filter loads back as the same values.
#include "EffectModuleKit.h"

#include "IEffectParameters.h"

#include <objidl.h>

#include <random>

using namespace fxtest;

namespace {

std::vector<const ModuleRow*> EveryModule()
{
    std::vector<const ModuleRow*> rows;
    for (const auto* table : {&Modules(), &Generators(), &ProfileModules()})
        for (const ModuleRow& row : *table)
            rows.push_back(&row);
    return rows;
}

struct SettingsRoundTrip : testing::TestWithParam<size_t> {
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

} // namespace

TEST_P(SettingsRoundTrip, StatesOfARandomWalkSaveAndLoadBack)
{
    const ModuleRow& row = *EveryModule()[GetParam()];
    auto filter = CreateFilter(row);
    ASSERT_TRUE(filter);
    auto params = Query<IEffectParameters>(filter.Get());
    auto persist = Query<IPersistStream>(filter.Get());
    ASSERT_TRUE(params && persist);
    int count = 0;
    params->GetParameterCount(&count);
    if (count == 0)
        return;
    for (unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        for (int step = 0; step < 40; ++step) {
            const int index = int(rng() % unsigned(count));
            double lo = 0, hi = 0;
            ASSERT_EQ(params->GetParameterRange(index, &lo, &hi), S_OK);
            const double span = hi - lo;
            double value;
            switch (rng() % 4) {
            case 0:
                value = rng() % 2 ? lo : hi;
                break;
            case 1:
                value = std::round(lo + span * double(rng() % 1000) / 999.0);
                break;
            default:
                value = lo - 0.1 * span + 1.2 * span * double(rng() % 100000) / 99999.0;
            }
            params->SetParameter(index, value);
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", step " << step << ": parameter " << index
                                            << " set to " << value);
            IStream* raw = nullptr;
            ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &raw), S_OK);
            ComRef<IStream> stream(raw);
            ASSERT_EQ(persist->Save(stream.Get(), FALSE), S_OK);
            LARGE_INTEGER zero{};
            stream->Seek(zero, STREAM_SEEK_SET, nullptr);
            auto fresh = CreateFilter(row);
            ASSERT_EQ(Query<IPersistStream>(fresh.Get())->Load(stream.Get()), S_OK);
            ASSERT_EQ(ValuesOf(fresh.Get()), ValuesOf(filter.Get()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, SettingsRoundTrip, testing::Range(size_t(0), EveryModule().size()),
                         [](const testing::TestParamInfo<size_t>& info) {
                             std::string name = RowName(*EveryModule()[info.param]);
                             return name.substr(0, name.find('.'));
                         });
