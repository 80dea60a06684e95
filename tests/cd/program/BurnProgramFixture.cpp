#include "BurnProgramFixture.h"

#include "CdDriveAccess.h"
#include "CdIds.h"
#include "DialogDriving.h"
#include "UnixPath.h"

#include <fstream>
#include <iterator>

namespace cdtest {

namespace {

const char* const kSettings = "Software\\Korvane\\KorvaneSound5 Tarn US\\Settings";

} // namespace

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

} // namespace

// Wine gives no handle to wait on: the line leaves its code in a file.
int RunNative(const std::string& folder, const std::string& line)
{
    const std::string done = folder + "native.code";
    DeleteFileA(done.c_str());
    const std::string script = "cd '" + UnixPath(folder) + "' && " + line + "; echo $? > native.part && mv native.part native.code";
    std::string command = "Z:\\bin\\sh -c \"" + script + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int waited = 0; waited < 60000 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 20)
        Sleep(20);
    std::ifstream in(done);
    int code = -1;
    in >> code;
    return code;
}

std::vector<uint8_t> WavData(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadBytes(path);
    return bytes.size() > 44 ? std::vector<uint8_t>(bytes.begin() + 44, bytes.end()) : std::vector<uint8_t>();
}

int FilesIn(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    int files = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return files;
}

void BurnProgram::SetUp()
{
    ASSERT_TRUE(DriverOverridesSet()) << kDriverOverridesHint;
    kvtest::ClearProgramKey();
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const std::string folder = m_sources.Path(), temp = m_temp.Path();
    RegSetValueExA(key, "LastLoadDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()), DWORD(folder.size() + 1));
    RegSetValueExA(key, "TempPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(temp.c_str()), DWORD(temp.size() + 1));
    RegSetValueExA(key, "CDWriteDrive", 0, REG_SZ, reinterpret_cast<const BYTE*>("S:"), 3);
    RegCloseKey(key);
    m_image = std::make_unique<ScopedImageDrive>(kBurnLetter, "CD-R");
    const std::string document = PrepareDocument();
    m_program = std::make_unique<kvtest::ProgramProcess>(kvtest::BinFolder() + "KvSound5EU.exe",
                                                         document.empty() ? "" : "\"" + document + "\"");
    m_frame = m_program->WaitForFrame();
    ASSERT_NE(nullptr, m_frame);
    // The tool panes come last in the start: once the controller is there, the document is
    // open and the menu's rules know the writer.
    struct Search {
        DWORD pid;
        bool found;
    } search{m_program->Id(), false};
    ASSERT_TRUE(WaitFor(
        [&] {
            EnumWindows(
                [](HWND window, LPARAM data) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(data);
                    DWORD pid = 0;
                    GetWindowThreadProcessId(window, &pid);
                    char title[64] = {};
                    GetWindowTextA(window, title, sizeof title);
                    s->found |= pid == s->pid && std::string(title) == "Controller";
                    return TRUE;
                },
                LPARAM(&search));
            return search.found;
        },
        30000))
        << Diagnose();
}

void BurnProgram::TearDown()
{
    m_program.reset();
    m_image.reset();
    kvtest::ClearProgramKey();
}

HWND BurnProgram::Box(const std::string& title, DWORD ms)
{
    return WaitForBoxTitled(*m_program, title, ms);
}

bool BurnProgram::Answer(const std::string& text, DWORD ms)
{
    return WaitFor(
        [&] {
            for (HWND box : m_program->Boxes())
                if (kvtest::BoxText(box) == text) {
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    return true;
                }
            return false;
        },
        ms);
}

std::string BurnProgram::Diagnose()
{
    return DescribeBoxes(*m_program);
}

HWND BurnProgram::OpenBurnDialog(UINT command)
{
    // What the menu item sends (Wine keeps a menu's items in the process that made it: the
    // item's state is checked by the frame's own tests).
    PostMessageA(m_frame, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return Box("Burn CD");
}

void BurnProgram::AddFiles(HWND dialog, const std::string& names)
{
    PostMessageA(GetDlgItem(dialog, IDC_BURN_ADD), BM_CLICK, 0, 0);
    HWND open = Box("Open");
    ASSERT_NE(nullptr, open) << Diagnose();
    ASSERT_TRUE(SetDlgItemTextA(open, 0x47C, names.c_str()) || SetDlgItemTextA(open, 0x480, names.c_str()));
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(open); }, 10000)) << Diagnose();
}

void BurnProgram::BurnAndClose(HWND dialog)
{
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Answer("Finished writing to media.", 60000)) << Diagnose();
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 5000));
    EXPECT_EQ(0, FilesIn(m_temp.Path())) << "no temporary file is left";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
    m_program.reset();
}

cdimage::CueDisc BurnProgram::ReadDisc()
{
    cdimage::CueDisc disc;
    std::string error;
    const bool parsed = cdimage::ParseCueSheet(cdkit::ReadFileText(m_image->Sheet()), m_image->Folder(),
                                               [](const std::string& p, uint64_t* b, void*) {
                                                   std::ifstream f(p, std::ios::binary | std::ios::ate);
                                                   *b = uint64_t(f.tellg());
                                                   return bool(f);
                                               },
                                               nullptr, &disc, &error);
    EXPECT_TRUE(parsed) << error;
    return disc;
}

std::vector<uint8_t> BurnProgram::ReadSectors(uint32_t count)
{
    CdDriveAccess access;
    CdAddress drive;
    std::vector<uint8_t> sectors(size_t(count) * 2352);
    if (!access.Load(kvtest::BinFolder()) || !access.FindDrive(kBurnLetter, &drive) ||
        !access.ReadAudio(drive, 0, count, sectors.data()))
        sectors.clear();
    return sectors;
}

} // namespace cdtest
