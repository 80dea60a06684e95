// Copy, cut and paste through the real clipboard under Wine: the copies come back sample for
// sample, audio of another rate is converted once after the question, blocks that are not
// ours are refused with the clipboard left free, and another process that empties the
// clipboard releases every pending copy. A second process is this test program started
// again on its helper test.
#include "ClipboardCommands.h"
#include "CommandSupport.h"
#include "EditFixture.h"
#include "FwApp.h"
#include "LabelTable.h"

#include <cstring>
#include <functional>
#include <string>

using namespace kvtest;

namespace {

constexpr const char* kHelperVariable = "KV_CLIPBOARD_HELPER";

bool g_releaseOnDestroy = true;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROYCLIPBOARD && g_releaseOnDestroy)
        ReleasePendingCopies();
    return ::DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeOwnerWindow()
{
    static ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvClipboardOwnerTest";
        return ::RegisterClassA(&wc);
    }();
    (void)atom;
    return ::CreateWindowA("KvClipboardOwnerTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           ::GetModuleHandleA(nullptr), nullptr);
}

// Puts a block of the private format on the clipboard, owned by window.
void PutBlock(HWND window, const std::vector<uint8_t>& bytes)
{
    ASSERT_TRUE(::OpenClipboard(window));
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    ::SetClipboardData(GetCopyClipboardFormat(), block);
    ::CloseClipboard();
}

std::vector<uint8_t> Block(std::initializer_list<uint32_t> words, size_t bytes)
{
    std::vector<uint8_t> out(words.size() * 4);
    size_t i = 0;
    for (uint32_t w : words)
        std::memcpy(&out[4 * i++], &w, 4);
    out.resize(bytes);
    return out;
}

uint32_t FirstSerialOnClipboard()
{
    uint32_t serial = 0;
    if (::OpenClipboard(nullptr)) {
        if (HANDLE block = ::GetClipboardData(GetCopyClipboardFormat())) {
            std::memcpy(&serial, static_cast<uint8_t*>(::GlobalLock(block)) + 4, 4);
            ::GlobalUnlock(block);
        }
        ::CloseClipboard();
    }
    return serial;
}

// Runs this program's helper test in a second process with the task in the variable,
// answering messages meanwhile (the clipboard sends its owner WM_DESTROYCLIPBOARD).
DWORD RunHelper(const std::string& task)
{
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string line =
        std::string("\"") + exe + "\" --gtest_also_run_disabled_tests --gtest_filter=DISABLED_ClipboardHelper.*";
    ::SetEnvironmentVariableA(kHelperVariable, task.c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = ::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    ::SetEnvironmentVariableA(kHelperVariable, nullptr);
    if (!started)
        return ~0u;
    for (;;) {
        DWORD wait = ::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 30000, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    DWORD code = ~0u;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
}

class EditClipboard : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        // The conversion runs a filter graph, as on the program's main thread.
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        owner_ = MakeOwnerWindow();
        SetClipboardOwnerWindow(owner_);
        g_releaseOnDestroy = true;
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT type) {
            asked_.push_back(text);
            EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), type & (MB_TYPEMASK | MB_ICONMASK));
            return answer_;
        });
    }
    void TearDown() override
    {
        AfxSetMessageBoxHook(nullptr);
        if (::OpenClipboard(owner_)) {
            ::EmptyClipboard();
            ::CloseClipboard();
        }
        ReleasePendingCopies();
        SetClipboardOwnerWindow(nullptr);
        ::DestroyWindow(owner_);
        EditTest::TearDown();
        ::CoUninitialize();
    }

    void Select(CommandDocument* doc, int64_t start, int64_t end, std::initializer_list<int> tracks)
    {
        ASSERT_EQ(S_OK, doc->SetSelectionRange(start, end, TRUE));
        doc->SetTrackSelected(-1, FALSE);
        for (int t : tracks)
            ASSERT_EQ(S_OK, doc->SetTrackSelected(t, TRUE));
    }

    HWND owner_ = nullptr;
    int answer_ = IDYES;
    std::vector<std::string> asked_;
};

