// The texts of the analysis pane that need no window: the channel list's entries and their
// reading back, the CSV export's lines and default file name, and the ranges stored settings are
// brought into.
#pragma once
#include <string>
#include <vector>

// "TRACK n" for a mono track; "TRACK n - L" ... for stereo and six channels (L, R, C, LFE, Ls,
// Rs); "TRACK n - c" with the channel counted from 1 for other channel counts. track from 0.
std::string ChannelEntryText(int track, int channel, int channelCount);
// Reads an entry back (split at blanks and dashes): false when it names no track.
bool ParseChannelEntry(const std::string& entry, int* track, int* channel);
// The entry's pieces between blanks joined: "TRACK 1 - L" gives "TRACK1-L".
std::string JoinedEntry(const std::string& entry);

// "Hanning" ... "Blackman-Harris" for window types 0 .. 5; empty for others.
const char* WindowName(int type);

// title (its extension dropped), "_", the joined entry, "_narrow.", "_11." or "_13." by graph
// type (else "."), "csv"; empty for an empty title.
std::string DefaultCsvName(const std::string& title, const std::string& entry, int graphType);

// The nine header lines' labels and values (value 1 is written with one more ","), then the
// points as "%5.2f,%7.2lf" lines; every line ends with a single line feed.
struct SpectrumCsvHeader {
    std::string labels[9];
    std::string values[9];
};
std::string SpectrumCsvText(const SpectrumCsvHeader& header, const std::vector<double>& points);

// The pane's stored settings. Brought into the ranges the pane offers: one of the ten sizes
// 128 .. 65536 (the power of two at or above, within them), window 0 .. 5, axis 1 .. 2, graph
// 1 .. 3, overlap 0 .. size - 1, upper amplitude -299 .. 100 and lower -300 .. 99 with the
// upper above the lower (swapped when below; the lower one step down when equal).
struct AnalysisSettings {
    int ampUpper = 0;
    int ampLower = -130;
    int axisType = 2;
    int graphType = 1;
    int fftSize = 128;
    int overlap = 0;
    int windowType = 0;
    int autoRefresh = 1;
};
AnalysisSettings ClampAnalysisSettings(AnalysisSettings settings);
