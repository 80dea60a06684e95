#include "SkinPng.h"

#include <array>
#include <cstring>

namespace {

// ---- inflate

// Bits from the least significant end, as deflate packs them. Reading past the end gives zero
// bits and marks the stream overrun, which every caller checks before trusting what it read.
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint32_t Peek(int count)
    {
        Fill();
        return uint32_t(m_buffer & ((uint64_t(1) << count) - 1));
    }
    void Drop(int count)
    {
        m_buffer >>= count;
        m_count -= count;
        m_used += uint64_t(count);
    }
    uint32_t Bits(int count)
    {
        const uint32_t value = Peek(count);
        Drop(count);
        return value;
    }
    void AlignToByte() { Drop(int((8 - m_used % 8) % 8)); }
    bool Overrun() const { return m_used > uint64_t(m_size) * 8; }
    // Bytes consumed so far, rounded up.
    size_t BytesUsed() const { return size_t((m_used + 7) / 8); }

private:
    void Fill()
    {
        while (m_count <= 56) {
            const uint64_t byte = m_next < m_size ? m_data[m_next] : 0;
            ++m_next;
            m_buffer |= byte << m_count;
            m_count += 8;
        }
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_next = 0;
    uint64_t m_buffer = 0;
    int m_count = 0;
    uint64_t m_used = 0;
};

constexpr int kMaxCodeBits = 15;
constexpr int kFastBits = 10;

// A canonical Huffman code. Codes of up to 10 bits are looked up by the next 10 bits at once
// (each entry: the symbol and its code length, 0 for a longer code or none); the rare longer
// ones are counted out bit by bit. Small enough to live on the stack: under Wine large heap
// blocks are mapped and unmapped by the system on every use.
class Huffman {
public:
    // False for lengths that over-subscribe the code. An incomplete code is kept: its missing
    // codes decode as errors.
    bool Build(const uint8_t* lengths, int count)
    {
        memset(m_perLength, 0, sizeof m_perLength);
        for (int i = 0; i < count; ++i)
            ++m_perLength[lengths[i]];
        m_perLength[0] = 0;
        int left = 1;
        for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
            left = left * 2 - m_perLength[bits];
            if (left < 0)
                return false;
        }
        // Symbols in code order: by length, then by value.
        int offset[kMaxCodeBits + 2] = {};
        for (int bits = 1; bits <= kMaxCodeBits; ++bits)
            offset[bits + 1] = offset[bits] + m_perLength[bits];
        for (int symbol = 0; symbol < count; ++symbol)
            if (lengths[symbol])
                m_symbols[offset[lengths[symbol]]++] = uint16_t(symbol);

        memset(m_fast, 0, sizeof m_fast);
        uint32_t code = 0;
        int index = 0;
        for (int bits = 1; bits <= kFastBits; ++bits) {
            for (int i = 0; i < m_perLength[bits]; ++i, ++code, ++index) {
                uint32_t reversed = 0;
                for (int b = 0; b < bits; ++b)
                    reversed |= ((code >> b) & 1u) << (bits - 1 - b);
                const uint16_t entry = uint16_t(m_symbols[index] << 4 | bits);
                for (uint32_t at = reversed; at < (1u << kFastBits); at += 1u << bits)
                    m_fast[at] = entry;
            }
            code <<= 1;
        }
        return true;
    }

