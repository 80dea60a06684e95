#include "TrackCommandSupport.h"

#include "CommandHeader.h"
#include "StreamChunkFile.h"

IMtTrackSet* TrackSetOf(CommandDocument* document)
{
    IMtTrackSet* tracks = document ? document->GetTrackSet() : nullptr;
    if (!tracks)
        throw CKvSSException(E_FAIL);
    return tracks;
}

ComRef<IMtTrack> TrackAt(CommandDocument* document, int index)
{
    IMtTrackSet* tracks = TrackSetOf(document);
    if (index < 0)
        throw CKvSSException(kMtErrNoTrack);
    ComRef<IMtTrack> track;
    ThrowIfFailed(tracks->GetTrack(index, track.Out()));
    if (!track)
        throw CKvSSException(kMtErrNoTrack);
    return track;
}

ComRef<IMtEnvelope> EnvelopeOf(IMtTrack* track, LONG kind)
{
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(track);
    if (!set)
        throw CKvSSException(E_NOINTERFACE);
    ComRef<IMtEnvelope> envelope;
    ThrowIfFailed(set->GetEnvelope(kind, envelope.Out()));
    if (!envelope)
        throw CKvSSException(E_FAIL);
    return envelope;
}

int TrackCountOf(CommandDocument* document)
{
    IMtTrackSet* tracks = document ? document->GetTrackSet() : nullptr;
    LONG count = 0;
    if (tracks)
        ThrowIfFailed(tracks->GetTrackCount(&count));
    return static_cast<int>(count);
}

void ReadInsideChunk(IJournalFile* stream, uint8_t* block, size_t size)
{
    StreamChunkFile file(stream);
    const ChunkInfo* chunk = file->GetCurrentChunk();
    if (!chunk)
        throw CKvSSException(kBadJournal);
    uint64_t position = file->GetPosition();
    uint64_t end = chunk->dataStart + chunk->size;
    if (position > end || end - position < size)
        throw CKvSSException(kBadJournal);
    if (file->Read(block, static_cast<DWORD>(size)) != size)
        throw CKvSSException(kBadJournal);
}

void GiveTrackLabel(CommandDocument* document, int index, const char* name, LabelRecord* made)
{
    *made = LabelRecord{};
    LabelRecord label{};
    if (document->GetTrackLabel(index, &label))
        return;
    if (name && name[0])
        std::strncpy(label.name, name, sizeof label.name - 1);
    document->SetTrackLabel(label);
    // Kept to take the label away with the track and bring it back with it.
    document->GetTrackLabel(index, made);
}

void PutLabelName(uint8_t* block, size_t offset, const LabelRecord& label, const char (&loaded)[kLabelNameSize])
{
    std::memcpy(block + offset, label.id > 0 ? label.name : loaded, kLabelNameSize);
}

void GetLabelName(const uint8_t* block, size_t offset, char (&name)[kLabelNameSize])
{
    std::memcpy(name, block + offset, kLabelNameSize);
    name[kLabelNameSize - 1] = 0;
}