TEST_F(EditClipboard, CutThenPasteAtTheSamePlaceGivesBackEverySample)
{
    CNyMultiTrackDoc* doc = NewDoc({1, 2, 1});
    PlaceItem(doc, 0, 0, MakeItem("a.raw", 5000, 1, 16, 44100).Get());
    PlaceItem(doc, 1, 0, MakeItem("b.raw", 6000, 2, 16, 44100).Get());
    PlaceItem(doc, 2, 0, MakeItem("c.raw", 4000, 1, 16, 44100).Get());
    LabelRecord cue{};
    cue.kind = kLabelCue;
    cue.trackId = doc->GetTrackId(1);
    cue.start = cue.end = 4500;
    ASSERT_TRUE(doc->GetLabels().Add(cue));
    std::vector<std::vector<uint8_t>> before = {TrackBytes(doc, 0), TrackBytes(doc, 1), TrackBytes(doc, 2)};

    // Tracks 0 and 1 only: a copy of every track would land track 2's audio on track 1.
    Select(doc, 1000, 3000, {0, 1});
    ComRef<IEditCommand> cut(NewCommand<CutCommand>(doc));
    ASSERT_EQ(S_OK, cut->Do());
    EXPECT_EQ(2u, PendingCopyCount());
    EXPECT_EQ(3000, doc->GetTrackExtent(0, 0));
    LabelRecord moved{};
    doc->GetLabels().FindById(cue.id, &moved);
    EXPECT_EQ(2500, moved.start);

    Select(doc, 1000, 1000, {0});
    ComRef<IEditCommand> paste(NewCommand<PasteCommand>(doc));
    ASSERT_EQ(S_OK, paste->Do());
    for (int t = 0; t < 3; ++t)
        EXPECT_TRUE(before[t] == TrackBytes(doc, t)) << "track " << t;
    doc->GetLabels().FindById(cue.id, &moved);
    EXPECT_EQ(4500, moved.start);
    int64_t s = 0, e = 0;
    doc->GetSelection()->GetSelection(&s, &e);
    EXPECT_EQ(1000, s);
    EXPECT_EQ(3000, e);
    EXPECT_TRUE(asked_.empty());
}

TEST_F(EditClipboard, ATrackEndingBeforeTheSelectionGivesAnEmptyCopy)
{
    CNyMultiTrackDoc* doc = NewDoc({1, 1});
    PlaceItem(doc, 0, 0, MakeItem("a.raw", 500, 1, 16, 44100).Get());
    PlaceItem(doc, 1, 0, MakeItem("b.raw", 5000, 1, 16, 44100).Get());
    Select(doc, 1000, 3000, {0, 1});
    ASSERT_EQ(S_OK, ComRef<IEditCommand>(NewCommand<CopyCommand>(doc))->Do());
    ASSERT_TRUE(::OpenClipboard(nullptr));
    std::vector<ComRef<IMtClip>> copies;
    EXPECT_EQ(S_OK, ReadClipboardCopies(copies));
    ::CloseClipboard();
    ASSERT_EQ(2u, copies.size());
    const int64_t lengths[] = {0, 2000};
    for (size_t i = 0; i < copies.size(); ++i) {
        ComRef<IMtClip> whole;
        ASSERT_EQ(S_OK, copies[i]->CreateSubClip(0, -1, whole.Out()));
        LONGLONG length = -1;
        whole->GetLength(&length);
        EXPECT_EQ(lengths[i], length) << i;
    }
}

