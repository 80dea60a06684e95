// The interfaces of edit commands, command groups, stack cursors and the command history.
//
// Every user edit is an object with IEditCommand (run, undo, redo, names) and
// IPersistCommand (one record in a chunk file). Groups add ICommandList. The history
// (ICommandHistory) records commands for undo and redo and mirrors its undo stack into
// a journal file (IJournalFile), which is also the stream that commands save to and
// load from. All methods return HRESULTs, negative on failure; nothing is thrown out
// of any of them.
#pragma once
#include "InterfaceId.h"

#include <cstdint>

struct IChunkFile;

KV_DECLARE_IID(IEditCommand, 0x5CB5492F, 0xB5C5, 0x492E, 0xAC, 0xB1, 0x6B, 0x77, 0xAE, 0x36, 0x45, 0x45)
KV_DECLARE_IID(IPersistCommand, 0xDF881F31, 0xA482, 0x4917, 0xAE, 0x1E, 0x6E, 0x7D, 0x74, 0x42, 0x4C, 0xAC)
KV_DECLARE_IID(ICommandList, 0xB693AF44, 0x8796, 0x48D1, 0x8B, 0x39, 0xC5, 0x4D, 0xFE, 0x4F, 0xC4, 0xFC)
KV_DECLARE_IID(ICommandGroupAux, 0xA5452C73, 0xB5D2, 0x41DD, 0xB3, 0xC5, 0x6B, 0x03, 0x68, 0x91, 0xC4, 0x3F)
KV_DECLARE_IID(ICommandCursor, 0x8607003F, 0x5888, 0x4C40, 0xA0, 0xDB, 0x02, 0x59, 0xFE, 0x53, 0x4B, 0xE3)
KV_DECLARE_IID(ICommandHistory, 0xE849636F, 0xF884, 0x4EAA, 0x8B, 0x65, 0xB8, 0xFA, 0x7A, 0xAF, 0xF1, 0xFE)
KV_DECLARE_IID(IJournalFile, 0x560A81D7, 0x5B45, 0x4893, 0xB7, 0x3C, 0x04, 0xE3, 0x40, 0xB2, 0xC2, 0x60)

struct IEditCommand : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Do() = 0;   // first execution of the edit
    virtual HRESULT STDMETHODCALLTYPE Redo() = 0; // again after an undo, or after loading
    virtual HRESULT STDMETHODCALLTYPE Undo() = 0;
    // Copies min(length, name length) bytes of the display name; no terminator is added.
    virtual HRESULT STDMETHODCALLTYPE GetName(char* buffer, UINT length) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetName(const char* name) = 0;
    // Copies min(length, type name length) bytes of the registered type name; no terminator.
    virtual HRESULT STDMETHODCALLTYPE GetTypeName(char* buffer, UINT length) = 0;
};

struct IJournalFile;

struct IPersistCommand : IUnknown {
    // Reads the record's data from the stream's chunk file, which stands at its first byte.
    virtual HRESULT STDMETHODCALLTYPE Load(IJournalFile* stream) = 0;
    // Writes one command chunk at the chunk file's current position.
    virtual HRESULT STDMETHODCALLTYPE Save(IJournalFile* stream) = 0;
    // Called once after a successful Load while a journal is replayed.
    virtual HRESULT STDMETHODCALLTYPE OnLoaded() = 0;
    // Size of the saved chunk's data, without its 16-byte header and without pad bytes.
    virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULONG* size) = 0;
};

struct ICommandList : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Add(IEditCommand* command) = 0; // appends; null: E_POINTER
    virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAt(UINT index) = 0;                      // past the end: E_INVALIDARG
    virtual HRESULT STDMETHODCALLTYPE Remove(IEditCommand* command) = 0;             // S_OK also when absent
    virtual HRESULT STDMETHODCALLTYPE GetAt(UINT index, IEditCommand** command) = 0; // past the end: E_FAIL
    virtual HRESULT STDMETHODCALLTYPE GetCount(UINT* count) = 0;
};

struct ICommandGroupAux : IUnknown {
    // Asks the group for an object it made (the import commands answer the engine track
    // they created); plain groups answer E_NOTIMPL.
    virtual HRESULT STDMETHODCALLTYPE QueryGroupObject(REFIID iid, void** object) = 0;
};

struct ICommandCursor : IUnknown {
    // The newest entry not yet returned, with one reference; S_FALSE past the oldest.
    virtual HRESULT STDMETHODCALLTYPE Next(IEditCommand** command) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
};

struct ICommandHistory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
    virtual HRESULT STDMETHODCALLTYPE Do(IEditCommand* command, BOOL markModified) = 0;
    virtual HRESULT STDMETHODCALLTYPE Redo() = 0;
    virtual HRESULT STDMETHODCALLTYPE Undo() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUndoCursor(ICommandCursor** cursor) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRedoCursor(ICommandCursor** cursor) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetModified(BOOL modified) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsModified() = 0;
    virtual HRESULT STDMETHODCALLTYPE Add(IEditCommand* command, BOOL markModified) = 0;
    virtual HRESULT STDMETHODCALLTYPE TakeLast(IEditCommand** command) = 0;
};

struct IJournalFile : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Open(const char* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPath(char* buffer, UINT length) = 0;
    // The journal's chunk file with one reference, positioned where a record is read or written.
    virtual HRESULT STDMETHODCALLTYPE GetChunkFile(IChunkFile** file) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLinkedObject(IUnknown** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLinkedObject(IUnknown* object) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUserValue(UINT_PTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetUserValue(UINT_PTR value) = 0;
};
