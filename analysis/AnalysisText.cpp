#include "AnalysisText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

const char* const kSixChannelNames[] = {"L", "R", "C", "LFE", "Ls", "Rs"};
const char* const kWindowNames[] = {"Hanning", "Hamming", "Blackman", "Bartlett", "Rectangular", "Blackman-Harris"};

std::vector<std::string> Split(const std::string& text, const char* separators)
{
    std::vector<std::string> pieces;
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = text.find_first_not_of(separators, at);
        if (start == std::string::npos)
            break;
        const size_t end = text.find_first_of(separators, start);
        pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        at = end == std::string::npos ? text.size() : end;
    }
    return pieces;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

} // namespace

std::string ChannelEntryText(int track, int channel, int channelCount)
{
    char text[64];
    if (channelCount == 1)
        std::snprintf(text, sizeof text, "TRACK %d", track + 1);
    else if ((channelCount == 2 || channelCount == 6) && channel >= 0 && channel < channelCount)
        std::snprintf(text, sizeof text, "TRACK %d - %s", track + 1, kSixChannelNames[channel]);
    else
        std::snprintf(text, sizeof text, "TRACK %d - %d", track + 1, channel + 1);
    return text;
}

bool ParseChannelEntry(const std::string& entry, int* track, int* channel)
{
    const std::vector<std::string> pieces = Split(entry, " -");
    if (pieces.size() < 2)
        return false;
    char* end = nullptr;
    const long number = std::strtol(pieces[1].c_str(), &end, 10);
    if (end == pieces[1].c_str() || *end || number < 1)
        return false;
    *track = int(number - 1);
    *channel = 0;
    if (pieces.size() > 2) {
        for (int c = 0; c < 6; ++c)
            if (pieces[2] == kSixChannelNames[c])
                *channel = c;
        const long counted = std::strtol(pieces[2].c_str(), &end, 10);
        if (end != pieces[2].c_str() && !*end && counted >= 1)
            *channel = int(counted - 1);
    }
    return true;
}

std::string JoinedEntry(const std::string& entry)
{
    std::string joined;
    for (const std::string& piece : Split(entry, " "))
        joined += piece;
    return joined;
}

const char* WindowName(int type)
{
    return type >= 0 && type < 6 ? kWindowNames[type] : "";
}

std::string DefaultCsvName(const std::string& title, const std::string& entry, int graphType)
{
    if (title.empty())
        return std::string();
    const size_t dot = title.rfind('.');
    std::string name = dot == std::string::npos ? title : title.substr(0, dot);
    name += "_" + JoinedEntry(entry);
    name += graphType == 1 ? "_narrow." : graphType == 2 ? "_11." : graphType == 3 ? "_13." : ".";
    return name + "csv";
}

std::string SpectrumCsvText(const SpectrumCsvHeader& header, const std::vector<double>& points)
{
    std::string text;
    for (int line = 0; line < 9; ++line) {
        text += header.labels[line] + "," + header.values[line];
        if (line == 1)
            text += ",";
        text += "\n";
    }
    char row[96];
    for (size_t i = 0; i + 1 < points.size(); i += 2) {
        std::snprintf(row, sizeof row, "%5.2f,%7.2lf\n", points[i], points[i + 1]);
        text += row;
    }
    return text;
}

AnalysisSettings ClampAnalysisSettings(AnalysisSettings s)
{
    int size = 128;
    while (size < s.fftSize && size < 65536)
        size *= 2;
    s.fftSize = size;
    s.overlap = Clamp(s.overlap, 0, size - 1);
    if (s.windowType < 0 || s.windowType > 5)
        s.windowType = 0;
    if (s.axisType != 1 && s.axisType != 2)
        s.axisType = 2;
    if (s.graphType < 1 || s.graphType > 3)
        s.graphType = 1;
    s.autoRefresh = s.autoRefresh ? 1 : 0;
    if (s.ampUpper < s.ampLower)
        std::swap(s.ampUpper, s.ampLower);
    s.ampUpper = Clamp(s.ampUpper, -299, 100);
    s.ampLower = Clamp(s.ampLower, -300, 99);
    if (s.ampLower >= s.ampUpper)
        s.ampLower = s.ampUpper - 1;
    return s;
}
