// The stream library for its tests: KVSSTRM.dll loaded by file name, its entries bound by
// ordinal and its components created by tag, as the program and the burn run do.
#pragma once
#include "KvsStrm.h"
#include "TestSupport.h"

namespace strmtest {

class StreamLibraryModule {
public:
    StreamLibraryModule() : m_module(LoadLibraryA((kvtest::BinFolder() + "KVSSTRM.dll").c_str()))
    {
        if (auto getRegistry = Bind<StrmGetRegistryFn>(kStrmOrdGetRegistry))
            m_registry = getRegistry();
    }
    ~StreamLibraryModule()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    StreamLibraryModule(const StreamLibraryModule&) = delete;
    StreamLibraryModule& operator=(const StreamLibraryModule&) = delete;

    bool Loaded() const { return m_registry != nullptr; }
    IStrmRegistry* Registry() const { return m_registry; }
    template <class Fn>
    Fn Bind(WORD ordinal) const
    {
        return m_module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(ordinal))))
                        : nullptr;
    }
    // The component of a tag asked for its component interface (one reference), or null.
    IStrmComponent* Create(InterfaceTag tag) const
    {
        const StrmRegistration* entry = m_registry ? m_registry->Find(TagLow(tag), TagHigh(tag)) : nullptr;
        if (!entry || !entry->create)
            return nullptr;
        ITaggedObject* object = nullptr;
        IStrmComponent* component = nullptr;
        if (SUCCEEDED(entry->create(TagLow(tag), TagHigh(tag), &object)) && object) {
            object->QueryInterface(tag, reinterpret_cast<void**>(&component));
            object->Release();
        }
        return component;
    }

private:
    HMODULE m_module;
    IStrmRegistry* m_registry = nullptr;
};

} // namespace strmtest
