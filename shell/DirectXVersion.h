// The installed DirectX version, decided from the file versions of system files without
// loading DirectX. The version reader is a parameter so that tests can feed any set of files.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

// Reads a file's 64-bit version (four 16-bit parts, most significant first); S_OK or a failure
// when the file is missing or has no version resource.
using FileVersionReader = std::function<HRESULT(const char* fileName, uint64_t* version)>;

uint64_t MakeVersion64(WORD a, WORD b, WORD c, WORD d);
int CompareVersion64(uint64_t a, uint64_t b);

// The version resource's file version of a file.
HRESULT GetFileVersion(const char* path, uint64_t* version);
// Reads file names in the system directory through GetFileVersion.
FileVersionReader SystemFolderVersionReader();

// letter is ' ' when there is none.
HRESULT DetectDirectXVersion(const FileVersionReader& reader, int* major, int* minor, char* letter);
// Packed (major << 16 | minor << 8 | letter number) and "%d.%d" or "%d.%d%c", cut to textSize
// and terminated. Both outputs are cleared first; E_FAIL when detection fails.
HRESULT GetDirectXVersion(const FileVersionReader& reader, DWORD* packed, char* text, int textSize);
HRESULT GetDirectXVersion(DWORD* packed, char* text, int textSize);

constexpr DWORD kDirectXRequired = 0x80100; // 8.1
