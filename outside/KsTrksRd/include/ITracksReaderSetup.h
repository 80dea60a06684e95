// The tracks reader's set-up: it streams the mix of the tracks the engine holds as marked,
// as 32-bit float frames, over a stretch of the time line chosen by switches 7 and 8:
//   7 = 0: the marked tracks' span (earliest start to latest end), whatever the selection;
//   7 = 1, 8 = 0: the selection's range, or the marked tracks' span when it is empty;
//   7 = 1, 8 = 1: from 0 to the latest end of a marked track.
// Nothing marked with sound (and no selection where it counts): an empty stream.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "InterfaceId.h"

inline const CLSID CLSID_KsTrksRd = {0xafa92961, 0x2f3d, 0x4c4f, {0x9a, 0x50, 0xfc, 0xda, 0xa7, 0xdf, 0x01, 0x7a}};

KV_DECLARE_IID(ITracksReaderSetup, 0x3C0153B5, 0xAF82, 0x4A27, 0x82, 0x47, 0x0A, 0xB1, 0x48, 0x39, 0x13, 0x8A)
// A value out of range is refused with E_INVALIDARG and changes nothing; a track set that is
// null gives E_POINTER, one that is no engine track set E_NOINTERFACE.
struct ITracksReaderSetup : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetTrackSet(IUnknown* trackSet) = 0;  // 3
    virtual HRESULT STDMETHODCALLTYPE SetOutputChannels(LONG channels) = 0; // 4: 1, 2 or 6
    virtual HRESULT STDMETHODCALLTYPE SetReadAutomation(LONG on) = 0;       // 5: 0 or 1
    // 6 to 9, 18 and 20: switches of the calling operations, 0 or 1, kept; the mix itself
    // depends only on the marks, the channels and automation, and 7 and 8 choose its stretch.
    virtual HRESULT STDMETHODCALLTYPE SetSwitch6(LONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSwitch7(LONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSwitch8(LONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSwitch9(LONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSwitch18(LONG value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSwitch20(LONG value) = 0;
};
