// What a new user does with the pane: open a WAV, show Frequency Analysis, drag a second of
// selection in the track area, switch to 1/3 octaves and export through the save dialog. The
// showcase (not run by the suite) does the same and stays on screen for a look or a screenshot:
//   analysis_tests --gtest_also_run_disabled_tests --gtest_filter=*Showcase*   (KV_SHOW_SECONDS=8)
#include "AnalysisPaneFixture.h"
#include "SettingsTestKit.h"
#include "ViewCore.h"

#include <dlgs.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace settingstest;

namespace {

class AnalysisUserTest : public AnalysisPaneTest {
protected:
    // Returns the pane once the export is written.
    CNyAnalizeWnd* OpenShowSelectSwitchAndExport(const std::string& csv, std::string* proposed)
    {
        // Three seconds: a 440 Hz tone, then 440 Hz and 3 kHz, then 3 kHz.
        const int rate = 44100;
        std::vector<double> samples;
        for (int i = 0; i < 3 * rate; ++i) {
            const double t = double(i) / rate;
            samples.push_back((i < 2 * rate ? 0.3 * std::sin(2 * 3.14159265358979 * 440 * t) : 0.0) +
                              (i >= rate ? 0.2 * std::sin(2 * 3.14159265358979 * 3000 * t) : 0.0));
        }
        CNyMultiTrackDoc* doc = OpenWav("take.wav", 1, rate, 16, samples);
        if (!doc)
            return nullptr;
        frame_->ShowWindow(SW_SHOW);
        Pump();
        CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
        if (!pane)
            return nullptr;
        // A drag across the second second of the track.
        CNyMultiTrackView* view = ActiveView();
        HWND area = ::GetDlgItem(view->m_hWnd, kChildTrackArea);
        const RECT row = view->GetChannelRect(0, 0);
        const int y = row.top + (row.bottom - row.top) * 3 / 4; // clear of the envelope lines
        int from = row.left, to = row.left;
        while (from < row.right && view->XToSample(from) < rate)
            ++from;
        while (to < row.right && view->XToSample(to) < 2 * rate)
            ++to;
        ::PostMessageA(area, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from + to) / 2, y));
        ::PostMessageA(area, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, y));
        ::PostMessageA(area, WM_LBUTTONUP, 0, MAKELPARAM(to, y));
        ::SendMessageA(area, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, y));
        Pump();
        ::SendMessageA(PaneFrame(pane), WM_COMMAND, ID_ANALYSIS_THIRD_OCTAVE, 0);
        ModalScript script([&] {
            HWND dialog = ::GetActiveWindow();
            HWND name = dialog ? (::GetDlgItem(dialog, cmb13) ? ::GetDlgItem(dialog, cmb13) : ::GetDlgItem(dialog, edt1))
                               : nullptr;
            if (!name)
                return false;
            char text[MAX_PATH] = "";
            ::GetWindowTextA(name, text, sizeof text);
            *proposed = text;
            ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(csv.c_str()));
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
            return true;
        });
        ::SendMessageA(PaneFrame(pane), WM_COMMAND, ID_ANALYSIS_SAVE_DATA, 0);
        return pane;
    }
};

} // namespace

