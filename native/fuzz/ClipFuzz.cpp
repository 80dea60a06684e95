// Any bytes as a saved clip: the "KMTCLIP " chunk found as a load finds it and its record
// read. Every segment taken lies inside the chunk, held frames are as many bytes as their
// length says, lengths add up without overflow, paths end inside their fields, and what was
// read writes back as the bytes it came from (a path's last byte aside: it is ended there).
#include "ClipRecord.h"
#include "MemoryChunkStore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr InterfaceTag kClipChunk = MakeTag("KMTCLIP ");

void Fail(const char* what)
{
    std::fprintf(stderr, "clip record: %s\n", what);
    std::abort();
}

// The chunk's bytes, each read into a block of its own size so that a read past it is caught.
class WalkerClip : public ClipSource {
public:
    WalkerClip(ChunkWalker& chunks, uint64_t size) : m_chunks(chunks), m_left(size) {}
    uint64_t Left() const override { return m_left; }
    bool Read(void* data, size_t bytes) override
    {
        if (bytes > m_left)
            return false;
        std::vector<uint8_t> block(bytes);
        if (m_chunks.Read(block.data(), DWORD(bytes)) != bytes)
            return false;
        if (bytes)
            std::memcpy(data, block.data(), bytes);
        m_left -= bytes;
        m_read.insert(m_read.end(), block.begin(), block.end());
        return true;
    }
    const std::vector<uint8_t>& Consumed() const { return m_read; }

private:
    ChunkWalker& m_chunks;
    uint64_t m_left;
    std::vector<uint8_t> m_read;
};

template <class T>
void Append(std::vector<uint8_t>& b, const T& value)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
    b.insert(b.end(), p, p + sizeof(T));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryChunkStore store(std::vector<uint8_t>(data, data + size));
    ChunkWalker chunks(store);
    ChunkInfo info{kClipChunk, 0, 0, 0};
    if (FAILED(chunks.Descend(&info, kChunkFindById)))
        return 0;
    WalkerClip source(chunks, info.size);
    ClipHeader header{};
    std::vector<uint8_t> written;
    int64_t total = 0;
    const ClipFault fault = ReadClipRecord(source, &header, [&](StoredSegment& segment) {
        const SegmentHeader& sh = segment.header;
        if (sh.length < 0 || sh.offset < 0 || __builtin_add_overflow(total, sh.length, &total))
            Fail("a segment's length was taken unchecked");
        if (strnlen(segment.paths[0], kClipPathLength) == kClipPathLength ||
            strnlen(segment.paths[1], kClipPathLength) == kClipPathLength)
            Fail("a path runs past its field");
        if (sh.kind == kClipInline && segment.frames.size() != uint64_t(sh.length) * FrameBytes(segment.format))
            Fail("held frames are not as many bytes as their length");
        if (written.empty())
            Append(written, header);
        Append(written, sh);
        if (sh.kind == kClipFileStretch)
            written.insert(written.end(), &segment.paths[0][0], &segment.paths[0][0] + sizeof(segment.paths));
        else if (sh.kind == kClipInline)
            written.insert(written.end(), segment.frames.begin(), segment.frames.end());
    });
    if (source.Consumed().size() > info.size)
        Fail("the record was read past its chunk");
    if (fault != ClipFault::None)
        return 0;
    if (written.empty())
        Append(written, header);
    std::vector<uint8_t> read = source.Consumed();
    if (read.size() != written.size())
        Fail("the record writes back at another size");
    // The stored paths end where the reader ended them.
    size_t at = sizeof(ClipHeader);
    for (uint32_t i = 0; i < header.segments; ++i) {
        SegmentHeader sh;
        std::memcpy(&sh, read.data() + at, sizeof sh);
        at += sizeof sh;
        if (sh.kind == kClipFileStretch) {
            read[at + kClipPathLength - 1] = 0;
            read[at + 2 * kClipPathLength - 1] = 0;
            at += 2 * kClipPathLength;
        } else if (sh.kind == kClipInline) {
            MtFormat f;
            f.bits = sh.format.bitsPerSample;
            f.channels = sh.format.channels;
            at += size_t(sh.length) * FrameBytes(f);
        }
    }
    if (read != written)
        Fail("the record writes back otherwise");
    return 0;
}
