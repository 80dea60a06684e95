// CTransport: the object of MtCreateInstance. Plays the mix of an attached track set and
// records takes, on one worker thread per running transport; the calls of its interfaces
// come from the user's thread. Every live transport is known to the module, so that
// MtSuspendAudio and MtUninitialize reach them all.
#pragma once
#include "KsMultiTrack.h"

#include <windows.h>

// The three interfaces that share method names get faces that give each its own name.
struct PlayPositionFace : IMtPlayPosition {
    STDMETHODIMP GetPosition(LONGLONG* position) final { return GetAudiblePosition(position); }
    STDMETHODIMP SetPosition(LONGLONG position) final { return SetAudiblePosition(position); }
    virtual HRESULT GetAudiblePosition(LONGLONG* position) = 0;
    virtual HRESULT SetAudiblePosition(LONGLONG position) = 0;
};
struct RecorderFace : IMtRecorder {
    STDMETHODIMP GetPosition(LONGLONG* position) final { return GetRecordedEnd(position); }
    LONG STDMETHODCALLTYPE GetStatus() final { return GetRecorderStatus(); }
    STDMETHODIMP GetLevels(LONG* left, LONG* right) final { return GetInputLevels(left, right); }
    STDMETHODIMP GetRecordedBytes(LONGLONG* bytes) final { return GetTakeBytes(bytes); }
    virtual HRESULT GetRecordedEnd(LONGLONG* position) = 0;
    virtual LONG GetRecorderStatus() = 0;
    virtual HRESULT GetInputLevels(LONG* left, LONG* right) = 0;
    virtual HRESULT GetTakeBytes(LONGLONG* bytes) = 0;
};
struct PlayStatusFace : IMtPlayStatus {
    STDMETHODIMP GetPosition(LONGLONG* position) final { return GetPlayedPosition(position); }
    LONG STDMETHODCALLTYPE GetStatus() final { return GetPlayingStatus(); }
    STDMETHODIMP GetLevels(DWORD* packed) final { return GetOutputLevels(packed); }
    STDMETHODIMP GetBufferStatus(LONG* underruns, LONG* bufferMs) final { return GetOutputBuffer(underruns, bufferMs); }
    virtual HRESULT GetPlayedPosition(LONGLONG* position) = 0;
    virtual LONG GetPlayingStatus() = 0;
    virtual HRESULT GetOutputLevels(DWORD* packed) = 0;
    virtual HRESULT GetOutputBuffer(LONG* underruns, LONG* bufferMs) = 0;
};
__CRT_UUID_DECL(PlayPositionFace, 0x5818CBA8, 0x1F96, 0x4BE1, 0x98, 0x9A, 0x65, 0x6E, 0xE1, 0xC3, 0xC4, 0x27)
__CRT_UUID_DECL(RecorderFace, 0x88ED86E6, 0x4162, 0x4416, 0x8E, 0x9D, 0x39, 0x3A, 0x66, 0xAC, 0xA2, 0x97)
__CRT_UUID_DECL(PlayStatusFace, 0x6832FD33, 0xD520, 0x4A43, 0xB2, 0x9A, 0xF1, 0x0D, 0xF2, 0x6D, 0x62, 0xAC)

HRESULT CreateTransport(REFIID iid, void** object);
// MtSuspendAudio: every live transport closes (true) or reopens (false) its devices.
void SuspendAllTransports(bool suspend);
// MtUninitialize: every live transport stops and its thread ends.
void StopAllTransports();
