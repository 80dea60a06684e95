// The file module's tables, its answers for other file kinds, preview playback without a
// sound device, and a fuzz of its readers.
#include "FioKit.h"

#include "GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

using namespace fiotest;

namespace {

std::vector<std::pair<LONG, std::string>> Table(const FileFormatEntry* t, LONG n)
{
    std::vector<std::pair<LONG, std::string>> out;
    for (LONG i = 0; i < n; ++i) {
        // The open dialog reads the type at byte 4 and the extensions at byte 392.
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(&t[i]);
        LONG type;
        std::memcpy(&type, raw + 4, 4);
        out.emplace_back(type, reinterpret_cast<const char*>(raw + 392));
    }
    return out;
}

unsigned Iterations()
{
    const char* v = std::getenv("KV_FIO_FUZZ");
    return v ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : 150;
}

} // namespace

TEST(FioTables, SaveFormatsAndFileTypesListWhatTheModuleReadsAndWrites)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    using Rows = std::vector<std::pair<LONG, std::string>>;
    struct Case {
        const char* name;
        HRESULT (*call)(IKvSKsFIO*, LONG*, FileFormatEntry**);
        Rows expected;
    } cases[] = {
        {"save",
         [](IKvSKsFIO* f, LONG* n, FileFormatEntry** t) { return f->GetSaveFormats(0, n, t); },
         {{1, "kvs"}, {0, "kvs"}, {20, "kvs"}, {3, "wav"}, {2, "aif;aiff"}, {5, "avi"}}},
        {"save multichannel",
         [](IKvSKsFIO* f, LONG* n, FileFormatEntry** t) { return f->GetSaveFormats(1, n, t); },
         {{20, "kvs"}, {3, "wav"}, {2, "aif;aiff"}, {5, "avi"}}},
        {"open",
         [](IKvSKsFIO* f, LONG* n, FileFormatEntry** t) { return f->GetFileTypes(n, t, 0); },
         {{1, "kvs"}, {0, "kvs"}, {20, "kvs"}, {3, "wav"}, {2, "aif;aiff"}, {10, "mp3;mp2;mpa"}, {5, "avi"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LONG n = 0;
        FileFormatEntry* t = nullptr;
        ASSERT_EQ(S_OK, c.call(fio.Get(), &n, &t));
        EXPECT_EQ(c.expected, Table(t, n));
        GlobalUnlockFree(t);
    }

    // A new document's record is completed from its rate and bits.
    FileInfoRecord record{};
    record.samplesPerSec = 48000;
    record.bitsPerSample = 24;
    ASSERT_EQ(S_OK, fio->QueryFileInfo(nullptr, nullptr, 20, 0, &record));
    EXPECT_EQ(
        std::make_tuple(20, 48000u, (uint16_t)24, (uint16_t)1),
        std::make_tuple(record.fileType, record.formatSamplesPerSec, record.formatBitsPerSample, record.formatTag));
}

TEST(FioOtherKinds, MpegAudioIsDescribedAndDecodedOrRefusedWithTheDecoderText)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    // Frames of MPEG-1 layer III, 128 kbit/s, 44.1 kHz, stereo (header only, silent body).
    Bytes mp3;
    for (int i = 0; i < 40; ++i) {
        mp3.u8(0xFF).u8(0xFB).u8(0x90).u8(0x00);
        mp3.raw(std::vector<uint8_t>(417 - 4));
    }
    const std::string path = folder.File("tune.mp3");
    ASSERT_TRUE(WriteBytes(path, mp3.b));
    FileInfoRecord record{};
    ASSERT_EQ(S_OK, fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &record));
    EXPECT_EQ(std::make_tuple(10, 44100u, (uint16_t)2),
              std::make_tuple(record.fileType, record.samplesPerSec, record.channels));
    const std::vector<std::string> before = TempFileNames();
    Converted c = Convert(fio.Get(), path);
    if (FAILED(c.hr)) {
        // No MPEG decoder in the system: "The decoder which processed this file can not be found."
        EXPECT_EQ(static_cast<HRESULT>(0x83EA000D), c.hr);
        EXPECT_EQ(before, TempFileNames());
        std::printf("no MPEG audio decoder in this system\n");
    } else {
        EXPECT_EQ(2, c.record.channels);
        EXPECT_GT(c.record.lengthSamples, 0);
        std::printf("MPEG audio decoded: %lld frames\n", static_cast<long long>(c.record.lengthSamples));
        for (const std::string& n : c.names)
            DeleteFileA(n.c_str());
    }
}

TEST(FioOtherKinds, AviSoundIsReadThroughTheSystemsAviLibrary)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    const std::string path = folder.File("clip.avi");
    const std::vector<uint8_t> samples = TestFrames({"pcm16", 1, 16, 16, false}, 2, 4000, 3);
    // An AVI of one sound stream, 22050 Hz 16-bit stereo, built by hand.
    Bytes avih;
    avih.u32(0).u32(88200).u32(0).u32(0x10).u32(0).u32(0).u32(1).u32(16000).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    Bytes strh;
    strh.id("auds").u32(0).u32(0).u16(0).u16(0).u32(0).u32(4).u32(88200).u32(0).u32(4000).u32(16000).u32(0xFFFFFFFF);
    strh.u32(4).u16(0).u16(0).u16(0).u16(0);
    Bytes strf;
    strf.u16(1).u16(2).u32(22050).u32(88200).u16(4).u16(16).u16(0);
    Bytes hdrl;
    hdrl.id("hdrl").chunk("avih", avih).chunk("LIST", Bytes().id("strl").chunk("strh", strh).chunk("strf", strf));
    Bytes movi;
    movi.id("movi").chunk("00wb", Bytes().raw(samples));
    Bytes idx1;
    idx1.id("00wb").u32(0x10).u32(4).u32(uint32_t(samples.size()));
    ASSERT_TRUE(WriteBytes(
        path, Bytes().chunk("RIFF", Bytes().id("AVI ").chunk("LIST", hdrl).chunk("LIST", movi).chunk("idx1", idx1)).b));
    FileInfoRecord info{};
    ASSERT_EQ(S_OK, fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &info));
    EXPECT_EQ(0, info.hasVideo);
    Converted c = Convert(fio.Get(), path);
    ASSERT_EQ(S_OK, c.hr);
    EXPECT_EQ(std::make_tuple(5, 22050u, (uint16_t)2, 4000LL),
              std::make_tuple(c.record.fileType, c.record.samplesPerSec, c.record.channels,
                              (long long)c.record.lengthSamples));
    ASSERT_EQ(1, c.files);
    EXPECT_TRUE(ReadBytes(c.names[0]) == samples);
    for (const std::string& n : c.names)
        DeleteFileA(n.c_str());
}

