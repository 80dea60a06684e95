// KvSCDBrn.dll through its table and writer object, over disc images offered on a letter.
#include "CdWriterModule.h"
#include "CueSheet.h"
#include "DiscImageKit.h"
#include "TestSupport.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr char kLetter = 'W';

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Stereo 16-bit samples that name their frame, distinct per file by seed.
std::vector<int16_t> Tone(uint32_t frames, int seed)
{
    std::vector<int16_t> s(size_t(frames) * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        s[2 * i] = int16_t(i * 7 + seed);
        s[2 * i + 1] = int16_t(-int(i) * 3 - seed);
    }
    return s;
}

class CdWriterModule : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_module.Load(&m_writer), S_OK);
        ASSERT_NE(m_writer, nullptr);
    }
    void TearDown() override
    {
        if (m_writer)
            m_writer->Release();
        cdkit::ForgetImage(kLetter);
    }
    int32_t Device()
    {
        int32_t count = 0;
        HGLOBAL block = nullptr;
        EXPECT_EQ(m_writer->GetDevices(&count, &block), S_OK);
        int32_t id = -1;
        for (int32_t i = 0; i < count; ++i) {
            const auto& r = static_cast<const CdWriterDeviceRecord*>(block)[i];
            if (r.drive[0] == kLetter)
                id = r.id;
        }
        GlobalFree(block);
        return id;
    }
    int Wait()
    {
        int32_t done = 0, total = 0;
        int status;
        const DWORD start = GetTickCount();
        while ((status = m_writer->GetStatus(&done, &total)) == kCdStatusRunning && GetTickCount() - start < 60000)
            Sleep(5);
        return status;
    }
    std::string Wav(const std::string& name, uint32_t frames, int seed)
    {
        const std::string path = m_folder.File(name);
        EXPECT_TRUE(kvtest::WriteWav16(path, 2, 44100, Tone(frames, seed)));
        return path;
    }

    CCdWriterModule m_module;
    ICdWriter* m_writer = nullptr;
    kvtest::ScratchFolder m_folder;
};

