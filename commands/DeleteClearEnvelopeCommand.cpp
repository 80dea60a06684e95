#include "EnvelopeCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

HRESULT DeleteClearEnvelopeCommand::Redo()
{
    return RunAtEdge([&] {
        ComRef<IMtEnvelope> envelope = GetEnvelope();
        ComRef<IMtEnvelope> copy;
        ThrowIfFailed(envelope->Clone(copy.Out()));
        m_copy = std::move(copy);
        return ThrowIfFailed(envelope->Clear());
    });
}

HRESULT DeleteClearEnvelopeCommand::Undo()
{
    return RunAtEdge([&] { return ThrowIfFailed(GetEnvelope()->Restore(m_copy.Get())); });
}
