// KgPTP.dll as its callers see it: disc images offered on letters, answered through the ASPI
// entries.
#include "CdDriveAccess.h"
#include "DiscImageKit.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using Dir = CdDriveAccess::Direction;

namespace {

class ImageDrive : public testing::Test {
protected:
    static constexpr char kLetter = 'N';
    void SetUp() override { ASSERT_TRUE(m_access.Load(kvtest::BinFolder())); }
    void TearDown() override { cdkit::ForgetImage(kLetter); }
    CdAddress Offer(const std::string& sheet)
    {
        cdkit::OfferImage(kLetter, sheet);
        CdAddress drive;
        EXPECT_TRUE(m_access.FindDrive(kLetter, &drive));
        return drive;
    }
    uint8_t Run(const CdAddress& d, std::initializer_list<uint8_t> cdb, void* data = nullptr, uint32_t bytes = 0,
                Dir dir = Dir::None, uint32_t* sense = nullptr)
    {
        std::vector<uint8_t> block(cdb);
        return m_access.Execute(d, block.data(), uint8_t(block.size()), data, bytes, dir, sense);
    }
    // Disc-at-once of one or more audio tracks: write parameters, cue sheet, sectors, close.
    struct Burn {
        std::vector<uint32_t> pregaps, lengths; // sectors
    };
    uint8_t RunBurn(const CdAddress& d, const Burn& burn, bool test, uint32_t* sense)
    {
        uint8_t mode[8 + 52] = {};
        mode[8] = 0x05;
        mode[9] = 0x32;
        mode[10] = uint8_t((test ? 0x10 : 0) | 0x02);
        uint8_t s = Run(d, {0x55, 0x10, 0, 0, 0, 0, 0, 0, sizeof mode, 0}, mode, sizeof mode, Dir::Out, sense);
        if (s != aspi::SS_COMP)
            return s;
        std::vector<uint8_t> cue;
        auto entry = [&](uint8_t track, uint8_t index, uint8_t form, uint32_t address) {
            const uint32_t a = address + 150;
            const uint8_t e[8] = {0x01, track, index, form, 0, uint8_t(a / 4500), uint8_t(a / 75 % 60), uint8_t(a % 75)};
            cue.insert(cue.end(), e, e + 8);
        };
        entry(0, 0, 0x01, uint32_t(-150));
        uint32_t lba = 0;
        for (size_t i = 0; i < burn.lengths.size(); ++i) {
            const uint8_t bcd = uint8_t(((i + 1) / 10) << 4 | (i + 1) % 10);
            entry(bcd, 0, 0, i == 0 ? uint32_t(-150) : lba);
            lba += i == 0 ? 0 : burn.pregaps[i];
            entry(bcd, 1, 0, lba);
            lba += burn.lengths[i];
        }
        entry(0xAA, 1, 0x01, lba);
        const uint32_t n = uint32_t(cue.size());
        s = Run(d, {0x5D, 0, 0, 0, 0, 0, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0}, cue.data(), n,
                        Dir::Out, sense);
        if (s != aspi::SS_COMP)
            return s;
        std::vector<uint8_t> sectors(27 * 2352);
        for (int32_t at = -150; at < int32_t(lba);) {
            const uint32_t count = std::min<uint32_t>(27, uint32_t(int32_t(lba) - at));
            for (uint32_t k = 0; k < count; ++k)
                for (uint32_t p = 0; p < 1176; ++p) {
                    const int16_t v = at + int32_t(k) < 0 ? 0 : cdkit::PatternSample(uint32_t(at) + k, p);
                    memcpy(&sectors[k * 2352 + p * 2], &v, 2);
                }
            s = Run(d, {0x2A, 0, uint8_t(uint32_t(at) >> 24), uint8_t(uint32_t(at) >> 16), uint8_t(uint32_t(at) >> 8),
                        uint8_t(at), 0, 0, uint8_t(count), 0},
                    sectors.data(), count * 2352, Dir::Out, sense);
            if (s != aspi::SS_COMP)
                return s;
            at += int32_t(count);
        }
        return Run(d, {0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}, nullptr, 0, Dir::None, sense);
    }
    uint8_t DiscStatus(const CdAddress& d)
    {
        uint8_t info[34] = {};
        EXPECT_EQ(aspi::SS_COMP, Run(d, {0x51, 0, 0, 0, 0, 0, 0, 0, sizeof info, 0}, info, sizeof info, Dir::In));
        return info[2];
    }

    CdDriveAccess m_access;
    kvtest::ScratchFolder m_folder;
};

} // namespace

