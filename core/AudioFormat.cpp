#include "AudioFormat.h"

uint32_t BytesPerSample(uint16_t bits)
{
    if (bits <= 8)
        return 1;
    if (bits <= 16)
        return 2;
    if (bits <= 24)
        return 3;
    if (bits <= 32)
        return 4;
    return 8;
}

AudioFormat& AudioFormat::Set(uint32_t rate, uint32_t bits, uint32_t channelCount)
{
    samplesPerSec = rate;
    bitsPerSample = bits;
    channels = channelCount;
    blockAlign = BytesPerSample(static_cast<uint16_t>(bits)) * static_cast<uint16_t>(channelCount);
    return *this;
}

int AudioFormat::SetFormat(uint32_t rate, uint32_t bits, uint32_t channelCount)
{
    Set(rate, bits, channelCount);
    return 1;
}

int64_t AudioFormat::TimeToFrames(int64_t time100ns) const
{
    return static_cast<int64_t>(static_cast<double>(samplesPerSec) * static_cast<double>(time100ns) * 1e-7);
}

int64_t AudioFormat::FramesToTime(int64_t frames) const
{
    if (samplesPerSec == 0)
        return 0;
    return frames * 10000000 / static_cast<int64_t>(samplesPerSec);
}

uint32_t AudioFormat::BytesToFrames(uint32_t bytes) const
{
    return blockAlign ? bytes / blockAlign : 0;
}

int64_t AudioFormat::BytesToFrames64(int64_t bytes) const
{
    return blockAlign ? bytes / static_cast<int64_t>(blockAlign) : 0;
}

uint32_t AudioFormat::FramesToBytes(uint32_t frames) const
{
    return blockAlign * frames;
}

int64_t AudioFormat::FramesToBytes64(int64_t frames) const
{
    return static_cast<int64_t>(blockAlign) * frames;
}
