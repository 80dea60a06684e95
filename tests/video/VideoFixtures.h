// Paths of the video fixtures: the clips made by fixtures/make-fixtures.sh (frame n of each is
// grey 8n + 4 all over, 12 frames at 25 fps, 160 x 120) and the damaged AVIs.
#pragma once
#include <string>

inline std::string VideoFixture(const std::string& name)
{
    return std::string(KV_VIDEO_FIXTURES) + name;
}
inline std::string DamagedFixture(const std::string& name)
{
    return std::string(KV_DAMAGED_FIXTURES) + name;
}
// The frame a grey level tells (frame n is 8n + 4; lossy codecs stay within 3 of it).
inline int FrameOfGrey(int grey)
{
    return (grey - 4 + 4) / 8;
}

inline const char* const kDamagedAvis[] = {"avi-assert-abort-2.avi",          "avi-open-crash-memcpy.avi",
                                           "avi-open-crash-null-avifil32.avi", "avi-open-slow.avi",
                                           "avi-read-assert-abort.avi",        "avi-read-crash-avifil32.avi"};
