// SampleRange: a stretch of sample frames, signed 64-bit positions from the start of the
// document. Normalised when start <= end.
#pragma once
#include <cstdint>

struct SampleRange {
    int64_t start = 0;
    int64_t end = 0;

    void Normalize();
    // The overlap with other (inclusive ends, so touching ranges give an empty range at
    // the shared position); 0 to 0 when they do not meet. This range must be normalised;
    // other may be reversed.
    SampleRange Intersect(const SampleRange& other) const;
};

inline bool operator==(const SampleRange& a, const SampleRange& b)
{
    return a.start == b.start && a.end == b.end;
}
