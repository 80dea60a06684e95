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
#include "LabelRecord.h"
#include "RecordLayout.h"

#include <cstdint>
#include <cstring>

// The document's track set; throws E_FAIL without one.
IMtTrackSet* TrackSetOf(CommandDocument* document);

// The track at index with one reference. An index naming no track fails with the engine's
// code (kMtErrNoTrack for a negative one).
ComRef<IMtTrack> TrackAt(CommandDocument* document, int index);

// The live envelope of a kind of a track.
ComRef<IMtEnvelope> EnvelopeOf(IMtTrack* track, LONG kind);

// Gives the track at index its default label when it has none, under name when one is given
// (the name the label had when the edit was first done: the default counts every label made,
// also those taken back since, which a replay does not make). *made: the label given (id 0:
// none).
void GiveTrackLabel(CommandDocument* document, int index, const char* name, LabelRecord* made);
// The name of a track label as a record stores it: kLabelNameSize bytes at offset (the label's
// when one was given, else the name loaded for it), and back.
constexpr size_t kLabelNameSize = sizeof(LabelRecord::name);
void PutLabelName(uint8_t* block, size_t offset, const LabelRecord& label, const char (&loaded)[kLabelNameSize]);
void GetLabelName(const uint8_t* block, size_t offset, char (&name)[kLabelNameSize]);

namespace record {
// The field of those names: Label is the LabelRecord given, Name the char array loaded.
template <class C, auto Label, auto Name>
constexpr RecordField<C> LabelName(uint16_t offset)
{
    return {offset, static_cast<uint16_t>(kLabelNameSize),
            [](const C& command, uint8_t* at) { PutLabelName(at, 0, command.*Label, command.*Name); },
            [](C& command, const uint8_t* at) { GetLabelName(at, 0, command.*Name); }};
}
} // namespace record

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
