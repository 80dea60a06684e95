// LabelRecord: one marker, section, loop or track label of a document's label table, as the
// project files and the mark commands store it byte for byte.
#pragma once
#include <windows.h>

#include <cstdint>

// Kinds (low byte of LabelRecord::kind).
constexpr int32_t kLabelTrack = 0;
constexpr int32_t kLabelCue = 1;
constexpr int32_t kLabelSection = 2;
constexpr int32_t kLabelOther = 3;
constexpr int32_t kLabelLoop = 4;
constexpr int32_t kLabelHidden = 0x100; // kept out of the range searches and the marker list

// String ids of the default names.
constexpr UINT kIdsCueName = 20219;     // "CUE-%04d"
constexpr UINT kIdsSectionName = 20220; // "SECTION-%04d"
constexpr UINT kIdsTrackName = 20221;   // "Track%d"
constexpr UINT kIdsLoopName = 20222;    // "LOOP"

#pragma pack(push, 4)
struct LabelRecord {
    int32_t id;      // n > 0: place n; negative: removed; 0: not in the table
    int32_t kind;    // kLabel* in the low byte, kLabelHidden
    int32_t trackId; // engine track id; -1 = all tracks
    int64_t start;
    int64_t end; // equal to start for a point mark
    char name[256];
};
#pragma pack(pop)
static_assert(sizeof(LabelRecord) == 284, "a label record is 284 bytes");
