#include "SampleRange.h"

#include <algorithm>
#include <utility>

void SampleRange::Normalize()
{
    if (start > end)
        std::swap(start, end);
}

SampleRange SampleRange::Intersect(const SampleRange& other) const
{
    auto within = [](int64_t p, int64_t lo, int64_t hi) { return lo <= p && p <= hi; };
    SampleRange o = other;
    o.Normalize();
    bool overlap = within(other.start, start, end) || within(other.end, start, end) || within(start, o.start, o.end) ||
                   within(end, o.start, o.end);
    if (!overlap)
        return SampleRange{};
    return SampleRange{std::max(start, o.start), std::min(end, o.end)};
}
