#include "MuteJob.h"

#include <algorithm>
#include <vector>

void CMuteJob::Process(IMtTrack*, int64_t start, int64_t end, FrameSink& sink)
{
    const size_t frameBytes = static_cast<size_t>(FrameBytes());
    const std::vector<uint8_t> silence(BlockFrames() * frameBytes, StorageBytes() == 1 ? 0x80 : 0);
    for (int64_t left = end - start; left > 0;) {
        const int64_t frames = std::min<int64_t>(left, static_cast<int64_t>(BlockFrames()));
        sink.Write(silence.data(), static_cast<size_t>(frames) * frameBytes);
        left -= frames;
        Advance(frames);
    }
}
