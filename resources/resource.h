// Resource identifiers of the program. Each topic keeps its own ids in its own header.
#pragma once
#define IDR_MAINFRAME 128
