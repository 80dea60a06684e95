// AviWriter: our RIFF writer of AVI files with one video and one PCM sound stream (the system's
// AVI library keeps only the first piece of a sound stream written in pieces). The whole file
// is laid out before the first byte is written, so that it goes out in one pass: the video's
// chunks copied as they lie in the source, one second of sound after each second of video,
// and an "idx1" index. A file that would pass the part limit (2 GB) asks first: yes writes an
// OpenDML file ("AVIX" parts, "indx" super indexes, "ix##" chunk indexes, "dmlh"), no writes
// nothing and throws kErrCancelled.
#pragma once
#include "AviStructure.h"

#include <cstdint>
#include <functional>
#include <vector>

class InFile;

// The video copied sample for sample: its stream as the walk found it, in its file. Frames
// made by the caller come from readFrame instead (no file): chunk i's offset is then its index
// and readFrame fills its size in bytes, every one of them.
struct AviWriteVideo {
    const InFile* file = nullptr;
    AviStreamInfo stream;
    std::function<void(uint64_t index, uint8_t* out)> readFrame;
};

// The sound: a "fmt " body (PCM, or the extensible form for more than two channels), its
// rate and block, its length, and a reader of frames [first, first + count) into out (it fills
// every byte).
struct AviWriteAudio {
    std::vector<uint8_t> format;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint64_t frames = 0;
    std::function<void(uint64_t first, size_t count, uint8_t* out)> read;
};

struct AviWriteOptions {
    uint64_t partLimit = 1ull << 31; // bytes of one RIFF part
    // Asked once, before anything is written, when the file needs more than one part.
    std::function<bool()> allowOpenDml;
    // Bytes written so far of the total; true to cancel (kErrCancelled).
    std::function<bool(uint64_t done, uint64_t total)> progress;
};

// Writes the file through write (sequential, in blocks of 64 KiB). Throws CKvSSException.
void WriteAvi(const std::function<void(const void*, size_t)>& write, const AviWriteVideo& video,
              const AviWriteAudio& audio, const AviWriteOptions& options);

// The "fmt " body of integer PCM: the plain form for one or two channels, the extensible form
// (with the channel mask) for more.
std::vector<uint8_t> PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t channelMask);
