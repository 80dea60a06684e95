// The sound of an AVI file, read by our own code from the chunks our structure walk found:
// the system's AVI library never sees the file.
#include "AviStructure.h"
#include "FiniteSamples.h"
#include "KvSSException.h"
#include "Sources.h"

#include <algorithm>

namespace {

// The stream's chunks as one run of bytes, cut into whole frames.
class AviPcmSource : public SoundSource {
public:
    AviPcmSource(const char* path, const SoundFile& sound)
        : m_file(path), m_align(sound.format.BlockAlign()), m_left(sound.frames),
          m_floats(sound.format.coding == Coding::FloatLE)
    {
        const AviStructure avi = ReadAviStructure(m_file, kAviAudio);
        m_chunks = avi.Find(kAviAudio)->chunks;
    }
    size_t Read(uint8_t* buffer, size_t frames) override
    {
        size_t want = static_cast<size_t>(std::min<uint64_t>(frames, m_left)) * m_align;
        size_t done = 0;
        while (done < want && m_chunk < m_chunks.size()) {
            const AviChunkRef& c = m_chunks[m_chunk];
            const size_t take = std::min<size_t>(want - done, c.size - m_inChunk);
            m_file.ReadAt(c.offset + m_inChunk, buffer + done, take);
            done += take;
            m_inChunk += take;
            if (m_inChunk == c.size) {
                ++m_chunk;
                m_inChunk = 0;
            }
        }
        const size_t got = done / m_align;
        // NaN and infinities go no further than the door.
        if (m_floats)
            MakeFinite(buffer, got * m_align / 4, false);
        m_left -= got;
        return got;
    }

private:
    InFile m_file;
    size_t m_align;
    uint64_t m_left;
    std::vector<AviChunkRef> m_chunks;
    size_t m_chunk = 0;
    size_t m_inChunk = 0;
    bool m_floats;
};

} // namespace

void ReadAviInfo(const char* path, SoundFile* sound, bool* hasVideo)
{
    const AviStructure avi = ReadAviStructure(path, 0);
    *hasVideo = avi.Find(kAviVideo) != nullptr;
    SoundFile s;
    s.type = kTypeAvi;
    if (const AviStreamInfo* audio = avi.Find(kAviAudio)) {
        // Compressed sound needs a decoder this module does not have.
        const WORD tag = static_cast<WORD>(audio->format[0] | audio->format[1] << 8);
        if (tag != WAVE_FORMAT_PCM && tag != WAVE_FORMAT_IEEE_FLOAT && tag != WAVE_FORMAT_EXTENSIBLE)
            throw CKvSSException(kErrNoDecoder);
        std::vector<uint8_t> format = audio->format;
        if (tag == WAVE_FORMAT_PCM && format.size() > 16)
            format.resize(16); // a stray extra size after a PCM format means nothing
        ReadWaveFormat(format, &s.format);
        uint64_t bytes = 0;
        for (const AviChunkRef& c : audio->chunks)
            bytes += c.size;
        s.frames = bytes / s.format.BlockAlign();
    }
    *sound = std::move(s);
}

std::unique_ptr<SoundSource> OpenAviSource(const char* path, const SoundFile& sound)
{
    return std::unique_ptr<SoundSource>(new AviPcmSource(path, sound));
}
