// The one binding of the multitrack engine for its callers: KsMultiTrack.dll is loaded once
// from the program's folder, its exports are bound by ordinal, and objects come back as
// ComRefs. Unload frees the module at the end of the program, after every engine object
// has been released.
//
//   ComRef<IMtTrackSet> set;
//   HRESULT hr = MtEngine::CreateTrackSet(set);   // loads the module on first use
//   ...
//   MtEngine::Unload();                           // at exit
//
// All functions may be called from any thread; creation fails with the module's load error
// (HRESULT_FROM_WIN32) when the DLL or an export is missing.
#pragma once
#include "ComRef.h"
#include "KsMultiTrack.h"

namespace MtEngine {

// Loads the module when it is not loaded yet and binds the exports; S_OK when loaded.
HRESULT Load();
// Frees the module; the next call loads it again.
void Unload();
bool IsLoaded();

HRESULT CreateTrackSet(ComRef<IMtTrackSet>& set);
HRESULT CreateItemList(ComRef<IMtItemList>& list);
HRESULT CreateClip(ComRef<IMtClip>& clip);
HRESULT CreateTempStore(ComRef<IMtTempStore>& store);

// Any other export of the engine by ordinal (device lists, start and end of the audio
// system), loading the module first; null when it cannot be had.
FARPROC Export(MtOrdinal ordinal);
template <class Fn>
Fn ExportAs(MtOrdinal ordinal)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Export(ordinal)));
}

// A transport attached to the engine, posting stopMessage to notifyWindow at its end, started
// over the engine's selection. On failure the caller releases player (it may hold a transport).
HRESULT StartPlayer(IMtTrackSet* engine, HWND notifyWindow, UINT stopMessage, ComRef<IMtTransport>& player);

} // namespace MtEngine
