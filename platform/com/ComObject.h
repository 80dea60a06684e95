// COM plumbing in one place.
//
//   class CThing : public ComObject<IThing, IOther> { ... };     // IUnknown for both
//   IThing* p = ComObject<...>::Create<CThing>(args...);         // count 1, or nullptr
//
// ComObject implements QueryInterface from the listed interfaces (IUnknown answers
// with the first one), AddRef/Release with interlocked counts and deletion at zero,
// and counts live objects for DllCanUnloadNow. An interface's id comes from
// InterfaceIdOf<I>(), which uses __uuidof; our own interfaces declare theirs with
// KV_DECLARE_IID (InterfaceId.h).
//
// ComExtend<Base, I...> adds interfaces to a class already built on ComObject (such as
// RefCounted): class CCmd : public ComExtend<RefCounted, IEditCommand, IPersistCommand>.
//
// ClassFactory / ModuleClassTable serve DllGetClassObject from a table of
// {class id, create function}.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include "InterfaceId.h"

#include <atomic>
#include <new>

namespace kvcom {

// Live objects and server locks of this module (each DLL links its own copy).
inline std::atomic<long>& ModuleRefs()
{
    static std::atomic<long> refs{0};
    return refs;
}

inline HRESULT CanUnloadNow()
{
    return ModuleRefs().load() == 0 ? S_OK : S_FALSE;
}

// The interlocked count every reference-counted object of ours keeps (COM or tagged).
class RefCount {
public:
    explicit RefCount(long initial = 0) : m_value(initial) {}
    long Increment() { return ++m_value; }
    long Decrement() { return --m_value; }
    long Value() const { return m_value.load(); }

private:
    std::atomic<long> m_value;
};

// Stores self as the first listed interface whose id is iid; false when none is.
template <class... I, class T>
bool FindInterface(T* self, REFIID iid, void** ppv)
{
    return ((iid == InterfaceIdOf<I>() ? (*ppv = static_cast<I*>(self), true) : false) || ...);
}

} // namespace kvcom

template <class First, class... Rest>
class ComObject : public First, public Rest... {
public:
    ComObject() { ++kvcom::ModuleRefs(); }
    virtual ~ComObject() { --kvcom::ModuleRefs(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (iid == IID_IUnknown)
            *ppv = static_cast<IUnknown*>(static_cast<First*>(this));
        else
            kvcom::FindInterface<First, Rest...>(this, iid, ppv);
        if (!*ppv)
            *ppv = QueryExtraInterface(iid);
        if (!*ppv)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(m_refs.Increment()); }
    STDMETHODIMP_(ULONG) Release() override
    {
        long n = m_refs.Decrement();
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }

    // Creates an object with one reference held by the caller; nullptr when out of memory.
    template <class T, class... Args>
    static T* Create(Args&&... args)
    {
        T* obj = new (std::nothrow) T(static_cast<Args&&>(args)...);
        if (obj)
            obj->AddRef();
        return obj;
    }

protected:
    // A derived class answers further ids here (not reference-counted by the caller of this hook).
    virtual void* QueryExtraInterface(REFIID) { return nullptr; }
    long RefCount() const { return m_refs.Value(); }

private:
    kvcom::RefCount m_refs;
};

// Base plus further interfaces: QueryInterface answers the listed ones first, then what Base
// answers; AddRef and Release stay Base's, so every interface shares one count and identity.
template <class Base, class... More>
class ComExtend : public Base, public More... {
public:
    using Base::Base;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (kvcom::FindInterface<More...>(this, iid, ppv)) {
            AddRef();
            return S_OK;
        }
        return Base::QueryInterface(iid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Base::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return Base::Release(); }
};

namespace kvcom {

// One entry of a module's class table: the class id and a function that creates
// an object and queries it for the requested interface.
struct ClassEntry {
    const CLSID* clsid;
    HRESULT (*create)(IUnknown* outer, REFIID iid, void** ppv);
};

// Creates T (a ComObject) and queries it for iid; no aggregation.
template <class T>
HRESULT CreateInstanceOf(IUnknown* outer, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    T* obj = T::template Create<T>();
    if (!obj)
        return E_OUTOFMEMORY;
    HRESULT hr = obj->QueryInterface(iid, ppv);
    obj->Release();
    return hr;
}

class ClassFactory : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(const ClassEntry& entry) : m_entry(entry) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override
    {
        return m_entry.create(outer, iid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            ++ModuleRefs();
        else
            --ModuleRefs();
        return S_OK;
    }

private:
    ClassEntry m_entry;
};

// The body of DllGetClassObject for a table of count entries.
inline HRESULT GetClassObject(const ClassEntry* table, size_t count, REFCLSID clsid, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (*table[i].clsid != clsid)
            continue;
        ClassFactory* factory = ClassFactory::Create<ClassFactory>(table[i]);
        if (!factory)
            return E_OUTOFMEMORY;
        HRESULT hr = factory->QueryInterface(iid, ppv);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace kvcom
