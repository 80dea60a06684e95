// The open dialog's filter text from the file module's table of file types.
#pragma once
#include "IKvSKsFIO.h"

#include <string>

// "description|pattern|" for each entry, then "All Sound Files|<every pattern>|" and
// "All Files(*.*)|*.*||"; a pattern is "*." before each extension of the entry's list.
std::string BuildOpenFilter(const FileFormatEntry* entries, LONG count, const char* allSoundFiles,
                            const char* allFiles);
// "*.wav;*.wave" from "wav;wave".
std::string ExtensionPattern(const char* extensions);
