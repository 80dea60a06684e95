// The table of the program's effect modules: each effect and generator is a filter in a
// module file beside the program, created by its class id. Menu handlers turn a command into
// a row index; dialogs receive a descriptor built from the row.
#pragma once
#include "FwObject.h"
#include "FwString.h"

#include <windows.h>

#include <string>

struct EffectModuleEntry {
    DWORD commandId;
    char moduleFile[32];
    CLSID classId;
    char displayName[32]; // empty until the effect is launched
};

constexpr unsigned kEffectModuleCount = 31;

// Row index, or null for an index of kEffectModuleCount or more.
EffectModuleEntry* GetEffectModuleEntry(unsigned index);

// The dialog caption of a menu text: cut before the first "(" (or, without one, the first ".")
// standing at position 1 or more, then the first "&" removed.
std::string EffectCaptionFromMenuText(const std::string& menuText);

class CEffectDescriptor : public CObject {
public:
    CEffectDescriptor(const char* moduleFile, const CLSID& classId);
    ~CEffectDescriptor() override;

    CString displayName;
    CLSID classId;
    CString moduleFile; // empty: created through the system's registration
    void* words[3] = {nullptr, nullptr, nullptr};
};
