// CCdWriterModule: the binding of the CD writing module KvSCDBrn.dll, loaded from the program's
// folder. The module's InitializeModule(binding, module handle) hands its table of 29 entries
// to the binding through SetFunctionTable; entry 2 creates the writer object, entry 3 is called
// before the module is freed.
#pragma once
#include <windows.h>

#include "KvSCDBrn.h"

#include <string>

constexpr HRESULT kCdComponentMissing = HRESULT(0x83E80898);
constexpr HRESULT kCdEngineNotInstalled = kCdWriterNotInstalled;

class CCdWriterModule : public CCdWriterModuleBase {
public:
    CCdWriterModule() = default;
    ~CCdWriterModule() override;
    CCdWriterModule(const CCdWriterModule&) = delete;
    CCdWriterModule& operator=(const CCdWriterModule&) = delete;

    HRESULT SetFunctionTable(int32_t ignored, void* const* table) override;
    // Loads the module and creates the writer object (*writer, whose first operation releases
    // it); kCdComponentMissing when the module or its entry is missing or refuses.
    HRESULT Load(ICdWriter** writer);

private:
    HMODULE m_module = nullptr;
    void* m_table[kCdWriterTableSize] = {};
};

// The writer's version text (its operation kCdWriterVersionSlot); kCdEngineNotInstalled
// without an engine.
HRESULT CdWriterVersionText(ICdWriter* writer, std::string* text);
// "Writing Engine Version " and the version text with the drive access module's file
// version, "(Not Installed.)" without an engine, empty when the module cannot be loaded.
std::string WritingEngineVersionLine(const std::string& driveAccessFileVersion);
