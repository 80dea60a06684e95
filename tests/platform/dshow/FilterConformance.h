// The conformance sequence every filter of ours passes: COM identity and interfaces, pins and
// their enumerators, media types, states, connection in a real graph, streaming to
// EC_COMPLETE twice, and reference counts that come back after each step.
//
//   kvtest::ConformanceSetup setup{CLSID_MyFilter, 1, 1};
//   setup.upstream = source;        // feeds the filter's input (needed when inputs > 0)
//   setup.downstream = renderer;    // takes its output (needed when outputs > 0)
//   kvtest::CheckFilterConformance(filter, setup);   // reports with GoogleTest EXPECTs
//
// The filter must be out of any graph; upstream and downstream must be fresh filters.
#pragma once
#include <windows.h>
#include <strmif.h>

namespace kvtest {

struct ConformanceSetup {
    CLSID clsid;
    int inputs;
    int outputs;
    IBaseFilter* upstream = nullptr;
    IBaseFilter* downstream = nullptr;
    DWORD runTimeoutMs = 20000;
};

void CheckFilterConformance(IBaseFilter* filter, const ConformanceSetup& setup);

} // namespace kvtest
