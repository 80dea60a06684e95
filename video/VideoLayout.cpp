#include "VideoLayout.h"

#include <cmath>

int FramesPerStep(double spanTime, double frameDuration)
{
    if (frameDuration <= 0.0)
        return 0;
    const double f = spanTime / frameDuration;
    return f < 1.0 ? 1 : static_cast<int>(std::ceil(f));
}

RECT FitFrame(const RECT& picture, int width, int height)
{
    const int pw = picture.right - picture.left, ph = picture.bottom - picture.top;
    if (width <= 0 || height <= 0 || pw <= 0 || ph <= 0)
        return RECT{picture.left, picture.top, picture.left, picture.top};
    int w = static_cast<int>(static_cast<long long>(width) * ph / height), h = ph;
    if (w > pw) {
        w = pw;
        h = static_cast<int>(static_cast<long long>(height) * pw / width);
    }
    const int x = picture.left + (pw - w) / 2, y = picture.top + (ph - h) / 2;
    return RECT{x, y, x + w, y + h};
}

UINT ZoomCheck(int W, int H, int w, int h)
{
    if (W <= 0 || H <= 0)
        return 0;
    if (W / 4 <= w && w < W / 2 && H / 4 <= h && h < H / 2)
        return 1087;
    if (w == W / 2 && h == H / 2)
        return 1088;
    if (w == W && h == H)
        return 1089;
    if (w == 2 * W && h == 2 * H)
        return 1090;
    if (2 * W < w && w <= 4 * W && 2 * H < h && h <= 4 * H)
        return 1091;
    return 0;
}

double ZoomScale(UINT command)
{
    switch (command) {
    case 1087:
        return 0.25;
    case 1088:
        return 0.5;
    case 1089:
        return 1.0;
    case 1090:
        return 2.0;
    case 1091:
        return 4.0;
    default:
        return 0.0;
    }
}

RECT KeepInsideWorkArea(RECT window, const RECT& work)
{
    if (window.right > work.right) {
        const int dx = window.right - work.right;
        window.left -= dx;
        window.right -= dx;
    }
    if (window.bottom > work.bottom) {
        const int dy = window.bottom - work.bottom;
        window.top -= dy;
        window.bottom -= dy;
    }
    return window;
}