TEST_F(CdWriterModule, AnswersItsVersionAtSlot21AndListsTheImageDriveWithItsSpeeds)
{
    char version[16] = {};
    using VersionFn = HRESULT(__stdcall*)(void*, char*, int);
    auto slot = reinterpret_cast<VersionFn>((*reinterpret_cast<void***>(m_writer))[kCdWriterVersionSlot]);
    EXPECT_EQ(slot(m_writer, version, sizeof version), S_OK);
    EXPECT_STREQ(version, "1.00");

    cdkit::OfferImage(kLetter, cdkit::WriteBlank(m_folder.Path(), "blank", "CD-R", "20:00:00"));
    int32_t count = 0;
    HGLOBAL block = nullptr;
    ASSERT_EQ(m_writer->GetDevices(&count, &block), S_OK);
    const CdWriterDeviceRecord* found = nullptr;
    for (int32_t i = 0; i < count; ++i)
        if (static_cast<const CdWriterDeviceRecord*>(block)[i].drive[0] == kLetter)
            found = static_cast<const CdWriterDeviceRecord*>(block) + i;
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->drive, "W:");
    EXPECT_STREQ(found->name, "KVIMAGE  Disc Image");
    EXPECT_EQ(found->capabilities, kCdCapWritesCdR | kCdCapWritesCdRw);
    const int32_t id = found->id;
    GlobalFree(block);

    uint32_t speeds[kCdSpeedBufferValues], dvd[kCdSpeedBufferValues];
    int32_t modes = -1;
    ASSERT_EQ(m_writer->GetSpeeds(id, speeds, dvd, &modes), S_OK);
    // Read speed, then the CD-R list, then an empty CD-RW list.
    const std::vector<uint32_t> expected = {52, kCdSpeedListEnd, 52, 48, 40, 32, 24, 16, kCdSpeedListEnd, kCdSpeedListEnd};
    EXPECT_EQ(std::vector<uint32_t>(speeds, speeds + expected.size()), expected);
    EXPECT_EQ(dvd[0], kCdSpeedListEnd);

    int32_t type = 0, status = 0, free = 0;
    ASSERT_EQ(m_writer->ExamineMedium(id, &type, &status), S_OK);
    EXPECT_EQ(type, kCdMediaCdR);
    EXPECT_EQ(status, kCdMediaBlank);
    ASSERT_EQ(m_writer->QueryMedia(nullptr, nullptr, &free, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(free, 20 * 60 * 75);
}

TEST_F(CdWriterModule, SaysWhenTheDriveIsEmpty)
{
    cdkit::OfferImage(kLetter, m_folder.File("absent.cue"));
    const int32_t id = Device();
    ASSERT_NE(id, -1);
    int32_t type = 0, status = 0;
    EXPECT_EQ(m_writer->ExamineMedium(id, &type, &status), kCdWriterNoMedium);
    EXPECT_EQ(m_writer->QueryMedia(&type, &status, nullptr, nullptr, nullptr, nullptr, nullptr), kCdWriterNoMedium);
}

// Two tracks with pre-gaps of 2 s (the disc's own) and 1 s: the test write leaves the disc blank,
// the write leaves the tracks' samples at the places the pre-gaps give, the gaps silent.
TEST_F(CdWriterModule, WritesTracksAtOnceWithTheirPreGapsAfterATestWrite)
{
    const std::string sheet = cdkit::WriteBlank(m_folder.Path(), "disc", "CD-R");
    cdkit::OfferImage(kLetter, sheet);
    const int32_t id = Device();
    const uint32_t frames1 = 588 * 300 + 100; // the last sector half full
    const uint32_t frames2 = 588 * 200;
    CdWriteTrack tracks[2] = {};
    lstrcpyA(tracks[0].path, Wav("a.wav", frames1, 1).c_str());
    tracks[0].preGapFrames = 150;
    lstrcpyA(tracks[1].path, Wav("b.wav", frames2, 2).c_str());
    tracks[1].preGapFrames = 75;
    const CdWriteTrackList list{2, tracks};

    ASSERT_TRUE(m_writer->Reserve(id, TRUE));
    ASSERT_EQ(m_writer->Write(id, 0, 0, 0, &list, 0, TRUE, FALSE, FALSE), S_OK);
    EXPECT_EQ(Wait(), kCdStatusFinished);
    EXPECT_EQ(cdkit::ReadFileText(sheet).find("TRACK"), std::string::npos);

    m_writer->SetSpeed(24);
    ASSERT_EQ(m_writer->Write(id, 0, 0, 0, &list, 0, FALSE, FALSE, TRUE), S_OK);
    EXPECT_EQ(Wait(), kCdStatusFinished);
    int32_t done = 0, total = 0;
    m_writer->GetStatus(&done, &total);
    EXPECT_EQ(done, total);
    m_writer->Reserve(id, FALSE);

    cdimage::CueDisc disc;
    std::string error;
    ASSERT_TRUE(cdimage::ParseCueSheet(cdkit::ReadFileText(sheet), m_folder.Path(),
                                       [](const std::string& p, uint64_t* b, void*) {
                                           std::ifstream f(p, std::ios::binary | std::ios::ate);
                                           *b = uint64_t(f.tellg());
                                           return bool(f);
                                       },
                                       nullptr, &disc, &error))
        << error;
    ASSERT_EQ(disc.tracks.size(), 2u);
    EXPECT_EQ(disc.tracks[0].index1, 0u);
    EXPECT_EQ(disc.tracks[1].index0, 301u);
    EXPECT_EQ(disc.tracks[1].index1, 301u + 75);
    EXPECT_EQ(disc.leadOut, 301u + 75 + 200);

    const std::vector<uint8_t> bin = ReadBytes(m_folder.File("disc.bin"));
    ASSERT_EQ(bin.size(), size_t(disc.leadOut) * 2352);
    const std::vector<int16_t> one = Tone(frames1, 1), two = Tone(frames2, 2);
    EXPECT_EQ(std::memcmp(bin.data(), one.data(), one.size() * 2), 0);
    const size_t gapStart = one.size() * 2, gapEnd = size_t(301 + 75) * 2352;
    EXPECT_TRUE(std::all_of(bin.begin() + gapStart, bin.begin() + gapEnd, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(std::memcmp(bin.data() + gapEnd, two.data(), two.size() * 2), 0);
}

TEST_F(CdWriterModule, RefusesTracksThatAreNotCdAudio)
{
    cdkit::OfferImage(kLetter, cdkit::WriteBlank(m_folder.Path(), "disc", "CD-R"));
    const int32_t id = Device();
    const std::string mono = m_folder.File("mono.wav");
    ASSERT_TRUE(kvtest::WriteWav16(mono, 1, 44100, std::vector<int16_t>(44100)));
    for (const std::string& path : {mono, m_folder.File("missing.wav")}) {
        CdWriteTrack track = {};
        lstrcpyA(track.path, path.c_str());
        const CdWriteTrackList list{1, &track};
        EXPECT_EQ(m_writer->Write(id, 0, 0, 0, &list, 0, FALSE, FALSE, TRUE), kCdWriterBadTrack) << path;
    }
}

TEST_F(CdWriterModule, CancelStopsTheWriteAndLeavesNoStagingFile)
{
    const std::string sheet = cdkit::WriteBlank(m_folder.Path(), "disc", "CD-RW");
    cdkit::OfferImage(kLetter, sheet);
    const int32_t id = Device();
    CdWriteTrack track = {};
    lstrcpyA(track.path, Wav("long.wav", 44100 * 600, 3).c_str());
    track.preGapFrames = 150;
    const CdWriteTrackList list{1, &track};
    ASSERT_EQ(m_writer->Write(id, 0, 0, 0, &list, 0, FALSE, FALSE, TRUE), S_OK);
    int32_t done = 0, total = 0;
    while (m_writer->GetStatus(&done, &total) == kCdStatusRunning && done < 1000)
        Sleep(1);
    m_writer->Cancel();
    EXPECT_EQ(Wait(), kCdStatusFailed);
    m_writer->GetStatus(&done, &total);
    EXPECT_LT(done, total);
    EXPECT_EQ(GetFileAttributesA(m_folder.File("disc.bin.part").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CdWriterModule, ErasesRewritableMediaEitherWayAndRefusesOthers)
{
    for (int mode : {1, 2}) {
        const std::string sheet = cdkit::WriteImage(m_folder.Path(), "rw", {{300}}, "CD-RW");
        cdkit::OfferImage(kLetter, sheet);
        const int32_t id = Device();
        int32_t type = 0, status = 0;
        ASSERT_EQ(m_writer->ExamineMedium(id, &type, &status), S_OK);
        EXPECT_NE(status, kCdMediaBlank);
        EXPECT_EQ(m_writer->GetCdRwEraseSpeed(id), 24);
        ASSERT_EQ(m_writer->Erase(id, mode), S_OK) << mode;
        EXPECT_EQ(Wait(), kCdStatusFinished);
        ASSERT_EQ(m_writer->ExamineMedium(id, &type, &status), S_OK);
        EXPECT_EQ(type, kCdMediaCdRw);
        EXPECT_EQ(status, kCdMediaBlank) << mode;
    }
    cdkit::OfferImage(kLetter, cdkit::WriteImage(m_folder.Path(), "r", {{300}}, "CD-R"));
    EXPECT_EQ(m_writer->Erase(Device(), 1), kCdWriterNotErasable);
}

TEST_F(CdWriterModule, ReserveKeepsTheHolderAndNamesItToOthers)
{
    cdkit::OfferImage(kLetter, cdkit::WriteBlank(m_folder.Path(), "disc", "CD-R"));
    const int32_t id = Device();
    ICdWriter* other = nullptr;
    CCdWriterModule second;
    ASSERT_EQ(second.Load(&other), S_OK);
    char holder[256] = "x";
    other->GetDeviceUser(id, holder);
    EXPECT_STREQ(holder, "");
    ASSERT_TRUE(m_writer->Reserve(id, TRUE));
    EXPECT_TRUE(m_writer->Reserve(id, TRUE)); // the holder again
    EXPECT_FALSE(other->Reserve(id, TRUE));
    other->GetDeviceUser(id, holder);
    EXPECT_STREQ(holder, "cdwriter_tests.exe");
    m_writer->Reserve(id, FALSE);
    EXPECT_TRUE(other->Reserve(id, TRUE));
    other->Reserve(id, FALSE);
    other->Release();
}

// A module of its own folder without the drive access module beside it.
class Binding : public CCdWriterModuleBase {
public:
    HRESULT SetFunctionTable(int32_t, void* const* table) override
    {
        std::memcpy(m_table, table, sizeof m_table);
        return S_OK;
    }
    void* m_table[kCdWriterTableSize] = {};
};

TEST(CdWriterModuleAlone, AnswersNotInstalledWithoutTheDriveAccessModule)
{
    kvtest::ScratchFolder folder;
    ASSERT_TRUE(CopyFileA((kvtest::BinFolder() + "KvSCDBrn.dll").c_str(), folder.File("KvSCDBrn.dll").c_str(), FALSE));
    HMODULE module = LoadLibraryA(folder.File("KvSCDBrn.dll").c_str());
    ASSERT_NE(module, nullptr);
    Binding binding;
    auto initialize = reinterpret_cast<CdWriterInitializeFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "InitializeModule")));
    ASSERT_NE(initialize, nullptr);
    ASSERT_EQ(initialize(&binding, module), S_OK);
    ICdWriter* writer = nullptr;
    ASSERT_EQ(reinterpret_cast<CdWriterCreateFn>(binding.m_table[kCdWriterCreateEntry])(&writer), S_OK);
    char version[16];
    EXPECT_EQ(writer->GetVersionText(version, sizeof version), kCdWriterNotInstalled);
    int32_t count = 7;
    HGLOBAL block = nullptr;
    EXPECT_EQ(writer->GetDevices(&count, &block), kCdWriterNotInstalled);
    EXPECT_EQ(count, 0);
    writer->Release();
    reinterpret_cast<CdWriterUninitializeFn>(binding.m_table[kCdWriterUninitializeEntry])();
    FreeLibrary(module);
}

} // namespace
