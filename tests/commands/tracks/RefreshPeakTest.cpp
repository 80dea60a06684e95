// Rebuilding every track's data and peak files, with the progress dialog's messages answered
// by a window of the test: titles, positions and a cancel.
#include "TrackCommandFixture.h"

#include "ProgressReporter.h"
#include "RefreshPeakCommand.h"
#include "Settings.h"
#include "TempFilePaths.h"

#include <set>

using namespace kvtest;

namespace {

// Stands in for the progress dialog: keeps each opened title and the positions, and answers
// "cancelled" to the updates of the title it is told to cancel.
struct ProgressWindow {
    ProgressWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvTestProgress";
        RegisterClassA(&wc);
        window = CreateWindowA("KvTestProgress", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetProgressWindow(window);
    }
    ~ProgressWindow()
    {
        SetProgressWindow(nullptr);
        DestroyWindow(window);
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && (message == ProgressOpenMessage() || message == ProgressUpdateMessage())) {
            auto* record = reinterpret_cast<ProgressReporter*>(wParam);
            if (message == ProgressOpenMessage()) {
                self->titles.push_back(record->caption);
                return 1;
            }
            self->positions.push_back(record->position);
            return self->cancelTitle == record->caption ? 0 : 1;
        }
        if (self && message == ProgressCloseMessage())
            return 1;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    HWND window = nullptr;
    std::vector<std::string> titles;
    std::vector<UINT> positions;
    std::string cancelTitle;
};

std::string TempFolder()
{
    TempFilePaths temp;
    std::string folder = temp.GetFolder();
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::set<std::string> TempFiles()
{
    std::string folder = TempFolder();
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

} // namespace

TEST_F(TrackCommandTest, RefreshPeakRebuildsEveryTrackWithSound)
{
    // Track 3 holds nothing; track 1 is stereo and a second and a bit long.
    CNyMultiTrackDoc* doc = Build({1, 2, 1, 1, 1}, {1000, 44100 + 100, 500, 0, 300}, {0, 200, 0, 0, 7});
    std::string before = Fingerprint(doc);
    ProgressWindow window;
    ComRef<RefreshPeakCommand> refresh(
        ComObject<IEditCommand>::Create<RefreshPeakCommand>("Refresh", static_cast<CommandDocument*>(doc)));
    ASSERT_EQ(refresh->Do(), S_OK);
    EXPECT_EQ(window.titles,
              (std::vector<std::string>{"Processing...   (1/5)", "Processing...   (2/5)", "Processing...   (3/5)",
                                        "Processing...   (4/5)", "Processing...   (5/5)"}));
    ASSERT_FALSE(window.positions.empty());
    EXPECT_EQ(*std::max_element(window.positions.begin(), window.positions.end()), 100u)
        << "frames by the block align, never past the maximum";
    UINT children = 0;
    refresh->GetCount(&children);
    EXPECT_EQ(children, 4u) << "none for the empty track";
    EXPECT_EQ(Fingerprint(doc), before) << "the same sound from the new files";
    Bytes chunk = Saved(refresh.Get());
    Bytes own = CommandChunk(Header(258, "refreshpeak", "Refresh"));
    ASSERT_GT(chunk.size(), 16 + own.size());
    EXPECT_EQ(Bytes(chunk.begin(), chunk.begin() + 8), Text("KSCMKGRP"));
    EXPECT_EQ(Bytes(chunk.begin() + 16, chunk.begin() + 16 + own.size()), own)
        << "its own record is the header alone; the children follow";
    ASSERT_EQ(refresh->Undo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);
    ASSERT_EQ(refresh->Redo(), S_OK);
    EXPECT_EQ(Fingerprint(doc), before);
}

TEST_F(TrackCommandTest, RefreshPeakCancelledLeavesNoFilesOfTheTrackBeingRead)
{
    // Temporary files of this test's own, away from other programs'.
    ASSERT_TRUE(SetSettingString("Settings", "TempPath", files_.Path().c_str()));
    CNyMultiTrackDoc* doc = Build({1, 1, 1}, {1000, 3 * 44100, 1000});
    std::string before = Fingerprint(doc);
    ProgressWindow window;
    window.cancelTitle = "Processing...   (2/3)";
    std::set<std::string> files = TempFiles();
    ComRef<RefreshPeakCommand> refresh(
        ComObject<IEditCommand>::Create<RefreshPeakCommand>("Refresh", static_cast<CommandDocument*>(doc)));
    EXPECT_EQ(refresh->Do(), kMtErrCancelled);
    EXPECT_EQ(window.titles.size(), 2u);
    UINT children = 0;
    refresh->GetCount(&children);
    EXPECT_EQ(children, 1u) << "the first track's child, not run";
    EXPECT_EQ(Fingerprint(doc), before);
    std::set<std::string> added;
    for (const std::string& name : TempFiles())
        if (!files.count(name))
            added.insert(name);
    EXPECT_EQ(added.size(), 2u) << "the first track's data and peak files only";

    refresh.Reset();
    TearDown();
    std::string folder = TempFolder();
    for (const std::string& name : TempFiles())
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
}
