#include "EnvelopeCommands.h"

#include "CommandSupport.h"

MoveEnvelopePointCommand::MoveEnvelopePointCommand(const char* name, CommandDocument* document, int trackIndex,
                                                   int kind, int64_t oldPosition, int64_t newPosition, float newValue)
    : CommandGroup(name)
{
    // The children are made here and added without a check: a group that cannot hold them
    // has run out of memory, which its Do reports as having nothing to do.
    ComRef<IEditCommand> remove(
        NewCommand<DeleteEnvelopePointCommand>(nullptr, document, trackIndex, kind, oldPosition));
    ComRef<IEditCommand> insert(
        NewCommand<InsertEnvelopePointCommand>(nullptr, document, trackIndex, kind, newPosition, newValue));
    Add(remove.Get());
    Add(insert.Get());
}
