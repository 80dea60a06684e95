// The arithmetic of the video panes, without windows: how many frames one thumbnail step
// covers, where a frame is fitted into a picture area, and which zoom a fitted size shows.
#pragma once
#include <windows.h>

// Frames per thumbnail step: the time that a thumbnail and its 6-pixel gap span at the view's
// zoom over one frame's duration (both in 100 us), rounded up, and at least 1. 0 for no video.
int FramesPerStep(double spanTime, double frameDuration);

// The frame rectangle of a width x height video fitted into picture, keeping the aspect ratio
// (full height, or full width when that is narrower) and centred; empty for no size.
RECT FitFrame(const RECT& picture, int width, int height);

// The zoom command (1087 25%, 1088 50%, 1089 100%, 1090 200%, 1091 400%) whose check mark a
// fitted w x h frame of a W x H video carries; 0 for none.
UINT ZoomCheck(int W, int H, int w, int h);
// The scale of a zoom command (0.25 ... 4.0); 0 for another id.
double ZoomScale(UINT command);

// The window rectangle, moved left or up by what passes the work area's right or bottom edge.
RECT KeepInsideWorkArea(RECT window, const RECT& workArea);
