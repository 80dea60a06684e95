// The file module's tables, its answers for other file kinds and preview playback without a
// sound device.
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
    WavSpec wav = Pcm16Spec(1, std::vector<uint8_t>(800));
    wav.rate = 8000; // 50 ms
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
