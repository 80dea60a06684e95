// When the commands of the fade and envelope handle modes may be chosen, as one plain function
// of the state the update handlers read, so that the rules can be checked without menus.
#pragma once

struct EditModeState {
    int mode = 0;            // the view's edit mode: 0 normal, 1 fade, 2 envelope
    bool previewing = false; // the document's fade preview plays
    int direction = 1132;    // the document's fade direction (1132 in, 1133 out)
    int curve = 1135;        // and curve (1134 sine, 1135 linear)
};

struct EditModeUi {
    bool enabled = false;
    bool checked = false;
};

// Commands 1128 to 1135 (Execute, Cancel, Reset Handles, Preview, Fade In, Fade Out, Sine,
// Linear): nothing outside a mode; Preview in any mode (a running preview must be stoppable);
// the others only while no preview plays, the shape items checked as the document's.
EditModeUi EditModeCommandUi(const EditModeState& state, int id);
