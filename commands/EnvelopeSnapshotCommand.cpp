#include "EnvelopeSnapshotCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

#include <vector>

EnvelopeSnapshotCommand::EnvelopeSnapshotCommand(const char* name, CommandDocument* document, int trackIndex)
    : EditCommand(name), m_document(document), m_trackIndex(trackIndex)
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

HRESULT EnvelopeSnapshotCommand::GetSize(ULONG* size)
{
    if (!size)
        return E_POINTER;
    return RunAtEdge([&] {
        size_t n = PointCount();
        *size = static_cast<ULONG>(kFixedPart + kPointSize * (n ? n : 1));
        return S_OK;
    });
}

HRESULT EnvelopeSnapshotCommand::WriteBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        if (!m_after)
            throw CKvSSException(E_UNEXPECTED);
        size_t n = PointCount();
        std::vector<uint8_t> block(kFixedPart + kPointSize * (n ? n : 1), 0);
        FillHeader(block.data(), SizeWord(block.size()));
        PutField<int32_t>(block.data(), 260, m_trackIndex);
        PutField<int32_t>(block.data(), 264, static_cast<int32_t>(n));
        ComRef<IMtEnvelopePointEnum> points;
        ThrowIfFailed(m_after->EnumPoints(points.Out()));
        if (!points)
            throw CKvSSException(E_FAIL);
        for (size_t i = 0; i < n; ++i) {
            MtEnvelopePointItem item{};
            // The count and the points come from one curve: a missing point is a failure.
            if (ThrowIfFailed(points->Next(&item)) != S_OK)
                throw CKvSSException(E_FAIL);
            std::memcpy(block.data() + kFixedPart + kPointSize * i, &item, kPointSize);
        }
        return WriteRecord(stream, block.data(), block.size());
    });
}

HRESULT EnvelopeSnapshotCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        CommandDocument* document = JournalDocument(stream);
        uint8_t fixed[kFixedPart] = {};
        ThrowIfFailed(ReadRecord(stream, fixed, sizeof fixed));
        int32_t n = GetField<int32_t>(fixed, 264);
        if (n < 0 || static_cast<uint32_t>(n) > 0x7FFFFFFu)
            throw CKvSSException(kBadJournal);
        std::vector<uint8_t> points(kPointSize * (n ? static_cast<size_t>(n) : 1));
        ReadInsideChunk(stream, points.data(), points.size());

        m_document = document;
        m_trackIndex = GetField<int32_t>(fixed, 260);
        ComRef<IMtEnvelope> after;
        ThrowIfFailed(VolumeEnvelope()->Clone(after.Out()));
        ThrowIfFailed(after->Clear());
        int64_t position = 0;
        for (int32_t i = 0; i < n; ++i) {
            MtEnvelopePointItem item;
            std::memcpy(&item, points.data() + kPointSize * i, kPointSize);
            position += item.distance;
            ThrowIfFailed(after->InsertPoint(position, item.value));
        }
        m_after = std::move(after);
        return S_OK;
    });
}
