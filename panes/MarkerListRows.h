// What the marker list shows and writes: its rows, their sort by a column and the CSV lines of
// its export.
#pragma once
#include "LabelRecord.h"

#include <cstdint>
#include <string>
#include <vector>

enum MarkerColumn : int { kMarkerColName = 0, kMarkerColTrack, kMarkerColStart, kMarkerColEnd, kMarkerColLength };
constexpr int kMarkerColumnCount = 5;

// One row: a label as it was collected, with the index of its track (-1 all tracks). The name
// is the stored one, trailing blanks included, at most 256 bytes.
struct MarkerRow {
    MarkerRow() = default;
    MarkerRow(const LabelRecord& record, int trackIndex);

    int32_t id = 0;
    int32_t kind = 0;
    int32_t trackId = -1;
    int trackIndex = -1;
    int64_t start = 0;
    int64_t end = 0;
    std::string name;
};

// A section or a loop has an end; a cue point has none.
bool LabelHasEnd(int32_t kind);

// Sorts by one column (names byte-wise over 256 characters; track index with -1 first; start;
// end, 0 for a cue; length).
void SortMarkerRows(std::vector<MarkerRow>& rows, int column, bool descending);

// One CSV field: quoted (with doubled quotes inside) only when it holds a comma, a quote or a
// line break, so that every line reads back as one field a column.
std::string CsvField(const std::string& text);
// The fields joined by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);
