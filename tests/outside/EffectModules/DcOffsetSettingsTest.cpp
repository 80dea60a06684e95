// DC Offset's own interface as the program's effect dialog and two-pass jobs use it: only the
// depths 8, 16 and 32 are taken, depth and value are stored together, and an applying pass
// hands the filter back to measuring.
#include "EffectModuleKit.h"

#include "IEffectParameters.h"
#include "KvSEOfst.h"

#include <objidl.h>

#include <cstring>

using namespace fxtest;

namespace {

const ModuleRow& DcRow()
{
    for (const auto& row : Modules())
        if (row.clsid == CLSID_KvSEOfst)
            return row;
    throw 0;
}

struct DcOffset : testing::Test {
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};

} // namespace

TEST_F(DcOffset, TakesOnlyTheDepthsEightSixteenAndThirtyTwo)
{
    auto filter = CreateFilter(DcRow());
    auto dc = Query<IDcOffsetSettings>(filter.Get());
    ASSERT_TRUE(dc);
    int bits = 0;
    ASSERT_EQ(dc->GetBitDepth(&bits), S_OK);
    EXPECT_EQ(bits, 16);
    for (int refused : {0, 4, 12, 20, 24, 64, -16}) {
        EXPECT_EQ(dc->SetBitDepth(refused), E_INVALIDARG) << refused;
        dc->GetBitDepth(&bits);
        EXPECT_EQ(bits, 16) << refused;
    }
    for (int taken : {8, 32, 16}) {
        EXPECT_EQ(dc->SetBitDepth(taken), S_OK);
        dc->GetBitDepth(&bits);
        EXPECT_EQ(bits, taken);
    }
}

TEST_F(DcOffset, ValueIsClampedToItsDepthsFullScaleAndKeptWhenTheDepthChanges)
{
    auto filter = CreateFilter(DcRow());
    auto dc = Query<IDcOffsetSettings>(filter.Get());
    int value = 0;
    ASSERT_EQ(dc->SetBitDepth(8), S_OK);
    EXPECT_EQ(dc->SetValue(500), S_FALSE);
    dc->GetValue(&value);
    EXPECT_EQ(value, 127);
    // The program converts the value after it changes the depth: the module keeps it as it is.
    ASSERT_EQ(dc->SetBitDepth(16), S_OK);
    dc->GetValue(&value);
    EXPECT_EQ(value, 127);
    EXPECT_EQ(dc->SetValue(30000), S_OK);
    ASSERT_EQ(dc->SetBitDepth(32), S_OK);
    EXPECT_EQ(dc->SetValue(int(30000 * 0.30517578125)), S_OK);
    dc->GetValue(&value);
    EXPECT_EQ(value, 9155);
}

TEST_F(DcOffset, DepthAndValueAreStoredTogether)
{
    auto filter = CreateFilter(DcRow());
    auto dc = Query<IDcOffsetSettings>(filter.Get());
    dc->SetBitDepth(8);
    dc->SetValue(-100);
    dc->SetMode(1);
    auto persist = Query<IPersistStream>(filter.Get());
    IStream* raw = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &raw);
    ComRef<IStream> stream(raw);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);

    auto fresh = CreateFilter(DcRow());
    auto dc2 = Query<IDcOffsetSettings>(fresh.Get());
    dc2->SetBitDepth(32); // what the program set for its document before loading the settings
    ASSERT_EQ(Query<IPersistStream>(fresh.Get())->Load(stream.Get()), S_OK);
    int bits = 0, value = 0, mode = 0;
    dc2->GetBitDepth(&bits);
    dc2->GetValue(&value);
    dc2->GetMode(&mode);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(value, -100);
    EXPECT_EQ(mode, 1);
}

TEST_F(DcOffset, RecordWithAValueBeyondItsDepthIsRefused)
{
    auto filter = CreateFilter(DcRow());
    auto dc = Query<IDcOffsetSettings>(filter.Get());
    dc->SetBitDepth(16);
    dc->SetValue(20000);
    auto persist = Query<IPersistStream>(filter.Get());
    IStream* raw = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &raw);
    ComRef<IStream> stream(raw);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    // Turn the stored depth into 8 bits: 20000 steps do not fit 8 bits.
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream.Get(), &memory);
    auto* bytes = static_cast<uint8_t*>(GlobalLock(memory));
    const double eightBits = 0;
    std::memcpy(bytes + 28 + 2 * 8, &eightBits, 8);
    GlobalUnlock(memory);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    auto fresh = CreateFilter(DcRow());
    EXPECT_EQ(Query<IPersistStream>(fresh.Get())->Load(stream.Get()), E_FAIL);
    int bits = 0;
    Query<IDcOffsetSettings>(fresh.Get())->GetBitDepth(&bits);
    EXPECT_EQ(bits, 16);
}

TEST_F(DcOffset, AnApplyingPassHandsTheFilterBackToMeasuring)
{
    auto filter = CreateFilter(DcRow());
    auto dc = Query<IDcOffsetSettings>(filter.Get());
    int mode = -1;
    dc->GetMeasuringMode(&mode);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(dc->SetMeasuringMode(3), E_INVALIDARG);
    const auto w = Wave(false, 1);
    const auto bytes = ToBytes(std::vector<float>(8000, 0.25f), false);
    ASSERT_EQ(dc->SetMeasuringMode(1), S_OK);
    RunGraph(filter.Get(), w, bytes);
    dc->GetMeasuringMode(&mode);
    EXPECT_EQ(mode, 1) << "a measuring pass keeps measuring";
    ASSERT_EQ(dc->SetMeasuringMode(2), S_OK);
    const auto out = FromBytes(RunGraph(filter.Get(), w, bytes), false);
    ASSERT_EQ(out.size(), 8000u);
    EXPECT_EQ(out[4000], 0.0f);
    dc->GetMeasuringMode(&mode);
    EXPECT_EQ(mode, 1);
}
