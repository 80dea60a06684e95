// Split Waveform (Special menu) as a user meets it: the wizard's pages opened from the real
// menu item and driven through their own controls; the files written are read back and joined
// to the document's sound sample for sample, the cue points read from the label table.
#include "CoreMessageBox.h"
#include "DialogScript.h"
#include "DocCommandIds.h"
#include "HistorySteps.h"
#include "LabelRecord.h"
#include "ProgramFixture.h"
#include "Settings.h"
#include "SplitIds.h"
#include "WavFile.h"

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <functional>

using namespace fxtest;

namespace {

constexpr uint32_t kRate = 44100;

// The 16-bit stereo frames of a WAV file's data chunk (empty when it is none).
std::vector<int16_t> ReadWav16(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size = 0;
        std::memcpy(&size, &bytes[at + 4], 4);
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            samples.resize(std::min<size_t>(size, bytes.size() - at - 8) / 2);
            std::memcpy(samples.data(), &bytes[at + 8], samples.size() * 2);
            break;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Core messages (the folder creation question) answered OK and kept.
std::vector<UINT> g_coreMessages;
int AnswerOk(UINT id, const char*, UINT)
{
    g_coreMessages.push_back(id);
    return IDOK;
}

class SplitWaveformTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        g_coreMessages.clear();
        SetCoreMessageHandler(&AnswerOk);
        // Message boxes answered by answer_, their texts kept.
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT type) {
            boxes_.push_back(text);
            const UINT buttons = type & MB_TYPEMASK;
            return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? answer_ : IDOK;
        });
    }
    void TearDown() override
    {
        SetCoreMessageHandler(nullptr);
        ProgramTest::TearDown();
    }

    // A stereo tone of `seconds` with digital silence over each [from, to) second span, opened
    // as the program opens a file.
    void OpenToneWithPauses(int seconds, const std::vector<std::pair<double, double>>& pauses)
    {
        tone_.assign(size_t(seconds) * kRate * 2, 0);
        for (size_t f = 0; f < tone_.size() / 2; ++f) {
            const double t = double(f) / kRate;
            bool quiet = false;
            for (const auto& [from, to] : pauses)
                quiet = quiet || (t >= from && t < to);
            if (quiet)
                continue;
            tone_[2 * f] = int16_t(9000.0 * std::sin(6.283185307 * 440.0 * t));
            tone_[2 * f + 1] = int16_t(7000.0 * std::sin(6.283185307 * 330.0 * t + 1.0));
        }
        const std::string path = scratch_.File("tone.wav");
        ASSERT_TRUE(kvtest::WriteWav16(path, 2, kRate, tone_));
        ASSERT_NE(nullptr, app_.OpenDocumentFile(path.c_str()));
        CMDIChildWnd* child = main_->MDIGetActive();
        ASSERT_NE(nullptr, child);
        doc_ = dynamic_cast<CNyMultiTrackDoc*>(child->GetActiveDocument());
        view_ = dynamic_cast<CNyMultiTrackView*>(child->GetActiveView());
        ASSERT_TRUE(doc_ && view_);
        doc_->GetSelection()->SetTrackSelected(-1, TRUE);
        Pump();
    }

    // The Split Waveform item chosen from the real menu while the script drives the pages.
    void SplitWithScript(std::vector<std::function<bool()>> steps)
    {
        ASSERT_TRUE(OpenToItem(ID_SPLIT_WAVEFORM)) << "Split Waveform is enabled";
        // Last: every page has closed (a page left open times the script out, which closes it).
        steps.push_back([] { return !FindDialogWith(IDC_SPLIT_HELP); });
        Script script(std::move(steps));
        ChooseItem(ID_SPLIT_WAVEFORM);
        while (!script.Finished()) { // the last step's tick, outside the pages' loops
            Pump();
            ::Sleep(10);
        }
        EXPECT_FALSE(script.TimedOut());
    }
    // Steps: the type page's choice, then Next.
    static std::function<bool()> ChooseType(int button)
    {
        return [button] {
            HWND d = FindDialogWith(IDC_SPLIT_AT_CUES);
            if (!d)
                return false;
            Click(d, button);
            Click(d, IDOK);
            return true;
        };
    }
    // The split-to-files dialog: folder and prefix typed, OK.
    static std::function<bool()> SplitToFiles(std::string folder, std::string prefix)
    {
        return [folder, prefix] {
            HWND d = FindDialogWith(IDC_SPLIT_PREFIX);
            if (!d)
                return false;
            ::SetDlgItemTextA(d, IDC_SPLIT_FOLDER, folder.c_str());
            ::SetDlgItemTextA(d, IDC_SPLIT_PREFIX, prefix.c_str());
            Click(d, IDOK);
            return true;
        };
    }
    // At silence, source CD/MD, split to files into folder with the prefix.
    void SplitAtSilence(const std::string& folder, const std::string& prefix)
    {
        SplitWithScript({ChooseType(IDC_SPLIT_AT_SILENCE),
                         [] {
                             HWND d = FindDialogWith(IDC_SILENCE_CDMD);
                             if (!d)
                                 return false;
                             Click(d, IDC_SILENCE_CDMD);
                             Click(d, IDC_SPLIT_TO_FILES);
                             Click(d, IDOK);
                             return true;
                         },
                         SplitToFiles(folder, prefix)});
    }
    // The files prefix0001.wav... in the folder, read; stops at the first missing one.
    std::vector<std::vector<int16_t>> ReadRegions(const std::string& folder, const std::string& prefix)
    {
        std::vector<std::vector<int16_t>> regions;
        for (int n = 1;; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "%04d.wav", n);
            if (!Exists(folder + prefix + name))
                return regions;
            regions.push_back(ReadWav16(folder + prefix + name));
        }
    }
    std::vector<LabelRecord> Labels()
    {
        std::vector<LabelRecord> labels;
        LabelRecord r{};
        for (int i = 0; doc_->GetLabelAt(i, &r); ++i)
            if (r.id > 0)
                labels.push_back(r);
        return labels;
    }
    std::vector<int64_t> CuePositions()
    {
        std::vector<int64_t> cues;
        for (const LabelRecord& r : Labels())
            if ((r.kind & 0xFF) == kLabelCue)
                cues.push_back(r.start);
        return cues;
    }
    void AddLabel(int kind, int64_t start, int64_t end, const char* name)
    {
        LabelRecord r{};
        r.kind = kind;
        r.trackId = -1;
        r.start = start;
        r.end = end;
        std::snprintf(r.name, sizeof r.name, "%s", name);
        ASSERT_EQ(1, doc_->AddLabel(r));
    }

    std::vector<int16_t> tone_;
    int answer_ = IDYES;
};