TEST(FioPreview, PlayWithoutASoundDeviceFailsCleanlyOrCompletes)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    WavSpec wav;
    wav.form = {"pcm16", 1, 16, 16, false};
    wav.channels = 1;
    wav.rate = 8000;
    wav.data = std::vector<uint8_t>(800); // 50 ms
    const std::string path = folder.File("short.wav");
    ASSERT_TRUE(WriteBytes(path, BuildWav(wav).b));
    const HRESULT hr = fio->PlayPreview(nullptr, path.c_str());
    if (FAILED(hr)) {
        EXPECT_EQ(0x03EE0000u, static_cast<DWORD>(hr) & 0x1FFF0000u) << "not the sound output's own error";
    } else {
        LONG code = 0;
        HRESULT next = S_FALSE;
        for (int i = 0; i < 100 && next != S_OK; ++i) {
            Sleep(50);
            next = fio->GetNextEvent(&code, nullptr, nullptr, 0);
        }
        EXPECT_EQ(S_OK, next);
        EXPECT_EQ(1, code);
    }
    EXPECT_EQ(S_OK, fio->StopPreview());
    LONG code = 0;
    EXPECT_EQ(S_FALSE, fio->GetNextEvent(&code, nullptr, nullptr, 0));
}

TEST(FioFuzz, MutatedFilesAreReadOrRefusedWithoutLeftovers)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    // Seeds: files the module wrote itself, one WAV and one AIFF with marks, loop and texts.
    WavSpec wav;
    wav.form = {"pcm24", 1, 24, 24, false};
    wav.channels = 2;
    wav.data = TestFrames(wav.form, 2, 3000, 9);
    wav.marks = {{10, 0, "A"}, {20, 300, "B"}};
    wav.loop = true;
    wav.loopStart = 5;
    wav.loopEnd = 50;
    wav.info = {{"INAM", "x"}};
    const std::string source = folder.File("source.wav");
    ASSERT_TRUE(WriteBytes(source, BuildWav(wav).b));
    Converted c = Convert(fio.Get(), source);
    ASSERT_EQ(S_OK, c.hr);
    Engine engine(c.record.bitsPerSample, c.record.samplesPerSec);
    ASSERT_EQ(S_OK, engine.AddTracks(c));
    std::vector<std::vector<uint8_t>> seeds;
    for (LONG type : {3L, 2L}) {
        FileInfoRecord r = c.record;
        r.fileType = type;
        const std::string p = folder.File(type == 3 ? "seed.wav" : "seed.aif");
        ASSERT_EQ(S_OK, WriteEngine(fio.Get(), engine.Set(), p, r, c.markers, &c.loop, c.attributes));
        seeds.push_back(ReadBytes(p));
    }

    const unsigned iterations = Iterations();
    const unsigned seed = static_cast<unsigned>(
        std::strtoul(std::getenv("KV_FIO_FUZZ_SEED") ? std::getenv("KV_FIO_FUZZ_SEED") : "1", nullptr, 10));
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::string path = folder.File("fuzz.bin");
    const std::vector<std::string> before = TempFileNames();
    unsigned loaded = 0;
    for (unsigned i = 0; i < iterations; ++i) {
        std::vector<uint8_t> b = seeds[i % seeds.size()];
        const unsigned edits = 1 + rng() % 4;
        for (unsigned e = 0; e < edits; ++e) {
            const size_t head = std::min<size_t>(b.size(), 400); // where the chunk headers lie
            switch (rng() % 4) {
            case 0:
                b[rng() % head] ^= uint8_t(1u << (rng() % 8));
                break;
            case 1: {
                const size_t at = rng() % (head - 4);
                const uint32_t values[] = {0, 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, uint32_t(rng())};
                const uint32_t v = values[rng() % 6];
                std::memcpy(&b[at], &v, 4);
                break;
            }
            case 2:
                b.resize(rng() % (b.size() + 1));
                if (b.size() < 16)
                    b.resize(16);
                break;
            default:
                b[rng() % b.size()] = uint8_t(rng());
                break;
            }
        }
        ASSERT_TRUE(WriteBytes(path, b));
        SCOPED_TRACE("iteration " + std::to_string(i));
        FileInfoRecord record{};
        fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &record);
        Converted out = Convert(fio.Get(), path);
        if (SUCCEEDED(out.hr)) {
            ++loaded;
            ASSERT_EQ(size_t(2 * out.files), out.names.size());
            for (const std::string& n : out.names)
                DeleteFileA(n.c_str());
        }
        ASSERT_EQ(before, TempFileNames()) << "a refused file left temporary files";
    }
    std::printf("%u of %u mutated files loaded\n", loaded, iterations);
}
