// The analysis pane in the program's main frame on real documents: opened through command 1074,
// driven by the messages its controls send, reading tracks of every storage form.
#include "AnalysisPaneFixture.h"

#include "NyMiniFrame.h"
#include "PanePlacement.h"
#include "ProgressDlg.h"

#include <fstream>
#include <iterator>

namespace {

bool MenuItemEnabled(HWND frame, UINT id)
{
    HMENU bar = ::GetMenu(frame);
    for (int i = 0; bar && i < ::GetMenuItemCount(bar); ++i) {
        HMENU popup = ::GetSubMenu(bar, i);
        if (popup && ::GetMenuState(popup, id, MF_BYCOMMAND) != UINT(-1)) {
            ::SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), i);
            return !(::GetMenuState(popup, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
        }
    }
    std::string items;
    for (int i = 0; bar && i < ::GetMenuItemCount(bar); ++i) {
        char text[64] = "";
        ::GetMenuStringA(bar, UINT(i), text, sizeof text, MF_BYPOSITION);
        items += std::string(text) + " ";
    }
    ADD_FAILURE() << "no menu item " << id << " in " << items;
    return false;
}

// The combo box's own keyboard choice of an entry (it sends CBN_SELCHANGE itself).
void ChooseEntry(HWND list, int index)
{
    ::SendMessageA(list, CB_SETCURSEL, WPARAM(index - 1), 0);
    ::SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageA(list, WM_KEYUP, VK_DOWN, 0);
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST_F(AnalysisPaneTest, FrequencyAnalysisOpensThePaneBesideTheMainWindowWhileADocumentIsOpen)
{
    frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    ASSERT_NE(ActiveView(), nullptr);
    Pump();
    EXPECT_TRUE(MenuItemEnabled(frame_->m_hWnd, ID_VIEW_FREQUENCY_ANALYSIS));
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    HWND paneFrame = PaneFrame(pane);
    EXPECT_TRUE(::IsWindowVisible(paneFrame));
    RECT main, rect;
    frame_->GetWindowRect(&main);
    ::GetWindowRect(paneFrame, &rect);
    // Its first place: inside the main window's monitor, below the bars and clear of the shown
    // panes (at +250, +250 where that is free).
    RECT client, meet;
    ::GetWindowRect(frame_->m_hWndMDIClient, &client);
    EXPECT_GE(rect.top, client.top);
    for (PaneKind kind : {PaneKind::Controller, PaneKind::Selection, PaneKind::Mixer}) {
        CNyMiniFrame* other = frame_->PaneFrame(kind);
        RECT otherRect;
        if (other && other->IsWindowVisible() && ::GetWindowRect(other->m_hWnd, &otherRect)) {
            EXPECT_FALSE(::IntersectRect(&meet, &rect, &otherRect)) << GetPaneInfo(kind).valueName;
        }
    }
    EXPECT_EQ(rect.right - rect.left, 320);
    EXPECT_EQ(rect.bottom - rect.top, 240);
    EXPECT_EQ(pane->GetView(), ActiveView());
    // The same command hides it, and shows the same pane again.
    ChooseFrequencyAnalysis();
    EXPECT_FALSE(::IsWindowVisible(paneFrame));
    EXPECT_EQ(ChooseFrequencyAnalysis(), pane);
    EXPECT_TRUE(::IsWindowVisible(paneFrame));
    // Its Close hides it too.
    ::SendMessageA(paneFrame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(paneFrame));
    EXPECT_TRUE(::IsWindow(paneFrame));
    // Without a document the command is off, and the pane has no view.
    frame_->MDIGetActive()->SendMessage(WM_CLOSE);
    Pump();
    EXPECT_EQ(frame_->MDIGetActive(), nullptr);
    EXPECT_EQ(pane->GetView(), nullptr);
    frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    Pump();
    frame_->MDIGetActive()->SendMessage(WM_CLOSE);
    Pump();
    EXPECT_EQ(pane->GetView(), nullptr) << "a closed view stays bound";
}

TEST_F(AnalysisPaneTest, APlacementSavedAtCloseIsWhereThePaneComesBack)
{
    SetSettingString(kSettingsSection, "AnalizeWndPos", "0:1:-1:-1:-1:-1:40:60:440:400:0");
    frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    RECT rect;
    ::GetWindowRect(PaneFrame(pane), &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 60);
    EXPECT_EQ(rect.right, 440);
    EXPECT_EQ(rect.bottom, 400);
}

TEST_F(AnalysisPaneTest, EveryStorageFormReadsTheSameSineAtItsBin)
{
    SetSettingInt(kSettingsSection, "AnalizeTapSize", 1024);
    SetSettingInt(kSettingsSection, "AnalizeWindowType", 4);
    const int rate = 48000, bin = 40;
    const std::vector<double> sine = Sine(8192, 1, 48000.0 * bin / 1024, rate, 0.5);
    double levels[4] = {};
    const int bits[4] = {16, 8, 24, 32};
    CNyAnalizeWnd* pane = nullptr;
    for (int i = 0; i < 4; ++i) {
        CNyMultiTrackDoc* doc = OpenWav("sine" + std::to_string(bits[i]) + ".wav", 1, rate, bits[i], sine);
        ASSERT_NE(doc, nullptr) << bits[i] << " bits";
        ASSERT_EQ(doc->GetBitsPerSample(), bits[i]);
        doc->GetSelection()->SetSelection(0, 8192, TRUE);
        if (!pane)
            pane = ChooseFrequencyAnalysis();
        ASSERT_NE(pane, nullptr);
        ASSERT_EQ(pane->GetView(), ActiveView());
        ASSERT_EQ(pane->AnalyzeSelection(TRUE), S_OK) << bits[i] << " bits";
        EXPECT_EQ(pane->GetAnalyzer().GetFrameCount(), 8);
        levels[i] = LevelAt(pane, bin);
    }
    EXPECT_NEAR(levels[0], 20 * std::log10(0.5), 0.05);
    EXPECT_NEAR(levels[1], levels[0], 0.5) << "8 bits";
    EXPECT_NEAR(levels[2], levels[0], 0.05) << "24 bits";
    EXPECT_NEAR(levels[3], levels[0], 0.05) << "float";
}

TEST_F(AnalysisPaneTest, ChannelListNamesEverySelectedChannelAndTheLfeEntryAnalysesItsChannel)
{
    SetSettingInt(kSettingsSection, "AnalizeWindowType", 4);
    // Channel c of the six-channel track: the sine of bin 4 + 4c.
    std::vector<double> hz;
    for (int c = 0; c < 6; ++c)
        hz.push_back(44100.0 * (4 + 4 * c) / 128);
    CNyMultiTrackDoc* doc = NewDocument(44100, {{1, Sine16(4096, 1, {1000}, 44100, 0.5)},
                                                {2, Sine16(4096, 2, {1000, 2000}, 44100, 0.5)},
                                                {6, Sine16(4096, 6, hz, 44100, 0.5)}});
    ASSERT_NE(doc, nullptr);
    doc->GetSelection()->SetSelection(0, 4096, TRUE);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    const std::vector<std::string> expected = {"TRACK 1",       "TRACK 2 - L",   "TRACK 2 - R",  "TRACK 3 - L",
                                               "TRACK 3 - R",   "TRACK 3 - C",   "TRACK 3 - LFE", "TRACK 3 - Ls",
                                               "TRACK 3 - Rs"};
    EXPECT_EQ(Entries(pane), expected);
    EXPECT_EQ(pane->GetTrack(), 0);
    ChooseEntry(ChannelList(pane), 6);
    EXPECT_EQ(pane->GetTrack(), 2);
    EXPECT_EQ(pane->GetChannel(), 3);
    EXPECT_EQ(StatusText(pane, 1), "TRACK 3");
    EXPECT_NEAR(LevelAt(pane, 16), 20 * std::log10(0.5), 0.05);
    EXPECT_LT(LevelAt(pane, 12), -100);
    // The entry that is already current starts nothing.
    pane->GetFrame()->SetStatusText(1, "");
    ChooseEntry(ChannelList(pane), 6);
    EXPECT_EQ(StatusText(pane, 1), "");
    // Rows not selected are not listed.
    doc->GetSelection()->SetTrackSelected(-1, FALSE);
    doc->GetSelection()->SetTrackSelected(1, TRUE);
    pane->GetFrame()->GetDialogBar().SendMessage(WM_COMMAND, MAKEWPARAM(ID_ANALYSIS_REFRESH, BN_CLICKED), 0);
    EXPECT_EQ(Entries(pane), (std::vector<std::string>{"TRACK 2 - L", "TRACK 2 - R"}));
    EXPECT_EQ(pane->GetTrack(), 1);
}

TEST_F(AnalysisPaneTest, AnUnchangedKeyAndTheProgramsRefreshAtSize2048DoNothing)
{
    CNyMultiTrackDoc* doc = OpenWav("key.wav", 2, 44100, 16, Sine(44100, 2, 1000, 44100, 0.25));
    ASSERT_NE(doc, nullptr);
    doc->GetSelection()->SetSelection(100, 20000, TRUE);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    ASSERT_EQ(pane->AnalyzeSelection(TRUE), S_OK);
    pane->GetFrame()->SetStatusText(1, "");
    EXPECT_EQ(pane->AnalyzeSelection(TRUE), S_OK);
    EXPECT_EQ(StatusText(pane, 1), "") << "the same key analysed again";
    // The Refresh button does analyse again.
    pane->GetFrame()->GetDialogBar().SendMessage(WM_COMMAND, MAKEWPARAM(ID_ANALYSIS_REFRESH, BN_CLICKED),
                                                 reinterpret_cast<LPARAM>(::GetDlgItem(
                                                     pane->GetFrame()->GetDialogBar().m_hWnd, ID_ANALYSIS_REFRESH)));
    EXPECT_EQ(StatusText(pane, 1), "TRACK 1");
    // With FFT size 2048 the program's refresh after edits is off.
    SetSettingInt(kSettingsSection, "AnalizeTapSize", 2048);
    CNyAnalizeWnd other;
    other.SetView(ActiveView());
    const int frames = other.GetAnalyzer().GetFrameCount();
    other.Refresh(1);
    EXPECT_EQ(other.GetAnalyzer().GetFrameCount(), frames);
    EXPECT_EQ(other.GetTrack(), -1);
    other.SetView(nullptr);
}

TEST_F(AnalysisPaneTest, ALongSelectionShowsProgressAndEscapeKeepsThePartRead)
{
    SetSettingInt(kSettingsSection, "AnalizeTapSize", 1024);
    const int frames = 44100 * 20;
    CNyMultiTrackDoc* doc = OpenWav("long.wav", 1, 44100, 16, Sine(frames, 1, 1000, 44100, 0.25));
    ASSERT_NE(doc, nullptr);
    doc->GetSelection()->SetSelection(0, frames, TRUE);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    CProgressDlg* progress = app_.GetProgressDialog();
    ASSERT_NE(progress, nullptr);
    // Escape waits in the queue for the progress dialog's first look at its messages.
    ::PostMessageA(progress->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    HWND bar = pane->GetFrame()->GetDialogBar().m_hWnd;
    ::SendMessageA(bar, WM_COMMAND, MAKEWPARAM(ID_ANALYSIS_REFRESH, BN_CLICKED), 0);
    const int read = pane->GetAnalyzer().GetFrameCount();
    EXPECT_GT(read, 0);
    EXPECT_LT(read, frames / 1024) << "Escape did not stop the run";
    EXPECT_GT(LevelAt(pane, 23), -20.0) << "the part read is shown"; // 1 kHz falls on bin 23.2
    EXPECT_FALSE(pane->IsBusy());
    EXPECT_TRUE(::IsWindowEnabled(PaneFrame(pane)));
    // Without Escape the whole selection is read.
    ::SendMessageA(bar, WM_COMMAND, MAKEWPARAM(ID_ANALYSIS_REFRESH, BN_CLICKED), 0);
    EXPECT_EQ(pane->GetAnalyzer().GetFrameCount(), (frames + 1023) / 1024);
}

TEST_F(AnalysisPaneTest, AnalyzeTakesTheBlockAtThePosition)
{
    SetSettingInt(kSettingsSection, "AnalizeWindowType", 4);
    // 1378.125 Hz (bin 4 of 128) for a second, then 5512.5 Hz (bin 16).
    std::vector<double> samples = Sine(44100, 1, 44100.0 * 4 / 128, 44100, 0.5);
    const std::vector<double> high = Sine(44100, 1, 44100.0 * 16 / 128, 44100, 0.5);
    samples.insert(samples.end(), high.begin(), high.end());
    CNyMultiTrackDoc* doc = OpenWav("two.wav", 1, 44100, 16, samples);
    ASSERT_NE(doc, nullptr);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    const struct {
        int64_t position;
        int bin;
    } cases[] = {{1280, 4}, {50000, 16}, {12800, 4}};
    for (const auto& c : cases) {
        pane->Analyze(c.position);
        EXPECT_EQ(pane->GetAnalyzer().GetFrameCount(), 1);
        EXPECT_NEAR(LevelAt(pane, c.bin), -6.02, 0.1) << c.position;
    }
}

TEST_F(AnalysisPaneTest, ABlockPastTheEndOfAnEightBitTrackIsPaddedWithSilence)
{
    // 8-bit silence is 128: a block filled out with zero bytes would read as a full-scale offset.
    CNyMultiTrackDoc* doc = OpenWav("quiet.wav", 1, 44100, 8, std::vector<double>(1000, 0.0));
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->GetBitsPerSample(), 8);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    pane->Analyze(950);
    EXPECT_NEAR(LevelAt(pane, 0), 10 * std::log10(CSpectrumAnalyzer::Calibration(128)), 0.01);
}

TEST_F(AnalysisPaneTest, CsvExportsOfTheNarrowAndThirdOctaveViewsHaveTheirExactBytes)
{
    SetSettingInt(kSettingsSection, "AnalizeWindowType", 4);
    // One impulse at the start of every 128 frames: a flat spectrum that every transform
    // computes exactly.
    std::vector<int16_t> impulses(2 * 512, 0);
    for (int f = 0; f < 512; f += 128)
        impulses[2 * f] = 16384;
    CNyMultiTrackDoc* doc = NewDocument(44100, {{2, impulses}});
    ASSERT_NE(doc, nullptr);
    doc->SetTitle("take.kvs");
    doc->GetSelection()->SetSelection(0, 512, TRUE);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    ASSERT_EQ(pane->AnalyzeSelection(TRUE), S_OK);
    EXPECT_EQ(pane->DefaultExportName(), "take_TRACK1-L_narrow.csv");
    // Every bin of every frame holds 16384: 2^28 a bin after averaging, doubled inside the band.
    std::string narrow =
        "Filename,take\nTrack Number,TRACK1-L,\nTrack Label,Track1\nFFT size,128\nOverlap,0\nWindow,Rectangular\n"
        "Graph Type,Narrow\n,\nFrequency(Hz),Amplitude(dB)\n";
    char line[64];
    const double single = 10 * std::log10(16384.0 * 16384.0 * CSpectrumAnalyzer::Calibration(128));
    for (int k = 0; k <= 64; ++k) {
        std::snprintf(line, sizeof line, "%5.2f,%7.2lf\n", k * 44100.0 / 128,
                      single + (k == 0 || k == 64 ? 0.0 : 10 * std::log10(2.0)));
        narrow += line;
    }
    ASSERT_EQ(pane->ExportCsv(scratch_.File("narrow.csv").c_str()), S_OK);
    EXPECT_EQ(FileText(scratch_.File("narrow.csv")), narrow);
    EXPECT_EQ(narrow.substr(narrow.size() - 52), "\n21360.94, -42.14\n21705.47, -42.14\n22050.00, -45.15\n");

    pane->GetFrame()->SendMessage(WM_COMMAND, ID_ANALYSIS_THIRD_OCTAVE, 0);
    EXPECT_EQ(pane->DefaultExportName(), "take_TRACK1-L_13.csv");
    ASSERT_EQ(pane->ExportCsv(scratch_.File("third.csv").c_str()), S_OK);
    const std::string third = FileText(scratch_.File("third.csv"));
    const std::string head =
        "Filename,take\nTrack Number,TRACK1-L,\nTrack Label,Track1\nFFT size,128\nOverlap,0\nWindow,Rectangular\n"
        "Graph Type,1/3 Oct.Band\n,\nFrequency(Hz),Amplitude(dB)\n";
    // From the 1600 Hz band (the first at least one bin of 344.5 Hz wide): 1, 1, 2, 2, 3, 3, 4, 6,
    // 6, 8, 12 doubled bins, and the last band 11 and the single bin at 22050 Hz.
    EXPECT_EQ(third, head + "1600.00, -42.14\n2000.00, -42.14\n2500.00, -39.13\n3150.00, -39.13\n4000.00, -37.37\n"
                            "5000.00, -37.37\n6300.00, -36.12\n8000.00, -34.36\n10000.00, -34.36\n12500.00, -33.11\n"
                            "16000.00, -31.35\n20000.00, -31.54\n");
    EXPECT_EQ(GetFileAttributesA(scratch_.File("third.csv.part").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(AnalysisPaneTest, AFailedExportReportsTheSystemsErrorAndLeavesTheOldFileWhole)
{
    CNyMultiTrackDoc* doc = OpenWav("take.wav", 1, 44100, 16, Sine(4096, 1, 1000, 44100, 0.25));
    ASSERT_NE(doc, nullptr);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    ASSERT_EQ(pane->AnalyzeSelection(TRUE), S_OK);
    // A folder that is not there.
    EXPECT_EQ(pane->ExportCsv(scratch_.File("missing\\out.csv").c_str()), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    // A file another program holds open: nothing replaces it, nothing is left beside it.
    const std::string held = scratch_.File("held.csv");
    {
        std::ofstream old(held, std::ios::binary);
        old << "old";
    }
    HANDLE lock = ::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FAILED(pane->ExportCsv(held.c_str())));
    ::CloseHandle(lock);
    EXPECT_EQ(FileText(held), "old");
    EXPECT_EQ(GetFileAttributesA((held + ".part").c_str()), INVALID_FILE_ATTRIBUTES);
}