TEST_F(AnalysisUserTest, OpenShowSelectASecondSwitchToThirdOctavesAndExport)
{
    const std::string csv = scratch_.File("take third octaves.csv");
    std::string proposed;
    CNyAnalizeWnd* pane = OpenShowSelectSwitchAndExport(csv, &proposed);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(proposed, "take_TRACK1_13.csv");
    // The drag analysed the second it selected (128-frame transforms).
    int64_t start = 0, end = 0;
    ActiveView()->GetMultiTrackDoc()->GetSelection()->GetOrderedSelection(&start, &end);
    EXPECT_NEAR(double(start), 44100, 300);
    EXPECT_NEAR(double(end), 88200, 300);
    EXPECT_EQ(pane->GetAnalyzer().GetFrameCount(), int((end - start + 127) / 128));
    // Both tones play in that second: the 500 and 3150 Hz bands stand well above the rest.
    std::ifstream in(csv, std::ios::binary);
    ASSERT_TRUE(in.good()) << "no file written; boxes: " << (boxes_.empty() ? "" : boxes_.front());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("Filename,take\nTrack Number,TRACK1,\n", 0), 0u) << text;
    EXPECT_NE(text.find("Graph Type,1/3 Oct.Band\n"), std::string::npos);
    double level500 = 0, level3150 = 0, level8000 = 0;
    for (size_t at = text.find("Amplitude(dB)\n"); at != std::string::npos; at = text.find('\n', at + 1)) {
        double hz = 0, level = 0;
        if (std::sscanf(text.c_str() + at + 1, "%lf,%lf", &hz, &level) != 2)
            continue;
        if (hz == 500)
            level500 = level;
        if (hz == 3150)
            level3150 = level;
        if (hz == 8000)
            level8000 = level;
    }
    EXPECT_GT(level500, -20);
    EXPECT_GT(level3150, -20);
    EXPECT_LT(level8000, level3150 - 30);
    std::string folder;
    GetSettingString(kSettingsSection, "LastSaveDir", "", &folder);
    EXPECT_EQ(folder, scratch_.Path());
}

TEST_F(AnalysisUserTest, AnExportTheSystemRefusesShowsItsTextAndKeepsTheOldFile)
{
    CNyMultiTrackDoc* doc = OpenWav("take.wav", 1, 44100, 16, Sine(4096, 1, 1000, 44100, 0.25));
    ASSERT_NE(doc, nullptr);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    // Another program holds the old export open.
    const std::string held = scratch_.File("held.csv");
    {
        std::ofstream old(held, std::ios::binary);
        old << "old";
    }
    HANDLE lock = ::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    // The save dialog: the name typed, OK, and Yes to replacing it.
    bool named = false;
    ModalScript script([&] {
        HWND active = ::GetActiveWindow();
        if (!active)
            return false;
        if (!named) {
            HWND name = ::GetDlgItem(active, cmb13) ? ::GetDlgItem(active, cmb13) : ::GetDlgItem(active, edt1);
            if (!name)
                return false;
            ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(held.c_str()));
            ::PostMessageA(active, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(active, IDOK)));
            named = true;
            return false;
        }
        if (!::GetDlgItem(active, IDYES))
            return false;
        ::PostMessageA(active, WM_COMMAND, IDYES, 0);
        return true;
    });
    ::SendMessageA(PaneFrame(pane), WM_COMMAND, ID_ANALYSIS_SAVE_DATA, 0);
    // The box holds the system's own text of the error the write met.
    const HRESULT refused = pane->ExportCsv(held.c_str());
    ::CloseHandle(lock);
    ASSERT_TRUE(FAILED(refused));
    char system[512] = "";
    ASSERT_NE(::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(refused & 0xFFFF),
                               0, system, sizeof system, nullptr),
              0u);
    ASSERT_EQ(boxes_.size(), 1u) << "the failure was not shown";
    EXPECT_EQ(boxes_[0], system);
    EXPECT_EQ(GetFileAttributesA((held + ".part").c_str()), INVALID_FILE_ATTRIBUTES);
    std::ifstream in(held, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "old");
}

TEST_F(AnalysisUserTest, DISABLED_Showcase)
{
    std::string proposed;
    CNyAnalizeWnd* pane = OpenShowSelectSwitchAndExport(scratch_.File("showcase.csv"), &proposed);
    ASSERT_NE(pane, nullptr);
    ::SetWindowPos(PaneFrame(pane), HWND_TOP, 0, 0, 420, 300, SWP_NOMOVE | SWP_SHOWWINDOW);
    // The mouse over the plot, as a user pointing at a band.
    RECT client;
    pane->GetClientRect(&client);
    ::SendMessageA(pane->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(client.right * 2 / 3, client.bottom / 2));
    const char* seconds = std::getenv("KV_SHOW_SECONDS");
    const DWORD until = GetTickCount() + 1000u * (seconds ? DWORD(std::atoi(seconds)) : 8u);
    while (GetTickCount() < until) {
        Pump();
        Sleep(15);
    }
}
