// Message maps: typed handlers, base maps, default processing and subclassed controls.
#include "FrameworkTestSupport.h"
#include <stdexcept>

namespace {

class CBaseProbe : public CWnd {
public:
    std::vector<std::string> seen;
    void OnSize(UINT type, int cx, int cy)
    {
        seen.push_back("base size " + std::to_string(type) + " " + std::to_string(cx) + "x" + std::to_string(cy));
    }
    void OnLButtonDown(UINT, CPoint point)
    {
        seen.push_back("base down " + std::to_string(point.x) + "," + std::to_string(point.y));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseProbe, CWnd)
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

// Overrides one handler and leaves the other to its base map.
class CDerivedProbe : public CBaseProbe {
public:
    void OnLButtonDown(UINT flags, CPoint point)
    {
        seen.push_back("derived down");
        CBaseProbe::OnLButtonDown(flags, point);
    }
    LRESULT OnNcHitTest(CPoint point)
    {
        LRESULT standard = CWnd::OnNcHitTest(point);
        seen.push_back("hit " + std::to_string(standard));
        return HTCAPTION;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedProbe, CBaseProbe)
    ON_WM_LBUTTONDOWN()
    ON_WM_NCHITTEST()
END_MESSAGE_MAP()

// A subclassed edit control that swallows digits.
class CNoDigitsEdit : public CWnd {
public:
    int swallowed = 0;
    void OnChar(UINT ch, UINT repeat, UINT flags)
    {
        if (ch >= '0' && ch <= '9') {
            ++swallowed;
            return;
        }
        CWnd::OnChar(ch, repeat, flags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNoDigitsEdit, CWnd)
    ON_WM_CHAR()
END_MESSAGE_MAP()

// A window whose handler fails.
class CThrowingWnd : public CWnd {
public:
    int calls = 0;
    LRESULT OnFail(WPARAM, LPARAM)
    {
        ++calls;
        throw std::runtime_error("handler failed");
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
    ON_MESSAGE(WM_APP, OnFail)
END_MESSAGE_MAP()

// Refuses creation by its title, keeps at least 100 pixels of width while sized, and notes
// device changes.
class CLimitsProbe : public CWnd {
public:
    int nonClientCreates = 0;
    std::vector<UINT> deviceEvents;
    BOOL OnNcCreate(LPCREATESTRUCTA cs)
    {
        ++nonClientCreates;
        if (cs->lpszName && lstrcmpA(cs->lpszName, "refuse") == 0)
            return FALSE;
        return CWnd::OnNcCreate(cs);
    }
    void OnSizing(UINT side, LPRECT rect)
    {
        CWnd::OnSizing(side, rect);
        if (rect->right - rect->left < 100)
            rect->right = rect->left + 100;
    }
    BOOL OnDeviceChange(UINT event, DWORD_PTR)
    {
        deviceEvents.push_back(event);
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLimitsProbe, CWnd)
    ON_WM_NCCREATE()
    ON_WM_SIZING()
    ON_WM_DEVICECHANGE()
END_MESSAGE_MAP()

// Paints every kind of control with its own brush and notes the kinds asked for.
class CColoringWnd : public CWnd {
public:
    std::vector<UINT> kinds;
    HBRUSH brush = ::GetSysColorBrush(COLOR_INFOBK);
    HBRUSH OnCtlColor(CDC* dc, CWnd*, UINT ctlType)
    {
        kinds.push_back(ctlType);
        dc->SetBkMode(TRANSPARENT);
        return brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColoringWnd, CWnd)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

} // namespace

TEST_F(FrameworkTest, ControlColorHandlerHearsOfEveryKindOfControl)
{
    CColoringWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "colors", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    const struct {
        UINT message;
        UINT kind;
    } cases[] = {
        {WM_CTLCOLORMSGBOX, CTLCOLOR_MSGBOX},   {WM_CTLCOLOREDIT, CTLCOLOR_EDIT},
        {WM_CTLCOLORLISTBOX, CTLCOLOR_LISTBOX}, {WM_CTLCOLORBTN, CTLCOLOR_BTN},
        {WM_CTLCOLORDLG, CTLCOLOR_DLG},         {WM_CTLCOLORSCROLLBAR, CTLCOLOR_SCROLLBAR},
        {WM_CTLCOLORSTATIC, CTLCOLOR_STATIC},
    };
    HDC screen = ::GetDC(nullptr);
    for (const auto& c : cases) {
        ::SetBkMode(screen, OPAQUE);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(wnd.SendMessage(c.message, reinterpret_cast<WPARAM>(screen),
                                                           reinterpret_cast<LPARAM>(wnd.m_hWnd))),
                  wnd.brush)
            << c.message;
        EXPECT_EQ(::GetBkMode(screen), TRANSPARENT) << c.message;
        ASSERT_FALSE(wnd.kinds.empty());
        EXPECT_EQ(wnd.kinds.back(), c.kind);
    }
    ::SetBkMode(screen, OPAQUE);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(wnd.kinds.size(), std::size(cases));
    wnd.DestroyWindow();
}

TEST_F(FrameworkTest, NonClientCreationSizingAndDeviceChangesReachTheirHandlers)
{
    CLimitsProbe refused;
    EXPECT_FALSE(refused.CreateEx(0, nullptr, "refuse", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(refused.nonClientCreates, 1);
    EXPECT_EQ(refused.m_hWnd, nullptr);

    CLimitsProbe probe;
    ASSERT_TRUE(probe.CreateEx(0, nullptr, "accept", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(probe.nonClientCreates, 1);
    // The caption came through the default processing of WM_NCCREATE.
    CString text;
    probe.GetWindowText(text);
    EXPECT_STREQ(text, "accept");

    RECT sizing = {10, 10, 40, 60};
    EXPECT_EQ(probe.SendMessage(WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&sizing)), TRUE);
    EXPECT_EQ(sizing.right, 110);
    EXPECT_EQ(sizing.bottom, 60);
    EXPECT_EQ(probe.SendMessage(WM_DEVICECHANGE, 0x8000 /* arrival */, 0), TRUE);
    EXPECT_EQ(probe.deviceEvents, std::vector<UINT>{0x8000});
    probe.DestroyWindow();
}

TEST_F(FrameworkTest, ExceptionFromAHandlerStopsAtTheWindowProcedure)
{
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "throws", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(wnd.SendMessage(WM_APP, 1, 2), 0);
    EXPECT_EQ(wnd.SendMessage(WM_APP, 1, 2), 0);
    EXPECT_EQ(wnd.calls, 2);
    wnd.SetWindowText("still working");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_STREQ(text, "still working");
    wnd.DestroyWindow();
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, HandlersGetCrackedArgumentsAndBaseMapsServeWhatDerivedOnesLack)
{
    CDerivedProbe probe;
    ASSERT_TRUE(probe.CreateEx(0, nullptr, "probe", WS_POPUP, CRect(0, 0, 50, 40), nullptr, 0));
    probe.seen.clear();
    probe.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 7));
    probe.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
    EXPECT_EQ(probe.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTCAPTION);
    ASSERT_EQ(probe.seen.size(), 4u);
    EXPECT_EQ(probe.seen[0], "derived down");
    EXPECT_EQ(probe.seen[1], "base down -5,7");
    EXPECT_EQ(probe.seen[2], "base size 0 120x80");
    EXPECT_EQ(probe.seen[3], "hit " + std::to_string(HTCLIENT)); // Default() gave the standard answer
    EXPECT_EQ(CWnd::FromHandlePermanent(probe.m_hWnd), &probe);
    probe.DestroyWindow();
    EXPECT_EQ(probe.m_hWnd, nullptr);
}

TEST_F(FrameworkTest, SubclassedControlFiltersAndPassesTheRestOn)
{
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    {
        CNoDigitsEdit filter;
        ASSERT_TRUE(filter.SubclassWindow(edit));
        for (char ch : std::string("a1b2c"))
            ::SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(ch), 1);
        EXPECT_EQ(filter.swallowed, 2);
        char text[16] = "";
        ::GetWindowTextA(edit, text, static_cast<int>(sizeof text));
        EXPECT_STREQ(text, "abc");
    }
    // The object went: the control is its own again and still works.
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    ::SendMessageA(edit, WM_CHAR, '7', 1);
    char text[16] = "";
    ::GetWindowTextA(edit, text, static_cast<int>(sizeof text));
    EXPECT_STREQ(text, "abc7");
    ::DestroyWindow(edit);
}

TEST_F(FrameworkTest, TemporaryObjectsWrapForeignWindowsUntilIdle)
{
    HWND foreign = ::CreateWindowExA(0, "STATIC", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CWnd* temp = CWnd::FromHandle(foreign);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hWnd, foreign);
    EXPECT_EQ(CWnd::FromHandle(foreign), temp);
    EXPECT_EQ(CWnd::FromHandlePermanent(foreign), nullptr);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    ::DestroyWindow(foreign);
    m_app->OnIdle(1); // temporaries are dropped here
}

TEST_F(FrameworkTest, RegisteredClassesKeepTheirOwnCursorAndBackground)
{
    const struct {
        HCURSOR cursor;
        HBRUSH background;
    } cases[] = {
        {::LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1))},
        {::LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1))},
        {nullptr, nullptr},
        {::LoadCursor(nullptr, IDC_CROSS), nullptr},
    };
    std::vector<std::string> names;
    for (const auto& c : cases) {
        const char* name = AfxRegisterWndClass(CS_DBLCLKS, c.cursor, c.background);
        ASSERT_NE(name, nullptr);
        names.emplace_back(name);
        EXPECT_EQ(AfxRegisterWndClass(CS_DBLCLKS, c.cursor, c.background), name); // registered once
        WNDCLASSA info = {};
        ASSERT_TRUE(::GetClassInfoA(AfxGetInstanceHandle(), name, &info)) << name;
        EXPECT_EQ(info.hCursor, c.cursor) << name;
        EXPECT_EQ(info.hbrBackground, c.background) << name;
        EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS)) << name;
    }
    for (size_t i = 0; i < names.size(); ++i)
        for (size_t j = i + 1; j < names.size(); ++j)
            EXPECT_NE(names[i], names[j]);
}
