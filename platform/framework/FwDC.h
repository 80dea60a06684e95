// Device-context wrappers for painting: CDC over an HDC (not owned, unless the CDC made it with
// CreateCompatibleDC: then its destructor deletes it), and the scoped kinds CPaintDC
// (BeginPaint/EndPaint), CClientDC and CWindowDC (GetDC/ReleaseDC).
#pragma once
#include "FwTypes.h"
#include <windows.h>

class CDC {
public:
    HDC m_hDC = nullptr;

    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    virtual ~CDC()
    {
        if (m_owned)
            DeleteDC();
    }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }

    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    BOOL TextOut(int x, int y, const char* text, int length = -1)
    {
        return ::TextOutA(m_hDC, x, y, text, length < 0 ? lstrlenA(text) : length);
    }
    int DrawText(const char* text, int length, RECT* rect, UINT format)
    {
        return ::DrawTextA(m_hDC, text, length, rect, format);
    }
    CSize GetTextExtent(const char* text, int length = -1) const;
    BOOL GetTextMetrics(TEXTMETRICA* tm) const { return ::GetTextMetricsA(m_hDC, tm); }
    void FillSolidRect(const RECT& r, COLORREF c);
    BOOL FillRect(const RECT& r, HBRUSH brush) { return ::FillRect(m_hDC, &r, brush); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, nullptr); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, rop);
    }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    int IntersectClipRect(const RECT& r) { return ::IntersectClipRect(m_hDC, r.left, r.top, r.right, r.bottom); }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    void InvertRect(const RECT& r) { ::InvertRect(m_hDC, &r); }
    // Moves a dragged frame: inverts (with a half-tone pattern) the edges of last, size lastSize
    // thick, then those of rect, size thick. Passing the same rectangle and sizes again erases;
    // size (0, 0) with a last rectangle only erases it.
    void DrawDragRect(const RECT& rect, SIZE size, const RECT* last, SIZE lastSize);
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

private:
    void InvertFrame(const RECT& r, SIZE size, HBRUSH brush);
    bool m_owned = false;

public:
};

inline CSize CDC::GetTextExtent(const char* text, int length) const
{
    SIZE s = {};
    ::GetTextExtentPoint32A(m_hDC, text, length < 0 ? lstrlenA(text) : length, &s);
    return CSize(s);
}

inline void CDC::FillSolidRect(const RECT& r, COLORREF c)
{
    COLORREF old = ::SetBkColor(m_hDC, c);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

inline BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    if (m_owned)
        DeleteDC();
    m_hDC = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    m_owned = m_hDC != nullptr;
    return m_hDC != nullptr;
}

inline BOOL CDC::DeleteDC()
{
    BOOL ok = m_hDC ? ::DeleteDC(m_hDC) : FALSE;
    m_hDC = nullptr;
    m_owned = false;
    return ok;
}

inline void CDC::InvertFrame(const RECT& r, SIZE size, HBRUSH brush)
{
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0 || size.cx <= 0 || size.cy <= 0)
        return;
    int cx = size.cx < w ? size.cx : w, cy = size.cy < h ? size.cy : h;
    HGDIOBJ old = ::SelectObject(m_hDC, brush);
    ::PatBlt(m_hDC, r.left, r.top, w, cy, PATINVERT);
    if (h > cy)
        ::PatBlt(m_hDC, r.left, r.bottom - cy, w, cy, PATINVERT);
    if (h > 2 * cy) {
        ::PatBlt(m_hDC, r.left, r.top + cy, cx, h - 2 * cy, PATINVERT);
        if (w > cx)
            ::PatBlt(m_hDC, r.right - cx, r.top + cy, cx, h - 2 * cy, PATINVERT);
    }
    ::SelectObject(m_hDC, old);
}

inline void CDC::DrawDragRect(const RECT& rect, SIZE size, const RECT* last, SIZE lastSize)
{
    // An 8 x 8 check pattern: every other pixel inverted, so the frame shows on any background.
    static const WORD kHalftone[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP pattern = ::CreateBitmap(8, 8, 1, 1, kHalftone);
    HBRUSH brush = pattern ? ::CreatePatternBrush(pattern) : nullptr;
    if (brush) {
        if (last)
            InvertFrame(*last, lastSize, brush);
        InvertFrame(rect, size, brush);
        ::DeleteObject(brush);
    }
    if (pattern)
        ::DeleteObject(pattern);
}

class CPaintDC : public CDC {
public:
    PAINTSTRUCT m_ps = {};
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd) { m_hDC = ::BeginPaint(hwnd, &m_ps); }
    ~CPaintDC() override { ::EndPaint(m_hwnd, &m_ps); }

private:
    HWND m_hwnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hwnd) : m_hwnd(hwnd) { m_hDC = ::GetDC(hwnd); }
    ~CClientDC() override { ::ReleaseDC(m_hwnd, m_hDC); }

private:
    HWND m_hwnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hwnd) : m_hwnd(hwnd) { m_hDC = ::GetWindowDC(hwnd); }
    ~CWindowDC() override { ::ReleaseDC(m_hwnd, m_hDC); }

private:
    HWND m_hwnd;
};
