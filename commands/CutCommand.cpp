#include "ClipboardCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT CutCommand::Do()
{
    return RunGroupEdge(this, [&] {
        AddChild(this, NewCommand<CopyCommand>(m_document));
        AddChild(this, NewCommand<DeleteCommand>(m_document));
        return CommandGroup::Do();
    });
}
