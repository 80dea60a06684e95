#include "GdiplusSession.h"

#include "GdiplusInclude.h"

#include <mutex>

namespace {

std::mutex g_gdiplusLock;
int g_gdiplusSessions = 0;
ULONG_PTR g_gdiplusToken = 0;
bool g_gdiplusOk = false;

} // namespace

GdiplusSession::GdiplusSession()
{
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    if (g_gdiplusSessions++ == 0) {
        Gdiplus::GdiplusStartupInput input;
        g_gdiplusOk = Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr) == Gdiplus::Ok;
    }
}

GdiplusSession::~GdiplusSession()
{
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    if (--g_gdiplusSessions == 0 && g_gdiplusOk) {
        Gdiplus::GdiplusShutdown(g_gdiplusToken);
        g_gdiplusOk = false;
    }
}

bool GdiplusSession::Running()
{
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    return g_gdiplusOk;
}
