// Ids of the document's command handlers: command names the history shows, the Undo and Redo
// menu texts, and the refusals and questions of the edit, mail, effect and channel commands.
#pragma once
#include "ProjectFileIds.h"

// Menu texts of Undo and Redo (plain, and with the newest command's name).
#define IDS_MENU_UNDO 21000
#define IDS_MENU_UNDO_NAMED 21001
#define IDS_MENU_REDO 21002
#define IDS_MENU_REDO_NAMED 21003

// Command names.
#define IDS_CMD_CUT 21005
#define IDS_CMD_PASTE 21006
#define IDS_CMD_DELETE 21007
#define IDS_CMD_TRIM 21008
#define IDS_CMD_ADD_TRACK 21009
#define IDS_CMD_DELETE_TRACK 21010
#define IDS_CMD_MOVE_TRACK 21011
#define IDS_CMD_COPY_TRACK 21012
#define IDS_CMD_EFFECT 21017
#define IDS_CMD_CUE 21018
#define IDS_CMD_SECTION 21019
#define IDS_CMD_LOOP 21020
#define IDS_CMD_RESAMPLING 21033
#define IDS_CMD_MIXING 21034
#define IDS_CMD_SPLIT_TRACK 21036
#define IDS_CMD_PROPERTIES 21026

// Whole-track checks.
#define IDS_WHOLE_TRACKS_WARN 61282
#define IDS_WHOLE_TRACKS_STOP 61288

// Mail.
#define IDS_MAIL_NO_MAILER 20260
#define IDS_MAIL_FILE_EDITED 61292
#define IDS_MAIL_LARGE_FILE 20258

// Noise reduction and channel commands.
#define IDS_CHANNELS_MISMATCH 20491
#define IDS_SEVERAL_TRACKS 20492
#define IDS_NOISE_STEREO_OR_MONO 20493
#define IDS_NOISE_NO_PROFILE 20494
#define IDS_NOISE_CHANNELS_DIFFER 20495
#define IDS_NOISE_RATE_DIFFERS 20496
#define IDS_NOISE_PROFILE_MISMATCH 20499
#define IDS_CHANNEL_LIMIT 61302

// Split waveform.
#define IDS_SPLIT_TOO_SHORT 61291
#define IDS_SPLIT_NO_CUES 57667
