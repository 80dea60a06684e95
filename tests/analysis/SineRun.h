// A finished analyser run over a -20 dBFS sine on bin 16 of N = 128 at 44100 Hz (5512.5 Hz),
// rectangular window, mono: the graph tests' one result.
#pragma once
#include "FrequencyAnalyzer.h"

#include <cmath>
#include <cstdint>
#include <vector>

struct SineRun {
    CSpectrumAnalyzer a;
    SineRun()
    {
        a.SetBytesPerSample(2);
        a.SetSignedBytes(1);
        a.SetChannels(1);
        a.SetSampleRate(44100);
        a.SetFftSize(128);
        a.SetWindow(4);
        a.Begin();
        std::vector<int16_t> s(512);
        for (int i = 0; i < 512; ++i)
            s[i] = int16_t(std::lround(3276.8 * std::sin(2 * 3.14159265358979 * 16 * i / 128)));
        a.AddSamples(s.data(), 512);
        a.Finish();
    }
};
