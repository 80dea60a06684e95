#include "EnvelopeCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

EnvelopeRangeCommand::EnvelopeRangeCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start,
                                           int64_t length)
    : RecordedCommand(name), m_document(document), m_range{start, start + length}, m_trackIndex(trackIndex)
{
    m_range.Normalize();
}

template <class F>
HRESULT EnvelopeRangeCommand::ForEachKind(F&& call)
{
    HRESULT hr = S_OK;
    for (int kind = 0; kind < kMtEnvelopeKinds; ++kind)
        hr = ThrowIfFailed(call(TrackEnvelope(m_document, m_trackIndex, kind).Get(), kind));
    return hr;
}

InsertEnvelopeRangeCommand::InsertEnvelopeRangeCommand(const char* name, CommandDocument* document, int trackIndex,
                                                       int64_t start, int64_t length)
    : EnvelopeRangeCommand(name, document, trackIndex, start, length)
{
    int64_t trackStart = document->GetTrackExtent(trackIndex, -1);
    m_range.start -= trackStart;
    m_range.end -= trackStart;
}

HRESULT InsertEnvelopeRangeCommand::Redo()
{
    return RunAtEdge(
        [&] { return ForEachKind([&](IMtEnvelope* e, int) { return e->InsertRange(m_range.start, Length()); }); });
}

HRESULT InsertEnvelopeRangeCommand::Undo()
{
    return RunAtEdge(
        [&] { return ForEachKind([&](IMtEnvelope* e, int) { return e->DeleteRange(m_range.start, Length()); }); });
}

DeleteEnvelopeRangeCommand::DeleteEnvelopeRangeCommand(const char* name, CommandDocument* document, int trackIndex,
                                                       int64_t start, int64_t length)
    : EnvelopeRangeCommand(name, document, trackIndex, start, length)
{
    int64_t spanStart = document->GetTrackExtent(trackIndex, -1);
    int64_t spanEnd = spanStart + document->GetTrackExtent(trackIndex, 0);
    bool meets = (m_range.start <= spanStart && spanStart <= m_range.end) ||
                 (m_range.start <= spanEnd && spanEnd <= m_range.end) ||
                 (spanStart <= m_range.start && m_range.start <= spanEnd) ||
                 (spanStart <= m_range.end && m_range.end <= spanEnd);
    if (!meets) {
        m_range = SampleRange{0, 0};
    } else {
        m_range.start = std::max(m_range.start, spanStart);
        m_range.end = std::min(m_range.end, spanEnd);
    }
    m_range.start -= spanStart;
    m_range.end -= spanStart;
}

HRESULT DeleteEnvelopeRangeCommand::Do()
{
    return RunAtEdge([&] {
        return ForEachKind([&](IMtEnvelope* e, int kind) {
            ComRef<IMtEnvelopePointEnum> points;
            ThrowIfFailed(e->EnumPoints(points.Out()));
            if (!points)
                throw CKvSSException(E_POINTER);
            ThrowIfFailed(points->Reset());
            MtEnvelopePointItem item{};
            int64_t position = 0;
            while (points->Next(&item) == S_OK) {
                position += item.distance;
                if (m_range.start <= position && position <= m_range.end)
                    m_saved[kind].push_back({position, item.value});
            }
            return e->DeleteRange(m_range.start, Length());
        });
    });
}

HRESULT DeleteEnvelopeRangeCommand::Redo()
{
    return RunAtEdge(
        [&] { return ForEachKind([&](IMtEnvelope* e, int) { return e->DeleteRange(m_range.start, Length()); }); });
}

HRESULT DeleteEnvelopeRangeCommand::Undo()
{
    return RunAtEdge([&] {
        return ForEachKind([&](IMtEnvelope* e, int kind) {
            HRESULT hr = ThrowIfFailed(e->InsertRange(m_range.start, Length()));
            for (const SavedPoint& point : m_saved[kind])
                hr = ThrowIfFailed(e->InsertPoint(point.position, point.value));
            return hr;
        });
    });
}
