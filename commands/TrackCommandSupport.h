// Helpers shared by the commands that act on whole tracks, envelopes and mixer values:
// the document a loaded command belongs to, checked track and envelope lookups, and
// little-endian fields of saved records.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "CommandInterfaces.h"
#include "KvSSException.h"

#include "KsMultiTrack.h"

#include <cstdint>
#include <cstring>

// The document a journal belongs to (its user value); throws E_FAIL when it has none.
CommandDocument* JournalDocument(IJournalFile* stream);

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
inline uint16_t SizeWord(size_t size) { return static_cast<uint16_t>(size & 0xFFFF); }

template <class T>
inline void PutField(uint8_t* block, size_t offset, T value)
{
    std::memcpy(block + offset, &value, sizeof value);
}

template <class T>
inline T GetField(const uint8_t* block, size_t offset)
{
    T value;
    std::memcpy(&value, block + offset, sizeof value);
    return value;
}

// Reads size bytes at the chunk file's position; the bytes must lie inside the current chunk
// (a count in a record naming more than its chunk holds fails with kBadJournal).
void ReadInsideChunk(IJournalFile* stream, uint8_t* block, size_t size);
