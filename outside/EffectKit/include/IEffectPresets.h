// IEffectPresets: an effect module's built-in presets, named and applied by the module.
// The one declaration of this interface for the program, KvSEGEQ1 and the effect kit.
#pragma once
#include "InterfaceId.h"

KV_DECLARE_IID(IEffectPresets, 0x7C50109B, 0x3A2A, 0x4030, 0xBD, 0xB5, 0x07, 0x88, 0x08, 0xEE, 0xCF, 0x48);

struct IEffectPresets : public IUnknown {
    // 3: number of built-in presets.
    STDMETHOD(GetPresetCount)(int* count) = 0;
    // 4: name of preset `index` into a buffer of `length` wide characters (the program passes
    // 128), cut to fit and always terminated; E_INVALIDARG for an index past the end, no buffer
    // or a length below 1.
    STDMETHOD(GetPresetName)(unsigned index, wchar_t* name, int length) = 0;
    // 5: applies preset `index`; E_INVALIDARG past the end.
    STDMETHOD(SelectPreset)(unsigned index) = 0;
};
