#include "AviStructure.h"

#include "KvSSException.h"
#include "LittleEndian.h"
#include "SoundFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr uint32_t Id(const char (&s)[5])
{
    return FourCC(s);
}

// Limits past which a header lies rather than describes (the system's library sizes buffers
// and loops by them).
constexpr size_t kMaxStreams = 16;
constexpr int32_t kMaxDimension = 16384;
constexpr uint32_t kMaxFrameBytes = 256u << 20;
constexpr uint32_t kMaxCount = 0x7FFFFFFF;
constexpr size_t kMaxIndexEntries = 64u << 20;

[[noreturn]] void Lies()
{
    throw CKvSSException(kErrDamagedRiff);
}

// Reads small pieces through a window, so that index checks of neighbouring chunks cost one read
// (a megabyte: a window a few chunks long made the walk of an hour a read every few frames).
class WindowReader {
public:
    // No larger than the file: a small file costs no megabyte.
    explicit WindowReader(const ByteSource& file)
        : m_file(file), m_window(static_cast<size_t>(std::min<uint64_t>(file.Size(), 1u << 20)))
    {
    }
    void Read(uint64_t offset, void* out, size_t bytes)
    {
        if (offset + bytes > m_file.Size())
            Lies();
        if (bytes > m_window.size()) {
            m_file.ReadAt(offset, out, bytes);
            return;
        }
        if (offset < m_at || offset + bytes > m_at + m_filled) {
            m_at = offset;
            m_filled = m_file.ReadSome(offset, m_window.data(), m_window.size());
            if (m_filled < bytes)
                Lies();
        }
        std::memcpy(out, m_window.data() + (offset - m_at), bytes);
    }
    std::vector<uint8_t> Body(uint64_t offset, uint32_t size)
    {
        std::vector<uint8_t> b(size);
        if (size)
            Read(offset, b.data(), size);
        return b;
    }

private:
    const ByteSource& m_file;
    std::vector<uint8_t> m_window;
    uint64_t m_at = 0;
    size_t m_filled = 0;
};

struct Chunk {
    uint32_t id = 0;
    uint32_t size = 0;
    uint64_t data = 0; // first byte after the header
    uint64_t End() const { return data + size + (size & 1); }
};

// The chunks of a list's body [from, to); each must end inside it (the pad byte of the last
// may fall just past it, as some writers leave it out).
std::vector<Chunk> ListChunks(WindowReader& r, uint64_t from, uint64_t to)
{
    std::vector<Chunk> out;
    uint64_t at = from;
    while (at + 8 <= to) {
        uint8_t h[8];
        r.Read(at, h, 8);
        Chunk c;
        c.id = Le32(h);
        c.size = Le32(h + 4);
        c.data = at + 8;
        if (c.data + c.size > to)
            Lies();
        out.push_back(c);
        at = c.End();
    }
    return out;
}

uint32_t ListType(WindowReader& r, const Chunk& c)
{
    if (c.size < 4)
        Lies();
    uint8_t t[4];
    r.Read(c.data, t, 4);
    return Le32(t);
}

