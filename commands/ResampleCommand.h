// "resample": changes the sample format (bits, rate) of the whole document through the
// engine and keeps the document's format records and labels in step.
//
// Converting back would be a second lossy conversion, and labels scaled down and up again
// lose their last digits: Do keeps what each track holds (its content and offset as a clip,
// its envelopes) and every label, and Undo puts them back exactly. Undo keeps what the
// conversion made in the same way, and Redo puts that back instead of converting again.
#pragma once
#include "CommandDocument.h"
#include "ComRef.h"
#include "RecordedCommand.h"

#include "KsMultiTrack.h"
#include "LabelRecord.h"

#include <vector>

class ResampleCommand : public RecordedCommand<ResampleCommand> {
public:
    static constexpr const char* kTypeName = "resample";
    static constexpr uint16_t kRecordSize = 276;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<uint32_t, &Self::m_newRate>(262),
                      Value<uint16_t, &Self::m_newBits>(272));
    }

    ResampleCommand() = default;
    ResampleCommand(const char* name, CommandDocument* document, WORD bitsPerSample, DWORD samplesPerSec);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    struct KeptTrack {
        ComRef<IMtClip> content; // sound and start offset
        ComRef<IMtEnvelope> envelopes[kMtEnvelopeKinds];
    };
    // Each track's content and envelopes as they are now.
    std::vector<KeptTrack> KeepTracks();
    void KeepDocument();
    // The document's records after the engine's format became (bits, rate).
    void FollowFormat(WORD bits, DWORD rate);

    CommandDocument* m_document = nullptr;
    WORD m_newBits = 0;
    DWORD m_newRate = 0;
    WORD m_oldBits = 0;
    DWORD m_oldRate = 0;
    std::vector<KeptTrack> m_kept;
    std::vector<KeptTrack> m_converted; // what Undo took off, while it can be redone
    std::vector<LabelRecord> m_labels;
    bool m_keptValid = false;
};
