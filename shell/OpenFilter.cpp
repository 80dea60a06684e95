#include "OpenFilter.h"

std::string ExtensionPattern(const char* extensions)
{
    std::string list(extensions, strnlen(extensions, sizeof(FileFormatEntry::extensions)));
    std::string pattern = "*.";
    for (char c : list) {
        pattern += c;
        if (c == ';')
            pattern += "*.";
    }
    return pattern;
}

std::string BuildOpenFilter(const FileFormatEntry* entries, LONG count, const char* allSoundFiles, const char* allFiles)
{
    std::string filter, everySound;
    for (LONG i = 0; i < count; ++i) {
        const FileFormatEntry& entry = entries[i];
        const std::string pattern = ExtensionPattern(entry.extensions);
        filter +=
            std::string(entry.description, strnlen(entry.description, sizeof entry.description)) + "|" + pattern + "|";
        // A list that ends in ";*.*" offers all files: only what precedes joins the sound files.
        std::string sound = pattern;
        const size_t all = sound.find(";*.*");
        if (all != std::string::npos)
            sound.erase(all);
        if (!everySound.empty())
            everySound += ";";
        everySound += sound;
    }
    filter += std::string(allSoundFiles) + "|" + everySound + "|";
    filter += std::string(allFiles) + "(*.*)|*.*||";
    return filter;
}
