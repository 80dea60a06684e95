#include "MarkerListRows.h"

#include <algorithm>
#include <cstring>

MarkerRow::MarkerRow(const LabelRecord& record, int index)
    : id(record.id), kind(record.kind), trackId(record.trackId), trackIndex(index), start(record.start),
      end(record.end), name(record.name, strnlen(record.name, sizeof record.name))
{
}

bool LabelHasEnd(int32_t kind)
{
    kind &= 0xFF;
    return kind == kLabelSection || kind == kLabelLoop;
}

namespace {

int64_t Key(const MarkerRow& r, int column)
{
    switch (column) {
    case kMarkerColTrack:
        return r.trackIndex;
    case kMarkerColStart:
        return r.start;
    case kMarkerColEnd:
        return LabelHasEnd(r.kind) ? r.end : 0;
    default:
        return r.end - r.start;
    }
}

} // namespace

void SortMarkerRows(std::vector<MarkerRow>& rows, int column, bool descending)
{
    std::stable_sort(rows.begin(), rows.end(), [&](const MarkerRow& a, const MarkerRow& b) {
        const MarkerRow& x = descending ? b : a;
        const MarkerRow& y = descending ? a : b;
        if (column == kMarkerColName)
            return x.name < y.name;
        return Key(x, column) < Key(y, column);
    });
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line += ',';
        line += CsvField(fields[i]);
    }
    return line + "\r\n";
}
