#include "MemoryDC.h"

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
    if (!m_bitmap.CreateCompatibleBitmap(target->m_hDC, rect.right, rect.bottom)) {
        m_dc.DeleteDC();
        return nullptr;
    }
    m_previousBitmap = m_dc.SelectObject(m_bitmap);
    return &m_dc;
}
