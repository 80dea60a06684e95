#include "AviWriter.h"

#include "KvSSException.h"
#include "LittleEndian.h"
#include "SoundFile.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kKeyFrame = 0x10;       // idx1 flag
constexpr uint32_t kHasIndex = 0x10;       // avih flags
constexpr uint32_t kIsInterleaved = 0x100; // avih flags

void PutId(std::vector<uint8_t>& o, const char* id)
{
    o.insert(o.end(), id, id + 4);
}
void PutChunk(std::vector<uint8_t>& o, const char* id, const std::vector<uint8_t>& body)
{
    PutId(o, id);
    Put32(o, uint32_t(body.size()));
    o.insert(o.end(), body.begin(), body.end());
    if (body.size() & 1)
        o.push_back(0);
}
void PutList(std::vector<uint8_t>& o, const char* type, const std::vector<uint8_t>& body)
{
    PutId(o, "LIST");
    Put32(o, uint32_t(body.size() + 4));
    PutId(o, type);
    o.insert(o.end(), body.begin(), body.end());
}
uint64_t Padded(uint64_t n)
{
    return n + (n & 1);
}

// One chunk of the movi lists: a video frame (its source bytes) or a second of sound.
struct Item {
    int stream;
    uint32_t size;
    bool key;
    uint64_t from; // video: offset in the source; sound: first frame
};

struct Part {
    size_t first = 0, end = 0; // items [first, end)
    uint64_t offset = 0;       // of the part's RIFF header
    uint64_t moviForm = 0;     // of its "movi" form type
    uint64_t size = 0;         // whole part, headers included
};

// The source's chunks, read in file order through one window of its bytes: a read a chunk
// would cost a system call for every frame.
class WindowReader {
public:
    explicit WindowReader(const InFile& file) : m_file(file) {}
    void Read(uint64_t offset, uint8_t* out, size_t bytes)
    {
        if (bytes > kWindow) {
            m_file.ReadAt(offset, out, bytes);
            return;
        }
        if (offset < m_start || offset + bytes > m_start + m_data.size()) {
            m_data.resize(kWindow);
            m_data.resize(m_file.ReadSome(offset, m_data.data(), m_data.size()));
            m_start = offset;
            if (m_data.size() < bytes)
                throw CKvSSException(kErrDamagedRiff);
        }
        std::memcpy(out, m_data.data() + (offset - m_start), bytes);
    }

private:
    // Small enough to stay in the processor's cache until copied out (4-MiB pieces were slower).
    static constexpr size_t kWindow = 256u << 10;
    const InFile& m_file;
    std::vector<uint8_t> m_data;
    uint64_t m_start = 0;
};

// The output, gathered into blocks: each chunk is built in place at the end of the block, its
// bytes read straight into it, so that a frame is copied once on its way out. A block is small
// enough to be still in the processor's cache when the system copies it to the file (writes
// of 4 MiB took half as long again as writes of 64 KiB).
class OutBlock {
public:
    explicit OutBlock(const std::function<void(const void*, size_t)>& write)
        : m_write(write), m_data(new uint8_t[kBlock]), m_capacity(kBlock)
    {
    }
    // Room for n bytes at the end (written before, when they do not fit).
    uint8_t* Reserve(size_t n)
    {
        if (m_used + n > m_capacity) {
            Flush();
            if (n > m_capacity) {
                m_data.reset(new uint8_t[n]);
                m_capacity = n;
            }
        }
        uint8_t* at = m_data.get() + m_used;
        m_used += n;
        m_done += n;
        return at;
    }
    void Put(const std::vector<uint8_t>& bytes)
    {
        if (bytes.size() >= kBlock) { // an index of a long file: no copy
            Flush();
            m_write(bytes.data(), bytes.size());
            m_done += bytes.size();
            return;
        }
        std::memcpy(Reserve(bytes.size()), bytes.data(), bytes.size());
    }
    void Flush()
    {
        if (m_used)
            m_write(m_data.get(), m_used);
        m_used = 0;
    }
    uint64_t Done() const { return m_done; }

private:
    static constexpr size_t kBlock = 64u << 10;
    const std::function<void(const void*, size_t)>& m_write;
    std::unique_ptr<uint8_t[]> m_data;
    size_t m_capacity;
    size_t m_used = 0;
    uint64_t m_done = 0; // bytes given, written or waiting
};

