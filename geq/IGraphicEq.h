// The equaliser's COM interfaces, shared with the program's effect dialog.
// Gains are integers in 0.1 dB, -600..+200; the mode is 0 (IIR) or 1 (FIR).
#pragma once
#include "IEffectPresets.h"
#include "InterfaceId.h"

#include <mmreg.h>

KV_DECLARE_IID(IGraphicEq, 0x412BCFAE, 0x6265, 0x4ECE, 0xA4, 0x09, 0xE0, 0x04, 0xCF, 0x11, 0x5D, 0x78);

struct IGraphicEq : public IUnknown {
    STDMETHOD(GetBand1)(int* value) = 0;
    STDMETHOD(GetBand2)(int* value) = 0;
    STDMETHOD(GetBand3)(int* value) = 0;
    STDMETHOD(GetBand4)(int* value) = 0;
    STDMETHOD(GetBand5)(int* value) = 0;
    STDMETHOD(GetBand6)(int* value) = 0;
    STDMETHOD(GetBand7)(int* value) = 0;
    STDMETHOD(GetBand8)(int* value) = 0;
    STDMETHOD(GetBand9)(int* value) = 0;
    STDMETHOD(GetBand10)(int* value) = 0;
    STDMETHOD(GetMaster)(int* value) = 0;
    STDMETHOD(GetMode)(int* value) = 0;
    // Writes the rate in Hz that the pages use to grey out bands and returns it as the result.
    STDMETHOD(GetSampleRate)(int* rate) = 0;
    STDMETHOD(SetBand1)(int value) = 0;
    STDMETHOD(SetBand2)(int value) = 0;
    STDMETHOD(SetBand3)(int value) = 0;
    STDMETHOD(SetBand4)(int value) = 0;
    STDMETHOD(SetBand5)(int value) = 0;
    STDMETHOD(SetBand6)(int value) = 0;
    STDMETHOD(SetBand7)(int value) = 0;
    STDMETHOD(SetBand8)(int value) = 0;
    STDMETHOD(SetBand9)(int value) = 0;
    STDMETHOD(SetBand10)(int value) = 0;
    STDMETHOD(SetMaster)(int value) = 0;
    STDMETHOD(SetMode)(int mode) = 0;
    // Stores the rate and returns it as the result.
    STDMETHOD(SetSampleRate)(int rate) = 0;
    STDMETHOD(Reset)() = 0;
    // The 48-byte parameter block: bands 1-10, master, mode (12 signed 32-bit integers).
    STDMETHOD(GetAll)(int* block) = 0;
    STDMETHOD(SetAll)(const int* block) = 0;
    // pin 0 input, 1 output: copies the first 20 bytes of the pin's wave format.
    STDMETHOD(GetConnectionFormat)(WAVEFORMATEXTENSIBLE* format, int pin) = 0;
    // Posts WM_COMMAND (code << 16 | id) to the window on changes; a null window frees the id.
    STDMETHOD(SetNotifyWindow)(HWND window, int id) = 0;
};

// Class identifiers of the module.
// {C0EDEEC3-43AE-49F9-B3D8-B95AB9DB4720}
constexpr CLSID kClsidGraphicEqFilter = {0xC0EDEEC3, 0x43AE, 0x49F9, {0xB3, 0xD8, 0xB9, 0x5A, 0xB9, 0xDB, 0x47, 0x20}};
// {083CF591-6D01-4DF8-AE02-91A50B21E548}
constexpr CLSID kClsidEqPropertyPage = {0x083CF591, 0x6D01, 0x4DF8, {0xAE, 0x02, 0x91, 0xA5, 0x0B, 0x21, 0xE5, 0x48}};
// {6D0F8C6C-8A15-435A-8358-34B50724AA99}
constexpr CLSID kClsidFirEqPropertyPage = {
    0x6D0F8C6C, 0x8A15, 0x435A, {0x83, 0x58, 0x34, 0xB5, 0x07, 0x24, 0xAA, 0x99}};
