// A document template creates document, MDI child frame and view from one resource id.
#include "FrameworkTestSupport.h"

namespace {
CSampleView* FirstView(CDocument* doc)
{
    POSITION pos = doc->GetFirstViewPosition();
    return pos ? static_cast<CSampleView*>(doc->GetNextView(pos)) : nullptr;
}

std::string WindowText(HWND hwnd)
{
    char text[256] = "";
    ::GetWindowTextA(hwnd, text, static_cast<int>(sizeof text));
    return text;
}
} // namespace

TEST_F(FrameworkTest, TemplateCreatesDocumentChildFrameAndViewFromOneResource)
{
    CSampleDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->IsKindOf(RUNTIME_CLASS(CSampleDoc)));
    EXPECT_EQ(doc->GetDocTemplate(), m_app->Template());
    EXPECT_STREQ(doc->GetTitle(), "Sample1");

    CSampleView* view = FirstView(doc);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->IsKindOf(RUNTIME_CLASS(CSampleView)));
    EXPECT_EQ(view->GetDocument(), doc);
    EXPECT_EQ(view->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    EXPECT_EQ(view->m_initialUpdates, 1);

    CFrameWnd* child = view->GetParentFrame();
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->IsKindOf(RUNTIME_CLASS(CSampleChild)));
    EXPECT_EQ(child->GetActiveView(), view);
    EXPECT_EQ(child->GetActiveDocument(), doc);
    EXPECT_TRUE(child->IsWindowVisible());

    CSampleMainFrame* main = m_app->MainFrame();
    EXPECT_EQ(main->MDIGetActive(), child);
    EXPECT_EQ(main->GetActiveFrame(), child);
    EXPECT_EQ(child->GetTopLevelFrame(), main);
    // The child's template menu is the frame menu while it is active.
    EXPECT_EQ(main->GetMenu(), m_app->Template()->m_hMenuShared);
    EXPECT_EQ(WindowText(child->m_hWnd), "Sample1");
    EXPECT_EQ(WindowText(main->m_hWnd), "Sample App - Sample1");
}

TEST_F(FrameworkTest, DocumentStringFieldsComeFromTheTemplateString)
{
    CDocTemplate* tpl = m_app->Template();
    struct Case {
        CDocTemplate::DocStringIndex index;
        const char* text;
        bool present;
    };
    const Case cases[] = {
        {CDocTemplate::windowTitle, "", false},
        {CDocTemplate::docName, "Sample", true},
        {CDocTemplate::fileNewName, "Sample", true},
        {CDocTemplate::filterName, "Sample Files (*.smp)", true},
        {CDocTemplate::filterExt, ".smp", true},
        {CDocTemplate::regFileTypeId, "Sample.Document", true},
        {CDocTemplate::regFileTypeName, "Sample Document", true},
    };
    for (const Case& c : cases) {
        CString text;
        EXPECT_EQ(tpl->GetDocString(text, c.index) != FALSE, c.present) << c.index;
        EXPECT_STREQ(text, c.text) << c.index;
    }
}

TEST_F(FrameworkTest, UntitledDocumentsAreNumberedAndWindowsOfOneDocumentToo)
{
    CSampleDoc* first = NewDocument();
    CSampleDoc* second = NewDocument();
    ASSERT_TRUE(first && second);
    EXPECT_STREQ(second->GetTitle(), "Sample2");
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 2);

    // A second window on the active document numbers both.
    m_app->MainFrame()->SendMessage(WM_COMMAND, ID_WINDOW_NEW, 0);
    PumpAndIdle(*m_app);
    ASSERT_EQ(second->GetViewCount(), 2);
    std::vector<std::string> titles;
    for (POSITION pos = second->GetFirstViewPosition(); pos;)
        titles.push_back(WindowText(second->GetNextView(pos)->GetParentFrame()->m_hWnd));
    EXPECT_EQ(titles, (std::vector<std::string>{"Sample2:1", "Sample2:2"}));

    // Closing one window leaves the other unnumbered and the document open.
    CFrameWnd* secondFrame = FirstView(second)->GetParentFrame();
    secondFrame->SendMessage(WM_CLOSE);
    PumpAndIdle(*m_app);
    ASSERT_EQ(second->GetViewCount(), 1);
    EXPECT_EQ(WindowText(FirstView(second)->GetParentFrame()->m_hWnd), "Sample2");
}

