// The recent-file list: order, menu entries, and persistence through the registry.
#include "FrameworkTestSupport.h"

namespace {
std::string RegistryValue(const std::string& app, const char* entry)
{
    std::string key = "Software\\KvTest\\" + app + "\\Recent File List";
    char data[MAX_PATH] = "";
    DWORD size = sizeof data;
    if (::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), entry, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "<none>";
    return data;
}
} // namespace

TEST_F(FrameworkTest, RecentFilesAreNewestFirstWithoutDuplicates)
{
    std::string a = MakeFile("a.smp"), b = MakeFile("b.smp"), c = MakeFile("c.smp");
    for (const std::string& path : {a, b, c, a}) {
        CDocument* doc = m_app->OpenDocumentFile(path.c_str());
        ASSERT_NE(doc, nullptr);
        doc->OnCloseDocument();
    }
    CRecentFileList& list = *m_app->m_pRecentFileList;
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_STREQ(list[0], a.c_str());
    EXPECT_STREQ(list[1], c.c_str());
    EXPECT_STREQ(list[2], b.c_str());
}

TEST_F(FrameworkTest, RecentFilesPersistThroughTheRegistry)
{
    std::string a = MakeFile("persist_a.smp"), b = MakeFile("persist_b.smp");
    m_app->OpenDocumentFile(a.c_str());
    m_app->OpenDocumentFile(b.c_str());
    StopApp();
    EXPECT_EQ(RegistryValue(m_appName, "File1"), b);
    EXPECT_EQ(RegistryValue(m_appName, "File2"), a);
    EXPECT_EQ(RegistryValue(m_appName, "File3"), "<none>");

    StartApp();
    CRecentFileList& list = *m_app->m_pRecentFileList;
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_STREQ(list[0], b.c_str());
    EXPECT_STREQ(list[1], a.c_str());
}

TEST_F(FrameworkTest, RecentFileMenuListsTheFilesAndOpensThem)
{
    CSampleMainFrame* main = m_app->MainFrame();
    HMENU file = ::GetSubMenu(main->GetMenu(), 0);
    // An empty list leaves the placeholder greyed.
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_TRUE(::GetMenuState(file, ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED);

    std::string a = MakeFile("menu_a.smp"), b = MakeFile("menu_b.smp");
    m_app->OpenDocumentFile(a.c_str())->OnCloseDocument();
    m_app->OpenDocumentFile(b.c_str())->OnCloseDocument();
    int countBefore = ::GetMenuItemCount(file);
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_EQ(::GetMenuItemCount(file), countBefore + 1);
    char text[MAX_PATH + 8] = "";
    ::GetMenuStringA(file, ID_FILE_MRU_FILE1, text, static_cast<int>(sizeof text), MF_BYCOMMAND);
    EXPECT_EQ(std::string(text), "&1 " + b);
    ::GetMenuStringA(file, ID_FILE_MRU_FILE1 + 1, text, static_cast<int>(sizeof text), MF_BYCOMMAND);
    EXPECT_EQ(std::string(text), "&2 " + a);
    EXPECT_FALSE(::GetMenuState(file, ID_FILE_MRU_FILE1 + 1, MF_BYCOMMAND) & MF_GRAYED);
    // Opening the menu again does not duplicate the entries; the items after them stay.
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_EQ(::GetMenuItemCount(file), countBefore + 1);
    EXPECT_NE(::GetMenuState(file, ID_APP_EXIT, MF_BYCOMMAND), static_cast<UINT>(-1));

    main->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1, 0);
    CDocument* doc = main->GetActiveFrame()->GetActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_STREQ(doc->GetPathName(), a.c_str());
    doc->OnCloseDocument();

    // Emptied list: the entries shrink back to the greyed placeholder.
    while (m_app->m_pRecentFileList->GetCount() > 0)
        m_app->m_pRecentFileList->Remove(0);
    file = ::GetSubMenu(main->GetMenu(), 0);
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_EQ(::GetMenuItemCount(file), countBefore);
    ::GetMenuStringA(file, ID_FILE_MRU_FILE1, text, static_cast<int>(sizeof text), MF_BYCOMMAND);
    EXPECT_STREQ(text, "Recent File");
    EXPECT_TRUE(::GetMenuState(file, ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(FrameworkTest, RecentFileThatIsGoneLeavesTheList)
{
    std::string a = MakeFile("gone.smp");
    m_app->OpenDocumentFile(a.c_str())->OnCloseDocument();
    ::DeleteFileA(a.c_str());
    m_app->MainFrame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1, 0);
    EXPECT_EQ(m_app->m_pRecentFileList->GetCount(), 0);
    EXPECT_EQ(m_app->Template()->GetDocumentCount(), 0);
}
