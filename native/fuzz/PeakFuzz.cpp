// Any bytes as a peak file beside a data file: the first 8 bytes give the item's frame count
// (32 bits), bits (8, 16, 20, 24 or 32 by the low 3 bits of a byte) and channels (1 to 6), the
// rest is the file. A file taken is exactly the item's size, and every peak taken is ordered.
#include "PeakRecord.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    uint32_t frames = 0;
    std::memcpy(&frames, data, 4);
    static const WORD kBits[8] = {8, 16, 20, 24, 32, 16, 16, 16};
    MtFormat format;
    format.bits = kBits[data[4] & 7];
    format.channels = WORD(1 + data[5] % 6);
    std::vector<uint8_t> file(data + 8, data + size); // a block of its own size
    std::vector<StoredPeak> peaks;
    if (!DecodePeakFile(file.data(), file.size(), frames, format, &peaks))
        return 0;
    if (int64_t(file.size()) != PeakFileBytes(frames, format) || peaks.size() * sizeof(StoredPeak) != file.size()) {
        std::fprintf(stderr, "peak file: taken at another size\n");
        std::abort();
    }
    for (const StoredPeak& p : peaks)
        if (p.minimum > p.maximum) {
            std::fprintf(stderr, "peak file: a peak out of order\n");
            std::abort();
        }
    return 0;
}
