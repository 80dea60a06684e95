#include "SampleUnits.h"

#include <algorithm>
#include <cmath>

int32_t FullScaleForBits(int bits)
{
    if (bits == 32)
        bits = 16;
    if (bits < 1 || bits > 32)
        return 1;
    return int32_t(int64_t(1) << (bits - 1));
}

namespace {
// Float storage: a full-scale value of 1.0 is 2^31.
bool IsFloatStorage(int bits)
{
    return bits != 8 && bits != 16;
}
int32_t Clamp32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
} // namespace

int32_t StorageToViewSample(int32_t storage, int bits)
{
    if (bits == 8)
        return storage - 128;
    if (!IsFloatStorage(bits))
        return storage;
    double scale = double(FullScaleForBits(bits)) / 2147483648.0;
    return Clamp32(std::llround(storage * scale));
}

int32_t ViewToStorageSample(int32_t value, int bits)
{
    if (bits == 8)
        return std::clamp(value + 128, 0, 255);
    if (!IsFloatStorage(bits))
        return std::clamp(value, -32768, 32767);
    double scale = 2147483648.0 / double(FullScaleForBits(bits));
    return Clamp32(std::llround(value * scale));
}

int SampleValueToY(int, int top, int, int bottom, int32_t value, int magnification, int32_t fullScale)
{
    int64_t m = magnification ? magnification : 1;
    int64_t f = fullScale ? fullScale : 1;
    int64_t h = bottom - top;
    return int(h / 2 - (h * value * m) / (f * 2) + top);
}

int WaveColorFor(int silenced, int channel)
{
    if (silenced)
        return 8;
    switch (channel) {
    case 2:
        return 3;
    case 3:
        return 4;
    case 4:
    case 5:
        return 5;
    default:
        return 2;
    }
}

PointStep PointStepFor(double samplesPerPixel)
{
    PointStep step{int64_t(samplesPerPixel), 1};
    if (step.samplesPerPoint == 0) {
        step.samplesPerPoint = 1;
        step.pixelStep = samplesPerPixel > 0 ? std::max(1, int(1.0 / samplesPerPixel)) : 1;
    }
    return step;
}
