// Resource ids of the video preview: the video track pane's menu and commands, the preview
// window's menu and zoom commands.
#pragma once
#define IDR_VIDEO_TRACK_MENU 405
#define IDR_VIDEO_PREVIEW_MENU 412
#define ID_VIDEO_FRAME_NUMBERS 1076
#define ID_VIDEO_FRAME_ANIMATION 1077
#define ID_VIDEO_ZOOM_25 1087
#define ID_VIDEO_ZOOM_50 1088
#define ID_VIDEO_ZOOM_100 1089
#define ID_VIDEO_ZOOM_200 1090
#define ID_VIDEO_ZOOM_400 1091
// The document's video on load.
#define IDS_VIDEO_CANNOT_LOCATE 20389
#define IDS_VIDEO_NO_VIDEO_TRACK 20394
#define IDS_VIDEO_OPEN_FAILED 20395
#define IDS_VIDEO_REMOVE_INFO 20396
