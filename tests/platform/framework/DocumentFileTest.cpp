// Documents and their files: opening through GetFile, the failure prompt, mail sending and the
// end of a Windows session.
#include "FrameworkTestSupport.h"

namespace {

// Holds a file open for writing (sharing reads only) until destroyed.
class OpenWriter {
public:
    explicit OpenWriter(const std::string& path)
        : m_handle(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~OpenWriter()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
    }
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

void WriteText(const std::string& path, const char* text)
{
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    ASSERT_TRUE(file.Write(text, static_cast<UINT>(lstrlenA(text))));
}

} // namespace

TEST_F(FrameworkTest, DocumentThatCannotBeOpenedTellsTheUserAndLeavesNothing)
{
    std::string locked = MakeFile("locked.smp");
    OpenWriter writer(locked);
    ASSERT_TRUE(writer.IsOpen());
    const std::string cases[] = {locked, m_files.front() + ".missing"};
    for (const std::string& path : cases) {
        m_shown.clear();
        int liveBefore = CSampleDoc::s_liveCount;
        EXPECT_EQ(m_app->OpenDocumentFile(path.c_str()), nullptr) << path;
        PumpAndIdle(*m_app);
        ASSERT_EQ(m_shown.size(), 1u) << path;
        EXPECT_EQ(m_shown[0].text.find("Failed to open document " + path + "."), 0u) << m_shown[0].text;
        // The system's reason follows on its own line.
        EXPECT_NE(m_shown[0].text.find('\n'), std::string::npos) << m_shown[0].text;
        EXPECT_EQ(CSampleDoc::s_liveCount, liveBefore);
        EXPECT_EQ(m_app->Template()->GetDocumentCount(), 0);
    }
}

TEST_F(FrameworkTest, DocumentOpensAFileThatOthersOnlyRead)
{
    std::string path = MakeFile("shared.smp");
    WriteText(path, "twelve bytes");
    HANDLE reader = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    CSampleDoc* doc = static_cast<CSampleDoc*>(m_app->OpenDocumentFile(path.c_str()));
    ::CloseHandle(reader);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_openedLength, 12u);
    EXPECT_TRUE(m_shown.empty());
    // The document let go of the file: it can be replaced at once.
    EXPECT_TRUE(::DeleteFileA(path.c_str()));
}