TEST_F(SplitWaveformTest, AtSilenceWritesOneFilePerPassageThatJoinAgainToTheDocument)
{
    OpenToneWithPauses(180, {{60, 62}, {120, 122}});
    doc_->GetSelection()->SetSelection(1000, 5000, TRUE);
    const size_t labels = Labels().size();
    const std::string folder = scratch_.File("new folder\\");
    SplitAtSilence(folder, "Take_");

    // The missing folder was offered and made; three files cut inside the pauses.
    EXPECT_EQ(std::vector<UINT>{kIdsCreateFolderAsk}, g_coreMessages);
    const auto regions = ReadRegions(folder, "Take_");
    ASSERT_EQ(3u, regions.size());
    int64_t cut = 0;
    std::vector<int16_t> joined;
    for (size_t r = 0; r < regions.size(); ++r) {
        if (r > 0) {
            EXPECT_GE(cut, int64_t(r) * 60 * kRate) << "cut " << r << " after the pause began";
            EXPECT_LE(cut, (int64_t(r) * 60 + 2) * kRate) << "cut " << r << " before the pause ended";
        }
        cut += int64_t(regions[r].size() / 2);
        joined.insert(joined.end(), regions[r].begin(), regions[r].end());
    }
    EXPECT_TRUE(joined == tone_) << "the files joined are the document, sample for sample";

    // The document as it was: unmodified, no label added, the selection and the track marks back.
    EXPECT_FALSE(doc_->IsModified());
    EXPECT_EQ(labels, Labels().size());
    EXPECT_TRUE(CuePositions().empty());
    int64_t start = 0, end = 0;
    doc_->GetSelection()->GetSelection(&start, &end);
    EXPECT_EQ(1000, start);
    EXPECT_EQ(5000, end);
    EXPECT_EQ(1, doc_->GetSelection()->IsTrackSelectedAt(0));
    std::string saved;
    GetSettingString(kSettingsSection, "LastSaveDir", "", &saved);
    EXPECT_EQ(folder, saved);
}

