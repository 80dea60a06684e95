#include "SplashWnd.h"

#include "MemoryDC.h"
#include "SkinImage.h"

namespace {

constexpr UINT_PTR kHideTimer = 1;
BOOL g_splashEnabled = FALSE;
SplashWnd* g_splash = nullptr;

} // namespace

BEGIN_MESSAGE_MAP(SplashWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_TIMER()
END_MESSAGE_MAP()

void SplashWnd::EnableSplashScreen(BOOL enable)
{
    g_splashEnabled = enable;
}

SplashWnd* SplashWnd::Current()
{
    return g_splash;
}

void SplashWnd::ShowSplashScreen(CWnd* parent)
{
    if (!g_splashEnabled || g_splash)
        return;
    g_splash = new SplashWnd;
    if (!g_splash->Create(parent)) {
        delete g_splash;
        return;
    }
    g_splash->UpdateWindow();
}

void SplashWnd::ShowOnTop(int hide)
{
    if (!g_splash || !g_splash->m_hWnd)
        return;
    if (hide) {
        g_splash->HideSplash();
        return;
    }
    ::SetWindowPos(g_splash->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(g_splash->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    g_splash->SetTimer(kHideTimer, 2000);
}

SplashWnd::~SplashWnd()
{
    if (g_splash == this)
        g_splash = nullptr;
}

BOOL SplashWnd::Create(CWnd* parent)
{
    CString name = GetImagesFolder() + "SPLASH";
    m_image = std::make_unique<SkinImage>(name);
    if (!m_image->IsLoaded())
        return FALSE;
    const CSize size = m_image->GetSize();
    const char* windowClass = AfxRegisterWndClass(0, AfxArrowCursor());
    return CreateEx(WS_EX_TOOLWINDOW, windowClass, nullptr, WS_POPUP | WS_VISIBLE, 0, 0, size.cx, size.cy,
                    parent ? parent->m_hWnd : nullptr, nullptr);
}

int SplashWnd::OnCreate(LPCREATESTRUCTA create)
{
    if (CWnd::OnCreate(create) == -1)
        return -1;
    CenterWindow();
    SetTimer(kHideTimer, 10000);
    return 0;
}

void SplashWnd::OnPaint()
{
    CPaintDC paint(m_hWnd);
    CRect client;
    GetClientRect(&client);
    MemoryDC buffer;
    if (CDC* dc = buffer.Create(&paint, client)) {
        m_image->Draw(dc, 0, 0);
        paint.BitBlt(0, 0, client.Width(), client.Height(), dc, 0, 0, SRCCOPY);
    }
}

void SplashWnd::OnTimer(UINT_PTR id)
{
    if (id == kHideTimer)
        HideSplash();
}

void SplashWnd::HideSplash()
{
    DestroyWindow();
    if (CWnd* main = AfxGetMainWnd())
        if (main->m_hWnd)
            main->UpdateWindow();
}

void SplashWnd::PostNcDestroy()
{
    delete this;
}
