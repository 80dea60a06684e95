#include "AiffFormat.h"

#include "KvSSException.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

uint16_t Be16(const uint8_t* p)
{
    return uint16_t(p[0] << 8 | p[1]);
}
uint32_t Be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint32_t Id(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutBe16(std::vector<uint8_t>& o, uint16_t v)
{
    o.push_back(uint8_t(v >> 8));
    o.push_back(uint8_t(v));
}
void PutBe32(std::vector<uint8_t>& o, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        o.push_back(uint8_t(v >> (8 * i)));
}
void PutId(std::vector<uint8_t>& o, uint32_t id)
{
    for (int i = 0; i < 4; ++i)
        o.push_back(uint8_t(id >> (8 * i)));
}
void PutChunk(std::vector<uint8_t>& o, uint32_t id, const std::vector<uint8_t>& body)
{
    PutId(o, id);
    PutBe32(o, static_cast<uint32_t>(body.size()));
    o.insert(o.end(), body.begin(), body.end());
    if (body.size() & 1)
        o.push_back(0);
}

// The 80-bit extended number of the sample rate.
double ReadExtended(const uint8_t* p)
{
    const int exponent = ((p[0] & 0x7F) << 8 | p[1]) - 16383;
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa = mantissa << 8 | p[2 + i];
    if (mantissa == 0 || exponent < -64 || exponent > 64)
        return 0;
    double v = std::ldexp(static_cast<double>(mantissa), exponent - 63);
    return (p[0] & 0x80) ? -v : v;
}

void PutExtended(std::vector<uint8_t>& o, uint32_t rate)
{
    uint8_t b[10] = {};
    if (rate) {
        int exponent = 31;
        uint64_t mantissa = rate;
        while (!(mantissa & 0x80000000u)) {
            mantissa <<= 1;
            --exponent;
        }
        mantissa <<= 32;
        const int e = exponent + 16383;
        b[0] = uint8_t(e >> 8);
        b[1] = uint8_t(e);
        for (int i = 0; i < 8; ++i)
            b[2 + i] = uint8_t(mantissa >> (56 - 8 * i));
    }
    o.insert(o.end(), b, b + 10);
}

struct InfoMap {
    const char* aiff;
    const char* riff;
};
const InfoMap kInfoMap[] = {{"NAME", "INAM"}, {"AUTH", "IART"}, {"(c) ", "ICOP"}, {"ANNO", "ICMT"}};

uint32_t Cc(const char* s)
{
    return Id(reinterpret_cast<const uint8_t*>(s));
}

constexpr uint32_t kMaxKeptChunk = 16u << 20;

struct Marker {
    uint16_t id;
    uint32_t position;
    std::string name;
};

} // namespace

