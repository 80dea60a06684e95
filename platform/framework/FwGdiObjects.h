// GDI objects owned by their wrapper: CBrush, CPen, CFont, CBitmap (each deletes its handle).
// Select them into a CDC by handle: dc.SelectObject(font) converts to HGDIOBJ.
#pragma once
#include <windows.h>

class CGdiObject {
public:
    HGDIOBJ m_hObject = nullptr;

    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL DeleteObject()
    {
        BOOL ok = m_hObject ? ::DeleteObject(m_hObject) : FALSE;
        m_hObject = nullptr;
        return ok;
    }
    // Takes ownership of a handle (the previous one is deleted).
    BOOL Attach(HGDIOBJ object)
    {
        DeleteObject();
        m_hObject = object;
        return object != nullptr;
    }
    HGDIOBJ Detach()
    {
        HGDIOBJ object = m_hObject;
        m_hObject = nullptr;
        return object;
    }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
    BOOL CreatePatternBrush(HBITMAP bitmap) { return Attach(::CreatePatternBrush(bitmap)); }
    BOOL CreateSysColorBrush(int index) { return Attach(::CreateSolidBrush(::GetSysColor(index))); }
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTA* font) { return Attach(::CreateFontIndirectA(font)); }
    // Height in tenths of a point for the screen, as dialogs specify fonts.
    BOOL CreatePointFont(int tenthsOfPoint, const char* face, HDC dc = nullptr)
    {
        HDC screen = dc ? dc : ::GetDC(nullptr);
        LOGFONTA font = {};
        font.lfHeight = -::MulDiv(tenthsOfPoint, ::GetDeviceCaps(screen, LOGPIXELSY), 720);
        font.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
        if (!dc)
            ::ReleaseDC(nullptr, screen);
        return CreateFontIndirect(&font);
    }
    int GetLogFont(LOGFONTA* font) const { return ::GetObjectA(m_hObject, sizeof *font, font); }
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    // From the application's resources.
    BOOL LoadBitmap(UINT resourceId);
    BOOL LoadBitmap(const char* resourceName);
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height)
    {
        return Attach(::CreateCompatibleBitmap(dc, width, height));
    }
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
    {
        return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
    }
    int GetBitmap(BITMAP* info) const { return ::GetObjectA(m_hObject, sizeof *info, info); }
};
