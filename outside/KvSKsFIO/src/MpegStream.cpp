// MPEG audio streams: the first frame's format, the Xing/Info or VBRI statement and the
// frames a decoder meets, read from any byte source.
#include "MpegStream.h"

#include "KvSSException.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Decoders hold back this many frames of their own ahead of a layer III stream; the
// encoder's stated delay counts from the stream's start, so both are skipped.
constexpr uint32_t kDecoderDelay = 529;
// How far past bytes that are no frame the next frame of the stream is looked for.
constexpr uint64_t kResyncReach = 65536;

uint32_t Be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint64_t Id3Size(const ByteSource& file)
{
    uint8_t h[10];
    if (file.ReadSome(0, h, 10) != 10 || std::memcmp(h, "ID3", 3) != 0)
        return 0;
    const uint64_t body = uint64_t(h[6] & 0x7F) << 21 | (h[7] & 0x7F) << 14 | (h[8] & 0x7F) << 7 | (h[9] & 0x7F);
    const bool footer = (h[5] & 0x10) != 0;
    return 10 + body + (footer ? 10 : 0);
}

// A window of the file read in large pieces, for walking frame headers.
class FileWindow {
public:
    // No larger than the file: a small file costs no megabyte.
    explicit FileWindow(const ByteSource& file)
        : m_file(file), m_buffer(static_cast<size_t>(std::min<uint64_t>(file.Size(), 1 << 20)))
    {
    }
    // Up to n bytes at offset (fewer at the end of the file).
    const uint8_t* At(uint64_t offset, size_t n, size_t* got)
    {
        if (offset < m_start || offset + n > m_start + m_size) {
            m_start = offset;
            m_size = m_file.ReadSome(offset, m_buffer.data(), m_buffer.size());
        }
        *got = static_cast<size_t>(std::min<uint64_t>(n, m_start + m_size - std::min(offset, m_start + m_size)));
        return m_buffer.data() + (offset - m_start);
    }

private:
    const ByteSource& m_file;
    std::vector<uint8_t> m_buffer;
    uint64_t m_start = 0;
    size_t m_size = 0;
};

bool SameStream(const MpegHeader& a, const MpegHeader& b)
{
    return a.version == b.version && a.layer == b.layer && a.rate == b.rate;
}

// A frame header at offset that a second one of the same stream follows (or the file ends
// after it): a lone sync pattern in other bytes is no frame.
bool IsFrameAt(FileWindow& window, uint64_t offset, uint64_t end, MpegHeader* header)
{
    size_t got = 0;
    const uint8_t* p = window.At(offset, 4, &got);
    if (got < 4 || !ParseMpegHeader(p, header) || offset + header->frameBytes > end)
        return false;
    const uint64_t next = offset + header->frameBytes;
    if (next + 4 > end)
        return true;
    MpegHeader second;
    p = window.At(next, 4, &got);
    return got == 4 && ParseMpegHeader(p, &second) && SameStream(*header, second);
}

// The frame header at or after from (within limit bytes); false when none.
bool FindFrame(FileWindow& window, uint64_t from, uint64_t end, uint64_t limit, uint64_t* at, MpegHeader* header)
{
    for (uint64_t p = from; p + 4 <= end && p < from + limit; ++p) {
        if (IsFrameAt(window, p, end, header)) {
            *at = p;
            return true;
        }
    }
    return false;
}

// Reads the Xing/Info or VBRI statement in the first frame; true when the frame carries one
// (it holds no sound then).
bool ReadVbrTag(const ByteSource& file, uint64_t at, const MpegHeader& h, MpegStream* s)
{
    std::vector<uint8_t> f(h.frameBytes);
    if (file.ReadSome(at, f.data(), f.size()) != f.size())
        return false;
    const size_t side = h.version == 3 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    size_t x = 4 + side;
    if (x + 8 <= f.size() && (std::memcmp(&f[x], "Xing", 4) == 0 || std::memcmp(&f[x], "Info", 4) == 0)) {
        const uint32_t flags = Be32(&f[x + 4]);
        x += 8;
        if ((flags & 1) && x + 4 <= f.size()) {
            s->frames = Be32(&f[x]);
            s->framesStated = true;
            x += 4;
        }
        x += (flags & 2) ? 4 : 0;
        x += (flags & 4) ? 100 : 0;
        x += (flags & 8) ? 4 : 0;
        // The encoder's own extension: its delay and padding, in 12 bits each.
        if (x + 24 <= f.size() && (std::memcmp(&f[x], "LAME", 4) == 0 || std::memcmp(&f[x], "Lavf", 4) == 0 ||
                                   std::memcmp(&f[x], "Lavc", 4) == 0)) {
            const uint32_t v = uint32_t(f[x + 21]) << 16 | uint32_t(f[x + 22]) << 8 | f[x + 23];
            s->gapless = true;
            s->encoderDelay = v >> 12;
            s->encoderPadding = v & 0xFFF;
        }
        return true;
    }
    if (36 + 18 <= f.size() && std::memcmp(&f[36], "VBRI", 4) == 0) {
        s->frames = Be32(&f[36 + 14]);
        s->framesStated = true;
        return true;
    }
    return false;
}

} // namespace