TEST_F(ImageDrive, AnswersInquiryTocAndAudioSectorsOfTheImage)
{
    const CdAddress d = Offer(cdkit::WriteImage(m_folder.Path(), "disc", {{750}, {600}, {300, false}}));
    uint8_t inquiry[36] = {};
    ASSERT_EQ(aspi::SS_COMP, Run(d, {0x12, 0, 0, 0, sizeof inquiry, 0}, inquiry, sizeof inquiry, Dir::In));
    EXPECT_EQ(5, inquiry[0] & 0x1F);
    EXPECT_EQ(aspi::SS_COMP, Run(d, {0, 0, 0, 0, 0, 0}));

    DiscToc toc;
    ASSERT_TRUE(m_access.ReadToc(d, &toc));
    ASSERT_EQ(3u, toc.tracks.size());
    EXPECT_EQ(0u, toc.tracks[0].start);
    EXPECT_EQ(750u, toc.tracks[1].start);
    EXPECT_EQ(1350u, toc.tracks[2].start);
    EXPECT_FALSE(toc.tracks[2].audio);
    EXPECT_EQ(1650u, toc.leadOut);

    // MSF addresses count the two seconds before LBA 0.
    uint8_t msf[4 + 8 * 4] = {};
    ASSERT_EQ(aspi::SS_COMP, Run(d, {0x43, 0x02, 0, 0, 0, 0, 2, 0, sizeof msf, 0}, msf, sizeof msf, Dir::In));
    EXPECT_EQ(2, msf[4 + 2]);
    EXPECT_EQ(0, msf[4 + 5]);
    EXPECT_EQ(12, msf[4 + 6]); // 750 + 150 sectors = 0:12:00
    EXPECT_EQ(0, msf[4 + 7]);

    std::vector<uint8_t> audio(30 * 2352);
    ASSERT_TRUE(m_access.ReadAudio(d, 740, 30, audio.data())); // across the first join
    for (uint32_t s = 0; s < 30; ++s)
        for (uint32_t p : {0u, 587u, 1175u}) {
            int16_t v;
            memcpy(&v, &audio[s * 2352 + p * 2], 2);
            ASSERT_EQ(cdkit::PatternSample(740 + s, p), v) << "sector " << 740 + s;
        }
}

TEST_F(ImageDrive, RefusesReadsOutsideTheDiscOrOfTheWrongKind)
{
    const CdAddress d = Offer(cdkit::WriteImage(m_folder.Path(), "disc", {{75}, {75, false}}));
    std::vector<uint8_t> buffer(4 * 2352);
    struct Case {
        uint32_t lba, count;
        uint8_t expected; // sector type field
        uint32_t sense;
    } cases[] = {
        {149, 2, 0, 0x052100},  // past the lead-out
        {75, 1, 1, 0x056400},   // CD-DA asked of a data track
        {74, 2, 0, 0x056400},   // one read over an audio and a data sector
        {0, 5, 0, 0x052400},    // more than the buffer holds
    };
    for (const Case& c : cases) {
        uint32_t sense = 0;
        EXPECT_EQ(aspi::SS_ERR, Run(d, {0xBE, uint8_t(c.expected << 2), 0, 0, uint8_t(c.lba >> 8), uint8_t(c.lba), 0, 0,
                                        uint8_t(c.count), 0xF8, 0, 0},
                                    buffer.data(), uint32_t(buffer.size()), Dir::In, &sense));
        EXPECT_EQ(c.sense, sense) << c.lba << "+" << c.count;
    }
    // The data track's user data alone.
    ASSERT_EQ(aspi::SS_COMP, Run(d, {0xBE, 0, 0, 0, 0, 75, 0, 0, 1, 0x10, 0, 0}, buffer.data(), 2048, Dir::In));
    EXPECT_EQ(0xD0, buffer[0]);

    // A sheet that is gone is a drive without a disc.
    DeleteFileA((m_folder.Path() + "disc.cue").c_str());
    uint32_t sense = 0;
    EXPECT_EQ(aspi::SS_ERR, Run(d, {0, 0, 0, 0, 0, 0}, nullptr, 0, Dir::None, &sense));
    EXPECT_EQ(0x023A00u, sense);
}

