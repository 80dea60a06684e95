#include "MixerCtrl.h"

#include "MemoryDC.h"
#include "MixerView.h"
#include "SkinTables.h"

CMixerCtrl::CMixerCtrl(CMixerView* view, int image)
    : m_view(view), m_document(view ? view->GetDocument() : nullptr), m_image(image)
{
}

CWnd* CMixerCtrl::ViewWindow() const
{
    return m_view;
}

void CMixerCtrl::SetOrigin(POINT origin)
{
    m_origin = origin;
    for (CElementBase* part : m_parts)
        part->SetOffset(origin.x, origin.y);
}

CSize CMixerCtrl::GetSize()
{
    return GetSkinImageSize(m_image);
}

CRect CMixerCtrl::GetRect()
{
    const CSize size = GetSize();
    return CRect(m_origin.x, m_origin.y, m_origin.x + size.cx, m_origin.y + size.cy);
}

int CMixerCtrl::HitTest(POINT point, int* part)
{
    *part = -1;
    const int x = point.x - m_origin.x;
    const int y = point.y - m_origin.y;
    for (int i = 0; i < int(m_parts.size()); ++i) {
        CElementBase* element = m_parts[size_t(i)];
        if (!element->IsVisible() || !IsPartAllowed(i))
            continue;
        const int kind = element->HitTest(x, y);
        if (kind) {
            *part = i;
            return kind;
        }
    }
    return -1;
}

void CMixerCtrl::InvalidatePart(int part)
{
    CElementBase* element = Part(part);
    if (!element || !m_view || !m_view->m_hWnd)
        return;
    CRect r = element->ScreenRect();
    r.InflateRect(2, 2);
    ::InvalidateRect(m_view->m_hWnd, &r, FALSE);
}

int CMixerCtrl::EdgePart(bool last) const
{
    const int count = int(m_parts.size());
    for (int n = 0; n < count; ++n) {
        const int i = last ? count - 1 - n : n;
        const CElementBase* element = m_parts[size_t(i)];
        if (element->IsVisible() && element->IsEnabled())
            return i;
    }
    return -1;
}

bool CMixerCtrl::DrawFocus(CDC* dc)
{
    CElementBase* element = Part(m_focused);
    if (!element || !dc)
        return false;
    RECT r;
    element->GetFocusRect(&r);
    if (IsRectEmpty(&r))
        return false;
    InflateRect(&r, 2, 2);
    ::DrawFocusRect(dc->m_hDC, &r);
    return true;
}

void CMixerCtrl::Draw(CDC* dc, const RECT& clip)
{
    const CRect strip = GetRect();
    CRect area;
    if (!IntersectRect(&area, &strip, &clip))
        return;
    DrawSkinImagePart(dc, m_image, area.left, area.top, area.left - strip.left, area.top - strip.top, area.Width(),
                      area.Height());
    DrawContent(dc, clip);
}

void CMixerCtrl::DrawParts(CDC* dc, const RECT& clip)
{
    for (CElementBase* part : m_parts) {
        if (!part->IsVisible())
            continue;
        const CRect r = part->ScreenRect();
        RECT meet;
        if (IntersectRect(&meet, &r, &clip))
            part->Draw(dc);
    }
}

bool CMixerCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    (void)flags;
    if (key == VK_TAB) {
        const bool backwards = GetKeyState(VK_SHIFT) < 0;
        const int count = int(m_parts.size());
        int next = m_focused;
        for (int n = 0; n < count; ++n) {
            next += backwards ? -1 : 1;
            if (next < 0 || next >= count)
                break;
            CElementBase* element = m_parts[size_t(next)];
            if (element->IsVisible() && element->IsEnabled()) {
                InvalidatePart(m_focused);
                m_focused = next;
                InvalidatePart(m_focused);
                return true;
            }
        }
        InvalidatePart(m_focused);
        m_focused = -1;
        if (m_view)
            m_view->FocusNextStrip(backwards);
        return true;
    }
    CElementBase* element = Part(m_focused);
    return element && element->OnKey(key, repeat);
}

bool CMixerCtrl::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    (void)key, (void)repeat, (void)flags;
    return true;
}

void CMixerCtrl::OnMouseMove(UINT flags, int x, int y)
{
    int part = -1;
    m_hitKind = HitTest(POINT{x, y}, &part);
    if (part != m_hovered && m_view && !(flags & MK_LBUTTON)) {
        CElementBase* element = Part(part);
        m_view->SetPartTip(element ? element->ScreenRect() : CRect(), element ? GetTipId(part) : 0);
    }
    m_hovered = part;
    if (flags & MK_LBUTTON)
        OnPartDrag(flags, x, y);
}

void CMixerCtrl::OnLButtonDown(UINT flags, int x, int y)
{
    int part = -1;
    m_hitKind = HitTest(POINT{x, y}, &part);
    m_hovered = part;
    if (m_hovered != m_focused) {
        if (CElementBase* old = Part(m_focused))
            old->EndEdit();
        InvalidatePart(m_focused);
        CElementBase* element = Part(m_hovered);
        m_focused = element && element->IsVisible() && element->IsEnabled() ? m_hovered : -1;
        InvalidatePart(m_focused);
    }
    m_pressed = m_hovered;
    if (CElementBase* element = Part(m_pressed)) {
        element->OnLButtonDown(flags, x, y);
        OnPartDown(flags, x, y);
    }
}

void CMixerCtrl::OnLButtonUp(UINT flags, int x, int y)
{
    int part = -1;
    m_hitKind = HitTest(POINT{x, y}, &part);
    m_hovered = part;
    if (CElementBase* element = Part(m_pressed)) {
        element->OnLButtonUp(flags, x, y);
        OnPartUp(flags, x, y);
    }
    const int pressed = m_pressed;
    m_pressed = -1;
    InvalidatePart(pressed);
}

void CMixerCtrl::OnLButtonDblClk(UINT flags, int x, int y)
{
    int part = -1;
    HitTest(POINT{x, y}, &part);
    CElementBase* element = Part(part);
    if (element && (!m_dblClickNeedsFlags || (element->IsEnabled() && element->TakesFocus())))
        element->OnLButtonDblClk(flags, x, y);
}

bool CMixerCtrl::SetCursor(CWnd* window, UINT hitTest, UINT message)
{
    (void)window, (void)hitTest, (void)message;
    return false;
}

bool CMixerCtrl::DrawMeters(CDC* dc, bool active)
{
    (void)dc;
    m_settled = active ? 0 : 1;
    return m_settled != 0;
}
