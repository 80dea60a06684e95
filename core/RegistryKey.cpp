#include "RegistryKey.h"

#include <cstring>
#include <vector>

namespace {

std::string& SettingsRoot()
{
    static std::string root = kDefaultSettingsRoot;
    return root;
}

constexpr size_t kMaxSectionPath = 260;

} // namespace

void SetSettingsRoot(const char* root)
{
    SettingsRoot() = root ? root : kDefaultSettingsRoot;
}

const std::string& GetSettingsRoot()
{
    return SettingsRoot();
}

bool BuildSectionPath(const char* section, std::string* path)
{
    *path = SettingsRoot();
    if (section && *section) {
        *path += '\\';
        *path += section;
    }
    return path->size() < kMaxSectionPath;
}

LONG RegistryKey::Open(const char* section)
{
    Close();
    std::string path;
    if (!BuildSectionPath(section, &path))
        return ERROR_FILENAME_EXCED_RANGE;
    LONG userResult = ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &m_user);
    if (userResult != ERROR_SUCCESS)
        m_user = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &m_machine) != ERROR_SUCCESS)
        m_machine = nullptr;
    if (m_user || m_machine)
        return ERROR_SUCCESS;
    return userResult;
}

LONG RegistryKey::Create(const char* section, DWORD* disposition)
{
    Close();
    std::string path;
    if (!BuildSectionPath(section, &path))
        return ERROR_FILENAME_EXCED_RANGE;
    DWORD created = 0;
    LONG result = ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &m_user, &created);
    if (result != ERROR_SUCCESS) {
        m_user = nullptr;
        return result;
    }
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &m_machine) != ERROR_SUCCESS)
        m_machine = nullptr;
    if (disposition)
        *disposition = created;
    return ERROR_SUCCESS;
}

void RegistryKey::Close()
{
    if (m_user)
        ::RegCloseKey(m_user);
    if (m_machine)
        ::RegCloseKey(m_machine);
    m_user = nullptr;
    m_machine = nullptr;
}

LONG RegistryKey::QueryString(const char* name, std::string* text)
{
    HKEY key = m_user;
    DWORD type = 0;
    DWORD bytes = 0;
    LONG result = key ? ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &bytes) : ERROR_FILE_NOT_FOUND;
    if (result != ERROR_SUCCESS && m_machine) {
        key = m_machine;
        result = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &bytes);
    }
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_SZ)
        return ERROR_INVALID_DATATYPE;
    std::vector<char> data(bytes + 1, '\0');
    result = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
    if (result != ERROR_SUCCESS)
        return result;
    text->assign(data.data(), strnlen(data.data(), bytes));
    return ERROR_SUCCESS;
}

LONG RegistryKey::QueryValue(const char* name, void* buffer, DWORD* bytes)
{
    DWORD capacity = *bytes;
    LONG result = m_user ? ::RegQueryValueExA(m_user, name, nullptr, nullptr, static_cast<BYTE*>(buffer), bytes)
                         : ERROR_FILE_NOT_FOUND;
    // A user value that does not fit is the user's: the caller learns its size rather than
    // getting the machine's value in its place.
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA && m_machine) {
        *bytes = capacity;
        result = ::RegQueryValueExA(m_machine, name, nullptr, nullptr, static_cast<BYTE*>(buffer), bytes);
    }
    return result;
}

LONG RegistryKey::QueryDword(const char* name, DWORD* value)
{
    auto query = [&](HKEY key) {
        DWORD type = 0;
        DWORD number = 0;
        DWORD bytes = sizeof(number);
        LONG result = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &bytes);
        if (result == ERROR_SUCCESS && (type != REG_DWORD || bytes != sizeof(number)))
            result = ERROR_INVALID_DATATYPE;
        if (result == ERROR_SUCCESS)
            *value = number;
        return result;
    };
    LONG result = m_user ? query(m_user) : ERROR_FILE_NOT_FOUND;
    if (result != ERROR_SUCCESS && m_machine)
        result = query(m_machine);
    return result;
}

LONG RegistryKey::SetString(const char* name, const char* text)
{
    if (!m_user)
        return ERROR_INVALID_HANDLE;
    if (!text)
        text = "";
    return ::RegSetValueExA(m_user, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>(strlen(text)));
}

LONG RegistryKey::SetDword(const char* name, DWORD value)
{
    if (!m_user)
        return ERROR_INVALID_HANDLE;
    return ::RegSetValueExA(m_user, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG RegistryKey::DeleteValue(const char* name)
{
    if (!m_user)
        return ERROR_INVALID_HANDLE;
    return ::RegDeleteValueA(m_user, name);
}

LONG RegistryKey::EnumValue(bool fromMachine, DWORD index, char* name, DWORD* nameLength, DWORD* type)
{
    HKEY key = fromMachine ? m_machine : m_user;
    if (!key)
        return ERROR_INVALID_HANDLE;
    return ::RegEnumValueA(key, index, name, nameLength, nullptr, type, nullptr, nullptr);
}

LONG RegistryKey::DeleteSubKey(const char* section)
{
    if (!m_user)
        return ERROR_INVALID_HANDLE;
    std::string path;
    if (!BuildSectionPath(section, &path))
        return ERROR_FILENAME_EXCED_RANGE;
    return ::RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}
