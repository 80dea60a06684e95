// What the module carries from a file it reads into a file it writes: other programs' chunks
// only into the format they came from, float samples only when finite, and the file's marker
// count in the 16 bits the document keeps it in.
#include "FioKit.h"

#include "GlobalMemory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace fiotest;

namespace {

size_t Count(const std::vector<uint8_t>& b, const char* id)
{
    size_t n = 0;
    for (size_t i = 0; i + 4 <= b.size(); ++i)
        n += std::memcmp(&b[i], id, 4) == 0;
    return n;
}

std::vector<float> Floats(const std::vector<uint8_t>& bytes)
{
    std::vector<float> out(bytes.size() / 4);
    std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
}

// Converts path and writes its tracks with its attributes as a file of type (3 WAV, 2 AIFF).
std::vector<uint8_t> Rewrite(IKvSKsFIO* fio, const std::string& path, LONG type, const std::string& out)
{
    Converted c = Convert(fio, path);
    EXPECT_EQ(S_OK, c.hr);
    Engine engine(c.record.bitsPerSample, c.record.samplesPerSec);
    EXPECT_EQ(S_OK, engine.AddTracks(c));
    FileInfoRecord record = c.record;
    record.fileType = type;
    EXPECT_EQ(S_OK, WriteEngine(fio, engine.Set(), out, record, c.markers, nullptr, c.attributes));
    for (const std::string& n : c.names)
        DeleteFileA(n.c_str());
    return ReadBytes(out);
}

} // namespace

// A WAV carrying an AIFF "COMM" and an AIFF carrying a WAV "data" are written into the other
// format with their own sound only; into their own format, other programs' chunks go back.
TEST(FioCarry, ChunksOfOtherProgramsGoBackOnlyIntoTheFormatTheyCameFrom)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    const struct {
        const char* fixture;
        LONG otherType;
        const char* foreignId;
    } cases[] = {
        {"damaged\\wav-with-foreign-COMM-chunk.wav", 2, "COMM"},
        {"damaged\\aiff-with-foreign-data-chunk.aiff", 3, "data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string source = TestData(c.fixture);
        Converted original = Convert(fio.Get(), source);
        ASSERT_EQ(S_OK, original.hr);
        const std::vector<uint8_t> sound = ReadBytes(original.names[0]);
        for (const std::string& n : original.names)
            DeleteFileA(n.c_str());

        const std::string other = folder.File(c.otherType == 2 ? "other.aif" : "other.wav");
        const std::vector<uint8_t> written = Rewrite(fio.Get(), source, c.otherType, other);
        EXPECT_EQ(1u, Count(written, c.foreignId)) << "only the writer's own " << c.foreignId;
        Converted back = Convert(fio.Get(), other);
        ASSERT_EQ(S_OK, back.hr);
        EXPECT_EQ(
            std::make_tuple(original.record.channels, original.record.samplesPerSec, original.record.lengthSamples),
            std::make_tuple(back.record.channels, back.record.samplesPerSec, back.record.lengthSamples));
        EXPECT_TRUE(ReadBytes(back.names[0]) == sound);
        for (const std::string& n : back.names)
            DeleteFileA(n.c_str());
    }
    // The same format keeps what another program put there.
    const std::string same = folder.File("same.aif");
    const std::vector<uint8_t> aiff = Rewrite(fio.Get(), TestData(cases[1].fixture), 2, same);
    EXPECT_EQ(1u, Count(aiff, "data"));

    // A kept chunk of an id the writer writes itself stays out: a second DISP beside the one
    // of the title, a "wavl" list (a second sound); an unknown list goes back.
    WavSpec wav = Pcm16Spec(1, std::vector<uint8_t>(64, 7));
    wav.disp = "Title";
    wav.extra = {{"DISP", Bytes().u32(8).raw({1, 2, 3, 4}).b},
                 {"LIST", Bytes().id("wavl").chunk("slnt", Bytes().u32(100)).b},
                 {"LIST", Bytes().id("exif").chunk("ever", Bytes().text("1")).b}};
    const std::string own = folder.File("own.wav");
    ASSERT_TRUE(WriteBytes(own, BuildWav(wav).b));
    const std::vector<uint8_t> rewritten = Rewrite(fio.Get(), own, 3, folder.File("own-again.wav"));
    EXPECT_EQ(1u, Count(rewritten, "DISP"));
    EXPECT_EQ(0u, Count(rewritten, "wavl"));
    EXPECT_EQ(1u, Count(rewritten, "exif"));
}

