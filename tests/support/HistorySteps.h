// The steps a command history can undo, counted through its undo cursor (-1 without one).
#pragma once
#include "ComRef.h"
#include "CommandInterfaces.h"

namespace kvtest {

inline int UndoSteps(ICommandHistory* history)
{
    ComRef<ICommandCursor> cursor;
    if (!history || FAILED(history->GetUndoCursor(cursor.Out())) || !cursor)
        return -1;
    int steps = 0;
    ComRef<IEditCommand> command;
    while (cursor->Next(command.Out()) == S_OK) {
        ++steps;
        command = ComRef<IEditCommand>();
    }
    return steps;
}

} // namespace kvtest
