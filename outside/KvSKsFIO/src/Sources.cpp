#include "Sources.h"

#include "KvSSException.h"

#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

class RawSource : public SoundSource {
public:
    RawSource(const char* path, const SoundFile& sound)
        : m_file(path), m_at(sound.dataOffset), m_left(sound.frames), m_align(sound.format.BlockAlign())
    {
    }
    size_t Read(uint8_t* buffer, size_t frames) override
    {
        const size_t take = static_cast<size_t>(std::min<uint64_t>(frames, m_left));
        m_file.ReadAt(m_at, buffer, take * m_align);
        m_at += take * m_align;
        m_left -= take;
        return take;
    }

private:
    InFile m_file;
    uint64_t m_at;
    uint64_t m_left;
    size_t m_align;
};

struct MpegHeader {
    int layer = 0;
    DWORD rate = 0;
    WORD channels = 0;
    DWORD bitrate = 0; // bits per second
};

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
    out->layer = layer;
    out->rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    out->channels = ((h[3] >> 6) == 3) ? 1 : 2;
    out->bitrate = 1000u * (version == 3 ? kV1[layer - 1][bitrateIndex] : kV2[layer == 1 ? 0 : 1][bitrateIndex]);
    return true;
}

uint64_t Id3Size(const InFile& file)
{
    uint8_t h[10];
    if (file.ReadSome(0, h, 10) == 10 && std::memcmp(h, "ID3", 3) == 0)
        return 10 + ((h[6] & 0x7F) << 21 | (h[7] & 0x7F) << 14 | (h[8] & 0x7F) << 7 | (h[9] & 0x7F));
    return 0;
}

// Offset of the first frame header at or after from, within the first 64 KB.
bool FindMpegFrame(const InFile& file, uint64_t from, uint64_t* at, MpegHeader* header)
{
    std::vector<uint8_t> b(65536);
    const size_t n = file.ReadSome(from, b.data(), b.size());
    for (size_t i = 0; i + 4 <= n; ++i) {
        if (ParseMpegHeader(&b[i], header)) {
            *at = from + i;
            return true;
        }
    }
    return false;
}

class AcmSource : public SoundSource {
public:
    AcmSource(const char* path, const SoundFile& sound) : m_file(path), m_channels(sound.format.channels)
    {
        MpegHeader header;
        uint64_t at = 0;
        if (!FindMpegFrame(m_file, Id3Size(m_file), &at, &header))
            throw CKvSSException(kErrInvalidFormat);
        m_at = at;
        MPEGLAYER3WAVEFORMAT in{};
        in.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        in.wfx.nChannels = header.channels;
        in.wfx.nSamplesPerSec = header.rate;
        in.wfx.nAvgBytesPerSec = header.bitrate / 8;
        in.wfx.nBlockAlign = 1;
        in.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        in.wID = MPEGLAYER3_ID_MPEG;
        in.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
        in.nBlockSize = static_cast<WORD>(144 * header.bitrate / header.rate);
        in.nFramesPerBlock = 1;
        in.nCodecDelay = 0;
        WAVEFORMATEX out{};
        out.wFormatTag = WAVE_FORMAT_PCM;
        out.nChannels = header.channels;
        out.nSamplesPerSec = header.rate;
        out.wBitsPerSample = 16;
        out.nBlockAlign = static_cast<WORD>(2 * header.channels);
        out.nAvgBytesPerSec = out.nBlockAlign * header.rate;
        if (header.layer != 3 ||
            acmStreamOpen(&m_stream, nullptr, &in.wfx, &out, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0)
            throw CKvSSException(kErrNoDecoder);
        m_in.resize(16384);
        m_out.resize(1 << 18);
    }
    ~AcmSource() override
    {
        if (m_stream)
            acmStreamClose(m_stream, 0);
    }
    size_t Read(uint8_t* buffer, size_t frames) override
    {
        const size_t align = 2u * m_channels;
        size_t done = 0;
        while (done < frames) {
            if (m_pending.empty() && !Decode())
                break;
            const size_t take = std::min(frames - done, m_pending.size() / align);
            if (take == 0)
                break;
            std::memcpy(buffer + done * align, m_pending.data(), take * align);
            m_pending.erase(m_pending.begin(), m_pending.begin() + take * align);
            done += take;
        }
        return done;
    }

private:
    bool Decode()
    {
        if (m_ended)
            return false;
        const size_t n = m_file.ReadSome(m_at, m_in.data(), m_in.size());
        m_at += n;
        ACMSTREAMHEADER h{};
        h.cbStruct = sizeof h;
        h.pbSrc = m_in.data();
        h.cbSrcLength = static_cast<DWORD>(n);
        h.pbDst = m_out.data();
        h.cbDstLength = static_cast<DWORD>(m_out.size());
        if (acmStreamPrepareHeader(m_stream, &h, 0) != 0)
            throw CKvSSException(kErrNoDecoder);
        const MMRESULT r = acmStreamConvert(m_stream, &h, n ? ACM_STREAMCONVERTF_BLOCKALIGN : ACM_STREAMCONVERTF_END);
        acmStreamUnprepareHeader(m_stream, &h, 0);
        if (r != 0)
            throw CKvSSException(kErrInvalidFormat);
        m_pending.insert(m_pending.end(), m_out.begin(), m_out.begin() + h.cbDstLengthUsed);
        if (n == 0)
            m_ended = true;
        return !m_pending.empty() || !m_ended;
    }

    InFile m_file;
    WORD m_channels;
    uint64_t m_at = 0;
    HACMSTREAM m_stream = nullptr;
    std::vector<uint8_t> m_in, m_out, m_pending;
    bool m_ended = false;
};

} // namespace

std::unique_ptr<SoundSource> OpenRawSource(const char* path, const SoundFile& sound)
{
    return std::unique_ptr<SoundSource>(new RawSource(path, sound));
}

void ReadMpegInfo(const InFile& file, SoundFile* sound)
{
    MpegHeader header;
    uint64_t at = 0;
    if (!FindMpegFrame(file, Id3Size(file), &at, &header))
        throw CKvSSException(kErrInvalidFormat);
    SoundFile s;
    s.type = kTypeMpeg;
    s.format.coding = Coding::PcmLE;
    s.format.channels = header.channels;
    s.format.rate = header.rate;
    s.format.containerBits = s.format.validBits = 16;
    s.frames = (file.Size() - at) * 8 * header.rate / std::max<DWORD>(1, header.bitrate);
    *sound = std::move(s);
}

std::unique_ptr<SoundSource> OpenMpegSource(const char* path, const SoundFile& sound)
{
    return std::unique_ptr<SoundSource>(new AcmSource(path, sound));
}

