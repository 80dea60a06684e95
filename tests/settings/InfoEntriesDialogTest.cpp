// The RIFF INFO dialog on a caller's list in global memory: opened modeless, typed into, list
// items chosen, OK or Cancel pressed and the caller's list read back.
#include "AdvancedAudioSettingsDialog.h"
#include "GlobalMemory.h"
#include "SettingsIds.h"
#include "SettingsTestKit.h"

#include <cstring>
#include <map>

using namespace settingstest;

namespace {

using EntryList = std::vector<std::pair<std::string, std::string>>;

std::string Name(DWORD id)
{
    return std::string(reinterpret_cast<const char*>(&id), 4);
}

// The caller's side: a count and a block it owns.
class CallerList {
public:
    explicit CallerList(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        count = (WORD)entries.size();
        block = entries.empty() ? nullptr : GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, entries.size() * 1028);
        auto* e = static_cast<InfoEntry*>(block);
        for (const auto& entry : entries) {
            memcpy(&e->id, entry.first.c_str(), 4);
            memcpy(e->text, entry.second.c_str(), std::min(entry.second.size(), sizeof e->text));
            ++e;
        }
    }
    ~CallerList() { GlobalUnlockFree(block); }
    std::map<std::string, std::string> Entries() const
    {
        std::map<std::string, std::string> entries;
        const auto* e = static_cast<const InfoEntry*>(block);
        for (WORD i = 0; i < count; ++i, ++e)
            entries[Name(e->id)] = std::string(e->text, strnlen(e->text, sizeof e->text));
        return entries;
    }
    WORD count = 0;
    void* block = nullptr;
};

class InfoEntriesDialogTest : public ::testing::Test {
protected:
    HWND Open(CallerList& list)
    {
        dialog = std::make_unique<AdvancedAudioSettingsDialog>();
        EXPECT_EQ(dialog->SetData(&list.count, &list.block), 1);
        EXPECT_TRUE(dialog->Create(IDD_INFO_ENTRIES));
        dialog->ShowWindow(SW_SHOW);
        return dialog->m_hWnd;
    }
    void Press(int button) { settingstest::Press(dialog->m_hWnd, button); }
    // Chooses the list item with this label as the user does.
    void ChooseItem(const char* label)
    {
        HWND hwnd = dialog->m_hWnd;
        int index = (int)::SendDlgItemMessageA(hwnd, IDC_INFO_LIST, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)label);
        ASSERT_GE(index, 0) << label;
        Choose(hwnd, IDC_INFO_LIST, index);
    }
    void TearDown() override
    {
        if (dialog && dialog->m_hWnd)
            dialog->DestroyWindow();
    }
    std::unique_ptr<AdvancedAudioSettingsDialog> dialog;
    const std::string kSoftware = "KorvaneSound5 Tarn ";
};

} // namespace

TEST_F(InfoEntriesDialogTest, ShowsTheEntriesAndHandsBackACompactedList)
{
    CallerList list(EntryList{{"ICOP", "(c) 2026 Korvane"}, {"DISP", "Demo"}, {"IART", "Band"}, {"IKEY", "a, b"}});
    void* old = list.block;
    HWND hwnd = Open(list);
    EXPECT_EQ(Text(hwnd, IDC_INFO_COPYRIGHT), "(c) 2026 Korvane");
    EXPECT_EQ(Text(hwnd, IDC_INFO_TITLE), "Demo");
    EXPECT_EQ(Text(hwnd, IDC_INFO_TEXT), "");
    EXPECT_EQ(::SendDlgItemMessageA(hwnd, IDC_INFO_LIST, LB_GETCOUNT, 0, 0), 22);
    char first[64] = "";
    ::SendDlgItemMessageA(hwnd, IDC_INFO_LIST, LB_GETTEXT, 0, (LPARAM)first);
    EXPECT_STREQ(first, "Archival Location"); // sorted by label

    ChooseItem("Artist");
    EXPECT_EQ(Text(hwnd, IDC_INFO_TEXT), "Band");
    ChooseItem("Keywords"); // no typing: nothing changes
    Type(hwnd, IDC_INFO_TEXT, "c, d");
    ChooseItem("Genre");
    EXPECT_EQ(Text(hwnd, IDC_INFO_TEXT), "");
    Type(hwnd, IDC_INFO_TEXT, "Jazz");
    Type(hwnd, IDC_INFO_COPYRIGHT, ""); // emptied: the entry goes
    Type(hwnd, IDC_INFO_TITLE, std::string(2000, 't').c_str());
    Press(IDOK);
    EXPECT_EQ(dialog->m_hWnd, nullptr);
    EXPECT_NE(list.block, old);
    EXPECT_EQ(list.Entries(), (std::map<std::string, std::string>{{"DISP", std::string(1023, 't')},
                                                                  {"IART", "Band"},
                                                                  {"IKEY", "c, d"},
                                                                  {"IGNR", "Jazz"},
                                                                  {"ISFT", kSoftware}}));
    EXPECT_EQ(list.count, 5);
}

TEST_F(InfoEntriesDialogTest, CancelLeavesTheCallersList)
{
    CallerList list(EntryList{{"ICOP", "mine"}});
    void* old = list.block;
    HWND hwnd = Open(list);
    Type(hwnd, IDC_INFO_COPYRIGHT, "theirs");
    Press(IDCANCEL);
    EXPECT_EQ(dialog->m_hWnd, nullptr);
    EXPECT_EQ(list.block, old);
    EXPECT_EQ(list.Entries(), (std::map<std::string, std::string>{{"ICOP", "mine"}}));
}

TEST_F(InfoEntriesDialogTest, AFullListTakesNoNewIdentifier)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 24; ++i)
        entries.push_back({"IX" + std::string(1, char('A' + i)) + "Z", "x"});
    CallerList list(entries);
    HWND hwnd = Open(list);
    Type(hwnd, IDC_INFO_COPYRIGHT, "new");
    ChooseItem("Artist");
    Type(hwnd, IDC_INFO_TEXT, "new too");
    Press(IDOK);
    EXPECT_EQ(list.count, 24);
    auto stored = list.Entries();
    EXPECT_EQ(stored.count("ICOP") + stored.count("IART") + stored.count("ISFT"), 0u);
}

TEST_F(InfoEntriesDialogTest, ALongerListWithUnendedTextsIsCopiedWholeAndEnded)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 30; ++i)
        entries.push_back({"IY" + std::string(1, char('A' + i)) + "Z", std::string(1024, char('a' + i % 26))});
    entries.push_back({"ISFT", "Other"});
    CallerList list(entries);
    HWND hwnd = Open(list);
    Type(hwnd, IDC_INFO_TITLE, "no room");
    Press(IDOK);
    ASSERT_EQ(list.count, 31);
    auto stored = list.Entries();
    EXPECT_EQ(stored.count("DISP"), 0u);
    EXPECT_EQ(stored["IYAZ"], std::string(1023, 'a'));
    EXPECT_EQ(stored["IY^Z"].size(), 1023u); // the thirtieth
    EXPECT_EQ(stored["ISFT"], "Other");
}
