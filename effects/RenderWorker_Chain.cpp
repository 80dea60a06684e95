// The chain's effects that ask more of a job: the lengthening ones and the noise-profile learner.
#include "RenderWorker.h"

#include "EffectModuleTable.h"

#include <uuids.h>

namespace {

constexpr unsigned kRowDelay = 9; // lengthening effects
constexpr unsigned kRowReverb = 10;
constexpr unsigned kRowNoiseProfile = 20;

} // namespace

bool CRenderWorker::GraphHasClass(const CLSID& id)
{
    ComRef<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(filters.Out())))
        return false;
    ComRef<IBaseFilter> filter;
    while (filters->Next(1, filter.Out(), nullptr) == S_OK) {
        CLSID classId;
        if (SUCCEEDED(filter->GetClassID(&classId)) && classId == id)
            return true;
    }
    return false;
}

bool CRenderWorker::GraphHasLengtheningEffect()
{
    return GraphHasClass(GetEffectModuleEntry(kRowDelay)->classId) ||
           GraphHasClass(GetEffectModuleEntry(kRowReverb)->classId);
}

bool CRenderWorker::GraphHasNoiseProfileLearner()
{
    return GraphHasClass(GetEffectModuleEntry(kRowNoiseProfile)->classId);
}
