// The attribute filter's settings: the sample format it converts to. Values of 0 keep the
// input's rate, bits or channels. Bits 8, 16, 20 and 24 give integer PCM, 32 IEEE float.
// Setters refuse a value out of range with E_INVALIDARG, and a change while the output is
// connected with VFW_E_ALREADY_CONNECTED (0x80040204).
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "InterfaceId.h"

// The filter class in "KvSEAttr.dll".
inline const CLSID CLSID_KvSEAttr = {0xc99ed024, 0x6a64, 0x47fa, {0xb2, 0x82, 0xce, 0x0a, 0x97, 0xc5, 0x88, 0x3b}};
// Its property page ("Sample Type").
inline const CLSID CLSID_KvSEAttrPage = {0x5f3c8a21, 0x6b0e, 0x4d2b, {0x9e, 0x47, 0x1c, 0x8d, 0x3a, 0x6b, 0x2f, 0x10}};

KV_DECLARE_IID(IAttributeSettings, 0xB892171E, 0xE55D, 0x46C5, 0x9F, 0xC7, 0x8E, 0xBA, 0x4E, 0x49, 0x49, 0x70)
struct IAttributeSettings : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetBitsPerSample(WORD* bits) = 0;       // 3
    virtual HRESULT STDMETHODCALLTYPE SetBitsPerSample(WORD bits) = 0;        // 4
    virtual HRESULT STDMETHODCALLTYPE GetSamplesPerSec(DWORD* rate) = 0;      // 5
    virtual HRESULT STDMETHODCALLTYPE SetSamplesPerSec(DWORD rate) = 0;       // 6: 1000 .. 768000
    virtual HRESULT STDMETHODCALLTYPE GetCalcPrecision(DWORD* precision) = 0; // 7
    virtual HRESULT STDMETHODCALLTYPE SetCalcPrecision(DWORD precision) = 0;  // 8: 1 .. 64, kept
    virtual HRESULT STDMETHODCALLTYPE GetChannels(WORD* channels) = 0;        // 9
    virtual HRESULT STDMETHODCALLTYPE SetChannels(WORD channels) = 0;         // 10: 1 .. 8
};
