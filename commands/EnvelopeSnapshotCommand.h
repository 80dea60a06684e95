// EnvelopeSnapshotCommand: the base of "crossfade" and "fadeinout", an undoable change of
// one track's volume envelope made by someone else (the crossfade and fade dialogs write
// the points). It copies the curve when it is built (before) and when it is run (after);
// Undo and Redo put one copy or the other back.
//
// Record: header; 260 track index; 264 point count n; 268 zero; from 272 one 16-byte
// point per entry (distance from the previous point, float value, 4 reserved bytes), one
// zero slot when n is 0. The size word holds the low 16 bits of the size; readers go by n,
// so curves of any length come back. A command that has not run has no after copy and
// refuses to save: replayed, it would empty the curve.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "EditCommand.h"

#include "KsMultiTrack.h"

class EnvelopeSnapshotCommand : public EditCommand {
public:
    static constexpr size_t kFixedPart = 272;
    static constexpr size_t kPointSize = 16;

    EnvelopeSnapshotCommand() = default;
    // Takes the before copy of the track's volume curve; a failure is thrown.
    EnvelopeSnapshotCommand(const char* name, CommandDocument* document, int trackIndex);

    // Takes the after copy and selects the track.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    // Takes a fresh before copy from the live track, then applies the loaded after copy.
    STDMETHODIMP OnLoaded() override;

    int TrackIndex() const { return m_trackIndex; }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

    ComRef<IMtEnvelope> VolumeEnvelope();
    // Copies the live curve into after and selects the track.
    void TakeAfterCopy();

    CommandDocument* m_document = nullptr;
    ComRef<IMtEnvelope> m_after;
    ComRef<IMtEnvelope> m_before;
    int m_trackIndex = -1;

private:
    HRESULT Put(IMtEnvelope* copy);
    size_t PointCount();
};
