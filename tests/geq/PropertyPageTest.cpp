#include "EqModule.h"

#include "GraphicEqParams.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>

namespace {

constexpr int kSliderBand1 = 1020;
constexpr int kEditBand1 = 15002;
constexpr int kEditMaster = 15012;
constexpr int kReset = 15032;

std::string EditText(HWND dialog, int id)
{
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, 64);
    return text;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

// A filter and one page of it, shown in a plain parent window.
class EqPage : public EqModule {
protected:
    void SetUp() override
    {
        EqModule::SetUp();
        filter = CreateFilter();
        ASSERT_NE(filter, nullptr);
        eq = Query<IGraphicEq>(filter);
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 700, 400, nullptr, nullptr, nullptr,
                                 nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override
    {
        Close();
        if (eq)
            eq->Release();
        if (filter)
            filter->Release();
        DestroyWindow(parent);
        EqModule::TearDown();
    }
    // Opens the page of the class on the filter; returns its dialog window.
    HWND Open(const CLSID& pageClass)
    {
        Close();
        page = Create<IPropertyPage>(pageClass);
        if (!page)
            return nullptr;
        IUnknown* objects[] = {filter};
        EXPECT_EQ(page->SetObjects(1, objects), S_OK);
        RECT r{0, 0, 660, 360};
        EXPECT_EQ(page->Activate(parent, &r, FALSE), S_OK);
        page->Show(SW_SHOW);
        return PageDialog();
    }
    // The page's dialog: the dialog window under our parent that holds the band sliders. Searched
    // among this thread's windows only, so another program's dialog is never taken for it.
    HWND PageDialog() const
    {
        struct Search {
            HWND found = nullptr;
        } search;
        auto visit = [](HWND wnd, LPARAM lp) -> BOOL {
            char cls[16] = {};
            GetClassNameA(wnd, cls, sizeof cls);
            if (lstrcmpA(cls, "#32770") == 0 && GetDlgItem(wnd, kSliderBand1)) {
                reinterpret_cast<Search*>(lp)->found = wnd;
                return FALSE;
            }
            return TRUE;
        };
        EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    void Close()
    {
        if (!page)
            return;
        page->Deactivate();
        page->SetObjects(0, nullptr);
        page->Release();
        page = nullptr;
    }
    int Param(int index)
    {
        int block[geq::kParamCount];
        eq->GetAll(block);
        return block[index];
    }
    void Type(HWND dialog, int editId, const char* text)
    {
        SetDlgItemTextA(dialog, editId, text);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(editId, EN_KILLFOCUS), LPARAM(GetDlgItem(dialog, editId)));
    }

    IBaseFilter* filter = nullptr;
    IGraphicEq* eq = nullptr;
    IPropertyPage* page = nullptr;
    HWND parent = nullptr;
};

TEST_F(EqPage, DescribesItselfWithTitleHelpAndSize)
{
    struct Case {
        const CLSID* page;
        const wchar_t* title;
    } cases[] = {{&kClsidEqPropertyPage, L"IIR Graphic EQ"}, {&kClsidFirEqPropertyPage, L"FIR Graphic EQ"}};
    for (const auto& c : cases) {
        ComRef<IPropertyPage> p(Create<IPropertyPage>(*c.page));
        ASSERT_TRUE(p);
        PROPPAGEINFO info{};
        ASSERT_EQ(p->GetPageInfo(&info), S_OK);
        EXPECT_STREQ(info.pszTitle, c.title);
        EXPECT_STREQ(info.pszHelpFile, L"408");
        EXPECT_EQ(info.dwHelpContext, 1u);
        EXPECT_GT(info.size.cx, 300);
        EXPECT_GT(info.size.cy, 150);
        CoTaskMemFree(info.pszTitle);
        CoTaskMemFree(info.pszHelpFile);
        CoTaskMemFree(info.pszDocString);
        EXPECT_EQ(p->Help(nullptr), E_NOTIMPL);
        MSG msg{};
        EXPECT_EQ(p->TranslateAccelerator(&msg), E_NOTIMPL);
    }
}

TEST_F(EqPage, ThePageSetUpLastDecidesTheMode)
{
    HWND fir = Open(kClsidFirEqPropertyPage);
    ASSERT_NE(fir, nullptr);
    EXPECT_EQ(Param(geq::kModeIndex), 1);
    HWND iir = Open(kClsidEqPropertyPage);
    ASSERT_NE(iir, nullptr);
    EXPECT_EQ(Param(geq::kModeIndex), 0);
    // An edit on the FIR page brings FIR back.
    fir = Open(kClsidFirEqPropertyPage);
    eq->SetMode(0);
    Type(fir, kEditBand1, "1.0");
    EXPECT_EQ(Param(geq::kModeIndex), 1);
}

TEST_F(EqPage, EditsAreClampedTruncatedAndShownToOneDecimal)
{
    HWND dialog = Open(kClsidEqPropertyPage);
    ASSERT_NE(dialog, nullptr);
    struct Case {
        int editId;
        const char* typed;
        int stored;
        const char* shown;
    } cases[] = {{kEditBand1 + 3, "7.26", 72, "7.3"},   {kEditBand1 + 3, "30", 200, "20.0"},
                 {kEditBand1 + 3, "letters", 0, "0.0"}, {kEditBand1, "-7.26", -72, "-7.3"},
                 {kEditMaster, "-100", -600, "-60.0"},  {kEditMaster, "0.3", 3, "0.3"}};
    for (const auto& c : cases) {
        Type(dialog, c.editId, c.typed);
        const int index = c.editId == kEditMaster ? geq::kMasterIndex : c.editId - kEditBand1;
        EXPECT_EQ(Param(index), c.stored) << c.typed;
        EXPECT_EQ(EditText(dialog, c.editId), c.shown) << c.typed;
    }
}

TEST_F(EqPage, ResetOnTheFirPageKeepsFirAndZeroesEveryGain)
{
    const int rock[geq::kParamCount] = {40, 50, 30, -10, -30, -20, -10, 20, 60, 50, 25, 0};
    eq->SetAll(rock);
    HWND dialog = Open(kClsidFirEqPropertyPage);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(EditText(dialog, kEditBand1 + 8), "6.0");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kReset, BN_CLICKED), LPARAM(GetDlgItem(dialog, kReset)));
    for (int i = 0; i <= geq::kMasterIndex; ++i)
        EXPECT_EQ(Param(i), 0);
    EXPECT_EQ(Param(geq::kModeIndex), 1);
    for (int id = kEditBand1; id <= kEditMaster; ++id)
        EXPECT_EQ(EditText(dialog, id), "0.0");
}

