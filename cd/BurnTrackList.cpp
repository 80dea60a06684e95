#include "BurnTrackList.h"

#include "AudioFormat.h"

#include <algorithm>
#include <cstdio>

int64_t RoundToCdFrames(int64_t samples)
{
    const int64_t r = samples % kCdFrameSamples;
    return r < kCdFrameSamples / 2 ? samples - r : samples - r + kCdFrameSamples;
}

std::vector<BurnTrackRecord> TracksFromCues(const std::vector<int64_t>& positions, int64_t documentEnd)
{
    std::vector<BurnTrackRecord> tracks;
    int64_t previous = 0;
    auto add = [&](int64_t end, int64_t length) {
        BurnTrackRecord t;
        t.trackNumber = int32_t(tracks.size()) + 1;
        t.preGap = tracks.empty() ? 2 : 0;
        t.start = previous;
        t.end = end;
        t.length = length;
        tracks.push_back(t);
    };
    for (int64_t p : positions) {
        if (p <= previous || p >= documentEnd)
            continue;
        const int64_t d = RoundToCdFrames(p - previous);
        const int64_t cut = previous + d;
        if (cut >= documentEnd)
            break;
        if (d == 0)
            continue;
        add(cut, d * kHundredNsPerSecond / 44100);
        previous = cut;
    }
    add(documentEnd, (documentEnd - previous) * kHundredNsPerSecond / 44100);
    return tracks;
}

int64_t AtCdRate(int64_t position, uint32_t rate)
{
    if (rate == 44100)
        return position;
    AudioFormat document, cd;
    document.Set(rate, 16, 2);
    cd.Set(44100, 16, 2);
    return cd.TimeToFrames(document.FramesToTime(position));
}

std::vector<int64_t> CuePositionsAtCdRate(std::vector<int64_t> positions, uint32_t rate)
{
    for (int64_t& p : positions)
        p = AtCdRate(p, rate);
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

std::vector<int64_t> TrackCuts(const std::vector<BurnTrackRecord>& records)
{
    std::vector<int64_t> cuts;
    for (size_t i = 0; i + 1 < records.size(); ++i)
        cuts.push_back(records[i].end);
    return cuts;
}

std::vector<WindowRowTimes> LayOutWindowTracks(const std::vector<BurnTrackRecord>& records, int64_t* total)
{
    std::vector<WindowRowTimes> rows;
    int64_t s = 0;
    for (const BurnTrackRecord& r : records) {
        const int64_t length = r.end - r.start;
        rows.push_back({s, s + r.preGap * 44100 + length, length});
        s = rows.back().end;
    }
    *total = s;
    return rows;
}

std::string BurnTimeText(int64_t time)
{
    const int64_t s = time / kHundredNsPerSecond;
    char text[48];
    std::snprintf(text, sizeof text, "%02d : %02d : %06.3f", int(s / 3600), int(s % 3600 / 60),
                  double(s % 60) + double(time % kHundredNsPerSecond) / kHundredNsPerSecond);
    return text;
}

int64_t LayOutFileTracks(std::vector<BurnTrackRecord>& records)
{
    int64_t s = 0;
    for (BurnTrackRecord& r : records) {
        r.start = s;
        s += r.preGap * kHundredNsPerSecond + r.length;
        r.end = s;
    }
    return s;
}

int GaugeSeconds(int64_t total)
{
    return int((total + kHundredNsPerSecond / 2) / kHundredNsPerSecond);
}

namespace {

void SortByNumber(std::vector<BurnTrackRecord>& records)
{
    std::stable_sort(records.begin(), records.end(),
                     [](const BurnTrackRecord& a, const BurnTrackRecord& b) { return a.trackNumber < b.trackNumber; });
}

void Renumber(std::vector<BurnTrackRecord>& records)
{
    for (size_t i = 0; i < records.size(); ++i)
        records[i].trackNumber = int32_t(i) + 1;
}

} // namespace

bool MoveTrackUp(std::vector<BurnTrackRecord>& records, int row)
{
    if (row <= 0 || row >= int(records.size()))
        return false;
    std::swap(records[row].trackNumber, records[row - 1].trackNumber);
    if (records[row].trackNumber == 1)
        records[row].preGap = 2;
    SortByNumber(records);
    return true;
}

bool MoveTrackDown(std::vector<BurnTrackRecord>& records, int row)
{
    if (row < 0 || row + 1 >= int(records.size()))
        return false;
    std::swap(records[row].trackNumber, records[row + 1].trackNumber);
    if (records[row + 1].trackNumber == 1)
        records[row + 1].preGap = 2;
    SortByNumber(records);
    return true;
}

bool DeleteTracks(std::vector<BurnTrackRecord>& records, std::vector<int> rows)
{
    if (rows.empty())
        return false;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (*it >= 0 && *it < int(records.size()))
            records.erase(records.begin() + *it);
    Renumber(records);
    if (!records.empty())
        records.front().preGap = 2;
    return true;
}

void SetPreGaps(std::vector<BurnTrackRecord>& records, const std::vector<int>& rows, int preGap)
{
    for (int row : rows)
        if (row > 0 && row < int(records.size()))
            records[row].preGap = preGap;
}

bool CombineWithNext(std::vector<BurnTrackRecord>& records, int row)
{
    if (row < 0 || row + 1 >= int(records.size()))
        return false;
    records[row].end = records[row + 1].end;
    records[row].length += records[row + 1].length;
    records.erase(records.begin() + row + 1);
    Renumber(records);
    return true;
}

BurnSpeedList MergeSpeedLists(const uint32_t* buffer, int values)
{
    BurnSpeedList list;
    int at = 0;
    auto skipList = [&] {
        while (at < values && buffer[at] != 0xFFFFFFFFu)
            ++at;
        ++at;
    };
    skipList(); // read speeds
    for (int media = 1; media <= 2; ++media) {
        for (; at < values && buffer[at] != 0xFFFFFFFFu; ++at) {
            auto found = std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.first == buffer[at]; });
            if (found != list.end())
                found->second |= media;
            else
                list.emplace_back(buffer[at], media);
        }
        ++at;
    }
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    return list;
}