TEST_F(SplitWaveformTest, TheSamePrefixAgainAsksAndNoWritesNothingThenYesWritesTheSameFiles)
{
    OpenToneWithPauses(30, {{10, 12}, {20, 22}});
    const std::string folder = scratch_.Path();
    SplitAtSilence(folder, "Take_");
    const auto first = ReadRegions(folder, "Take_");
    ASSERT_EQ(3u, first.size());
    for (int n = 1; n <= 3; ++n) // marked, so a rewrite shows
        std::ofstream(folder + "Take_000" + std::to_string(n) + ".wav", std::ios::binary) << "old";

    boxes_.clear();
    answer_ = IDNO;
    bool refusedKeptTheDialog = false;
    SplitWithScript({ChooseType(IDC_SPLIT_AT_SILENCE),
                     [] {
                         HWND d = FindDialogWith(IDC_SILENCE_CDMD);
                         if (!d)
                             return false;
                         Click(d, IDOK);
                         return true;
                     },
                     SplitToFiles(folder, "Take_"),
                     [&] {
                         // No: the dialog stays, every file as it was; then Yes.
                         HWND d = FindDialogWith(IDC_SPLIT_PREFIX);
                         refusedKeptTheDialog = d != nullptr;
                         EXPECT_EQ(3u, ReadRegions(folder, "Take_").size());
                         EXPECT_TRUE(ReadRegions(folder, "Take_")[0].empty()) << "not rewritten";
                         answer_ = IDYES;
                         if (d)
                             Click(d, IDOK);
                         return true;
                     }});
    EXPECT_TRUE(refusedKeptTheDialog);
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(0u, boxes_[0].find("One or more files with the specified prefix already exist."));
    EXPECT_TRUE(ReadRegions(folder, "Take_") == first) << "the retried run writes the same three files";
}

TEST_F(SplitWaveformTest, CutsStayInThePausesWhenTheTrackStartsLater)
{
    OpenToneWithPauses(30, {{10, 12}, {20, 22}});
    for (int t = 0; t < doc_->GetTrackCount(); ++t)
        ASSERT_EQ(S_OK, doc_->GetTrack(t)->SetStartOffset(5 * kRate));
    SplitAtSilence(scratch_.Path(), "Late_");
    const auto regions = ReadRegions(scratch_.Path(), "Late_");
    ASSERT_EQ(3u, regions.size());
    const int64_t first = int64_t(regions[0].size() / 2), second = first + int64_t(regions[1].size() / 2);
    EXPECT_GE(first, 15 * int64_t(kRate));
    EXPECT_LE(first, 17 * int64_t(kRate));
    EXPECT_GE(second, 25 * int64_t(kRate));
    EXPECT_LE(second, 27 * int64_t(kRate));
    std::vector<int16_t> expected(5 * kRate * 2, 0);
    expected.insert(expected.end(), tone_.begin(), tone_.end());
    std::vector<int16_t> joined;
    for (const auto& r : regions)
        joined.insert(joined.end(), r.begin(), r.end());
    EXPECT_TRUE(joined == expected);
}

