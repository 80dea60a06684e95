#include "LastFiles.h"

#include <cstdio>

LastFileEntry ParseLastFileEntry(const std::string& text)
{
    LastFileEntry entry;
    size_t last = text.rfind(',');
    if (last == std::string::npos) {
        entry.path = text;
        return entry;
    }
    entry.splitChannels = text.compare(last + 1, std::string::npos, "1") == 0;
    std::string head = text.substr(0, last);
    size_t header = head.rfind(',');
    entry.path = header == std::string::npos ? head : head.substr(0, header);
    return entry;
}

std::string FormatLastFileEntry(const char* path, int headerNumber, bool splitChannels)
{
    if (!path || !*path)
        return {};
    char text[300];
    snprintf(text, sizeof text, "%s,%d,%d", path, headerNumber, splitChannels ? 1 : 0);
    return text;
}

std::string LastFileValueName(const std::string& title, int occurrence)
{
    return occurrence <= 1 ? title : title + " (" + std::to_string(occurrence) + ")";
}
