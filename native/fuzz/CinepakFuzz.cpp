// Any bytes as a Cinepak frame (after the picture's width and height, 16 bits each) through
// the check that runs before the system's decoder: an answer, never a read outside the frame.
#include "CinepakCheck.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int width = data[0] | data[1] << 8, height = data[2] | data[3] << 8;
    // The frame in a buffer of its own size, so that a read past it is seen.
    const std::vector<uint8_t> frame(data + 4, data + size);
    IsSoundCinepakFrame(frame.data(), frame.size(), width, height);
    return 0;
}
