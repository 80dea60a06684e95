// "refreshpeak": rebuilds the sound data and waveform peaks of every track that holds
// sound: the track's samples go through a new peak file (a data file and its peaks), and an
// "openfile" child puts the new file in place of the track's content. Running the group puts
// all of them in place at once; undoing it puts the old contents back. Nothing of its own is
// saved beyond the command header; saving writes the group with its children.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"

#include "KsMultiTrack.h"

class RefreshPeakCommand : public CommandGroup {
public:
    static constexpr const char* kTypeName = "refreshpeak";
    static constexpr UINT kIdsProcessing = 20346; // "Processing..."

    RefreshPeakCommand() = default;
    RefreshPeakCommand(const char* name, CommandDocument* document) : CommandGroup(name), m_document(document) {}

    // One child per track with sound, then the group run; a cancel (0x83E80005) leaves no file
    // of the track being read, and the children made before it unrun.
    STDMETHODIMP Do() override;
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }

private:
    void RefreshTrack(int index, int count);

    CommandDocument* m_document = nullptr;
};
