#include "CdWriterModule.h"

#include <cstring>

namespace {

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
            reinterpret_cast<CdWriterUninitializeFn>(m_table[kCdWriterUninitializeEntry])();
        FreeLibrary(m_module);
    }
}

HRESULT CCdWriterModule::SetFunctionTable(int32_t, void* const* table)
{
    if (table)
        std::memcpy(m_table, table, sizeof m_table);
    return S_OK;
}

HRESULT CCdWriterModule::Load(ICdWriter** writer)
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
        reinterpret_cast<CdWriterInitializeFn>(reinterpret_cast<void*>(GetProcAddress(m_module, "InitializeModule")));
    if (!initialize || FAILED(initialize(this, m_module)) || !m_table[kCdWriterCreateEntry] ||
        FAILED(reinterpret_cast<CdWriterCreateFn>(m_table[kCdWriterCreateEntry])(writer)) || !*writer) {
        FreeLibrary(m_module);
        m_module = nullptr;
        std::memset(m_table, 0, sizeof m_table);
        *writer = nullptr;
        return kCdComponentMissing;
    }
    return S_OK;
}

HRESULT CdWriterVersionText(ICdWriter* writer, std::string* text)
{
    char version[16] = {};
    const HRESULT hr = writer->GetVersionText(version, sizeof version);
    if (SUCCEEDED(hr))
        text->assign(version, strnlen(version, sizeof version));
    return hr;
}

std::string WritingEngineVersionLine(const std::string& driveAccessFileVersion)
{
    CCdWriterModule module;
    ICdWriter* writer = nullptr;
    if (FAILED(module.Load(&writer)))
        return std::string();
    std::string line = "Writing Engine Version ";
    std::string version;
    const HRESULT hr = CdWriterVersionText(writer, &version);
    if (hr == kCdEngineNotInstalled)
        line += "(Not Installed.)";
    else if (SUCCEEDED(hr))
        line += version + " (" + driveAccessFileVersion + ")";
    writer->Release();
    return line;
}
