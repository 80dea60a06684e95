// HandleEditView: what the document asks of its multitrack view when a fade or envelope
// handle edit mode starts and ends. The view implements it; the document finds it among its
// views and never includes view headers.
#pragma once
#include <windows.h>

class HandleEditView {
public:
    // Stores the view's handle edit mode (0 normal, 1 fade handles, 2 envelope handles);
    // dropped files are accepted only in mode 0. Returns the previous mode.
    virtual int SetEditMode(int mode) = 0;
    // After the mode changed: relayout and repaint, the main menu of the mode, the track
    // area's caret (hidden in a mode). entering: the tool window of toolMode is shown and
    // focused and the panes bound to the view are disabled; else that window is hidden and
    // the panes are enabled again.
    virtual void ShowEditMode(int toolMode, BOOL entering) = 0;

protected:
    ~HandleEditView() = default;
};