TEST(FrameworkFile, ModesAndSharingDecideWhatOpens)
{
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "kvfw_file_" + std::to_string(::GetCurrentProcessId()) + ".bin";
    {
        CFile file;
        DWORD error = 0;
        EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead, &error));
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(file.GetLength(), static_cast<ULONGLONG>(-1));
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareDenyWrite));
        EXPECT_TRUE(file.Write("abcdef", 6));
        EXPECT_EQ(file.GetLength(), 6u);
        EXPECT_EQ(file.Seek(2, CFile::begin), 2u);
        char two[3] = "";
        EXPECT_EQ(file.Read(two, 2), 2u);
        EXPECT_STREQ(two, "cd");

        // Another opener is turned away or let in by the sharing this one chose.
        const struct {
            UINT flags;
            bool opens;
        } others[] = {
            {CFile::modeRead | CFile::shareDenyNone, true},
            {CFile::modeWrite | CFile::shareDenyNone, false},
            {CFile::modeRead | CFile::shareExclusive, false},
        };
        for (const auto& other : others) {
            CFile second;
            EXPECT_EQ(second.Open(path.c_str(), other.flags) != FALSE, other.opens) << other.flags;
        }
        EXPECT_TRUE(file.Close());
        EXPECT_FALSE(file.IsOpen());
    }
    {
        // modeNoTruncate keeps what is there; plain modeCreate empties it.
        CFile keep;
        ASSERT_TRUE(keep.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
        EXPECT_EQ(keep.GetLength(), 6u);
        keep.Close();
        CFile empty;
        ASSERT_TRUE(empty.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        EXPECT_EQ(empty.GetLength(), 0u);
    }
    EXPECT_TRUE(::DeleteFileA(path.c_str()));
}

TEST_F(FrameworkTest, SendMailAttachesTheDocumentsFileUnderItsTitle)
{
    std::string path = MakeFile("mail.smp");
    CSampleDoc* doc = static_cast<CSampleDoc*>(m_app->OpenDocumentFile(path.c_str()));
    ASSERT_NE(doc, nullptr);
    const struct {
        ULONG result;
        size_t prompts;
    } cases[] = {
        {SUCCESS_SUCCESS, 0},
        {MAPI_USER_ABORT, 0},
        {MAPI_E_FAILURE, 1},
    };
    for (const auto& c : cases) {
        m_shown.clear();
        int calls = 0;
        AfxSetSendMailHook([&](HWND owner, MapiMessage& message) -> ULONG {
            ++calls;
            EXPECT_EQ(owner, m_app->MainFrame()->m_hWnd);
            // The program waits for the mail dialog: its windows take no input meanwhile.
            EXPECT_FALSE(::IsWindowEnabled(owner));
            EXPECT_EQ(message.nFileCount, 1u);
            EXPECT_STREQ(message.lpFiles[0].lpszPathName, path.c_str());
            EXPECT_STREQ(message.lpFiles[0].lpszFileName, doc->GetTitle());
            return c.result;
        });
        doc->OnFileSendMail();
        AfxSetSendMailHook(nullptr);
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(m_app->MainFrame()->IsWindowEnabled());
        ASSERT_EQ(m_shown.size(), c.prompts) << c.result;
        if (c.prompts) {
            EXPECT_EQ(m_shown[0].text, "Send Mail failed to send message.");
        }
    }
}

TEST_F(FrameworkTest, SessionEndAsksToSaveAndThenClosesTheDocuments)
{
    CSampleDoc* doc = NewDocument();
    doc->SetModifiedFlag();
    CSampleMainFrame* main = m_app->MainFrame();

    // Cancel keeps the session (and the document) alive.
    m_answers = {IDCANCEL};
    EXPECT_EQ(main->SendMessage(WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 1);

    m_shown.clear();
    m_answers = {IDNO};
    EXPECT_EQ(main->SendMessage(WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(m_shown.size(), 1u);
    // A session that goes on after all changes nothing.
    main->SendMessage(WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 1);

    // The session ends: the documents close without asking again.
    m_shown.clear();
    int liveBefore = CSampleDoc::s_liveCount;
    main->SendMessage(WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 0);
    EXPECT_EQ(CSampleDoc::s_liveCount, liveBefore - 1);
}

TEST_F(FrameworkTest, FrameworkStringsComeFromTheProgramOrTheBuiltInText)
{
    const struct {
        UINT id;
        const char* insert;
        const char* expected;
    } cases[] = {
        {AFX_IDP_FAILED_MAPI_LOAD, "you", "No mail here for you."}, // the program's own text
        {AFX_IDP_ASK_TO_SAVE, "C:\\a.smp", "Save changes to C:\\a.smp?"},
        {AFX_IDS_UNTITLED, nullptr, "Untitled"},
        {IDS_PROMPT, "unused", "The sample prompt"}, // a plain string of the program
        {0x7FFE, "x", ""},                           // neither
    };
    for (const auto& c : cases) {
        CString text;
        AfxFormatString1(text, c.id, c.insert);
        EXPECT_STREQ(text, c.expected) << c.id;
    }
}

TEST_F(FrameworkTest, DocumentWithoutPathOrTitleIsAskedAboutAsUntitled)
{
    CSampleDoc* doc = NewDocument();
    doc->SetTitle("");
    doc->SetModifiedFlag();
    m_answers = {IDNO};
    EXPECT_TRUE(doc->SaveModified());
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, "Save changes to Untitled?");
    doc->SetModifiedFlag(FALSE);
}
