#include "SliderElement.h"

#include "MemoryDC.h"
#include "SkinTables.h"

#include <algorithm>
#include <cstdlib>

void CSliderElement::Place(CWnd* owner, int offsetX, int offsetY, int x, int y, int width, int height)
{
    m_owner = owner;
    SetOffset(offsetX, offsetY);
    SetRect(&m_rect, x, y, x + width, y + height);
}

void CSliderElement::SetRange(int minimum, int maximum, int defaultValue)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_default = defaultValue;
    SetLimits(minimum, maximum);
}

void CSliderElement::SetLimits(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
}

bool CSliderElement::SetValue(int value)
{
    value = std::max(m_lower, std::min(value, m_upper));
    if (value == m_value)
        return false;
    m_value = value;
    return true;
}

void CSliderElement::SetKnob(int knobImageId, int knobX, int knobY, int trackLength)
{
    m_knobImage = knobImageId;
    if (knobX >= 0)
        m_knobX = knobX;
    if (knobY >= 0)
        m_knobY = knobY;
    if (trackLength >= 0)
        m_trackLength = trackLength;
}

double CSliderElement::Fraction() const
{
    if (m_maximum == m_minimum)
        return 0.0;
    return double(m_value - m_minimum) / double(m_maximum - m_minimum);
}

int CSliderElement::KnobAlongTrack() const
{
    return int(Fraction() * m_trackLength);
}

CSize CSliderElement::KnobSize() const
{
    return GetSkinImageSize(m_knobImage);
}

POINT CSliderElement::KnobTopLeft() const
{
    const int p = KnobAlongTrack();
    const CSize knob = KnobSize();
    if (m_orientation == 0)
        return {0, m_trackLength - p - knob.cy / 2};
    return {p - knob.cx / 2, 0};
}

POINT CSliderElement::KnobCentre() const
{
    const int p = KnobAlongTrack();
    const CSize knob = KnobSize();
    if (m_orientation == 0)
        return {knob.cx / 2, m_trackLength - p};
    return {p, knob.cy / 2};
}

int CSliderElement::ValueFromPoint(int x, int y) const
{
    // A track without length has no positions: the value stays at the range's start.
    double f = 0.0;
    if (m_trackLength > 0) {
        if (m_orientation == 0)
            f = double(m_knobY + m_offsetY + m_rect.top + m_trackLength - y) / m_trackLength;
        else
            f = double(x - m_knobX - m_offsetX - m_rect.left) / m_trackLength;
    }
    f = std::max(0.0, std::min(f, 1.0));
    const int value = m_minimum + int(double(m_maximum - m_minimum) * f);
    return std::max(m_lower, std::min(value, m_upper));
}

int CSliderElement::KeyStep() const
{
    const int step = m_trackLength > 0 ? (m_maximum - m_minimum) / m_trackLength : 1;
    return std::max(step, 1);
}

int CSliderElement::HitTest(int x, int y)
{
    const POINT top = KnobTopLeft();
    const CSize knob = KnobSize();
    CRect knobRect(0, 0, knob.cx, knob.cy);
    knobRect.OffsetRect(m_rect.left + m_knobX + top.x, m_rect.top + m_knobY + top.y);
    const POINT point{x, y};
    if (PtInRect(&knobRect, point))
        m_lastHit = 1;
    else
        m_lastHit = PtInRect(&m_rect, point) ? 2 : 0;
    return m_lastHit;
}

void CSliderElement::ConfineCursor()
{
    if (!m_owner || !m_owner->m_hWnd)
        return;
    const POINT centre = KnobCentre();
    const int baseX = m_rect.left + m_offsetX + m_knobX;
    const int baseY = m_rect.top + m_offsetY + m_knobY;
    RECT travel;
    if (m_orientation == 0)
        SetRect(&travel, baseX + centre.x, baseY, baseX + centre.x + 1, baseY + m_trackLength + 1);
    else
        SetRect(&travel, baseX, baseY + centre.y, baseX + m_trackLength + 1, baseY + centre.y + 1);
    POINT corners[2] = {{travel.left, travel.top}, {travel.right, travel.bottom}};
    ::ClientToScreen(m_owner->m_hWnd, &corners[0]);
    ::ClientToScreen(m_owner->m_hWnd, &corners[1]);
    RECT screen{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    ::ClipCursor(&screen);
}

void CSliderElement::OnLButtonDown(UINT flags, int x, int y)
{
    (void)flags;
    m_saved = m_value;
    const int before = KnobAlongTrack();
    SetValue(ValueFromPoint(x, y));
    const int after = KnobAlongTrack();
    if (std::abs(after - before) >= 3) {
        if (m_owner && m_owner->m_hWnd) {
            const POINT centre = KnobCentre();
            POINT cursor{m_rect.left + m_offsetX + m_knobX + centre.x, m_rect.top + m_offsetY + m_knobY + centre.y};
            ::ClientToScreen(m_owner->m_hWnd, &cursor);
            ::SetCursorPos(cursor.x, cursor.y);
        }
    } else {
        // A click on or beside the knob does not make it jump.
        m_value = m_saved;
    }
    m_dragging = true;
    ConfineCursor();
    Draw(nullptr);
}

void CSliderElement::OnMouseMove(UINT flags, int x, int y)
{
    if (flags & MK_LBUTTON) {
        SetValue(ValueFromPoint(x, y));
        Draw(nullptr);
    }
    m_lastHit = HitTest(x - m_offsetX, y - m_offsetY);
}

void CSliderElement::OnLButtonUp(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    m_dragging = false;
    ::ClipCursor(nullptr);
}

void CSliderElement::OnLButtonDblClk(UINT flags, int x, int y)
{
    (void)flags, (void)x, (void)y;
    SetValue(m_default);
    Draw(nullptr);
}

void CSliderElement::CancelDrag()
{
    m_dragging = false;
    ::ClipCursor(nullptr);
    m_value = m_saved;
    Draw(nullptr);
}

bool CSliderElement::OnKey(UINT key, UINT repeat)
{
    const int count = std::max<int>(int(repeat), 1);
    int value = m_value;
    switch (key) {
    case VK_HOME:
        value = m_default;
        break;
    case VK_LEFT:
    case VK_DOWN:
        value -= count * KeyStep();
        break;
    case VK_UP:
    case VK_RIGHT:
        value += count * KeyStep();
        break;
    default:
        return false;
    }
    SetValue(value);
    Draw(nullptr);
    return true;
}

void CSliderElement::Draw(CDC* dc)
{
    if (m_offsetX < 0 || m_background < 0)
        return;
    DrawBuffered(m_owner, dc, m_background, [&](CDC* mem) {
        const POINT knob = KnobTopLeft();
        DrawSkinImage(mem, m_knobImage, knob.x + m_knobX, knob.y + m_knobY);
    });
}
