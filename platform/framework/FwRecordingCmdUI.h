// CRecordingCmdUI: a command-UI that only records what an update handler decided, so that the
// decision can be asked without a menu or bar: the framework does it before it runs a menu
// command, and tests call an update handler with it directly.
//
//   CRecordingCmdUI state(ID_EDIT_CUT);
//   doc.OnUpdateEditCut(&state);       // or state.DoUpdate(frame, FALSE) along the routing chain
//   if (state.enabled == 0) ...
#pragma once
#include "FwCmdTarget.h"
#include <string>

class CRecordingCmdUI : public CCmdUI {
public:
    explicit CRecordingCmdUI(UINT id = 0) { m_nID = id; }

    // -1 while no handler decided; else 0 or 1 (checked: 0, 1 or 2 for indeterminate).
    int enabled = -1;
    int checked = -1;
    int radio = -1;
    std::string text;

    void Enable(BOOL on = TRUE) override
    {
        enabled = on ? 1 : 0;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int check = 1) override { checked = check; }
    void SetRadio(BOOL on = TRUE) override { radio = on ? 1 : 0; }
    void SetText(const char* value) override { text = value ? value : ""; }
};
