#include "VideoSource.h"

#include "AviStructure.h"
#include "AviVideoSource.h"
#include "DShowVideoSource.h"
#include "KvSSException.h"

#include <cstring>
#include <memory>

namespace {

bool IsQuickTimeName(const char* path)
{
    const char* dot = std::strrchr(path, '.');
    return dot && lstrcmpiA(dot, ".mov") == 0;
}

// An AVI by its first bytes: its structure must pass our walk before any road sees it.
bool IsAviFile(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char head[12] = {};
    DWORD got = 0;
    ReadFile(file, head, sizeof head, &got, nullptr);
    CloseHandle(file);
    return got == 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "AVI ", 4) == 0;
}

bool AviStructurePasses(const char* path)
{
    try {
        ReadAviStructure(path, kAviVideo);
        return true;
    } catch (const CKvSSException&) {
        return false;
    }
}

} // namespace

CVideoSource* CreateVideoSource(const char* path, HWND window)
{
    if (!path || !*path || IsQuickTimeName(path))
        return nullptr;
    if (IsAviFile(path) && !AviStructurePasses(path))
        return nullptr;
    int64_t period = 0;
    {
        std::unique_ptr<CAviVideoSource> avi(new CAviVideoSource);
        if (avi->Open(path))
            return avi.release();
        period = avi->GetFramePeriod();
    }
    {
        std::unique_ptr<CDShowVideoSource> shown(new CDShowVideoSource);
        if (period)
            shown->SetFramePeriod(period);
        if (shown->Open(path)) {
            shown->SetWindow(window);
            return shown.release();
        }
    }
    std::unique_ptr<CAviVideoSource> last(new CAviVideoSource);
    last->SetRefuseOpenDml(0);
    return last->Open(path) ? last.release() : nullptr;
}
