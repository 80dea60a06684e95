// A source of a clip coded with key frames, as a splitter and decoder hand it on: 12 frames of
// 160 x 120 RGB24 at 25 fps, frame n grey 8n + 4 all over (as the fixtures), a key frame every
// fourth. A seek restarts the stream at the key frame before the position, timed from the
// position, so the frames before it come first (marked preroll or not). A stream can also be
// made slow from one frame on. The graph finds it through ClipSourceRegistration for a file
// that begins with its mark, as it finds a splitter for a file.
#pragma once
#include "DShowBase.h"

#include <string>

struct ClipSourceSettings {
    bool markPreroll = true; // frames before the seek's position carry the preroll mark
    int slowFrom = -1;       // from this frame on each frame takes slowMs (-1: none)
    DWORD slowMs = 0;
};

// While it lives, files named *.kvclip open in graphs as such a clip, with these settings.
class ClipSourceRegistration {
public:
    explicit ClipSourceRegistration(const ClipSourceSettings& settings);
    ~ClipSourceRegistration();
    ClipSourceRegistration(const ClipSourceRegistration&) = delete;
    ClipSourceRegistration& operator=(const ClipSourceRegistration&) = delete;

    // A file of that kind in the temporary folder (the graph reads its first bytes).
    const std::string& Path() const { return m_path; }
    // Slow frames whose making has begun.
    static int SlowFramesBegun();

private:
    DWORD m_cookie = 0;
    std::string m_path;
};
