// Settings: one-call access to the settings in the registry. Each call opens one section,
// does one value operation and closes it again; there is no cache. Reads try the user's
// key and fall back to the machine's, writes go to the user's key. No call throws.
#pragma once
#include <windows.h>

#include <string>

constexpr const char* kSettingsSection = "Settings";

// The entry as text; the default ("" for null) when the section or the entry cannot be
// read. Returns the resulting length.
int GetSettingString(const char* section, const char* entry, const char* defaultText, std::string* text);
// The stored 32-bit number, or the default.
int GetSettingInt(const char* section, const char* entry, int defaultValue);
// value given: creates the section and writes the entry (null entry: the key's default
// value). value null: deletes the entry, or with a null entry the whole section of the
// user's hive. 1 on success, 0 on failure.
int SetSettingString(const char* section, const char* entry, const char* value);
int SetSettingInt(const char* section, const char* entry, int value);
// The stored value copied into a buffer of capacity bytes, always ended by a zero; the
// default (or "") when the value is missing, is not text, or does not fit. Returns the
// text's length.
int GetSettingBuffer(const char* section, const char* entry, const char* defaultText, char* buffer, DWORD capacity);

// One entry of section "Settings" with the default its readers pass.
struct SettingInfo {
    const char* entry;
    bool isNumber;
    int number;       // default of a number
    const char* text; // default of a string
};

// The known entry of that name (case-insensitive), or null.
const SettingInfo* FindSetting(const char* entry);
// GetSettingInt / GetSettingString of section "Settings" with the table's default.
int GetSettingIntDefault(const char* entry);
int GetSettingStringDefault(const char* entry, std::string* text);
