// Burn CD from the active window in the running program: a WAV with cue points opened at the
// start, the Tools menu's "Burn CD from active window", the rows cut at the cues, a pre-gap
// set, a test write and the write; the disc read back by bchunk and by our drive access.
//   KV_SHOW_SECONDS=n with --gtest_also_run_disabled_tests runs the Showcase for a screenshot.
#include "BurnProgramFixture.h"
#include "CdIds.h"
#include "CueSheet.h"
#include "DialogDriving.h"
#include "DiscImageKit.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>

namespace {

using cdtest::BurnProgram;
using cdtest::Pump;
using cdtest::RemoteListText;
using cdtest::RemoteSelectRow;
using cdtest::WaitFor;

// A 16-bit WAV of frames × channels samples from sample(frame, channel), with cue points.
void WriteWavWithCues(const std::string& path, uint16_t channels, uint32_t rate, uint32_t frames,
                      const std::function<int16_t(uint32_t, int)>& sample, const std::vector<uint32_t>& cues)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    const uint32_t dataBytes = frames * channels * 2, cueBytes = 4 + 24 * uint32_t(cues.size());
    auto u32 = [f](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [f](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(4 + 24 + 8 + dataBytes + 8 + cueBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * channels * 2);
    u16(uint16_t(channels * 2));
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
    std::vector<int16_t> block;
    for (uint32_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            block.push_back(sample(i, c));
    std::fwrite(block.data(), 2, block.size(), f);
    std::fwrite("cue ", 1, 4, f);
    u32(cueBytes);
    u32(uint32_t(cues.size()));
    for (size_t i = 0; i < cues.size(); ++i) {
        u32(uint32_t(i + 1));
        u32(cues[i]);
        std::fwrite("data", 1, 4, f);
        u32(0);
        u32(0);
        u32(cues[i]);
    }
    std::fclose(f);
}

int16_t Noise(uint32_t frame, int channel)
{
    return int16_t((frame * 2 + uint32_t(channel)) * 2654435761u >> 16);
}

std::string Total(HWND dialog)
{
    char total[64] = {};
    GetDlgItemTextA(dialog, IDC_BURN_TOTAL, total, sizeof total);
    return total;
}

// 20 s of stereo noise at 44100 Hz with cues at 10.005 s (cut back to the 10 s frame) and at
// 15.509 s (cut at the frame boundary 683844, the one nearest from the first cut).
class BurnWindow : public BurnProgram {
protected:
    static constexpr uint32_t kFrames = 882000;
    std::string PrepareDocument() override
    {
        const std::string path = m_sources.File("song.wav");
        WriteWavWithCues(path, 2, 44100, kFrames, Noise, {683950, 441200});
        return path;
    }
};

TEST_F(BurnWindow, BurnsTheDocumentCutAtItsCuesAfterATestWriteAndTheDiscReadsBackSampleForSample)
{
    HWND dialog = OpenBurnDialog(cdtest::kBurnFromWindow);
    ASSERT_NE(nullptr, dialog) << Diagnose();
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_BURN_ADD)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_BURN_MOVE_UP)));
    HWND list = GetDlgItem(dialog, IDC_BURN_TRACKS);
    ASSERT_EQ(3, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    struct Row {
        const char *number, *preGap, *start, *end, *length;
    } rows[] = {{"01", "2", "00 : 00 : 00.000", "00 : 00 : 12.000", "00 : 00 : 10.000"},
                {"02", "0", "00 : 00 : 12.000", "00 : 00 : 17.507", "00 : 00 : 05.507"},
                {"03", "0", "00 : 00 : 17.507", "00 : 00 : 22.000", "00 : 00 : 04.493"}};
    for (int r = 0; r < 3; ++r) {
        const char* const cells[] = {rows[r].number, rows[r].preGap, rows[r].start, rows[r].end, rows[r].length};
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(cells[c], RemoteListText(list, r, c)) << "row " << r << " column " << c;
    }
    EXPECT_EQ("Total Length: 0m 22s", Total(dialog));

    // The headless prefix has no sound device: the preview says so and does not start.
    RemoteSelectRow(list, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_BURN_PREVIEW)) != FALSE; }, 5000));
    PostMessageA(GetDlgItem(dialog, IDC_BURN_PREVIEW), BM_CLICK, 0, 0);
    ASSERT_TRUE(Answer("No playback capable device could be found. ", 10000)) << Diagnose();
    char preview[32] = {};
    GetDlgItemTextA(dialog, IDC_BURN_PREVIEW, preview, sizeof preview);
    EXPECT_STREQ("&Preview", preview);

    // Track 2 gets a pre-gap of one second.
    RemoteSelectRow(list, 1);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_BURN_PREGAP)) != FALSE; }, 5000));
    PostMessageA(GetDlgItem(dialog, IDC_BURN_PREGAP), BM_CLICK, 0, 0);
    HWND preGap = Box("Pre-Gap Settings");
    ASSERT_NE(nullptr, preGap) << Diagnose();
    HWND combo = GetDlgItem(preGap, IDC_BURN_PREGAP_VALUE);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SendMessageA(preGap, WM_COMMAND, MAKEWPARAM(IDC_BURN_PREGAP_VALUE, CBN_SELCHANGE), LPARAM(combo));
    PostMessageA(preGap, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return RemoteListText(list, 1, 1) == "1"; }, 5000)) << Diagnose();
    EXPECT_EQ("00 : 00 : 18.507", RemoteListText(list, 1, 3));
    EXPECT_EQ("Total Length: 0m 23s", Total(dialog));

    PostMessageA(GetDlgItem(dialog, IDC_BURN_ADVANCED), BM_CLICK, 0, 0);
    HWND advanced = Box("Advanced Settings");
    ASSERT_NE(nullptr, advanced) << Diagnose();
    SendMessageA(GetDlgItem(advanced, IDC_BURN_TEST_WRITE), BM_CLICK, 0, 0);
    PostMessageA(advanced, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(advanced); }, 5000));

    BurnAndClose(dialog);

    // Tracks at 0, 825 (after its second of pre-gap from 750) and 1238; lead-out 1575.
    const cdimage::CueDisc disc = ReadDisc();
    ASSERT_EQ(3u, disc.tracks.size());
    EXPECT_EQ(0u, disc.tracks[0].index1);
    EXPECT_EQ(750u, disc.tracks[1].index0);
    EXPECT_EQ(825u, disc.tracks[1].index1);
    EXPECT_EQ(1238u, disc.tracks[2].index1);
    EXPECT_EQ(1575u, disc.leadOut);

    const std::vector<uint8_t> song = cdtest::WavData(m_sources.File("song.wav"));
    ASSERT_EQ(size_t(kFrames) * 4, song.size() - (8 + 4 + 2 * 24)); // the cue chunk follows the data
    const auto part = [&](size_t from, size_t to) {
        return std::vector<uint8_t>(song.begin() + from * 4, song.begin() + to * 4);
    };
    const std::vector<uint8_t> tracks[] = {part(0, 441000), part(441000, 683844), part(683844, kFrames)};
    // The machine's bchunk splits the image into WAV files of its tracks (pre-gaps left out).
    ASSERT_EQ(0, cdtest::RunNative(m_image->Folder(), "bchunk -w disc.bin disc.cue back >/dev/null"));
    EXPECT_TRUE(cdtest::WavData(m_image->Folder() + "back01.wav") == tracks[0]);
    EXPECT_TRUE(cdtest::WavData(m_image->Folder() + "back02.wav") == tracks[1]);
    EXPECT_TRUE(cdtest::WavData(m_image->Folder() + "back03.wav") == tracks[2]);
    // Our drive access reads the same sectors, the pre-gap silent.
    const std::vector<uint8_t> sectors = ReadSectors(1575);
    ASSERT_FALSE(sectors.empty());
    EXPECT_TRUE(std::equal(tracks[0].begin(), tracks[0].end(), sectors.begin()));
    EXPECT_TRUE(std::all_of(sectors.begin() + 750 * 2352, sectors.begin() + 825 * 2352, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::equal(tracks[1].begin(), tracks[1].end(), sectors.begin() + 825 * 2352));
    EXPECT_TRUE(std::equal(tracks[2].begin(), tracks[2].end(), sectors.begin() + 1238 * 2352));
}

