// Tagged interfaces: the program's own light component model. An object is asked for an
// interface by an 8-character tag instead of a GUID, and counts references with
// interlocked operations.
//
//   struct IThing : ITaggedObject { ... };
//   class CThing : public TaggedObject<IThing, MakeTag("THING   ")> { ... };   // count 1 at birth
//   IThing* p = nullptr;
//   other->QueryInterface(MakeTag("THING   "), reinterpret_cast<void**>(&p));
//
// How a tag is stored: InterfaceTag.h.
#pragma once
#include "ComObject.h"
#include "InterfaceTag.h"

#include <cstdint>

constexpr InterfaceTag kTagFile = MakeTag("KSFILE  ");      // IFile: plain file access
constexpr InterfaceTag kTagChunkFile = MakeTag("K CKFILE"); // IChunkFile: chunk access

// Clears length bytes of buffer and writes value little-endian into the first min(length, 8);
// does nothing without a buffer or with a length below 2. Turns a tag into text with a
// 9-byte or longer buffer.
void Int64ToBytes(uint64_t value, void* buffer, size_t length);

// Base of every tagged interface.
struct ITaggedObject {
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    // Returns the new count; at 0 the object destroys itself.
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    // S_OK with the object and one added reference, or E_NOINTERFACE with *object untouched.
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(InterfaceTag tag, void** object) = 0;
    // The object's own tag.
    virtual InterfaceTag STDMETHODCALLTYPE GetTag() = 0;
    virtual ~ITaggedObject() = default;
};

// Implements ITaggedObject for an interface I (derived from ITaggedObject): answers its own
// tag and the further tags listed, all with the same object, and starts with one reference.
template <class I, InterfaceTag kOwnTag, InterfaceTag... kAlsoTags>
class TaggedObject : public I {
public:
    TaggedObject() = default;
    TaggedObject(const TaggedObject&) = delete;
    TaggedObject& operator=(const TaggedObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(m_refs.Increment()); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        long n = m_refs.Decrement();
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(InterfaceTag tag, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (tag != kOwnTag && ((tag != kAlsoTags) && ...))
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<I*>(this);
        return S_OK;
    }
    InterfaceTag STDMETHODCALLTYPE GetTag() override { return kOwnTag; }

private:
    kvcom::RefCount m_refs{1};
};