bool ParseMpegHeader(const uint8_t* h, MpegHeader* out)
{
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return false;
    const int version = (h[1] >> 3) & 3; // 0 2.5, 2 v2, 3 v1
    const int layer = 4 - ((h[1] >> 1) & 3);
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer == 4 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    static const DWORD kRates[3] = {44100, 48000, 32000};
    static const WORD kV1[3][15] = {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
                                    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
                                    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};
    static const WORD kV2[2][15] = {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
                                    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
    out->version = version;
    out->layer = layer;
    out->rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    out->channels = ((h[3] >> 6) == 3) ? 1 : 2;
    out->bitrate = 1000u * (version == 3 ? kV1[layer - 1][bitrateIndex] : kV2[layer == 1 ? 0 : 1][bitrateIndex]);
    const uint32_t padding = (h[2] >> 1) & 1;
    if (layer == 1) {
        out->samplesPerFrame = 384;
        out->frameBytes = (12 * out->bitrate / out->rate + padding) * 4;
    } else {
        // Layer III of MPEG-2 and 2.5 carries half as many samples a frame.
        const bool half = layer == 3 && version != 3;
        out->samplesPerFrame = half ? 576 : 1152;
        out->frameBytes = (half ? 72 : 144) * out->bitrate / out->rate + padding;
    }
    return true;
}

uint64_t MpegStream::Length() const
{
    const uint64_t all = uint64_t(frames) * first.samplesPerFrame;
    const uint64_t trimmed = uint64_t(encoderDelay) + encoderPadding;
    return gapless ? (all > trimmed ? all - trimmed : 0) : all;
}

uint64_t MpegStream::SkipAtStart() const
{
    return gapless ? uint64_t(encoderDelay) + kDecoderDelay : 0;
}

MpegStream ReadMpegStream(const ByteSource& file)
{
    MpegStream s;
    FileWindow window(file);
    const uint64_t end = file.Size();
    // The first frame: one a second frame follows, or one that states the stream's length
    // (whatever damage lies after it).
    const uint64_t from = Id3Size(file);
    uint64_t at = 0;
    bool found = false;
    for (uint64_t p = from; p + 4 <= end && p < from + 65536 && !found; ++p) {
        size_t got = 0;
        const uint8_t* bytes = window.At(p, 4, &got);
        if (got < 4 || !ParseMpegHeader(bytes, &s.first))
            continue;
        if (IsFrameAt(window, p, end, &s.first)) {
            found = true;
        } else if (p + s.first.frameBytes <= end) {
            MpegStream tagged = s;
            found = ReadVbrTag(file, p, s.first, &tagged);
        }
        at = p;
    }
    if (!found)
        throw CKvSSException(kErrInvalidFormat);
    s.audioStart = at;
    if (ReadVbrTag(file, at, s.first, &s))
        s.audioStart = at + s.first.frameBytes;
    // The stream's frames, as a decoder finds them: bytes that are no frame of it are passed
    // over to its next frame (none follows a tag at the end), and a last frame the end of the
    // file cuts counts as the decoder is given it, its missing bytes as zeros.
    uint64_t p = s.audioStart, last = p;
    uint32_t counted = 0;
    MpegHeader h;
    while (p + 4 <= end) {
        if (IsFrameAt(window, p, end, &h) && SameStream(h, s.first)) {
            p += h.frameBytes;
            last = p;
            ++counted;
            continue;
        }
        size_t got = 0;
        const uint8_t* bytes = window.At(p, 4, &got);
        if (got == 4 && ParseMpegHeader(bytes, &h) && SameStream(h, s.first) && p + h.frameBytes > end) {
            last = p + h.frameBytes;
            ++counted;
            break;
        }
        uint64_t next = 0;
        if (!FindFrame(window, p + 1, end, kResyncReach, &next, &h) || !SameStream(h, s.first))
            break;
        p = next;
    }
    p = last;
    s.audioEnd = p;
    if (!s.framesStated)
        s.frames = counted;
    return s;
}
