// A fuzz of the disc images' cue sheets, which a user may write or damage: sheets of every
// shape the drive reads, mutated line by line and token by token. Each is read or refused
// with a reason, without a crash or a hang; a sheet that is read describes a disc in order
// (tracks one after another, each with sectors, inside the capacity), and the drive built on
// it reads every sector of its audio tracks: each from its place in its file, or silence in
// a gap no file holds.
//
// Brief here; long by hand: KV_CUE_FUZZ=20000 KV_CUE_FUZZ_SEED=7 cd_drive_tests --gtest_filter=CueSheetFuzz.*
#include "CueSheet.h"
#include "ImageDevice.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

using namespace cdimage;

namespace {

// Audio sector s of the test's files holds, at pair p, the sample of (s, p); a.bin's sectors
// are 0-599, b.bin's 1000-1199; c.bin holds data sectors.
int16_t SectorSample(uint32_t sector, uint32_t pair)
{
    return int16_t((sector * 977u + pair * 31u) & 0xFFFF);
}

// The file sector an audio sector of the files holds; -1 for silence, -2 for anything else.
int64_t SectorOf(const uint8_t* data)
{
    int16_t first;
    std::memcpy(&first, data, 2);
    bool silent = true;
    for (size_t i = 0; i < kRawSectorBytes && silent; ++i)
        silent = data[i] == 0;
    if (silent)
        return -1;
    // 977 is odd: its inverse modulo 2^16 undoes the product.
    uint32_t inverse = 1;
    for (int i = 0; i < 16; ++i)
        inverse *= 2 - 977u * inverse;
    const uint32_t sector = (uint16_t(first) * inverse) & 0xFFFF;
    for (uint32_t p = 0; p < kRawSectorBytes / 2; ++p) {
        int16_t v;
        std::memcpy(&v, data + p * 2, 2);
        if (v != SectorSample(sector, p))
            return -2;
    }
    return sector;
}

void WriteFile(const std::string& path, uint32_t firstSector, uint32_t sectors, uint32_t sectorBytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    std::vector<uint8_t> sector(sectorBytes, 0xD0);
    for (uint32_t s = 0; s < sectors; ++s) {
        if (sectorBytes == kRawSectorBytes)
            for (uint32_t p = 0; p < kRawSectorBytes / 2; ++p) {
                const int16_t v = SectorSample(firstSector + s, p);
                std::memcpy(&sector[p * 2], &v, 2);
            }
        std::fwrite(sector.data(), 1, sector.size(), f);
    }
    std::fclose(f);
}

const char* const kSeeds[] = {
    "REM MEDIUM CD-ROM\nFILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
    "    INDEX 00 00:04:00\n    INDEX 01 00:06:00\n",
    "FILE \"a.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nPREGAP 00:02:00\nINDEX 01 00:04:00\n",
    "REM MEDIUM CD-R\r\nFILE a.bin BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
    "FILE \"b.bin\" BINARY\r\n  TRACK 02 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:01:00\r\n"
    "FILE \"c.bin\" BINARY\r\n  TRACK 03 MODE1/2048\r\n    INDEX 01 00:00:00\r\n",
    "REM MEDIUM CD-RW\nREM CAPACITY 21:00:00\nFILE \"a.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n"
    "TRACK 02 AUDIO\nPREGAP 00:01:00\nINDEX 00 00:03:00\nINDEX 01 00:05:00\n",
    "REM MEDIUM CD-RW\nREM CAPACITY 12345\n",
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string RandomTime(std::mt19937& rng)
{
    char text[16];
    const unsigned m = rng() % 4 ? rng() % 2 : rng() % 120, s = rng() % 4 ? rng() % 10 : rng() % 70,
                   f = rng() % 4 ? rng() % 75 : rng() % 100;
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", m, s, f);
    return text;
}

// One to three edits of lines and tokens.
std::string Mutate(const std::string& seed, std::mt19937& rng)
{
    std::vector<std::string> lines = Lines(seed);
    static const char* const kWords[] = {"AUDIO", "MODE1/2352", "MODE2/2352", "MODE1/2048", "CDG", "BINARY",
                                         "WAVE",  "INDEX",      "PREGAP",     "TRACK",      "FILE", "REM",
                                         "00",    "01",         "02",         "99",         "100",  "\"",
                                         "CD-ROM", "CD-R",      "CD-RW",      "missing.bin", "c.bin", "b.bin"};
    const unsigned edits = 1 + rng() % 3;
    for (unsigned e = 0; e < edits && !lines.empty(); ++e) {
        const size_t at = rng() % lines.size();
        switch (rng() % 7) {
        case 0:
            lines.erase(lines.begin() + long(at));
            break;
        case 1:
            lines.insert(lines.begin() + long(rng() % (lines.size() + 1)), lines[at]);
            break;
        case 2:
            std::swap(lines[at], lines[rng() % lines.size()]);
            break;
        case 3: { // a time changed, or one added
            const size_t colon = lines[at].find(':');
            if (colon != std::string::npos && colon >= 2)
                lines[at].replace(colon - 2, 8, RandomTime(rng));
            else
                lines.insert(lines.begin() + long(at), (rng() % 2 ? "INDEX 0" + std::to_string(rng() % 3) + " "
                                                                  : std::string("PREGAP ")) + RandomTime(rng));
            break;
        }
        case 4: { // a word replaced
            std::vector<std::string> words;
            std::istringstream in(lines[at]);
            for (std::string w; in >> w;)
                words.push_back(w);
            if (words.empty())
                break;
            words[rng() % words.size()] = kWords[rng() % (sizeof kWords / sizeof kWords[0])];
            std::string joined;
            for (const std::string& w : words)
                joined += w + " ";
            lines[at] = joined;
            break;
        }
        case 5: // cut short
            lines[at].resize(rng() % (lines[at].size() + 1));
            lines.resize(at + 1);
            break;
        default:
            if (!lines[at].empty())
                lines[at][rng() % lines[at].size()] = char(rng() % 2 ? rng() % 128 : ' ');
            break;
        }
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

bool Sizes(const std::string& path, uint64_t* bytes, void*)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    *bytes = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

// READ CD of raw sectors; GOOD or CHECK CONDITION.
uint8_t ReadCd(ImageDevice& device, uint32_t lba, uint32_t count, std::vector<uint8_t>* data)
{
    data->assign(size_t(count) * kRawSectorBytes, 0);
    const uint8_t cdb[12] = {0xBE, 0, uint8_t(lba >> 24), uint8_t(lba >> 16), uint8_t(lba >> 8), uint8_t(lba),
                             uint8_t(count >> 16), uint8_t(count >> 8), uint8_t(count), 0xF8, 0, 0};
    ScsiRequest r;
    r.cdb = cdb;
    r.cdbLength = sizeof cdb;
    r.data = data->data();
    r.dataLength = uint32_t(data->size());
    r.in = true;
    uint8_t sense[kSenseBytes];
    return device.Execute(r, sense);
}

} // namespace

TEST(CueSheetFuzz, MutatedSheetsAreRefusedOrDescribeADiscWhoseAudioReadsFromItsFiles)
{
    kvtest::ScratchFolder folder;
    WriteFile(folder.File("a.bin"), 0, 600, kRawSectorBytes);
    WriteFile(folder.File("b.bin"), 1000, 200, kRawSectorBytes);
    WriteFile(folder.File("c.bin"), 0, 100, 2048);
    const std::string sheetPath = folder.File("disc.cue");
    const unsigned iterations = kvtest::EnvNumber("KV_CUE_FUZZ", 400);
    const unsigned seedNumber = kvtest::EnvNumber("KV_CUE_FUZZ_SEED", 1);
    SCOPED_TRACE("seed " + std::to_string(seedNumber));
    std::mt19937 rng(seedNumber);
    unsigned read = 0;
    for (unsigned i = 0; i < iterations; ++i) {
        // The seeds themselves first.
        constexpr size_t kSeedCount = sizeof kSeeds / sizeof kSeeds[0];
        const std::string sheet = i < kSeedCount ? kSeeds[i] : Mutate(kSeeds[i % kSeedCount], rng);
        SCOPED_TRACE("iteration " + std::to_string(i) + ":\n" + sheet);
        CueDisc disc;
        std::string error;
        if (!ParseCueSheet(sheet, folder.Path(), Sizes, nullptr, &disc, &error)) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        ++read;
        for (size_t t = 0; t < disc.tracks.size(); ++t) {
            const CueTrack& track = disc.tracks[t];
            ASSERT_EQ(int(t + 1), track.number);
            ASSERT_TRUE(track.index0 <= track.index1 && track.index1 < track.end);
            ASSERT_LE(track.gapNotInFile, track.index1 - track.index0);
            if (t + 1 < disc.tracks.size()) {
                ASSERT_LE(track.end, disc.tracks[t + 1].index0);
            }
        }
        ASSERT_LE(disc.leadOut, disc.capacity);

        // The drive on the sheet: every audio track's sectors read, in-file ones in file order.
        FILE* f = std::fopen(sheetPath.c_str(), "wb");
        std::fwrite(sheet.data(), 1, sheet.size(), f);
        std::fclose(f);
        ImageDevice device('Q', sheetPath);
        for (const CueTrack& track : disc.tracks) {
            if (!track.audio)
                continue;
            std::vector<uint8_t> data;
            const uint32_t count = track.end - track.index0;
            ASSERT_EQ(kScsiGood, ReadCd(device, track.index0, count, &data))
                << "track " << track.number << ", " << count << " sectors from " << track.index0;
            if (disc.files[size_t(track.file)].path == "c.bin")
                continue; // data sectors taken for sound: what they hold is no pattern
            int64_t previous = -1;
            for (uint32_t s = 0; s < count; ++s) {
                const int64_t sector = SectorOf(&data[size_t(s) * kRawSectorBytes]);
                const uint32_t lba = track.index0 + s;
                const bool gap = lba < track.index1 && lba >= track.index1 - track.gapNotInFile;
                ASSERT_EQ(gap, sector == -1) << "track " << track.number << " at " << lba;
                if (gap)
                    continue;
                ASSERT_GE(sector, 0) << "track " << track.number << " at " << lba << " holds no sector of a file";
                if (previous >= 0) {
                    ASSERT_EQ(previous + 1, sector) << "track " << track.number << " at " << lba;
                }
                previous = sector;
            }
        }
    }
    std::printf("%u of %u mutated sheets read\n", read, iterations);
}
