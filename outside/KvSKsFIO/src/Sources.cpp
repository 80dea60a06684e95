#include "Sources.h"

#include "FiniteSamples.h"
#include "KvSSException.h"

#include <vfw.h>

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

struct AviLibrary {
    AviLibrary() { AVIFileInit(); }
    ~AviLibrary() { AVIFileExit(); }
};

class AviSource : public SoundSource {
public:
    AviSource(const char* path, const SoundFile& sound) : m_align(sound.format.BlockAlign()), m_left(sound.frames)
    {
        if (AVIStreamOpenFromFileA(&m_stream, path, streamtypeAUDIO, 0, OF_READ, nullptr) != 0)
            throw CKvSSException(kErrCannotOpen);
        m_next = AVIStreamStart(m_stream);
    }
    ~AviSource() override
    {
        if (m_stream)
            AVIStreamRelease(m_stream);
    }
    // Reads until the stream gives no more: some writers state a length in chunks, not samples.
    size_t Read(uint8_t* buffer, size_t frames) override
    {
        if (m_ended)
            return 0;
        const LONG take = static_cast<LONG>(std::min<size_t>(frames, 1 << 20));
        LONG bytes = 0, samples = 0;
        if (AVIStreamRead(m_stream, m_next, take, buffer, static_cast<LONG>(take * m_align), &bytes, &samples) != 0 ||
            bytes <= 0) {
            if (m_next == AVIStreamStart(m_stream) && m_left > 0)
                throw CKvSSException(kErrDamagedRiff);
            m_ended = true;
            return 0;
        }
        const size_t got = static_cast<size_t>(bytes) / m_align;
        m_next += samples;
        return got;
    }

private:
    AviLibrary m_library;
    PAVISTREAM m_stream = nullptr;
    size_t m_align;
    uint64_t m_left;
    LONG m_next = 0;
    bool m_ended = false;
};

} // namespace

std::unique_ptr<SoundSource> OpenRawSource(const char* path, const SoundFile& sound)
{
    return std::unique_ptr<SoundSource>(new RawSource(path, sound));
}

void ReadAviInfo(const char* path, SoundFile* sound, bool* hasVideo)
{
    AviLibrary library;
    PAVIFILE file = nullptr;
    if (AVIFileOpenA(&file, path, OF_READ, nullptr) != 0)
        throw CKvSSException(kErrDamagedRiff);
    PAVISTREAM video = nullptr;
    *hasVideo = AVIFileGetStream(file, &video, streamtypeVIDEO, 0) == 0;
    if (video)
        AVIStreamRelease(video);
    PAVISTREAM audio = nullptr;
    SoundFile s;
    s.type = kTypeAvi;
    if (AVIFileGetStream(file, &audio, streamtypeAUDIO, 0) == 0) {
        std::vector<uint8_t> fmt(4096);
        LONG size = static_cast<LONG>(fmt.size());
        const bool ok = AVIStreamReadFormat(audio, AVIStreamStart(audio), fmt.data(), &size) == 0 && size >= 16;
        const LONG length = AVIStreamLength(audio);
        AVIStreamRelease(audio);
        AVIFileRelease(file);
        if (!ok)
            throw CKvSSException(kErrDamagedRiff);
        WAVEFORMATEX wf{};
        std::memcpy(&wf, fmt.data(), std::min<size_t>(size, sizeof wf));
        if (wf.wFormatTag != WAVE_FORMAT_PCM)
            throw CKvSSException(kErrNoDecoder);
        s.format.coding = Coding::PcmLE;
        s.format.channels = wf.nChannels;
        s.format.rate = wf.nSamplesPerSec;
        s.format.containerBits = s.format.validBits = wf.wBitsPerSample;
        if (wf.nChannels == 0 || wf.nSamplesPerSec == 0)
            throw CKvSSException(kErrInvalidFormat);
        if (wf.nChannels > kMaxChannels ||
            (wf.wBitsPerSample != 8 && wf.wBitsPerSample != 16 && wf.wBitsPerSample != 24 && wf.wBitsPerSample != 32))
            throw CKvSSException(kErrNotSupported);
        s.frames = length > 0 ? static_cast<uint64_t>(length) : 0;
    } else {
        AVIFileRelease(file);
    }
    *sound = std::move(s);
}

std::unique_ptr<SoundSource> OpenAviSource(const char* path, const SoundFile& sound)
{
    return std::unique_ptr<SoundSource>(new AviSource(path, sound));
}
