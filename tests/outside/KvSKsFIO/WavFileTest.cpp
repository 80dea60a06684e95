// Sound files through the file module: the written bytes, round trips of every stored form
// through the engine, and the refusal of damaged files.
#include "FioKit.h"

#include "ErrorText.h"
#include "GlobalMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace fiotest;

namespace {

const WavForm kForms[] = {
    {"pcm8", 1, 8, 8, false},       {"pcm16", 1, 16, 16, false}, {"pcm24", 1, 24, 24, false},
    {"pcm20in24", 1, 24, 20, true}, {"pcm32", 1, 32, 32, false}, {"float32", 3, 32, 32, false},
    {"pcm16ext", 1, 16, 16, true},
};

WavSpec RichSpec(const WavForm& form, uint16_t channels, size_t frames)
{
    WavSpec s;
    s.form = form;
    s.form.extensible = form.extensible || channels > 2;
    s.channels = channels;
    s.rate = 48000;
    s.data = TestFrames(form, channels, frames, channels * 131u + form.container);
    s.marks = {{100, 0, "Intro"}, {500, 700, "Verse"}};
    s.loop = true;
    s.loopStart = 1000;
    s.loopEnd = 2000;
    s.info = {{"INAM", "Song"}, {"ICOP", "(C) 2026 Us"}};
    s.disp = "Title";
    s.extra = {{"xtra", {1, 2, 3}}};
    return s;
}

std::vector<FioInfoEntry> Entries(IUnknown* attributes)
{
    std::vector<FioInfoEntry> out;
    IKvSFileAttributes* a = nullptr;
    if (!attributes || FAILED(attributes->QueryInterface(__uuidof(IKvSFileAttributes), reinterpret_cast<void**>(&a))))
        return out;
    WORD n = 0;
    void* block = nullptr;
    a->GetInfoEntries(&n, &block);
    if (block) {
        const FioInfoEntry* e = static_cast<const FioInfoEntry*>(block);
        out.assign(e, e + n);
        GlobalUnlockFree(block);
    }
    a->Release();
    return out;
}

std::string EntryText(const std::vector<FioInfoEntry>& entries, const char* id)
{
    for (const FioInfoEntry& e : entries)
        if (std::memcmp(&e.id, id, 4) == 0)
            return e.text;
    return "<none>";
}

size_t FindBytes(const std::vector<uint8_t>& b, const char* what, size_t from = 0)
{
    const size_t n = std::strlen(what);
    for (size_t i = from; i + n <= b.size(); ++i)
        if (std::memcmp(&b[i], what, n) == 0)
            return i;
    return std::string::npos;
}

void Put32At(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    std::memcpy(&b[at], &v, 4);
}

} // namespace

