// Resource ids of the effect dialog, the preset name dialog and the effect launcher (the
// template script and the code include this).
#pragma once

#define IDD_EFFECT 112
#define IDD_PRESET_NAME 5388

// The effect dialog.
#define IDC_EFFECT_PRESETS 5158
#define IDC_EFFECT_REGISTER_PRESET 5266
#define IDC_EFFECT_DELETE_PRESET 5262
#define IDC_EFFECT_TABS 5335
#define IDC_EFFECT_PREVIEW 5000
#define IDC_EFFECT_NEW_WINDOW 5002
#define IDC_EFFECT_HELP 9
#define IDC_EFFECT_ON 5299
#define IDC_EFFECT_OFF 5300
#define IDC_EFFECT_GROUP 5274
#define IDC_EFFECT_PAGE_FRAME 180
// The preset name dialog.
#define IDC_PRESET_NAME 5072

#define IDS_PLUGIN_LOAD_FAILED 20263
#define IDS_PLUGIN_CONNECT_FAILED 20435
#define IDS_PREVIEW_TOO_SHORT 20445
#define IDS_NO_PLAYBACK_DEVICE 20453
#define IDS_EFFECT_LAUNCHER 20490
#define IDS_PLEASE_WAIT 20497
#define IDS_CMD_PLUGIN 21021
#define IDS_PRESET_EXISTS 61299
#define IDS_PRESET_BUILT_IN 61300
#define IDS_PRESET_DELETE 61301
// The launcher's button descriptions: 30001 to 30036.
#define IDS_LAUNCHER_FIRST 30001
