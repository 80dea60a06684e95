// Path helpers for folders the user types: splitting a path, checking each component,
// and creating a missing folder with the user's consent.
#pragma once
#include "CoreMessageBox.h"

#include <windows.h>

#include <string>

// File name and extension of a path ("C:\a\b.txt" -> "b.txt").
std::string SplitFileName(const std::string& path);
// Drive and directory of a path ("C:\a\b.txt" -> "C:\a\"); withoutTrailing drops the
// closing backslash.
std::string SplitDirectory(const std::string& path, bool withoutTrailing);
// 1 when the path exists and is a directory.
int IsExistingFolder(const std::string& path);
// 1 when no component (split at \ and /) holds : , ; * ? " < > | or "..", and none is a
// reserved device name (PRN, AUX, CON, NUL, alone or before a dot); a leading drive is left
// alone.
int ValidateFileName(const std::string& path);

// 1 when the folder exists at the end: refuses invalid names with a message, asks before
// creating a missing folder and creates each missing level (messages: CoreMessageBox.h).
int CreateDirectoryPath(const std::string& folder);
