#include "FilterConformance.h"
#include "GraphRunner.h"
#include "TestFilters.h"

#include <gtest/gtest.h>

using namespace kvtest;

namespace {

WAVEFORMATEX Stereo16()
{
    return MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2);
}

} // namespace

TEST(BaseLayerConformance, TransformPassesTheSequence)
{
    ComScope com;
    TestPcmSource* source = TestPcmSource::New(Stereo16(), MakeRamp16(20000, 2));
    TestGain* gain = TestGain::New(2);
    TestRenderer* sink = TestRenderer::New();
    ConformanceSetup setup{CLSID_TestGain, 1, 1};
    setup.upstream = source;
    setup.downstream = sink;
    CheckFilterConformance(gain, setup);
    EXPECT_EQ(1u, RefCount(static_cast<IBaseFilter*>(gain)));
    source->Release();
    gain->Release();
    sink->Release();
}

TEST(BaseLayerConformance, SourceAndRendererPassTheSequence)
{
    ComScope com;
    {
        TestPcmSource* source = TestPcmSource::New(Stereo16(), MakeRamp16(5000, 2));
        TestRenderer* sink = TestRenderer::New();
        ConformanceSetup setup{CLSID_TestPcmSource, 0, 1};
        setup.downstream = sink;
        CheckFilterConformance(source, setup);
        source->Release();
        sink->Release();
    }
    {
        TestPcmSource* source = TestPcmSource::New(Stereo16(), MakeRamp16(5000, 2));
        TestRenderer* sink = TestRenderer::New();
        ConformanceSetup setup{CLSID_TestRenderer, 1, 0};
        setup.upstream = source;
        CheckFilterConformance(sink, setup);
        source->Release();
        sink->Release();
    }
}
