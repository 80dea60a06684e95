// CMixerCtrl: one strip of the mixer view: a skin image and a list of window-less parts
// (buttons, sliders, labels) drawn into the view. The strip hit-tests its parts, keeps the
// hovered, pressed and focused part, routes mouse and keys to them, and leaves the meaning
// of each part to its concrete kind (track, master, recording).
#pragma once
#include "ElementBase.h"

#include <vector>

class CMixerView;
class CNyMultiTrackDoc;

class CMixerCtrl : public IElementNotify {
public:
    CMixerCtrl(CMixerView* view, int image);
    virtual ~CMixerCtrl() = default;
    CMixerCtrl(const CMixerCtrl&) = delete;
    CMixerCtrl& operator=(const CMixerCtrl&) = delete;

    virtual void ApplyText(int part) = 0;
    virtual bool DrawFocus(CDC* dc);
    virtual void SetUp() = 0;
    virtual void Draw(CDC* dc, const RECT& clip);
    virtual void Refresh() = 0;
    // The hit kind (1 slider knob, 2 inside a part, -1 none) of a view point; *part the part.
    virtual int HitTest(POINT point, int* part);
    virtual bool OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual bool OnKeyUp(UINT key, UINT repeat, UINT flags);
    virtual void OnMouseMove(UINT flags, int x, int y);
    virtual void OnLButtonDown(UINT flags, int x, int y);
    virtual void OnLButtonUp(UINT flags, int x, int y);
    virtual void OnLButtonDblClk(UINT flags, int x, int y);
    virtual void OnRButtonDown(UINT flags, int x, int y) { OnLButtonDown(flags, x, y); }
    virtual void OnRButtonUp(UINT flags, int x, int y) { OnLButtonUp(flags, x, y); }
    virtual bool SetCursor(CWnd* window, UINT hitTest, UINT message);
    virtual CRect GetRect();
    virtual CSize GetSize();
    virtual void CancelDrag() {}
    virtual void DrawContent(CDC* dc, const RECT& clip) = 0;
    virtual UINT GetTipId(int part) = 0;
    virtual void OnPartDrag(UINT flags, int x, int y) = 0;
    virtual void OnPartDown(UINT flags, int x, int y) = 0;
    virtual void OnPartUp(UINT flags, int x, int y) = 0;
    // One meter tick; the settled flag after it.
    virtual bool DrawMeters(CDC* dc, bool active);

    void SetOrigin(POINT origin);
    POINT GetOrigin() const { return m_origin; }
    int GetFocusedPart() const { return m_focused; }
    void SetFocusedPart(int part) { m_focused = part; }
    int GetPressedPart() const { return m_pressed; }
    CElementBase* Part(int index) const
    {
        return index >= 0 && index < int(m_parts.size()) ? m_parts[size_t(index)] : nullptr;
    }
    void InvalidatePart(int part);
    // The first visible and enabled part (or the last).
    int EdgePart(bool last) const;

    void OnElementNotify(int id) override { ApplyText(id); }

protected:
    // A part refused by the strip's rules (collapsed, not allowed now).
    virtual bool IsPartAllowed(int part) { return part >= 0; }
    CWnd* ViewWindow() const;
    // Draws the parts that meet the clip.
    void DrawParts(CDC* dc, const RECT& clip);

    CMixerView* m_view;
    CNyMultiTrackDoc* m_document;
    int m_settled = 1;
    int m_image;
    int m_hovered = -1;
    int m_hitKind = -1;
    int m_focused = -1;
    int m_pressed = -1;
    std::vector<CElementBase*> m_parts;
    POINT m_origin{0, 0};
    // Master and recording strips pass a double click only to a part that takes the focus.
    bool m_dblClickNeedsFlags = false;
};