void ParseAiff(const AiffSource& file, AiffDescription* description)
{
    uint8_t h[12];
    if (file.Size() < 12)
        throw CKvSSException(kAiffErrDamaged);
    file.ReadAt(0, h, 12);
    if (Id(h) != Cc("FORM") || (Id(h + 8) != Cc("AIFF") && Id(h + 8) != Cc("AIFC")))
        throw CKvSSException(kAiffErrInvalidFormat);
    const bool aifc = Id(h + 8) == Cc("AIFC");
    AiffDescription s;
    bool haveComm = false, haveSound = false;
    uint32_t commFrames = 0;
    uint64_t soundBytes = 0;
    std::vector<Marker> markers;
    int loopMode = 0;
    uint16_t loopBegin = 0, loopEnd = 0;
    const uint64_t form = Be32(h + 4);
    const uint64_t end = form >= 4 && 8 + form <= file.Size() ? 8 + form : file.Size();
    uint64_t pos = 12;
    while (pos + 8 <= end) {
        uint8_t ch[8];
        file.ReadAt(pos, ch, 8);
        const uint32_t id = Id(ch);
        const uint32_t size = Be32(ch + 4);
        const uint64_t bodyAt = pos + 8;
        if (size > end - bodyAt)
            throw CKvSSException(kAiffErrDamaged);
        auto body = [&]() {
            std::vector<uint8_t> b(size);
            file.ReadAt(bodyAt, b.data(), size);
            return b;
        };
        if (id == Cc("COMM")) {
            if (size < (aifc ? 22u : 18u) || size > 4096)
                throw CKvSSException(kAiffErrDamaged);
            std::vector<uint8_t> b = body();
            AiffFormat& f = s.format;
            f.channels = Be16(&b[0]);
            commFrames = Be32(&b[2]);
            f.containerBits = Be16(&b[6]);
            const double rate = ReadExtended(&b[8]);
            f.rate = rate >= 1 && rate < 4294967296.0 ? static_cast<DWORD>(std::lround(rate)) : 0;
            f.coding = AiffCoding::PcmBE;
            if (aifc) {
                const uint32_t compression = Id(&b[18]);
                if (compression == Cc("sowt"))
                    f.coding = AiffCoding::PcmLE;
                else if (compression == Cc("fl32") || compression == Cc("FL32"))
                    f.coding = AiffCoding::FloatBE;
                else if (compression != Cc("NONE"))
                    throw CKvSSException(kAiffErrNotSupported);
            }
            // Samples narrower than their container are stored left-justified.
            const WORD bits = f.containerBits;
            f.containerBits = bits <= 8 ? 8 : bits <= 16 ? 16 : bits <= 24 ? 24 : 32;
            f.validBits = bits == 20 ? 20 : f.containerBits;
            if (f.channels == 0 || f.rate == 0)
                throw CKvSSException(kAiffErrInvalidFormat);
            if (f.channels > kAiffMaxChannels || (bits != 8 && bits != 16 && bits != 20 && bits != 24 && bits != 32) ||
                (f.coding == AiffCoding::FloatBE && bits != 32))
                throw CKvSSException(kAiffErrNotSupported);
            haveComm = true;
        } else if (id == Cc("SSND")) {
            if (size < 8)
                throw CKvSSException(kAiffErrDamaged);
            uint8_t b[8];
            file.ReadAt(bodyAt, b, 8);
            const uint32_t offset = Be32(b);
            if (offset > size - 8)
                throw CKvSSException(kAiffErrDamaged);
            s.dataOffset = bodyAt + 8 + offset;
            soundBytes = size - 8 - offset;
            haveSound = true;
        } else if (id == Cc("MARK")) {
            if (size < 2)
                throw CKvSSException(kAiffErrDamaged);
            std::vector<uint8_t> b = body();
            const uint16_t n = Be16(&b[0]);
            size_t p = 2;
            for (uint16_t i = 0; i < n; ++i) {
                if (p + 7 > b.size())
                    throw CKvSSException(kAiffErrDamaged);
                Marker m;
                m.id = Be16(&b[p]);
                m.position = Be32(&b[p + 2]);
                const size_t len = b[p + 6];
                if (p + 7 + len > b.size())
                    throw CKvSSException(kAiffErrDamaged);
                m.name.assign(reinterpret_cast<const char*>(b.data() + p + 7), len); // an empty name may end the chunk
                p += 7 + len + ((len + 1) & 1);
                markers.push_back(m);
            }
        } else if (id == Cc("INST")) {
            if (size < 20)
                throw CKvSSException(kAiffErrDamaged);
            std::vector<uint8_t> b = body();
            loopMode = Be16(&b[8]);
            loopBegin = Be16(&b[10]);
            loopEnd = Be16(&b[12]);
        } else if (id == Cc("FVER")) {
        } else {
            bool mapped = false;
            for (const InfoMap& m : kInfoMap) {
                if (id == Cc(m.aiff)) {
                    std::vector<uint8_t> b = body();
                    size_t n = 0;
                    while (n < b.size() && b[n])
                        ++n;
                    s.texts.push_back({Cc(m.riff), std::string(b.begin(), b.begin() + n)});
                    mapped = true;
                }
            }
            if (!mapped && size <= kMaxKeptChunk)
                s.kept.push_back({id, body()});
        }
        pos = bodyAt + size + (size & 1);
    }
    if (!haveComm || (!haveSound && commFrames != 0))
        throw CKvSSException(kAiffErrInvalidFormat);
    if (static_cast<uint64_t>(commFrames) * s.format.BlockAlign() > soundBytes)
        throw CKvSSException(kAiffErrDamaged);
    s.frames = commFrames;
    const Marker* begin = nullptr;
    const Marker* last = nullptr;
    for (const Marker& m : markers) {
        if (loopMode != 0 && m.id == loopBegin)
            begin = &m;
        else if (loopMode != 0 && m.id == loopEnd)
            last = &m;
    }
    for (const Marker& m : markers) {
        if (&m == begin || &m == last)
            continue;
        s.markers.push_back({m.id, m.position, m.name});
    }
    if (begin && last) {
        s.hasLoop = true;
        s.loopStart = begin->position;
        s.loopEnd = last->position;
    }
    *description = std::move(s);
}

