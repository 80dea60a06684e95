// Files dropped onto the view: one "Import" step under the six-channel budget, a failing file
// shown once and undone, and the clipboard emptied by another process.
#include "ViewFixture.h"

#include "CommandInterfaces.h"

#include <shlobj.h>

namespace {
// A drop handle as the shell makes it: DROPFILES and a double-terminated list of paths.
HDROP MakeDrop(const std::vector<std::string>& paths)
{
    size_t chars = 1;
    for (const std::string& p : paths)
        chars += p.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars);
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    char* at = reinterpret_cast<char*>(files + 1);
    for (const std::string& p : paths) {
        memcpy(at, p.c_str(), p.size() + 1);
        at += p.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::vector<int16_t> Tone(size_t frames, int16_t level)
{
    std::vector<int16_t> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] = int16_t(i % 2 ? level : -level);
    return v;
}

std::string Name(IEditCommand* command)
{
    char name[64] = {};
    command->GetName(name, sizeof name - 1);
    return name;
}
} // namespace

TEST_F(ViewTest, SevenMonoFilesOnAnEmptyDocumentAreRefusedWholeWithTheTracksText)
{
    ASSERT_NE(NewDocument(), nullptr);
    std::vector<std::string> paths;
    for (int i = 0; i < 7; ++i)
        paths.push_back(WriteWav("mono" + std::to_string(i) + ".wav", Tone(1000, 1000)));
    view_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    ASSERT_EQ(host_.shown.size(), 1u);
    EXPECT_EQ(host_.shown[0], static_cast<HRESULT>(0x83E807D5));
    EXPECT_EQ(host_.captions[0], "Warning");
    EXPECT_EQ(host_.imports, 6) << "six loaded before the seventh broke the budget";
    EXPECT_EQ(doc_->GetLength(), 0) << "what the drop loaded is out again";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);
}

TEST_F(ViewTest, TwoFilesMakeOneImportStepThatUndoesWhole)
{
    ASSERT_NE(NewDocument(), nullptr);
    std::vector<std::string> paths{WriteWav("a.wav", Tone(1000, 500)), WriteWav("b.wav", Tone(2000, 700))};
    view_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    EXPECT_TRUE(host_.shown.empty());
    EXPECT_EQ(doc_->GetTrackCount(), 2);
    EXPECT_EQ(doc_->GetLength(), 2000);
    ASSERT_EQ(UndoSteps(doc_->GetHistory()), 1);
    ComRef<ICommandCursor> cursor;
    ASSERT_EQ(S_OK, doc_->GetHistory()->GetUndoCursor(cursor.Out()));
    ComRef<IEditCommand> step;
    ASSERT_EQ(S_OK, cursor->Next(step.Out()));
    EXPECT_EQ(Name(step.Get()), "Import");
    EXPECT_TRUE(doc_->IsModified());
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(doc_->GetLength(), 0);
}

TEST_F(ViewTest, AFileOfAnUnsupportedRateShowsItsTextOnceAndLoadsNothing)
{
    ASSERT_NE(NewDocument(), nullptr);
    std::vector<std::string> paths{WriteWav("ok.wav", Tone(1000, 500)), WriteWav("fast.wav", Tone(1000, 500), 200000)};
    view_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    ASSERT_EQ(host_.shown.size(), 1u) << "the failing file's text, once";
    EXPECT_EQ(host_.shown[0], static_cast<HRESULT>(0x83E804B4));
    EXPECT_EQ(doc_->GetLength(), 0) << "the first file went out again";
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);
}

TEST_F(ViewTest, ALoaderThatGivesNoCommandHasFailed)
{
    ASSERT_NE(NewDocument(), nullptr);
    std::string path = WriteWav("lost.wav", Tone(1000, 500));
    host_.raw.erase(path); // the import fails without a command
    view_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({path})), 0);
    ASSERT_EQ(host_.shown.size(), 1u);
    EXPECT_LT(host_.shown[0], 0);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 0);
}

// Run by the test below in a process of its own: empties the clipboard.
TEST(ClipboardHelper, DISABLED_EmptyClipboardFromOutside)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::OpenClipboard(nullptr)) {
            ::EmptyClipboard();
            ::CloseClipboard();
            return;
        }
        ::Sleep(20);
    }
    FAIL() << "the clipboard never opened";
}

TEST_F(ViewTest, AnotherProcessEmptyingTheClipboardHoldingOurFormatDoesNoHarm)
{
    ASSERT_NE(NewDocument(), nullptr);
    UINT format = ::RegisterClipboardFormatA("KorvaneSound Clip");
    ASSERT_TRUE(::OpenClipboard(view_->m_hWnd));
    ASSERT_TRUE(::EmptyClipboard());
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, 64);
    ASSERT_NE(::SetClipboardData(format, data), nullptr);
    ::CloseClipboard();

    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command =
        std::string("\"") + exe +
        "\" --gtest_also_run_disabled_tests --gtest_filter=ClipboardHelper.DISABLED_EmptyClipboardFromOutside";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    // The view hears of the emptying while the other process runs.
    for (int i = 0; i < 400 && ::WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT; ++i)
        Pump();
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    Pump();
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(::IsClipboardFormatAvailable(format));
    EXPECT_TRUE(::IsWindow(view_->m_hWnd));
    EXPECT_TRUE(::HeapValidate(::GetProcessHeap(), 0, nullptr)) << "nothing the clipboard owned was freed here";
}

TEST_F(ViewTest, AsANewUserDropsZoomsScrollsDropsAgainAndUndoesTheSecondDrop)
{
    ASSERT_NE(NewDocument(), nullptr);
    std::string first = WriteWav("first.wav", Tone(200000, 3000));
    view_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({first})), 0);
    ASSERT_EQ(doc_->GetLength(), 200000);
    Command(1009); // Ctrl+F
    int64_t fitted = view_->GetTimeZoom();
    view_->SendMessage(WM_CHAR, ']', 1);
    view_->SendMessage(WM_CHAR, ']', 1);
    ASSERT_EQ(view_->GetTimeZoom(), fitted / 4);
    int64_t before = view_->GetFirstVisibleSample();
    view_->SendMessage(WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_GT(view_->GetFirstVisibleSample(), before);
    view_->SendMessage(WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(view_->GetFirstVisibleSample(), 0);

    std::string second = WriteWav("second.wav", Tone(50000, 2000));
    view_->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({second})), 0);
    EXPECT_EQ(doc_->GetTrackCount(), 2);
    EXPECT_EQ(UndoSteps(doc_->GetHistory()), 2);
    ASSERT_EQ(S_OK, doc_->GetHistory()->Undo());
    EXPECT_EQ(doc_->GetTrackCount(), 1);
    EXPECT_EQ(doc_->GetLength(), 200000);
    EXPECT_TRUE(host_.shown.empty());
}
