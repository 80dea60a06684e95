// Ids of the mouse in the multitrack view: the program's own cursors (by name), the track
// area's context menus and their commands, and the texts of the track area's gestures.
#pragma once

// Context menus of the track area: on a label, and on an envelope point or fade handle.
#define IDM_TRACKAREA_LABEL 410
#define IDM_TRACKAREA_POINT 419
#define IDC_DELETE_CURRENT_POINT 1111
#define IDC_DELETE_ALL_POINTS 1112

#define IDS_ASK_DELETE_TRACK 20373
#define IDS_TRACK_OFFSET 21013
#define IDS_EDIT_SAMPLE 21014

#ifndef RC_INVOKED
// Cursor resources, loaded by name from the program's module.
constexpr const char* kCursorHand = "CUR_HAND";
constexpr const char* kCursorHoldVertical = "CUR_HOLD_V";
constexpr const char* kCursorHoldCopy = "CUR_HOLD_CPY";
constexpr const char* kCursorWaveDelete = "CUR_WAVE_DEL";
constexpr const char* kCursorFinger = "CUR_FINGER_U";
constexpr const char* kCursorHandOffset = "CUR_HAND_OFS";
constexpr const char* kCursorHoldHorizontal = "CUR_HOLD_H";
constexpr const char* kCursorDragNew = "CUR_DRAG_NEW";
constexpr const char* kCursorDragCopy = "CUR_DRAG_CPY";
constexpr const char* kCursorNoDrop = "CUR_NODROP";
#endif
