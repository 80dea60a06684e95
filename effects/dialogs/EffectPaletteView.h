// CEffectPaletteView: the effect launcher's only view, a grid of picture buttons on two tabs
// ("Effects", "Channel"). A button sends its effect's menu command to the active multitrack
// view, exactly as the menu would; the launcher runs nothing itself. Buttons are enabled as the
// active view's document allows their command; without an active view all are disabled.
//
// Keys: Enter sends the focus button's command, Tab and Shift+Tab switch tabs, the arrows move
// the focus (Up and Down by a line of four), Home and End go to the first and last button,
// Page Up and Page Down to the top and fifth visible line, Escape ends the view's edit mode.
#pragma once
#include "Framework.h"
#include "ScrollSkinWnd.h"

#include <memory>
#include <string>
#include <vector>

class CNyMultiTrackView;
class CPanelElement;

class CEffectPaletteView : public CView {
    DECLARE_DYNCREATE(CEffectPaletteView)
public:
    static constexpr int kTabStripHeight = 37;
    static constexpr int kButtonsPerLine = 4;
    static constexpr int kVisibleLines = 5;
    static constexpr UINT kScrollBarId = 100;
    // The selection and the transport change without telling the launcher: it looks again.
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshMs = 250;

    struct Row {
        UINT command;
        UINT descriptionId;
        const char* image;
    };
    // The rows of a tab (0 effects, 1 channel commands).
    static const std::vector<Row>& Rows(int tab);
    // The picture file of a row (without extension) in the images folder: its own, or the
    // tab's first row's when its own is missing.
    static std::string ImagePathFor(const std::string& folder, int tab, size_t row);

    CEffectPaletteView();
    ~CEffectPaletteView() override;

    // The view the buttons' commands go to (null: none, every button disabled).
    void SetActiveView(CNyMultiTrackView* view);
    CNyMultiTrackView* GetActiveView() const { return m_activeView; }
    // Lays the buttons out and enables each as the active document allows; repaints. 0.
    int UpdateRows();

    // What a test looks at.
    int CurrentTab() const { return m_currentTab; }
    int FocusIndex() const { return m_focusIndex; }
    int FirstVisibleLine() const { return m_firstLine; }
    int ScrollMaximum() const { return m_scrollMaximum; }
    size_t ButtonCount(int tab) const { return m_buttons[tab].size(); }
    bool IsButtonEnabled(int tab, size_t index) const;
    // The button's rectangle in the client area (empty while it has no place).
    RECT ButtonRect(int tab, size_t index) const;
    RECT TabRect(int tab) const;
    size_t ToolCount() const { return m_toolCount; }

    void OnDraw(CDC* dc) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnVScroll(UINT code, UINT position, CWnd* bar);
    void OnTimer(UINT_PTR id);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    UINT OnGetDlgCode();

protected:
    DECLARE_MESSAGE_MAP()

private:
    enum Press { kPressTab = 0, kPressButton = 1, kPressNothing = 3 };
    struct Hit {
        Press kind;
        int index;
    };
    Hit HitTest(CPoint point) const;
    bool WhollyInside(const RECT& rect) const;
    int LineCount() const;
    int VisibleLines() const;
    void ScrollTo(int line);
    void MoveFocus(int index);
    void SendCommand(int index);
    void SwitchTab(int tab);
    void ResetTools();
    // The buttons' enabled states from one look at the active document; true when one changed.
    bool RefreshEnabled();
    // The frame around the view takes the grid's size: its width fixed, taller only.
    void FitFrame(int width, int height);

    CNyMultiTrackView* m_activeView = nullptr;
    ScrollSkinWnd m_scrollBar;
    HWND m_toolTip = nullptr;
    size_t m_toolCount = 0;
    int m_hoveredIndex = -1;
    Press m_pressState = kPressNothing;
    int m_focusIndex = 0;
    int m_pressedIndex = -1;
    bool m_pressedInside = false;
    int m_currentTab = 0;
    int m_firstLine = 0;
    int m_scrollMaximum = 0;
    std::vector<std::unique_ptr<CPanelElement>> m_buttons[2];
    std::vector<std::string> m_imagePaths[2];
    std::vector<std::unique_ptr<CPanelElement>> m_tabs;
};
