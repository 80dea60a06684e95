// The steps a command history can undo, counted through its undo cursor (-1 without one), and
// their names, newest first.
#pragma once
#include "ComRef.h"
#include "CommandInterfaces.h"

#include <string>
#include <vector>

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

inline std::vector<std::string> UndoNames(ICommandHistory* history)
{
    std::vector<std::string> names;
    ComRef<ICommandCursor> cursor;
    if (!history || FAILED(history->GetUndoCursor(cursor.Out())) || !cursor)
        return names;
    ComRef<IEditCommand> command;
    while (cursor->Next(command.Out()) == S_OK) {
        char name[128] = "";
        command->GetName(name, sizeof name);
        names.push_back(name);
    }
    return names;
}

} // namespace kvtest
