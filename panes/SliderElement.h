// CSliderElement: a slider of a skinned panel: a knob image moving along a track of a given
// length over a background image. Vertical sliders grow upwards.
#pragma once
#include "ElementBase.h"

class CSliderElement : public CElementBase {
public:
    CSliderElement() = default;

    void Place(CWnd* owner, int offsetX, int offsetY, int x, int y, int width, int height);
    void SetOrientation(int horizontal) { m_orientation = horizontal; }
    void SetRange(int minimum, int maximum, int defaultValue);
    void SetLimits(int lower, int upper);
    void ResetLimits() { SetLimits(m_minimum, m_maximum); }
    // Clamped to the limits; true when the value changed.
    bool SetValue(int value);
    // A negative x, y or length keeps that member.
    void SetKnob(int knobImageId, int knobX, int knobY, int trackLength);
    void SetBackground(int imageId) { m_background = imageId; }

    int GetValue() const { return m_value; }

    // The knob image's top-left corner and the knob's centre, relative to the element's
    // top-left corner plus the knob offset.
    POINT KnobTopLeft() const;
    POINT KnobCentre() const;
    // The value an owner-window point stands for (clamped to the limits).
    int ValueFromPoint(int x, int y) const;
    // The key step: the range over the track length, at least 1.
    int KeyStep() const;
    // Puts the saved value back (a cancelled drag).
    void CancelDrag();

    int HitTest(int x, int y) override;
    bool OnKey(UINT key, UINT repeat) override;
    void OnLButtonDown(UINT flags, int x, int y) override;
    void OnLButtonUp(UINT flags, int x, int y) override;
    void OnMouseMove(UINT flags, int x, int y) override;
    void OnLButtonDblClk(UINT flags, int x, int y) override;
    void Draw(CDC* dc) override;

private:
    double Fraction() const;
    int KnobAlongTrack() const;
    CSize KnobSize() const;
    void ConfineCursor();

    int m_orientation = 0;
    int m_default = 0;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
    int m_saved = 0;
    int m_lower = 0;
    int m_upper = 100;
    int m_background = -1;
    int m_knobImage = 0;
    int m_knobX = 0;
    int m_knobY = 0;
    int m_trackLength = 0;
    CWnd* m_owner = nullptr;
    int m_lastHit = 0;
    bool m_dragging = false;
};
