// Resource identifiers of the program. Each topic keeps its own ids in its own header.
#pragma once
// The application's name: the caption of the core's error boxes.
#define IDS_APPLICATION_TITLE 128
// The main frame: title string and menu.
#define IDR_MAINFRAME 401
