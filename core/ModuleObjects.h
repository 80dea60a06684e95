// Objects from the maker's modules without registration: a module file that lies beside
// the program is loaded and its class factory asked directly (DllGetClassObject). Loaded
// modules are listed, in load order and once per load, and freed by UnloadModules when
// their DllCanUnloadNow answers S_OK.
#pragma once
#include <windows.h>

#include <mutex>
#include <vector>

class LoadedModuleList {
public:
    void Add(HMODULE module);
    // Walks the list from the newest entry and frees each module that agrees to go.
    void Sweep();
    size_t Count() const;
    // Listings of that module.
    size_t CountOf(HMODULE module) const;

private:
    mutable std::mutex m_lock; // creations run on worker threads too
    std::vector<HMODULE> m_modules;
};

// The process-wide list, made on first use; it unloads nothing when destroyed at exit.
LoadedModuleList& GetLoadedModuleList();

// Creates an object of clsid from a module of the program's folder (a name such as
// "KsTrksWt.dll"), asking for iid. The module stays listed whenever its class factory was
// reached; module receives its handle then. REGDB_E_CLASSNOTREG when the module cannot be
// loaded; E_NOINTERFACE when it serves no such class (module freed again); else the factory's
// CreateInstance result. *object is null on failure.
HRESULT CreateModuleObject(const char* moduleFile, REFCLSID clsid, REFIID iid, void** object,
                           HMODULE* module = nullptr);
// The same with the module's full path.
HRESULT CreateModuleObjectFromPath(const char* path, REFCLSID clsid, REFIID iid, void** object,
                                   HMODULE* module = nullptr);
// Keeps a module that every run of some work loads in memory until the process ends: freed
// once unused, it was loaded again by the next run (tens of milliseconds, a tenth of a second
// under load). Null does nothing.
void KeepModuleLoaded(HMODULE module);
// The same on a module the caller holds (not listed, never freed here); with no module the
// object is created by its registration, in-process.
HRESULT CreateObjectFromModule(HMODULE module, REFCLSID clsid, REFIID iid, void** object);
// Frees every listed module whose DllCanUnloadNow answers S_OK.
void UnloadModules();
