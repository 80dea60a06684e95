// Bytes in memory as what the sound-file and AIFF readers parse.
#pragma once
#include "AiffFormat.h"
#include "KvSSException.h"
#include "SoundFile.h"

#include <cstring>

class MemorySource : public ByteSource, public AiffSource {
public:
    MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    void ReadAt(uint64_t offset, void* buffer, size_t bytes) const override
    {
        if (offset > m_size || bytes > m_size - offset)
            throw CKvSSException(kErrDamagedRiff);
        if (bytes)
            std::memcpy(buffer, m_data + offset, bytes);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};
