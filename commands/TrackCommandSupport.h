// Helpers of the commands that act on whole tracks, envelopes and mixer values: checked
// track and envelope lookups, sizes of variable records and reads bounded by their chunk.
// (Record fields and the journal's document: CommandSupport.h.)
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "KvSSException.h"

#include "KsMultiTrack.h"

#include <cstdint>
#include <cstring>

// The document's track set; throws E_FAIL without one.
IMtTrackSet* TrackSetOf(CommandDocument* document);

// The track at index with one reference. An index naming no track fails with the engine's
// code (kMtErrNoTrack for a negative one).
ComRef<IMtTrack> TrackAt(CommandDocument* document, int index);

// The live envelope of a kind of a track.
ComRef<IMtEnvelope> EnvelopeOf(IMtTrack* track, LONG kind);

// The document's track count (0 without a track set).
int TrackCountOf(CommandDocument* document);

// A size word holds the low 16 bits of a record's size; readers go by their counts.
inline uint16_t SizeWord(size_t size)
{
    return static_cast<uint16_t>(size & 0xFFFF);
}

// Reads size bytes at the chunk file's position; the bytes must lie inside the current chunk
// (a count in a record naming more than its chunk holds fails with kBadJournal).
void ReadInsideChunk(IJournalFile* stream, uint8_t* block, size_t size);
