// Plain PCM WAV files for tests and benchmarks that feed sound to other programs (the
// platform's WAVE parser, sox). Header-only so benchmarks can use it without the test library.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kvtest {

// Writes the 44-byte header of a PCM WAV file holding `frames` frames.
inline void WriteWavHeader(FILE* f, unsigned channels, uint32_t rate, unsigned bits, uint64_t frames)
{
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    const uint32_t dataBytes = static_cast<uint32_t>(frames * align);
    auto u32 = [f](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [f](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(static_cast<uint16_t>(channels));
    u32(rate);
    u32(rate * align);
    u16(align);
    u16(static_cast<uint16_t>(bits));
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
}

// Writes interleaved 16-bit samples as a WAV file; false when the file cannot be written.
inline bool WriteWav16(const std::string& path, unsigned channels, uint32_t rate, const std::vector<int16_t>& samples)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    WriteWavHeader(f, channels, rate, 16, samples.size() / channels);
    const bool ok = std::fwrite(samples.data(), 2, samples.size(), f) == samples.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace kvtest
