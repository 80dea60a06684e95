#include "ByteBuffer.h"

#include <new>

ByteBuffer::~ByteBuffer()
{
    delete[] m_data;
}

void ByteBuffer::Resize(uint32_t count)
{
    delete[] m_data;
    m_data = nullptr;
    m_size = 0;
    if (count == 0)
        return;
    m_data = new uint8_t[count];
    m_size = count;
}
