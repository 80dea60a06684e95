// Closing documents: the "save changes?" prompt and what each answer does.
#include "FrameworkTestSupport.h"

namespace {
CFrameWnd* FrameOf(CDocument* doc)
{
    POSITION pos = doc->GetFirstViewPosition();
    return doc->GetNextView(pos)->GetParentFrame();
}
} // namespace

TEST_F(FrameworkTest, ClosingAModifiedDocumentAsksAndFollowsTheAnswer)
{
    const struct {
        int answer;
        bool closed;
        bool saved;
    } cases[] = {
        {IDCANCEL, false, false},
        {IDNO, true, false},
        {IDYES, true, true},
    };
    for (const auto& c : cases) {
        std::string path = MakeFile(("close" + std::to_string(c.answer) + ".smp").c_str());
        CSampleDoc* doc = static_cast<CSampleDoc*>(m_app->OpenDocumentFile(path.c_str()));
        ASSERT_NE(doc, nullptr);
        doc->SetModifiedFlag();
        int liveBefore = CSampleDoc::s_liveCount;
        CSampleDoc::s_allSaves.clear();
        m_shown.clear();
        m_answers = {c.answer};
        HWND frameWindow = FrameOf(doc)->m_hWnd;
        FrameOf(doc)->SendMessage(WM_CLOSE);
        PumpAndIdle(*m_app);
        ASSERT_EQ(m_shown.size(), 1u) << c.answer;
        EXPECT_NE(m_shown[0].text.find("Save changes to"), std::string::npos);
        EXPECT_NE(m_shown[0].text.find(path), std::string::npos);
        EXPECT_EQ(m_shown[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNOCANCEL));
        EXPECT_EQ(!::IsWindow(frameWindow), c.closed) << c.answer;
        EXPECT_EQ(CSampleDoc::s_liveCount, liveBefore - (c.closed ? 1 : 0)) << c.answer;
        EXPECT_EQ(CSampleDoc::s_allSaves, c.saved ? std::vector<std::string>{path} : std::vector<std::string>{});
        if (!c.closed) {
            EXPECT_TRUE(doc->IsModified());
            doc->SetModifiedFlag(FALSE);
            doc->OnCloseDocument();
        }
    }
}

TEST_F(FrameworkTest, SavingUnderTheSameNameWritesThroughTheDocument)
{
    std::string path = MakeFile("save.smp");
    CSampleDoc* doc = static_cast<CSampleDoc*>(m_app->OpenDocumentFile(path.c_str()));
    ASSERT_NE(doc, nullptr);
    doc->SetModifiedFlag();
    m_app->MainFrame()->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
    ASSERT_EQ(doc->m_savedTo.size(), 1u);
    EXPECT_EQ(doc->m_savedTo[0], path);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FrameworkTest, UnmodifiedDocumentClosesWithoutAsking)
{
    CSampleDoc* doc = NewDocument();
    int liveBefore = CSampleDoc::s_liveCount;
    m_app->MainFrame()->SendMessage(WM_COMMAND, ID_FILE_CLOSE, 0);
    PumpAndIdle(*m_app);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_EQ(CSampleDoc::s_liveCount, liveBefore - 1);
    (void)doc;
}

TEST_F(FrameworkTest, CancelWhileClosingTheMainFrameKeepsEverythingOpen)
{
    CSampleDoc* first = NewDocument();
    CSampleDoc* second = NewDocument();
    first->SetModifiedFlag();
    second->SetModifiedFlag();
    m_answers = {IDNO, IDCANCEL};
    CSampleMainFrame* main = m_app->MainFrame();
    main->SendMessage(WM_CLOSE);
    PumpAndIdle(*m_app);
    EXPECT_EQ(m_shown.size(), 2u);
    EXPECT_TRUE(::IsWindow(main->m_hWnd));
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 2);

    // Answering No to both closes every document and the program's main window.
    m_shown.clear();
    m_answers = {IDNO, IDNO};
    HWND mainWindow = main->m_hWnd;
    main->SendMessage(WM_CLOSE);
    EXPECT_EQ(m_shown.size(), 2u);
    EXPECT_FALSE(::IsWindow(mainWindow));
    EXPECT_EQ(m_app->m_pMainWnd, nullptr);
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 0);
    MSG quit;
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}
