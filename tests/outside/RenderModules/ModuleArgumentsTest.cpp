// The values the program passes to the render modules are taken; any other is refused at the
// module's entry and changes nothing.
#include "EngineFixture.h"
#include "GraphRunner.h"
#include "IAttributeSettings.h"
#include "IKsDShowSource.h"
#include "ITracksReaderSetup.h"
#include "ITracksWriterOutput.h"
#include "ModuleObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace kvtest;

namespace {

struct Call {
    const char* what;
    std::function<HRESULT()> call;
    HRESULT expected;
};

void CheckCalls(const std::vector<Call>& calls)
{
    for (const Call& c : calls)
        EXPECT_EQ(c.expected, c.call()) << c.what;
}

template <class I>
I* Query(IUnknown* object)
{
    I* p = nullptr;
    object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&p));
    return p;
}

} // namespace

TEST(ModuleArguments, TracksReaderTakesTheCallersValuesOnly)
{
    ComScope com;
    EngineFixture engine;
    ASSERT_TRUE(engine.Ok());
    ModuleObjects module("KsTrksRd.dll");
    IBaseFilter* reader = module.Create<IBaseFilter>(CLSID_KsTrksRd);
    ASSERT_NE(nullptr, reader);
    ITracksReaderSetup* s = Query<ITracksReaderSetup>(reader);
    ASSERT_NE(nullptr, s);
    IUnknown* notASet = reader;
    CheckCalls({
        {"track set", [&] { return s->SetTrackSet(engine.Set()); }, S_OK},
        {"no track set", [&] { return s->SetTrackSet(nullptr); }, E_POINTER},
        {"a filter as track set", [&] { return s->SetTrackSet(notASet); }, E_NOINTERFACE},
        {"2 channels", [&] { return s->SetOutputChannels(2); }, S_OK},
        {"6 channels", [&] { return s->SetOutputChannels(6); }, S_OK},
        {"0 channels", [&] { return s->SetOutputChannels(0); }, E_INVALIDARG},
        {"4 channels", [&] { return s->SetOutputChannels(4); }, E_INVALIDARG},
        {"automation 1", [&] { return s->SetReadAutomation(1); }, S_OK},
        {"automation 2", [&] { return s->SetReadAutomation(2); }, E_INVALIDARG},
        {"switch 6 = 1", [&] { return s->SetSwitch6(1); }, S_OK},
        {"switch 7 = 0", [&] { return s->SetSwitch7(0); }, S_OK},
        {"switch 7 = -1", [&] { return s->SetSwitch7(-1); }, E_INVALIDARG},
        {"switch 8 = 2", [&] { return s->SetSwitch8(2); }, E_INVALIDARG},
        {"switch 9 = 1", [&] { return s->SetSwitch9(1); }, S_OK},
        {"switch 18 = 0", [&] { return s->SetSwitch18(0); }, S_OK},
        {"switch 20 = 1", [&] { return s->SetSwitch20(1); }, S_OK},
        {"switch 20 = 5", [&] { return s->SetSwitch20(5); }, E_INVALIDARG},
    });
    s->Release();
    reader->Release();
}

TEST(ModuleArguments, SourceWriterAndAttributeFilterRefuseWhatNoCallerPasses)
{
    ComScope com;
    EngineFixture engine;
    ASSERT_TRUE(engine.Ok());
    ModuleObjects srcModule("KsDShowSrc.dll"), wtModule("KsTrksWt.dll"), attrModule("KvSEAttr.dll");
    IBaseFilter* source = srcModule.Create<IBaseFilter>(CLSID_KsDShowSrc);
    IBaseFilter* writer = wtModule.Create<IBaseFilter>(CLSID_KsTrksWt);
    IBaseFilter* attr = attrModule.Create<IBaseFilter>(CLSID_KvSEAttr);
    ASSERT_TRUE(source && writer && attr);
    IKsDShowSource* src = Query<IKsDShowSource>(source);
    ITracksWriterOutput* out = Query<ITracksWriterOutput>(writer);
    IAttributeSettings* set = Query<IAttributeSettings>(attr);
    ASSERT_TRUE(src && out && set);
    const std::string longest(MAX_PATH - 1, 'a'), tooLong(MAX_PATH, 'a');
    CheckCalls({
        {"source (0, 0)", [&] { return src->AttachEngine(engine.Set(), 0, 0); }, S_OK},
        {"source (1, 1)", [&] { return src->AttachEngine(engine.Set(), 1, 1); }, S_OK},
        {"source (2, 0)", [&] { return src->AttachEngine(engine.Set(), 2, 0); }, E_INVALIDARG},
        {"source (1, -1)", [&] { return src->AttachEngine(engine.Set(), 1, -1); }, E_INVALIDARG},
        {"sample kind 3", [&] { return src->SetOutputSampleFormat(3); }, S_OK},
        {"sample kind 2", [&] { return src->SetOutputSampleFormat(2); }, E_INVALIDARG},
        {"data name of 259", [&] { return out->SetDataFileName(longest.c_str()); }, S_OK},
        {"data name of 260", [&] { return out->SetDataFileName(tooLong.c_str()); }, E_INVALIDARG},
        {"peak name of 260", [&] { return out->SetPeakFileName(tooLong.c_str()); }, E_INVALIDARG},
        {"no peak name", [&] { return out->SetPeakFileName(nullptr); }, S_OK},
        {"24 bits", [&] { return set->SetBitsPerSample(24); }, S_OK},
        {"12 bits", [&] { return set->SetBitsPerSample(12); }, E_INVALIDARG},
        {"rate 999", [&] { return set->SetSamplesPerSec(999); }, E_INVALIDARG},
        {"fourth value 0", [&] { return set->SetCalcPrecision(0); }, E_INVALIDARG},
        {"9 channels", [&] { return set->SetChannels(9); }, E_INVALIDARG},
    });
    EXPECT_EQ(3, src->GetOutputSampleFormat()) << "the refused kind changed nothing";
    out->Reset();
    set->Release();
    out->Release();
    src->Release();
    attr->Release();
    writer->Release();
    source->Release();
}
