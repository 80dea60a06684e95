#include "MemoryDC.h"

// A DIB section rather than a bitmap compatible with the screen: Wine checks its display settings
// with three server round trips at each creation and each select of a device-dependent bitmap,
// and a pane makes and selects one at every paint.
HBITMAP CreateBufferBitmap(HDC target, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return ::CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

MemoryDC::~MemoryDC()
{
    Release();
}

void MemoryDC::Release()
{
    if (m_dc.m_hDC && m_previousBitmap)
        m_dc.SelectObject(m_previousBitmap);
    m_previousBitmap = nullptr;
    m_dc.DeleteDC();
    m_bitmap.DeleteObject();
}

CDC* MemoryDC::Create(CDC* target, const RECT& rect)
{
    Release();
    if (!target || !target->m_hDC || rect.right <= 0 || rect.bottom <= 0 || IsRectEmpty(&rect))
        return nullptr;
    if (!m_dc.CreateCompatibleDC(target))
        return nullptr;
    if (!m_bitmap.Attach(CreateBufferBitmap(target->m_hDC, rect.right, rect.bottom))) {
        m_dc.DeleteDC();
        return nullptr;
    }
    m_previousBitmap = m_dc.SelectObject(m_bitmap);
    return &m_dc;
}
