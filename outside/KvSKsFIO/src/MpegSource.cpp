// MPEG audio: the decode of layer III through the system's ACM decoder to the stream's true
// end (the stream's frames and length: MpegStream.cpp).
#include "MpegStream.h"
#include "Sources.h"

#include "KvSSException.h"

#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

void ReadMpegInfo(const InFile& file, SoundFile* sound)
{
    const MpegStream stream = ReadMpegStream(file);
    SoundFile s;
    s.type = kTypeMpeg;
    s.format.coding = Coding::PcmLE;
    s.format.channels = stream.first.channels;
    s.format.rate = stream.first.rate;
    s.format.containerBits = s.format.validBits = 16;
    s.dataOffset = stream.audioStart;
    s.frames = stream.Length();
    *sound = std::move(s);
}

namespace {

// Layer III through the system's decoder. The decoder is fed until the stream's bytes are
// used up and then drained until it gives nothing more; the frames it gave must reach the
// stream's own length, else the file is cut short or damaged.
class AcmSource : public SoundSource {
public:
    AcmSource(const char* path) : m_file(path), m_stream(ReadMpegStream(m_file))
    {
        const MpegHeader& h = m_stream.first;
        if (h.layer != 3)
            throw CKvSSException(kErrNoDecoder);
        MPEGLAYER3WAVEFORMAT in{};
        in.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        in.wfx.nChannels = h.channels;
        in.wfx.nSamplesPerSec = h.rate;
        in.wfx.nAvgBytesPerSec = h.bitrate / 8;
        in.wfx.nBlockAlign = 1;
        in.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        in.wID = MPEGLAYER3_ID_MPEG;
        in.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
        in.nBlockSize = static_cast<WORD>(h.frameBytes);
        in.nFramesPerBlock = 1;
        in.nCodecDelay = 0;
        WAVEFORMATEX out = Pcm16Format(h.channels, h.rate);
        m_align = out.nBlockAlign;
        if (acmStreamOpen(&m_acm, nullptr, &in.wfx, &out, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0)
            throw CKvSSException(kErrNoDecoder);
        m_at = m_stream.audioStart;
        m_skip = m_stream.SkipAtStart();
        m_wanted = m_stream.Length();
    }
    ~AcmSource() override
    {
        if (m_acm)
            acmStreamClose(m_acm, 0);
    }

    size_t Read(uint8_t* buffer, size_t frames) override
    {
        size_t done = 0;
        while (done < frames) {
            if (m_pendingAt == m_pending.size()) {
                m_pending.clear();
                m_pendingAt = 0;
                if (!Decode())
                    break;
                continue;
            }
            const size_t take = std::min(frames - done, (m_pending.size() - m_pendingAt) / m_align);
            std::memcpy(buffer + done * m_align, m_pending.data() + m_pendingAt, take * m_align);
            m_pendingAt += take * m_align;
            done += take;
        }
        return done;
    }

private:
    // One step of the decoder into m_pending (after the skip, up to the stream's length);
    // false once the decoder has given everything.
    bool Decode()
    {
        while (m_pending.empty()) {
            if (m_given >= m_wanted)
                return false;
            if (m_drained) {
                if (m_given < m_wanted)
                    throw CKvSSException(kErrStreamShort);
                return false;
            }
            const bool last = Feed();
            ACMSTREAMHEADER h{};
            h.cbStruct = sizeof h;
            h.pbSrc = m_input.data();
            h.cbSrcLength = static_cast<DWORD>(m_input.size());
            DWORD room = 0;
            if (acmStreamSize(m_acm, std::max<DWORD>(h.cbSrcLength, 4096), &room, ACM_STREAMSIZEF_SOURCE) != 0)
                room = 1 << 20;
            m_output.resize(std::max<size_t>(room, 1 << 16));
            h.pbDst = m_output.data();
            h.cbDstLength = static_cast<DWORD>(m_output.size());
            if (acmStreamPrepareHeader(m_acm, &h, 0) != 0)
                throw CKvSSException(kErrNoDecoder);
            const MMRESULT r =
                acmStreamConvert(m_acm, &h, last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN);
            acmStreamUnprepareHeader(m_acm, &h, 0);
            if (r != 0)
                throw CKvSSException(kErrInvalidFormat);
            const size_t used = std::min<size_t>(h.cbSrcLengthUsed, m_input.size());
            m_input.erase(m_input.begin(), m_input.begin() + used);
            Take(m_output.data(), h.cbDstLengthUsed / m_align);
            const bool idle = h.cbDstLengthUsed == 0 && (used == 0 || m_input.empty());
            // At the end the decoder is asked until it gives nothing more; before it, a
            // decoder that takes nothing of what it has is given more.
            m_drained = last && idle;
            m_stalled = !last && idle;
        }
        return true;
    }

    // Tops up the input from the stream's bytes; true when all of them are in.
    bool Feed()
    {
        constexpr size_t kPiece = 65536;
        if (m_at < m_stream.audioEnd && (m_input.size() < kPiece || m_stalled)) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(kPiece, m_stream.audioEnd - m_at));
            const size_t old = m_input.size();
            m_input.resize(old + want);
            const size_t got = m_file.ReadSome(m_at, m_input.data() + old, want);
            // Past the end of the file lies the rest of a last frame cut short: zeros.
            std::fill(m_input.begin() + long(old + got), m_input.end(), uint8_t(0));
            m_at += want;
        }
        return m_at >= m_stream.audioEnd;
    }

    // Keeps the decoded frames past the encoder's delay and within the stream's length.
    void Take(const uint8_t* frames, size_t count)
    {
        const size_t skip = static_cast<size_t>(std::min<uint64_t>(m_skip, count));
        m_skip -= skip;
        frames += skip * m_align;
        count -= skip;
        // Frames past the stream's length belong to no sound it states.
        count = static_cast<size_t>(std::min<uint64_t>(count, m_wanted - m_given));
        m_pending.insert(m_pending.end(), frames, frames + count * m_align);
        m_given += count;
    }

    InFile m_file;
    MpegStream m_stream;
    HACMSTREAM m_acm = nullptr;
    size_t m_align = 4;
    uint64_t m_at = 0;
    uint64_t m_skip = 0, m_wanted = 0, m_given = 0;
    std::vector<uint8_t> m_input, m_output, m_pending;
    size_t m_pendingAt = 0;
    bool m_drained = false;
    bool m_stalled = false;
};

} // namespace

std::unique_ptr<SoundSource> OpenMpegSource(const char* path, const SoundFile&)
{
    return std::unique_ptr<SoundSource>(new AcmSource(path));
}
