#include "CueSheet.h"

#include <cctype>
#include <cstdio>
#include <sstream>

namespace cdimage {
namespace {

std::vector<std::string> Tokens(const std::string& line)
{
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i >= line.size())
            break;
        std::string token;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos)
                end = line.size();
            token = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                token += line[i++];
        }
        out.push_back(token);
    }
    return out;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool TrackMode(const std::string& mode, bool* audio, uint32_t* bytes)
{
    const std::string m = Upper(mode);
    if (m == "AUDIO" || m == "MODE1/2352" || m == "MODE2/2352") {
        *audio = m == "AUDIO";
        *bytes = kRawSectorBytes;
        return true;
    }
    if (m == "MODE1/2048") {
        *audio = false;
        *bytes = 2048;
        return true;
    }
    return false;
}

// One track as the sheet states it, before the layout on the disc.
struct SheetTrack {
    int number = 0;
    bool audio = true;
    uint32_t sectorBytes = kRawSectorBytes;
    int file = 0;
    bool hasIndex0 = false, hasIndex1 = false;
    uint32_t index0 = 0, index1 = 0; // relative to the file
    uint32_t pregap = 0;
};

bool Fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    const bool absolute = (name.size() > 1 && name[1] == ':') || (!name.empty() && (name[0] == '\\' || name[0] == '/'));
    if (absolute || folder.empty())
        return name;
    const char last = folder.back();
    return (last == '\\' || last == '/') ? folder + name : folder + "\\" + name;
}

} // namespace

std::string FormatMsf(uint32_t sectors)
{
    char text[32];
    snprintf(text, sizeof text, "%02u:%02u:%02u", sectors / (60 * kSectorsPerSecond),
             sectors / kSectorsPerSecond % 60, sectors % kSectorsPerSecond);
    return text;
}

bool ParseMsf(const std::string& text, uint32_t* sectors)
{
    unsigned m = 0, s = 0, f = 0;
    char tail = 0;
    if (sscanf(text.c_str(), "%u:%u:%u%c", &m, &s, &f, &tail) != 3 || s >= 60 || f >= kSectorsPerSecond || m > 99)
        return false;
    *sectors = (m * 60 + s) * kSectorsPerSecond + f;
    return true;
}

const CueTrack* CueDisc::TrackAt(uint32_t lba) const
{
    for (const CueTrack& t : tracks)
        if (lba >= t.index0 && lba < t.end)
            return &t;
    return nullptr;
}

