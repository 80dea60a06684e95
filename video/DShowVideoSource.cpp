#include "DShowVideoSource.h"

bool CDShowVideoSource::Open(const char* path)
{
    if (!path || !*path || m_player)
        return false;
    m_player.reset(new CVideoPlayer);
    if (m_framePeriod)
        m_player->SetFramePeriod(m_framePeriod);
    if (FAILED(m_player->Open(path))) {
        m_player.reset();
        return false;
    }
    return true;
}

bool CDShowVideoSource::DrawFrame(HDC dc, int x, int y, int width, int height, int frame, int flag)
{
    if (m_player && frame >= 0 && frame < m_player->GetFrameCount()) {
        m_player->RequestFrame(dc, x, y, width, height, frame, flag);
        return true;
    }
    const RECT r{x, y, x + width, y + height};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return true;
}

void CDShowVideoSource::SetDisplayHeight(int pixels)
{
    CVideoSource::SetDisplayHeight(pixels);
    if (m_player)
        m_player->SetTextOffset(pixels);
}

void CDShowVideoSource::SetTextOrigin(int x, int y)
{
    if (m_player)
        m_player->SetTextOrigin(x, y);
}

void CDShowVideoSource::SetShowFrameNumbers(int on)
{
    if (m_player)
        m_player->SetShowFrameNumbers(on != 0);
}

void CDShowVideoSource::SetWindow(HWND window)
{
    if (m_player)
        m_player->SetWindow(window);
}