// NaN becomes 0 and an infinity full scale wherever float samples enter (a float WAV, a
// big-endian AIFF-C) or leave (engine floats written as a float WAV); finite values pass as
// they are, however large or small.
TEST(FioCarry, FloatSamplesAreMadeFiniteAtTheDoorBothWays)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float tiny = std::numeric_limits<float>::denorm_min();
    const std::vector<float> in = {0.5f, nan, inf, -inf, -nan, 3.4e38f, -0.25f, tiny};
    const std::vector<float> expected = {0.5f, 0.0f, 1.0f, -1.0f, 0.0f, 3.4e38f, -0.25f, tiny};
    Bytes le, be;
    for (float f : in) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        le.u32(u);
        be.be32(u);
    }

    WavSpec wav;
    wav.form = {"float32", 3, 32, 32, false};
    wav.channels = 1;
    wav.data = le.b;
    const std::string wavPath = folder.File("float.wav");
    ASSERT_TRUE(WriteBytes(wavPath, BuildWav(wav).b));
    // AIFF-C of 32-bit floats, 44.1 kHz mono.
    Bytes comm;
    comm.be16(1).be32(uint32_t(in.size())).be16(32).raw({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0});
    comm.id("fl32").u8(0).u8(0);
    Bytes form;
    form.id("AIFC").chunk("FVER", Bytes().be32(0xA2805140u), true).chunk("COMM", comm, true);
    form.chunk("SSND", Bytes().be32(0).be32(0).raw(be.b), true);
    const std::string aiffPath = folder.File("float.aif");
    ASSERT_TRUE(WriteBytes(aiffPath, Bytes().chunk("FORM", form, true).b));

    for (const std::string& path : {wavPath, aiffPath}) {
        SCOPED_TRACE(path);
        Converted c = Convert(fio.Get(), path);
        ASSERT_EQ(S_OK, c.hr);
        EXPECT_EQ(expected, Floats(ReadBytes(c.names[0])));
        for (const std::string& n : c.names)
            DeleteFileA(n.c_str());
    }

    Engine engine(32, 44100);
    ASSERT_EQ(S_OK, engine.AddRawTrack(le.b, 1));
    FileInfoRecord record{};
    record.fileType = 3;
    record.samplesPerSec = 44100;
    record.bitsPerSample = 32;
    record.formatTag = 3;
    const std::string out = folder.File("out.wav");
    ASSERT_EQ(S_OK, WriteEngine(fio.Get(), engine.Set(), out, record, {}, nullptr, nullptr));
    EXPECT_EQ(expected, Floats(RiffChunk(ReadBytes(out), "data")));
}

// The file's marker count goes out in 16 bits: the word beside it stays as it was, and a
// file of more marks than it counts hands over a block of as many records as it says.
TEST(FioCarry, TheFileMarkerCountFillsSixteenBitsOnly)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    WavSpec wav = Pcm16Spec(1, std::vector<uint8_t>(200));
    for (uint32_t i = 0; i < 70000; ++i)
        wav.marks.push_back({i % 100, 0, ""});
    const std::string path = folder.File("marks.wav");
    ASSERT_TRUE(WriteBytes(path, BuildWav(wav).b));

    struct {
        WORD count = 0;
        WORD beside = 0xBEEF;
    } converted, read;
    FileInfoRecord record{};
    record.fileType = -1;
    IUnknown* attributes = nullptr;
    char* names = nullptr;
    void *markers = nullptr, *loop = nullptr;
    LONG files = 0, perFile = 0;
    ASSERT_EQ(S_OK, fio->ConvertToTrackFiles(nullptr, path.c_str(), &record, &attributes, &names, 0, &files, &perFile,
                                             &converted.count, &markers, &loop, 0, 2));
    EXPECT_EQ(65535, converted.count);
    EXPECT_EQ(0xBEEF, converted.beside);
    EXPECT_GE(GlobalSize(GlobalHandle(markers)), 65535u * sizeof(FioMarkerRecord));
    for (LONG i = 0; i < 2 * files; ++i)
        DeleteFileA(names + i * kFioNameLength);
    GlobalUnlockFree(names);
    GlobalUnlockFree(markers);
    attributes->Release();

    LONG count = 0;
    void *all = nullptr, *fileMarkers = nullptr;
    ASSERT_EQ(S_OK, fio->ReadFileMarkers(path.c_str(), &record, &count, &all, &read.count, &fileMarkers, &loop));
    EXPECT_EQ(70000, count);
    EXPECT_EQ(65535, read.count);
    EXPECT_EQ(0xBEEF, read.beside);
    GlobalUnlockFree(all);
    GlobalUnlockFree(fileMarkers);
}