TEST_F(SplitWaveformTest, CuePointsEveryIntervalReplaceEveryLabelButTheTrackLabelsInOneStep)
{
    OpenToneWithPauses(10, {});
    AddLabel(kLabelSection, kRate, 2 * kRate, "Verse");
    AddLabel(kLabelCue, 5 * kRate / 2, 5 * kRate / 2, "Mine");
    const std::vector<LabelRecord> before = Labels();
    const int steps = kvtest::UndoSteps(doc_->GetHistory());
    SplitWithScript({ChooseType(IDC_SPLIT_AT_INTERVAL), [] {
                         HWND d = FindDialogWith(IDC_SPLIT_INTERVAL_UNIT);
                         if (!d)
                             return false;
                         Choose(d, IDC_SPLIT_INTERVAL_UNIT, 0);
                         ::SetDlgItemTextA(d, IDC_SPLIT_INTERVAL, "3");
                         Click(d, IDC_SPLIT_TO_CUES);
                         EXPECT_EQ("Set Cue Points", ItemText(d, IDOK));
                         Click(d, IDC_SPLIT_REMOVE_CUES);
                         Click(d, IDOK);
                         return true;
                     }});
    EXPECT_EQ((std::vector<int64_t>{3 * kRate, 6 * kRate, 9 * kRate}), CuePositions());
    for (const LabelRecord& r : Labels())
        EXPECT_TRUE((r.kind & 0xFF) == kLabelTrack || (r.kind & 0xFF) == kLabelCue) << r.name;
    EXPECT_EQ(steps + 1, kvtest::UndoSteps(doc_->GetHistory()));
    EXPECT_EQ("Cue", kvtest::UndoNames(doc_->GetHistory())[0]);
    EXPECT_TRUE(doc_->IsModified());

    main_->SendMessage(WM_COMMAND, ID_EDIT_UNDO, 0);
    const std::vector<LabelRecord> after = Labels();
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].kind, after[i].kind);
        EXPECT_EQ(before[i].start, after[i].start);
        EXPECT_STREQ(before[i].name, after[i].name);
    }
}

TEST_F(SplitWaveformTest, AtCuePointsCutsOnlyAtCuesInsideTheDocumentAndRefusesABadPrefix)
{
    OpenToneWithPauses(10, {});
    AddLabel(kLabelCue, 0, 0, "At the start");
    AddLabel(kLabelCue, 2 * kRate, 2 * kRate, "Two");
    AddLabel(kLabelSection, 3 * kRate, 3 * kRate + 10, "Section");
    AddLabel(kLabelCue, 4 * kRate, 4 * kRate, "Four");
    AddLabel(kLabelCue, 12 * kRate, 12 * kRate, "Past the end");
    boxes_.clear();
    bool refused = false;
    SplitWithScript({ChooseType(IDC_SPLIT_AT_CUES), SplitToFiles(scratch_.Path(), "Bad:Name"), [&] {
                         HWND d = FindDialogWith(IDC_SPLIT_PREFIX);
                         refused = d && !boxes_.empty() && boxes_[0] == "An invalid file name was specified.";
                         if (d) {
                             ::SetDlgItemTextA(d, IDC_SPLIT_PREFIX, "Cut_");
                             Click(d, IDOK);
                         }
                         return true;
                     }});
    EXPECT_TRUE(refused);
    const auto regions = ReadRegions(scratch_.Path(), "Cut_");
    ASSERT_EQ(3u, regions.size());
    EXPECT_EQ(2u * kRate * 2, regions[0].size());
    EXPECT_EQ(2u * kRate * 2, regions[1].size());
    EXPECT_EQ(6u * kRate * 2, regions[2].size());
    EXPECT_FALSE(Exists(scratch_.File("Bad")));
}

