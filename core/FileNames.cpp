#include "FileNames.h"

#include <cstring>

namespace {

size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Where the directory part begins: after a drive such as "C:".
size_t DriveLength(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

bool HasForbiddenCharacter(const std::string& component)
{
    return component.find_first_of("\\/:,;*?\"<>|") != std::string::npos || component.find("..") != std::string::npos;
}

bool IsReservedName(const std::string& component)
{
    static const char* const kReserved[] = {"PRN", "AUX", "CON", "NUL"};
    for (const char* name : kReserved) {
        if (component.size() >= 3 && _strnicmp(component.c_str(), name, 3) == 0 &&
            (component.size() == 3 || component[3] == '.'))
            return true;
    }
    return false;
}

} // namespace

std::string SplitFileName(const std::string& path)
{
    size_t separator = LastSeparator(path);
    size_t start = separator == std::string::npos ? DriveLength(path) : separator + 1;
    return path.substr(start);
}

std::string SplitDirectory(const std::string& path, bool withoutTrailing)
{
    size_t separator = LastSeparator(path);
    std::string directory =
        separator == std::string::npos ? path.substr(0, DriveLength(path)) : path.substr(0, separator + 1);
    if (withoutTrailing && !directory.empty() && (directory.back() == '\\' || directory.back() == '/'))
        directory.pop_back();
    return directory;
}

int IsExistingFolder(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

// Both separators the platform accepts split components (a slash is never part of a name).
int ValidateFileName(const std::string& path)
{
    std::string rest = path;
    while (!rest.empty() && IsSeparator(rest.back()))
        rest.pop_back();
    while (rest.size() > 2) {
        size_t separator = LastSeparator(rest);
        std::string component = separator == std::string::npos ? rest : rest.substr(separator + 1);
        rest = separator == std::string::npos ? std::string() : rest.substr(0, separator);
        if (HasForbiddenCharacter(component) || IsReservedName(component))
            return 0;
    }
    return 1;
}

int CreateDirectoryPath(const std::string& folder)
{
    std::string withSlash = folder;
    if (withSlash.empty() || !IsSeparator(withSlash.back()))
        withSlash += '\\';
    const std::string target = SplitDirectory(withSlash, true);
    if (target.empty() || target == "." || target == ".." || target.size() == 2) {
        ShowCoreMessage(kIdsInvalidFolder, MB_OK);
        return 0;
    }
    if (!ValidateFileName(target)) {
        ShowCoreMessage(kIdsInvalidFolderChars, MB_OK);
        return 0;
    }
    if (::GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (IsExistingFolder(target))
            return 1;
        ShowCoreMessage(kIdsInvalidFolder, MB_OK);
        return 0;
    }
    if (ShowCoreMessage(kIdsCreateFolderAsk, MB_OKCANCEL) != IDOK)
        return 0;
    // Create the deepest missing level that can be made, then start again from the top.
    while (!IsExistingFolder(target)) {
        std::string part = target;
        while (!::CreateDirectoryA(part.c_str(), nullptr)) {
            size_t separator = LastSeparator(part);
            part = separator == std::string::npos ? std::string() : part.substr(0, separator);
            if (part.size() <= 2) {
                ShowCoreMessage(kIdsCreateFolderFailed, MB_OK);
                return 0;
            }
        }
    }
    return 1;
}