const char* const kIds[2] = {"00dc", "01wb"};
const char* const kIndexIds[2] = {"ix00", "ix01"};

class Plan {
public:
    Plan(const AviWriteVideo& video, const AviWriteAudio& audio) : m_video(video), m_audio(audio)
    {
        const AviStreamInfo& v = video.stream;
        const size_t frames = v.chunks.size();
        size_t next = 0;
        const uint64_t seconds = std::max<uint64_t>((audio.frames + audio.rate - 1) / audio.rate,
                                                    frames ? (uint64_t(frames) * v.scale + v.rate - 1) / v.rate : 0);
        for (uint64_t s = 0; s < seconds || next < frames; ++s) {
            // The frames that start within second s, then that second of sound.
            while (next < frames && uint64_t(next) * v.scale < (s + 1) * v.rate) {
                m_items.push_back({0, v.chunks[next].size, v.chunks[next].key, v.chunks[next].offset});
                ++next;
            }
            const uint64_t first = s * audio.rate;
            if (first < audio.frames) {
                const uint64_t count = std::min<uint64_t>(audio.rate, audio.frames - first);
                m_items.push_back({1, static_cast<uint32_t>(count * audio.blockAlign), true, first});
            }
        }
    }

    const std::vector<Item>& Items() const { return m_items; }

    // The parts for a limit; one part when openDml is false (whatever its size).
    std::vector<Part> Lay(bool openDml, uint64_t limit, size_t reservedParts) const
    {
        std::vector<Part> parts;
        Part p;
        p.offset = 0;
        p.moviForm = HeaderBytes(openDml, reservedParts) - 4;
        uint64_t at = p.moviForm + 4;
        uint64_t count[2] = {0, 0};
        for (size_t i = 0; i < m_items.size(); ++i) {
            const uint64_t chunk = 8 + Padded(m_items[i].size);
            uint64_t next[2] = {count[0], count[1]};
            ++next[m_items[i].stream];
            const uint64_t tail = Tail(openDml, parts.empty(), next, i + 1 - p.first);
            if (openDml && i > p.first && at + chunk + tail - p.offset > limit) {
                p.end = i;
                p.size = at + Tail(openDml, parts.empty(), count, i - p.first) - p.offset;
                parts.push_back(p);
                p = Part();
                p.first = i;
                p.offset = parts.back().offset + parts.back().size;
                p.moviForm = p.offset + 20;
                at = p.moviForm + 4;
                count[0] = count[1] = 0;
            }
            at += chunk;
            ++count[m_items[i].stream];
        }
        p.end = m_items.size();
        p.size = at + Tail(openDml, parts.empty(), count, p.end - p.first) - p.offset;
        parts.push_back(p);
        return parts;
    }

    // Bytes before the first movi chunk: RIFF, header list, movi list header.
    uint64_t HeaderBytes(bool openDml, size_t reservedParts) const
    {
        std::vector<uint8_t> h = Header(openDml, std::vector<Part>(), reservedParts);
        return h.size();
    }

    std::vector<uint8_t> Header(bool openDml, const std::vector<Part>& parts, size_t reservedParts) const;
    std::vector<uint8_t> ChunkIndex(int stream, const Part& part) const;
    std::vector<uint8_t> Idx1(const Part& part) const;

private:
    // What follows a part's chunks: its two chunk indexes (OpenDML) and, in the first, idx1.
    static uint64_t Tail(bool openDml, bool first, const uint64_t count[2], size_t items)
    {
        uint64_t t = 0;
        if (openDml)
            t += 2 * (8 + 24) + 8 * (count[0] + count[1]);
        if (first)
            t += 8 + 16 * uint64_t(items);
        return t;
    }

