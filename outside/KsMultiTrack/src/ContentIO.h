// Reading a track's content: frames in a target format, floats, and peaks. Positions count
// from the content's first frame; positions outside it read as silence.
#pragma once
#include "Content.h"

// Source channel of an item with itemChannels that feeds target channel c of a track with
// trackChannels: a mono item feeds every channel; otherwise channel c, or none (-1).
inline int SourceChannel(int c, int itemChannels)
{
    if (itemChannels == 1)
        return 0;
    return c < itemChannels ? c : -1;
}

// frames interleaved frames of target.channels channels in target.bits storage.
void ReadContentFrames(const Content& content, LONGLONG position, LONGLONG frames, const MtFormat& target,
                       uint8_t* out);
// frames interleaved float frames of channels channels.
void ReadContentFloat(const Content& content, LONGLONG position, LONGLONG frames, int channels, float* out);
// One peak point over [position, position + count) for channels channels into out[channels]
// (16-bit units; silence counts as 0).
void ContentPeakPoint(const Content& content, LONGLONG position, LONGLONG count, int channels, MtPeakItem* out);
