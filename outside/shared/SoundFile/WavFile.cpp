#include "SoundFile.h"

#include "KvSSException.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

void PutBytes(std::vector<uint8_t>& o, const void* p, size_t n)
{
    const uint8_t* b = static_cast<const uint8_t*>(p);
    o.insert(o.end(), b, b + n);
}
void PutChunk(std::vector<uint8_t>& o, uint32_t id, const std::vector<uint8_t>& body)
{
    Put32(o, id);
    Put32(o, static_cast<uint32_t>(body.size()));
    PutBytes(o, body.data(), body.size());
    if (body.size() & 1)
        o.push_back(0);
}

// Text of at most limit bytes, ending at the first zero.
std::string BoundedText(const uint8_t* p, size_t limit)
{
    size_t n = 0;
    while (n < limit && p[n])
        ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

const uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr uint32_t kMaxKeptChunk = 16u << 20; // larger foreign chunks are not carried along

void ReadFmt(const std::vector<uint8_t>& b, StoredFormat* f)
{
    if (b.size() < 16)
        throw CKvSSException(kErrDamagedRiff);
    uint16_t tag = Le16(&b[0]);
    f->channels = Le16(&b[2]);
    f->rate = Le32(&b[4]);
    uint16_t align = Le16(&b[12]);
    f->containerBits = Le16(&b[14]);
    f->validBits = f->containerBits;
    if (tag == WAVE_FORMAT_EXTENSIBLE) {
        if (b.size() < 40 || Le16(&b[16]) < 22)
            throw CKvSSException(kErrDamagedRiff);
        f->extensible = true;
        f->validBits = Le16(&b[18]);
        f->channelMask = Le32(&b[20]);
        if (std::memcmp(&b[26], kSubFormatTail, sizeof kSubFormatTail) != 0)
            throw CKvSSException(kErrNotSupported);
        tag = Le16(&b[24]);
        if (f->validBits == 0)
            f->validBits = f->containerBits;
    }
    if (tag == WAVE_FORMAT_PCM)
        f->coding = Coding::PcmLE;
    else if (tag == WAVE_FORMAT_IEEE_FLOAT)
        f->coding = Coding::FloatLE;
    else
        throw CKvSSException(kErrNotSupported);
    if (f->channels == 0 || f->rate == 0)
        throw CKvSSException(kErrInvalidFormat);
    if (f->channels > kMaxChannels)
        throw CKvSSException(kErrNotSupported);
    const WORD c = f->containerBits;
    const bool pcmOk = f->coding == Coding::PcmLE && (c == 8 || c == 16 || c == 24 || c == 32) &&
                       (f->validBits == c || (c == 24 && f->validBits == 20));
    const bool floatOk = f->coding == Coding::FloatLE && c == 32 && f->validBits == 32;
    if (!pcmOk && !floatOk)
        throw CKvSSException(kErrNotSupported);
    if (align != f->BlockAlign())
        throw CKvSSException(kErrInvalidFormat);
}

void ReadCues(const std::vector<uint8_t>& b, std::vector<SoundMark>* marks)
{
    if (b.size() < 4)
        throw CKvSSException(kErrDamagedRiff);
    const uint32_t n = Le32(&b[0]);
    if (n > (b.size() - 4) / 24)
        throw CKvSSException(kErrDamagedRiff);
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* p = &b[4 + size_t(i) * 24];
        SoundMark m;
        m.id = Le32(p);
        m.start = Le32(p + 20);
        marks->push_back(m);
    }
}

SoundMark* FindMark(std::vector<SoundMark>& marks, uint32_t id)
{
    for (SoundMark& m : marks)
        if (m.id == id)
            return &m;
    return nullptr;
}

struct AdtlItem {
    uint32_t id;
    uint32_t cue;
    uint32_t length;
    std::string text;
};

