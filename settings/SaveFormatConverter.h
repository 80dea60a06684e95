// IFormatConverter: what the save dialog asks about the sound-file format it offers: whether
// the document can be written in it, the settings object of the format and a description of
// the file it makes. The save code makes one per dialog with the document's facts; the formats
// the program writes are WAV (3) and AIFF (2), whose settings are WaveFormatSettings.
//
//   ComRef<IFormatConverter> converter(CreateFormatConverter(source, multichannel));
//   converter->SetOutputChannels(2);                     // a mixdown of two channels, or 0
//   converter->SetFormat("song.wav", 3, settings, &value);
//   if (converter->CanConvert()) converter->GetDescription(text, sizeof text);
#pragma once
#include "InterfaceId.h"
#include "OutputFormatSettings.h"
#include "WaveFormatSettings.h"

struct IFormatConverter : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    // 6: the description of the file the current format and settings make (bounded, ended).
    virtual HRESULT STDMETHODCALLTYPE GetDescription(char* text, LONG size) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
    // 9: the file name (without folder) and the format; settings null keeps the format's
    // current ones. value receives the format's bits value. A format the program does not
    // write fails with 0x83E808A0.
    virtual HRESULT STDMETHODCALLTYPE SetFormat(const char* fileName, LONG code, IOutputFormatSettings* settings,
                                                WORD* value) = 0;
    // 10: the channel count of a mixdown (6 or 2), 0 without one.
    virtual HRESULT STDMETHODCALLTYPE SetOutputChannels(LONG channels) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    // 20: a copy of the current format's settings (flags 1), new ones for a fresh format.
    virtual HRESULT STDMETHODCALLTYPE CreateSettings(LONG flags, IOutputFormatSettings** settings) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
    // 22: 1 when the document can be written in the current format, else 0.
    virtual LONG STDMETHODCALLTYPE CanConvert() = 0;
};
KV_DECLARE_IID(IFormatConverter, 0x3d51a6e2, 0x7c0b, 0x4b6e, 0x9a, 0x11, 0x52, 0xe8, 0x0f, 0x6c, 0x2d, 0x90)

constexpr HRESULT kErrFormatSettings = static_cast<HRESULT>(0x83E808A0);

// A converter for a document: its rate and stored bits, and the channels of all its tracks
// together (the file holds at most six).
IFormatConverter* CreateFormatConverter(DWORD samplesPerSec, WORD bitsPerSample, WORD totalChannels);