TEST_F(EqPage, BandsAtOrAboveHalfTheRateAreGreyed)
{
    struct Case {
        int rate;
        int firstGreyed; // band index from which on sliders and edits are disabled; 10 = none
    } cases[] = {{44100, 10}, {22050, 9}, {32000, 9}, {8000, 7}, {1000, 4}};
    for (const auto& c : cases) {
        eq->SetSampleRate(c.rate);
        HWND dialog = Open(kClsidEqPropertyPage);
        ASSERT_NE(dialog, nullptr);
        for (int k = 0; k < 10; ++k) {
            const bool enabled = k < c.firstGreyed;
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, kSliderBand1 + k)) != FALSE, enabled) << c.rate << " " << k;
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, kEditBand1 + k)) != FALSE, enabled) << c.rate << " " << k;
        }
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kSliderBand1 + 10)));
    }
}

TEST_F(EqPage, SliderMovesSetTheParameterAndTheEdit)
{
    HWND dialog = Open(kClsidEqPropertyPage);
    ASSERT_NE(dialog, nullptr);
    HWND slider = GetDlgItem(dialog, kSliderBand1 + 5);
    SendMessageW(slider, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(slider, WM_KEYDOWN, VK_UP, 0);
    PumpMessages(); // the slider posts WM_HSCROLL to the page
    EXPECT_EQ(Param(5), 2);
    EXPECT_EQ(EditText(dialog, kEditBand1 + 5), "0.2");
    // A right click resets it to 0 dB.
    SendMessageW(slider, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    SendMessageW(slider, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    PumpMessages();
    EXPECT_EQ(Param(5), 0);
    EXPECT_EQ(EditText(dialog, kEditBand1 + 5), "0.0");
}

TEST_F(EqPage, ATrackClickReleasedElsewhereLeavesTheGainWhereTheThumbIs)
{
    int gains[geq::kParamCount] = {};
    gains[5] = 200; // the thumb at the top, away from the clicks
    eq->SetAll(gains);
    HWND dialog = Open(kClsidEqPropertyPage);
    ASSERT_NE(dialog, nullptr);
    HWND slider = GetDlgItem(dialog, kSliderBand1 + 5);
    RECT client;
    GetClientRect(slider, &client);
    // Pressed and released at heights in percent of the slider, as the mouse does it: the page
    // hears of the press before the button comes up.
    auto click = [&](int pressed, int released) {
        Type(dialog, kEditBand1 + 5, "20");
        const LPARAM down = MAKELPARAM(client.right / 2, client.bottom * pressed / 100);
        const LPARAM up = MAKELPARAM(client.right / 2, client.bottom * released / 100);
        SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, down);
        PumpMessages();
        SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, up);
        SendMessageW(slider, WM_LBUTTONUP, 0, up);
        PumpMessages();
        return Param(5);
    };
    const int at50 = click(50, 50), at80 = click(80, 80);
    EXPECT_NE(at50, at80);
    EXPECT_EQ(click(50, 80), at80);
    EXPECT_EQ(click(80, 50), at50);
    EXPECT_EQ(click(50, -20), at50) << "released outside the slider";
}

TEST_F(EqPage, ClosingThePageUnregistersItsWindow)
{
    HWND dialog = Open(kClsidEqPropertyPage);
    ASSERT_NE(dialog, nullptr);
    // The page holds one of the four notification entries while it is open.
    HWND others[3];
    for (int i = 0; i < 3; ++i) {
        others[i] = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_EQ(eq->SetNotifyWindow(others[i], 100 + i), S_OK);
    }
    HWND extra = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    EXPECT_EQ(eq->SetNotifyWindow(extra, 200), E_OUTOFMEMORY);
    Close();
    EXPECT_EQ(eq->SetNotifyWindow(extra, 200), S_OK);
    for (HWND w : others)
        DestroyWindow(w);
    DestroyWindow(extra);
}

// The pages in the system's property frame: a timer on the frame's modal loop edits a band on
// the page it finds and closes the frame with OK. The frame creates the pages by class id, so
// the module's factories are lent to COM for this process (nothing goes to the registry).
namespace {

struct FrameScript {
    int ticks = 0;
    bool edited = false;
    bool closed = false;
};
FrameScript* g_script = nullptr;

BOOL CALLBACK FindPageDialog(HWND w, LPARAM out)
{
    if (GetDlgItem(w, kEditBand1 + 2) && IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindFrame(HWND w, LPARAM out)
{
    HWND page = nullptr;
    EnumChildWindows(w, FindPageDialog, LPARAM(&page));
    if (page) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK FrameTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    FrameScript& s = *g_script;
    ++s.ticks;
    HWND frame = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindFrame, LPARAM(&frame));
    if (frame && !s.edited) {
        HWND page = nullptr;
        EnumChildWindows(frame, FindPageDialog, LPARAM(&page));
        SetDlgItemTextA(page, kEditBand1 + 2, "-4.5");
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(kEditBand1 + 2, EN_KILLFOCUS),
                     LPARAM(GetDlgItem(page, kEditBand1 + 2)));
        s.edited = true;
        return;
    }
    if (frame && s.edited && !s.closed) {
        PostMessageW(frame, WM_COMMAND, IDOK, 0);
        s.closed = true;
    }
    if (s.ticks > 100) { // give up: close whatever is open
        KillTimer(nullptr, id);
        HWND top = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM out) -> BOOL {
                wchar_t cls[16] = {};
                GetClassNameW(w, cls, 16);
                if (wcscmp(cls, L"#32770") != 0)
                    return TRUE;
                *reinterpret_cast<HWND*>(out) = w;
                return FALSE;
            },
            LPARAM(&top));
        if (top)
            PostMessageW(top, WM_COMMAND, IDCANCEL, 0);
    }
}

} // namespace

