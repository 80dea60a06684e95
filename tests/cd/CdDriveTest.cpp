// The CD drive object's table of contents and device name, against MCI answers from a table.
#include "CdDrive.h"

#include <gtest/gtest.h>

#include <winioctl.h>

#include <map>

namespace {

// A scripted MCI device: per track its type and start (ms), the last track's length, and the
// queries that fail.
struct FakeDisc {
    std::vector<std::pair<DWORD, DWORD>> tracks; // type, start
    DWORD lastLength = 0;
    std::map<std::pair<DWORD, DWORD>, MCIERROR> failures; // (item, track) -> error
    MCIERROR openError = 0, setError = 0, closeError = 0;
    int opens = 0, closes = 0;
};
FakeDisc g_disc;

MCIERROR WINAPI FakeMci(MCIDEVICEID, UINT message, DWORD_PTR flags, DWORD_PTR parms)
{
    switch (message) {
    case MCI_OPEN:
        if (g_disc.openError)
            return g_disc.openError;
        ++g_disc.opens;
        reinterpret_cast<MCI_OPEN_PARMSA*>(parms)->wDeviceID = 7;
        return 0;
    case MCI_CLOSE:
        ++g_disc.closes;
        return g_disc.closeError;
    case MCI_SET:
        return g_disc.setError;
    case MCI_GETDEVCAPS:
        reinterpret_cast<MCI_GETDEVCAPS_PARMS*>(parms)->dwReturn = 1;
        return 0;
    case MCI_STATUS: {
        auto* s = reinterpret_cast<MCI_STATUS_PARMS*>(parms);
        const DWORD track = (flags & MCI_TRACK) ? s->dwTrack : 0;
        auto failure = g_disc.failures.find({s->dwItem, track});
        if (failure != g_disc.failures.end())
            return failure->second;
        if (s->dwItem == MCI_STATUS_NUMBER_OF_TRACKS)
            s->dwReturn = g_disc.tracks.size();
        else if (s->dwItem == MCI_CDA_STATUS_TYPE_TRACK)
            s->dwReturn = g_disc.tracks[track - 1].first;
        else if (s->dwItem == MCI_STATUS_POSITION)
            s->dwReturn = g_disc.tracks[track - 1].second;
        else if (s->dwItem == MCI_STATUS_LENGTH && track == g_disc.tracks.size())
            s->dwReturn = g_disc.lastLength;
        else
            return MCIERR_UNSUPPORTED_FUNCTION;
        return 0;
    }
    default:
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
}

struct Row {
    int number;
    int32_t type;
    uint32_t start, length;
    bool audio;
};

} // namespace

TEST(CdDrive, ReadsTheTrackTableFromMciAnswers)
{
    constexpr DWORD A = MCI_CDA_TRACK_AUDIO, D = MCI_CDA_TRACK_OTHER;
    struct Case {
        const char* name;
        FakeDisc disc;
        HRESULT result;
        std::vector<Row> rows;
    } cases[] = {
        {"two audio tracks", {{{A, 2000}, {A, 12000}}, 8000, {}}, S_OK,
         {{1, A, 2000, 10000, true}, {2, A, 12000, 8000, true}}},
        {"a trailing data track: its gap stays in the last audio length",
         {{{A, 2000}, {A, 12000}, {D, 172000}}, 5000, {}}, S_OK,
         {{1, A, 2000, 10000, true}, {2, A, 12000, 160000, true}, {3, D, 172000, 5000, false}}},
        {"a track whose queries fail is left out",
         {{{A, 2000}, {A, 12000}, {A, 20000}}, 3000, {{{MCI_STATUS_POSITION, 2}, MCIERR_HARDWARE}}}, S_OK,
         {{1, A, 2000, 18000, true}, {3, A, 20000, 3000, true}}},
        {"the last length asks the last track number even when its entry failed",
         {{{A, 2000}, {A, 12000}}, 7000, {{{MCI_CDA_STATUS_TYPE_TRACK, 2}, MCIERR_HARDWARE}}}, S_OK,
         {{1, A, 2000, 7000, true}}},
        {"an unanswered last length is the MCI error", {{{A, 2000}}, 0, {{{MCI_STATUS_LENGTH, 1}, MCIERR_HARDWARE}}},
         MciResult(MCIERR_HARDWARE), {{1, A, 2000, 0, true}}},
        {"a failing time format", {{{A, 2000}}, 100, {}, 0, MCIERR_BAD_TIME_FORMAT}, MciResult(MCIERR_BAD_TIME_FORMAT),
         {}},
        {"no tracks", {{}, 0, {}}, S_OK, {}},
        {"an unanswered count reads as no tracks",
         {{{A, 2000}}, 100, {{{MCI_STATUS_NUMBER_OF_TRACKS, 0}, MCIERR_DEVICE_NOT_READY}}}, S_OK, {}},
    };
    for (const Case& c : cases) {
        g_disc = c.disc;
        CCdDrive drive(FakeMci);
        ASSERT_EQ(S_OK, drive.Open('Q')) << c.name;
        EXPECT_EQ(c.result, drive.ReadTrackTable()) << c.name;
        ASSERT_EQ(c.rows.size(), drive.TableSize()) << c.name;
        for (size_t i = 0; i < c.rows.size(); ++i) {
            const CCdTrackEntry& e = drive.GetTrack(int(i));
            EXPECT_EQ(c.rows[i].number, e.GetTrackNumber()) << c.name;
            EXPECT_EQ(c.rows[i].type, e.GetType()) << c.name;
            EXPECT_EQ(c.rows[i].start, e.GetStart()) << c.name;
            EXPECT_EQ(c.rows[i].length, e.GetLength()) << c.name << " row " << i;
            EXPECT_EQ(c.rows[i].audio, e.IsAudio()) << c.name;
        }
    }
}

TEST(CdDrive, ClosedDriveAnswersNothingAndMciErrorsCarryTheirCode)
{
    g_disc = FakeDisc{{{MCI_CDA_TRACK_AUDIO, 2000}}, 100, {}};
    CCdDrive drive(FakeMci);
    EXPECT_EQ(0, drive.GetTrackCount());
    EXPECT_EQ(HRESULT(0x80004005), drive.ReadTrackTable());
    EXPECT_FALSE(drive.CanPlay());
    EXPECT_FALSE(drive.CanEject());
    EXPECT_EQ("", drive.GetDeviceName());
    EXPECT_FALSE(drive.IsCdRomDrive()); // no letter

    g_disc.openError = MCIERR_INVALID_DEVICE_NAME;
    EXPECT_EQ(HRESULT(0x83F20000u | MCIERR_INVALID_DEVICE_NAME), drive.Open('Q'));
    EXPECT_EQ(0, drive.GetDeviceId());
    EXPECT_EQ(0, drive.GetDriveLetter());

    g_disc.openError = 0;
    ASSERT_EQ(S_OK, drive.Open('Q'));
    EXPECT_EQ(7, drive.GetDeviceId());
    EXPECT_TRUE(drive.CanPlay());
    // Opening again closes first; a failing close still forgets the device.
    ASSERT_EQ(S_OK, drive.Open('R'));
    EXPECT_EQ(1, g_disc.closes);
    g_disc.closeError = MCIERR_HARDWARE;
    EXPECT_EQ(HRESULT(0x83F20000u | MCIERR_HARDWARE), drive.Close());
    EXPECT_EQ(0, drive.GetDeviceId());
    EXPECT_EQ(S_OK, drive.Close());
}

TEST(CdDrive, EntryKeepsItsAudioFlagOnceSet)
{
    CCdTrackEntry entry(3, MCI_CDA_TRACK_OTHER, 100, 200);
    EXPECT_FALSE(entry.IsAudio());
    entry.SetType(MCI_CDA_TRACK_AUDIO);
    EXPECT_FALSE(entry.IsAudio());
    entry.UpdateAudioFlag(0);
    EXPECT_TRUE(entry.IsAudio());
    entry.SetType(MCI_CDA_TRACK_OTHER);
    entry.UpdateAudioFlag(0);
    EXPECT_TRUE(entry.IsAudio());
    CCdTrackEntry copy = entry;
    EXPECT_EQ(3, copy.GetTrackNumber());
    EXPECT_EQ(200u, copy.GetLength());
}

TEST(CdDrive, DeviceNameTakesTheDescriptorsStringsAtTheirOffsets)
{
    struct Case {
        DWORD vendor, product, revision;
        size_t returned;
        const char* name;
    } cases[] = {
        {100, 120, 140, 200, "VENDOR PRODUCT REV1"},
        {0, 120, 140, 200, "PRODUCT REV1"},         // a zero offset is left out
        {100, 0, 0, 200, "VENDOR "},
        {0, 0, 0, 200, ""},
        {100, 120, 140, 130, "VENDOR PRODUCT "},    // the revision lies past the answer
        {100, 120, 4000, 200, "VENDOR PRODUCT "},   // an offset out of the buffer
        {100, 120, 140, 10, ""},                     // shorter than a descriptor
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> answer(2048, 0);
        STORAGE_DEVICE_DESCRIPTOR d{};
        d.VendorIdOffset = c.vendor;
        d.ProductIdOffset = c.product;
        d.ProductRevisionOffset = c.revision;
        memcpy(answer.data(), &d, sizeof d);
        memcpy(&answer[100], "VENDOR", 6);
        memcpy(&answer[120], "PRODUCT", 7);
        memcpy(&answer[140], "REV1", 4);
        EXPECT_EQ(c.name, DeviceNameFromDescriptor(answer.data(), c.returned)) << c.vendor << "/" << c.returned;
    }
}