TEST(FioWav, WrittenFileHasItsMarksLoopAndTextsByteForByte)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    // The attribute object of a file holding the texts, as a load hands it over.
    WavSpec source;
    source.form = kForms[1];
    source.channels = 1;
    source.rate = 8000;
    source.data = {0, 0};
    source.info = {{"INAM", "Song"}, {"ICOP", "Us"}};
    source.disp = "Title";
    const std::string sourcePath = folder.File("source.wav");
    ASSERT_TRUE(WriteBytes(sourcePath, BuildWav(source).b));
    IUnknown* attributes = nullptr;
    ASSERT_EQ(S_OK, fio->GetFileAttributes(sourcePath.c_str(), nullptr, &attributes));

    Engine engine(16, 8000);
    ASSERT_EQ(S_OK, engine.AddRawTrack(Bytes().u16(1).u16(0xFFFF).u16(0x7FFF).u16(0x8000).b, 1));
    FileInfoRecord record{};
    record.fileType = 3;
    record.samplesPerSec = 8000;
    record.bitsPerSample = 16;
    record.formatTag = 1;
    FioMarkerRecord cue{0, 1, -1, 1, 1, "Intro"};
    FioMarkerRecord section{0, 2, -1, 2, 3, "Verse"};
    // The document hands its rate in the third word; the file gets the sample period.
    FioLoopBlock loop{0, 0, 8000, 60, 0, 0, 0, 1, 0, 0, 0, 0, 3, 0, 0};
    const std::string path = folder.File("golden.wav");
    ASSERT_EQ(S_OK, WriteEngine(fio.Get(), engine.Set(), path, record, {cue, section}, &loop, attributes));
    attributes->Release();

    Bytes body;
    body.id("WAVE");
    body.chunk("fmt ", Bytes().u16(1).u16(1).u32(8000).u32(16000).u16(2).u16(16));
    body.chunk("DISP", Bytes().u32(1).text("Title"));
    body.chunk("LIST", Bytes().id("INFO").chunk("INAM", Bytes().text("Song")).chunk("ICOP", Bytes().text("Us")));
    body.chunk(
        "cue ",
        Bytes().u32(2).u32(1).u32(1).id("data").u32(0).u32(0).u32(1).u32(2).u32(2).id("data").u32(0).u32(0).u32(2));
    body.chunk("LIST", Bytes()
                           .id("adtl")
                           .chunk("labl", Bytes().u32(1).text("Intro"))
                           .chunk("ltxt", Bytes().u32(2).u32(1).id("rgn ").u32(0).u32(0))
                           .chunk("labl", Bytes().u32(2).text("Verse")));
    body.chunk("smpl", Bytes()
                           .u32(0)
                           .u32(0)
                           .u32(125000)
                           .u32(60)
                           .u32(0)
                           .u32(0)
                           .u32(0)
                           .u32(1)
                           .u32(0)
                           .u32(0)
                           .u32(0)
                           .u32(0)
                           .u32(3)
                           .u32(0)
                           .u32(0));
    body.chunk("data", Bytes().u16(1).u16(0xFFFF).u16(0x7FFF).u16(0x8000));
    EXPECT_EQ(Bytes().chunk("RIFF", body).b, ReadBytes(path));
}

class FioWavRoundTrip : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(FioWavRoundTrip, EveryFormKeepsSamplesMarksLoopAndTexts)
{
    const WavForm& form = kForms[std::get<0>(GetParam())];
    const uint16_t channels = static_cast<uint16_t>(std::get<1>(GetParam()));
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    const WavSpec wav = RichSpec(form, channels, 3000);
    const std::string original = folder.File("original.wav");
    ASSERT_TRUE(WriteBytes(original, BuildWav(wav).b));