    // The next symbol, or -1 where no code matches.
    int Decode(BitReader& in) const
    {
        const uint32_t next = in.Peek(kMaxCodeBits);
        if (const uint16_t entry = m_fast[next & ((1u << kFastBits) - 1)]) {
            in.Drop(entry & 15);
            return entry >> 4;
        }
        int code = 0, first = 0, index = 0;
        for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
            code |= int((next >> (bits - 1)) & 1u);
            const int count = m_perLength[bits];
            if (code - first < count) {
                in.Drop(bits);
                return m_symbols[index + code - first];
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }

private:
    uint16_t m_fast[1u << kFastBits];
    int m_perLength[kMaxCodeBits + 1];
    uint16_t m_symbols[288];
};

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class Inflater {
public:
    Inflater(const uint8_t* data, size_t size, uint8_t* out, size_t capacity)
        : m_in(data, size), m_out(out), m_capacity(capacity)
    {
    }

    bool Run()
    {
        for (;;) {
            const uint32_t last = m_in.Bits(1);
            const uint32_t type = m_in.Bits(2);
            bool done = false;
            if (type == 0)
                done = Stored();
            else if (type == 1)
                done = Fixed() && Codes();
            else if (type == 2)
                done = Dynamic() && Codes();
            if (!done || m_in.Overrun())
                return false;
            if (last)
                return true;
        }
    }

    size_t BytesUsed() const { return m_in.BytesUsed(); }
    size_t Written() const { return m_written; }

private:
    bool Put(uint8_t byte)
    {
        if (m_written == m_capacity)
            return false;
        m_out[m_written++] = byte;
        return true;
    }

    bool Stored()
    {
        m_in.AlignToByte();
        const uint32_t length = m_in.Bits(16);
        const uint32_t complement = m_in.Bits(16);
        if (m_in.Overrun() || (length ^ 0xFFFFu) != complement)
            return false;
        for (uint32_t i = 0; i < length; ++i)
            if (!Put(uint8_t(m_in.Bits(8))) || m_in.Overrun())
                return false;
        return true;
    }

    bool Fixed()
    {
        uint8_t lengths[288 + 30];
        for (int i = 0; i < 288; ++i)
            lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
        for (int i = 0; i < 30; ++i)
            lengths[288 + i] = 5;
        return m_literals.Build(lengths, 288) && m_distances.Build(lengths + 288, 30);
    }

    bool Dynamic()
    {
        const int literalCount = int(m_in.Bits(5)) + 257;
        const int distanceCount = int(m_in.Bits(5)) + 1;
        const int lengthCodeCount = int(m_in.Bits(4)) + 4;
        if (literalCount > 286 || distanceCount > 30)
            return false;
        static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        uint8_t lengthCodes[19] = {};
        for (int i = 0; i < lengthCodeCount; ++i)
            lengthCodes[kOrder[i]] = uint8_t(m_in.Bits(3));
        if (m_in.Overrun() || !m_lengthCode.Build(lengthCodes, 19))
            return false;
        uint8_t lengths[286 + 30] = {};
        const int total = literalCount + distanceCount;
        for (int i = 0; i < total;) {
            const int symbol = m_lengthCode.Decode(m_in);
            if (symbol < 0 || m_in.Overrun())
                return false;
            if (symbol < 16) {
                lengths[i++] = uint8_t(symbol);
                continue;
            }
            uint8_t value = 0;
            int repeat = 0;
            if (symbol == 16) {
                if (i == 0)
                    return false;
                value = lengths[i - 1];
                repeat = 3 + int(m_in.Bits(2));
            } else if (symbol == 17) {
                repeat = 3 + int(m_in.Bits(3));
            } else {
                repeat = 11 + int(m_in.Bits(7));
            }
            if (i + repeat > total)
                return false;
            while (repeat--)
                lengths[i++] = value;
        }
        // Without an end-of-block code no block could end.
        if (lengths[256] == 0)
            return false;
        return m_literals.Build(lengths, literalCount) && m_distances.Build(lengths + literalCount, distanceCount);
    }

    bool Codes()
    {
        for (;;) {
            int symbol = m_literals.Decode(m_in);
            if (symbol < 0 || m_in.Overrun())
                return false;
            if (symbol < 256) {
                if (!Put(uint8_t(symbol)))
                    return false;
                continue;
            }
            if (symbol == 256)
                return true;
            symbol -= 257;
            if (symbol >= 29)
                return false;
            const size_t length = kLengthBase[symbol] + m_in.Bits(kLengthExtra[symbol]);
            const int code = m_distances.Decode(m_in);
            if (code < 0 || code >= 30)
                return false;
            const size_t distance = kDistanceBase[code] + m_in.Bits(kDistanceExtra[code]);
            if (m_in.Overrun() || distance > m_written || length > m_capacity - m_written)
                return false;
            uint8_t* to = m_out + m_written;
            const uint8_t* from = to - distance;
            // Byte by byte: the copy may overlap what it writes.
            for (size_t i = 0; i < length; ++i)
                to[i] = from[i];
            m_written += length;
        }
    }

    BitReader m_in;
    uint8_t* m_out;
    size_t m_capacity;
    size_t m_written = 0;
    Huffman m_literals, m_distances, m_lengthCode;
};

uint32_t Adler32(const uint8_t* data, size_t size)
{
    uint32_t a = 1, b = 0;
    while (size) {
        // 5552 bytes keep the sums below 2^32 before the modulo.
        const size_t run = size < 5552 ? size : 5552;
        for (size_t i = 0; i < run; ++i) {
            a += data[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
        data += run;
        size -= run;
    }
    return b << 16 | a;
}

// ---- PNG

uint32_t BigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t Crc32(const uint8_t* data, size_t size)
{
    const auto& table = CrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Chunks that say nothing about the pixels.
bool IsHarmlessChunk(const uint8_t* type)
{
    for (const char* name : {"tEXt", "zTXt", "iTXt", "tIME", "pHYs"})
        if (memcmp(type, name, 4) == 0)
            return true;
    return false;
}

int Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Undoes each row's filter in place; false for an unknown filter type.
bool Unfilter(uint8_t* rows, int height, size_t rowBytes, int pixelBytes)
{
    const uint8_t* previous = nullptr;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = rows + size_t(y) * (rowBytes + 1);
        const uint8_t filter = row[0];
        uint8_t* p = row + 1;
        switch (filter) {
        case 0:
            break;
        case 1:
            for (size_t i = size_t(pixelBytes); i < rowBytes; ++i)
                p[i] = uint8_t(p[i] + p[i - size_t(pixelBytes)]);
            break;
        case 2:
            if (previous)
                for (size_t i = 0; i < rowBytes; ++i)
                    p[i] = uint8_t(p[i] + previous[i]);
            break;
        case 3:
            for (size_t i = 0; i < rowBytes; ++i) {
                const int left = i >= size_t(pixelBytes) ? p[i - size_t(pixelBytes)] : 0;
                const int up = previous ? previous[i] : 0;
                p[i] = uint8_t(p[i] + ((left + up) >> 1));
            }
            break;
        case 4:
            for (size_t i = 0; i < rowBytes; ++i) {
                const bool hasLeft = i >= size_t(pixelBytes);
                const int left = hasLeft ? p[i - size_t(pixelBytes)] : 0;
                const int up = previous ? previous[i] : 0;
                const int upLeft = previous && hasLeft ? previous[i - size_t(pixelBytes)] : 0;
                p[i] = uint8_t(p[i] + Paeth(left, up, upLeft));
            }
            break;
        default:
            return false;
        }
        previous = p;
    }
    return true;
}

} // namespace

bool InflateZlib(const uint8_t* data, size_t size, uint8_t* out, size_t expected)
{
    // Header: deflate with a window of at most 32 KB, the check bits right, no dictionary.
    if (size < 6 || (data[0] & 0x0F) != 8 || (data[0] >> 4) > 7 || (data[0] << 8 | data[1]) % 31 != 0 ||
        (data[1] & 0x20))
        return false;
    Inflater inflater(data + 2, size - 2, out, expected);
    if (!inflater.Run() || inflater.Written() != expected)
        return false;
    const size_t end = 2 + inflater.BytesUsed();
    if (size - end < 4)
        return false;
    return BigEndian32(data + end) == Adler32(out, expected);
}

bool ReadSkinPng(const uint8_t* data, size_t size, SkinPngLayout* layout)
{
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || memcmp(data, kSignature, 8) != 0)
        return false;
    *layout = SkinPngLayout();
    size_t at = 8;
    bool sawHeader = false;
    for (;;) {
        if (size - at < 12)
            return false;
        const uint32_t length = BigEndian32(data + at);
        const uint8_t* type = data + at + 4;
        if (length > size - at - 12)
            return false;
        const uint8_t* body = type + 4;
        if (BigEndian32(body + length) != Crc32(type, length + 4))
            return false;
        at += 12 + size_t(length);
        if (!sawHeader) {
            if (memcmp(type, "IHDR", 4) != 0 || length != 13)
                return false;
            const uint32_t width = BigEndian32(body), height = BigEndian32(body + 4);
            const uint8_t depth = body[8], colour = body[9];
            if (depth != 8 || (colour != 2 && colour != 6) || body[10] != 0 || body[11] != 0 || body[12] != 0)
                return false;
            constexpr uint32_t kLargestSide = 1u << 16, kLargestArea = 1u << 24;
            if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide ||
                uint64_t(width) * height > kLargestArea)
                return false;
            layout->width = int(width);
            layout->height = int(height);
            layout->alpha = colour == 6;
            sawHeader = true;
        } else if (memcmp(type, "IDAT", 4) == 0) {
            layout->pixelChunks.push_back({size_t(body - data), size_t(length)});
        } else if (memcmp(type, "IEND", 4) == 0) {
            return !layout->pixelChunks.empty();
        } else if (!IsHarmlessChunk(type)) {
            return false;
        }
    }
}

