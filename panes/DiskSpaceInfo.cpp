#include "DiskSpaceInfo.h"

#include <algorithm>
#include <cstring>
#include <string>

void DiskSpaceInfo::Query(const char* path)
{
    std::string root = path ? path : "";
    const size_t slash = root.find('\\');
    if (slash != std::string::npos)
        root.resize(slash + 1);

    using GetFreeEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    auto getFreeEx =
        kernel ? reinterpret_cast<GetFreeEx>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")))
               : nullptr;
    if (getFreeEx) {
        ULARGE_INTEGER caller{}, total{}, all{};
        if (getFreeEx(root.c_str(), &caller, &total, &all))
            freeBytes = caller.QuadPart;
    } else {
        DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
        if (GetDiskFreeSpaceA(root.c_str(), &sectors, &bytes, &freeClusters, &clusters))
            freeBytes = uint64_t(sectors) * bytes * freeClusters;
    }

    char fileSystem[64] = "";
    if (GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem, sizeof fileSystem))
        ApplyFileSystem(fileSystem, FatLimit());
}

void DiskSpaceInfo::ApplyFileSystem(const char* fileSystemName, uint64_t fatLimit)
{
    if (!std::strstr(fileSystemName, "FAT")) {
        usableBytes = freeBytes;
        limitBytes = 0;
        unlimited = 1;
        return;
    }
    limitBytes = fatLimit;
    usableBytes = std::min(freeBytes, fatLimit);
    unlimited = 0;
}

uint64_t DiskSpaceInfo::FatLimit()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    if (known && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMajorVersion < 5 &&
        version.dwMinorVersion < 90)
        return uint64_t(1) << 31;
    return uint64_t(1) << 32;
}

namespace {

int64_t ThirdAfter(uint64_t freeBytes, int64_t recorded)
{
    const uint64_t twice = uint64_t(recorded) * 2;
    return twice > freeBytes ? 0 : int64_t((freeBytes - twice) / 3);
}

} // namespace

int64_t RecordableBytes(const DiskSpaceInfo& info, bool recording, int64_t recorded, int64_t& base)
{
    if (!recording) {
        base = 0;
        const uint64_t third = info.freeBytes / 3;
        return int64_t(info.unlimited ? third : std::min(third, info.usableBytes));
    }
    recorded = std::max<int64_t>(recorded, 0);
    if (uint64_t(recorded) > info.usableBytes)
        return 0;
    if (base != 0)
        return std::max<int64_t>(base - recorded, 0);
    if (info.unlimited || info.freeBytes <= info.limitBytes || info.usableBytes * 3 > info.freeBytes)
        base = ThirdAfter(info.freeBytes, recorded);
    else
        base = int64_t(info.usableBytes) - recorded;
    return base;
}
