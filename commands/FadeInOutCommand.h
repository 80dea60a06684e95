// "fadeinout": one track's volume curve before and after the fade dialog wrote it. Do
// first cuts the curve back to the track's own extent [0, length], keeping the level the
// curve has at each edge.
#pragma once
#include "EnvelopeSnapshotCommand.h"

class FadeInOutCommand : public EnvelopeSnapshotCommand {
public:
    static constexpr const char* kTypeName = "fadeinout";

    FadeInOutCommand() = default;
    FadeInOutCommand(const char* name, CommandDocument* document, int trackIndex)
        : EnvelopeSnapshotCommand(name, document, trackIndex)
    {
    }

    STDMETHODIMP Do() override;
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }
};