// Stream number of a data chunk id ("00dc", "01wb", "ix00"): -1 when it names none.
int StreamOfId(uint32_t id, bool index)
{
    auto hex = [](uint32_t c) -> int {
        if (c >= '0' && c <= '9')
            return int(c - '0');
        if (c >= 'a' && c <= 'f')
            return int(c - 'a' + 10);
        if (c >= 'A' && c <= 'F')
            return int(c - 'A' + 10);
        return -1;
    };
    const uint32_t a = index ? (id >> 16) & 0xFF : id & 0xFF;
    const uint32_t b = index ? id >> 24 : (id >> 8) & 0xFF;
    const int hi = hex(a), lo = hex(b);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

void ReadVideoFormat(AviStreamInfo& s)
{
    const std::vector<uint8_t>& f = s.format;
    if (f.size() < 40)
        Lies();
    const uint32_t headerSize = Le32(&f[0]);
    if (headerSize < 40 || headerSize > f.size())
        Lies();
    s.width = static_cast<int32_t>(Le32(&f[4]));
    s.height = static_cast<int32_t>(Le32(&f[8]));
    const uint16_t planes = Le16(&f[12]);
    s.bitCount = Le16(&f[14]);
    s.compression = Le32(&f[16]);
    const uint32_t imageSize = Le32(&f[20]);
    const uint32_t colorsUsed = Le32(&f[32]);
    const int64_t absHeight = s.height < 0 ? -int64_t(s.height) : s.height;
    if (s.width <= 0 || s.width > kMaxDimension || absHeight == 0 || absHeight > kMaxDimension || planes != 1 ||
        s.bitCount > 64 || imageSize > kMaxFrameBytes)
        Lies();
    // A palette of up to 256 entries must lie inside the format.
    const uint64_t colors = colorsUsed ? colorsUsed : (s.bitCount && s.bitCount <= 8 ? 1u << s.bitCount : 0);
    if (colors > 256 || (s.bitCount <= 8 && s.compression == 0 && headerSize + colors * 4 > f.size()))
        Lies();
    if (s.compression == 0 && s.bitCount != 1 && s.bitCount != 4 && s.bitCount != 8 && s.bitCount != 16 &&
        s.bitCount != 24 && s.bitCount != 32)
        Lies();
}

void ReadAudioFormat(const AviStreamInfo& s)
{
    const std::vector<uint8_t>& f = s.format;
    if (f.size() < 14)
        Lies();
    const uint16_t channels = Le16(&f[2]);
    const uint32_t rate = Le32(&f[4]);
    const uint16_t align = Le16(&f[12]);
    if (channels == 0 || rate == 0 || align == 0)
        Lies();
    if (f.size() >= 18 && 18u + Le16(&f[16]) > f.size() && Le16(&f[0]) != WAVE_FORMAT_PCM)
        Lies();
}

void ReadStreamHeader(const std::vector<uint8_t>& h, AviStreamInfo& s)
{
    if (h.size() < 48)
        Lies();
    s.type = Le32(&h[0]);
    s.handler = Le32(&h[4]);
    s.flags = Le32(&h[8]);
    s.scale = Le32(&h[20]);
    s.rate = Le32(&h[24]);
    s.start = Le32(&h[28]);
    s.length = Le32(&h[32]);
    s.suggestedBuffer = Le32(&h[36]);
    s.quality = Le32(&h[40]);
    s.sampleSize = Le32(&h[44]);
    if (h.size() >= 56)
        for (int i = 0; i < 4; ++i)
            s.frame[i] = static_cast<int16_t>(Le16(&h[48 + 2 * i]));
    if ((s.type == kAviVideo || s.type == kAviAudio) && (s.scale == 0 || s.rate == 0))
        Lies();
    if (s.start > kMaxCount || s.length > kMaxCount || uint64_t(s.start) + s.length > kMaxCount ||
        s.suggestedBuffer > kMaxFrameBytes || s.sampleSize > kMaxFrameBytes)
        Lies();
}

struct MoviRange {
    uint64_t from, to; // the list's chunks lie in [from, to)
};

bool InsideMovi(const std::vector<MoviRange>& movis, uint64_t from, uint64_t to)
{
    for (const MoviRange& m : movis)
        if (from >= m.from && to <= m.to)
            return true;
    return false;
}

// A data chunk that an index names: its header must be there, inside a movi list, with the
// id and size the index gives.
void CheckIndexedChunk(WindowReader& r, const std::vector<MoviRange>& movis, uint64_t header, uint32_t id,
                       uint32_t size)
{
    if (!InsideMovi(movis, header, header + 8 + uint64_t(size)))
        Lies();
    uint8_t h[8];
    r.Read(header, h, 8);
    if (Le32(h + 4) != size)
        Lies();
    // "##pc" palette changes and the two-letter kinds may differ in case only; the stream must not.
    if (StreamOfId(Le32(h), false) != StreamOfId(id, false))
        Lies();
}

void ReadIdx1(WindowReader& r, const Chunk& idx1, const std::vector<MoviRange>& movis, uint64_t moviForm,
              AviStructure& avi)
{
    const size_t count = idx1.size / 16;
    if (count > kMaxIndexEntries)
        Lies();
    std::vector<uint8_t> body = r.Body(idx1.data, static_cast<uint32_t>(count * 16));
    // Offsets count from the "movi" form type, or (some writers) from the file's start.
    bool absolute = false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = &body[i * 16];
        if (StreamOfId(Le32(e), false) < 0)
            continue;
        const uint64_t header = moviForm + Le32(e + 8);
        uint8_t h[4] = {};
        absolute = !(header + 8 <= avi.fileSize && (r.Read(header, h, 4), Le32(h) == Le32(e)));
        break;
    }
    std::vector<std::vector<AviChunkRef>> chunks(avi.streams.size());
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = &body[i * 16];
        const uint32_t id = Le32(e);
        if (id == Id("rec ") || id == Id("LIST"))
            continue;
        const int stream = StreamOfId(id, false);
        if (stream < 0 || size_t(stream) >= avi.streams.size())
            Lies();
        const uint64_t header = (absolute ? 0 : moviForm) + Le32(e + 8);
        const uint32_t size = Le32(e + 12);
        CheckIndexedChunk(r, movis, header, id, size);
        chunks[stream].push_back({header + 8, size, (Le32(e + 4) & 0x10) != 0});
    }
    for (size_t s = 0; s < avi.streams.size(); ++s)
        if (!avi.streams[s].hasSuperIndex)
            avi.streams[s].chunks = std::move(chunks[s]);
}

