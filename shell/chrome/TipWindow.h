// Tool tips drawn by the program itself, in popups of the window class "Korvane-Tips".
//
// TipWindow: the tips of one owner window. The owner registers rectangles with texts (tools, in
// the owner's window coordinates) and relays its mouse and key messages; when the cursor rests on
// a tool for 500 ms the tip shows below the cursor, and it goes after the display time, on any
// click or key, or when the cursor leaves the tool. One tip is visible in the program at a time.
//
//   m_tip = CreateTipWindow(this, 0, 0);
//   m_tip->AddTool("Loop", CRect(4, 4, 20, 20), 1);
//   BOOL PreTranslateMessage(MSG* msg) { if (m_tip) m_tip->RelayEvent(this, msg); ... }
//
// ValueTipWnd: a popup with one centred line that the caller fills, places and shows (values
// under the mouse while an editor drags).
#pragma once
#include "Framework.h"

class TipTool {
public:
    TipTool(int id, const RECT& rect, const char* text) : m_id(id), m_rect(rect), m_text(text ? text : "") {}
    // Searches from this tool forward, then backward; id 0 never matches.
    virtual TipTool* FindById(int id);
    virtual BOOL HitTest(POINT point) const { return ::PtInRect(&m_rect, point); }
    virtual ~TipTool() = default;

    int m_id;
    RECT m_rect;
    CString m_text;
    TipTool* m_previous = nullptr;
    TipTool* m_next = nullptr;
};

class TipWindow : public CWnd {
public:
    static constexpr UINT kDefaultFormat = DT_CENTER | DT_VCENTER | DT_NOPREFIX; // 0x805
    static constexpr UINT_PTR kWaitTimer = 1;
    static constexpr UINT_PTR kDisplayTimer = 2;
    static constexpr int kWaitMs = 500;

    TipWindow(const char* faceName, COLORREF background);
    ~TipWindow() override;

    // A nonzero format replaces the default text format.
    BOOL Create(CWnd* owner, DWORD style, UINT format);

    // TRUE for the mouse, non-client mouse and key-down messages, which it acts on.
    virtual BOOL RelayEvent(CWnd* window, const MSG* msg);
    virtual void Cancel();
    virtual void SetDelay(int milliseconds) { m_displayTime = milliseconds; }
    virtual void SetActive(BOOL active);
    virtual void OnRelayedMessage(CWnd* window, const MSG* msg);
    virtual int GetToolCount() const;
    virtual TipTool* GetCurrentTool() const { return m_current; }
    // Id 0 removes the last tool. TRUE when one was removed.
    virtual BOOL RemoveTool(int id);
    virtual BOOL AddTool(const char* text, const RECT& rect, int id = 0);
    virtual void DrawTip(CDC* dc);

    void Position(BOOL show);
    BOOL IsShown() const { return m_shown; }
    const CString& GetTipText() const { return m_text; }
    // The tip visible in the program, or null.
    static TipWindow* GetVisibleTip();
    // The tool under a screen point (the first hit in registration order), or null.
    TipTool* ToolAt(POINT screen) const;

    void OnPaint();
    void OnTimer(UINT_PTR id);

protected:
    void Hide();
    CSize MeasureText(const CString& text);

    UINT m_format = kDefaultFormat;
    int m_displayTime = 2000;
    BOOL m_active = FALSE;
    BOOL m_shown = FALSE;
    TipTool* m_tools = nullptr;
    TipTool* m_current = nullptr;
    CFont m_font;
    CString m_text;
    COLORREF m_background;
    CWnd* m_owner = nullptr;
    HWND m_relayWindow = nullptr;

    DECLARE_MESSAGE_MAP()
};

// Reads the system tip colour, creates a TipWindow for the owner; null when that fails.
TipWindow* CreateTipWindow(CWnd* owner, DWORD style, UINT format);

class ValueTipWnd : public CWnd {
public:
    explicit ValueTipWnd(CWnd* owner);
    ~ValueTipWnd() override;

    void SetText(const char* text);
    // Shows the text at a screen point, sized to it, without taking the activation.
    void ShowAt(const char* text, int x, int y);
    const CString& GetText() const { return m_text; }
    void Render(CDC* dc, const RECT& client);
    void OnPaint();

protected:
    CFont m_font;
    CString m_text;
    COLORREF m_background;
    CWnd* m_owner;

    DECLARE_MESSAGE_MAP()
};
