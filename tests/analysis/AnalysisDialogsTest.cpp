// Amplitude Range and FFT Parameters opened as the user sees them, typed into, their buttons
// pressed and the values read back; the pane's handler orders and stores the range.
#include "AnalysisDialogs.h"
#include "AnalysisPaneFixture.h"
#include "SettingsTestKit.h"
#include "FrequencyGraphPaint.h"

using namespace settingstest;

TEST(AnalysisFftDialogTest, OverlapStaysBelowTheSizeAndAutoRefreshOnlyUpTo1024)
{
    CAnalysisFftDialog dialog;
    dialog.m_fftSize = 256;
    dialog.m_overlap = 0;
    dialog.m_window = 2;
    dialog.m_autoRefresh = 1;
    ASSERT_TRUE(dialog.Create(IDD_ANALYSIS_FFT));
    dialog.ShowWindow(SW_SHOW);
    HWND hwnd = dialog.m_hWnd;
    EXPECT_EQ(ComboItems(::GetDlgItem(hwnd, IDC_ANALYSIS_FFT_SIZE)),
              (std::vector<std::string>{"128", "256", "512", "1024", "2048", "4096", "8192", "16384", "32768", "65536"}));
    EXPECT_EQ(ComboItems(::GetDlgItem(hwnd, IDC_ANALYSIS_WINDOW)),
              (std::vector<std::string>{"Hanning", "Hamming", "Blackman", "Bartlett", "Rectangular", "Blackman-Harris"}));
    EXPECT_EQ(Text(hwnd, IDC_ANALYSIS_FFT_SIZE), "256");
    EXPECT_EQ(Text(hwnd, IDC_ANALYSIS_WINDOW), "Blackman");
    EXPECT_EQ(Text(hwnd, IDC_ANALYSIS_OVERLAP_RATIO), "/256 ( 0.000%)");
    Type(hwnd, IDC_ANALYSIS_OVERLAP, "300");
    ::SetFocus(::GetDlgItem(hwnd, IDCANCEL));
    EXPECT_EQ(Text(hwnd, IDC_ANALYSIS_OVERLAP), "255");
    EXPECT_EQ(Text(hwnd, IDC_ANALYSIS_OVERLAP_RATIO), "/256 (99.609%)");
    Choose(hwnd, IDC_ANALYSIS_FFT_SIZE, 4);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_ANALYSIS_AUTO_REFRESH))) << "2048";
    EXPECT_EQ(Text(hwnd, IDC_ANALYSIS_OVERLAP_RATIO), "/2048 (12.451%)");
    Choose(hwnd, IDC_ANALYSIS_FFT_SIZE, 3);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_ANALYSIS_AUTO_REFRESH))) << "1024";
    Choose(hwnd, IDC_ANALYSIS_WINDOW, 5);
    Click(hwnd, IDC_ANALYSIS_AUTO_REFRESH);
    // OK with the focus still in the edit: an overlap at or above the size is clamped too.
    Type(hwnd, IDC_ANALYSIS_OVERLAP, "5000");
    Press(hwnd, IDOK);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_fftSize, 1024);
    EXPECT_EQ(dialog.m_overlap, 1023);
    EXPECT_EQ(dialog.m_window, 5);
    EXPECT_EQ(dialog.m_autoRefresh, 0);
}

