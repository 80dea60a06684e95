// Paths of the video fixtures: the clips made by fixtures/make-fixtures.sh (frame n of each is
// grey 8n + 4 all over, 12 frames at 25 fps, 160 x 120) and the damaged AVIs.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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

// Where an id first lies in a file's bytes (a failure when it is not there).
inline size_t Find(const std::vector<uint8_t>& b, const char* id, size_t from = 0)
{
    for (size_t i = from; i + 4 <= b.size(); ++i)
        if (std::memcmp(&b[i], id, 4) == 0)
            return i;
    ADD_FAILURE() << id << " not found";
    return 0;
}

// A little-endian 32-bit value written over the bytes at a place.
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}
