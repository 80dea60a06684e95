// What the program tells an effect module about its surroundings before it loads the user's
// settings, and what the module tells the program about channels. Each interface has one
// operation of its own at a fixed slot (counted from 0, IUnknown's three first); the slots
// before it are fillers that answer E_NOTIMPL. Channel modes: 2 mono, 1 stereo, 0 other.
// Channel layouts: 1 mono, 2 stereo, 3 six channels, 0 other.
#pragma once
#include "InterfaceId.h"

// A filler slot: declared so that the real operation sits at its slot.
#define KV_FILLER_SLOT(n) STDMETHOD(Reserved##n)() = 0

KV_DECLARE_IID(IEffectChannelNeed, 0x25693A29, 0xD9F6, 0x429A, 0xBD, 0xB1, 0xDE, 0x14, 0xFA, 0xC0, 0x17, 0xA4);
struct IEffectChannelNeed : IUnknown {
    // 3: 2 when the effect works only on two-channel sound, else 0.
    STDMETHOD(GetChannelNeed)(unsigned short* need) = 0;
};

KV_DECLARE_IID(IEffectWorkFolder, 0x23BD5778, 0xC6FE, 0x4F45, 0x85, 0xB7, 0xFF, 0x3E, 0x24, 0x51, 0x0E, 0x01);
struct IEffectWorkFolder : IUnknown {
    KV_FILLER_SLOT(3);
    // 4: the program's temporary folder (ANSI text, no trailing backslash); copied.
    STDMETHOD(SetWorkFolder)(const char* folder) = 0;
};

KV_DECLARE_IID(IEffectChannelMode, 0x941C0212, 0x8661, 0x45AE, 0x85, 0xDC, 0xF0, 0x1A, 0xED, 0xE7, 0x2D, 0xF7);
struct IEffectChannelMode : IUnknown {
    KV_FILLER_SLOT(3);
    KV_FILLER_SLOT(4);
    KV_FILLER_SLOT(5);
    // 6: channel mode of the first selected track.
    STDMETHOD(SetChannelMode)(int mode) = 0;
};

KV_DECLARE_IID(IEffectChannelMode2, 0x84680E8C, 0x65EF, 0x4E54, 0xAD, 0xE8, 0x37, 0x80, 0x77, 0xDF, 0x55, 0xD9);
struct IEffectChannelMode2 : IEffectChannelMode {};

KV_DECLARE_IID(IEffectChannelLayout, 0xD180BC8D, 0x7062, 0x482F, 0xB4, 0x75, 0x36, 0x35, 0xD1, 0xB8, 0x74, 0xE9);
struct IEffectChannelLayout : IUnknown {
    KV_FILLER_SLOT(3);
    // 4: channel layout of the first selected track.
    STDMETHOD(SetChannelLayout)(int layout) = 0;
};

// The second layout interface also carries the measuring mode of a two-pass effect
// (Channel Normalize): 1 measure, 2 apply.
KV_DECLARE_IID(IEffectChannelLayout2, 0x8D6619A7, 0xF083, 0x40E2, 0x84, 0x90, 0x28, 0x77, 0xCF, 0xCD, 0xFF, 0x93);
struct IEffectChannelLayout2 : IUnknown {
    KV_FILLER_SLOT(3);
    KV_FILLER_SLOT(4);
    KV_FILLER_SLOT(5);
    // 6: measuring mode; E_NOTIMPL for an effect that does not measure, E_INVALIDARG for
    // another value than 1 or 2.
    STDMETHOD(SetMeasuringMode)(int mode) = 0;
    // 7: channel layout of the first selected track.
    STDMETHOD(SetChannelLayout)(int layout) = 0;
};

KV_DECLARE_IID(IEffectSampleRate, 0x9E1DE0A5, 0x0EEC, 0x4906, 0xAD, 0x72, 0xB8, 0xDA, 0x03, 0x2C, 0x1B, 0x9C);
struct IEffectSampleRate : IUnknown {
    KV_FILLER_SLOT(3);
    // 4: the document's sample rate in Hz; E_INVALIDARG outside 1000..768000.
    STDMETHOD(SetSampleRate)(int rate) = 0;
};

#define KV_FILLER_SLOTS_10(a) \
    KV_FILLER_SLOT(a##0);     \
    KV_FILLER_SLOT(a##1);     \
    KV_FILLER_SLOT(a##2);     \
    KV_FILLER_SLOT(a##3);     \
    KV_FILLER_SLOT(a##4);     \
    KV_FILLER_SLOT(a##5);     \
    KV_FILLER_SLOT(a##6);     \
    KV_FILLER_SLOT(a##7);     \
    KV_FILLER_SLOT(a##8);     \
    KV_FILLER_SLOT(a##9)

KV_DECLARE_IID(IEffectSampleRate2, 0x0ED711D0, 0x9B5F, 0x45BE, 0x89, 0xE0, 0xF4, 0x9A, 0x0D, 0x2A, 0x39, 0x4A);
struct IEffectSampleRate2 : IUnknown {
    KV_FILLER_SLOT(3);
    KV_FILLER_SLOT(4);
    KV_FILLER_SLOT(5);
    KV_FILLER_SLOT(6);
    KV_FILLER_SLOT(7);
    KV_FILLER_SLOT(8);
    KV_FILLER_SLOT(9);
    KV_FILLER_SLOTS_10(1);
    KV_FILLER_SLOTS_10(2);
    KV_FILLER_SLOTS_10(3);
    KV_FILLER_SLOTS_10(4);
    KV_FILLER_SLOTS_10(5);
    KV_FILLER_SLOTS_10(6);
    // 70
    STDMETHOD(SetSampleRate)(int rate) = 0;
};

KV_DECLARE_IID(IEffectSampleRate3, 0x294903B2, 0x4855, 0x40D3, 0xB9, 0x1A, 0x3F, 0xB0, 0x6E, 0x0C, 0xAA, 0xAD);
struct IEffectSampleRate3 : IUnknown {
    KV_FILLER_SLOT(3);
    KV_FILLER_SLOT(4);
    KV_FILLER_SLOT(5);
    KV_FILLER_SLOT(6);
    KV_FILLER_SLOT(7);
    KV_FILLER_SLOT(8);
    KV_FILLER_SLOT(9);
    KV_FILLER_SLOTS_10(1);
    KV_FILLER_SLOTS_10(2);
    KV_FILLER_SLOTS_10(3);
    KV_FILLER_SLOT(40);
    KV_FILLER_SLOT(41);
    KV_FILLER_SLOT(42);
    KV_FILLER_SLOT(43);
    KV_FILLER_SLOT(44);
    KV_FILLER_SLOT(45);
    KV_FILLER_SLOT(46);
    KV_FILLER_SLOT(47);
    // 48
    STDMETHOD(SetSampleRate)(int rate) = 0;
};