// An OpenDML super index ("indx" of a stream's header list) and the "ix##" indexes it names.
void ReadSuperIndex(WindowReader& r, const std::vector<uint8_t>& indx, const std::vector<MoviRange>& movis,
                    size_t stream, AviStructure& avi)
{
    if (indx.size() < 24)
        Lies();
    const uint16_t longsPerEntry = Le16(&indx[0]);
    const uint8_t indexType = indx[3];
    const uint32_t inUse = Le32(&indx[4]);
    if (longsPerEntry != 4 || indexType != 0 || 24 + uint64_t(inUse) * 16 > indx.size())
        Lies();
    std::vector<AviChunkRef> chunks;
    for (uint32_t k = 0; k < inUse; ++k) {
        const uint8_t* e = &indx[24 + 16 * k];
        const uint64_t at = Le64(e);
        const uint32_t size = Le32(e + 8);
        if (at + uint64_t(size) > avi.fileSize || size < 24)
            Lies();
        uint8_t h[8];
        r.Read(at, h, 8);
        // The entry's size counts the chunk's header (as writers do), or only its body.
        const uint32_t body = Le32(h + 4);
        if ((body != size && uint64_t(body) + 8 != size) || at + 8 + uint64_t(body) > avi.fileSize ||
            StreamOfId(Le32(h), true) != int(stream))
            Lies();
        std::vector<uint8_t> ix = r.Body(at + 8, body);
        const uint16_t perEntry = Le16(&ix[0]);
        const uint32_t n = Le32(&ix[4]);
        const uint64_t base = Le64(&ix[12]);
        if (perEntry != 2 || ix[3] != 1 || 24 + uint64_t(n) * 8 > ix.size() || chunks.size() + n > kMaxIndexEntries)
            Lies();
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t offset = Le32(&ix[24 + 8 * i]);
            const uint32_t word = Le32(&ix[28 + 8 * i]);
            const uint32_t bytes = word & 0x7FFFFFFF;
            const uint64_t data = base + offset;
            if (data < 8)
                Lies();
            CheckIndexedChunk(r, movis, data - 8, Le32(&ix[8]), bytes);
            chunks.push_back({data, bytes, (word & 0x80000000u) == 0});
        }
    }
    avi.streams[stream].chunks = std::move(chunks);
}

// Without an index: the data chunks of the movi lists, in file order ("rec " lists opened).
void WalkMovi(WindowReader& r, uint64_t from, uint64_t to, AviStructure& avi, std::vector<bool>& found)
{
    for (const Chunk& c : ListChunks(r, from, to)) {
        if (c.id == Id("LIST")) {
            if (ListType(r, c) == Id("rec "))
                WalkMovi(r, c.data + 4, c.data + c.size, avi, found);
            continue;
        }
        const int stream = StreamOfId(c.id, false);
        if (stream >= 0 && size_t(stream) < avi.streams.size() && !found[stream])
            avi.streams[stream].chunks.push_back({c.data, c.size, true});
    }
}

} // namespace

const AviStreamInfo* AviStructure::Find(uint32_t type) const
{
    for (const AviStreamInfo& s : streams)
        if (s.type == type)
            return &s;
    return nullptr;
}

std::string FourCCText(uint32_t code)
{
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((code >> (8 * i)) & 0xFF);
        if (static_cast<unsigned char>(c) > 32)
            text[i] = c;
    }
    return text;
}

