// Saves that fail or are cut short leave the file they would replace as it was: a locked
// target, a sound past the format's size, a cancelled save, and a process killed midway.
#include "FioKit.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace fiotest;

namespace {

constexpr const char* kChildVariable = "KV_FIO_KILL_ORDER";
constexpr const char* kChildTest = "FioKillChild.DISABLED_SavesUntilKilledMidway";
constexpr UINT kKilledCode = 77;

struct ProgressRecord {
    LONG value;
    char text[320];
    LONG cancel;
    LONG flags;
    LONG closeValue;
};

// A window that receives the module's progress; what it does at a step is set per test.
struct ProgressWindow {
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_USER + 10 && lp) {
            auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
            auto* r = reinterpret_cast<ProgressRecord*>(lp);
            self->codes.push_back(static_cast<int>(wp));
            if (wp == 2 && self->onStep)
                self->onStep(r);
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    ProgressWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "FioProgressTest";
        RegisterClassA(&wc);
        hwnd = CreateWindowA("FioProgressTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressWindow() { DestroyWindow(hwnd); }
    HWND hwnd = nullptr;
    std::vector<int> codes;
    void (*onStep)(ProgressRecord*) = nullptr;
};

std::vector<std::string> FolderFiles(const std::string& folder, const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + pattern).c_str(), &d);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(d.cFileName);
    while (FindNextFileA(h, &d));
    FindClose(h);
    return names;
}

FileInfoRecord WavRecord(WORD bits, DWORD rate)
{
    FileInfoRecord r{};
    r.fileType = 3;
    r.bitsPerSample = bits;
    r.samplesPerSec = rate;
    r.formatTag = 1;
    return r;
}

std::vector<uint8_t> Noise16(size_t samples, unsigned seed)
{
    std::vector<uint8_t> b(samples * 2);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& v : b) {
        x = x * 1664525u + 1013904223u;
        v = uint8_t(x >> 24);
    }
    return b;
}

} // namespace

TEST(FioSave, LockedTargetOrOversizedSoundLeavesTheOldFileAndNoTemporaryFile)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    const std::string target = folder.File("song.wav");
    const std::vector<uint8_t> old = Noise16(5000, 7);
    ASSERT_TRUE(WriteBytes(target, old));

    Engine engine(16, 44100);
    ASSERT_EQ(S_OK, engine.AddRawTrack(Noise16(20000, 3), 2));
    {
        HANDLE lock = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, lock);
        EXPECT_LT(WriteEngine(fio.Get(), engine.Set(), target, WavRecord(16, 44100), {}, nullptr, nullptr), 0);
        CloseHandle(lock);
    }
    EXPECT_EQ(old, ReadBytes(target));
    EXPECT_TRUE(FolderFiles(folder.Path(), "NY*.tmp").empty());

    // 2^31 frames of 16-bit mono pass 4 GB: refused before anything is written.
    Engine huge(16, 44100);
    ASSERT_EQ(S_OK, huge.AddRawTrack(Noise16(16, 1), 1, 0x80000000LL));
    EXPECT_EQ(static_cast<HRESULT>(0x83EA006F),
              WriteEngine(fio.Get(), huge.Set(), target, WavRecord(16, 44100), {}, nullptr, nullptr));
    EXPECT_EQ(old, ReadBytes(target));
    EXPECT_TRUE(FolderFiles(folder.Path(), "NY*.tmp").empty());
}

TEST(FioSave, CancelStopsConversionAndSaveWithNothingLeft)
{
    Fio fio;
    ASSERT_TRUE(fio.Get());
    kvtest::ScratchFolder folder;
    ProgressWindow window;
    window.onStep = [](ProgressRecord* r) {
        if (r->value >= 10)
            r->cancel = 1;
    };
    const WavSpec wav = Pcm16Spec(2, Noise16(2 * 400000, 5));
    const std::string source = folder.File("long.wav");
    ASSERT_TRUE(WriteBytes(source, BuildWav(wav).b));
    const std::vector<std::string> before = TempFileNames();
    Converted c = Convert(fio.Get(), source, 1, 2, window.hwnd);
    EXPECT_EQ(static_cast<HRESULT>(0x83E80005), c.hr);
    EXPECT_TRUE(c.names.empty());
    EXPECT_EQ(before, TempFileNames());
    ASSERT_FALSE(window.codes.empty());
    EXPECT_EQ(1, window.codes.front());
    EXPECT_EQ(6, window.codes.back());

    Engine engine(16, 44100);
    ASSERT_EQ(S_OK, engine.AddRawTrack(wav.data, 2));
    const std::string target = folder.File("song.wav");
    const std::vector<uint8_t> old = Noise16(100, 9);
    ASSERT_TRUE(WriteBytes(target, old));
    EXPECT_EQ(static_cast<HRESULT>(0x83E80005),
              WriteEngine(fio.Get(), engine.Set(), target, WavRecord(16, 44100), {}, nullptr, nullptr, window.hwnd));
    EXPECT_EQ(old, ReadBytes(target));
    EXPECT_TRUE(FolderFiles(folder.Path(), "NY*.tmp").empty());
}

// Run by the test below in a process of its own: saves over the target and stops for good
// halfway through, where it is killed.
TEST(FioKillChild, DISABLED_SavesUntilKilledMidway)
{
    char order[MAX_PATH * 2] = {};
    ASSERT_NE(0u, GetEnvironmentVariableA(kChildVariable, order, sizeof order));
    const std::string text(order);
    const size_t bar = text.find('|');
    const std::string target = text.substr(0, bar);
    static HANDLE midway = OpenEventA(EVENT_MODIFY_STATE, FALSE, text.substr(bar + 1).c_str());
    ASSERT_NE(nullptr, midway);
    Fio fio;
    ASSERT_TRUE(fio.Get());
    Engine engine(16, 44100);
    ASSERT_EQ(S_OK, engine.AddRawTrack(Noise16(2 * 1000000, 11), 2));
    ProgressWindow window;
    window.onStep = [](ProgressRecord* r) {
        if (r->value >= 50) {
            SetEvent(midway);
            Sleep(INFINITE);
        }
    };
    WriteEngine(fio.Get(), engine.Set(), target, WavRecord(16, 44100), {}, nullptr, nullptr, window.hwnd);
    FAIL() << "the save ended without being killed";
}

TEST(FioSave, ASaveKilledMidwayLeavesTheOldFileByteIdentical)
{
    kvtest::ScratchFolder folder;
    const std::string target = folder.File("song.wav");
    const std::vector<uint8_t> old = Noise16(30000, 13);
    ASSERT_TRUE(WriteBytes(target, old));
    const std::string eventName = "kvfiokill-" + std::to_string(GetCurrentProcessId());
    HANDLE midway = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(nullptr, midway);
    DWORD code = 0;
    const bool killed = kvtest::KillChildAtEvent("fio_tests.exe", kChildTest, kChildVariable, target + "|" + eventName,
                                                 midway, kKilledCode, &code);
    CloseHandle(midway);
    ASSERT_TRUE(killed) << "the child never reached the middle of its save; exit code " << code;
    EXPECT_EQ(kKilledCode, code);
    EXPECT_EQ(old, ReadBytes(target));
    // The half-written copy lies beside the target under a temporary name.
    EXPECT_EQ(1u, FolderFiles(folder.Path(), "NY*.tmp").size());
}
