// Helpers shared by the edit command types: fields of saved records, the document a loaded
// command belongs to, children added to a group, item lengths in frames.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"
#include "OperationEdge.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

// Little-endian fields of a record block (the program runs on little-endian machines only).
template <class T>
inline void PutField(uint8_t* block, size_t offset, const T& value)
{
    std::memcpy(block + offset, &value, sizeof(T));
}
template <class T>
inline T GetField(const uint8_t* block, size_t offset)
{
    T value;
    std::memcpy(&value, block + offset, sizeof(T));
    return value;
}

// The document a journal belongs to: its user value. Throws when the journal has none.
CommandDocument* JournalDocument(IJournalFile* stream);

// Adds a child to a group and drops the caller's reference; a failure is thrown.
void AddChild(ICommandList* group, IEditCommand* child);
// The same, running the child first (children done as they are added); a failing Do
// releases the child and is thrown.
void DoAndAddChild(ICommandList* group, IEditCommand* child);

// Undoes the children of a group from the last to the first, ignoring their results: the
// rollback of a group whose children ran as they were added.
void UndoChildrenBackwards(ICommandList* group);

// Frames of an item: its byte count divided by its block align, (bits + 7) / 8 bytes a
// sample times the channels, as the engine counts its bytes. 0 for an item of no format.
// *info receives the item's record when not null.
int64_t ItemFrames(IMtItem* item, MtFileItemRecord* info = nullptr);
// The same for any object answering IMtItem; throws when its size cannot be read.
int64_t ItemFramesOf(IUnknown* object, MtFileItemRecord* info = nullptr);

// Every row off, then the range selected.
void ClearRowsAndSelect(CommandDocument* document, int64_t start, int64_t end);

// Magnitude of a signed 64-bit difference.
inline int64_t Magnitude(int64_t a, int64_t b)
{
    return a > b ? a - b : b - a;
}

// Result codes of these commands.
constexpr HRESULT kErrCancelled = static_cast<HRESULT>(0x83E80005);
constexpr HRESULT kErrTooManyChannels = static_cast<HRESULT>(0x83E8080D);
constexpr HRESULT kErrFormatNotSupported = static_cast<HRESULT>(0x83E804B4);
// Nothing to do: an empty take or result list.
constexpr HRESULT kErrNothingToDo = kErrCancelled;

// Asks question 20261 (convert audio of another rate or depth); true for Yes.
bool AskConvertFormat();

// A new command with one reference held by the caller (for AddChild or a ComRef's adoption).
template <class T, class... Args>
T* NewCommand(Args&&... args)
{
    T* command = new T(std::forward<Args>(args)...);
    static_cast<IEditCommand*>(command)->AddRef();
    return command;
}

// The edge of a group's Do: on a failure its children are dropped. They have been undone
// already (or never ran), and a group around this one undoes a failed child again.
template <class F>
HRESULT RunGroupEdge(CommandGroup* group, F&& body)
{
    HRESULT hr = RunAtEdge(std::forward<F>(body));
    if (FAILED(hr))
        group->Clear();
    return hr;
}
