// A program burning a disc image is killed on the way, as a crash would stop it: the image's
// sheet still reads, as the blank disc it was (or, killed while it closed, as the whole burn),
// and the next burn on it succeeds. The program killed is this test program, running the
// child test below.
//
// KV_IMAGE_KILLS sets the number of kills (default 4), KV_IMAGE_KILL_SEED the seed.
#include "CueSheet.h"
#include "DiscImageKit.h"
#include "ImageDevice.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

using namespace cdimage;

namespace {

constexpr const char* kChildVariable = "KV_IMAGE_KILL_CHILD";
constexpr const char* kChildTest = "ImageBurnKill.DISABLED_BurnsUntilKilled";
constexpr UINT kKilledCode = 77;
constexpr uint32_t kTrackSectors = 4500;
constexpr uint32_t kSectorsPerWrite = 27;
constexpr uint32_t kWrites = (kTrackSectors + kLeadInSectors + kSectorsPerWrite - 1) / kSectorsPerWrite;

uint8_t Command(ImageDevice& device, std::vector<uint8_t> cdb, void* data = nullptr, uint32_t bytes = 0)
{
    ScsiRequest r;
    r.cdb = cdb.data();
    r.cdbLength = uint8_t(cdb.size());
    r.data = static_cast<uint8_t*>(data);
    r.dataLength = bytes;
    r.out = data != nullptr;
    uint8_t sense[kSenseBytes];
    return device.Execute(r, sense);
}

// A disc-at-once burn of one audio track of kTrackSectors after its two-second pre-gap; the
// hook runs before each write (its index) and before the session is closed (kWrites).
template <class Hook>
bool Burn(ImageDevice& device, Hook hook, bool testWrite = false)
{
    uint8_t mode[8 + 52] = {};
    mode[8] = 0x05;
    mode[9] = 0x32;
    mode[10] = testWrite ? 0x12 : 0x02; // disc at once
    if (Command(device, {0x55, 0x10, 0, 0, 0, 0, 0, 0, sizeof mode, 0}, mode, sizeof mode) != kScsiGood)
        return false;
    std::vector<uint8_t> cue;
    auto entry = [&](uint8_t track, uint8_t index, uint8_t form, uint32_t address) {
        const uint32_t a = address + kLeadInSectors;
        const uint8_t e[8] = {0x01, track, index, form, 0, uint8_t(a / 4500), uint8_t(a / 75 % 60), uint8_t(a % 75)};
        cue.insert(cue.end(), e, e + 8);
    };
    entry(0, 0, 0x01, uint32_t(-150));
    entry(0x01, 0, 0, uint32_t(-150));
    entry(0x01, 1, 0, 0);
    entry(0xAA, 1, 0x01, kTrackSectors);
    const uint32_t n = uint32_t(cue.size());
    if (Command(device, {0x5D, 0, 0, 0, 0, 0, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0}, cue.data(), n) !=
        kScsiGood)
        return false;
    std::vector<uint8_t> sectors(kSectorsPerWrite * kRawSectorBytes);
    int32_t at = -int32_t(kLeadInSectors);
    for (uint32_t w = 0; w < kWrites; ++w) {
        hook(w);
        const uint32_t count = std::min<uint32_t>(kSectorsPerWrite, uint32_t(int32_t(kTrackSectors) - at));
        for (uint32_t k = 0; k < count; ++k)
            for (uint32_t p = 0; p < kRawSectorBytes / 2; ++p) {
                const int16_t v = at + int32_t(k) < 0 ? 0 : cdkit::PatternSample(uint32_t(at) + k, p);
                std::memcpy(&sectors[k * kRawSectorBytes + p * 2], &v, 2);
            }
        const uint32_t lba = uint32_t(at);
        if (Command(device, {0x2A, 0, uint8_t(lba >> 24), uint8_t(lba >> 16), uint8_t(lba >> 8), uint8_t(lba), 0, 0,
                             uint8_t(count), 0},
                    sectors.data(), count * kRawSectorBytes) != kScsiGood)
            return false;
        at += int32_t(count);
    }
    hook(kWrites);
    return Command(device, {0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}) == kScsiGood;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A staging file as a killed burn leaves it: some sectors, no more.
void LeaveStaging(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::vector<uint8_t> sectors(10 * kRawSectorBytes, 0x5A);
    DWORD wrote = 0;
    EXPECT_TRUE(WriteFile(file, sectors.data(), DWORD(sectors.size()), &wrote, nullptr));
    CloseHandle(file);
}

bool FileSize(const std::string& path, uint64_t* bytes, void*)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    *bytes = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

// The disc the sheet describes; false (with the reason) when it does not read.
bool ReadDisc(const std::string& folder, CueDisc* disc, std::string* error)
{
    return ParseCueSheet(cdkit::ReadFileText(folder + "disc.cue"), folder, FileSize, nullptr, disc, error);
}

} // namespace

// Run only as the child of the test below: burns the image it is given, and says so before the
// write (or the closing) it is told.
TEST(ImageBurnKill, DISABLED_BurnsUntilKilled)
{
    char order[1024] = {};
    ASSERT_NE(0u, GetEnvironmentVariableA(kChildVariable, order, sizeof order)) << "started only by the kill test";
    std::istringstream in(order);
    std::string sheet, event, when;
    std::getline(in, sheet, '|');
    std::getline(in, event, '|');
    std::getline(in, when, '|');
    HANDLE midway = OpenEventA(EVENT_MODIFY_STATE, FALSE, event.c_str());
    ASSERT_NE(nullptr, midway);
    ImageDevice device('Q', sheet);
    const uint32_t signal = uint32_t(std::stoul(when));
    ASSERT_TRUE(Burn(device, [&](uint32_t step) {
        if (step == signal)
            SetEvent(midway);
        if (step >= signal)
            Sleep(5); // the kill comes meanwhile
    }));
    Sleep(INFINITE);
}

TEST(ImageBurnKill, AKilledBurnLeavesTheImageReadableAndTheNextBurnSucceeds)
{
    const unsigned kills = kvtest::EnvNumber("KV_IMAGE_KILLS", 4);
    const unsigned seed = kvtest::EnvNumber("KV_IMAGE_KILL_SEED", 1);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    kvtest::ScratchFolder folder;
    unsigned burned = 0;
    for (unsigned kill = 0; kill < kills; ++kill) {
        // The last kill comes as the session closes.
        const uint32_t when = kill + 1 == kills ? kWrites : rng() % kWrites;
        SCOPED_TRACE("kill " + std::to_string(kill) + " at step " + std::to_string(when));
        const std::string sheet = cdkit::WriteBlank(folder.Path(), "disc", "CD-R");
        const std::string eventName = "kvimagekill-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(kill);
        HANDLE midway = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
        DWORD code = 0;
        const bool killed = kvtest::KillChildAtEvent("cd_drive_tests.exe", kChildTest, kChildVariable,
                                                     sheet + "|" + eventName + "|" + std::to_string(when), midway,
                                                     kKilledCode, &code);
        CloseHandle(midway);
        ASSERT_TRUE(killed) << "the child ended on its own, code " << code;

        CueDisc disc;
        std::string error;
        ASSERT_TRUE(ReadDisc(folder.Path(), &disc, &error)) << error;
        if (!disc.IsBlank()) {
            // Killed after the sheet was replaced: the whole burn is there.
            ++burned;
            ASSERT_EQ(1u, disc.tracks.size());
            EXPECT_EQ(kTrackSectors, disc.leadOut);
            continue;
        }
        EXPECT_EQ(Medium::CdR, disc.medium);
        ImageDevice device('Q', sheet);
        EXPECT_FALSE(Exists(folder.File("disc.bin.part"))) << "the drive kept the killed burn's staging file";
        ASSERT_TRUE(Burn(device, [](uint32_t) {}));
        ASSERT_TRUE(ReadDisc(folder.Path(), &disc, &error)) << error;
        ASSERT_EQ(1u, disc.tracks.size());
        EXPECT_EQ(kTrackSectors, disc.leadOut);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.File("disc.bin.part").c_str()));
    }
    std::printf("%u kills, %u after the burned sheet was in place\n", kills, burned);
}

