// ByteBuffer: an owned block of bytes whose contents are undefined after Resize.
#pragma once
#include <cstdint>

class ByteBuffer {
public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Frees the old data; for a count above 0 allocates count bytes. Throws std::bad_alloc
    // when the allocation fails, leaving the buffer empty.
    void Resize(uint32_t count);

    uint8_t* Data() { return m_data; }
    const uint8_t* Data() const { return m_data; }
    uint32_t Size() const { return m_size; }

private:
    uint8_t* m_data = nullptr;
    uint32_t m_size = 0;
};
