#include "AppHelpers.h"

#include "DirectXVersion.h"
#include "TempFilePaths.h"

#include <cstdio>
#include <cstring>
#include <vector>

void NormalizeFolderPath(char* path)
{
    size_t length = strnlen(path, MAX_PATH - 1);
    path[length] = 0;
    if (length > 0 && path[length - 1] == '\\')
        path[--length] = 0;
    std::string result(path);
    // From the end: each existing component takes its name as stored on disk.
    size_t end = result.size();
    while (end > 0) {
        size_t slash = result.rfind('\\', end - 1);
        if (slash == std::string::npos)
            break;
        const std::string upTo = result.substr(0, end);
        WIN32_FIND_DATAA found;
        HANDLE find = ::FindFirstFileA(upTo.c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            break;
        ::FindClose(find);
        result.replace(slash + 1, end - slash - 1, found.cFileName);
        end = slash;
    }
    lstrcpynA(path, result.c_str(), MAX_PATH);
}

int IsWritableFolder(const char* folder)
{
    if (!folder || !*folder)
        return 0;
    DWORD attributes = ::GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    char name[MAX_PATH];
    if (!::GetTempFileNameA(folder, "KVW", 0, name))
        return 0;
    ::DeleteFileA(name);
    return 1;
}

void CreateTempFolder()
{
    TempFilePaths paths;
    const char* folder = paths.GetFolder();
    if (*folder && ::GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
        ::CreateDirectoryA(folder, nullptr);
}

std::string ProgramFolder()
{
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module);
    size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

uint64_t TempDiskSpaceOf(const char* folder)
{
    std::string path(folder ? folder : "");
    std::string root;
    if (path.compare(0, 2, "\\\\") == 0) {
        // \\server\share\ : up to the "\" after the share name.
        size_t server = path.find('\\', 2);
        size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
        root = share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
    } else {
        size_t first = path.find('\\');
        if (first == std::string::npos)
            return ~uint64_t(0);
        root = path.substr(0, first + 1);
    }
    ULARGE_INTEGER available{}, total{}, free{};
    if (!::GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free))
        return ~uint64_t(0);
    return available.QuadPart * 20 / 100;
}

uint64_t CheckTempDiskSpace()
{
    TempFilePaths paths;
    return TempDiskSpaceOf(paths.GetFolder());
}

bool GetFileVersionText(const char* path, std::string* text)
{
    text->clear();
    uint64_t version = 0;
    if (FAILED(GetFileVersion(path, &version)))
        return false;
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", int(version >> 48 & 0xFFFF), int(version >> 32 & 0xFFFF),
             int(version >> 16 & 0xFFFF), int(version & 0xFFFF));
    *text = buffer;
    return true;
}

int CheckKgPTPModule()
{
    std::string version;
    return GetFileVersionText((ProgramFolder() + "KgPTP.dll").c_str(), &version) ? 1 : 0;
}

void DeleteSpectralPresetTemp()
{
    TempFilePaths paths;
    std::string folder(paths.GetFolder());
    if (folder.empty())
        return;
    if (folder.back() == '\\')
        folder.pop_back();
    folder += "\\KvSSpectralSubtraction\\";
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    for (const std::string& name : names)
        ::DeleteFileA((folder + name).c_str());
}
