// The help the program ships: every topic of its index names a page that is there, the pages'
// links lead to pages that are there, and Help > Contents opens the contents page in the
// user's browser.
#include "HelpLauncher.h"
#include "MainFrameFixture.h"
#include "MainFrameIds.h"
#include "TestSupport.h"

#include <fstream>
#include <iterator>
#include <regex>
#include <set>

using namespace kvtest;

namespace {

std::string HelpFolder()
{
    HelpLauncher help;
    return help.HelpFolder();
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The browser of this test: a program that notes the page it was given.
class BrowserStandIn {
public:
    BrowserStandIn()
    {
        // The association goes where the shell looks it up; what was there comes back after.
        char previous[256] = {};
        DWORD size = sizeof previous;
        m_hadHtml = ::RegGetValueA(HKEY_CLASSES_ROOT, ".html", nullptr, RRF_RT_REG_SZ, nullptr, previous, &size) ==
                    ERROR_SUCCESS;
        m_previous = previous;
        const std::string command = "\"" + BinFolder() + "KvRecordOpen.exe\" \"%1\"";
        ::RegSetKeyValueA(HKEY_CLASSES_ROOT, ".html", nullptr, REG_SZ, kClass, sizeof kClass);
        ::RegSetKeyValueA(HKEY_CLASSES_ROOT, "KvTest.HelpPage\\shell\\open\\command", nullptr, REG_SZ,
                          command.c_str(), DWORD(command.size() + 1));
        ::DeleteFileA(Record().c_str());
    }
    ~BrowserStandIn()
    {
        ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "KvTest.HelpPage");
        if (m_hadHtml)
            ::RegSetKeyValueA(HKEY_CLASSES_ROOT, ".html", nullptr, REG_SZ, m_previous.c_str(),
                              DWORD(m_previous.size() + 1));
        else
            ::RegDeleteTreeA(HKEY_CLASSES_ROOT, ".html");
        ::DeleteFileA(Record().c_str());
    }
    // The page it was asked to open, waited for.
    std::string Opened() const
    {
        for (int i = 0; i < 200 && !Exists(Record()); ++i)
            ::Sleep(50);
        ::Sleep(100);
        return FileText(Record());
    }

private:
    static constexpr char kClass[] = "KvTest.HelpPage";
    bool m_hadHtml = false;
    std::string m_previous;
    static std::string Record()
    {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        return std::string(temp) + "kv_record_open.txt";
    }
};

} // namespace

TEST(HelpPages, EveryTopicAndEveryLinkLeadsToAPageThatIsThere)
{
    const std::string folder = HelpFolder();
    ASSERT_TRUE(Exists(folder + kHelpIndexFile)) << folder;
    const std::string index = FileText(folder + kHelpIndexFile);
    std::set<std::string> pages;
    const std::regex entry(R"((\d+)=([\w.]+\.html))");
    for (auto it = std::sregex_iterator(index.begin(), index.end(), entry); it != std::sregex_iterator(); ++it)
        pages.insert((*it)[2]);
    // Contents, the open and save dialogs, the settings, Ruler Units, Properties.
    for (DWORD topic : {1, 100, 101, 102, 103, 104, 122, 123, 305, 306}) {
        char page[MAX_PATH] = {};
        ::GetPrivateProfileStringA("Help", std::to_string(topic).c_str(), "", page, sizeof page,
                                   (folder + kHelpIndexFile).c_str());
        EXPECT_TRUE(page[0] && Exists(folder + page)) << "topic " << topic;
    }
    const std::regex link(R"x(href="([\w.]+)")x");
    for (const std::string& page : pages) {
        ASSERT_TRUE(Exists(folder + page)) << page;
        const std::string text = FileText(folder + page);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), link); it != std::sregex_iterator(); ++it) {
            EXPECT_TRUE(Exists(folder + std::string((*it)[1]))) << page << " links to " << (*it)[1];
        }
    }
    // The contents page is a menu of how to open, edit, play, record, apply effects, recover,
    // and of the keys.
    for (const char* page : {"open.html", "editing.html", "playing.html", "recording.html", "effects.html",
                             "recovery.html", "keys.html", "saving.html"})
        EXPECT_NE(FileText(folder + "index.html").find(std::string("href=\"") + page), std::string::npos) << page;
}

TEST_F(MainFrameTest, HelpContentsOpensTheContentsPageInTheUsersBrowser)
{
    BrowserStandIn browser;
    frame_->SendMessage(WM_COMMAND, ID_HELP_CONTENTS, 0);
    const std::string opened = browser.Opened();
    EXPECT_EQ(opened, HelpFolder() + "index.html");
    EXPECT_TRUE(boxes_.empty()) << boxes_.front();
}
