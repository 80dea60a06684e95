// Folder, path and module helpers of the application object.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Drops one trailing "\" and replaces each existing component, from the end, by the name
// stored on disk, until one does not exist; the rest stays as passed. path holds MAX_PATH.
void NormalizeFolderPath(char* path);
// 1 when a file can be made in the folder.
int IsWritableFolder(const char* folder);
// Creates the program's temporary folder when it cannot be opened.
void CreateTempFolder();
// A fifth of the free space on the temporary folder's drive; all bits set on failure.
uint64_t CheckTempDiskSpace();
// The same budget for any folder (the root is taken from it).
uint64_t TempDiskSpaceOf(const char* folder);
// "%d.%d.%d.%d" of the file's version resource; false without one.
bool GetFileVersionText(const char* path, std::string* text);
// 1 when the CD writer module lies in the program's folder with a readable version.
int CheckKgPTPModule();
// Deletes every file of "KvSSpectralSubtraction" below the temporary folder.
void DeleteSpectralPresetTemp();
// The program's folder with a trailing "\".
std::string ProgramFolder();