    const AviWriteVideo& m_video;
    const AviWriteAudio& m_audio;
    std::vector<Item> m_items;
};

std::vector<uint8_t> Plan::Header(bool openDml, const std::vector<Part>& parts, size_t reservedParts) const
{
    const AviStreamInfo& v = m_video.stream;
    uint32_t maxVideo = 0, maxAudio = 0, framesInFirst = 0;
    const size_t firstEnd = parts.empty() ? m_items.size() : parts.front().end;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const Item& it = m_items[i];
        (it.stream ? maxAudio : maxVideo) = std::max(it.stream ? maxAudio : maxVideo, it.size);
        if (it.stream == 0 && i < firstEnd)
            ++framesInFirst;
    }
    const uint32_t frames = static_cast<uint32_t>(v.chunks.size());
    const int32_t width = v.width, height = v.height < 0 ? -v.height : v.height;

    std::vector<uint8_t> avih;
    Put32(avih, static_cast<uint32_t>(uint64_t(v.scale) * 1000000 / v.rate));
    Put32(avih, static_cast<uint32_t>(std::min<uint64_t>(0xFFFFFFFF, uint64_t(maxVideo) * v.rate / v.scale +
                                                                            uint64_t(m_audio.rate) * m_audio.blockAlign)));
    Put32(avih, 0);
    Put32(avih, kHasIndex | kIsInterleaved);
    Put32(avih, openDml ? framesInFirst : frames);
    Put32(avih, 0);
    Put32(avih, 2);
    Put32(avih, std::max(maxVideo, maxAudio) + 8);
    Put32(avih, static_cast<uint32_t>(width));
    Put32(avih, static_cast<uint32_t>(height));
    for (int i = 0; i < 4; ++i)
        Put32(avih, 0);

    auto superIndex = [&](int stream) {
        std::vector<uint8_t> x;
        Put16(x, 4);
        x.push_back(0);
        x.push_back(0); // an index of indexes
        Put32(x, static_cast<uint32_t>(parts.size()));
        PutId(x, kIds[stream]);
        for (int i = 0; i < 3; ++i)
            Put32(x, 0);
        for (size_t k = 0; k < reservedParts; ++k) {
            if (k < parts.size()) {
                const Part& p = parts[k];
                uint64_t at = p.moviForm + 4;
                uint32_t duration = 0;
                for (size_t i = p.first; i < p.end; ++i) {
                    at += 8 + Padded(m_items[i].size);
                    if (m_items[i].stream == stream)
                        duration += stream ? m_items[i].size / m_audio.blockAlign : 1;
                }
                // The video's chunk index comes first, then the sound's.
                uint64_t ix = at;
                if (stream == 1)
                    ix += ChunkIndex(0, p).size();
                Put64(x, ix);
                Put32(x, static_cast<uint32_t>(ChunkIndex(stream, p).size()));
                Put32(x, duration);
            } else {
                Put64(x, 0);
                Put32(x, 0);
                Put32(x, 0);
            }
        }
        return x;
    };

    std::vector<uint8_t> videoHeader;
    PutId(videoHeader, "vids");
    Put32(videoHeader, v.handler);
    Put32(videoHeader, 0);
    Put32(videoHeader, 0);
    Put32(videoHeader, 0);
    Put32(videoHeader, v.scale);
    Put32(videoHeader, v.rate);
    Put32(videoHeader, 0);
    Put32(videoHeader, frames);
    Put32(videoHeader, maxVideo);
    Put32(videoHeader, 0xFFFFFFFF);
    Put32(videoHeader, 0);
    Put16(videoHeader, 0);
    Put16(videoHeader, 0);
    Put16(videoHeader, static_cast<uint16_t>(width));
    Put16(videoHeader, static_cast<uint16_t>(height));
    std::vector<uint8_t> videoList;
    PutChunk(videoList, "strh", videoHeader);
    PutChunk(videoList, "strf", v.format);
    if (openDml)
        PutChunk(videoList, "indx", superIndex(0));

    std::vector<uint8_t> audioHeader;
    PutId(audioHeader, "auds");
    Put32(audioHeader, 0);
    Put32(audioHeader, 0);
    Put32(audioHeader, 0);
    Put32(audioHeader, 0);
    Put32(audioHeader, m_audio.blockAlign);
    Put32(audioHeader, m_audio.rate * m_audio.blockAlign);
    Put32(audioHeader, 0);
    Put32(audioHeader, static_cast<uint32_t>(m_audio.frames));
    Put32(audioHeader, maxAudio);
    Put32(audioHeader, 0xFFFFFFFF);
    Put32(audioHeader, m_audio.blockAlign);
    for (int i = 0; i < 4; ++i)
        Put16(audioHeader, 0);
    std::vector<uint8_t> audioList;
    PutChunk(audioList, "strh", audioHeader);
    PutChunk(audioList, "strf", m_audio.format);
    if (openDml)
        PutChunk(audioList, "indx", superIndex(1));

    std::vector<uint8_t> hdrl;
    PutChunk(hdrl, "avih", avih);
    PutList(hdrl, "strl", videoList);
    PutList(hdrl, "strl", audioList);
    if (openDml) {
        std::vector<uint8_t> dmlh;
        Put32(dmlh, frames);
        dmlh.resize(248, 0);
        std::vector<uint8_t> odml;
        PutChunk(odml, "dmlh", dmlh);
        PutList(hdrl, "odml", odml);
    }
    std::vector<uint8_t> out;
    PutId(out, "RIFF");
    Put32(out, static_cast<uint32_t>(parts.empty() ? 0 : parts.front().size - 8));
    PutId(out, "AVI ");
    PutList(out, "hdrl", hdrl);
    // The movi list's header; its size is that of the first part's chunks and indexes.
    PutId(out, "LIST");
    uint64_t moviSize = 4;
    if (!parts.empty()) {
        const Part& p = parts.front();
        for (size_t i = p.first; i < p.end; ++i)
            moviSize += 8 + Padded(m_items[i].size);
        if (openDml)
            moviSize += ChunkIndex(0, p).size() + ChunkIndex(1, p).size();
    }
    Put32(out, static_cast<uint32_t>(moviSize));
    PutId(out, "movi");
    return out;
}

