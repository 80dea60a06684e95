// MemoryDC: the off-screen buffer a skinned pane paints into before copying to the screen.
//
//   CPaintDC paint(m_hWnd);
//   CRect client; GetClientRect(&client);
//   MemoryDC buffer;
//   if (CDC* dc = buffer.Create(&paint, client)) {
//       ... draw everything into *dc ...
//       paint.BitBlt(r.left, r.top, r.Width(), r.Height(), dc, r.left, r.top, SRCCOPY);
//   }
//
// The rectangle is a client rectangle: the bitmap is rect.right x rect.bottom pixels.
#pragma once
#include "Framework.h"

class MemoryDC {
public:
    MemoryDC() = default;
    // Selects the previous bitmap back and deletes the DC and the bitmap.
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    // The memory DC with a compatible bitmap selected, or null for a null target, an empty
    // rectangle or when the DC or bitmap cannot be made. Creating again releases the first.
    CDC* Create(CDC* target, const RECT& rect);
    CDC* GetDC() { return m_dc.m_hDC ? &m_dc : nullptr; }

private:
    void Release();

    HGDIOBJ m_previousBitmap = nullptr;
    CDC m_dc;
    CBitmap m_bitmap;
};

// A 32-bit off-screen bitmap of the size (both at least 1) for drawing that is then copied to
// the screen: on a 32-bit display the same pixels as a screen-compatible bitmap; the caller
// deletes it. Null when it cannot be made.
HBITMAP CreateBufferBitmap(HDC target, int width, int height);
