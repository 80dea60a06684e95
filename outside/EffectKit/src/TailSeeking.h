// Seeking of an effect whose output is longer than its input by a tail (echoes, reverberation)
// or by a ratio (time stretch): everything goes to the upstream filter, but the duration and
// the stop position are the input's times the ratio plus the tail, so the program's progress
// reaches its end with the last frame.
#pragma once
#include "SeekingPassThru.h"

#include <cstdint>

namespace fxkit {

// A new seeking object (count 1) over upstream (which it references) for a tail of tailFrames
// at rate frames per second after round(input frames x ratio).
IMediaSeeking* NewTailSeeking(IMediaSeeking* upstream, uint64_t tailFrames, uint32_t rate, double ratio = 1.0);

// The output's time for an input time (100 ns units): frames times the ratio, tail added.
LONGLONG TimeWithTail(LONGLONG inputTime, uint64_t tailFrames, uint32_t rate, double ratio = 1.0);

} // namespace fxkit
