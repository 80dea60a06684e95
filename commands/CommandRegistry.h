// The registry of command types by name: a saved record names its class only by its
// type name, and the journal replay turns that name back into a new, empty command.
//
// Every type of the program is listed once in the built-in table (CommandTypeTable.cpp),
// which is registered on the registry's first use; a listed type whose class does not
// exist yet carries a null create function and cannot be created (E_FAIL).
#pragma once
#include "CommandInterfaces.h"

#include <new>

using CreateCommandFn = HRESULT (*)(IEditCommand** command);

// Returns the registry's copy of the name when it was new, null when the name was already
// registered (the first registration stays in force) or name is null.
const char* RegisterCommandType(const char* name, CreateCommandFn create);

// A new command of the named type, holding the only reference. E_FAIL (out untouched) for
// a name that is not registered or has no create function; else what the create function gives.
HRESULT CreateCommandByName(const char* name, IEditCommand** command);

// The type names of the program in table order: index 0 to CommandTypeCount() - 1.
size_t CommandTypeCount();
const char* CommandTypeName(size_t index); // null past the end

// The create function of a command class T (default-constructible).
template <class T>
HRESULT CreateCommandOf(IEditCommand** command)
{
    T* object = new (std::nothrow) T();
    if (!object)
        return E_OUTOFMEMORY;
    IEditCommand* edit = object;
    edit->AddRef();
    HRESULT hr = edit->QueryInterface(__uuidof(IEditCommand), reinterpret_cast<void**>(command));
    edit->Release();
    return hr;
}
