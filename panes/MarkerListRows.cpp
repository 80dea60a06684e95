#include "MarkerListRows.h"

#include <algorithm>
#include <cstring>

bool LabelHasEnd(const LabelRecord& record)
{
    const int32_t kind = record.kind & 0xFF;
    return kind == kLabelSection || kind == kLabelLoop;
}

namespace {

int64_t Key(const LabelRecord& r, int column, int (*trackIndex)(int, void*), void* context)
{
    switch (column) {
    case kMarkerColTrack:
        return trackIndex ? trackIndex(r.trackId, context) : r.trackId;
    case kMarkerColStart:
        return r.start;
    case kMarkerColEnd:
        return LabelHasEnd(r) ? r.end : 0;
    default:
        return r.end - r.start;
    }
}

} // namespace

void SortLabels(std::vector<LabelRecord>& labels, int column, bool descending, int (*trackIndex)(int, void*),
                void* context)
{
    std::stable_sort(labels.begin(), labels.end(), [&](const LabelRecord& a, const LabelRecord& b) {
        const LabelRecord& x = descending ? b : a;
        const LabelRecord& y = descending ? a : b;
        if (column == kMarkerColName)
            return std::strncmp(x.name, y.name, sizeof x.name) < 0;
        return Key(x, column, trackIndex, context) < Key(y, column, trackIndex, context);
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