// Walks sub-chunks of a LIST body (after its type); each must lie inside it.
template <class Fn>
void WalkList(const std::vector<uint8_t>& b, Fn fn)
{
    size_t pos = 4;
    while (pos + 8 <= b.size()) {
        const uint32_t id = Le32(&b[pos]);
        const uint32_t size = Le32(&b[pos + 4]);
        if (size > b.size() - pos - 8)
            throw CKvSSException(kErrDamagedRiff);
        fn(id, b.data() + pos + 8, size); // a chunk of 0 bytes may end the list
        pos += 8 + size + (size & 1);
    }
}

void AddInfo(std::vector<FioInfoEntry>* info, uint32_t id, const std::string& text)
{
    if (info->size() >= kFioMaxInfoEntries)
        return;
    FioInfoEntry e{};
    e.id = id;
    std::snprintf(e.text, sizeof e.text, "%s", text.c_str());
    info->push_back(e);
}

// A kept chunk this WAV may carry: only a WAV's, and none whose id the writer writes (the
// lists it writes by their type; a "wavl" list would be a second sound).
bool WavKeeps(const KeptChunk& k, bool writesDisp)
{
    if (k.from != kTypeWav)
        return false;
    static const uint32_t kOwn[] = {FourCC("RIFF"), FourCC("fmt "), FourCC("fact"),
                                    FourCC("data"), FourCC("cue "), FourCC("smpl")};
    if (std::find(std::begin(kOwn), std::end(kOwn), k.id) != std::end(kOwn))
        return false;
    if (k.id == FourCC("LIST")) {
        const uint32_t type = k.body.size() >= 4 ? Le32(k.body.data()) : 0;
        return type != FourCC("INFO") && type != FourCC("adtl") && type != FourCC("wavl");
    }
    return k.id != FourCC("DISP") || !writesDisp;
}

// Equal but for the case of ASCII letters (file name extensions).
bool SameText(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

} // namespace

void ReadWaveFormat(const std::vector<uint8_t>& fmt, StoredFormat* format)
{
    ReadFmt(fmt, format);
}

LONG DetectType(const uint8_t* h, size_t n, const char* path)
{
    if (n < 9)
        return -1;
    if (n >= 12 && std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WAVE", 4) == 0)
        return kTypeWav;
    if (n >= 12 && std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "AVI ", 4) == 0)
        return kTypeAvi;
    if (n >= 12 && std::memcmp(h, "FORM", 4) == 0 &&
        (std::memcmp(h + 8, "AIFF", 4) == 0 || std::memcmp(h + 8, "AIFC", 4) == 0))
        return kTypeAiff;
    if (std::memcmp(h, "Nyle Ver.", 9) == 0)
        return kTypeFlat;
    if (n >= 16 && std::memcmp(h, "KVSOUND ", 8) == 0)
        return kTypeChunked;
    for (size_t i = 8; i + 8 <= n && i < 64; ++i)
        if (std::memcmp(h + i, "KVSOUND ", 8) == 0)
            return kTypeChunked;
    // MPEG audio: an ID3 tag or a frame sync with a valid layer.
    if (std::memcmp(h, "ID3", 3) == 0)
        return kTypeMpeg;
    if (h[0] == 0xFF && (h[1] & 0xE0) == 0xE0 && (h[1] & 0x06) != 0) {
        const char* dot = path ? std::strrchr(path, '.') : nullptr;
        if (dot && (SameText(dot, ".mp3") || SameText(dot, ".mp2") || SameText(dot, ".mpa")))
            return kTypeMpeg;
    }
    return -1;
}

