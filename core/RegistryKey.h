// RegistryKey: one settings section opened twice, under the user's hive for reading and
// writing and under the machine's hive for reading only, so that values written for all
// users serve as defaults until the user changes them. Reads ask the user key first, writes
// and deletions touch the user key only. Every operation returns the registry status
// (ERROR_SUCCESS = 0). Objects are locals of one call; the destructor closes both keys.
//
// Sections lie under the settings root, "Software\Korvane\KorvaneSound5 Tarn US" unless a
// test moves it with SetSettingsRoot; an empty section name is the root itself.
#pragma once
#include <windows.h>

#include <string>

constexpr const char* kDefaultSettingsRoot = "Software\\Korvane\\KorvaneSound5 Tarn US";

// The root every section lies under. Set it before any settings call (tests give themselves
// their own root so as not to touch a user's settings); null restores the default.
void SetSettingsRoot(const char* root);
const std::string& GetSettingsRoot();

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens the section (user: all access, machine: read); succeeds when either opened, else
    // returns the user hive's error.
    LONG Open(const char* section);
    // Creates or opens the section under the user hive, then opens the machine's for reading.
    LONG Create(const char* section, DWORD* disposition = nullptr);
    void Close();

    // A REG_SZ value, cut at its first zero; ERROR_INVALID_DATATYPE for another type.
    LONG QueryString(const char* name, std::string* text);
    // Raw bytes; bytes is the buffer size in and the value's size out. ERROR_MORE_DATA (with
    // the size needed) for a user value larger than the buffer; no machine value then.
    LONG QueryValue(const char* name, void* buffer, DWORD* bytes);
    // A REG_DWORD value; ERROR_INVALID_DATATYPE for another type or size.
    LONG QueryDword(const char* name, DWORD* value);
    // Stored with a byte count of the text's length (no end mark). Null name: the default value.
    LONG SetString(const char* name, const char* text);
    LONG SetDword(const char* name, DWORD value);
    LONG DeleteValue(const char* name);
    // Value names of the machine key (fromMachine) or the user key; non-zero past the last.
    LONG EnumValue(bool fromMachine, DWORD index, char* name, DWORD* nameLength, DWORD* type);
    // Deletes a section (without sub-keys) under the root of the user hive; needs an open
    // user key.
    LONG DeleteSubKey(const char* section);

    HKEY UserKey() const { return m_user; }

private:
    HKEY m_user = nullptr;
    HKEY m_machine = nullptr;
};

// Root + "\" + section; false when that would not fit a path of 260 characters.
bool BuildSectionPath(const char* section, std::string* path);
