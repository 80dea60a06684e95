// IEffectParameters: the settings of an effect built on the effect kit, as a table of values
// (the module's include/ header names the indices, units and limits). Setters clamp to the
// table's limits (choices and whole-number values are rounded); the filter answers what it
// holds. Changes reach a running stream at its next sample.
#pragma once
#include "InterfaceId.h"

KV_DECLARE_IID(IEffectParameters, 0x5B7E2C41, 0x8D3A, 0x4F6B, 0x9C, 0x12, 0x7A, 0x44, 0xE1, 0x0B, 0x6D, 0x93);
struct IEffectParameters : IUnknown {
    // 3
    STDMETHOD(GetParameterCount)(int* count) = 0;
    // 4: E_INVALIDARG for an index outside the table.
    STDMETHOD(GetParameter)(int index, double* value) = 0;
    // 5: stores the clamped value; S_FALSE when it had to be clamped.
    STDMETHOD(SetParameter)(int index, double value) = 0;
    // 6: the limits that apply now (some depend on other settings or the sample rate).
    STDMETHOD(GetParameterRange)(int index, double* minimum, double* maximum) = 0;
};