TEST_F(FrameworkTest, OpeningAFileTwiceActivatesTheOpenDocument)
{
    std::string path = MakeFile("twice.smp");
    CDocument* doc = m_app->OpenDocumentFile(path.c_str());
    ASSERT_NE(doc, nullptr);
    NewDocument();
    EXPECT_EQ(m_app->OpenDocumentFile(path.c_str()), doc);
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 2);
    EXPECT_EQ(m_app->MainFrame()->GetActiveFrame()->GetActiveDocument(), doc);
    EXPECT_STREQ(doc->GetTitle(), (m_appName + "_twice.smp").c_str());
}

TEST_F(FrameworkTest, FailedOpenLeavesNoDocumentOrWindowBehind)
{
    int liveBefore = CSampleDoc::s_liveCount;
    EXPECT_EQ(m_app->OpenDocumentFile("C:\\no\\such\\file.smp"), nullptr);
    PumpAndIdle(*m_app);
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 0);
    EXPECT_EQ(CSampleDoc::s_liveCount, liveBefore);
    EXPECT_EQ(m_app->MainFrame()->MDIGetActive(), nullptr);
    EXPECT_EQ(m_app->MainFrame()->GetMenu(), m_app->MainFrame()->m_hMenuDefault);
}

TEST_F(FrameworkTest, UpdateAllViewsSkipsTheSender)
{
    CSampleDoc* doc = NewDocument();
    m_app->MainFrame()->SendMessage(WM_COMMAND, ID_WINDOW_NEW, 0);
    PumpAndIdle(*m_app);
    POSITION pos = doc->GetFirstViewPosition();
    CSampleView* a = static_cast<CSampleView*>(doc->GetNextView(pos));
    CSampleView* b = static_cast<CSampleView*>(doc->GetNextView(pos));
    int aBefore = a->m_updates, bBefore = b->m_updates;
    doc->UpdateAllViews(a);
    EXPECT_EQ(a->m_updates, aBefore);
    EXPECT_EQ(b->m_updates, bBefore + 1);
}

TEST_F(FrameworkTest, LastChildClosingGivesTheMainFrameItsOwnMenuBack)
{
    CSampleDoc* doc = NewDocument();
    CSampleMainFrame* main = m_app->MainFrame();
    ASSERT_EQ(main->GetMenu(), m_app->Template()->m_hMenuShared);
    FirstView(doc)->GetParentFrame()->SendMessage(WM_CLOSE);
    PumpAndIdle(*m_app);
    EXPECT_EQ(main->GetMenu(), main->m_hMenuDefault);
    EXPECT_EQ(WindowText(main->m_hWnd), "Sample App");
}

TEST_F(FrameworkTest, ViewsHearOfEachActivationChangeOnce)
{
    auto viewOf = [](CDocument* doc) {
        POSITION pos = doc->GetFirstViewPosition();
        return static_cast<CSampleView*>(doc->GetNextView(pos));
    };
    CSampleDoc* first = NewDocument();
    CSampleView* a = viewOf(first);
    EXPECT_EQ(a->m_activations, "+");
    CSampleDoc* second = NewDocument();
    CSampleView* b = viewOf(second);
    EXPECT_EQ(a->m_activations, "+-");
    EXPECT_EQ(b->m_activations, "+");
    m_app->MainFrame()->MDIActivate(a->GetParentFrame());
    EXPECT_EQ(a->m_activations, "+-+");
    EXPECT_EQ(b->m_activations, "+-");
}
