#include "ChannelMixer.h"

void MixChannels(const float* in, int inChannels, float* out, int outChannels, size_t frames)
{
    if (inChannels <= outChannels) {
        for (size_t f = 0; f < frames; ++f)
            for (int c = 0; c < outChannels; ++c)
                out[f * outChannels + c] = in[f * inChannels + c % inChannels];
        return;
    }
    for (int c = 0; c < outChannels; ++c) {
        int count = 0;
        for (int k = c; k < inChannels; k += outChannels)
            ++count;
        float scale = 1.0f / count;
        for (size_t f = 0; f < frames; ++f) {
            float sum = 0.0f;
            for (int k = c; k < inChannels; k += outChannels)
                sum += in[f * inChannels + k];
            out[f * outChannels + c] = sum * scale;
        }
    }
}