int EraseEstimateSeconds(int mediaType, bool complete, int cdRwSpeed, int dvdSpeed)
{
    const int cd = cdRwSpeed ? cdRwSpeed : 1;
    const int dvd = dvdSpeed ? dvdSpeed : 10;
    const bool dvdRw = mediaType == 519, dvdPlusRw = mediaType == 521;
    if (complete)
        return dvdRw || dvdPlusRw ? 33910 / dvd : 6000 / cd;
    return dvdPlusRw ? 270 / dvd : dvdRw ? 1070 / dvd : 360 / cd;
}

std::string BuildAddFilesFilter(const std::vector<ReadableFormat>& formats, const std::string& allSoundFiles,
                                const std::string& allFiles, int* count)
{
    static const char* const kLeftOut[] = {"raw", "mp2", "avi", "mov", "mpg", "dvf", "msv"};
    std::string filter, collected;
    int n = 0;
    for (const ReadableFormat& f : formats) {
        std::string lower = f.extensions;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(tolower(c)); });
        if (std::any_of(std::begin(kLeftOut), std::end(kLeftOut),
                        [&](const char* e) { return lower.find(e) != std::string::npos; }))
            continue;
        std::string patterns = "*.";
        for (char c : f.extensions) {
            patterns += c;
            if (c == ';')
                patterns += "*.";
        }
        filter += f.name + "|" + patterns + "|";
        const size_t any = patterns.find(";*.*");
        if (!collected.empty())
            collected += ";";
        collected += any == std::string::npos ? patterns : patterns.substr(0, any);
        ++n;
    }
    filter += allSoundFiles + "|" + collected + "|" + allFiles + "(*.*)|*.*||";
    *count = n;
    return filter;
}

BurnControls BurnControlsFor(bool busy, bool fileMode, bool writesCdRw, int rows, const std::vector<int>& selected)
{
    if (busy)
        return {};
    BurnControls c{};
    c.add = c.cancel = c.advanced = c.help = true;
    c.erase = writesCdRw;
    c.burn = rows >= 1 && rows <= 99;
    const bool one = selected.size() == 1;
    c.preview = one;
    c.preGap = rows > 1 && !selected.empty() && selected.front() != 0;
    if (fileMode) {
        c.remove = !selected.empty();
        c.moveUp = one && selected.front() > 0;
        c.moveDown = one && selected.front() + 1 < rows;
    }
    return c;
}
