#include "CdPrefix.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>

namespace cdtest {
namespace {

// The mount manager's request that defines a drive letter on a Unix folder, as the prefix's
// configuration tool sends it.
constexpr DWORD kDefineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
#pragma pack(push, 8)
struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
#pragma pack(pop)

bool DefineDrive(char letter, const std::string& unixPath, ULONG type)
{
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    std::vector<uint8_t> block(sizeof(UnixDrive) + unixPath.size() + 1, 0);
    auto* d = reinterpret_cast<UnixDrive*>(block.data());
    d->size = ULONG(block.size());
    d->type = type;
    d->letter = WCHAR(letter - 'A' + 'a');
    if (!unixPath.empty()) {
        memcpy(block.data() + sizeof(UnixDrive), unixPath.c_str(), unixPath.size() + 1);
        d->mountPointOffset = USHORT(sizeof(UnixDrive));
    }
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, block.data(), DWORD(block.size()), nullptr, 0,
                                    &returned, nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}

std::string UnixPathOf(const std::string& windowsPath)
{
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return std::string();
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* name = unixName(wide);
    if (!name)
        return std::string();
    std::string out = name;
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

} // namespace

std::vector<cdkit::ImageTrack> StandardDisc()
{
    return {{750}, {600}, {300, false}};
}

ScopedImageDrive::ScopedImageDrive(char letter, const std::vector<cdkit::ImageTrack>& tracks, const char* medium)
    : m_letter(letter)
{
    m_sheet = cdkit::WriteImage(m_folder.Path(), "disc", tracks, medium);
    Mount();
}

ScopedImageDrive::ScopedImageDrive(char letter, const char* blankMedium) : m_letter(letter)
{
    m_sheet = cdkit::WriteBlank(m_folder.Path(), "disc", blankMedium);
    Mount();
}

void ScopedImageDrive::Mount()
{
    cdkit::OfferImage(m_letter, m_sheet);
    m_cdrom = DefineDrive(m_letter, UnixPathOf(m_folder.Path()), DRIVE_CDROM);
}

ScopedImageDrive::~ScopedImageDrive()
{
    cdkit::ForgetImage(m_letter);
    if (m_cdrom)
        DefineDrive(m_letter, std::string(), DRIVE_NO_ROOT_DIR);
}

bool DriverOverridesSet()
{
    char overrides[1024] = {};
    const DWORD length = GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    if (length == 0 || length >= sizeof overrides)
        return false;
    const std::string text = overrides;
    return text.find("mcicda") != std::string::npos && text.find("wnaspi32") != std::string::npos;
}

ScopedWnaspi32::ScopedWnaspi32()
{
    CopyFileA((kvtest::BinFolder() + "KgPTP.dll").c_str(), m_folder.File("WNASPI32.DLL").c_str(), FALSE);
    SetDllDirectoryA(m_folder.Path().c_str());
}

ScopedWnaspi32::~ScopedWnaspi32()
{
    SetDllDirectoryA(nullptr);
    if (HMODULE loaded = GetModuleHandleA(m_folder.File("WNASPI32.DLL").c_str()))
        FreeLibrary(loaded);
}

} // namespace cdtest