    for (LONG split : {0, 1}) {
        SCOPED_TRACE(split ? "split into mono tracks" : "one track");
        Converted c = Convert(fio.Get(), original, split, 6);
        ASSERT_EQ(S_OK, c.hr);
        EXPECT_EQ(split ? channels : 1, c.files);
        EXPECT_EQ(3000, c.record.lengthSamples);
        EXPECT_EQ(channels, c.record.channels);
        EXPECT_EQ(form.valid == 20 ? 20 : form.container, c.record.bitsPerSample);
        Engine engine(c.record.bitsPerSample, c.record.samplesPerSec);
        ASSERT_EQ(S_OK, engine.AddTracks(c));

        const std::string copy = folder.File(split ? "split.wav" : "whole.wav");
        ASSERT_EQ(S_OK, WriteEngine(fio.Get(), engine.Set(), copy, c.record, c.markers, c.hasLoop ? &c.loop : nullptr,
                                    c.attributes));
        const std::vector<uint8_t> written = ReadBytes(copy);
        EXPECT_TRUE(RiffChunk(written, "data") == wav.data) << "samples differ";
        EXPECT_EQ(wav.extra[0].second, RiffChunk(written, "xtra")) << "a foreign chunk was not carried along";

        FileInfoRecord info{};
        ASSERT_EQ(S_OK, fio->QueryFileInfo(nullptr, copy.c_str(), -1, 0, &info));
        EXPECT_EQ(3, info.fileType);
        EXPECT_EQ(form.tag, info.formatTag);
        EXPECT_EQ(form.container, info.formatBitsPerSample);
        EXPECT_EQ(form.valid, info.validBits);
        EXPECT_EQ(wav.form.extensible, (info.formatFlags & kFileInfoExtensible) != 0);

        LONG count = 0;
        void* markers = nullptr;
        void* loop = nullptr;
        ASSERT_EQ(S_OK, fio->ReadFileMarkers(copy.c_str(), &info, &count, &markers, nullptr, nullptr, &loop));
        ASSERT_EQ(2, count);
        const FioMarkerRecord* m = static_cast<const FioMarkerRecord*>(markers);
        EXPECT_EQ(std::make_tuple(1, 100LL, 100LL, std::string("Intro")),
                  std::make_tuple(m[0].kind, (long long)m[0].start, (long long)m[0].end, std::string(m[0].name)));
        EXPECT_EQ(std::make_tuple(2, 500LL, 1200LL, std::string("Verse")),
                  std::make_tuple(m[1].kind, (long long)m[1].start, (long long)m[1].end, std::string(m[1].name)));
        ASSERT_NE(nullptr, loop);
        const FioLoopBlock* l = static_cast<const FioLoopBlock*>(loop);
        EXPECT_EQ(std::make_tuple(1u, 1000u, 2000u, 1000000000u / 48000u),
                  std::make_tuple(l->loopCount, l->start, l->end, l->samplePeriod));
        GlobalUnlockFree(markers);
        GlobalUnlockFree(loop);

        IUnknown* attributes = nullptr;
        ASSERT_EQ(S_OK, fio->GetFileAttributes(copy.c_str(), &info, &attributes));
        const std::vector<FioInfoEntry> entries = Entries(attributes);
        EXPECT_EQ("Song", EntryText(entries, "INAM"));
        EXPECT_EQ("(C) 2026 Us", EntryText(entries, "ICOP"));
        EXPECT_EQ("Title", EntryText(entries, "DISP"));
        IKvSFileAttributes* a = nullptr;
        attributes->QueryInterface(__uuidof(IKvSFileAttributes), reinterpret_cast<void**>(&a));
        EXPECT_EQ(S_OK, a->IsEqual(c.attributes));
        a->Release();
        attributes->Release();
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, FioWavRoundTrip,
                         testing::Combine(testing::Range(0, int(sizeof kForms / sizeof kForms[0])),
                                          testing::Values(1, 2, 6)),
                         [](const testing::TestParamInfo<std::tuple<int, int>>& p) {
                             return std::string(kForms[std::get<0>(p.param)].name) + "_" +
                                    std::to_string(std::get<1>(p.param)) + "ch";
                         });

TEST(FioAiff, WrittenAiffReadsBackToTheSameSamplesMarksAndLoop)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    for (int formIndex : {0, 1, 2, 4}) {
        const WavForm& form = kForms[formIndex];
        SCOPED_TRACE(form.name);
        WavSpec wav = RichSpec(form, 2, 2500);
        wav.marks = {{100, 0, "Intro"}, {900, 0, "Chorus"}}; // the format has no sections
        const std::string original = folder.File("original.wav");
        ASSERT_TRUE(WriteBytes(original, BuildWav(wav).b));
        Converted c = Convert(fio.Get(), original);
        ASSERT_EQ(S_OK, c.hr);
        Engine engine(c.record.bitsPerSample, c.record.samplesPerSec);
        ASSERT_EQ(S_OK, engine.AddTracks(c));
        FileInfoRecord aiffRecord = c.record;
        aiffRecord.fileType = 2;
        const std::string aiff = folder.File("copy.aif");
        ASSERT_EQ(S_OK, WriteEngine(fio.Get(), engine.Set(), aiff, aiffRecord, c.markers, &c.loop, c.attributes));

        Converted back = Convert(fio.Get(), aiff);
        ASSERT_EQ(S_OK, back.hr);
        EXPECT_EQ(2, back.record.fileType);
        ASSERT_EQ(2u, back.markers.size());
        EXPECT_EQ(900, back.markers[1].start);
        EXPECT_STREQ("Chorus", back.markers[1].name);
        EXPECT_EQ(std::make_pair(1000u, 2000u), std::make_pair(back.loop.start, back.loop.end));
        EXPECT_EQ("(C) 2026 Us", EntryText(Entries(back.attributes), "ICOP"));
        Engine again(back.record.bitsPerSample, back.record.samplesPerSec);
        ASSERT_EQ(S_OK, again.AddTracks(back));
        FileInfoRecord wavRecord = back.record;
        wavRecord.fileType = 3;
        const std::string againPath = folder.File("again.wav");
        ASSERT_EQ(S_OK, WriteEngine(fio.Get(), again.Set(), againPath, wavRecord, back.markers, &back.loop, nullptr));
        EXPECT_TRUE(RiffChunk(ReadBytes(againPath), "data") == wav.data);
    }
}

