// Inside the stream library: the named default parameters of each component tag, and the
// AIFF components' create functions.
#pragma once
#include "ComRef.h"
#include "KvsStrm.h"

#include <new>
#include <string>
#include <vector>

// The library-wide parameters of a tag (made on first use, kept until the module goes);
// the returned pointer carries no reference.
IStrmDefaultParams* DefaultParamsOf(InterfaceTag tag);
// A binary value of the tag's parameters; false when none is stored under the name.
bool ReadBinaryParam(InterfaceTag tag, const char* name, std::vector<uint8_t>* value);

HRESULT WINAPI CreateAiffReader(DWORD tagLow, DWORD tagHigh, ITaggedObject** component);
HRESULT WINAPI CreateAiffWriter(DWORD tagLow, DWORD tagHigh, ITaggedObject** component);
HRESULT WINAPI CreateWavReader(DWORD tagLow, DWORD tagHigh, ITaggedObject** component);
HRESULT WINAPI CreateWavWriter(DWORD tagLow, DWORD tagHigh, ITaggedObject** component);
HRESULT WINAPI CreateConverter(DWORD tagLow, DWORD tagHigh, ITaggedObject** component);
// A component of the library by tag, asked for its component interface; empty when none.
ComRef<IStrmComponent> CreateComponent(InterfaceTag tag);
// The tags of the readers, in the order "any reader" tries them.
const InterfaceTag* ReaderTags(size_t* count);

// A create function's body: a new Component when the tag is the one expected.
template <class Component>
HRESULT CreateTagged(DWORD tagLow, DWORD tagHigh, InterfaceTag expected, ITaggedObject** component)
{
    if (!component)
        return E_POINTER;
    *component = nullptr;
    if (MakeTag(tagLow, tagHigh) != expected)
        return E_INVALIDARG;
    *component = new (std::nothrow) Component;
    return *component ? S_OK : E_OUTOFMEMORY;
}
