// Where Next Marker and Previous Marker go: the nearer of the nearest label edge and the
// nearest edge of a selected track's data.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

struct MarkerJumpLabel {
    bool found = false;
    int64_t start = 0;
    int64_t end = 0;
};

// position: where the jump starts; label: the nearest label after (next) or before it;
// tracks: (start, end) of the data of each track with a selected channel; length: the
// document's length. A track's edges are its start and its end, never its length alone.
int64_t MarkerJumpTarget(bool next, int64_t position, const MarkerJumpLabel& label,
                         const std::vector<std::pair<int64_t, int64_t>>& tracks, int64_t length);
