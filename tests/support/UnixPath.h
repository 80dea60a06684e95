// The host path of a Windows path under Wine, for handing files to native tools (bchunk,
// ffmpeg); empty outside Wine.
#pragma once
#include <windows.h>

#include <string>

inline std::string UnixPath(const std::string& path)
{
    using ToUnix = char*(CDECL*)(const WCHAR*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    const std::wstring wide(path.begin(), path.end());
    char* unix = toUnix ? toUnix(wide.c_str()) : nullptr;
    const std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}