TEST_F(EditClipboard, AnotherRateIsAskedAboutOnceConvertedAndSelectedInTheDocumentRate)
{
    CNyMultiTrackDoc* source = SecondDoc({1}, 22050);
    PlaceItem(source, 0, 0, MakeItem("slow.raw", 22050, 1, 16, 22050).Get());
    Select(source, 0, 22050, {0});
    ASSERT_EQ(S_OK, ComRef<IEditCommand>(NewCommand<CopyCommand>(source))->Do());

    struct Case {
        int answer;
        HRESULT result;
        int64_t selectedLength;
    };
    const Case cases[] = {{IDNO, kErrCancelled, 0}, {IDYES, S_OK, 44100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        CNyMultiTrackDoc* doc = NewDoc({1}, 44100);
        Select(doc, 0, 0, {0});
        Fingerprint before = Take(doc);
        asked_.clear();
        answer_ = c.answer;
        ComRef<IEditCommand> paste(NewCommand<PasteCommand>(doc));
        EXPECT_EQ(c.result, paste->Do());
        ASSERT_EQ(1u, asked_.size());
        EXPECT_NE(std::string::npos, asked_[0].find("different sample rate"));
        if (FAILED(c.result)) {
            EXPECT_TRUE(before == Take(doc));
            continue;
        }
        int64_t s = 0, e = 0;
        doc->GetSelection()->GetSelection(&s, &e);
        EXPECT_EQ(c.selectedLength, e - s);
        int64_t length = doc->GetTrackExtent(0, 0);
        EXPECT_NEAR(44100, length, 2);
        ASSERT_EQ(S_OK, paste->Undo());
        ASSERT_EQ(S_OK, paste->Redo());
        EXPECT_EQ(length, doc->GetTrackExtent(0, 0));
        EXPECT_EQ(1u, asked_.size());
    }
}

TEST_F(EditClipboard, BlocksThatAreNotOursAreRefusedAndLeaveTheClipboardFree)
{
    CNyMultiTrackDoc* doc = NewDoc({1});
    PlaceItem(doc, 0, 0, MakeItem("a.raw", 1000, 1, 16, 44100).Get());
    Select(doc, 0, 100, {0});
    ASSERT_EQ(S_OK, ComRef<IEditCommand>(NewCommand<CopyCommand>(doc))->Do());
    uint32_t live = FirstSerialOnClipboard();
    ASSERT_NE(0u, live);
    Fingerprint before = Take(doc);

    struct Case {
        const char* what;
        std::function<void()> put;
    };
    g_releaseOnDestroy = false; // the live copy stays pending while blocks are forged
    const Case cases[] = {
        {"unknown serial",
         [&] {
             PutBlock(owner_, Block({1, live + 1000}, 8));
         }},
        {"count past the block",
         [&] {
             PutBlock(owner_, Block({2, live}, 8));
         }},
        {"no entries", [&] { PutBlock(owner_, Block({0}, 4)); }},
        {"shorter than a count", [&] { PutBlock(owner_, Block({1}, 2)); }},
        {"owned by another process", [&] { EXPECT_EQ(0u, RunHelper("forge:" + std::to_string(live))); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.put();
        ASSERT_TRUE(::IsClipboardFormatAvailable(GetCopyClipboardFormat()));
        EXPECT_EQ(E_FAIL, ComRef<IEditCommand>(NewCommand<PasteCommand>(doc))->Do());
        EXPECT_TRUE(before == Take(doc));
        EXPECT_TRUE(::OpenClipboard(nullptr)); // closed again by the paste
        ::CloseClipboard();
    }
    EXPECT_EQ(1u, PendingCopyCount());
}

TEST_F(EditClipboard, AnotherProcessEmptyingTheClipboardReleasesEveryPendingCopy)
{
    CNyMultiTrackDoc* doc = NewDoc({1, 2});
    PlaceItem(doc, 0, 0, MakeItem("a.raw", 1000, 1, 16, 44100).Get());
    PlaceItem(doc, 1, 0, MakeItem("b.raw", 1000, 2, 16, 44100).Get());
    Select(doc, 0, 500, {0, 1});
    ASSERT_EQ(S_OK, ComRef<IEditCommand>(NewCommand<CopyCommand>(doc))->Do());
    ASSERT_EQ(2u, PendingCopyCount());
    EXPECT_EQ(0u, RunHelper("empty"));
    EXPECT_EQ(0u, PendingCopyCount());
    EXPECT_EQ(E_FAIL, ComRef<IEditCommand>(NewCommand<PasteCommand>(doc))->Do());
}

// The second process: empties the clipboard, or puts a block naming a serial on it.
TEST(DISABLED_ClipboardHelper, Run)
{
    char task[64] = {};
    if (!::GetEnvironmentVariableA(kHelperVariable, task, sizeof task))
        return;
    std::string text(task);
    HWND window = MakeOwnerWindow();
    bool opened = false;
    for (int tries = 0; tries < 100 && !opened; ++tries) {
        opened = ::OpenClipboard(window) != FALSE;
        if (!opened)
            ::Sleep(20);
    }
    ASSERT_TRUE(opened);
    ASSERT_TRUE(::EmptyClipboard());
    if (text.rfind("forge:", 0) == 0) {
        uint32_t serial = static_cast<uint32_t>(std::stoul(text.substr(6)));
        std::vector<uint8_t> bytes = Block({1, serial}, 8);
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
        ::GlobalUnlock(block);
        ASSERT_TRUE(::SetClipboardData(GetCopyClipboardFormat(), block));
    }
    ::CloseClipboard();
}

} // namespace
