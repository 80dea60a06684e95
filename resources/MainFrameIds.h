// The main frame's own ids: its pane, settings, CD, help and control-menu commands, the
// transport items it builds into the "&Control" menu, its menus and its strings.
#pragma once
#include "CommandIds.h"

// Pane toggles
#define ID_VIEW_VIDEO_PREVIEW 1004
#define ID_VIEW_SELECTION_CONTROL 1012
#define ID_VIEW_CONTROLLER 1013
#define ID_VIEW_MARKER_LIST 1019
#define ID_VIEW_MIXER 1022
#define ID_VIEW_FREQUENCY_ANALYSIS 1074
#define ID_VIEW_EFFECT_LAUNCHER 1119
#define ID_AUTO_DEMO 1096
// Settings, devices, CD
#define ID_SETTINGS 1100
#define ID_AUDIO_DEVICE_SETTINGS 1101
#define ID_EXTRACT_CD 1103
#define ID_BURN_CD_WINDOW 1104
#define ID_BURN_CD_FILES 1105
#define ID_OPEN_MULTICHANNEL 1127
#define ID_HELP_CONTENTS 57666
#define ID_HELP_ONLINE 1092
// Tool bar's Add Track button and its drop-down menu
#define ID_ADD_TRACK 1027
#define ID_ADD_MONO_TRACK 1040
#define ID_ADD_STEREO_TRACK 1041
// First items of the fade-handle menus, and their preview item
#define ID_FADE_HANDLE_FIRST_A 1130
#define ID_FADE_HANDLE_PREVIEW 1131
#define ID_FADE_HANDLE_FIRST_B 1132

// Menus: the frame's context menu and the Add Track drop-down
#define IDR_FRAME_CONTEXT_MENU 414
#define IDR_ADD_TRACK_MENU 406

// Strings
#define IDS_MARKER_LIST_TITLE 20349
#define IDS_SELECTION_CONTROL_TITLE 20350
#define IDS_VIDEO_PREVIEW_TITLE 20351
#define IDS_TRANSPORT_PLAY 20357
#define IDS_TRANSPORT_RECORD 20358
#define IDS_TRANSPORT_STOP_PLAYING 20360
#define IDS_TRANSPORT_STOP_RECORDING_SHIFT 20361
#define IDS_TRANSPORT_PAUSE 20362
#define IDS_TRANSPORT_RESUME 20363
#define IDS_TRANSPORT_START_RECORDING 20364
#define IDS_RECORD_WHILE_PLAYING 20365
#define IDS_LOOP 20366
#define IDS_TIMER_FAILED 20374
#define IDS_GO_TO_PLAY_START 20378
#define IDS_FADE_PREVIEW 20380
#define IDS_FADE_STOP 20381
#define IDS_EXTRACT_CD_PROGRESS 20403
#define IDS_TOOL_BAR_TITLE 20446
#define IDS_TRANSPORT_STOP_RECORDING 32949
#define IDS_READ_AUTOMATION 32985
#define IDS_WRITE_AUTOMATION 32986
#define IDS_RECORDING_TIMER 32987
#define IDS_GO_TO_PREVIOUS_MARKER 32988
#define IDS_GO_TO_NEXT_MARKER 32989
// "Processing..." (the track commands' string table has it)
#define IDS_PROCESSING 20346
// Error code whose text a failed start of the recording mixer shows
#define KV_E_RECORDING_MIXER 0x83E8083A
