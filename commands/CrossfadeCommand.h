// "crossfade": one track's volume curve before and after the crossfade dialog wrote it.
#pragma once
#include "EnvelopeSnapshotCommand.h"

class CrossfadeCommand : public EnvelopeSnapshotCommand {
public:
    static constexpr const char* kTypeName = "crossfade";

    CrossfadeCommand() = default;
    CrossfadeCommand(const char* name, CommandDocument* document, int trackIndex)
        : EnvelopeSnapshotCommand(name, document, trackIndex)
    {
    }

    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }
};
