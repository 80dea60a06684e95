// The settings sheet driven through its tabs and controls (modeless, and modal through the main
// frame's command function), with the application's fields in a recording document host and the
// settings in a registry root of the test's own.
#include "AudioDeviceIds.h"
#include "DocumentFixture.h"
#include "EnvSheetHost.h"
#include "KsMultiTrackLoader.h"
#include "NyEnvSheet.h"
#include "Settings.h"
#include "SettingsCommands.h"
#include "SettingsIds.h"
#include "SettingsTestKit.h"
#include "TestSupport.h"

#include <commctrl.h>

#include <map>
#include <memory>

using namespace settingstest;

namespace {

class TestSheetHost : public EnvSheetHost {
public:
    std::string TempFolder() override { return folder; }
    void SetTempFolder(const std::string& f) override { folder = f; }
    void CreateTempFolder() override { ++created; }
    void ArrangePanesAtDefaults() override { ++arranged; }
    HRESULT GetTempStore(ComRef<IMtTempStore>& s) override
    {
        s = store;
        return store ? S_OK : E_FAIL;
    }
    std::string folder;
    int created = 0, arranged = 0;
    ComRef<IMtTempStore> store;
};

enum Page { kRecord, kData, kTemp, kView, kEdit };

const char* const kRateMessage = "Set the sample rate between  2000Hz and 192000Hz.";

class EnvSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDocumentHost(&app);
        SetEnvSheetHost(&host);
        host.folder = temp.Path();
        ProgramStarted();
    }
    // The program writes its temporary folder at start, so the section exists.
    void ProgramStarted() { SetSettingString(kSettingsSection, "TempPath", temp.Path().c_str()); }
    void TearDown() override
    {
        Close();
        SetEnvSheetHost(nullptr);
        SetDocumentHost(nullptr);
    }

    // Builds the sheet as the main frame does and shows it modeless at the start page.
    HWND Open(int startPage = 0)
    {
        Close();
        sheet = std::make_unique<CNyEnvSheet>("Settings", nullptr, startPage);
        EXPECT_TRUE(sheet->Create());
        sheet->ShowWindow(SW_SHOW);
        return sheet->m_hWnd;
    }
    void Close()
    {
        if (sheet && sheet->m_hWnd)
            sheet->DestroyWindow();
        sheet.reset();
    }
    HWND PageWindow() const { return (HWND)::SendMessageA(sheet->m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0); }
    int ActivePage() const { return sheet->GetActiveIndex(); }
    // Clicks the page's tab as the user does; the page window shown afterwards.
    HWND ClickTab(int page)
    {
        HWND tab = (HWND)::SendMessageA(sheet->m_hWnd, PSM_GETTABCONTROL, 0, 0);
        RECT item{};
        ::SendMessageA(tab, TCM_GETITEMRECT, (WPARAM)page, (LPARAM)&item);
        LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        ::SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(tab, WM_LBUTTONUP, 0, at);
        return PageWindow();
    }
    // OK as its button sends it; true when the sheet accepted (it shows no page any more).
    bool PressOK()
    {
        Press(sheet->m_hWnd, IDOK);
        return PageWindow() == nullptr;
    }
    int Stored(const char* entry) { return GetSettingInt(kSettingsSection, entry, -1); }

    SettingsTestRoot root;
    kvtest::ScratchFolder temp;
    RecordingHost app;
    TestSheetHost host;
    MessageCatcher boxes;
    std::unique_ptr<CNyEnvSheet> sheet;
};

} // namespace

TEST_F(EnvSheetTest, OpensWithFivePagesInOrderAndNoApplyButton)
{
    Open(3);
    HWND tab = (HWND)::SendMessageA(sheet->m_hWnd, PSM_GETTABCONTROL, 0, 0);
    std::vector<std::string> captions;
    for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
        char text[64] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = (int)sizeof text;
        ::SendMessageA(tab, TCM_GETITEMA, (WPARAM)i, (LPARAM)&item);
        captions.push_back(text);
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"Record", "Audio Properties", "Temporary Files", "Display", "Edit"}));
    EXPECT_EQ(ActivePage(), kView);
    HWND apply = ::GetDlgItem(sheet->m_hWnd, 0x3021);
    EXPECT_TRUE(!apply || !::IsWindowVisible(apply));
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(sheet->m_hWnd, IDHELP)));
}

