#include "SkinButton.h"

#include "Framework.h"
#include "SkinTables.h"

namespace {

constexpr int kColourText = 16;
constexpr int kColourTextDisabled = 18;

} // namespace

void DrawSkinButton(HWND dialog, const DRAWITEMSTRUCT& item, const SkinButtonImages& images,
                    const std::function<void(HDC, const RECT&)>& fillGround)
{
    const int id = static_cast<int>(item.CtlID);
    if (item.itemAction == ODA_FOCUS) {
        if (item.itemState & ODS_FOCUS)
            ::SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(id), 0);
        else
            ::SendMessageA(dialog, DM_SETDEFID, ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) ? IDOK : IDCANCEL, 0);
    }
    CDC dc(item.hDC);
    const RECT rect = item.rcItem;
    fillGround(item.hDC, rect);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const int image = disabled ? images.disabled : pressed ? images.pressed : images.normal;
    TileSkinImageH(&dc, image, rect.left, rect.top, rect.right, rect.bottom);
    char text[128] = {};
    ::GetWindowTextA(item.hwndItem, text, sizeof text);
    if (text[0]) {
        const int oldMode = ::SetBkMode(item.hDC, TRANSPARENT);
        const COLORREF oldColour = ::SetTextColor(item.hDC, SkinColorAt(disabled ? kColourTextDisabled : kColourText));
        HGDIOBJ oldFont = ::SelectObject(item.hDC, reinterpret_cast<HGDIOBJ>(::SendMessageA(dialog, WM_GETFONT, 0, 0)));
        RECT textRect = rect;
        if (pressed)
            ::OffsetRect(&textRect, 1, 1);
        ::DrawTextA(item.hDC, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::SelectObject(item.hDC, oldFont);
        ::SetTextColor(item.hDC, oldColour);
        ::SetBkMode(item.hDC, oldMode);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = rect;
        focus.right -= 2;
        focus.bottom -= 2;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(item.hDC, &focus);
    }
}