std::vector<uint8_t> Plan::ChunkIndex(int stream, const Part& part) const
{
    std::vector<uint8_t> body;
    uint32_t n = 0;
    for (size_t i = part.first; i < part.end; ++i)
        n += m_items[i].stream == stream;
    Put16(body, 2);
    body.push_back(0);
    body.push_back(1); // an index of chunks
    Put32(body, n);
    PutId(body, kIds[stream]);
    Put64(body, part.moviForm);
    Put32(body, 0);
    uint64_t at = part.moviForm + 4;
    for (size_t i = part.first; i < part.end; ++i) {
        const Item& it = m_items[i];
        if (it.stream == stream) {
            Put32(body, static_cast<uint32_t>(at + 8 - part.moviForm));
            Put32(body, it.size | (it.key ? 0 : 0x80000000u));
        }
        at += 8 + Padded(it.size);
    }
    std::vector<uint8_t> chunk;
    PutChunk(chunk, kIndexIds[stream], body);
    return chunk;
}

std::vector<uint8_t> Plan::Idx1(const Part& part) const
{
    std::vector<uint8_t> body;
    uint64_t at = 4; // from the "movi" form type
    for (size_t i = part.first; i < part.end; ++i) {
        const Item& it = m_items[i];
        PutId(body, kIds[it.stream]);
        Put32(body, it.key ? kKeyFrame : 0);
        Put32(body, static_cast<uint32_t>(at));
        Put32(body, it.size);
        at += 8 + Padded(it.size);
    }
    std::vector<uint8_t> chunk;
    PutChunk(chunk, "idx1", body);
    return chunk;
}

} // namespace

