// KvSCDBrn.dll's entry: the table of the module handed to the program's binding.
#include "CdWriter.h"

#include <new>

namespace {

HMODULE g_module = nullptr;

HRESULT __stdcall NotProvided()
{
    return E_NOTIMPL;
}

HRESULT __stdcall CreateWriter(ICdWriter** writer)
{
    if (!writer)
        return E_POINTER;
    *writer = new (std::nothrow) CdWriter;
    return *writer ? S_OK : E_OUTOFMEMORY;
}

void __stdcall Uninitialize()
{
    g_module = nullptr;
}

} // namespace

extern "C" HRESULT __stdcall InitializeModule(CCdWriterModuleBase* binding, HMODULE module)
{
    if (!binding)
        return E_POINTER;
    g_module = module;
    void* table[kCdWriterTableSize];
    for (void*& entry : table)
        entry = reinterpret_cast<void*>(&NotProvided);
    table[kCdWriterCreateEntry] = reinterpret_cast<void*>(&CreateWriter);
    table[kCdWriterUninitializeEntry] = reinterpret_cast<void*>(&Uninitialize);
    return binding->SetFunctionTable(0, table);
}
