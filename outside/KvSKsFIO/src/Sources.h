// Sources of stored frames for a conversion: the sound chunk of a WAV or AIFF file, an MPEG
// audio stream through the system's ACM decoder, the sound stream of an AVI file.
#pragma once
#include "SoundFile.h"

#include <memory>

class SoundSource {
public:
    virtual ~SoundSource() = default;
    // Up to frames frames of the stored format; fewer only at the end.
    virtual size_t Read(uint8_t* buffer, size_t frames) = 0;
};

std::unique_ptr<SoundSource> OpenRawSource(const char* path, const SoundFile& sound);

// The 16-bit PCM format that the decoders and the preview's output take.
inline WAVEFORMATEX Pcm16Format(WORD channels, DWORD rate)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<WORD>(2 * channels);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}

// MPEG audio (MpegSource.cpp): the format of its first frame and the stream's length; throws
// kErrInvalidFormat when no frame is found.
void ReadMpegInfo(const InFile& file, SoundFile* sound);
// Throws kErrNoDecoder when the system has no decoder for it; its Read throws kErrStreamShort
// when the decoder gives less than the stream's length.
std::unique_ptr<SoundSource> OpenMpegSource(const char* path, const SoundFile& sound);

// AVI (AviSound.cpp): the format and length of the first sound stream (PCM or float only) and
// whether a video stream is there; the file's structure is checked first, the sound read by
// our own code.
void ReadAviInfo(const char* path, SoundFile* sound, bool* hasVideo);
std::unique_ptr<SoundSource> OpenAviSource(const char* path, const SoundFile& sound);
