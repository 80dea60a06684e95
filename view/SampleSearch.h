// The two searches over one channel of one track (Go to Zero Crossing, Go to Maximum Point).
// They read the track through the engine's sample reader in blocks of interleaved frames:
// 8-bit unsigned, 16-bit signed, and 4-byte floats for every deeper format (20, 24 and 32
// bits), whatever the document's nominal sample size. No windows: progress and cancel go
// through a callback.
#pragma once
#include "KsMultiTrack.h"

#include <cstdint>
#include <functional>

struct SearchChannel {
    IMtTrack* track = nullptr;
    int channel = 0;    // within the track
    int channels = 1;   // of the track
    int bits = 16;      // the document's bits per sample
    int64_t start = 0;  // the track's start offset
    int64_t length = 0; // the track's length
};

// Bytes one sample takes in what the reader delivers.
int ReaderSampleBytes(int bits);

// Forward: the second crossing from `from` on (the first seen is the step from silence
// before the scan), or the track's last sample. Backward: the later sample of the second
// crossing scanning back from `from`, or the track's start. buffer holds blockFrames frames.
int64_t FindZeroCrossing(const SearchChannel& c, bool forward, int64_t from, int64_t to, void* buffer,
                         uint32_t blockFrames);

// percent 0..100 after each block; returns true to cancel.
using SearchProgress = std::function<bool(int percent)>;

// The first sample of the largest magnitude in [from, to); 0 when every sample is 0; -1 when
// the range misses the track or the search was cancelled.
int64_t FindMaximumPoint(const SearchChannel& c, int64_t from, int64_t to, void* buffer, uint32_t blockFrames,
                         const SearchProgress& progress);

// The largest magnitude's index within count samples spaced stride apart; -1 when all are 0
// or none beats `best` (which is updated).
int64_t ScanMaximum(const void* samples, int bits, uint32_t count, int stride, double* best);
