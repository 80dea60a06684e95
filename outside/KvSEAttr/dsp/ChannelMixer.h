// ChannelMixer: maps interleaved float frames from one channel count to another. Fewer to
// more: output channel c takes input channel c modulo the input count (mono goes to every
// channel). More to fewer: output channel c is the mean of input channels c, c + out, ...
#pragma once
#include <cstddef>

void MixChannels(const float* in, int inChannels, float* out, int outChannels, size_t frames);
