// What the marker list shows and writes: the sort of its rows by a column and the CSV lines
// of its export.
#pragma once
#include "LabelRecord.h"

#include <string>
#include <vector>

enum MarkerColumn : int { kMarkerColName = 0, kMarkerColTrack, kMarkerColStart, kMarkerColEnd, kMarkerColLength };
constexpr int kMarkerColumnCount = 5;

// A label with a track (section, cue) has an end only when it is a section or a loop.
bool LabelHasEnd(const LabelRecord& record);

// Sorts by one column (names byte-wise over 256 characters; track index with -1 first; start;
// end, 0 for a cue; length). trackIndex maps a record's track id to its index (-1 all tracks).
void SortLabels(std::vector<LabelRecord>& labels, int column, bool descending, int (*trackIndex)(int, void*),
                void* context);

// One CSV field: quoted (with doubled quotes inside) only when it holds a comma, a quote or a
// line break, so that every line reads back as one field a column.
std::string CsvField(const std::string& text);
// The fields joined by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);
