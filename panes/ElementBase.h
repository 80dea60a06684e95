// CElementBase: what a skinned panel's window-less parts share. The panel (a mixer strip)
// keeps its elements, forwards mouse and key messages to the one under the cursor or with the
// focus, and asks them to draw. Rectangles are panel coordinates; the drawing offset moves
// them into the owner window (a strip's origin in the mixer view). Mouse operations take
// owner-window points; HitTest takes panel points.
#pragma once
#include "Framework.h"
#include "MemoryDC.h"
#include "SkinTables.h"

// Told when an element's value or text changes, with the id given to SetNotify.
class IElementNotify {
public:
    virtual void OnElementNotify(int id) = 0;

protected:
    ~IElementNotify() = default;
};

class CElementBase {
public:
    CElementBase() = default;
    virtual ~CElementBase() = default;
    CElementBase(const CElementBase&) = delete;
    CElementBase& operator=(const CElementBase&) = delete;

    // The rectangle in the owner window; empty while the element has no place (offset x < 0).
    virtual void GetFocusRect(RECT* out) { PlacedRect(out); }
    virtual void SetOffset(int x, int y)
    {
        m_offsetX = x;
        m_offsetY = y;
    }
    virtual void GetRect(RECT* out) { *out = m_rect; }
    virtual bool OnKey(UINT key, UINT repeat) { return (void)key, (void)repeat, false; }
    virtual void OnLButtonUp(UINT flags, int x, int y) { (void)flags, (void)x, (void)y; }
    virtual void OnLButtonDown(UINT flags, int x, int y) { (void)flags, (void)x, (void)y; }
    virtual void OnMouseMove(UINT flags, int x, int y) { (void)flags, (void)x, (void)y; }
    virtual void OnLButtonDblClk(UINT flags, int x, int y) { (void)flags, (void)x, (void)y; }
    virtual void EndEdit() {}
    virtual int HitTest(int x, int y) { return PtInRect(&m_rect, POINT{x, y}) ? 1 : 0; }
    virtual void SetNotify(IElementNotify* target, int id)
    {
        m_notify = target;
        m_notifyId = id;
    }
    virtual bool ValidateText() { return true; }
    virtual void Draw(CDC* dc) = 0;

    bool IsVisible() const { return m_visible != 0; }
    // The first flag: the element takes part (enabled); the second: it takes the focus and
    // double clicks.
    bool IsEnabled() const { return m_flags[0] != 0; }
    void SetEnabled(bool on) { m_flags[0] = on ? 1 : 0; }
    bool TakesFocus() const { return m_flags[1] != 0; }
    int OffsetX() const { return m_offsetX; }
    int OffsetY() const { return m_offsetY; }
    // The rectangle in the owner window.
    CRect ScreenRect() const
    {
        CRect r(m_rect);
        r.OffsetRect(m_offsetX, m_offsetY);
        return r;
    }

protected:
    // Draws the element into a buffer of its size: the background image's part under it
    // (none for -1), then paint's drawing; the buffer is then copied to its place.
    template <class Paint>
    void DrawBuffered(CWnd* owner, CDC* dc, int backgroundImageId, Paint paint)
    {
        const CRect target = ScreenRect();
        WithDC(owner, dc, [&](CDC* out) {
            MemoryDC buffer;
            CDC* mem = buffer.Create(out, CRect(0, 0, target.Width(), target.Height()));
            if (!mem)
                return;
            if (backgroundImageId >= 0)
                DrawSkinImagePart(mem, backgroundImageId, 0, 0, m_rect.left, m_rect.top, target.Width(),
                                  target.Height());
            paint(mem);
            out->BitBlt(target.left, target.top, target.Width(), target.Height(), mem, 0, 0, SRCCOPY);
        });
    }
    void PlacedRect(RECT* out) const
    {
        if (m_offsetX < 0)
            SetRectEmpty(out);
        else
            *out = ScreenRect();
    }
    void Notify()
    {
        if (m_notify)
            m_notify->OnElementNotify(m_notifyId);
    }
    // Runs draw on dc, or on the owner window's DC when dc is null.
    template <class Draw>
    static void WithDC(CWnd* owner, CDC* dc, Draw draw)
    {
        if (dc) {
            draw(dc);
        } else if (owner && owner->m_hWnd) {
            CClientDC client(owner->m_hWnd);
            draw(&client);
        }
    }

    int m_visible = 1;
    RECT m_rect{0, 0, 0, 0};
    int m_notifyId = 0;
    IElementNotify* m_notify = nullptr;
    int32_t m_flags[2] = {1, 0};
    int m_offsetX = 0;
    int m_offsetY = 0;
};
