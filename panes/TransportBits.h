// Transport state bits the controller keeps and the view reads.
#pragma once
#include <windows.h>

constexpr DWORD kTransportLoop = 1;
constexpr DWORD kTransportPlaying = 2;
constexpr DWORD kTransportPaused = 4;
constexpr DWORD kTransportRecording = 8;
constexpr DWORD kTransportRecordWhilePlaying = 16;
constexpr DWORD kTransportNotPlayable = 128;
