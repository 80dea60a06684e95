// RangeCommand: base of the commands that edit one track of the document over a range of
// samples. Before it edits, a derived Do keeps the track's content (SaveTrackContent);
// Undo and Redo then swap the track between its content before and after the edit
// without recomputing the edit.
#pragma once
#include "ComRef.h"
#include "CommandDocument.h"
#include "EditCommand.h"
#include "SampleRange.h"

#include "KsMultiTrack.h"

class RangeCommand : public EditCommand {
public:
    RangeCommand() = default;
    // The range is start to start + length, normalised (a negative length ends at start).
    // forward (may be null) is the input of the edit, such as a clip to insert.
    RangeCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length,
                 IMtClip* forward);

    // Both swap the track's content and select the track. A failure of the engine is
    // returned and leaves the track and both contents as they were. Before the track's
    // content has been kept (a Do that failed early, rolled back by its group) both do
    // nothing and return S_OK: there is no edit to take back or make again.
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;

    const SampleRange& Range() const { return m_range; }

protected:
    // Keeps a copy of the track's content, from its start offset to its end, as the content
    // before the edit.
    virtual HRESULT SaveTrackContent();
    // The edited track; throws E_FAIL when there is none (no engine or no such index).
    ComRef<IMtTrack> GetTrack();

    CommandDocument* m_document = nullptr; // not counted
    ComRef<IMtClip> m_forward;             // the edit's input, or after an undo the content after the edit
    ComRef<IMtClip> m_backward;            // the content before the edit
    SampleRange m_range;
    int m_trackIndex = -1;
    bool m_contentKept = false; // SaveTrackContent has succeeded: the swaps have both contents

private:
    // The track takes *give as its content; its previous content replaces *give.
    HRESULT Exchange(ComRef<IMtClip>& give);
};
