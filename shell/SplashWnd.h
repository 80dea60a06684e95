// SplashWnd: the start-up image in a caption-less pop-up centred on the screen. It hides by
// its own timer (10 s after it appeared, 2 s after each ShowOnTop(0)) or when the start-up
// says so. Without the image "SPLASH" there is no splash and nothing else changes.
#pragma once
#include "Framework.h"

#include <memory>

class SkinImage;

class SplashWnd : public CWnd {
public:
    static void EnableSplashScreen(BOOL enable);
    static void ShowSplashScreen(CWnd* parent);
    // hide: hide now; 0: to the top, repainted, and hidden 2 s later.
    static void ShowOnTop(int hide);
    static SplashWnd* Current();

    ~SplashWnd() override;
    void HideSplash();

    int OnCreate(LPCREATESTRUCTA create);
    void OnPaint();
    void OnTimer(UINT_PTR id);

protected:
    void PostNcDestroy() override;

private:
    SplashWnd() = default;
    BOOL Create(CWnd* parent);

    std::unique_ptr<SkinImage> m_image;
    DECLARE_MESSAGE_MAP()
};
