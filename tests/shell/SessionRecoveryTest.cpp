// Left-over session files: which are offered, which go, and what Cancel leaves.
#include <gtest/gtest.h>
#include <windows.h>

#include "AppIds.h"
#include "ChunkFile.h"
#include "NyApp.h"
#include "SessionRecovery.h"
#include "TestSupport.h"

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A session file: first chunk kind, then the document's header inside it. claimed: a size
// in the first chunk's header larger than what follows (a journal left by a kill).
void WriteSession(const std::string& path, const char* kind, const SessionHeader& header, bool claimMore = false)
{
    IChunkFile* file = CreateChunkFile();
    file->SetFileName(path.c_str());
    file->Open(kFileCreate);
    ChunkInfo outer{MakeTag(kind), claimMore ? 1u << 30 : 0, 0, 0};
    file->CreateChunk(&outer, 0);
    file->CreateChunkById(MakeTag("KSCMKDOC"), 0);
    file->Write(&header, sizeof header);
    file->Ascend();
    if (claimMore) {
        // Leave the claimed size in place, as a killed program leaves it.
        file->Release();
        return;
    }
    file->Close();
    file->Release();
}

// Answers the first message box of this process other than the dialog titled skip, within a
// few seconds, and keeps its text.
class BoxAnswerer {
public:
    explicit BoxAnswerer(const char* skip) : m_skip(skip)
    {
        m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~BoxAnswerer()
    {
        WaitForSingleObject(m_thread, 10000);
        CloseHandle(m_thread);
    }
    std::string Text()
    {
        WaitForSingleObject(m_thread, 10000);
        return m_text;
    }

private:
    static BOOL CALLBACK Find(HWND wnd, LPARAM lp)
    {
        auto* self = reinterpret_cast<BoxAnswerer*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        char cls[16] = {}, title[64] = {};
        GetClassNameA(wnd, cls, sizeof cls);
        GetWindowTextA(wnd, title, sizeof title);
        if (pid == GetCurrentProcessId() && IsWindowVisible(wnd) && strcmp(cls, "#32770") == 0 &&
            self->m_skip != title) {
            self->m_box = wnd;
            return FALSE;
        }
        return TRUE;
    }
    static DWORD WINAPI Run(void* p)
    {
        auto* self = static_cast<BoxAnswerer*>(p);
        for (int i = 0; i < 100 && !self->m_box; ++i) {
            EnumWindows(Find, reinterpret_cast<LPARAM>(self));
            if (!self->m_box)
                Sleep(50);
        }
        if (!self->m_box)
            return 0;
        for (HWND child = GetWindow(self->m_box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char cls[16] = {}, text[512] = {};
            GetClassNameA(child, cls, sizeof cls);
            GetWindowTextA(child, text, sizeof text);
            if (lstrcmpiA(cls, "Static") == 0 && strlen(text) > self->m_text.size())
                self->m_text = text;
        }
        PostMessageA(self->m_box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    std::string m_skip;
    HWND m_box = nullptr;
    std::string m_text;
    HANDLE m_thread = nullptr;
};

} // namespace

TEST(SessionRecovery, TheScanOffersThisVersionsJournalsAndDeletesOtherVersions)
{
    kvtest::ScratchFolder folder;
    const std::string mine = folder.File("KVC1.tmp"), old = folder.File("KVC2.tmp"), other = folder.File("KVC3.tmp"),
                      killed = folder.File("KVC4.tmp"), take = folder.File("KVC5.tmp"), long_ = folder.File("KVC6.tmp"),
                      killedTake = folder.File("KVC7.tmp");
    WriteSession(mine, "KSCMKSTM", MakeSessionHeader("Song one", ""));
    SessionHeader older = MakeSessionHeader("Old song", "");
    strcpy(older.version, "4.00");
    WriteSession(old, "KSCMKSTM", older);
    WriteSession(other, "KSCMKOTH", MakeSessionHeader("Not ours", ""));
    WriteSession(killed, "KSCMKSTM", MakeSessionHeader("Killed", "C:\\songs\\killed.kvs"), true);
    WriteSession(take, "KSCMKREC", MakeSessionHeader("Song one", ""));
    // A store is sized when its recording ends: a killed recording leaves 0 there.
    WriteSession(killedTake, "KSCMKREC", MakeSessionHeader("Killed", ""));
    {
        FILE* f = std::fopen(killedTake.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        std::fseek(f, 8, SEEK_SET);
        const uint64_t zero = 0;
        std::fwrite(&zero, 8, 1, f);
        std::fclose(f);
    }
    // Every text of the header without its end mark.
    SessionHeader unterminated = MakeSessionHeader("", "");
    memset(unterminated.title, 'T', sizeof unterminated.title);
    memset(unterminated.path, 'P', sizeof unterminated.path);
    WriteSession(long_, "KSCMKSTM", unterminated);

    SessionScan scan;
    scan.Scan(folder.Path());
    std::vector<std::string> titles;
    for (const auto& record : scan.journals)
        titles.push_back(record->header.title);
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"Killed", "Song one", std::string(127, 'T')}));
    std::vector<std::string> takes;
    for (const auto& record : scan.takes)
        takes.push_back(record->header.title);
    std::sort(takes.begin(), takes.end());
    EXPECT_EQ(takes, (std::vector<std::string>{"Killed", "Song one"}));
    EXPECT_FALSE(Exists(old)) << "another version's file stays";
    EXPECT_TRUE(Exists(other)) << "a file that is not a session file was deleted";
    EXPECT_TRUE(Exists(mine));
}

TEST(SessionRecovery, CancelDeletesEveryListedFileAndTheTakes)
{
    CNyApp app;
    kvtest::ScratchFolder folder;
    const std::string one = folder.File("KVC1.tmp"), two = folder.File("KVC2.tmp"), take = folder.File("KVC3.tmp");
    WriteSession(one, "KSCMKSTM", MakeSessionHeader("One", ""));
    WriteSession(two, "KSCMKSTM", MakeSessionHeader("Two", ""));
    WriteSession(take, "KSCMKREC", MakeSessionHeader("One", ""));

    SessionRecoveryDlg dialog(nullptr);
    dialog.ScanFolder(folder.Path());
    ASSERT_TRUE(dialog.Create(SessionRecoveryDlg::IDD, nullptr));
    HWND list = GetDlgItem(dialog.m_hWnd, IDC_SESSION_LIST);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 2) << "all entries start selected";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog.m_hWnd, IDOK)));
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SESSION_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog.m_hWnd, IDOK))) << "Recover with nothing selected";

    dialog.SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(Exists(one));
    EXPECT_FALSE(Exists(two));
    EXPECT_FALSE(Exists(take));
}

TEST(SessionRecovery, AnEntryWhoseRecoveryFailedKeepsItsFile)
{
    CNyApp app;
    kvtest::ScratchFolder folder;
    // A saved document whose file is gone cannot be opened again.
    const std::string lost = folder.File("KVC1.tmp");
    WriteSession(lost, "KSCMKSTM", MakeSessionHeader("Lost", folder.File("gone.kvs").c_str()));
    SessionRecoveryDlg dialog(nullptr);
    dialog.ScanFolder(folder.Path());
    ASSERT_TRUE(dialog.Create(SessionRecoveryDlg::IDD, nullptr));
    BoxAnswerer answer("restore");
    dialog.SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(dialog.m_hWnd));
    EXPECT_TRUE(Exists(lost)) << "the only copy of the work was deleted";
    EXPECT_FALSE(answer.Text().empty()) << "the failure was not shown";
}
