// Normalize's own interface: the measuring mode at slot 8 and the peak the measuring pass found.
#include "EffectModuleKit.h"

#include "KvSENorm.h"

using namespace fxtest;

namespace {

struct Normalize : testing::Test {
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    const ModuleRow& Row() const
    {
        for (const auto& row : Modules())
            if (row.clsid == CLSID_KvSENorm)
                return row;
        throw 0;
    }
};

} // namespace

TEST_F(Normalize, MeasuringPassReportsThePeakOfAllChannels)
{
    auto filter = CreateFilter(Row());
    auto n = Query<INormalizeSettings>(filter.Get());
    ASSERT_TRUE(n);
    double peak = -1;
    ASSERT_EQ(n->GetMeasuredPeak(&peak), S_OK);
    EXPECT_EQ(peak, 0.0);
    EXPECT_EQ(n->SetMeasuringMode(0), E_INVALIDARG);
    EXPECT_EQ(n->Reserved4(), E_NOTIMPL);
    EXPECT_EQ(n->Reserved7(), E_NOTIMPL);
    ASSERT_EQ(n->SetMeasuringMode(1), S_OK);
    auto in = Sine(440, 0.25, 44100, 20000, 2);
    in[2 * 777 + 1] = -0.5f;
    RunGraph(filter.Get(), Wave(true, 2), ToBytes(in, true));
    ASSERT_EQ(n->GetMeasuredPeak(&peak), S_OK);
    EXPECT_EQ(peak, 0.5);
}