bool DecodeSkinPng(const uint8_t* data, size_t size, const SkinPngLayout& layout, uint8_t* bgra, ptrdiff_t stride,
                   bool* transparent)
{
    for (const auto& chunk : layout.pixelChunks)
        if (chunk.first > size || chunk.second > size - chunk.first)
            return false;
    // The pixel data is one zlib stream, cut into chunks anywhere.
    if (layout.pixelChunks.empty())
        return false;
    const uint8_t* stream = data + layout.pixelChunks.front().first;
    size_t streamSize = layout.pixelChunks.front().second;
    std::vector<uint8_t> joined;
    if (layout.pixelChunks.size() > 1) {
        for (const auto& chunk : layout.pixelChunks)
            joined.insert(joined.end(), data + chunk.first, data + chunk.first + chunk.second);
        stream = joined.data();
        streamSize = joined.size();
    }
    const int pixelBytes = layout.alpha ? 4 : 3;
    const size_t rowBytes = size_t(layout.width) * size_t(pixelBytes);
    const size_t total = (rowBytes + 1) * size_t(layout.height);
    // Reused: under Wine every large block is mapped afresh by the system.
    thread_local std::vector<uint8_t> scratch;
    std::vector<uint8_t> large;
    constexpr size_t kKeptScratch = 1 << 20;
    std::vector<uint8_t>& rows = total <= kKeptScratch ? scratch : large;
    if (rows.size() < total)
        rows.resize(total);
    if (!InflateZlib(stream, streamSize, rows.data(), total) ||
        !Unfilter(rows.data(), layout.height, rowBytes, pixelBytes))
        return false;

    bool anyTransparent = false;
    for (int y = 0; y < layout.height; ++y) {
        const uint8_t* from = rows.data() + size_t(y) * (rowBytes + 1) + 1;
        uint8_t* to = bgra + ptrdiff_t(y) * stride;
        for (int x = 0; x < layout.width; ++x, from += pixelBytes, to += 4) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = pixelBytes == 4 ? from[3] : 0xFF;
            anyTransparent |= to[3] != 0xFF;
        }
    }
    *transparent = anyTransparent;
    return true;
}
