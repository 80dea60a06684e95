// EnvelopeSnapshotCommand: the base of "crossfade" and "fadeinout", an undoable change of
// one track's volume envelope made by someone else (the crossfade and fade dialogs write
// the points). It copies the curve when it is built (before) and when it is run (after);
// Undo and Redo put one copy or the other back.
//
// Its record lists the after copy's points, 16 bytes each (distance from the previous point,
// float value, 4 reserved bytes), so curves of any length come back. A command that has not
// run has no after copy and refuses to save: replayed, it would empty the curve.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "RecordedCommand.h"

#include "KsMultiTrack.h"

class EnvelopeSnapshotCommand : public RecordedCommand<EnvelopeSnapshotCommand> {
public:
    static constexpr uint16_t kFixedPart = 272;
    static constexpr uint16_t kPointSize = 16;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kFixedPart}, Value<int32_t, &Self::m_trackIndex>(260))
            .WithList({264, kPointSize, 0x7FFFFFFu});
    }

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
    // A command that has not run has no after copy: E_UNEXPECTED.
    void BeforeWrite() override;
    // The points of the after copy.
    size_t ListCount() override { return PointCount(); }
    void PutList(uint8_t* first, size_t count) override;
    void GetList(const uint8_t* first, size_t count) override;
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
