// AIFF through the stream library's AIFF code: its description turned into the module's
// view of a sound file and back.
#include "SoundFile.h"

#include "AiffFormat.h"
#include "KvSSException.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

class InFileSource : public AiffSource {
public:
    explicit InFileSource(const ByteSource& file) : m_file(file) {}
    uint64_t Size() const override { return m_file.Size(); }
    void ReadAt(uint64_t offset, void* buffer, size_t bytes) const override { m_file.ReadAt(offset, buffer, bytes); }

private:
    const ByteSource& m_file;
};

Coding ModuleCoding(AiffCoding coding)
{
    return coding == AiffCoding::PcmLE     ? Coding::PcmLE
           : coding == AiffCoding::FloatBE ? Coding::FloatBE
                                           : Coding::PcmBE;
}

// A kept chunk this AIFF may carry: only an AIFF's, and none whose id the writer writes.
bool AiffKeeps(const KeptChunk& k)
{
    if (k.from != kTypeAiff)
        return false;
    static const uint32_t kOwn[] = {FourCC("FORM"), FourCC("COMM"), FourCC("SSND"), FourCC("MARK"), FourCC("INST"),
                                    FourCC("FVER"), FourCC("NAME"), FourCC("AUTH"), FourCC("(c) "), FourCC("ANNO")};
    return std::find(std::begin(kOwn), std::end(kOwn), k.id) == std::end(kOwn);
}

} // namespace

void ReadAiff(const ByteSource& file, SoundFile* sound)
{
    AiffDescription d;
    ParseAiff(InFileSource(file), &d);
    SoundFile s;
    s.type = kTypeAiff;
    s.format.coding = ModuleCoding(d.format.coding);
    s.format.channels = d.format.channels;
    s.format.rate = d.format.rate;
    s.format.containerBits = d.format.containerBits;
    s.format.validBits = d.format.validBits;
    s.format.signed8 = true;
    s.dataOffset = d.dataOffset;
    s.frames = d.frames;
    for (const AiffMarker& m : d.markers) {
        SoundMark mark;
        mark.id = m.id;
        mark.start = m.position;
        mark.name = m.name;
        s.marks.push_back(mark);
    }
    if (d.hasLoop) {
        s.hasLoopBlock = true;
        s.loop = FioLoopBlock{};
        s.loop.samplePeriod = static_cast<uint32_t>(1000000000ull / s.format.rate);
        s.loop.unityNote = 60;
        s.loop.loopCount = 1;
        s.loop.start = d.loopStart;
        s.loop.end = d.loopEnd;
    }
    for (const AiffText& t : d.texts) {
        if (s.info.size() >= kFioMaxInfoEntries)
            break;
        FioInfoEntry e{};
        e.id = t.riffId;
        std::snprintf(e.text, sizeof e.text, "%s", t.text.c_str());
        s.info.push_back(e);
    }
    for (AiffChunk& k : d.kept)
        s.kept.push_back({k.id, std::move(k.body), kTypeAiff});
    *sound = std::move(s);
}

WriteLayout LayoutAiff(const SoundFile& s)
{
    AiffDescription d;
    d.format.channels = s.format.channels;
    d.format.rate = s.format.rate;
    d.format.containerBits = s.format.containerBits;
    d.format.validBits = s.format.validBits;
    d.frames = s.frames;
    for (const SoundMark& m : s.marks)
        if (m.start >= 0 && m.start <= 0xFFFFFFFFll)
            d.markers.push_back({m.id, static_cast<uint32_t>(m.start), m.name});
    d.hasLoop = s.hasLoopBlock && s.loop.loopCount != 0;
    d.loopStart = s.loop.start;
    d.loopEnd = s.loop.end;
    for (const FioInfoEntry& e : s.info)
        d.texts.push_back({e.id, std::string(e.text, strnlen(e.text, sizeof e.text - 1))});
    for (const KeptChunk& k : s.kept)
        if (AiffKeeps(k))
            d.kept.push_back({k.id, k.body});
    AiffLayout layout = LayoutAiff(d);
    return {std::move(layout.head), std::move(layout.tail)};
}
