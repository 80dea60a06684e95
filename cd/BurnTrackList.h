// The Burn CD dialog's track list without its window: the tracks cut from a document at its
// cue marks, the file-mode list's times, the moves, deletes and pre-gap changes, the writer's
// speed lists, the erase estimate and the open dialog's filter, and which controls are enabled.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr int64_t kHundredNsPerSecond = 10000000;
constexpr int64_t kCdFrameSamples = 588; // 1/75 s at 44100 Hz

struct BurnTrackRecord {
    int32_t preGap = 0;      // whole seconds, 0 to 3
    int32_t trackNumber = 0; // row + 1
    int64_t start = 0;       // window mode: samples at 44100 Hz; file mode: 100-ns units
    int64_t end = 0;
    int64_t length = 0; // 100-ns units
    std::string folder; // file mode: drive and folder with a trailing backslash
    std::string fileName;
};

// A distance in samples rounded to whole CD frames: down below half a frame, up from it.
int64_t RoundToCdFrames(int64_t samples);
// The tracks of a document of documentEnd samples (44100 Hz) cut at the positions (ascending,
// no duplicates): the first with a 2-second pre-gap.
std::vector<BurnTrackRecord> TracksFromCues(const std::vector<int64_t>& positions, int64_t documentEnd);
// A position of a document of rate samples per second at 44100 Hz, through its time in
// 100-ns units.
int64_t AtCdRate(int64_t position, uint32_t rate);
// Cue positions (any order, repeats allowed) at 44100 Hz, ascending, without repeats.
std::vector<int64_t> CuePositionsAtCdRate(std::vector<int64_t> positions, uint32_t rate);
// Window mode: the cuts between the tracks (every track's end but the last's).
std::vector<int64_t> TrackCuts(const std::vector<BurnTrackRecord>& records);

// Window mode's times of a row in samples at 44100 Hz: where the track's pre-gap begins on
// the disc, where the track ends, and its length.
struct WindowRowTimes {
    int64_t start, end, length;
};
// The rows in order; *total the disc length of them all.
std::vector<WindowRowTimes> LayOutWindowTracks(const std::vector<BurnTrackRecord>& records, int64_t* total);

// "%02d : %02d : %06.3f" of hours, minutes and seconds of a time in 100-ns units.
std::string BurnTimeText(int64_t time);
// Each record's start and end on the disc from its pre-gap and length; the total.
int64_t LayOutFileTracks(std::vector<BurnTrackRecord>& records);
// The gauge's whole seconds of a total in 100-ns units, rounded half up.
int GaugeSeconds(int64_t total);

// The file-mode edits; false when the rule leaves the list as it was.
bool MoveTrackUp(std::vector<BurnTrackRecord>& records, int row);
bool MoveTrackDown(std::vector<BurnTrackRecord>& records, int row);
// Removes the rows (any order), numbers the rest 1..n and gives the first a 2-second pre-gap.
bool DeleteTracks(std::vector<BurnTrackRecord>& records, std::vector<int> rows);
// Sets the pre-gap of every selected row but row 0.
void SetPreGaps(std::vector<BurnTrackRecord>& records, const std::vector<int>& rows, int preGap);
// Window mode: the selected track takes the next one's end; the rest are numbered again.
bool CombineWithNext(std::vector<BurnTrackRecord>& records, int row);

// A writer's speeds from the first of GetSpeeds' buffers: (speed, media bits 1 CD-R, 2 CD-RW),
// one entry per speed, fastest first.
using BurnSpeedList = std::vector<std::pair<uint32_t, int>>;
BurnSpeedList MergeSpeedLists(const uint32_t* buffer, int values);

// Seconds an erase is expected to take; speeds as the writer answers them.
int EraseEstimateSeconds(int mediaType, bool complete, int cdRwSpeed, int dvdSpeed);

// The open dialog's filter from the engine's readable formats (name, extensions without "*.",
// separated by ";"); *count the number of formats in it.
struct ReadableFormat {
    std::string name, extensions;
};
std::string BuildAddFilesFilter(const std::vector<ReadableFormat>& formats, const std::string& allSoundFiles,
                                const std::string& allFiles, int* count);

// Which controls are enabled.
struct BurnControls {
    bool add, burn, preview, preGap, remove, moveUp, moveDown, cancel, advanced, help, erase;
};
BurnControls BurnControlsFor(bool busy, bool fileMode, bool writesCdRw, int rows, const std::vector<int>& selected);
