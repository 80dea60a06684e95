#include "EnvelopeSnapshotCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

#include <vector>

EnvelopeSnapshotCommand::EnvelopeSnapshotCommand(const char* name, CommandDocument* document, int trackIndex)
    : RecordedCommand(name), m_document(document), m_trackIndex(trackIndex)
{
    ThrowIfFailed(VolumeEnvelope()->Clone(m_before.Out()));
}

ComRef<IMtEnvelope> EnvelopeSnapshotCommand::VolumeEnvelope()
{
    ComRef<IMtTrack> track = TrackAt(m_document, m_trackIndex);
    return EnvelopeOf(track.Get(), kMtEnvLevel);
}

void EnvelopeSnapshotCommand::TakeAfterCopy()
{
    ComRef<IMtEnvelope> after;
    ThrowIfFailed(VolumeEnvelope()->Clone(after.Out()));
    m_after = std::move(after);
    m_document->SetTrackSelected(m_trackIndex, TRUE);
}

HRESULT EnvelopeSnapshotCommand::Do()
{
    return RunAtEdge([&] {
        TakeAfterCopy();
        return S_OK;
    });
}

HRESULT EnvelopeSnapshotCommand::Put(IMtEnvelope* copy)
{
    return RunAtEdge([&] {
        ComRef<IMtEnvelope> live = VolumeEnvelope();
        if (copy)
            ThrowIfFailed(live->Restore(copy));
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return S_OK;
    });
}

HRESULT EnvelopeSnapshotCommand::Redo()
{
    return Put(m_after.Get());
}

HRESULT EnvelopeSnapshotCommand::Undo()
{
    return Put(m_before.Get());
}

HRESULT EnvelopeSnapshotCommand::OnLoaded()
{
    return RunAtEdge([&] {
        ComRef<IMtEnvelope> before;
        ThrowIfFailed(VolumeEnvelope()->Clone(before.Out()));
        m_before = std::move(before);
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return Redo();
    });
}

size_t EnvelopeSnapshotCommand::PointCount()
{
    LONG count = 0;
    if (m_after)
        ThrowIfFailed(m_after->GetCount(&count));
    return count > 0 ? static_cast<size_t>(count) : 0;
}

void EnvelopeSnapshotCommand::BeforeWrite()
{
    if (!m_after)
        throw CKvSSException(E_UNEXPECTED);
}

void EnvelopeSnapshotCommand::PutList(uint8_t* first, size_t count)
{
    ComRef<IMtEnvelopePointEnum> points;
    ThrowIfFailed(m_after->EnumPoints(points.Out()));
    if (!points)
        throw CKvSSException(E_FAIL);
    for (size_t i = 0; i < count; ++i) {
        MtEnvelopePointItem item{};
        // The count and the points come from one curve: a missing point is a failure.
        if (ThrowIfFailed(points->Next(&item)) != S_OK)
            throw CKvSSException(E_FAIL);
        std::memcpy(first + kPointSize * i, &item, kPointSize);
    }
}

void EnvelopeSnapshotCommand::GetList(const uint8_t* first, size_t count)
{
    ComRef<IMtEnvelope> after;
    ThrowIfFailed(VolumeEnvelope()->Clone(after.Out()));
    ThrowIfFailed(after->Clear());
    int64_t position = 0;
    for (size_t i = 0; i < count; ++i) {
        MtEnvelopePointItem item;
        std::memcpy(&item, first + kPointSize * i, kPointSize);
        position += item.distance;
        ThrowIfFailed(after->InsertPoint(position, item.value));
    }
    m_after = std::move(after);
}
