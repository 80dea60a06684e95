// CTimeRulerPane: the view's child 104, the strip above the track area. It shows the tick
// scale in the document's time unit, the selection as a band and the view's position mark,
// moves the position mark with the pointer, and lends its tick grid to the waveform rows.
#pragma once
#include "BaseWin.h"
#include "RulerCore.h"

#include <cstdint>

class CNyMultiTrackView;
class CNyMultiTrackDoc;

class CTimeRulerPane : public CBaseWin {
public:
    CTimeRulerPane() = default;
    BOOL Create(CWnd* parent, UINT id);
    // Binds the parent view and its document and measures the digit width.
    void CalcHeight();
    // The same without a window, with a digit width given.
    void BindView(CNyMultiTrackView* view, int digitWidth);

    // A non-zero word or rate replaces the stored one; then the grid is recomputed.
    void SetUnits(uint32_t units, double frameRate);
    double GetFrameRate() const { return m_frameRate; }
    std::string FormatTickLabel(double value) const;
    // False when there is no grid (no rate or no zoom yet).
    bool GetTickGrid(double* offset, int64_t* index, double* spacing) const;
    const RulerGrid& Grid() const { return m_grid; }
    int64_t GetTickAtOrBefore(int64_t position);
    // XOR-draws the view's edit position mark (a null dc draws nothing).
    void InvertPositionMark(HDC dc);
    // -4 marker, 4 / 5 selection start / end edge, -2 upper half, -3 lower half.
    int HitTest(int x, int y);
    int HitTestCursor();

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnCancelMode();
    void OnContextMenu(CWnd* wnd, CPoint point);

private:
    bool Bind();
    void PaintRuler(HDC dc, const RECT& client);
    bool Blocked();

    int m_hoverHit = 0;
    double m_frameRate = 0;
    uint32_t m_units = 0;
    RulerGrid m_grid;
    short m_pressHit = 0;
    int m_digitWidth = 0;
    CNyMultiTrackView* m_view = nullptr;
    CNyMultiTrackDoc* m_doc = nullptr;

    DECLARE_MESSAGE_MAP()
};