void ReadWav(const ByteSource& file, SoundFile* sound)
{
    uint8_t h[12];
    if (file.Size() < 12)
        throw CKvSSException(kErrDamagedRiff);
    file.ReadAt(0, h, 12);
    if (Le32(h) != FourCC("RIFF") || Le32(h + 8) != FourCC("WAVE"))
        throw CKvSSException(kErrInvalidFormat);
    SoundFile s;
    s.type = kTypeWav;
    bool haveFmt = false, haveData = false;
    uint64_t dataBytes = 0, claimedBytes = 0;
    std::vector<AdtlItem> adtl;
    // Chunks end where the RIFF form says, unless it claims more than the file holds (a file
    // still being written): bytes appended after the form are no chunks of it.
    const uint64_t riff = Le32(h + 4);
    const uint64_t end = riff >= 4 && 8 + riff <= file.Size() ? 8 + riff : file.Size();
    uint64_t pos = 12;
    while (pos + 8 <= end) {
        uint8_t ch[8];
        file.ReadAt(pos, ch, 8);
        const uint32_t id = Le32(ch);
        const uint32_t size = Le32(ch + 4);
        const uint64_t bodyAt = pos + 8;
        if (id == FourCC("data") && !haveData && size > file.Size() - bodyAt) {
            // A sound chunk cut short (a crash or a full disk): the sound ends with the file.
            haveData = true;
            s.dataOffset = bodyAt;
            dataBytes = file.Size() - bodyAt;
            claimedBytes = size;
            break;
        }
        if (size > (id == FourCC("data") ? file.Size() : end) - bodyAt)
            throw CKvSSException(kErrDamagedRiff);
        auto body = [&]() {
            std::vector<uint8_t> b(size);
            file.ReadAt(bodyAt, b.data(), size);
            return b;
        };
        if (id == FourCC("data")) {
            if (!haveData) {
                haveData = true;
                s.dataOffset = bodyAt;
                dataBytes = size;
            }
        } else if (id == FourCC("fmt ")) {
            if (!haveFmt) {
                if (size > 4096)
                    throw CKvSSException(kErrInvalidFormat);
                ReadFmt(body(), &s.format);
                haveFmt = true;
            }
        } else if (id == FourCC("cue ")) {
            ReadCues(body(), &s.marks);
        } else if (id == FourCC("LIST")) {
            if (size < 4)
                throw CKvSSException(kErrDamagedRiff);
            std::vector<uint8_t> b = body();
            const uint32_t type = Le32(&b[0]);
            if (type == FourCC("adtl")) {
                WalkList(b, [&](uint32_t sub, const uint8_t* p, uint32_t n) {
                    if (sub == FourCC("labl") || sub == FourCC("note")) {
                        if (n < 4)
                            throw CKvSSException(kErrDamagedRiff);
                        adtl.push_back({sub, Le32(p), 0, BoundedText(p + 4, n - 4)});
                    } else if (sub == FourCC("ltxt")) {
                        if (n < 20)
                            throw CKvSSException(kErrDamagedRiff);
                        adtl.push_back({sub, Le32(p), Le32(p + 4), std::string()});
                    }
                });
            } else if (type == FourCC("INFO")) {
                WalkList(b,
                         [&](uint32_t sub, const uint8_t* p, uint32_t n) { AddInfo(&s.info, sub, BoundedText(p, n)); });
            } else if (size <= kMaxKeptChunk) {
                s.kept.push_back({id, std::move(b), kTypeWav});
            }
        } else if (id == FourCC("smpl")) {
            if (size < 36)
                throw CKvSSException(kErrDamagedRiff);
            std::vector<uint8_t> b = body();
            const uint32_t loops = Le32(&b[28]);
            if (loops > (size - 36) / 24)
                throw CKvSSException(kErrDamagedRiff);
            s.hasLoopBlock = true;
            std::memset(&s.loop, 0, sizeof s.loop);
            std::memcpy(&s.loop, b.data(), 36);
            if (loops > 0)
                std::memcpy(reinterpret_cast<uint8_t*>(&s.loop) + 36, &b[36], 24);
        } else if (id == FourCC("DISP")) {
            if (size < 4)
                throw CKvSSException(kErrDamagedRiff);
            std::vector<uint8_t> b = body();
            if (Le32(&b[0]) == CF_TEXT)
                AddInfo(&s.info, id, BoundedText(b.data() + 4, size - 4));
            else if (size <= kMaxKeptChunk)
                s.kept.push_back({id, std::move(b), kTypeWav});
        } else if (id != FourCC("fact") && id != FourCC("JUNK") && id != FourCC("PAD ") && id != FourCC("PEAK") &&
                   size <= kMaxKeptChunk) {
            s.kept.push_back({id, body(), kTypeWav});
        }
        pos = bodyAt + size + (size & 1);
    }
    if (!haveFmt || !haveData)
        throw CKvSSException(kErrInvalidFormat);
    s.frames = dataBytes / s.format.BlockAlign();
    if (claimedBytes) {
        if (s.frames == 0)
            throw CKvSSException(kErrDamagedRiff); // not one frame of its sound is there
        s.missingFrames = (claimedBytes + s.format.BlockAlign() - 1) / s.format.BlockAlign() - s.frames;
    }
    for (const AdtlItem& a : adtl) {
        SoundMark* m = FindMark(s.marks, a.cue);
        if (!m)
            continue;
        if (a.id == FourCC("labl"))
            m->name = a.text;
        else if (a.id == FourCC("ltxt"))
            m->length = a.length;
    }
    *sound = std::move(s);
}

