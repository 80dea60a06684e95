// CommandDocument: what edit commands and the command history need of the document they
// edit. The multitrack document implements it; tests use small fakes.
#pragma once
#include <windows.h>

struct IMtTrackSet;

class CommandDocument {
public:
    // The document's engine track set, without an added reference; null without an engine.
    virtual IMtTrackSet* GetTrackSet() = 0;
    // Sets or clears the selected flag of every channel row of the track (-1: all rows).
    virtual HRESULT SetTrackSelected(int trackIndex, BOOL selected) = 0;
    virtual void SetModifiedFlag(BOOL modified) = 0;
    // The history changed (after Add, Undo, Redo and TakeLast): the program refreshes the
    // effect palette, whose entries depend on what can be undone.
    virtual void OnHistoryChanged() = 0;

protected:
    ~CommandDocument() = default;
};
