#include "DirectXVersion.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <iterator>
#include <vector>

uint64_t MakeVersion64(WORD a, WORD b, WORD c, WORD d)
{
    return uint64_t(a) << 48 | uint64_t(b) << 32 | uint64_t(c) << 16 | uint64_t(d);
}

int CompareVersion64(uint64_t a, uint64_t b)
{
    return a < b ? -1 : a > b ? 1 : 0;
}

HRESULT GetFileVersion(const char* path, uint64_t* version)
{
    *version = 0;
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return E_FAIL;
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoA(path, 0, size, data.data()))
        return E_FAIL;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return E_FAIL;
    *version = uint64_t(info->dwFileVersionMS) << 32 | info->dwFileVersionLS;
    return S_OK;
}

FileVersionReader SystemFolderVersionReader()
{
    return [](const char* fileName, uint64_t* version) {
        char path[MAX_PATH];
        UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
        if (length == 0 || length + 1 + strlen(fileName) >= MAX_PATH)
            return E_FAIL;
        snprintf(path + length, MAX_PATH - length, "\\%s", fileName);
        return GetFileVersion(path, version);
    };
}

namespace {

struct DirectXCheck {
    const char* file;
    uint64_t atLeast4; // versions with the leading part 4 (or the only one)
    uint64_t atLeast5; // versions with the leading part 5, 0 when the row has none
    bool anyVersion;   // holds whenever the file has a version
    int major, minor;
    char letter;
};

constexpr uint64_t V(WORD a, WORD b, WORD c, WORD d)
{
    return uint64_t(a) << 48 | uint64_t(b) << 32 | uint64_t(c) << 16 | uint64_t(d);
}

// The last holding row wins.
const DirectXCheck kChecks[] = {
    {"ddraw.dll", V(4, 2, 0, 95), 0, false, 1, 0, ' '},
    {"ddraw.dll", V(4, 3, 0, 1096), 0, false, 2, 0, ' '},
    {"ddraw.dll", V(4, 4, 0, 68), 0, false, 3, 0, ' '},
    {"d3drg8x.dll", V(4, 4, 0, 70), 0, false, 3, 0, 'a'},
    {"ddraw.dll", V(4, 5, 0, 155), 0, false, 5, 0, ' '},
    {"ddraw.dll", V(4, 6, 0, 318), 0, false, 6, 0, ' '},
    {"ddraw.dll", V(4, 6, 0, 436), 0, false, 6, 1, ' '},
    {"dplayx.dll", V(4, 6, 3, 518), 0, false, 6, 1, 'a'},
    {"ddraw.dll", V(4, 7, 0, 700), 0, false, 7, 0, ' '},
    {"dinput.dll", V(4, 7, 0, 716), 0, false, 7, 0, 'a'},
    {"ddraw.dll", V(4, 8, 0, 400), V(5, 1, 2258, 400), false, 8, 0, ' '},
    {"d3d8.dll", V(4, 8, 1, 881), V(5, 1, 2600, 881), false, 8, 1, ' '},
    {"d3d8.dll", V(4, 8, 1, 901), V(5, 1, 2600, 901), false, 8, 1, 'a'},
    {"mpg2splt.ax", V(6, 3, 1, 885), 0, false, 8, 1, 'b'},
    {"dpnet.dll", V(4, 9, 0, 134), V(5, 2, 3677, 134), false, 8, 2, ' '},
    {"d3d9.dll", 0, 0, true, 9, 0, ' '},
};

bool Holds(const DirectXCheck& check, uint64_t version)
{
    if (check.anyVersion)
        return true;
    if (!check.atLeast5)
        return CompareVersion64(version, check.atLeast4) >= 0;
    // Two-version rows: at least the first with the same leading part, or at least the second.
    const uint64_t leading = version >> 48;
    if (leading == (check.atLeast4 >> 48) && CompareVersion64(version, check.atLeast4) >= 0)
        return true;
    return CompareVersion64(version, check.atLeast5) >= 0;
}

} // namespace

HRESULT DetectDirectXVersion(const FileVersionReader& reader, int* major, int* minor, char* letter)
{
    if (!major || !minor || !letter || !reader)
        return E_INVALIDARG;
    *major = 0;
    *minor = 0;
    *letter = ' ';
    // The last holding row wins, so the rows are tried from the newest and the first that holds
    // ends the search: a current system reads one file. Each file is read at most once (a
    // version read maps the file twice, and rows share files).
    struct Read {
        const char* file;
        HRESULT hr;
        uint64_t version;
    };
    std::vector<Read> reads;
    for (auto check = std::rbegin(kChecks); check != std::rend(kChecks); ++check) {
        auto read = std::find_if(reads.begin(), reads.end(),
                                 [&](const Read& r) { return strcmp(r.file, check->file) == 0; });
        if (read == reads.end()) {
            uint64_t version = 0;
            const HRESULT hr = reader(check->file, &version);
            read = reads.insert(reads.end(), Read{check->file, hr, version});
        }
        if (FAILED(read->hr) || !Holds(*check, read->version))
            continue;
        *major = check->major;
        *minor = check->minor;
        *letter = check->letter;
        break;
    }
    return S_OK;
}

HRESULT GetDirectXVersion(const FileVersionReader& reader, DWORD* packed, char* text, int textSize)
{
    if (packed)
        *packed = 0;
    if (text && textSize > 0)
        text[0] = 0;
    int major = 0, minor = 0;
    char letter = ' ';
    if (FAILED(DetectDirectXVersion(reader, &major, &minor, &letter)))
        return E_FAIL;
    letter = static_cast<char>(tolower(static_cast<unsigned char>(letter)));
    const bool hasLetter = letter >= 'a' && letter <= 'z';
    if (packed)
        *packed = DWORD(major) << 16 | DWORD(minor) << 8 | (hasLetter ? DWORD(letter - 'a' + 1) : 0);
    if (text && textSize > 0) {
        if (hasLetter)
            snprintf(text, textSize, "%d.%d%c", major, minor, letter);
        else
            snprintf(text, textSize, "%d.%d", major, minor);
    }
    return S_OK;
}

HRESULT GetDirectXVersion(DWORD* packed, char* text, int textSize)
{
    return GetDirectXVersion(SystemFolderVersionReader(), packed, text, textSize);
}
