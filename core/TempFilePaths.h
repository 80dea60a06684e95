// TempFilePaths: the folder of every scratch file of the program and unique names in it.
// The folder is the setting "Settings"/"TempPath" plus the sub-folder "kv5eu" (created when
// missing), or the system temporary folder when the setting is absent, empty or too long.
#pragma once
#include <windows.h>

constexpr const char* kTempSubFolder = "kv5eu";
constexpr const char* kDefaultTempPrefix = "NY"; // the platform uses at most three characters

class TempFilePaths {
public:
    TempFilePaths();

    // Computes the folder; "" when not even the system temporary folder can be read.
    const char* GetFolder();
    // 1 with the folder copied (ended by a zero) into buffer; 0 for no buffer, size 0, a
    // folder that does not fit, or no system temporary folder.
    int GetFolderCopy(char* buffer, DWORD size);
    // Creates an empty file with a new unique name in the folder and returns the name
    // ("" when the platform could not make one). Prefix null: "NY".
    const char* MakeTempFileName(const char* prefix = nullptr);
    // As MakeTempFileName into buffer; 1 when a name was made and fits, else 0.
    int MakeTempFileNameCopy(char* buffer, DWORD size, const char* prefix = nullptr);

private:
    char m_folder[MAX_PATH];
    char m_lastName[MAX_PATH];
};
