// The program's CD code against a disc image in the prefix: the drive object through MCI (our
// driver) and CD tracks through the file module.
#include "CdDrive.h"
#include "CdPrefix.h"
#include "FioKit.h"

#include <gtest/gtest.h>

namespace {

constexpr char kLetter = 'Q';

struct ProgressRecord {
    LONG value;
    char text[320];
    LONG cancel;
    LONG flags;
    LONG closeValue;
};

// Receives the file module's 0x40A reports; cancels at the step given.
struct ReportWindow {
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_USER + 10 && lp) {
            auto* self = reinterpret_cast<ReportWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
            self->codes.push_back(int(wp));
            if (wp == 2 && ++self->steps == self->cancelAt)
                reinterpret_cast<ProgressRecord*>(lp)->cancel = 1;
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    ReportWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CdTrackReports";
        RegisterClassA(&wc);
        hwnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ReportWindow() { DestroyWindow(hwnd); }
    HWND hwnd = nullptr;
    std::vector<int> codes;
    int steps = 0, cancelAt = -1;
};

std::string TrackPath(int number)
{
    char path[32];
    snprintf(path, sizeof path, "%c:\\Track%02d.cda", kLetter, number);
    return path;
}

} // namespace

TEST(CdPrefix, DriveObjectReadsTheImagesTableThroughMci)
{
    cdtest::ScopedImageDrive image(kLetter, cdtest::StandardDisc());
    ASSERT_TRUE(image.IsCdRom());
    ASSERT_TRUE(cdtest::DriverOverridesSet()) << cdtest::kDriverOverridesHint;
    CCdDrive drive;
    ASSERT_EQ(S_OK, drive.Open(kLetter));
    EXPECT_TRUE(drive.IsCdRomDrive());
    EXPECT_TRUE(drive.CanPlay());
    ASSERT_EQ(S_OK, drive.ReadTrackTable());
    ASSERT_EQ(3u, drive.TableSize());
    EXPECT_EQ(10000u, drive.GetTrack(0).GetLength());
    EXPECT_EQ(8000u, drive.GetTrack(1).GetLength());
    EXPECT_EQ(4000u, drive.GetTrack(2).GetLength());
    EXPECT_TRUE(drive.GetTrack(1).IsAudioType());
    EXPECT_FALSE(drive.GetTrack(2).IsAudioType());
    EXPECT_EQ("KVIMAGE  Disc Image       1.00", drive.GetDeviceName());
    EXPECT_EQ(S_OK, drive.Close());

    // A letter that is no drive of ours does not open.
    EXPECT_NE(S_OK, drive.Open('P'));
    EXPECT_EQ(0, drive.GetDeviceId());
}

TEST(CdPrefix, FileModuleDescribesCdTracks)
{
    cdtest::ScopedImageDrive image(kLetter, cdtest::StandardDisc());
    fiotest::Fio fio;
    FileInfoRecord record{};
    ASSERT_EQ(S_OK, fio->QueryFileInfo(nullptr, TrackPath(2).c_str(), 11, 0, &record));
    EXPECT_EQ(11, record.fileType);
    EXPECT_EQ(44100u, record.samplesPerSec);
    EXPECT_EQ(16, record.bitsPerSample);
    EXPECT_EQ(2, record.channels);
    EXPECT_EQ(600 * 588, record.lengthSamples);
    EXPECT_STREQ("CD Audio Track", record.formatName);

    struct Case {
        std::string path;
        HRESULT hr;
    } refusals[] = {
        {TrackPath(3), HRESULT(0x83E800DE)}, // the data track
        {TrackPath(4), HRESULT(0x83E800C9)}, // no such track
        {"P:\\Track01.cda", HRESULT(0x83EA0002)}, // no drive there
    };
    for (const Case& c : refusals) {
        FileInfoRecord r{};
        EXPECT_EQ(c.hr, fio->QueryFileInfo(nullptr, c.path.c_str(), -1, 0, &r)) << c.path;
    }
}

TEST(CdPrefix, ImportsATrackSampleForSampleAndStopsOnCancel)
{
    // A long first track: several progress steps.
    cdtest::ScopedImageDrive image(kLetter, {{2000}, {75}});
    fiotest::Fio fio;
    {
        ReportWindow reports;
        fiotest::Converted c = fiotest::Convert(fio.Get(), TrackPath(1), 0, 6, reports.hwnd);
        ASSERT_EQ(S_OK, c.hr);
        EXPECT_EQ(2000 * 588, c.record.lengthSamples);
        ASSERT_EQ(2u, c.names.size());
        const std::vector<uint8_t> data = fiotest::ReadBytes(c.names[0]);
        ASSERT_EQ(2000u * 2352, data.size());
        for (uint32_t sector : {0u, 999u, 1999u})
            for (uint32_t pair : {0u, 1175u}) {
                int16_t v;
                memcpy(&v, &data[sector * 2352 + pair * 2], 2);
                ASSERT_EQ(cdkit::PatternSample(sector, pair), v) << sector;
            }
        EXPECT_EQ(1, reports.codes.front());
        EXPECT_EQ(4, reports.codes.back());
    }
    {
        ReportWindow reports;
        reports.cancelAt = 1;
        const std::vector<std::string> before = fiotest::TempFileNames();
        fiotest::Converted c = fiotest::Convert(fio.Get(), TrackPath(1), 0, 6, reports.hwnd);
        EXPECT_EQ(HRESULT(0x83E80005), c.hr);
        EXPECT_EQ(before, fiotest::TempFileNames());
    }
}
