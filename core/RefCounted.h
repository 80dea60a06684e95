// RefCounted: base of the program's own COM-style objects (stream objects, edit commands,
// the command history). One interlocked count starting at 0 (the creator's first AddRef or
// QueryInterface brings it to 1), deletion through the virtual destructor at 0, and an
// answer to IUnknown only. Further interfaces are added with ComExtend, which answers them
// before asking the base:
//
//   class FileStream : public ComExtend<RefCounted, IFileStream> { ... };
//   IFileStream* s = RefCounted::Create<FileStream>();   // count 1
#pragma once
#include "ComObject.h"

class RefCounted : public ComObject<IUnknown> {
public:
    RefCounted() = default;
};
