#include "Sources.h"

#include "FiniteSamples.h"
#include "KvSSException.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

class RawSource : public SoundSource {
public:
    RawSource(const char* path, const SoundFile& sound)
        : m_file(path), m_at(sound.dataOffset), m_left(sound.frames), m_align(sound.format.BlockAlign()),
          m_floats(sound.format.coding == Coding::FloatLE || sound.format.coding == Coding::FloatBE),
          m_bigEndian(sound.format.coding == Coding::FloatBE)
    {
    }
    size_t Read(uint8_t* buffer, size_t frames) override
    {
        const size_t take = static_cast<size_t>(std::min<uint64_t>(frames, m_left));
        m_file.ReadAt(m_at, buffer, take * m_align);
        // NaN and infinities go no further than the door.
        if (m_floats)
            MakeFinite(buffer, take * m_align / 4, m_bigEndian);
        m_at += take * m_align;
        m_left -= take;
        return take;
    }

private:
    InFile m_file;
    uint64_t m_at;
    uint64_t m_left;
    size_t m_align;
    bool m_floats, m_bigEndian;
};

} // namespace

std::unique_ptr<SoundSource> OpenRawSource(const char* path, const SoundFile& sound)
{
    return std::unique_ptr<SoundSource>(new RawSource(path, sound));
}
