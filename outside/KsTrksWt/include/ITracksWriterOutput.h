// The tracks writer's own interface. After a run the writer holds a raw data file in the
// engine's storage layout of the written format (8 bits unsigned, 16 bits signed, 20/24/32
// bits as 32-bit float) and a peak file (minimum and maximum per channel and block of 1024
// frames), both in the temporary folder unless paths were given. A run that stops before its
// end of stream leaves neither file, and both names read "".
#pragma once
#include <windows.h>
#include <mmreg.h>
#include <unknwn.h>

#include "InterfaceId.h"

inline const CLSID CLSID_KsTrksWt = {0x2a843246, 0x54bb, 0x48d2, {0xa5, 0x1d, 0x58, 0x35, 0x19, 0xa2, 0x91, 0x51}};

KV_DECLARE_IID(ITracksWriterOutput, 0xA126CCE1, 0xF632, 0x4598, 0x8F, 0x39, 0xC1, 0x0F, 0xA9, 0x1B, 0x61, 0x07)
struct ITracksWriterOutput : IUnknown {
    // 3, 4: the data and the peak file of the last run into 260 characters ("" when none).
    virtual HRESULT STDMETHODCALLTYPE GetDataFileName(char* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPeakFileName(char* buffer) = 0;
    // 5: the written format: rate, bits (the connection's depth: 8, 16, 20, 24 or 32), channels.
    virtual HRESULT STDMETHODCALLTYPE GetWaveFormat(WAVEFORMATEX* format) = 0;
    // 6: frames written.
    virtual HRESULT STDMETHODCALLTYPE GetWrittenLength(LONGLONG* frames) = 0;
    // 7, 8: paths for the next run's files instead of new temporary names (null or "": a
    // temporary name); E_INVALIDARG for a path of 260 characters or more.
    virtual HRESULT STDMETHODCALLTYPE SetDataFileName(const char* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPeakFileName(const char* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    // 10: forgets the last run's names (the files stay) and the paths given by 7 and 8.
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
};