// A rewritable disc written at its slowest speed (4x: the 20 s take 5 s): Cancel while the
// write runs aborts it and the track files go (what was written stays, as on a real disc).
TEST_F(BurnWindow, CancelWhileTheDiscIsWrittenAbortsAndLeavesNoFile)
{
    cdkit::WriteBlank(m_image->Folder(), "disc", "CD-RW");
    HWND dialog = OpenBurnDialog(cdtest::kBurnFromWindow);
    ASSERT_NE(nullptr, dialog) << Diagnose();
    PostMessageA(GetDlgItem(dialog, IDC_BURN_ADVANCED), BM_CLICK, 0, 0);
    HWND advanced = Box("Advanced Settings");
    ASSERT_NE(nullptr, advanced) << Diagnose();
    HWND speeds = GetDlgItem(advanced, IDC_BURN_SPEED);
    const LRESULT slowest = SendMessageA(speeds, CB_GETCOUNT, 0, 0) - 1;
    ASSERT_GE(slowest, 1);
    EXPECT_EQ(4, SendMessageA(speeds, CB_GETITEMDATA, WPARAM(slowest), 0));
    SendMessageA(speeds, CB_SETCURSEL, WPARAM(slowest), 0);
    PostMessageA(advanced, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(advanced); }, 5000));

    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    HWND progress = Box("KorvaneSound5 Tarn");
    ASSERT_NE(nullptr, progress) << Diagnose();
    ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(progress, "Performing Write"); }, 30000)) << Diagnose();
    PostMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(Answer("Aborted write to media.", 30000)) << Diagnose();
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 5000));
    EXPECT_EQ(0, cdtest::FilesIn(m_temp.Path())) << "no temporary file is left";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
}

