#include "PanelElement.h"

#include "GdiplusInclude.h"
#include "MemoryDC.h"
#include "SkinImage.h"
#include "SkinTables.h"

CPanelElement::CPanelElement() = default;
CPanelElement::~CPanelElement() = default;

void CPanelElement::SetFrameSize(CSize size, int frameCount)
{
    m_frameCount = frameCount;
    m_frameWidth = frameCount > 0 ? size.cx / (2 * frameCount) : size.cx;
    m_frameHeight = size.cy;
}

void CPanelElement::SetSkinImage(int imageId, int frameCount)
{
    m_imageId = imageId;
    SetFrameSize(GetSkinImageSize(imageId), frameCount);
}

void CPanelElement::SetImageFile(const char* pathWithoutExtension, int frameCount)
{
    m_ownImage = std::make_unique<SkinImage>();
    // Decoded when first drawn: a hidden pane's buttons cost nothing at start.
    if (!m_ownImage->SetFile(pathWithoutExtension))
        m_ownImage.reset();
    SetFrameSize(m_ownImage ? m_ownImage->GetSize() : CSize(0, 0), frameCount);
}

void CPanelElement::Place(int elementId, int offsetX, int offsetY, int x, int y)
{
    m_elementId = elementId;
    SetOffset(offsetX, offsetY);
    SetRect(&m_rect, x, y, x + m_frameWidth, y + m_frameHeight);
}

void CPanelElement::SetOffset(int x, int y)
{
    CElementBase::SetOffset(x, y);
}

void CPanelElement::GetFrameRect(RECT* out)
{
    PlacedRect(out);
}

void CPanelElement::GetFocusRect(RECT* out)
{
    GetFrameRect(out);
    if (IsRectEmpty(out))
        return;
    // The mixer's small buttons draw their focus around them, the others inside.
    const int grow = (m_imageId >= 68 && m_imageId <= 73) ? 2 : -4;
    InflateRect(out, grow, grow);
}

void CPanelElement::DrawFrame(CDC* dc, int backgroundImageId, int frame)
{
    if (m_offsetX < 0)
        return;
    DrawBuffered(m_owner, dc, backgroundImageId, [&](CDC* mem) {
        const int sourceX = frame * m_frameWidth;
        if (m_ownImage)
            m_ownImage->DrawPiece(mem, 0, 0, sourceX, 0, m_frameWidth, m_frameHeight);
        else if (m_imageId >= 0)
            DrawSkinImagePart(mem, m_imageId, 0, 0, sourceX, 0, m_frameWidth, m_frameHeight);
    });
}

void CPanelElement::Repaint()
{
    if (m_owner && m_owner->m_hWnd) {
        CRect r = ScreenRect();
        ::InvalidateRect(m_owner->m_hWnd, &r, FALSE);
    }
}

bool CPanelElement::OnKey(UINT key, UINT repeat)
{
    (void)repeat;
    if (key != VK_SPACE)
        return false;
    Repaint();
    return true;
}

void CPanelElement::OnLButtonDown(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    if (m_owner && m_owner->m_hWnd)
        ::SetCapture(m_owner->m_hWnd);
    Repaint();
}

void CPanelElement::OnLButtonUp(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    if (m_owner && m_owner->m_hWnd && ::GetCapture() == m_owner->m_hWnd)
        ::ReleaseCapture();
    Repaint();
}