AiffLayout LayoutAiff(const AiffDescription& s)
{
    const AiffFormat& f = s.format;
    const uint64_t dataBytes = s.frames * f.BlockAlign();
    if (s.frames > 0xFFFFFFFFull)
        throw CKvSSException(kAiffErrSizeLimit);
    std::vector<uint8_t> o;
    PutId(o, Cc("FORM"));
    PutBe32(o, 0);
    PutId(o, Cc("AIFF"));
    std::vector<uint8_t> comm;
    PutBe16(comm, f.channels);
    PutBe32(comm, static_cast<uint32_t>(s.frames));
    PutBe16(comm, f.validBits == 20 ? 20 : f.containerBits);
    PutExtended(comm, f.rate);
    PutChunk(o, Cc("COMM"), comm);
    for (const AiffText& t : s.texts) {
        for (const InfoMap& m : kInfoMap) {
            if (t.riffId == Cc(m.riff) && !t.text.empty())
                PutChunk(o, Cc(m.aiff), std::vector<uint8_t>(t.text.begin(), t.text.end()));
        }
    }
    for (const AiffChunk& k : s.kept)
        PutChunk(o, k.id, k.body);
    std::vector<Marker> markers;
    for (const AiffMarker& m : s.markers)
        if (markers.size() < 32000)
            markers.push_back({static_cast<uint16_t>(markers.size() + 1), m.position, m.name});
    const bool loop = s.hasLoop;
    uint16_t loopBegin = 0, loopEnd = 0;
    if (loop) {
        loopBegin = static_cast<uint16_t>(markers.size() + 1);
        markers.push_back({loopBegin, s.loopStart, "beg loop"});
        loopEnd = static_cast<uint16_t>(markers.size() + 1);
        markers.push_back({loopEnd, s.loopEnd, "end loop"});
    }
    if (!markers.empty()) {
        std::vector<uint8_t> mark;
        PutBe16(mark, static_cast<uint16_t>(markers.size()));
        for (const Marker& m : markers) {
            PutBe16(mark, m.id);
            PutBe32(mark, m.position);
            const size_t len = std::min<size_t>(m.name.size(), 255);
            mark.push_back(uint8_t(len));
            mark.insert(mark.end(), m.name.begin(), m.name.begin() + len);
            if ((len + 1) & 1)
                mark.push_back(0); // the count byte and text take an even number of bytes
        }
        PutChunk(o, Cc("MARK"), mark);
    }
    if (loop) {
        std::vector<uint8_t> inst = {60, 0, 0, 127, 1, 127};
        PutBe16(inst, 0); // gain
        PutBe16(inst, 1); // sustain loop: forward
        PutBe16(inst, loopBegin);
        PutBe16(inst, loopEnd);
        PutBe16(inst, 0); // release loop: none
        PutBe16(inst, 0);
        PutBe16(inst, 0);
        PutChunk(o, Cc("INST"), inst);
    }
    PutId(o, Cc("SSND"));
    const uint64_t ssnd = dataBytes + 8;
    const uint64_t form = o.size() + 4 + ssnd + (ssnd & 1) - 8;
    if (ssnd > 0xFFFFFFFFull || form > 0xFFFFFFFFull)
        throw CKvSSException(kAiffErrSizeLimit);
    PutBe32(o, static_cast<uint32_t>(ssnd));
    PutBe32(o, 0);
    PutBe32(o, 0);
    const uint32_t form32 = static_cast<uint32_t>(form);
    o[4] = uint8_t(form32 >> 24);
    o[5] = uint8_t(form32 >> 16);
    o[6] = uint8_t(form32 >> 8);
    o[7] = uint8_t(form32);
    AiffLayout layout;
    layout.head = std::move(o);
    if (ssnd & 1)
        layout.tail.push_back(0);
    return layout;
}