std::vector<uint8_t> PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t channelMask)
{
    static const uint8_t kPcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                         0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    const uint16_t align = static_cast<uint16_t>(channels * (bits / 8));
    std::vector<uint8_t> f;
    Put16(f, channels > 2 ? 0xFFFE : 1);
    Put16(f, channels);
    Put32(f, rate);
    Put32(f, rate * align);
    Put16(f, align);
    Put16(f, bits);
    if (channels > 2) {
        Put16(f, 22);
        Put16(f, bits);
        Put32(f, channelMask);
        f.insert(f.end(), kPcmGuid, kPcmGuid + 16);
    }
    return f;
}

void WriteAvi(const std::function<void(const void*, size_t)>& write, const AviWriteVideo& video,
              const AviWriteAudio& audio, const AviWriteOptions& options)
{
    const AviStreamInfo& v = video.stream;
    if ((!video.file && !video.readFrame) || v.type != kAviVideo || v.scale == 0 || v.rate == 0 || v.chunks.empty())
        throw CKvSSException(static_cast<HRESULT>(0x83E8044F)); // no video data
    if (audio.rate == 0 || audio.blockAlign == 0 || !audio.read)
        throw CKvSSException(E_INVALIDARG);
    const Plan plan(video, audio);
    bool openDml = false;
    size_t reserved = 0;
    std::vector<Part> parts = plan.Lay(false, options.partLimit, 0);
    if (parts.front().size > options.partLimit) {
        if (!options.allowOpenDml || !options.allowOpenDml())
            throw CKvSSException(kErrCancelled);
        // The super indexes keep room for the parts: lay again until the room is enough.
        openDml = true;
        for (reserved = 1;; reserved = parts.size() + 4) {
            parts = plan.Lay(true, options.partLimit, reserved);
            if (parts.size() <= reserved)
                break;
        }
    }
    const uint64_t total = parts.back().offset + parts.back().size;
    std::unique_ptr<WindowReader> source(video.file ? new WindowReader(*video.file) : nullptr);
    OutBlock out(write);
    for (size_t k = 0; k < parts.size(); ++k) {
        const Part& p = parts[k];
        if (k == 0) {
            out.Put(plan.Header(openDml, parts, reserved));
        } else {
            std::vector<uint8_t> h;
            PutId(h, "RIFF");
            Put32(h, static_cast<uint32_t>(p.size - 8));
            PutId(h, "AVIX");
            PutId(h, "LIST");
            uint64_t movi = 4 + plan.ChunkIndex(0, p).size() + plan.ChunkIndex(1, p).size();
            for (size_t i = p.first; i < p.end; ++i)
                movi += 8 + Padded(plan.Items()[i].size);
            Put32(h, static_cast<uint32_t>(movi));
            PutId(h, "movi");
            out.Put(h);
        }
        for (size_t i = p.first; i < p.end; ++i) {
            const Item& it = plan.Items()[i];
            uint8_t* chunk = out.Reserve(8 + Padded(it.size));
            std::memcpy(chunk, kIds[it.stream], 4);
            std::memcpy(chunk + 4, &it.size, 4);
            if (it.stream == 0 && video.readFrame)
                video.readFrame(it.from, chunk + 8);
            else if (it.stream == 0)
                source->Read(it.from, chunk + 8, it.size);
            else
                audio.read(it.from, it.size / audio.blockAlign, chunk + 8);
            if (it.size & 1)
                chunk[8 + it.size] = 0;
            if (options.progress && options.progress(out.Done(), total))
                throw CKvSSException(kErrCancelled);
        }
        if (openDml) {
            out.Put(plan.ChunkIndex(0, p));
            out.Put(plan.ChunkIndex(1, p));
        }
        if (k == 0)
            out.Put(plan.Idx1(p));
    }
    out.Flush();
}
