// KvSDivFl.dll, the file divider: a renderer that ends a render chain and writes the sound that
// reaches it into one file per region, the regions cut at the split points: base0001.ext,
// base0002.ext, ... (base = folder + prefix, ext of the format). 16-bit PCM or 32-bit float in,
// 1, 2 or 6 channels.
//
// Formats (SetFormatId): 0 WAV (PCM, float, or the extensible header: the page's choice, more
// than two channels, 20 valid bits or a channel word other than the count's usual mask),
// 2 AU, 3 AIFF (float is written as 32-bit PCM), 4 raw (WAV's sample coding, no header);
// the other ids of the program's list cannot be written here (CanWrite 0; a run fails).
// The files have the stream's rate and channels; the stored sample type is the output
// format's (SetOutputFormat), which the page edits.
//
// Each region is written beside its target as "<name>.part" and renamed to its name once it is
// whole, so a failed or stopped run leaves the regions it finished and nothing half written
// under a region's name. Any failure ends the run as EC_ERRORABORT.
#pragma once
#include <windows.h>

#include "IEffectEnvironment.h"

// {6BEE3D3B-CD4D-428F-BB6A-8609C3427E3E}
inline const CLSID CLSID_KvSDivFl = {0x6BEE3D3B, 0xCD4D, 0x428F, {0xBB, 0x6A, 0x86, 0x09, 0xC3, 0x42, 0x7E, 0x3E}};
// {0F4B8E21-6C3A-4D57-9E1B-2A7C5D3E8F40}
inline const CLSID CLSID_KvSDivFlPage = {0x0F4B8E21, 0x6C3A, 0x4D57, {0x9E, 0x1B, 0x2A, 0x7C, 0x5D, 0x3E, 0x8F, 0x40}};

// IEffectParameters values of the divider (edited by its page).
enum DividerParam {
    kDividerSampleType, // 0 8-bit PCM, 1 16-bit PCM, 2 24-bit PCM, 3 32-bit PCM, 4 32-bit float
    kDividerWavHeader,  // 0 standard, 1 extensible
    kDividerParamCount
};

KV_DECLARE_IID(IFileDividerSettings, 0x5817A612, 0xDEAC, 0x497B, 0x92, 0xA3, 0x71, 0x41, 0x3B, 0xD0, 0x54, 0xB4);
struct IFileDividerSettings : IUnknown {
    // 3: a cut at this frame of the stream; cuts form a set (a repeat adds nothing); E_INVALIDARG
    // at 0 or before.
    STDMETHOD(AddSplitPoint)(LONGLONG frame) = 0;
    KV_FILLER_SLOT(4);
    // 5: folder + prefix of the files (ANSI text, copied).
    STDMETHOD(SetOutputBase)(const char* base) = 0;
    // 6: the document's stored bits per sample; 20 makes a 24-bit file keep 20 valid bits.
    STDMETHOD(SetFormatWord)(WORD bits) = 0;
    // 7: the file format id (above).
    STDMETHOD(SetFormatId)(LONG id) = 0;
    // 8: the text the program shows for the run's progress; kept (copied).
    STDMETHOD(SetProgressText)(const char* text) = 0;
    KV_FILLER_SLOT(9);
    KV_FILLER_SLOT(10);
    KV_FILLER_SLOT(11);
    // 12: the output format (a WAVEFORMATEX, or the 40-byte extensible form): its sample type
    // (8, 16, 20 or 24, 32-bit PCM, 32-bit float) and its extensible form become the page's values.
    STDMETHOD(SetOutputFormat)(const WAVEFORMATEX* format) = 0;
    // 13: number of cuts.
    STDMETHOD_(LONG, GetSplitCount)() = 0;
    KV_FILLER_SLOT(14);
    KV_FILLER_SLOT(15);
    KV_FILLER_SLOT(16);
    // 17: 1 when a run can write with the current settings (a format written here and an
    // output base), else 0.
    STDMETHOD_(LONG, CanWrite)() = 0;
    // 18: the channel mask of the files (0x80000000: none, the count's usual mask); used when
    // it names as many channels as the stream has.
    STDMETHOD(SetChannelWord)(DWORD mask) = 0;
};