TEST(FioDamaged, EveryDamagedFileIsRefusedWithItsTextAndLeavesNothing)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    const WavSpec good = RichSpec(kForms[1], 2, 1000);
    const std::vector<uint8_t> base = BuildWav(good).b;
    const size_t data = base.size() - 4000 - 8; // the sound chunk comes last
    const size_t info = FindBytes(base, "LIST");
    const size_t cue = FindBytes(base, "cue ");
    const size_t labl = FindBytes(base, "labl");
    const size_t smpl = FindBytes(base, "smpl");
    const size_t fmt = FindBytes(base, "fmt ");

    WavSpec seven = good;
    seven.channels = 7;
    seven.data = TestFrames(kForms[1], 7, 10, 1);
    // A 12-bit file: its block align says two bytes a sample.
    std::vector<uint8_t> twelve = base;
    twelve[fmt + 8 + 14] = 12;
    std::vector<uint8_t> aiff =
        Bytes()
            .chunk("FORM",
                   Bytes()
                       .id("AIFF")
                       .chunk("COMM",
                              Bytes().be16(1).be32(100).be16(16).raw({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), true)
                       .chunk("MARK", Bytes().be16(0x7FFF).be16(1).be32(5).u8(0), true)
                       .chunk("SSND", Bytes().be32(0).be32(0).raw(std::vector<uint8_t>(200)), true),
                   true)
            .b;
    std::vector<uint8_t> aiffShort = aiff;
    aiffShort.resize(aiff.size() - 50);
    std::vector<uint8_t> aiffMarks = aiff;
    std::vector<uint8_t> aiffGood = aiff;
    const size_t mark = FindBytes(aiffGood, "MARK");
    aiffGood[mark + 8] = 0;
    aiffGood[mark + 9] = 1;

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        HRESULT expected;
    };
    std::vector<Case> cases;
    auto mutate = [&](const char* name, HRESULT code, auto change) {
        std::vector<uint8_t> b = base;
        change(b);
        cases.push_back({name, b, code});
    };
    mutate("cut in the sound's header", 0x83E800DE, [&](std::vector<uint8_t>& b) { b.resize(data + 6); });
    mutate("cut before a whole frame", 0x83EA0011, [&](std::vector<uint8_t>& b) { b.resize(data + 8 + 3); });
    mutate("cut in the format chunk", 0x83EA0011, [&](std::vector<uint8_t>& b) { b.resize(fmt + 8 + 10); });
    // What the engine cannot hold is refused with its text.
    mutate("rate beyond the engine", 0x83E804B4, [&](std::vector<uint8_t>& b) { Put32At(b, fmt + 12, 768001); });
    mutate("rate below the engine", 0x83E804B4, [&](std::vector<uint8_t>& b) { Put32At(b, fmt + 12, 999); });
    mutate("loop at 2^31", 0x83E804B4, [&](std::vector<uint8_t>& b) { Put32At(b, smpl + 8 + 48, 0x80000000u); });
    mutate("no format chunk", 0x83E800DE, [&](std::vector<uint8_t>& b) { std::memcpy(&b[fmt], "fmX ", 4); });
    mutate("negative chunk length", 0x83EA0011, [&](std::vector<uint8_t>& b) { Put32At(b, info + 4, 0xFFFFFFF0u); });
    mutate("huge cue count", 0x83EA0011, [&](std::vector<uint8_t>& b) { Put32At(b, cue + 8, 0x0FFFFFFFu); });
    mutate("huge loop count", 0x83EA0011, [&](std::vector<uint8_t>& b) { Put32At(b, smpl + 8 + 28, 0x7FFFFFFFu); });
    mutate("label past its list", 0x83EA0011, [&](std::vector<uint8_t>& b) { Put32At(b, labl + 4, 5000); });
    mutate("short format chunk", 0x83EA0011, [&](std::vector<uint8_t>& b) {
        // fmt shrunk to 8 bytes: its rest becomes a chunk of its own
        Put32At(b, fmt + 4, 8);
        std::memcpy(&b[fmt + 16], "JUNK", 4);
        Put32At(b, fmt + 20, 0);
    });
    cases.push_back({"seven channels", BuildWav(seven).b, static_cast<HRESULT>(0x83E804B4)});
    cases.push_back({"twelve bits", twelve, static_cast<HRESULT>(0x83E804B4)});
    cases.push_back({"eight bytes", {'R', 'I', 'F', 'F', 4, 0, 0, 0}, static_cast<HRESULT>(0x83E800DE)});
    cases.push_back({"aiff sound cut short", aiffShort, static_cast<HRESULT>(0x83EA0011)});
    cases.push_back({"aiff huge marker count", aiffMarks, static_cast<HRESULT>(0x83EA0011)});

    const std::string path = folder.File("damaged.wav");
    // The reference AIFF without damage loads (so the AIFF cases fail for their damage).
    ASSERT_TRUE(WriteBytes(path, aiffGood));
    Converted ok = Convert(fio.Get(), path);
    ASSERT_EQ(S_OK, ok.hr);
    for (const std::string& name : ok.names)
        DeleteFileA(name.c_str());

    // A tag appended after the form is no damage.
    std::vector<uint8_t> tagged = base;
    tagged.insert(tagged.end(), {'T', 'A', 'G', 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
    ASSERT_TRUE(WriteBytes(path, tagged));
    FileInfoRecord taggedInfo{};
    EXPECT_EQ(S_OK, fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &taggedInfo));

    const std::vector<std::string> before = TempFileNames();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        FileInfoRecord record{};
        EXPECT_EQ(c.expected, fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &record));
        Converted converted = Convert(fio.Get(), path);
        EXPECT_EQ(c.expected, converted.hr);
        EXPECT_TRUE(converted.names.empty());
        EXPECT_EQ(nullptr, converted.attributes);
        EXPECT_EQ(before, TempFileNames()) << "temporary files left behind";
        EXPECT_NE(0u, ErrorText::FindStringId(c.expected)) << "a code without the system's text";
    }
    FileInfoRecord none{};
    EXPECT_EQ(static_cast<HRESULT>(0x83E800C9),
              fio->QueryFileInfo(nullptr, folder.File("none.wav").c_str(), -1, 0, &none));
}

