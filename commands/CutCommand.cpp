#include "ClipboardCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT CutCommand::Do()
{
    return RunAtEdge([&] {
        AddChild(this, NewCommand<CopyCommand>(m_document));
        AddChild(this, NewCommand<DeleteCommand>(m_document));
        return CommandGroup::Do();
    });
}