// A tone of 1 kHz at 48 kHz in one channel, minutes long.
class BurnConvertedWindow : public BurnProgram {
protected:
    uint32_t m_seconds = 10;
    std::string PrepareDocument() override
    {
        const std::string path = m_sources.File("tone.wav");
        WriteWavWithCues(path, 1, 48000, m_seconds * 48000,
                         [](uint32_t i, int) { return int16_t(std::lround(std::sin(i * (2 * 3.14159265358979 / 48)) * 10000)); },
                         {});
        return path;
    }
};

// A burn of a document not in CD format: converted to 44100 Hz stereo on its way to the disc,
// the one channel in both.
TEST_F(BurnConvertedWindow, BurnsADocumentNotInCdFormatConvertedToCdAudio)
{
    HWND dialog = OpenBurnDialog(cdtest::kBurnFromWindow);
    ASSERT_NE(nullptr, dialog) << Diagnose();
    HWND list = GetDlgItem(dialog, IDC_BURN_TRACKS);
    ASSERT_EQ(1, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("00 : 00 : 10.000", RemoteListText(list, 0, 4));
    BurnAndClose(dialog);

    const cdimage::CueDisc disc = ReadDisc();
    ASSERT_EQ(1u, disc.tracks.size());
    EXPECT_EQ(750u, disc.leadOut);
    const std::vector<uint8_t> sectors = ReadSectors(750);
    ASSERT_FALSE(sectors.empty());
    std::vector<int16_t> frames(sectors.size() / 2);
    std::memcpy(frames.data(), sectors.data(), sectors.size());
    // Both channels alike; the tone's 1000 cycles a second and its level (7071 RMS) kept.
    int crossings = 0, differ = 0;
    double power = 0;
    for (size_t i = 0; i < frames.size(); i += 2) {
        differ += frames[i] != frames[i + 1];
        crossings += i >= 2 && (frames[i - 2] < 0) != (frames[i] < 0);
        power += double(frames[i]) * frames[i];
    }
    EXPECT_EQ(0, differ);
    EXPECT_NEAR(20000, crossings, 4);
    EXPECT_NEAR(7071.0, std::sqrt(power / (frames.size() / 2)), 30.0);
}

class BurnLongWindow : public BurnConvertedWindow {
protected:
    std::string PrepareDocument() override
    {
        m_seconds = 900; // renders for seconds: the Cancel below comes long before its end
        return BurnConvertedWindow::PrepareDocument();
    }
};

TEST_F(BurnLongWindow, CancelWhileTheDocumentRendersLeavesNoFileAndTheDiscBlank)
{
    HWND dialog = OpenBurnDialog(cdtest::kBurnFromWindow);
    ASSERT_NE(nullptr, dialog) << Diagnose();
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    HWND progress = Box("KorvaneSound5 Tarn");
    ASSERT_NE(nullptr, progress) << Diagnose();
    ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(progress, "Processing..."); }, 5000));
    PostMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 60000)) << Diagnose();
    EXPECT_FALSE(IsWindowVisible(progress));
    // A cancel tells nothing: no box besides the dialog.
    Pump(500);
    EXPECT_EQ(1u, m_program->Boxes().size()) << Diagnose();
    EXPECT_EQ(0, cdtest::FilesIn(m_temp.Path())) << "no temporary file is left";
    EXPECT_EQ(std::string::npos, cdkit::ReadFileText(m_image->Sheet()).find("TRACK"));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
}

// A multichannel document is refused before the dialog shows.
class BurnMultichannelWindow : public BurnProgram {
protected:
    std::string PrepareDocument() override
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Settings", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        const DWORD multichannel = 1;
        RegSetValueExA(key, "DefaultDocumentType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&multichannel),
                       sizeof multichannel);
        RegCloseKey(key);
        const std::string path = m_sources.File("six.wav");
        WriteWavWithCues(path, 6, 44100, 44100 * 5, Noise, {});
        return path;
    }
};

TEST_F(BurnMultichannelWindow, IsRefusedBeforeTheDialogShows)
{
    PostMessageA(m_frame, WM_COMMAND, MAKEWPARAM(cdtest::kBurnFromWindow, 0), 0);
    ASSERT_TRUE(Answer("Audio CDs cannot be burned from multichannel documents.", 20000)) << Diagnose();
    Pump(500);
    for (HWND box : m_program->Boxes()) {
        char title[64] = {};
        GetWindowTextA(box, title, sizeof title);
        EXPECT_STRNE("Burn CD", title);
    }
}

TEST_F(BurnWindow, DISABLED_Showcase)
{
    HWND dialog = OpenBurnDialog(cdtest::kBurnFromWindow);
    ASSERT_NE(nullptr, dialog);
    RemoteSelectRow(GetDlgItem(dialog, IDC_BURN_TRACKS), 1);
    const char* seconds = std::getenv("KV_SHOW_SECONDS");
    Pump(1000u * (seconds ? DWORD(std::atoi(seconds)) : 6u));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

} // namespace