// A recording cut short (its sound chunk states more than the file holds) opens the whole
// frames there are and tells how many are missing; the frames there are come back exact.
TEST(FioWav, ACutShortFileOpensTheWholeFramesItHoldsAndCountsTheMissingOnes)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    const WavSpec good = RichSpec(kForms[1], 2, 1000); // 4 bytes a frame, the sound last
    const std::vector<uint8_t> base = BuildWav(good).b;
    const size_t data = base.size() - 4000;
    const struct {
        const char* name;
        size_t keep;     // bytes of the sound left in the file
        uint32_t stated; // what the sound chunk says
        int64_t frames, missing;
    } cases[] = {
        {"cut in a frame", 3902, 4000, 975, 25},
        {"cut between frames", 2000, 4000, 500, 500},
        {"stating more than was written", 4000, 4064, 1000, 16},
        {"one frame left", 4, 4000, 1, 999},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> b(base.begin(), base.begin() + long(data + c.keep));
        Put32At(b, data - 4, c.stated);
        Put32At(b, 4, uint32_t(base.size() - 8)); // the form as the header was written
        const std::string path = folder.File("cut.wav");
        ASSERT_TRUE(WriteBytes(path, b));
        FileInfoRecord info{};
        ASSERT_EQ(S_OK, fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &info));
        EXPECT_EQ(std::make_pair(c.frames, c.missing), std::make_pair(info.lengthSamples, int64_t(info.missingFrames)));
        Converted out = Convert(fio.Get(), path);
        ASSERT_EQ(S_OK, out.hr);
        EXPECT_EQ(std::make_pair(c.frames, c.missing),
                  std::make_pair(out.record.lengthSamples, int64_t(out.record.missingFrames)));
        ASSERT_EQ(1, out.files);
        EXPECT_TRUE(ReadBytes(out.names[0]) ==
                    std::vector<uint8_t>(good.data.begin(), good.data.begin() + long(c.frames * 4)));
        EXPECT_EQ(2u, out.markers.size()) << "the marks of the header are kept";
        for (const std::string& n : out.names)
            DeleteFileA(n.c_str());
    }
    // A whole file misses nothing.
    const std::string path = folder.File("whole.wav");
    ASSERT_TRUE(WriteBytes(path, base));
    FileInfoRecord info{};
    ASSERT_EQ(S_OK, fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &info));
    EXPECT_EQ(0u, info.missingFrames);
}
