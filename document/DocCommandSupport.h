// Small helpers the document's command handlers share: texts of the string table, edit
// commands made and run through the history, and the error box.
#pragma once
#include "ComObject.h"
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "DocumentHost.h"
#include "FwApp.h"
#include "FwFrame.h"
#include "SelectionModel.h"
#include "KvSSException.h"

#include <string>

std::string LoadResourceText(UINT id); // MarkCommands.h

namespace doccmd {

// The string with its "%s" (or "%d") replaced by the argument.
std::string FormatText(UINT id, const std::string& argument);
std::string FormatText(UINT id, int argument);

// A new edit command of type T with one reference, as IEditCommand; null when out of memory.
template <class T, class... Args>
ComRef<IEditCommand> MakeCommand(Args&&... args)
{
    T* made = ComObject<IEditCommand>::Create<T>(std::forward<Args>(args)...);
    return ComRef<IEditCommand>(made ? static_cast<IEditCommand*>(made) : nullptr);
}

// Runs a command and appends it to a group's list; failures thrown.
void RunAndAppend(IEditCommand* group, IEditCommand* child);
// Appends without running; failures thrown.
void Append(IEditCommand* group, IEditCommand* child);

// The newest entry of the undo stack (no reference kept), or null.
IEditCommand* NewestCommand(ICommandHistory* history);

// After a failure inside a transaction: takes back what its children did, unless the history
// already holds it (an Add whose journal failed keeps the entry, and it stands).
void TakeBackUnlessRecorded(ICommandHistory* history, IEditCommand* transaction);

inline void ShowError(HRESULT hr)
{
    GetDocumentHost().ShowErrorBox(hr, MB_ICONEXCLAMATION);
}

} // namespace doccmd