// The staging file a killed burn left goes when the drive is made, beside a blank disc or a
// burned one, whose image stays whole; and when a burn starts on a drive made before it was
// left. A burn under way keeps its own while another drive is made on its image.
TEST(ImageBurnKill, TheDriveRemovesAStaleStagingFileAndKeepsTheImage)
{
    const struct {
        const char* name;
        bool burned;
    } cases[] = {{"blank disc", false}, {"burned disc", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        kvtest::ScratchFolder folder;
        const std::string sheet = cdkit::WriteBlank(folder.Path(), "disc", "CD-R"), part = folder.File("disc.bin.part");
        if (c.burned) {
            ImageDevice device('Q', sheet);
            ASSERT_TRUE(Burn(device, [](uint32_t) {}));
        }
        const std::string image = c.burned ? cdkit::ReadFileText(folder.File("disc.bin")) : std::string();
        LeaveStaging(part);
        ImageDevice device('Q', sheet);
        EXPECT_FALSE(Exists(part));
        CueDisc disc;
        std::string error;
        ASSERT_TRUE(ReadDisc(folder.Path(), &disc, &error)) << error;
        EXPECT_EQ(c.burned ? 1u : 0u, disc.tracks.size());
        EXPECT_TRUE(image == (c.burned ? cdkit::ReadFileText(folder.File("disc.bin")) : std::string()));
    }

    kvtest::ScratchFolder folder;
    const std::string sheet = cdkit::WriteBlank(folder.Path(), "disc", "CD-R"), part = folder.File("disc.bin.part");
    ImageDevice device('Q', sheet);
    LeaveStaging(part);
    ASSERT_TRUE(Burn(device, [&](uint32_t step) {
        if (step == 0) {
            EXPECT_FALSE(Exists(part)) << "a test write kept the staging file";
        }
    }, true));
    bool kept = false;
    ASSERT_TRUE(Burn(device, [&](uint32_t step) {
        if (step == kWrites / 2) {
            ImageDevice another('Q', sheet);
            kept = Exists(part);
        }
    }));
    EXPECT_TRUE(kept) << "making a drive removed the staging file of a burn under way";
    EXPECT_FALSE(Exists(part));
    CueDisc disc;
    std::string error;
    ASSERT_TRUE(ReadDisc(folder.Path(), &disc, &error)) << error;
    EXPECT_EQ(kTrackSectors, disc.leadOut);
}
