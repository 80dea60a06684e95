// IOutputFormatSettings: the settings object of an output format, as the stream library's format
// components hand it to the save dialog and the Advanced Settings dialog. Methods sit in their
// vtable slots (the numbers are the slots); the reserved ones are the component's own.
#pragma once
#include "InterfaceId.h"

#include <mmreg.h>
#include <ocidl.h>
#include <unknwn.h>

struct IOutputFormatSettings : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    // 7: a new object holding a copy of these settings.
    virtual HRESULT STDMETHODCALLTYPE CopySettings(IOutputFormatSettings** copy) = 0;
    // 8: the sample format the output is written in; format tag 0 when the settings keep
    // the document's own samples.
    virtual HRESULT STDMETHODCALLTYPE GetWaveFormat(WAVEFORMATEX* format) = 0;
    // 9: the output's format kind, bits and name.
    virtual HRESULT STDMETHODCALLTYPE SetFormat(LONG kind, WORD bits, const char* name) = 0;
    // 10: the output channel mask and the channel count of a mix (0: no mixing).
    virtual HRESULT STDMETHODCALLTYPE SetChannels(DWORD mask, LONG mixChannels) = 0;
    // 11: the output's option word (kOutputOption* bits).
    virtual LONG STDMETHODCALLTYPE GetOptionWord() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    // 18: the settings page for the current format (S_FALSE and null when it has none).
    virtual HRESULT STDMETHODCALLTYPE GetSettingsPage(IPropertyPage** page) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    // 20: a fresh copy of the settings as the page left them (flags 1).
    virtual HRESULT STDMETHODCALLTYPE RenewCopy(LONG flags, IOutputFormatSettings** copy) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
    // 22: 1 when the chosen output channels can be written, else 0.
    virtual LONG STDMETHODCALLTYPE IsChannelSettingUsable() = 0;
};
// IOutputFormatSettings::GetOptionWord: every track is mixed with the mixer's settings.
constexpr LONG kOutputOptionMixAll = 1;

KV_DECLARE_IID(IOutputFormatSettings, 0x6b4e0d7c, 0xf2e7, 0x4ff8, 0x8f, 0x37, 0xad, 0xc5, 0xfd, 0x04, 0x67, 0x91)
