#include "PageSkin.h"

#include "SkinImage.h"

#include <cwchar>
#include <utility>

namespace geq {

namespace {

const COLORREF kBackgroundColour = RGB(226, 226, 226);
const COLORREF kDisabledText = RGB(192, 192, 192);

struct SkinState {
    GdiplusUser gdiplus;
    SkinImage top, bottom, button, buttonPressed;
    HBITMAP background = nullptr;
    HBRUSH brush = nullptr;
    SIZE size{0, 0};

    SkinState()
    {
        top.LoadResource(kSkinBackgroundTop);
        bottom.LoadResource(kSkinBackgroundBottom);
        button.LoadResource(kSkinButton);
        buttonPressed.LoadResource(kSkinButtonPressed);
    }
    ~SkinState() { DropBackground(); }
    void DropBackground()
    {
        if (brush)
            DeleteObject(brush);
        if (background)
            DeleteObject(background);
        brush = nullptr;
        background = nullptr;
        size = SIZE{0, 0};
    }
    // Builds the background for a client size; false when no bitmap can be made.
    bool MakeBackground(HWND dialog)
    {
        RECT client;
        GetClientRect(dialog, &client);
        if (background && client.right == size.cx && client.bottom == size.cy)
            return true;
        DropBackground();
        const int w = client.right > 0 ? client.right : 1;
        const int h = client.bottom > 0 ? client.bottom : 1;
        HDC screen = GetDC(dialog);
        HDC dc = CreateCompatibleDC(screen);
        background = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(dialog, screen);
        if (!background || !dc) {
            if (dc)
                DeleteDC(dc);
            DropBackground();
            return false;
        }
        HGDIOBJ old = SelectObject(dc, background);
        HBRUSH fill = CreateSolidBrush(kBackgroundColour);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, fill);
        DeleteObject(fill);
        CDC target(dc);
        top.DrawTiled(&target, 0, 0, w, top.GetSize().cy);
        bottom.DrawTiled(&target, 0, h - bottom.GetSize().cy, w, h);
        SelectObject(dc, old);
        DeleteDC(dc);
        brush = CreatePatternBrush(background);
        size = SIZE{client.right, client.bottom};
        return brush != nullptr;
    }
};

SkinState* g_skin = nullptr;
int g_windows = 0;

PageSkinMessageBoxHook g_messageBoxHook;
bool g_warnedMissingModule = false; // the warning is given once per process

void WarnMissingModule(HWND dialog)
{
    if (g_warnedMissingModule)
        return;
    g_warnedMissingModule = true;
    wchar_t text[128];
    swprintf(text, 128, L"%ls.dll not found.", kSkinModuleName);
    const UINT type = MB_OK | MB_ICONWARNING;
    if (g_messageBoxHook)
        g_messageBoxHook(dialog, text, L"Korvane Message", type);
    else
        MessageBoxW(dialog, text, L"Korvane Message", type);
}

// The brush origin that lines the pattern up with the dialog for a child's device context.
void AlignBrush(HWND dialog, HWND child, HDC dc)
{
    POINT origin{0, 0};
    if (child && child != dialog)
        MapWindowPoints(child, dialog, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
}

void DrawButton(HWND dialog, const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    if (g_skin && g_skin->brush) {
        AlignBrush(dialog, item.hwndItem, dc);
        FillRect(dc, &r, g_skin->brush);
    }
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const SkinImage* face = g_skin ? (pressed ? &g_skin->buttonPressed : &g_skin->button) : nullptr;
    if (face && face->IsLoaded()) {
        CDC target(dc);
        face->DrawScaled(&target, r);
    } else
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    wchar_t text[128] = {};
    GetWindowTextW(item.hwndItem, text, 128);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (item.itemState & ODS_DISABLED) ? kDisabledText : RGB(0, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&r, -3, -3);
        DrawFocusRect(dc, &r);
    }
}

} // namespace

int PageSkinWindowCount()
{
    return g_windows;
}

void SetPageSkinMessageBoxHook(PageSkinMessageBoxHook hook)
{
    g_messageBoxHook = std::move(hook);
}

INT_PTR PageSkinProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG: {
        const bool first = g_windows++ == 0;
        if (first)
            g_skin = new (std::nothrow) SkinState;
        if (g_skin)
            g_skin->MakeBackground(dialog);
        // Said after the background is made: the box's loop paints the page behind it.
        if (first && !SkinModuleAvailable())
            WarnMissingModule(dialog);
        return 0;
    }
    case WM_SIZE:
        if (g_skin)
            g_skin->MakeBackground(dialog);
        return 0;
    case WM_SHOWWINDOW:
        if (wp && g_skin)
            g_skin->MakeBackground(dialog);
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        if (!g_skin || !g_skin->brush)
            return 0;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkMode(dc, TRANSPARENT);
        AlignBrush(dialog, reinterpret_cast<HWND>(lp), dc);
        return reinterpret_cast<INT_PTR>(g_skin->brush);
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item && item->CtlType == ODT_BUTTON)
            DrawButton(dialog, *item);
        return 0;
    }
    case WM_DESTROY:
        if (g_windows > 0 && --g_windows == 0) {
            delete g_skin;
            g_skin = nullptr;
        }
        return 0;
    default:
        return 0;
    }
}

} // namespace geq
