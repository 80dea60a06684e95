// Ids of the multitrack view: its commands, strings and the track properties dialog.
#pragma once
#include "ProjectFileIds.h"

#define IDC_VIEW_ZOOM_IN 1005
#define IDC_VIEW_ZOOM_IN_AMPLITUDE 1006
#define IDC_VIEW_ZOOM_OUT 1007
#define IDC_VIEW_ZOOM_OUT_AMPLITUDE 1008
#define IDC_VIEW_FIT 1009
#define IDC_VIEW_TIME_RULER 1010
#define IDC_VIEW_MARKERS 1014
#define IDC_VIEW_VIDEO_TRACK 1017
#define IDC_VIEW_SPECTRUM 1018
#define IDC_VIEW_PROPERTIES 1021
#define IDC_VIEW_VOLUME_ENVELOPES 1023
#define IDC_VIEW_GO_ZERO_CROSSING 1031
#define IDC_VIEW_GO_MAXIMUM 1032
#define IDC_VIEW_DELETE_MARKER 1036
#define IDC_VIEW_EDIT_MARKER 1037
#define IDC_VIEW_GO_SELECTION 1038
#define IDC_VIEW_PLAY_STOP 1049
#define IDC_VIEW_RECORD 1050
#define IDC_VIEW_PAUSE 1051
#define IDC_VIEW_LOOP 1052
#define IDC_VIEW_RECORD_WHILE_PLAYING 1053
#define IDC_VIEW_RECORDING_CONTROL 1054
#define IDC_VIEW_MOVE_TO_PLAY_START 1055
#define IDC_VIEW_READ_AUTOMATION 1056
#define IDC_VIEW_WRITE_AUTOMATION 1057
#define IDC_VIEW_RECORDING_TIMER 1058
#define IDC_VIEW_PAN_ENVELOPES 1115
#define IDC_VIEW_PAN_ENVELOPES2 1116
#define IDC_VIEW_PREVIOUS_MARKER 1120
#define IDC_VIEW_NEXT_MARKER 1121

// Strings
#define IDS_VIEW_MONO 20211
#define IDS_VIEW_STEREO 20212
#define IDS_VIEW_CHANNELS 20213
#define IDS_VIEW_INVALID_VALUE 20272
#define IDS_VIEW_GO_SELECTION_TEXT 20367
#define IDS_VIEW_INVALID_VIDEO 20391
#define IDS_VIEW_NO_VIDEO_CODEC 20397
#define IDS_VIEW_TRACK_PROPERTIES_TITLE 27274
#define IDS_VIEW_UNDECIDED 61229
#define IDS_VIEW_SEARCHING_MAXIMUM 61286

// Track properties dialog (template 167)
#define IDD_TRACK_PROPERTIES 167
#define IDC_TP_FILE_GROUP 5211
#define IDC_TP_TRACK_GROUP 5212
#define IDC_TP_FILENAME 5231
#define IDC_TP_FOLDER 5234
#define IDC_TP_FORMAT 5220
#define IDC_TP_ATTRIBUTES 5233
#define IDC_TP_CHANNELS 5223
#define IDC_TP_LENGTH 5235
#define IDC_TP_LABEL 5214
#define IDC_TP_VOLUME 5079
#define IDC_TP_VOLUME_SPIN 5215
#define IDC_TP_PAN 5216
#define IDC_TP_PAN_SPIN 5217
#define IDC_TP_OFFSET 5224
#define IDC_TP_OFFSET_UNIT 5241
#define IDC_TP_SAMPLES 5219

#ifndef RC_INVOKED
constexpr int kCmdZoomIn = IDC_VIEW_ZOOM_IN;
constexpr int kCmdZoomInAmplitude = IDC_VIEW_ZOOM_IN_AMPLITUDE;
constexpr int kCmdZoomOut = IDC_VIEW_ZOOM_OUT;
constexpr int kCmdZoomOutAmplitude = IDC_VIEW_ZOOM_OUT_AMPLITUDE;
constexpr int kCmdFitToWindow = IDC_VIEW_FIT;
constexpr int kCmdProperties = IDC_VIEW_PROPERTIES;
constexpr int kCmdGoToZeroCrossing = IDC_VIEW_GO_ZERO_CROSSING;
constexpr int kCmdGoToMaximumPoint = IDC_VIEW_GO_MAXIMUM;
constexpr int kCmdDeleteMarker = IDC_VIEW_DELETE_MARKER;
constexpr int kCmdEditMarker = IDC_VIEW_EDIT_MARKER;
constexpr int kCmdGoToSelection = IDC_VIEW_GO_SELECTION;
constexpr int kCmdPlayStop = IDC_VIEW_PLAY_STOP;
constexpr int kCmdRecord = IDC_VIEW_RECORD;
constexpr int kCmdPause = IDC_VIEW_PAUSE;
constexpr int kCmdLoop = IDC_VIEW_LOOP;
constexpr int kCmdRecordWhilePlaying = IDC_VIEW_RECORD_WHILE_PLAYING;
constexpr int kCmdRecordingControl = IDC_VIEW_RECORDING_CONTROL;
constexpr int kCmdMovePlayCursorToStart = IDC_VIEW_MOVE_TO_PLAY_START;
constexpr int kCmdReadAutomation = IDC_VIEW_READ_AUTOMATION;
constexpr int kCmdWriteAutomation = IDC_VIEW_WRITE_AUTOMATION;
constexpr int kCmdRecordingTimer = IDC_VIEW_RECORDING_TIMER;
constexpr int kCmdViewPanEnvelopes2 = IDC_VIEW_PAN_ENVELOPES2;
constexpr int kCmdPreviousMarker = IDC_VIEW_PREVIOUS_MARKER;
constexpr int kCmdNextMarker = IDC_VIEW_NEXT_MARKER;
// Commands of others the view sends or keeps enabled.
constexpr int kCmdFileNew = 57600;
constexpr int kCmdFileOpen = 57601;
constexpr int kCmdEditDelete = 1025;
constexpr int kCmdNewCuePoint = 1033;
constexpr int kCmdNewSection = 1034;
constexpr int kCmdNewLoop = 1039;
constexpr int kCmdAddMonoTrack = 1040;
constexpr int kCmdAddStereoTrack = 1041;
constexpr int kCmdHandleCancel = 1129;
constexpr int kCmdFadePreview = 1131;
#endif
