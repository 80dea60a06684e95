// PeakRecord: the engine's peak file read from its bytes, free of files and windows so that
// the native sanitizer build fuzzes it. Per block of kPeakFileBlock frames (the last one
// short), one record per channel: the lowest and the highest sample at the document's scale
// of the bits (PeakFromDocument). Little-endian.
#pragma once
#include "SampleFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int64_t kPeakFileBlock = 1024;

struct StoredPeak {
    int32_t minimum;
    int32_t maximum;
};
static_assert(sizeof(StoredPeak) == 8, "a peak record is 8 bytes");

// The bytes of the peak file of frames frames in format (0 for no frames; -1 when the count
// does not fit in 63 bits).
int64_t PeakFileBytes(int64_t frames, const MtFormat& format);
// The peaks of such a file at the engine's scale; false, with nothing taken, when size is not
// exactly the file's or a record's minimum lies above its maximum (no peak of any sound).
bool DecodePeakFile(const uint8_t* data, size_t size, int64_t frames, const MtFormat& format,
                    std::vector<StoredPeak>* peaks);