TEST(AnalysisRangeDialogTest, RangesAreCheckedAndEqualValuesRefused)
{
    const struct {
        const char *upper, *lower;
        bool closes;
        const char* message;
    } cases[] = {
        {"100", "99", true, nullptr},
        {"-300", "-310", false, "Please enter"},
        {"0", "-301", false, "Please enter"},
        {"-20", "-20", false, "Same value was specified for both Min. and Max. values."},
        {"-20", "0", true, nullptr},
    };
    for (const auto& c : cases) {
        CAnalysisRangeDialog dialog;
        ASSERT_TRUE(dialog.Create(IDD_ANALYSIS_RANGE));
        EXPECT_EQ(Text(dialog.m_hWnd, IDC_ANALYSIS_MAX), "0");
        EXPECT_EQ(Text(dialog.m_hWnd, IDC_ANALYSIS_MIN), "-130");
        MessageCatcher boxes;
        Type(dialog.m_hWnd, IDC_ANALYSIS_MAX, c.upper);
        Type(dialog.m_hWnd, IDC_ANALYSIS_MIN, c.lower);
        Press(dialog.m_hWnd, IDOK);
        EXPECT_EQ(dialog.m_hWnd == nullptr, c.closes) << c.upper << " / " << c.lower;
        if (c.message) {
            ASSERT_EQ(boxes.messages.size(), 1u) << c.upper << " / " << c.lower;
            EXPECT_EQ(boxes.messages[0].rfind(c.message, 0), 0u) << boxes.messages[0];
            dialog.DestroyWindow();
        } else {
            EXPECT_TRUE(boxes.messages.empty());
        }
    }
}

TEST_F(AnalysisPaneTest, AmplitudeRangeOfUpperBelowLowerIsStoredTheRightWayUp)
{
    frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    ModalScript script([] {
        HWND dialog = ::GetActiveWindow();
        if (!dialog || !::GetDlgItem(dialog, IDC_ANALYSIS_MAX))
            return false;
        Type(dialog, IDC_ANALYSIS_MAX, "-20");
        Type(dialog, IDC_ANALYSIS_MIN, "0");
        Click(dialog, IDOK);
        return true;
    });
    pane->GetFrame()->SendMessage(WM_COMMAND, ID_ANALYSIS_AMP_RANGE, 0);
    EXPECT_EQ(GetSettingInt(kSettingsSection, "AnalizeAmpRange", 99), 0);
    EXPECT_EQ(GetSettingInt(kSettingsSection, "AnalizeAmpRangeLow", 99), -20);
    EXPECT_EQ(pane->GetSettings().ampUpper, 0);
    EXPECT_EQ(pane->GetSettings().ampLower, -20);
}

