// Builders of the expected bytes of saved commands, written out field by field.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kvtest {

using Bytes = std::vector<uint8_t>;

inline Bytes Le64(uint64_t v)
{
    Bytes out;
    for (int i = 0; i < 8; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
    return out;
}

inline Bytes Text(const char* text)
{
    return Bytes(text, text + std::strlen(text));
}

inline Bytes& Append(Bytes& to, const Bytes& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
    return to;
}

// A 258-byte command header.
inline Bytes Header(uint16_t size, const std::string& type, const std::string& name)
{
    Bytes header(258, 0);
    header[0] = uint8_t(size);
    header[1] = uint8_t(size >> 8);
    std::memcpy(&header[2], type.data(), std::min<size_t>(type.size(), 128));
    std::memcpy(&header[130], name.data(), std::min<size_t>(name.size(), 128));
    return header;
}

// A chunk: 8-byte id, 64-bit size, the data and a pad byte when the size is odd.
inline Bytes Chunk(const char* id, const Bytes& data)
{
    Bytes chunk = Text(id);
    Append(chunk, Le64(data.size()));
    Append(chunk, data);
    if (data.size() & 1)
        chunk.push_back(0);
    return chunk;
}

inline Bytes CommandChunk(const Bytes& record)
{
    return Chunk("KSCMKCMD", record);
}

// A group chunk: the group's own command chunk, then the children's chunks.
inline Bytes GroupChunk(const Bytes& ownRecord, const std::vector<Bytes>& children)
{
    Bytes data = CommandChunk(ownRecord);
    for (const Bytes& child : children)
        Append(data, child);
    return Chunk("KSCMKGRP", data);
}

} // namespace kvtest
