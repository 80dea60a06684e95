// CCdWriterModule: the binding of the CD writing module KvSCDBrn.dll, loaded from the program's
// folder. The module's InitializeModule(binding, module handle) hands its table of 29 entries
// to the binding through SetFunctionTable; entry 2 creates the writer object, entry 3 is called
// before the module is freed.
#pragma once
#include <windows.h>

#include <string>

constexpr HRESULT kCdComponentMissing = HRESULT(0x83E80898);
constexpr HRESULT kCdEngineNotInstalled = HRESULT(0x83F20012);
constexpr int kCdWriterTableSize = 29;
// The writer object's operation that writes the engine's version text (buffer, size).
constexpr int kCdWriterVersionSlot = 21;

class CCdWriterModuleBase {
public:
    virtual ~CCdWriterModuleBase() = default;
    virtual HRESULT SetFunctionTable(int32_t ignored, void* const* table) = 0;
};

class CCdWriterModule : public CCdWriterModuleBase {
public:
    CCdWriterModule() = default;
    ~CCdWriterModule() override;
    CCdWriterModule(const CCdWriterModule&) = delete;
    CCdWriterModule& operator=(const CCdWriterModule&) = delete;

    HRESULT SetFunctionTable(int32_t ignored, void* const* table) override;
    // Loads the module and creates the writer object (*writer, whose first operation releases
    // it); kCdComponentMissing when the module or its entry is missing or refuses.
    HRESULT Load(void** writer);

private:
    HMODULE m_module = nullptr;
    void* m_table[kCdWriterTableSize] = {};
};

// The writer's version text through its operation kVersionSlot; kCdEngineNotInstalled
// without an engine.
HRESULT CdWriterVersionText(void* writer, std::string* text);
// Releases a writer object through its first operation.
void ReleaseCdWriter(void* writer);
// "Writing Engine Version " and the version text with the drive access module's file
// version, "(Not Installed.)" without an engine, empty when the module cannot be loaded.
std::string WritingEngineVersionLine(const std::string& driveAccessFileVersion);