TEST_F(ImageDrive, CompletesBlocksAndSignalsTheirEvents)
{
    const CdAddress d = Offer(cdkit::WriteImage(m_folder.Path(), "disc", {{75}}));
    HMODULE library = GetModuleHandleA((kvtest::BinFolder() + "KgPTP.dll").c_str());
    ASSERT_NE(nullptr, library);
    auto send = reinterpret_cast<aspi::SendCommandFn>(reinterpret_cast<void*>(GetProcAddress(library, "SendASPI32Command")));
    aspi::SRB_ExecSCSICmd srb{};
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = d.adapter;
    srb.SRB_Target = d.target;
    srb.SRB_Flags = aspi::SRB_DIR_IN | aspi::SRB_EVENT_NOTIFY;
    uint8_t answer[36];
    srb.SRB_BufLen = sizeof answer;
    srb.SRB_BufPointer = answer;
    srb.SRB_SenseLen = aspi::kSenseLength;
    srb.SRB_CDBLen = 6;
    srb.SRB_PostProc = event;
    const uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
    memcpy(srb.CDBByte, inquiry, 6);
    EXPECT_EQ(aspi::SS_COMP, send(&srb));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    CloseHandle(event);

    aspi::SRB_GetDiskInfo info{};
    info.SRB_Cmd = aspi::SC_GET_DISK_INFO;
    info.SRB_HaId = d.adapter;
    info.SRB_Target = d.target;
    EXPECT_EQ(aspi::SS_COMP, send(&info));
    EXPECT_EQ(kLetter - 'A', info.SRB_Int13HDriveInfo);
    info.SRB_Target = 7; // the adapter's own identifier
    EXPECT_EQ(aspi::SS_NO_DEVICE, send(&info));
    aspi::SRB_Header unknown{};
    unknown.SRB_Cmd = 0x55;
    EXPECT_EQ(aspi::SS_INVALID_CMD, send(&unknown));
}

TEST_F(ImageDrive, TestWriteLeavesTheDiscBlankAndTheBurnLeavesACueAndBin)
{
    const std::string sheet = cdkit::WriteBlank(m_folder.Path(), "blank", "CD-RW");
    const CdAddress d = Offer(sheet);
    EXPECT_EQ(0x10, DiscStatus(d)); // erasable, empty
    uint32_t sense = 0;
    uint8_t toc[12];
    EXPECT_EQ(aspi::SS_ERR, Run(d, {0x43, 0, 0, 0, 0, 0, 1, 0, sizeof toc, 0}, toc, sizeof toc, Dir::In, &sense));

    const Burn burn{{0, 150}, {750, 600}};
    ASSERT_EQ(aspi::SS_COMP, RunBurn(d, burn, true, &sense)) << std::hex << sense;
    EXPECT_EQ(0x10, DiscStatus(d));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_folder.Path() + "blank.bin").c_str()));

    ASSERT_EQ(aspi::SS_COMP, RunBurn(d, burn, false, &sense)) << std::hex << sense;
    EXPECT_EQ(0x10 | 0x0E, DiscStatus(d));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_folder.Path() + "blank.bin.part").c_str()));
    const std::string text = cdkit::ReadFileText(sheet);
    EXPECT_NE(std::string::npos, text.find("FILE \"blank.bin\" BINARY")) << text;
    EXPECT_NE(std::string::npos, text.find("INDEX 00 00:10:00")) << text;
    EXPECT_NE(std::string::npos, text.find("INDEX 01 00:12:00")) << text;
    DiscToc read;
    ASSERT_TRUE(m_access.ReadToc(d, &read));
    ASSERT_EQ(2u, read.tracks.size());
    EXPECT_EQ(900u, read.tracks[1].start);
    EXPECT_EQ(1500u, read.leadOut);
    std::vector<uint8_t> audio(2352);
    ASSERT_TRUE(m_access.ReadAudio(d, 1499, 1, audio.data()));
    int16_t v;
    memcpy(&v, &audio[2 * 100], 2);
    EXPECT_EQ(cdkit::PatternSample(1499, 100), v);

    // A written disc takes no second cue sheet; a blank makes it empty again.
    EXPECT_EQ(aspi::SS_ERR, RunBurn(d, burn, false, &sense));
    EXPECT_EQ(0x053005u, sense);
    for (uint8_t type : {1, 0}) { // quick, then complete
        ASSERT_EQ(aspi::SS_COMP, Run(d, {0xA1, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(0x10, DiscStatus(d)) << int(type);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_folder.Path() + "blank.bin").c_str()));
        ASSERT_EQ(aspi::SS_COMP, RunBurn(d, burn, false, &sense));
    }
}

TEST_F(ImageDrive, RefusesBurnsTheDiscCannotTake)
{
    const CdAddress d = Offer(cdkit::WriteBlank(m_folder.Path(), "short", "CD-R", "00:05:00"));
    uint32_t sense = 0;
    EXPECT_EQ(aspi::SS_ERR, RunBurn(d, {{0}, {750}}, false, &sense)); // ten seconds on five
    EXPECT_EQ(0x052100u, sense);
    EXPECT_EQ(aspi::SS_ERR, Run(d, {0xA1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, nullptr, 0, Dir::None, &sense));
    EXPECT_EQ(0x053006u, sense); // a CD-R cannot be erased
    std::vector<uint8_t> sector(2352);
    EXPECT_EQ(aspi::SS_ERR, Run(d, {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, sector.data(), 2352, Dir::Out, &sense));
    EXPECT_EQ(0x052C00u, sense); // no cue sheet sent
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_folder.Path() + "short.bin.part").c_str()));
}
