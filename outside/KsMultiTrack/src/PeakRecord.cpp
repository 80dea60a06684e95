#include "PeakRecord.h"

#include <cstring>

int64_t PeakFileBytes(int64_t frames, const MtFormat& format)
{
    if (frames <= 0)
        return 0;
    const int64_t blocks = frames / kPeakFileBlock + (frames % kPeakFileBlock != 0);
    int64_t bytes = 0;
    if (__builtin_mul_overflow(blocks, int64_t(format.channels) * int64_t(sizeof(StoredPeak)), &bytes))
        return -1;
    return bytes;
}

bool DecodePeakFile(const uint8_t* data, size_t size, int64_t frames, const MtFormat& format,
                    std::vector<StoredPeak>* peaks)
{
    const int64_t want = PeakFileBytes(frames, format);
    if (want <= 0 || uint64_t(want) != size)
        return false;
    std::vector<StoredPeak> read(size / sizeof(StoredPeak));
    std::memcpy(read.data(), data, size);
    for (StoredPeak& p : read) {
        if (p.minimum > p.maximum)
            return false;
        p.minimum = PeakFromDocument(p.minimum, format.bits);
        p.maximum = PeakFromDocument(p.maximum, format.bits);
    }
    *peaks = std::move(read);
    return true;
}
