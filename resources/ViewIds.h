// Ids of the multitrack view: its commands, strings and the track properties dialog.
#pragma once
#include "ProjectFileIds.h"
#include "CommandIds.h"

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
#define IDC_VIEW_GO_ZERO_CROSSING 1031
#define IDC_VIEW_GO_MAXIMUM 1032
#define IDC_VIEW_DELETE_MARKER 1036
#define IDC_VIEW_EDIT_MARKER 1037
#define IDC_VIEW_GO_SELECTION 1038

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
constexpr int kCmdPlayStop = ID_TRANSPORT_PLAY;
constexpr int kCmdRecord = ID_TRANSPORT_RECORD;
constexpr int kCmdPause = ID_TRANSPORT_PAUSE;
constexpr int kCmdLoop = ID_TRANSPORT_LOOP;
constexpr int kCmdRecordWhilePlaying = ID_TRANSPORT_RECORD_WHILE_PLAYING;
constexpr int kCmdRecordingControl = ID_RECORDING_CONTROL;
constexpr int kCmdMovePlayCursorToStart = ID_TRANSPORT_GO_TO_PLAY_START;
constexpr int kCmdReadAutomation = ID_TRANSPORT_READ_AUTOMATION;
constexpr int kCmdWriteAutomation = ID_TRANSPORT_WRITE_AUTOMATION;
constexpr int kCmdRecordingTimer = ID_TRANSPORT_RECORDING_TIMER;
constexpr int kCmdViewPanEnvelopes2 = ID_VIEW_PAN_ENVELOPES2;
constexpr int kCmdPreviousMarker = ID_GO_TO_PREVIOUS_MARKER;
constexpr int kCmdNextMarker = ID_GO_TO_NEXT_MARKER;
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
