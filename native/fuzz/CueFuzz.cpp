// Any text as a disc image's cue sheet: refused with a reason, or a disc whose tracks lie in
// order within its capacity and whose sectors in a file lie inside that file. Files are
// a.bin (600 raw sectors), b.bin (200 and a part), c.bin (100 of 2048 bytes); others are missing.
#include "CueSheet.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace cdimage;

namespace {

bool Sizes(const std::string& path, uint64_t* bytes, void*)
{
    const std::string name = path.substr(path.find_last_of("\\/") + 1);
    if (name == "a.bin")
        *bytes = 600ull * kRawSectorBytes;
    else if (name == "b.bin")
        *bytes = 200ull * kRawSectorBytes + 1000;
    else if (name == "c.bin")
        *bytes = 100ull * 2048;
    else
        return false;
    return true;
}

void Fail(const char* what, int track)
{
    std::fprintf(stderr, "cue sheet: track %d: %s\n", track, what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CueDisc disc;
    std::string error;
    if (!ParseCueSheet(text, "d", Sizes, nullptr, &disc, &error)) {
        if (error.empty())
            Fail("refused without a reason", 0);
        return 0;
    }
    for (size_t t = 0; t < disc.tracks.size(); ++t) {
        const CueTrack& track = disc.tracks[t];
        if (track.number != int(t + 1))
            Fail("numbered out of order", track.number);
        if (!(track.index0 <= track.index1 && track.index1 < track.end))
            Fail("indexes out of order", track.number);
        if (track.gapNotInFile > track.index1 - track.index0)
            Fail("a gap longer than its pre-gap", track.number);
        if (t + 1 < disc.tracks.size() && track.end > disc.tracks[t + 1].index0)
            Fail("runs into the next track", track.number);
        if (track.file < 0 || size_t(track.file) >= disc.files.size())
            Fail("names no file", track.number);
        const uint64_t inFile = track.fileOffset + uint64_t(track.end - track.index1) * track.sectorBytes;
        if (inFile > disc.files[size_t(track.file)].bytes)
            Fail("reads past its file", track.number);
        disc.TrackAt(track.index1);
    }
    if (disc.leadOut > disc.capacity)
        Fail("lead-out past the capacity", 0);
    uint32_t sectors = 0;
    ParseMsf(text, &sectors);
    return 0;
}
