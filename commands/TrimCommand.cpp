#include "TrimCommand.h"

#include "ClipCommands.h"
#include "EnvelopeCommands.h"
#include "OperationEdge.h"
#include "TrackCommandSupport.h"

void TrimCommand::BuildChildren()
{
    const int64_t S = m_range.start;
    const int64_t E = m_range.end;
    int count = TrackCountOf(m_document);
    for (int t = 0; t < count; ++t) {
        if (!m_document->IsTrackSelectedAt(t))
            continue;
        const int64_t T0 = m_document->GetTrackExtent(t, -1);
        const int64_t T1 = T0 + m_document->GetTrackExtent(t, 0);
        const bool before = T0 < S;
        const bool after = T0 < E && E < T1;
        for (LONG kind = 0; kind < kMtEnvelopeKinds; ++kind) {
            IMtEnvelope* envelope = m_document->GetTrackEditInterface(t, kind);
            LONG points = 0;
            if (!envelope || FAILED(envelope->GetCount(&points)) || points < 1)
                continue;
            float value = 0.0f;
            if (before) {
                ThrowIfFailed(envelope->GetValueAt(S - T0, &value));
                AddChild(this, NewCommand<InsertEnvelopePointCommand>(nullptr, m_document, t, kind, S, value));
            }
            if (after) {
                ThrowIfFailed(envelope->GetValueAt(E - 1 - T0, &value));
                AddChild(this, NewCommand<InsertEnvelopePointCommand>(nullptr, m_document, t, kind, E - 1, value));
            }
        }
        if (after)
            AddChild(this, NewCommand<DeleteEnvelopeRangeCommand>(nullptr, m_document, t, E, T1 - E));
        if (before)
            AddChild(this, NewCommand<DeleteEnvelopeRangeCommand>(nullptr, m_document, t, T0, S - T0));
        AddChild(this, NewCommand<TrimClipCommand>(nullptr, m_document, t, S, E - S));
    }
}

// The clip trims select their tracks; a trim leaves no row selected, only the kept range.
void TrimCommand::SelectRange()
{
    m_document->SetTrackSelected(-1, FALSE);
    m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
}

HRESULT TrimCommand::Do()
{
    return RunAtEdge([&] {
        if (!m_document)
            throw CKvSSException(E_FAIL);
        m_document->GetOrderedSelection(&m_range.start, &m_range.end);
        BuildChildren();
        m_document->SetTrackSelected(-1, FALSE);
        HRESULT hr = CommandGroup::Do();
        SelectRange();
        return hr;
    });
}

HRESULT TrimCommand::Redo()
{
    if (!m_document)
        return E_FAIL;
    m_document->SetTrackSelected(-1, FALSE);
    HRESULT hr = CommandGroup::Redo();
    if (SUCCEEDED(hr))
        SelectRange();
    return hr;
}

HRESULT TrimCommand::Undo()
{
    if (!m_document)
        return E_FAIL;
    m_document->SetTrackSelected(-1, FALSE);
    HRESULT hr = CommandGroup::Undo();
    if (SUCCEEDED(hr))
        SelectRange();
    return hr;
}

HRESULT TrimCommand::OnLoaded()
{
    if (!m_document)
        return E_FAIL;
    m_document->SetTrackSelected(-1, FALSE);
    SelectRange();
    return S_OK;
}
