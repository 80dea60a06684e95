#include "CdWriterModule.h"

#include <cstring>

namespace {

using InitializeFn = HRESULT(__stdcall*)(CCdWriterModuleBase* binding, HMODULE module);
using CreateWriterFn = HRESULT(__stdcall*)(void** writer);
using UninitializeFn = void(__stdcall*)();
using WriterVersionFn = HRESULT(__stdcall*)(void* self, char* text, int size);
using WriterReleaseFn = ULONG(__stdcall*)(void* self);

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

} // namespace

CCdWriterModule::~CCdWriterModule()
{
    if (m_module) {
        if (m_table[3])
            reinterpret_cast<UninitializeFn>(m_table[3])();
        FreeLibrary(m_module);
    }
}

HRESULT CCdWriterModule::SetFunctionTable(int32_t, void* const* table)
{
    if (table)
        std::memcpy(m_table, table, sizeof m_table);
    return S_OK;
}

HRESULT CCdWriterModule::Load(void** writer)
{
    if (!writer)
        return E_POINTER;
    *writer = nullptr;
    // From the program's own folder only: a module of that name elsewhere on the search path
    // is not ours.
    m_module = LoadLibraryA((ProgramFolder() + "KvSCDBrn.dll").c_str());
    if (!m_module)
        return kCdComponentMissing;
    auto initialize =
        reinterpret_cast<InitializeFn>(reinterpret_cast<void*>(GetProcAddress(m_module, "InitializeModule")));
    if (!initialize || FAILED(initialize(this, m_module)) || !m_table[2] ||
        FAILED(reinterpret_cast<CreateWriterFn>(m_table[2])(writer)) || !*writer) {
        FreeLibrary(m_module);
        m_module = nullptr;
        std::memset(m_table, 0, sizeof m_table);
        *writer = nullptr;
        return kCdComponentMissing;
    }
    return S_OK;
}

HRESULT CdWriterVersionText(void* writer, std::string* text)
{
    char version[16] = {};
    auto slots = *static_cast<void***>(writer);
    const HRESULT hr = reinterpret_cast<WriterVersionFn>(slots[kCdWriterVersionSlot])(writer, version, sizeof version);
    if (SUCCEEDED(hr))
        text->assign(version, strnlen(version, sizeof version));
    return hr;
}

void ReleaseCdWriter(void* writer)
{
    if (writer)
        reinterpret_cast<WriterReleaseFn>((*static_cast<void***>(writer))[0])(writer);
}

std::string WritingEngineVersionLine(const std::string& driveAccessFileVersion)
{
    CCdWriterModule module;
    void* writer = nullptr;
    if (FAILED(module.Load(&writer)))
        return std::string();
    std::string line = "Writing Engine Version ";
    std::string version;
    const HRESULT hr = CdWriterVersionText(writer, &version);
    if (hr == kCdEngineNotInstalled)
        line += "(Not Installed.)";
    else if (SUCCEEDED(hr))
        line += version + " (" + driveAccessFileVersion + ")";
    ReleaseCdWriter(writer);
    return line;
}
