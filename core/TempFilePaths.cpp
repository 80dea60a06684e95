#include "TempFilePaths.h"

#include "RegistryKey.h"
#include "Settings.h"

#include <cstring>
#include <string>

namespace {

bool IsDirectory(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Copies text with its end mark when it fits into size bytes; false (buffer emptied) otherwise.
bool CopyBounded(const char* text, char* buffer, DWORD size)
{
    size_t length = std::strlen(text);
    if (length >= size) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, text, length + 1);
    return true;
}

} // namespace

TempFilePaths::TempFilePaths()
{
    m_folder[0] = '\0';
    m_lastName[0] = '\0';
}

const char* TempFilePaths::GetFolder()
{
    DWORD length = ::GetTempPathA(MAX_PATH, m_folder);
    if (length == 0 || length >= MAX_PATH)
        m_folder[0] = '\0';

    // The raw value is read bounded and ended; one that leaves no room for the sub-folder
    // is ignored.
    std::string value;
    RegistryKey key;
    if (key.Open(kSettingsSection) != ERROR_SUCCESS || key.QueryString("TempPath", &value) != ERROR_SUCCESS ||
        value.empty())
        return m_folder;
    std::string folder = value;
    if (folder.back() == '\\')
        folder += std::string(kTempSubFolder) + "\\";
    else
        folder += std::string("\\") + kTempSubFolder;
    if (folder.size() >= MAX_PATH)
        return m_folder;
    if (!IsDirectory(folder))
        ::CreateDirectoryA(folder.c_str(), nullptr); // a failure shows at the first file made there
    std::memcpy(m_folder, folder.c_str(), folder.size() + 1);
    return m_folder;
}

int TempFilePaths::GetFolderCopy(char* buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    GetFolder();
    if (m_folder[0] == '\0') {
        buffer[0] = '\0';
        return 0;
    }
    return CopyBounded(m_folder, buffer, size < MAX_PATH ? size : MAX_PATH) ? 1 : 0;
}

const char* TempFilePaths::MakeTempFileName(const char* prefix)
{
    GetFolder();
    if (m_folder[0] == '\0' || !::GetTempFileNameA(m_folder, prefix ? prefix : kDefaultTempPrefix, 0, m_lastName))
        m_lastName[0] = '\0';
    return m_lastName;
}

int TempFilePaths::MakeTempFileNameCopy(char* buffer, DWORD size, const char* prefix)
{
    if (!buffer || size == 0)
        return 0;
    MakeTempFileName(prefix);
    if (m_lastName[0] == '\0') {
        buffer[0] = '\0';
        return 0;
    }
    return CopyBounded(m_lastName, buffer, size < MAX_PATH ? size : MAX_PATH) ? 1 : 0;
}
