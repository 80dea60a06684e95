#include "MarkerJump.h"

#include <algorithm>

int64_t MarkerJumpTarget(bool next, int64_t position, const MarkerJumpLabel& label,
                         const std::vector<std::pair<int64_t, int64_t>>& tracks, int64_t length)
{
    std::vector<int64_t> edges;
    for (const auto& track : tracks) {
        edges.push_back(track.first);
        edges.push_back(track.second);
    }
    int64_t edge = next ? length : 0;
    for (int64_t e : edges)
        if (next ? (e > position && e < edge) : (e < position && e > edge))
            edge = e;
    if (!label.found)
        return edge;
    const bool startPasses = next ? label.start > position : label.start < position;
    const int64_t mark = startPasses ? label.start : label.end;
    return next ? std::min(mark, edge) : std::max(mark, edge);
}
