// Interface ids for our own COM-style interfaces, apart from the object machinery, so that
// an interface header needs nothing else:
//
//   KV_DECLARE_IID(IThing, 0x12345678, 0x1234, 0x1234, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0)
//   struct IThing : IUnknown { ... };
//
// at global scope, before or after the interface's definition; __uuidof(IThing) and
// kvcom::InterfaceIdOf<IThing>() then give the id.
#pragma once
#include <unknwn.h>

#define KV_DECLARE_IID(iface, ...) \
    struct iface;                  \
    __CRT_UUID_DECL(iface, __VA_ARGS__)

namespace kvcom {

template <class I>
inline const IID& InterfaceIdOf()
{
    return __uuidof(I);
}

} // namespace kvcom
