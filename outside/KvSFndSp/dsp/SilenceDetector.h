// SilenceDetector: finds the silences of a sound fed in blocks of any size (interleaved float,
// full scale 1.0), free of DirectShow and windows.
//
//   detector.Prepare(rate, channels, {durationMs, levelA, levelB});
//   detector.Feed(frames...); ...; detector.Finish();
//   for (auto s : detector.Silences()) ... s.start, s.end     // frames from the first fed
//
// The sound is looked at in blocks of 10 ms. A block whose peak (on the 16-bit scale, 32768 =
// full scale) stays under level A is quiet; a silence holds a stretch of quiet blocks that
// lasts at least the duration, measured from the sample after one at or over A to the next
// such sample. A passage that never reaches level B between quiet stretches joins the silence
// around it, so only a block that reaches B ends one. A silence starts after the last sample
// at or over A before it and ends at the first such sample after it (sample exact), and none
// is reported that touches the start or the end of the sound: those are no gap between sounds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fx {

struct SilenceSettings {
    int durationMs = 1000;
    int levelA = 100;  // 16-bit scale
    int levelB = 1000; // 16-bit scale; below A it is taken as A
};

// The settings inside their limits: duration 10 ms to 24 h, levels 0..32768, B not below A.
SilenceSettings ClampSilenceSettings(const SilenceSettings& s);

struct Silence {
    int64_t start; // first silent frame
    int64_t end;   // first frame after it
};

class SilenceDetector {
public:
    void Prepare(double rate, int channels, const SilenceSettings& settings);
    void Feed(const float* in, size_t frames);
    // The end of the sound: a silence still open reaches it and is dropped.
    void Finish();
    const std::vector<Silence>& Silences() const { return m_found; }

private:
    void EndBlock();

    SilenceSettings m_settings;
    int m_channels = 1;
    size_t m_blockFrames = 441;
    int64_t m_durationFrames = 44100;
    float m_levelA = 0, m_levelB = 0;

    // The block being filled.
    size_t m_fill = 0;
    float m_peak = 0;
    int64_t m_firstLoud = -1; // first sample at or over A in the block
    int64_t m_frame = 0;      // frames fed

    int64_t m_lastLoud = -1;    // last sample at or over A before the block
    bool m_prevQuiet = false;   // the block before was quiet
    int64_t m_quietStart = 0;   // start of the quiet stretch running now
    bool m_spanOpen = false;    // a silence (quiet stretches and the passages between) is open
    bool m_spanAtStart = false; // nothing reached B before it
    bool m_seenB = false;       // a block reached B
    int64_t m_spanStart = 0, m_spanEnd = 0;
    int64_t m_longestQuiet = 0;
    std::vector<Silence> m_found;
};

} // namespace fx
