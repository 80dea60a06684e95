// Resource identifiers of the program. Each topic keeps its own ids in its own header.
#pragma once
// The application's name: the caption of the core's error boxes.
#define IDS_APPLICATION_TITLE 128
// The main frame: title string and menu.
#define IDR_MAINFRAME 401
// The multitrack document template: its document string and the menu shown while a child is active.
#define IDR_MULTITRACKDOC 403
// The document's Sample Type command (a double click on the child's status bar runs it too).
#define ID_SAMPLE_TYPE 2018
// Marks of the child frame's caption: modified, overwrite-protected.
#define IDS_MODIFIED_MARK 20333
#define IDS_OVERWRITE_PROTECTED 20334
// Caption of the error box of a full set of tracks.
#define IDS_WARNING 20437
