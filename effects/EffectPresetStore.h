// The user's presets of an effect: the effect's persisted state (IPersistStream), whole, as one
// REG_BINARY value per name under HKEY_CURRENT_USER\<settings root>\Effecters\Presets\{class id}.
// The value "(UnTitled)" holds the settings last used and is never listed. The bytes belong to
// the effect; the program never reads them.
//
//   SaveEffectState(filter, "Loud");          // after OK: SaveEffectState(filter, kLastSettingsName)
//   LoadEffectState(filter, "Loud");          // S_FALSE when no such preset: the filter is untouched
//   for (auto& name : ListPresetNames(filter)) ...
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

constexpr const char* kLastSettingsName = "(UnTitled)";
// The largest state an effect may keep.
constexpr ULONG kMaxEffectState = 65536;

// "<settings root>\Effecters\Presets\{XXXXXXXX-...}" (upper-case, as StringFromGUID2 writes it).
std::string BuildPresetKeyPath(const CLSID& id);

// Writes the block's bytes (all of them) as the named value; the registry's failure as an
// HRESULT.
HRESULT SavePreset(const char* name, const CLSID& id, HGLOBAL block);
// Copies the named value into the block, never more than it holds: S_OK; S_FALSE with nothing
// copied when the key or the value is missing.
HRESULT LoadPreset(const char* name, const CLSID& id, HGLOBAL block);

// The filter's state under the name: the filter's failure, E_OUTOFMEMORY for a state above
// kMaxEffectState or one that cannot be held, or the registry's failure.
HRESULT SaveEffectState(IUnknown* filter, const char* name);
// Loads the named state into the filter: S_FALSE (Load not called) when there is none; else
// the result of the filter's Load, which refuses bytes not its own.
HRESULT LoadEffectState(IUnknown* filter, const char* name);
// The names of the filter's class, in the registry's order, without "(UnTitled)".
std::vector<std::string> ListPresetNames(IUnknown* filter);
HRESULT DeletePresetValue(IUnknown* filter, const char* name);