TEST_F(EqPage, PagesOpenInThePropertyFrameAndChangeTheFilter)
{
    ComRef<ISpecifyPropertyPages> specify(Query<ISpecifyPropertyPages>(filter));
    CAUUID pages{};
    ASSERT_EQ(specify->GetPages(&pages), S_OK);
    DWORD cookies[2] = {};
    for (ULONG i = 0; i < pages.cElems && i < 2; ++i) {
        IClassFactory* factory = nullptr;
        ASSERT_EQ(m_getClassObject(pages.pElems[i], IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        ASSERT_EQ(
            CoRegisterClassObject(pages.pElems[i], factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies[i]),
            S_OK);
        factory->Release();
    }
    FrameScript script;
    g_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, FrameTimer);
    IUnknown* objects[] = {filter};
    const HRESULT hr =
        OleCreatePropertyFrame(parent, 0, 0, L"Equaliser", 1, objects, pages.cElems, pages.pElems, 0, 0, nullptr);
    KillTimer(nullptr, timer);
    g_script = nullptr;
    for (DWORD cookie : cookies)
        CoRevokeClassObject(cookie);
    CoTaskMemFree(pages.pElems);
    ASSERT_EQ(hr, S_OK);
    EXPECT_TRUE(script.edited);
    EXPECT_TRUE(script.closed);
    EXPECT_EQ(Param(2), -45);
}
