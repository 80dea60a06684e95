// KvSEFFEQ.dll: the FFT equaliser filter and its curve page.
#include "EffectModule.h"
#include "FftEqFilter.h"
#include "FftEqKernel.h"
#include "FftEqPage.h"
#include "KvSEFFEQ.h"

namespace fx {

namespace {

using namespace fxkit;

// The record's values (hidden) are not taken from a preset.
// clang-format off
const PresetInfo kPresets[] = {
    {L"Flat", {4096, 2048, 0, -96, 0, 0, 0, 2, 100, 0, 10000, 0}},
    {L"Telephone", {4096, 2048, 0, -96, 0, 0, 0, 4, 250, -36, 300, 0, 3400, 0, 4000, -36}},
};
// clang-format on
const PageInfo kPages[] = {{&CLSID_KvSEFFEQPage, L"FFT Equalizer", 0, kFeqParamCount}};

} // namespace

const EffectInfo kFftEqInfo = {
    &CLSID_KvSEFFEQ, kFftEqParams,         kFeqParamCount, kPresets, 2, kPages, 1, 1, 0, kMono | kStereo | kSix, 0,
    false,           KernelOf<FftEqKernel>};

} // namespace fx

namespace {

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSEFFEQ, kvcom::CreateInstanceOf<fx::FftEqFilter>},
    {&CLSID_KvSEFFEQPage, kvcom::CreateInstanceOf<fx::FftEqPage>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
