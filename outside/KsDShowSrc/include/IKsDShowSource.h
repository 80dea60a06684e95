// The engine source filter's own interface (its id is the class id).
// AttachEngine (track set, mix, live): mix 0 streams the marked track's own samples in its
// channel count (several marked tracks: their mix); mix 1 the mix of the marked tracks with
// volumes, pans and envelopes. live is kept for previews (the renderer sets the pace). Both
// flags are 0 or 1 (else E_INVALIDARG, nothing changed); a null track set detaches.
// The stream covers the selection's range and ends with end-of-stream there. When the range is
// empty, mix 1 streams the whole document (from 0), mix 0 the marked tracks' own span (earliest
// start to latest end: what an in-place result replaces; an empty track gives an empty stream).
// Sample format tag 3: 32-bit float; 1: integer PCM of the document's depth (8 or 16 bits; 24
// bits for 20, 24 and 32-bit documents).
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "InterfaceId.h"

inline const CLSID CLSID_KsDShowSrc = {0x9d95b674, 0x2509, 0x456e, {0xb3, 0xf0, 0x05, 0x87, 0x01, 0xce, 0xd5, 0x7f}};

KV_DECLARE_IID(IKsDShowSource, 0x9D95B674, 0x2509, 0x456E, 0xB3, 0xF0, 0x05, 0x87, 0x01, 0xCE, 0xD5, 0x7F)
struct IKsDShowSource : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AttachEngine(IUnknown* trackSet, LONG mix, LONG live) = 0; // 3
    virtual HRESULT STDMETHODCALLTYPE GetEngine(IUnknown** trackSet) = 0;                        // 4
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;                                           // 5
    // 6: 1 or 3; anything else E_INVALIDARG. VFW_E_ALREADY_CONNECTED when connected otherwise.
    virtual HRESULT STDMETHODCALLTYPE SetOutputSampleFormat(LONG tag) = 0;
    virtual WORD STDMETHODCALLTYPE GetOutputSampleFormat() = 0;           // 7
    virtual HRESULT STDMETHODCALLTYPE SetOption(LONG id, LONG value) = 0; // 8: kept
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOption11(LONG value) = 0; // 11: kept
    // 12: the engine's read-automation switch for the mix (0: envelopes at their constant value).
    virtual HRESULT STDMETHODCALLTYPE SetReadAutomation(LONG on) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOption14(LONG value) = 0; // 14: kept
};
