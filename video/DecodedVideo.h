// The frames of a video that is no AVI (or one whose structure our walk refuses as no AVI),
// as the graph road decodes them, written as an AVI of uncompressed bottom-up RGB24 frames
// with no sound: what Save as AVI copies when it cannot copy the source's own samples.
#pragma once
#include <windows.h>

// S_OK once aviPath holds the frames; S_FALSE when path is an AVI whose samples are copied as
// they are (nothing written); else the failing step's code (nothing left at aviPath).
HRESULT WriteDecodedVideo(const char* path, const char* aviPath);
