// The skinned look of the page dialogs: the patterned background, owner-drawn buttons and
// tabs, transparent statics, and the skinned frame and caption.
#include "SkinnedPageDialog.h"

#include "CaptionFrameHelper.h"
#include "EffectIds.h"
#include "ResourceModule.h"
#include "SkinTables.h"

namespace {

constexpr int kImageBackground = 106;
constexpr int kColourText = 16;
constexpr int kColourTextDisabled = 18;

struct ButtonImages {
    int normal, pressed, disabled;
};

ButtonImages ImagesOf(int id)
{
    if (id == IDC_EFFECT_REGISTER_PRESET)
        return {109, 110, 111};
    if (id == IDC_EFFECT_DELETE_PRESET)
        return {112, 113, 114};
    return {107, 108, 107};
}

} // namespace

void CSkinnedPageDialog::MakeBackground()
{
    delete m_skinBitmap;
    m_skinBitmap = CreateSkinBitmap(nullptr, kImageBackground, CSize(0, 0));
    m_background.DeleteObject();
    if (m_skinBitmap)
        m_background.CreatePatternBrush(*m_skinBitmap);
    if (!m_captionFrame) {
        m_captionFrame = new CaptionFrameHelper;
        m_captionFrame->SetFrame(this);
        m_captionFrame->Init("frame", kCaptionFlagClose);
        // The frame's margins take effect now, before the pages are laid out.
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

BOOL CSkinnedPageDialog::DestroyWindow()
{
    delete m_captionFrame;
    m_captionFrame = nullptr;
    delete m_skinBitmap;
    m_skinBitmap = nullptr;
    m_background.DeleteObject();
    return CDialog::DestroyWindow();
}

void CSkinnedPageDialog::OnDrawItem(int id, LPDRAWITEMSTRUCT item)
{
    (void)id;
    if (!item)
        return;
    if (item->CtlType == ODT_TAB)
        DrawTab(item);
    else if (item->CtlType == ODT_BUTTON)
        DrawButton(item);
}

// Fills a control's rectangle with the dialog's background, its pattern lined up with
// the dialog's own.
void CSkinnedPageDialog::FillBackground(HDC dc, HWND control, const RECT& rect)
{
    if (!m_background.m_hObject)
        return;
    POINT origin{0, 0};
    ::MapWindowPoints(m_hWnd, control, &origin, 1);
    ::SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    ::FillRect(dc, &rect, static_cast<HBRUSH>(m_background.m_hObject));
}

void CSkinnedPageDialog::DrawButton(LPDRAWITEMSTRUCT item)
{
    const int id = static_cast<int>(item->CtlID);
    if (item->itemAction == ODA_FOCUS) {
        // The focused button is the default one; without focus OK is, or Cancel.
        if (item->itemState & ODS_FOCUS)
            SendMessage(DM_SETDEFID, static_cast<WPARAM>(id));
        else
            SendMessage(DM_SETDEFID, ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDOK)) ? IDOK : IDCANCEL);
    }
    CDC dc(item->hDC);
    RECT rect = item->rcItem;
    FillBackground(item->hDC, item->hwndItem, rect);
    const ButtonImages images = ImagesOf(id);
    const bool disabled = (item->itemState & ODS_DISABLED) != 0;
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    const int image = disabled ? images.disabled : pressed ? images.pressed : images.normal;
    TileSkinImageH(&dc, image, rect.left, rect.top, rect.right, rect.bottom);
    char text[128] = {};
    ::GetWindowTextA(item->hwndItem, text, sizeof text);
    if (text[0]) {
        const int oldMode = ::SetBkMode(item->hDC, TRANSPARENT);
        const COLORREF oldColour = ::SetTextColor(item->hDC, SkinColorAt(disabled ? kColourTextDisabled : kColourText));
        HGDIOBJ oldFont = ::SelectObject(item->hDC, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
        RECT textRect = rect;
        if (pressed)
            ::OffsetRect(&textRect, 1, 1);
        ::DrawTextA(item->hDC, text, -1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::SelectObject(item->hDC, oldFont);
        ::SetTextColor(item->hDC, oldColour);
        ::SetBkMode(item->hDC, oldMode);
    }
    if (item->itemState & ODS_FOCUS) {
        RECT focus = rect;
        focus.right -= 2;
        focus.bottom -= 2;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(item->hDC, &focus);
    }
}

void CSkinnedPageDialog::DrawTab(LPDRAWITEMSTRUCT item)
{
    RECT rect = item->rcItem;
    FillBackground(item->hDC, item->hwndItem, rect);
    char text[128] = {};
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = sizeof text;
    ::SendMessageA(item->hwndItem, TCM_GETITEMA, item->itemID, reinterpret_cast<LPARAM>(&tab));
    const int oldMode = ::SetBkMode(item->hDC, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(item->hDC, SkinColorAt(kColourText));
    ::DrawTextA(item->hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SetTextColor(item->hDC, oldColour);
    ::SetBkMode(item->hDC, oldMode);
    // Only the chosen tab of a tab control that has the keyboard shows the focus.
    if ((item->itemState & ODS_SELECTED) && ::GetFocus() == item->hwndItem) {
        RECT focus = rect;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(item->hDC, &focus);
    }
}

HBRUSH CSkinnedPageDialog::OnCtlColor(CDC* dc, CWnd* wnd, UINT kind)
{
    (void)wnd;
    if (!m_background.m_hObject)
        return nullptr;
    switch (kind) {
    case CTLCOLOR_MSGBOX:
    case CTLCOLOR_BTN:
    case CTLCOLOR_DLG:
    case CTLCOLOR_SCROLLBAR:
    case CTLCOLOR_STATIC:
        dc->SetBkMode(TRANSPARENT);
        if (wnd && wnd->m_hWnd && wnd->m_hWnd != m_hWnd) {
            POINT origin{0, 0};
            ::MapWindowPoints(m_hWnd, wnd->m_hWnd, &origin, 1);
            ::SetBrushOrgEx(dc->m_hDC, origin.x, origin.y, nullptr);
        }
        return static_cast<HBRUSH>(m_background.m_hObject);
    default:
        return nullptr;
    }
}

void CSkinnedPageDialog::OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params)
{
    if (m_captionFrame)
        m_captionFrame->OnNcCalcSize(calcValid, params);
    else
        Default();
}

LRESULT CSkinnedPageDialog::OnNcHitTest(CPoint point)
{
    return m_captionFrame ? m_captionFrame->OnNcHitTest(point.x, point.y) : Default();
}

BOOL CSkinnedPageDialog::OnNcActivate(BOOL active)
{
    return m_captionFrame ? m_captionFrame->OnNcActivate(active) : static_cast<BOOL>(Default());
}

void CSkinnedPageDialog::OnNcPaint()
{
    if (m_captionFrame)
        m_captionFrame->OnNcPaint(m_captionFrame->GetCurrentCode());
    else
        Default();
}

void CSkinnedPageDialog::ShowStop(UINT stringId, UINT icon)
{
    char text[512] = {};
    ::LoadStringA(GetResourceModule(), stringId, text, sizeof text);
    AfxMessageBox(text, MB_OK | icon);
}
