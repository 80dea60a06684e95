// Resource identifiers of the program. Each topic keeps its own ids in its own header.
#pragma once
// The main frame: title string, menu (later also its tool bar and icon).
#define IDR_MAINFRAME 401