TEST_F(EnvSheetTest, TypedRatesAreStoredAsNumbersAndShownWithThousands)
{
    const struct {
        const char* typed;
        int stored;
        const char* shownAgain;
    } cases[] = {
        {"44,100Hz", 44100, "44,100Hz"},
        {"48000", 48000, "48,000Hz"},
        {"2,000Hz", 2000, "2,000Hz"},
        {"192000Hz", 192000, "192,000Hz"},
    };
    for (const auto& c : cases) {
        SettingsTestRoot caseRoot;
        ProgramStarted();
        app.settings.samplesPerSec = 22050;
        Open(kData);
        EXPECT_EQ(Text(PageWindow(), IDC_ENV_SAMPLE_RATE), "22,050Hz");
        Type(PageWindow(), IDC_ENV_SAMPLE_RATE, c.typed);
        ASSERT_TRUE(PressOK()) << c.typed;
        EXPECT_EQ(sheet->SaveValues(), 1) << c.typed;
        EXPECT_EQ(Stored("DefaultSamplesPerSec"), c.stored);
        EXPECT_EQ(app.settings.samplesPerSec, (uint32_t)c.stored);
        Open(kData);
        EXPECT_EQ(Text(PageWindow(), IDC_ENV_SAMPLE_RATE), c.shownAgain);
    }
    EXPECT_TRUE(boxes.messages.empty());

    // Leaving the rate box writes the typed rate back in the shown form.
    HWND page = Open(kData) ? PageWindow() : nullptr;
    Type(page, IDC_ENV_SAMPLE_RATE, "11025");
    ::SetFocus(::GetDlgItem(page, IDC_ENV_BIT_DEPTH));
    EXPECT_EQ(Text(page, IDC_ENV_SAMPLE_RATE), "11,025Hz");
}

TEST_F(EnvSheetTest, RatesOutsideTheRangeKeepTheUserOnThePageByTabAndByOK)
{
    for (const char* typed : {"1000", "200000", "1,999Hz"}) {
        SettingsTestRoot caseRoot;
        ProgramStarted();
        Open(kData);
        Type(PageWindow(), IDC_ENV_SAMPLE_RATE, typed);
        boxes.messages.clear();
        ClickTab(kRecord);
        EXPECT_EQ(ActivePage(), kData) << typed;
        EXPECT_FALSE(PressOK()) << typed;
        EXPECT_EQ(ActivePage(), kData);
        EXPECT_EQ(boxes.messages, (std::vector<std::string>{kRateMessage, kRateMessage})) << typed;
        EXPECT_EQ(Stored("DefaultSamplesPerSec"), -1);
    }
}

TEST_F(EnvSheetTest, StoredRecordValuesOutOfRangeAreCorrected)
{
    const struct {
        int channels, peak;
        int mono, peakChecked;
        int storedChannels;
    } cases[] = {
        {5, 7, BST_CHECKED, BST_UNCHECKED, 1},
        {0, 1, BST_CHECKED, BST_CHECKED, 1},
        {2, 0, BST_UNCHECKED, BST_UNCHECKED, 2},
    };
    for (const auto& c : cases) {
        SettingsTestRoot caseRoot;
        ProgramStarted();
        SetSettingInt(kSettingsSection, "DefaultRecChannels", c.channels);
        SetSettingInt(kSettingsSection, "PeakIndicate", c.peak);
        HWND page = Open(kRecord) ? PageWindow() : nullptr;
        EXPECT_EQ(::IsDlgButtonChecked(page, IDC_ENV_MONO), (UINT)c.mono) << c.channels;
        EXPECT_EQ(::IsDlgButtonChecked(page, IDC_ENV_PEAK_HOLD), (UINT)c.peakChecked) << c.peak;
        EXPECT_EQ(app.settings.recordChannels, c.storedChannels);
        ASSERT_TRUE(PressOK());
        sheet->SaveValues();
        EXPECT_EQ(Stored("DefaultRecChannels"), c.storedChannels) << c.channels;
    }
}

