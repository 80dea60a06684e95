// The open and save dialogs with a hook and a template of our own.
#include "FrameworkTestSupport.h"
#include <dlgs.h>

namespace {

// An open dialog with an extra panel; it refuses the first file it is offered.
class CSampleOpenDlg : public CFileDialog {
public:
    explicit CSampleOpenDlg(const char* filter)
        : CFileDialog(TRUE, "smp", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter)
    {
        m_ofn.Flags |= OFN_ENABLETEMPLATE;
        m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_OPEN_EXTRA);
    }
    int m_inits = 0, m_initDone = 0, m_extraClicks = 0, m_offers = 0;
    std::string m_offeredPath;
    BOOL OnInitDialog() override
    {
        ++m_inits;
        SetDlgItemText(IDC_EXTRA_TEXT, "extra");
        return CFileDialog::OnInitDialog();
    }
    void OnInitDone() override { ++m_initDone; }
    BOOL OnFileNameOK() override
    {
        m_offeredPath = static_cast<const char*>(GetPathName());
        return ++m_offers == 1; // the first offer keeps the dialog open
    }
    void OnExtra() { ++m_extraClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSampleOpenDlg, CFileDialog)
    ON_BN_CLICKED(IDC_EXTRA_BUTTON, OnExtra)
END_MESSAGE_MAP()

// The name box of the Explorer dialog: a combo box (cmb13) or an edit (edt1).
HWND FileNameBox(HWND explorer)
{
    HWND box = ::GetDlgItem(explorer, cmb13);
    return box ? box : ::GetDlgItem(explorer, edt1);
}

} // namespace

TEST_F(FrameworkTest, OpenDialogRunsItsTemplateAndHookAndCanRefuseAName)
{
    std::string path = MakeFile("dialog.smp");
    CSampleOpenDlg dialog("Sample Files (*.smp)|*.smp|All Files (*.*)|*.*||");
    bool sawExtraText = false;
    int step = 0;
    ModalDriver driver([&]() {
        if (!dialog.m_hWnd || !dialog.m_initDone)
            return false;
        HWND explorer = dialog.GetExplorerWindow();
        char text[32] = "";
        ::GetDlgItemTextA(dialog.m_hWnd, IDC_EXTRA_TEXT, text, static_cast<int>(sizeof text));
        sawExtraText = std::string(text) == "extra";
        ::SendMessageA(::GetDlgItem(dialog.m_hWnd, IDC_EXTRA_BUTTON), BM_CLICK, 0, 0);
        ::SetWindowTextA(FileNameBox(explorer), path.c_str());
        ::SendMessageA(explorer, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(explorer, IDOK)));
        if (++step == 1)
            return false; // offer it a second time on the next tick
        return true;
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_inits, 1);
    EXPECT_TRUE(sawExtraText);
    EXPECT_GE(dialog.m_extraClicks, 1);
    EXPECT_EQ(dialog.m_offers, 2);
    EXPECT_EQ(dialog.m_offeredPath, path);
    EXPECT_STREQ(dialog.GetPathName(), path.c_str());
    EXPECT_STREQ(dialog.GetFileExt(), "smp");
    EXPECT_STREQ(dialog.GetFileTitle(), (m_appName + "_dialog").c_str());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, MultipleSelectionGivesEveryChosenPath)
{
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
    const struct {
        const char* buffer;
        size_t length;
        WORD offset;
        std::vector<std::string> paths;
    } cases[] = {
        {"C:\\dir\0a.smp\0b.smp\0", 20, 7, {"C:\\dir\\a.smp", "C:\\dir\\b.smp"}},
        {"C:\\\0a.smp\0b.smp\0", 17, 4, {"C:\\a.smp", "C:\\b.smp"}},
        {"C:\\dir\\one.smp\0", 16, 7, {"C:\\dir\\one.smp"}},
    };
    for (const auto& c : cases) {
        std::vector<char> buffer(c.buffer, c.buffer + c.length);
        buffer.push_back('\0');
        dialog.m_ofn.lpstrFile = buffer.data();
        dialog.m_ofn.nFileOffset = c.offset;
        std::vector<std::string> paths;
        for (POSITION pos = dialog.GetStartPosition(); pos;)
            paths.push_back(static_cast<const char*>(dialog.GetNextPathName(pos)));
        EXPECT_EQ(paths, c.paths);
        EXPECT_EQ(std::string(dialog.GetPathName()), c.paths.front());
    }
}

TEST_F(FrameworkTest, MessageLoopRunsCommandsAndIdleUntilQuit)
{
    NewDocument();
    CommandTrace().clear();
    CSampleMainFrame* main = m_app->MainFrame();
    main->PostMessage(WM_COMMAND, ID_ROUTE_DOC, 0);
    main->PostMessage(WM_CLOSE);
    EXPECT_EQ(m_app->Run(), 0);
    EXPECT_EQ(CommandTrace(), std::vector<std::string>{"doc:" + std::to_string(ID_ROUTE_DOC)});
    EXPECT_EQ(m_app->m_pMainWnd, nullptr);
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 0);
}
