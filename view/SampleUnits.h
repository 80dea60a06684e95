// Sample values as the track area shows them. The engine's single-sample slots use storage
// units (8-bit 0..255, 16-bit as is, float storage as value x 2^31); its peak reads and the
// view use peak units (full scale 2^(bits - 1), 32 bits counted as 16). Every conversion
// between the two, and the mapping of a value to a row's y, is here.
#pragma once
#include <cstdint>

// 2^(bits - 1); 32 bits count as 16.
int32_t FullScaleForBits(int bits);
// Storage units of a single-sample read to peak units, and back (clamped to the storage range).
int32_t StorageToViewSample(int32_t storage, int bits);
int32_t ViewToStorageSample(int32_t value, int bits);
// y of a value in a row from top to bottom: 0 on the middle line, +full scale at the top at
// magnification 1. 64-bit products: a 24-bit value times the row height times 64 overflows 32.
int SampleValueToY(int left, int top, int right, int bottom, int32_t value, int magnification, int32_t fullScale);
// Skin colour of a channel's waveform.
int WaveColorFor(int silenced, int channel);

// Samples per drawn point and pixels per point at a zoom: one pixel per point while a pixel
// holds a sample or more, else one sample per point spread over whole pixels.
struct PointStep {
    int64_t samplesPerPoint;
    int pixelStep;
};
PointStep PointStepFor(double samplesPerPixel);