TEST_F(EnvSheetTest, PeakHoldReachesTheApplicationsFieldNotTheRegistry)
{
    SetSettingInt(kSettingsSection, "PeakIndicate", 0);
    for (int check : {1, 0}) {
        HWND page = Open(kRecord) ? PageWindow() : nullptr;
        EXPECT_EQ(::IsDlgButtonChecked(page, IDC_ENV_PEAK_HOLD), (UINT)(check ? BST_UNCHECKED : BST_CHECKED));
        Click(page, IDC_ENV_PEAK_HOLD);
        ASSERT_TRUE(PressOK());
        EXPECT_EQ(sheet->SaveValues(), 0);
        EXPECT_EQ(app.settings.peakIndicate, check);
        EXPECT_EQ(Stored("PeakIndicate"), 1 - check); // the program writes it at exit
        SetSettingInt(kSettingsSection, "PeakIndicate", check);
    }
}

TEST_F(EnvSheetTest, OnlyChangesThatAffectDrawingAskForARepaint)
{
    // Each case changes one thing through its page's control.
    const struct {
        Page page;
        int control;
        const char* key;
        int report;
        int stored;
    } cases[] = {
        {kView, IDC_ENV_CHECK, "OpenLastFiles", 0, 0},
        {kTemp, IDC_ENV_CHECK, "TempLogging", 0, 1},
        {kView, IDC_ENV_DETAILED_VIEW, "WaveShowMode", 1, 1},
        {kEdit, IDC_ENV_CHECK, "EnableMouseEdit", 1, 0},
        {kRecord, IDC_ENV_STEREO, "DefaultRecChannels", 1, 2},
        {kData, IDC_ENV_CHANNELS, "DefaultDataChannels", 0, 2},
        {kData, IDC_ENV_BIT_DEPTH, "DefaultBitsPerSample", 1, 8},
    };
    for (const auto& c : cases) {
        SettingsTestRoot caseRoot;
        ProgramStarted();
        app.settings = ReadDefaultDocumentSettings();
        app.settings.mouseEdit = 1;
        Open(kRecord);
        HWND page = c.page == kRecord ? PageWindow() : ClickTab(c.page);
        if (c.control == IDC_ENV_CHANNELS || c.control == IDC_ENV_BIT_DEPTH)
            Choose(page, c.control, c.control == IDC_ENV_CHANNELS ? 1 : 0);
        else
            Click(page, c.control);
        ASSERT_TRUE(PressOK()) << c.key;
        EXPECT_EQ(sheet->SaveValues(), c.report) << c.key;
        EXPECT_EQ(Stored(c.key), c.stored) << c.key;
    }
    EXPECT_EQ(host.arranged, 0);
    EXPECT_EQ(host.created, 1); // by the one run that showed the temporary files page

    Open(kView);
    Click(PageWindow(), IDC_ENV_RESET_PANES);
    ASSERT_TRUE(PressOK());
    EXPECT_EQ(sheet->SaveValues(), 0);
    EXPECT_EQ(host.arranged, 1);
}

TEST_F(EnvSheetTest, TheSameTemporaryFolderInAnotherFormNeedsNoRestart)
{
    std::string folder = temp.File("A Long Folder Name For Data");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    char shortForm[MAX_PATH] = "";
    ASSERT_TRUE(::GetShortPathNameA(folder.c_str(), shortForm, MAX_PATH));
    std::string upper = folder;
    for (char& ch : upper)
        ch = (char)toupper((unsigned char)ch);
    const struct {
        std::string typed;
        bool restart;
    } cases[] = {
        {folder, false}, {folder + "\\", false}, {shortForm, false}, {upper, false}, {temp.Path(), true},
    };
    for (const auto& c : cases) {
        host.folder = folder + "\\";
        boxes.messages.clear();
        HWND page = Open(kTemp) ? PageWindow() : nullptr;
        Type(page, IDC_ENV_TEMP_FOLDER, c.typed.c_str());
        ASSERT_TRUE(PressOK()) << c.typed;
        sheet->SaveValues();
        EXPECT_EQ(boxes.messages.size(), c.restart ? 1u : 0u) << c.typed;
        if (c.restart) {
            EXPECT_EQ(boxes.messages[0], "The temporary file path has been changed.\nFor the changes to take effect, "
                                         "you must exit and restart KorvaneSound.");
        }
        EXPECT_EQ(host.folder, c.typed);
    }

    // An empty folder keeps the user on the page.
    boxes.messages.clear();
    Type(Open(kTemp) ? PageWindow() : nullptr, IDC_ENV_TEMP_FOLDER, "");
    ClickTab(kEdit);
    EXPECT_EQ(ActivePage(), kTemp);
    EXPECT_EQ(boxes.messages, std::vector<std::string>{"Please locate the folder."});
}