bool ParseCueSheet(const std::string& text, const std::string& folder, FileSizeFn fileSize, void* context,
                   CueDisc* disc, std::string* error)
{
    CueDisc out;
    bool mediumGiven = false;
    std::vector<SheetTrack> sheet;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        const std::vector<std::string> t = Tokens(line);
        if (t.empty())
            continue;
        const std::string key = Upper(t[0]);
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (key == "REM" && t.size() >= 3 && Upper(t[1]) == "MEDIUM") {
            const std::string m = Upper(t[2]);
            if (m == "CD-ROM")
                out.medium = Medium::CdRom;
            else if (m == "CD-R")
                out.medium = Medium::CdR;
            else if (m == "CD-RW")
                out.medium = Medium::CdRw;
            else if (m == "DVD-ROM")
                out.medium = Medium::DvdRom;
            else
                return Fail(error, where + "unknown medium " + t[2]);
            mediumGiven = true;
        } else if (key == "REM" && t.size() >= 3 && Upper(t[1]) == "CAPACITY") {
            uint32_t sectors = 0;
            if (!ParseMsf(t[2], &sectors)) {
                char* end = nullptr;
                const unsigned long n = strtoul(t[2].c_str(), &end, 10);
                if (!end || *end || n == 0 || n > 100u * 60 * kSectorsPerSecond)
                    return Fail(error, where + "capacity is neither a time nor a sector count");
                sectors = static_cast<uint32_t>(n);
            }
            out.capacity = sectors;
        } else if (key == "FILE") {
            if (t.size() < 3 || Upper(t[2]) != "BINARY")
                return Fail(error, where + "only BINARY files are read");
            CueFile file;
            file.path = t[1];
            if (!fileSize || !fileSize(JoinPath(folder, t[1]), &file.bytes, context))
                return Fail(error, where + "file " + t[1] + " is missing");
            out.files.push_back(file);
        } else if (key == "TRACK") {
            if (out.files.empty() || t.size() < 3)
                return Fail(error, where + "a track before any file");
            SheetTrack track;
            track.number = atoi(t[1].c_str());
            if (!TrackMode(t[2], &track.audio, &track.sectorBytes))
                return Fail(error, where + "unknown track mode " + t[2]);
            if (track.number > 99 || track.number != (sheet.empty() ? 1 : sheet.back().number + 1))
                return Fail(error, where + "track numbers must run from 1 to 99 without gaps");
            track.file = static_cast<int>(out.files.size()) - 1;
            sheet.push_back(track);
        } else if (key == "INDEX" || key == "PREGAP") {
            if (sheet.empty())
                return Fail(error, where + key + " outside a track");
            uint32_t at = 0;
            if (t.size() < (key == "INDEX" ? 3u : 2u) || !ParseMsf(t.back(), &at))
                return Fail(error, where + "bad time");
            SheetTrack& track = sheet.back();
            if (key == "PREGAP") {
                track.pregap = at;
            } else if (atoi(t[1].c_str()) == 0) {
                track.hasIndex0 = true;
                track.index0 = at;
            } else if (atoi(t[1].c_str()) == 1) {
                track.hasIndex1 = true;
                track.index1 = at;
            }
        }
    }
    if (!mediumGiven)
        out.medium = sheet.empty() ? Medium::CdR : Medium::CdRom;

    // Lay the tracks out on the disc: each file follows the one before, PREGAP sectors push
    // everything after them back.
    std::vector<uint32_t> fileBase(out.files.size(), 0), fileSectors(out.files.size(), 0);
    std::vector<uint32_t> fileSectorBytes(out.files.size(), 0);
    for (const SheetTrack& s : sheet)
        if (!fileSectorBytes[s.file])
            fileSectorBytes[s.file] = s.sectorBytes;
    uint32_t base = 0;
    for (size_t f = 0; f < out.files.size(); ++f) {
        fileBase[f] = base;
        const uint32_t bytes = fileSectorBytes[f] ? fileSectorBytes[f] : kRawSectorBytes;
        if (out.files[f].bytes / bytes > 100u * 60 * kSectorsPerSecond)
            return Fail(error, "file " + out.files[f].path + " is larger than any disc");
        fileSectors[f] = static_cast<uint32_t>(out.files[f].bytes / bytes);
        base += fileSectors[f];
    }
    uint32_t gap = 0;
    for (size_t i = 0; i < sheet.size(); ++i) {
        const SheetTrack& s = sheet[i];
        if (!s.hasIndex1)
            return Fail(error, "track " + std::to_string(s.number) + " has no INDEX 01");
        if (s.hasIndex0 && s.index0 > s.index1)
            return Fail(error, "track " + std::to_string(s.number) + ": INDEX 00 after INDEX 01");
        if (s.sectorBytes != fileSectorBytes[s.file])
            return Fail(error, "track " + std::to_string(s.number) + ": sector size differs within its file");
        CueTrack track;
        track.number = s.number;
        track.audio = s.audio;
        track.sectorBytes = s.sectorBytes;
        track.file = s.file;
        const uint32_t gapBefore = gap;
        gap += s.pregap;
        track.index1 = fileBase[s.file] + s.index1 + gap;
        track.index0 = s.hasIndex0 ? fileBase[s.file] + s.index0 + gapBefore : track.index1 - s.pregap;
        track.gapNotInFile = s.pregap;
        track.fileOffset = uint64_t(s.index1) * s.sectorBytes;
        if (!out.tracks.empty() && track.index0 < out.tracks.back().index1 + 1)
            return Fail(error, "track " + std::to_string(s.number) + " starts before the one before it");
        out.tracks.push_back(track);
    }
    for (size_t i = 0; i < out.tracks.size(); ++i) {
        CueTrack& track = out.tracks[i];
        const bool nextInFile = i + 1 < out.tracks.size() && out.tracks[i + 1].file == track.file;
        if (nextInFile) {
            track.end = out.tracks[i + 1].index0;
        } else {
            // The end of the file, with the gaps laid so far.
            const uint32_t gapHere = track.index1 - (fileBase[track.file] + uint32_t(track.fileOffset / track.sectorBytes));
            track.end = fileBase[track.file] + fileSectors[track.file] + gapHere;
        }
        if (track.end <= track.index1)
            return Fail(error, "track " + std::to_string(track.number) + " holds no sectors");
    }
    out.leadOut = out.tracks.empty() ? 0 : out.tracks.back().end;
    if (out.leadOut > out.capacity)
        return Fail(error, "the tracks are longer than the disc's capacity");
    *disc = out;
    return true;
}

namespace {
const char* MediumText(Medium medium)
{
    return medium == Medium::CdRom    ? "CD-ROM"
           : medium == Medium::CdRw   ? "CD-RW"
           : medium == Medium::DvdRom ? "DVD-ROM"
                                      : "CD-R";
}
} // namespace

std::string FormatBlankSheet(Medium medium, uint32_t capacity)
{
    return std::string("REM MEDIUM ") + MediumText(medium) + "\r\nREM CAPACITY " + FormatMsf(capacity) + "\r\n";
}

std::string FormatBurnedSheet(Medium medium, uint32_t capacity, const std::string& binName,
                              const std::vector<BurnedTrack>& tracks)
{
    std::string text = FormatBlankSheet(medium, capacity);
    text += "FILE \"" + binName + "\" BINARY\r\n";
    char line[64];
    for (size_t i = 0; i < tracks.size(); ++i) {
        snprintf(line, sizeof line, "  TRACK %02u AUDIO\r\n", unsigned(i + 1));
        text += line;
        if (tracks[i].index0 < tracks[i].index1)
            text += "    INDEX 00 " + FormatMsf(tracks[i].index0) + "\r\n";
        text += "    INDEX 01 " + FormatMsf(tracks[i].index1) + "\r\n";
    }
    return text;
}

} // namespace cdimage
