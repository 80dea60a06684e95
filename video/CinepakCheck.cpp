#include "CinepakCheck.h"

namespace {

uint32_t Be16(const uint8_t* p)
{
    return uint32_t(p[0]) << 8 | p[1];
}

constexpr uint32_t kMaxEntries = 256;
constexpr uint32_t kMaxStrips = 32;

// A codebook chunk (0x20-0x27): full ones hold whole entries, partial ones a flag word before
// each run of 32; colour entries take 6 bytes, grey ones (ids with bit 2) 4.
bool CodebookFits(uint32_t id, uint32_t body)
{
    const uint32_t entry = (id & 0x04) ? 4 : 6;
    if (!(id & 0x01))
        return body / entry <= kMaxEntries;
    return body <= kMaxEntries * entry + (kMaxEntries / 32) * 4;
}

} // namespace

bool IsSoundCinepakFrame(const uint8_t* f, size_t bytes, int width, int height)
{
    if (bytes == 0)
        return true; // a dropped frame
    if (bytes < 10)
        return false;
    const size_t length = uint32_t(f[1]) << 16 | uint32_t(f[2]) << 8 | f[3];
    const uint32_t w = Be16(f + 4), h = Be16(f + 6), strips = Be16(f + 8);
    if (length < 10 || length > bytes || int(w) > width || int(h) > height || strips > kMaxStrips)
        return false;
    size_t at = 10;
    for (uint32_t s = 0; s < strips; ++s) {
        if (at + 12 > length)
            return false;
        const uint32_t size = Be16(f + at + 2);
        const uint32_t y1 = Be16(f + at + 4), x1 = Be16(f + at + 6), y2 = Be16(f + at + 8), x2 = Be16(f + at + 10);
        if (size < 12 || at + size > length || x1 > x2 || x2 > uint32_t(width) || y2 < y1 ||
            y2 - y1 > uint32_t(height))
            return false;
        for (size_t c = at + 12; c < at + size;) {
            if (c + 4 > at + size)
                return false;
            const uint32_t id = Be16(f + c), chunk = Be16(f + c + 2);
            if (chunk < 4 || c + chunk > at + size)
                return false;
            const uint32_t kind = id >> 8;
            if (kind >= 0x20 && kind <= 0x27 && !CodebookFits(kind, chunk - 4))
                return false;
            c += chunk;
        }
        at += size;
    }
    return true;
}