TEST_F(EnvSheetTest, DeleteTemporaryFilesRemovesOldUnusedFilesAndKeepsAnOpenDocuments)
{
    ComRef<IMtTempStore> store;
    ASSERT_EQ(MtEngine::CreateTempStore(store), S_OK);
    ComRef<IMtTempSettings> storeSettings = QueryCom<IMtTempSettings>(store.Get());
    ASSERT_TRUE(storeSettings);
    ASSERT_EQ(storeSettings->SetFolder(temp.Path().c_str()), S_OK);
    // Files from an earlier session; a document of this one was opened from the second.
    std::string unused = temp.File("NY1A.tmp"), opened = temp.File("NY2B.tmp");
    for (const std::string& path : {unused, opened}) {
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FILETIME old{};
        SYSTEMTIME when{2020, 1, 3, 1, 12, 0, 0, 0};
        ::SystemTimeToFileTime(&when, &old);
        ::SetFileTime(file, &old, &old, &old);
        ::CloseHandle(file);
    }
    CWinApp program("SettingsTest");
    auto* docTemplate =
        new CMultiDocTemplate(403, RUNTIME_CLASS(CNyMultiTrackDoc), nullptr, RUNTIME_CLASS(CNyMultiTrackView));
    program.AddDocTemplate(docTemplate);
    auto* document = new CNyMultiTrackDoc;
    document->SetPathName(opened.c_str(), FALSE);
    docTemplate->AddDocument(document);

    // Without the application's store the error box tells the user.
    HWND page = Open(kTemp) ? PageWindow() : nullptr;
    Click(page, IDC_ENV_DELETE_TEMP);
    EXPECT_EQ(app.shown, std::vector<HRESULT>{E_FAIL});
    EXPECT_EQ(::GetFileAttributesA(unused.c_str()) != INVALID_FILE_ATTRIBUTES, true);

    host.store = store;
    Click(page, IDC_ENV_DELETE_TEMP);
    EXPECT_EQ(app.shown.size(), 1u);
    EXPECT_EQ(::GetFileAttributesA(unused.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesA(opened.c_str()), INVALID_FILE_ATTRIBUTES);
    Close();
    program.CloseAllDocuments(TRUE);
}

TEST_F(EnvSheetTest, TheCommandSavesOnOKWritesNothingOnCancelAndKeepsTheLastPage)
{
    for (int button : {IDCANCEL, IDOK}) {
        app.settings.samplesPerSec = 22050;
        ModalScript script([&]() {
            HWND sheetWindow = ::GetActiveWindow();
            HWND page = (HWND)::SendMessageA(sheetWindow, PSM_GETCURRENTPAGEHWND, 0, 0);
            if (!page || ::GetDlgCtrlID(::GetWindow(page, GW_CHILD)) == 0)
                return false;
            if (!::GetDlgItem(page, IDC_ENV_SAMPLE_RATE))
                return false; // not yet on the start page
            Type(page, IDC_ENV_SAMPLE_RATE, "32,000Hz");
            ::SendMessageA(sheetWindow, PSM_SETCURSEL, kView, 0);
            page = (HWND)::SendMessageA(sheetWindow, PSM_GETCURRENTPAGEHWND, 0, 0);
            Click(page, IDC_ENV_CHECK);
            Press(sheetWindow, button);
            return true;
        });
        SettingsSheetRun run = RunSettingsSheet(nullptr, kData);
        EXPECT_EQ(run.accepted, button == IDOK);
        EXPECT_EQ(run.lastPage, kView);
        EXPECT_EQ(Stored("DefaultSamplesPerSec"), button == IDOK ? 32000 : -1);
        EXPECT_EQ(Stored("OpenLastFiles"), button == IDOK ? 0 : -1);
        EXPECT_EQ(app.settings.samplesPerSec, button == IDOK ? 32000u : 22050u);
        // The next new document takes the rate.
        CNyMultiTrackDoc document;
        document.m_bAutoDelete = FALSE;
        ASSERT_TRUE(document.OnNewDocument());
        EXPECT_EQ(document.GetSamplesPerSec(), button == IDOK ? 32000u : 22050u);
    }
}