TEST_F(SplitWaveformTest, PagesKeepTheirTimesInsideTheirLimitsAndRoundSecondsToTenMilliseconds)
{
    OpenToneWithPauses(10, {});
    const auto interval = [this](const char* typed, bool checkPage) {
        SplitWithScript({ChooseType(IDC_SPLIT_AT_INTERVAL),
                         [=] {
                             HWND d = FindDialogWith(IDC_SPLIT_INTERVAL_UNIT);
                             if (!d)
                                 return false;
                             Choose(d, IDC_SPLIT_INTERVAL_UNIT, 0);
                             HWND edit = ::GetDlgItem(d, IDC_SPLIT_INTERVAL);
                             if (checkPage) {
                                 // 0.1 s leaves the edit as 500 ms.
                                 ::SetWindowTextA(edit, "0.1");
                                 ::SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_SPLIT_INTERVAL, EN_KILLFOCUS),
                                                reinterpret_cast<LPARAM>(edit));
                                 EXPECT_EQ("0.50", WindowText(edit));
                                 // The files radio clears and disables the remove box.
                                 Click(d, IDC_SPLIT_TO_CUES);
                                 Click(d, IDC_SPLIT_REMOVE_CUES);
                                 EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(d, IDC_SPLIT_REMOVE_CUES));
                                 Click(d, IDC_SPLIT_TO_FILES);
                                 EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(d, IDC_SPLIT_REMOVE_CUES));
                                 EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d, IDC_SPLIT_REMOVE_CUES)));
                                 EXPECT_EQ("Next", ItemText(d, IDOK));
                             }
                             ::SetWindowTextA(edit, typed);
                             Click(d, IDC_SPLIT_TO_FILES);
                             Click(d, IDOK);
                             return true;
                         },
                         [] {
                             HWND d = FindDialogWith(IDC_SPLIT_PREFIX);
                             if (!d)
                                 return false;
                             Click(d, IDCANCEL);
                             return true;
                         }});
        std::string saved;
        GetSettingString(kSettingsSection, "DivideEquallyInfo", "", &saved);
        return saved;
    };
    EXPECT_EQ("7250:0:0:0", interval("7.254", true));
    EXPECT_EQ("7260:0:0:0", interval("7.255", false));

    // The silence page refuses less than 500 ms and stays; Back shows the type page again.
    boxes_.clear();
    bool stayed = false, typeAgain = false;
    SplitWithScript({ChooseType(IDC_SPLIT_AT_SILENCE),
                     [&] {
                         HWND d = FindDialogWith(IDC_SILENCE_CDMD);
                         if (!d)
                             return false;
                         Choose(d, IDC_SILENCE_UNIT, 0);
                         Click(d, IDC_SILENCE_ANALOG2);
                         EXPECT_EQ("500", ItemText(d, IDC_SILENCE_LEVEL_A));
                         EXPECT_EQ("700", ItemText(d, IDC_SILENCE_LEVEL_B));
                         ::SetDlgItemTextA(d, IDC_SILENCE_DURATION, "0.4");
                         Click(d, IDOK);
                         stayed = FindDialogWith(IDC_SILENCE_CDMD) == d;
                         Click(d, IDC_SPLIT_BACK);
                         return true;
                     },
                     [&] {
                         HWND d = FindDialogWith(IDC_SPLIT_AT_CUES);
                         if (!d)
                             return false;
                         typeAgain = true;
                         Click(d, IDCANCEL);
                         return true;
                     }});
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(typeAgain);
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ("Please enter a value of 500 or greater for the duration of the silence. ", boxes_[0]);
}

// The window as the screen shows it, into a 24-bit BMP file.
void SaveWindowPicture(HWND window, const std::string& path)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = DWORD((w * 3 + 3) & ~3), size = stride * DWORD(h);
    BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) + size, 0, 0,
                          DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

// Not run by the suite: each page of the wizard as the user sees it, saved as split_<page>.bmp
// in KV_SHOT_DIR (default the scratch folder) for a look under a virtual display:
//   KV_WINE_DISPLAY=x11 xvfb-run -a build/wine-run build/bin/effects_tests.exe
//       --gtest_also_run_disabled_tests --gtest_filter=*ShowcaseSplitPages*
TEST_F(SplitWaveformTest, DISABLED_ShowcaseSplitPages)
{
    const char* dir = std::getenv("KV_SHOT_DIR");
    const std::string shots = dir ? std::string(dir) + "\\" : scratch_.Path();
    main_->ShowWindow(SW_SHOW);
    OpenToneWithPauses(10, {});
    const auto shoot = [&](int control, const char* name, std::function<void(HWND)> then) {
        return [=]() {
            HWND d = FindDialogWith(control);
            if (!d)
                return false;
            ::RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
            Pump();
            ::Sleep(300);
            Pump();
            SaveWindowPicture(d, shots + "split_" + name + ".bmp");
            then(d);
            return true;
        };
    };
    SplitWithScript({shoot(IDC_SPLIT_AT_CUES, "type", [](HWND d) { Click(d, IDOK); }),
                     shoot(IDC_SPLIT_INTERVAL_UNIT, "interval",
                           [](HWND d) {
                               Click(d, IDC_SPLIT_TO_FILES);
                               Click(d, IDOK);
                           }),
                     shoot(IDC_SPLIT_PREFIX, "files", [](HWND d) { Click(d, IDCANCEL); })});
    SplitWithScript({[] {
                         HWND d = FindDialogWith(IDC_SPLIT_AT_CUES);
                         if (!d)
                             return false;
                         Click(d, IDC_SPLIT_AT_SILENCE);
                         Click(d, IDOK);
                         return true;
                     },
                     shoot(IDC_SILENCE_CDMD, "silence", [](HWND d) { Click(d, IDCANCEL); })});
}

} // namespace
