// MPEG audio: the stream's format from its first frame and its length as the stream states it
// (the Xing/Info or VBRI frame, else its frames counted), read from a file or from memory;
// the decoding source is OpenMpegSource (Sources.h). An encoder's delay and padding, stated
// in the Info frame's extension, are left out as other players do.
#pragma once
#include "SoundFile.h"

struct MpegHeader {
    int version = 0; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layer = 0;
    DWORD rate = 0;
    WORD channels = 0;
    DWORD bitrate = 0; // bits per second
    uint32_t samplesPerFrame = 0;
    uint32_t frameBytes = 0;
};

// A frame header at h (4 bytes); false for none (free-format frames included).
bool ParseMpegHeader(const uint8_t* h, MpegHeader* out);

struct MpegStream {
    MpegHeader first;
    uint64_t audioStart = 0; // the first frame of sound (after a Xing/Info or VBRI frame)
    uint64_t audioEnd = 0;   // after the last frame of the stream (past the file when it cuts that frame)
    uint32_t frames = 0;     // frames of sound, as stated or counted
    bool framesStated = false;
    bool gapless = false; // the encoder stated its delay and padding
    uint32_t encoderDelay = 0, encoderPadding = 0;
    // Frames of sound the stream holds.
    uint64_t Length() const;
    // Decoded frames that come before the sound.
    uint64_t SkipAtStart() const;
};

// Throws kErrInvalidFormat when no frame is found.
MpegStream ReadMpegStream(const ByteSource& file);
