// SkinSlider: a slider drawn from skin images, attached to an existing window (the pages use
// static placeholders) by replacing its window procedure. Reports to its parent with
// WM_HSCROLL for both orientations: wParam = (position << 16) | code, lParam = the slider.
// Codes: kCodeClick (4) after a click on the track or a reset to the default, kCodeDrag (5)
// while the thumb is dragged, and the virtual-key code (36..40) after a key.
//
//   SkinSlider s(moduleInstance);          // the module's cursors
//   s.Attach(GetDlgItem(dlg, id));
//   s.SetRange(-600, 200); s.SetDefault(0); s.SetStep(1); s.SetVertical(true);
//   s.SetStyle(SkinSlider::kStyleTicks); s.SetTicks(9); s.SetValue(v);
#pragma once
#include "SkinImage.h"

#include <windows.h>

namespace geq {

class SkinSlider {
public:
    enum Style : unsigned {
        kStyleTrackEdges = 1,
        kStyleTicks = 2, // tick marks, and clicks on a horizontal track snap to them
        kStyleTrackBottom = 4,
        kStyleNoSnap = 8,
    };
    static constexpr int kCodeClick = 4;
    static constexpr int kCodeDrag = 5;

    explicit SkinSlider(HINSTANCE cursorModule);
    ~SkinSlider();
    SkinSlider(const SkinSlider&) = delete;
    SkinSlider& operator=(const SkinSlider&) = delete;

    // Refuses a non-window or one that already carries user data.
    bool Attach(HWND window);
    void Detach();
    HWND Window() const { return m_hwnd; }

    void SetRange(double minimum, double maximum);
    void SetDefault(double value) { m_default = value; }
    void SetStep(double step) { m_step = step; }
    void SetVertical(bool vertical);
    void SetStyle(unsigned style);
    // Refused (false) below 2.
    bool SetTicks(int count);
    void SetValue(double value);
    void SetPosition(int position);

    double GetValue();
    int Position() const { return m_position; }
    int TrackLength() const { return m_length; }
    // Client point of the track at a position (the thumb's centre there).
    POINT PointAt(int position) const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Layout();
    void Paint(HDC dc);
    int HitTest(POINT p) const; // 0 none, 1 thumb, 2 track
    RECT ThumbRect() const;
    int OffsetAlongTrack(POINT p) const;
    int Snap(int position) const;
    int TickSpacing() const;
    void Notify(int code);
    void Redraw();
    void OnLeftDown(POINT p);
    void DragThumb();
    void OnKey(UINT key);
    const SkinImage& ThumbImage() const;

    GdiplusUser m_gdiplus;
    HWND m_hwnd = nullptr;
    WNDPROC m_previous = nullptr;
    HINSTANCE m_cursorModule;
    bool m_horizontal = true;
    int m_position = 0;
    int m_length = 0;
    int m_ticks = 0;
    double m_tickSpacing = 0.0;
    double m_min = 0.0, m_max = 100.0;
    double m_default = 0.0;
    double m_step = 0.0;
    double m_value = 0.0;
    bool m_valueValid = false;
    unsigned m_style = 0;
    RECT m_track{};
    SIZE m_thumb{10, 10};
    int m_lastHit = 0;
    bool m_rightDown = false;
    SkinImage m_thumbH, m_thumbV, m_thumbHDisabled, m_thumbVDisabled, m_trackH, m_trackV;
};

} // namespace geq
