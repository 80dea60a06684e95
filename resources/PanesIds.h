// Resource ids of the tool panes: the marker list, Edit Markers, the selection control, the
// rename dialog and the texts of the controller and mixer (the templates and the code include
// this).
#pragma once

#define IDD_SELECTION_CONTROL 113
#define IDD_MARKER_LIST 114
#define IDD_EDIT_MARKERS 134
#define IDD_NAME_EDIT 171

// The time-unit combo box of the marker list and of Edit Markers.
#define IDC_TIME_UNIT 5185

// Marker list.
#define IDC_MARKER_LIST 5065
#define IDC_MARKER_ADD 5026
#define IDC_MARKER_EDIT 5009
#define IDC_MARKER_DELETE 5067
#define IDC_MARKER_TO_ALL 5069
#define IDC_MARKER_EXPORT 5291
#define IDC_PANE_HELP 9
#define IDC_MARKER_STATIC 194

// Edit Markers.
#define IDC_EDITMARK_NAME 5197
#define IDC_EDITMARK_TRACK 5183
#define IDC_EDITMARK_PAIR 5204
#define IDC_EDITMARK_START 5078
#define IDC_EDITMARK_END 5181
#define IDC_EDITMARK_LENGTH 5182
#define IDC_EDITMARK_PREVIEW 5000

// Selection control.
#define IDC_SELCTRL_MODE 5209
#define IDC_SELCTRL_UNIT 5186
#define IDC_SELCTRL_START 5061
#define IDC_SELCTRL_END 5062
#define IDC_SELCTRL_LENGTH 5063

// Rename dialog.
#define IDC_NAME_EDIT_TEXT 1000

// Longest name a pane edits (a label record holds 256 bytes with the terminator).
#define kPaneNameLimit 255

// Texts.
#define IDS_FIXED_START_END 10010
#define IDS_FIXED_START_LENGTH 10011
#define IDS_FIXED_END_LENGTH 10012
#define IDS_REMAINING_FORMAT 20217
#define IDS_ALL_TRACKS 20274
#define IDS_NAME_MISSING 20305
#define IDS_CONTROLLER_TITLE 20348
#define IDS_MIXER_TITLE 20355
#define IDS_PREVIEW 20369
#define IDS_PREVIEW_STOP 20370
#define IDS_CSV_FILTER 20466
#define IDS_CSV_EXTENSION 20467
#define IDS_TIP_LOOP 22001
#define IDS_TIP_NEXT_MARKER 22034
#define IDS_TIP_PREVIOUS_MARKER 22035
#define IDS_TO_ALL_TRACKS_ASK 27273
