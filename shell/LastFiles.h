// Entries of "Last File List": "%s,%d,%d" with the path, a header number and the
// channels-split flag. A path may hold commas: the last two fields are cut from the end.
#pragma once
#include <string>

struct LastFileEntry {
    std::string path;
    bool splitChannels = false;
};

LastFileEntry ParseLastFileEntry(const std::string& text);
std::string FormatLastFileEntry(const char* path, int headerNumber, bool splitChannels);
// The value name of a document: its title, then title and a counter while that is taken.
std::string LastFileValueName(const std::string& title, int occurrence);
