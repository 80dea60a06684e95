// NoiseProfile: the mean power spectrum of a stretch of noise per channel, as one module learns
// it and another removes it, with its text form (an INI file):
//
//   [StreamProperty]
//   Ch=2
//   Fs=44100
//   [NoiseProfile]
//   FftSize=2048
//   Ch0=<FftSize/2+1 powers, comma-separated>
//   Ch1=...
//
// Powers are of a Hann-windowed FFT without scaling, so a profile is only comparable with
// spectra taken the same way (SpectrumOf).
#pragma once
#include <complex>
#include <cstddef>
#include <string>
#include <vector>

namespace fxkit {

struct NoiseProfile {
    int channels = 0;
    int rate = 0;
    size_t fftSize = 0;
    std::vector<std::vector<double>> power; // [channel][bin], fftSize / 2 + 1 bins

    static bool SizeAllowed(size_t size) { return size >= 256 && size <= 8192 && (size & (size - 1)) == 0; }
};

std::string FormatProfile(const NoiseProfile& profile);
// False (profile unchanged) for text that is no whole, consistent profile: a missing key, a
// size not allowed, a wrong bin count, or a power that is negative or not finite.
bool ParseProfile(const std::string& text, NoiseProfile& profile);

// The periodic Hann window of a size.
std::vector<double> HannWindow(size_t size);

} // namespace fxkit