StoredFormat FormatForWrite(LONG type, WORD channels, DWORD rate, WORD bits, WORD formatTag, DWORD channelMask,
                            bool extensible)
{
    StoredFormat f;
    f.channels = channels;
    f.rate = rate;
    if (bits == 20) {
        f.containerBits = 24;
        f.validBits = 20;
    } else {
        f.containerBits = (bits == 8 || bits == 16 || bits == 24) ? bits : 32;
        f.validBits = f.containerBits;
    }
    if (type == kTypeAiff) {
        f.coding = Coding::PcmBE;
        f.signed8 = true;
        f.validBits = f.containerBits == 24 && bits == 20 ? 20 : f.containerBits;
        return f;
    }
    f.coding = formatTag == WAVE_FORMAT_IEEE_FLOAT && f.containerBits == 32 ? Coding::FloatLE : Coding::PcmLE;
    f.extensible = extensible || channels > 2 || f.validBits != f.containerBits;
    if (f.extensible)
        f.channelMask = channelMask     ? channelMask
                        : channels == 1 ? 0x4
                        : channels == 2 ? 0x3
                        : channels == 6 ? 0x3F
                                        : 0;
    return f;
}

WriteLayout LayoutWav(const SoundFile& s)
{
    const StoredFormat& f = s.format;
    const uint64_t dataBytes = s.frames * f.BlockAlign();
    std::vector<uint8_t> o;
    o.reserve(4096);
    Put32(o, FourCC("RIFF"));
    Put32(o, 0); // set below
    Put32(o, FourCC("WAVE"));
    const bool isFloat = f.coding == Coding::FloatLE;
    std::vector<uint8_t> fmt;
    Put16(fmt, f.extensible ? WAVE_FORMAT_EXTENSIBLE : isFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM);
    Put16(fmt, f.channels);
    Put32(fmt, f.rate);
    Put32(fmt, f.rate * f.BlockAlign());
    Put16(fmt, f.BlockAlign());
    Put16(fmt, f.containerBits);
    if (f.extensible) {
        Put16(fmt, 22);
        Put16(fmt, f.validBits);
        Put32(fmt, f.channelMask);
        Put16(fmt, isFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM);
        PutBytes(fmt, kSubFormatTail, sizeof kSubFormatTail);
    } else if (isFloat) {
        Put16(fmt, 0);
    }
    PutChunk(o, FourCC("fmt "), fmt);
    if (isFloat && s.frames <= 0xFFFFFFFFull) {
        std::vector<uint8_t> fact;
        Put32(fact, static_cast<uint32_t>(s.frames));
        PutChunk(o, FourCC("fact"), fact);
    }
    std::vector<uint8_t> info;
    Put32(info, FourCC("INFO"));
    bool writesDisp = false;
    for (const FioInfoEntry& e : s.info) {
        const size_t n = strnlen(e.text, sizeof e.text - 1);
        if (n == 0)
            continue;
        std::vector<uint8_t> text(e.text, e.text + n);
        text.push_back(0);
        if (e.id == FourCC("DISP")) {
            writesDisp = true;
            std::vector<uint8_t> disp;
            Put32(disp, CF_TEXT);
            PutBytes(disp, text.data(), text.size());
            PutChunk(o, FourCC("DISP"), disp);
        } else {
            PutChunk(info, e.id, text);
        }
    }
    if (info.size() > 4)
        PutChunk(o, FourCC("LIST"), info);
    for (const KeptChunk& k : s.kept)
        if (WavKeeps(k, writesDisp))
            PutChunk(o, k.id, k.body);
    std::vector<const SoundMark*> marks;
    for (const SoundMark& m : s.marks)
        if (m.start >= 0 && m.start <= 0xFFFFFFFFll)
            marks.push_back(&m);
    if (!marks.empty()) {
        std::vector<uint8_t> cue;
        Put32(cue, static_cast<uint32_t>(marks.size()));
        std::vector<uint8_t> adtl;
        Put32(adtl, FourCC("adtl"));
        for (size_t i = 0; i < marks.size(); ++i) {
            const uint32_t id = static_cast<uint32_t>(i + 1);
            const uint32_t at = static_cast<uint32_t>(marks[i]->start);
            Put32(cue, id);
            Put32(cue, at);
            Put32(cue, FourCC("data"));
            Put32(cue, 0);
            Put32(cue, 0);
            Put32(cue, at);
            if (marks[i]->length > 0) {
                std::vector<uint8_t> ltxt;
                Put32(ltxt, id);
                Put32(ltxt, static_cast<uint32_t>(std::min<int64_t>(marks[i]->length, 0xFFFFFFFFll)));
                Put32(ltxt, FourCC("rgn "));
                Put32(ltxt, 0);
                Put32(ltxt, 0);
                PutChunk(adtl, FourCC("ltxt"), ltxt);
            }
            std::vector<uint8_t> labl;
            Put32(labl, id);
            PutBytes(labl, marks[i]->name.c_str(), marks[i]->name.size() + 1);
            PutChunk(adtl, FourCC("labl"), labl);
        }
        PutChunk(o, FourCC("cue "), cue);
        PutChunk(o, FourCC("LIST"), adtl);
    }
    if (s.hasLoopBlock && s.loop.loopCount != 0) {
        std::vector<uint8_t> smpl;
        FioLoopBlock b = s.loop;
        b.samplePeriod = f.rate ? static_cast<uint32_t>((1000000000ull + f.rate / 2) / f.rate) : 0;
        b.loopCount = 1;
        b.samplerData = 0;
        PutBytes(smpl, &b, sizeof b);
        PutChunk(o, FourCC("smpl"), smpl);
    }
    Put32(o, FourCC("data"));
    const uint64_t riff = o.size() + 4 + dataBytes + (dataBytes & 1) - 8;
    if (dataBytes > 0xFFFFFFFFull || riff > 0xFFFFFFFFull)
        throw CKvSSException(kErrSizeLimit);
    Put32(o, static_cast<uint32_t>(dataBytes));
    const uint32_t riff32 = static_cast<uint32_t>(riff);
    std::memcpy(&o[4], &riff32, 4);
    WriteLayout layout;
    layout.head = std::move(o);
    if (dataBytes & 1)
        layout.tail.push_back(0);
    return layout;
}

std::string FormatDescription(const StoredFormat& f)
{
    char text[128];
    const char* kind = f.coding == Coding::FloatLE || f.coding == Coding::FloatBE ? " float" : "";
    const char* layout = f.channels == 1 ? "Mono" : f.channels == 2 ? "Stereo" : nullptr;
    char channels[32];
    if (layout)
        std::snprintf(channels, sizeof channels, "%s", layout);
    else
        std::snprintf(channels, sizeof channels, "%u channels", f.channels);
    std::snprintf(text, sizeof text, "%lu Hz, %u bit%s, %s", static_cast<unsigned long>(f.rate), f.EngineBits(), kind,
                  channels);
    return text;
}