AviStructure ReadAviStructure(const ByteSource& file, uint32_t kind)
{
    AviStructure avi;
    avi.fileSize = file.Size();
    WindowReader r(file);
    uint8_t head[12] = {};
    if (file.ReadSome(0, head, 12) < 12 || Le32(head) != Id("RIFF") || Le32(head + 8) != Id("AVI "))
        throw CKvSSException(kErrInvalidFormat);

    // The RIFF parts: "AVI " first, then any number of "AVIX".
    std::vector<MoviRange> movis;
    std::vector<Chunk> indexes;
    Chunk hdrl, idx1;
    bool haveHdrl = false, haveIdx1 = false;
    uint64_t firstMoviForm = 0;
    uint64_t at = 0;
    while (at + 12 <= avi.fileSize) {
        uint8_t h[12];
        r.Read(at, h, 12);
        if (Le32(h) != Id("RIFF"))
            break; // trailing bytes that are no RIFF part are not ours
        const uint64_t size = Le32(h + 4);
        const uint32_t form = Le32(h + 8);
        if (size < 4 || at + 8 + size > avi.fileSize || form != (avi.riffParts == 0 ? Id("AVI ") : Id("AVIX")))
            Lies();
        for (const Chunk& c : ListChunks(r, at + 12, at + 8 + size)) {
            if (c.id == Id("LIST")) {
                const uint32_t type = ListType(r, c);
                if (type == Id("hdrl") && avi.riffParts == 0 && !haveHdrl) {
                    hdrl = c;
                    haveHdrl = true;
                } else if (type == Id("hdrl")) {
                    Lies();
                } else if (type == Id("movi")) {
                    if (movis.empty())
                        firstMoviForm = c.data;
                    movis.push_back({c.data + 4, c.data + c.size});
                }
            } else if (c.id == Id("idx1") && avi.riffParts == 0) {
                idx1 = c;
                haveIdx1 = true;
            }
        }
        ++avi.riffParts;
        at += 8 + size + (size & 1);
    }
    if (!haveHdrl || movis.empty())
        Lies();
    avi.moviOffset = firstMoviForm;
    avi.moviSize = movis.front().to - movis.front().from;

    // The header list: "avih", then one "strl" per stream.
    std::vector<Chunk> headerChunks = ListChunks(r, hdrl.data + 4, hdrl.data + hdrl.size);
    if (headerChunks.empty() || headerChunks[0].id != Id("avih") || headerChunks[0].size < 56)
        Lies();
    const std::vector<uint8_t> avih = r.Body(headerChunks[0].data, 56);
    avi.microSecPerFrame = Le32(&avih[0]);
    avi.flags = Le32(&avih[12]);
    avi.totalFrames = Le32(&avih[16]);
    const uint32_t declaredStreams = Le32(&avih[24]);
    avi.suggestedBuffer = Le32(&avih[28]);
    avi.width = Le32(&avih[32]);
    avi.height = Le32(&avih[36]);
    std::vector<std::vector<uint8_t>> superIndexes;
    for (size_t i = 1; i < headerChunks.size(); ++i) {
        const Chunk& c = headerChunks[i];
        if (c.id != Id("LIST") || ListType(r, c) != Id("strl"))
            continue;
        if (avi.streams.size() >= kMaxStreams)
            Lies();
        AviStreamInfo s;
        bool haveStrh = false, haveStrf = false;
        std::vector<uint8_t> indx;
        for (const Chunk& e : ListChunks(r, c.data + 4, c.data + c.size)) {
            if (e.id == Id("strh") && !haveStrh) {
                ReadStreamHeader(r.Body(e.data, e.size), s);
                haveStrh = true;
            } else if (e.id == Id("strf") && !haveStrf) {
                if (e.size > 1u << 20)
                    Lies();
                s.format = r.Body(e.data, e.size);
                haveStrf = true;
            } else if (e.id == Id("indx")) {
                if (e.size > 16u << 20)
                    Lies();
                indx = r.Body(e.data, e.size);
                s.hasSuperIndex = true;
                avi.openDml = true;
            }
        }
        if (!haveStrh || !haveStrf)
            Lies();
        if (s.type == kAviVideo)
            ReadVideoFormat(s);
        else if (s.type == kAviAudio)
            ReadAudioFormat(s);
        avi.streams.push_back(std::move(s));
        superIndexes.push_back(std::move(indx));
    }
    if (avi.streams.empty() || declaredStreams != avi.streams.size())
        Lies();

    // Where the data lie: each stream's OpenDML index, else idx1, else the movi lists themselves.
    std::vector<bool> indexed(avi.streams.size(), false);
    for (size_t s = 0; s < avi.streams.size(); ++s) {
        if (avi.streams[s].hasSuperIndex) {
            ReadSuperIndex(r, superIndexes[s], movis, s, avi);
            indexed[s] = true;
        }
    }
    if (haveIdx1) {
        avi.hasIdx1 = true;
        ReadIdx1(r, idx1, movis, firstMoviForm, avi);
        std::fill(indexed.begin(), indexed.end(), true);
    }
    if (std::find(indexed.begin(), indexed.end(), false) != indexed.end())
        for (const MoviRange& m : movis)
            WalkMovi(r, m.from, m.to, avi, indexed);

    for (AviStreamInfo& s : avi.streams)
        for (const AviChunkRef& c : s.chunks)
            s.largestChunk = std::max(s.largestChunk, c.size);
    if (kind && !avi.Find(kind))
        throw CKvSSException(kErrNotSupported);
    return avi;
}