TEST_F(AnalysisPaneTest, NewFftParametersAreStoredAndAnalysedAtOnce)
{
    CNyMultiTrackDoc* doc = NewDocument(44100, {{2, Sine16(8192, 2, {1000, 3000}, 44100, 0.25)}});
    ASSERT_NE(doc, nullptr);
    doc->GetSelection()->SetSelection(0, 8192, TRUE);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    // The right channel first: new parameters start again from the first entry.
    ::SendMessageA(ChannelList(pane), CB_SETCURSEL, 0, 0);
    ::SendMessageA(ChannelList(pane), WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_EQ(pane->GetChannel(), 1);
    ModalScript script([] {
        HWND dialog = ::GetActiveWindow();
        if (!dialog || !::GetDlgItem(dialog, IDC_ANALYSIS_FFT_SIZE))
            return false;
        Choose(dialog, IDC_ANALYSIS_FFT_SIZE, 2); // 512
        Type(dialog, IDC_ANALYSIS_OVERLAP, "256");
        Choose(dialog, IDC_ANALYSIS_WINDOW, 1);
        Click(dialog, IDOK);
        return true;
    });
    pane->GetFrame()->SendMessage(WM_COMMAND, ID_ANALYSIS_FFT_PARAMETERS, 0);
    EXPECT_EQ(GetSettingInt(kSettingsSection, "AnalizeTapSize", 0), 512);
    EXPECT_EQ(GetSettingInt(kSettingsSection, "AnalizeOverlapTapSize", 0), 256);
    EXPECT_EQ(GetSettingInt(kSettingsSection, "AnalizeWindowType", 0), 1);
    EXPECT_EQ(pane->GetAnalyzer().GetFftSize(), 512);
    EXPECT_EQ(pane->GetAnalyzer().GetFrameCount(), 31); // (8192 - 512) / 256 + 1
    EXPECT_EQ(pane->GetChannel(), 0);
    // Command 1000 + n picks the n-th selected track (here the only one).
    pane->GetFrame()->SendMessage(WM_COMMAND, ID_ANALYSIS_TRACK_FIRST, 0);
    EXPECT_EQ(pane->GetTrack(), 0);
}

TEST_F(AnalysisPaneTest, MenuCommandsSwitchAxisAndGraphWithTheirChecksAndTheMouseShowsTheValue)
{
    SetSettingInt(kSettingsSection, "AnalizeWindowType", 4);
    CNyMultiTrackDoc* doc = NewDocument(44100, {{1, Sine16(512, 1, {44100.0 * 16 / 128}, 44100, 0.1)}});
    ASSERT_NE(doc, nullptr);
    doc->GetSelection()->SetSelection(0, 512, TRUE);
    CNyAnalizeWnd* pane = ChooseFrequencyAnalysis();
    ASSERT_NE(pane, nullptr);
    ASSERT_EQ(pane->AnalyzeSelection(TRUE), S_OK);
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_ANALYSIS_MENU));
    HMENU view = ::GetSubMenu(::GetSubMenu(menu, 0), 1);
    HMENU axis = ::GetSubMenu(view, 0), graph = ::GetSubMenu(view, 2);
    HWND paneFrame = PaneFrame(pane);
    auto checked = [&](HMENU popup, UINT id) {
        ::SendMessageA(paneFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        return (::GetMenuState(popup, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    HMENU file = ::GetSubMenu(::GetSubMenu(menu, 0), 0);
    ::SendMessageA(paneFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_FALSE(::GetMenuState(file, ID_ANALYSIS_SAVE_DATA, MF_BYCOMMAND) & MF_GRAYED) << "a document with sound";
    EXPECT_TRUE(checked(axis, ID_ANALYSIS_AXIS_LINEAR));
    EXPECT_FALSE(checked(axis, ID_ANALYSIS_AXIS_LOG));
    EXPECT_TRUE(checked(graph, ID_ANALYSIS_NARROW));
    ::SendMessageA(paneFrame, WM_COMMAND, ID_ANALYSIS_AXIS_LOG, 0);
    ::SendMessageA(paneFrame, WM_COMMAND, ID_ANALYSIS_OCTAVE, 0);
    EXPECT_TRUE(checked(axis, ID_ANALYSIS_AXIS_LOG));
    EXPECT_TRUE(checked(graph, ID_ANALYSIS_OCTAVE));
    EXPECT_FALSE(checked(graph, ID_ANALYSIS_NARROW));
    EXPECT_EQ(GetSettingInt(kSettingsSection, "AnalizeAxis", 0), 1);
    EXPECT_EQ(GetSettingInt(kSettingsSection, "AnalizeViewType", 0), 2);
    ::DestroyMenu(menu);

    // Back to the narrow band on a linear axis: the mouse over the sine's bin.
    ::SendMessageA(paneFrame, WM_COMMAND, ID_ANALYSIS_AXIS_LINEAR, 0);
    ::SendMessageA(paneFrame, WM_COMMAND, ID_ANALYSIS_NARROW, 0);
    RECT client;
    pane->GetClientRect(&client);
    HDC dc = ::GetDC(pane->m_hWnd);
    const GraphMetrics metrics = SystemFontMetrics(dc);
    ::ReleaseDC(pane->m_hWnd, dc);
    GraphState state;
    state.plot = LayoutGraph({client.left, client.top, client.right, client.bottom}, metrics.lineHeight,
                             metrics.charWidth).plot;
    const SpectrumGraph shown(pane->GetAnalyzer(), {0, -130, kAxisLinear, kGraphNarrow}, state);
    const int x = shown.FrequencyToX(5512.5), y = (state.plot.top + state.plot.bottom) / 2;
    ::SendMessageA(pane->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    EXPECT_EQ(StatusText(pane, 0), "5512.50Hz   -20.00dB");
}
