// Ids of the fade and envelope handle edit modes: their menus, commands and tool windows.
#pragma once

// Menus swapped in for the main menu (403) while a document window is in a handle edit mode.
#define IDR_FADE_EDIT_MENU 423
#define IDR_ENVELOPE_EDIT_MENU 424

// Commands of the modes; the tool windows' buttons carry the same ids.
#define ID_HANDLE_EXECUTE 1128
#define ID_HANDLE_CANCEL 1129
#define ID_HANDLE_RESET 1130
#define ID_HANDLE_PREVIEW 1131
#define ID_HANDLE_FADE_IN 1132
#define ID_HANDLE_FADE_OUT 1133
#define ID_HANDLE_SINE 1134
#define ID_HANDLE_LINEAR 1135

// The document commands that enter the modes.
#define ID_FADE_IN_OUT_MODE 2012
#define ID_ENVELOPE_MODE 2013

// Tool windows: the fade window (fade mode) and the handle window (envelope mode).
#define IDD_FADE_TOOL 5390
#define IDD_FADE_HANDLE 5391
