// Little-endian fields of RIFF files, read from bytes and appended to a byte vector.
#pragma once
#include <cstdint>
#include <vector>

inline uint16_t Le16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t Le64(const uint8_t* p)
{
    return uint64_t(Le32(p)) | uint64_t(Le32(p + 4)) << 32;
}

inline void Put16(std::vector<uint8_t>& o, uint16_t v)
{
    o.push_back(uint8_t(v));
    o.push_back(uint8_t(v >> 8));
}
inline void Put32(std::vector<uint8_t>& o, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        o.push_back(uint8_t(v >> (8 * i)));
}
inline void Put64(std::vector<uint8_t>& o, uint64_t v)
{
    Put32(o, uint32_t(v));
    Put32(o, uint32_t(v >> 32));
}
