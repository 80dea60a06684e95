#include "SkinModule.h"

#include "EqResource.h"
#include "PageSkin.h"
#include "ScreenShot.h"

#include <algorithm>
#include <functional>
#include <string>

using namespace skintest;

namespace {

const COLORREF kGrey = RGB(226, 226, 226);
const Image kTop = Checker(2, 6, RGB(220, 30, 30), RGB(30, 160, 30));
const Image kBottom = Checker(2, 4, RGB(30, 30, 200), RGB(200, 200, 30));
const COLORREF kFace = RGB(90, 140, 230);
const COLORREF kFacePressed = RGB(170, 60, 170);

INT_PTR CALLBACK SkinnedPageProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp)
{
    const INT_PTR skin = geq::PageSkinProc(dialog, msg, wp, lp);
    return msg == WM_INITDIALOG ? TRUE : skin;
}

// A memory bitmap of the given size selected into a memory device context.
class Canvas {
public:
    Canvas(int width, int height)
    {
        m_dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info = kvtest::TopDownInfo32(width, height);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all{0, 0, width, height};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }
    // Pixels of the rectangle that are (or are not) the colour.
    int Count(const RECT& r, COLORREF colour, bool equal = true) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += (At(x, y) == colour) == equal;
        return n;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

struct Box {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};

} // namespace

// Page windows made from the equaliser's own dialog template, whose procedure passes every
// message through the skin first, over a resource module holding images of known colours.
class PageSkin : public testing::Test {
protected:
    void SetUp() override
    {
        m_templates = LoadLibraryA((kvtest::BinFolder() + "KvSEGEQ1.dll").c_str());
        ASSERT_NE(m_templates, nullptr);
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 700, 400, nullptr, nullptr, nullptr, nullptr);
        geq::SetPageSkinMessageBoxHook([this](HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
            boxes.push_back(Box{owner, text, caption, type});
            return IDOK;
        });
    }
    void TearDown() override
    {
        for (HWND page : m_pages)
            DestroyWindow(page);
        EXPECT_EQ(geq::PageSkinWindowCount(), 0);
        geq::SetPageSkinMessageBoxHook(nullptr);
        DestroyWindow(m_parent);
        FreeLibrary(m_templates);
    }
    HWND OpenPage()
    {
        HWND page = CreateDialogParamW(m_templates, MAKEINTRESOURCEW(IDD_IIR_PAGE), m_parent, SkinnedPageProc, 0);
        EXPECT_NE(page, nullptr);
        m_pages.push_back(page);
        return page;
    }
    void ClosePage(HWND page)
    {
        DestroyWindow(page);
        m_pages.erase(std::find(m_pages.begin(), m_pages.end(), page));
    }
    static SIZE ClientSize(HWND window)
    {
        RECT r;
        GetClientRect(window, &r);
        return SIZE{r.right, r.bottom};
    }
    // The skin's background at a point of a page of the given client size.
    static COLORREF Background(SIZE page, int x, int y)
    {
        if (y < kTop.height)
            return kTop.At(x % kTop.width, y);
        if (y >= page.cy - kBottom.height)
            return kBottom.At(x % kBottom.width, y - (page.cy - kBottom.height));
        return kGrey;
    }
    // Rows of the page's erased background that differ from the expected one.
    static std::vector<int> WrongRows(HWND page, const std::function<COLORREF(int, int)>& expected)
    {
        const SIZE size = ClientSize(page);
        Canvas canvas(size.cx, size.cy);
        SendMessageW(page, WM_ERASEBKGND, WPARAM(canvas.Dc()), 0);
        std::vector<int> wrong;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x)
                if (canvas.At(x, y) != expected(x, y)) {
                    wrong.push_back(y);
                    break;
                }
        return wrong;
    }

    SkinModuleFile module{{{geq::kSkinBackgroundTop, Png(kTop)},
                           {geq::kSkinBackgroundBottom, Bmp(kBottom)},
                           {geq::kSkinButton, Png(Solid(8, 8, kFace))},
                           {geq::kSkinButtonPressed, Bmp(Solid(8, 8, kFacePressed))}}};
    std::vector<Box> boxes;

private:
    HMODULE m_templates = nullptr;
    HWND m_parent = nullptr;
    std::vector<HWND> m_pages;
};

TEST_F(PageSkin, TheBackgroundIsGreyWithStripsTiledAlongTheTopAndBottomAtEverySize)
{
    HWND page = OpenPage();
    for (SIZE size : {ClientSize(page), SIZE{333, 171}, SIZE{40, 30}}) {
        SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
        MoveWindow(page, 0, 0, size.cx, size.cy, FALSE);
        ASSERT_EQ(ClientSize(page).cy, size.cy);
        EXPECT_EQ(WrongRows(page, [&](int x, int y) { return Background(size, x, y); }), std::vector<int>{});
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PageSkin, ControlColoursAreTheBackgroundSeenThroughTheControl)
{
    HWND page = OpenPage();
    const SIZE pageSize = ClientSize(page);
    const POINT at{3, 2}; // in the top strip, at odd x + y: a misaligned pattern shows
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, at.x, at.y, 6, 4, page, nullptr, nullptr, nullptr);
    struct Case {
        UINT msg;
        bool skinned;
    } cases[] = {{WM_CTLCOLORMSGBOX, true},    {WM_CTLCOLORBTN, true},    {WM_CTLCOLORDLG, true},
                 {WM_CTLCOLORSCROLLBAR, true}, {WM_CTLCOLORSTATIC, true}, {WM_CTLCOLOREDIT, false},
                 {WM_CTLCOLORLISTBOX, false}};
    HBRUSH skinBrush = nullptr;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.msg);
        const bool dialog = c.msg == WM_CTLCOLORDLG;
        Canvas canvas(6, 4);
        SetBkMode(canvas.Dc(), OPAQUE);
        const auto brush =
            reinterpret_cast<HBRUSH>(SendMessageW(page, c.msg, WPARAM(canvas.Dc()), LPARAM(dialog ? page : child)));
        if (!c.skinned) {
            EXPECT_NE(brush, skinBrush);
            EXPECT_EQ(GetBkMode(canvas.Dc()), OPAQUE);
            continue;
        }
        ASSERT_NE(brush, nullptr);
        skinBrush = brush;
        EXPECT_EQ(GetBkMode(canvas.Dc()), TRANSPARENT);
        RECT all{0, 0, 6, 4};
        FillRect(canvas.Dc(), &all, brush);
        const POINT origin = dialog ? POINT{0, 0} : at;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(canvas.At(x, y), Background(pageSize, origin.x + x, origin.y + y)) << x << "," << y;
    }
}

TEST_F(PageSkin, OwnerDrawnButtonsShowTheFaceForTheirStateTextAndFocus)
{
    HWND page = OpenPage();
    HWND button = GetDlgItem(page, IDC_RESET);
    ASSERT_NE(button, nullptr);
    const SIZE size = ClientSize(button);
    ASSERT_GT(size.cx, 20);
    ASSERT_GT(size.cy, 12);
    const RECT inside{4, 4, size.cx - 4, size.cy - 4};
    const RECT focusRow{3, 3, size.cx - 3, 4};
    const COLORREF kBlack = RGB(0, 0, 0), kDisabledText = RGB(192, 192, 192);
    struct Case {
        const char* name;
        UINT state;
        COLORREF face;
        COLORREF text;
        COLORREF otherText;
    } cases[] = {
        {"normal", 0, kFace, kBlack, kDisabledText},
        {"pressed", ODS_SELECTED, kFacePressed, kBlack, kDisabledText},
        {"disabled", ODS_DISABLED, kFace, kDisabledText, kBlack},
        {"focused", ODS_FOCUS, kFace, kBlack, kDisabledText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(size.cx, size.cy);
        DRAWITEMSTRUCT item{
            ODT_BUTTON, IDC_RESET, 0, ODA_DRAWENTIRE, c.state, button, canvas.Dc(), RECT{0, 0, size.cx, size.cy}, 0};
        SendMessageW(page, WM_DRAWITEM, IDC_RESET, LPARAM(&item));
        EXPECT_EQ(canvas.At(size.cx / 2, 1), c.face);
        EXPECT_EQ(canvas.At(1, size.cy / 2), c.face);
        EXPECT_EQ(canvas.At(size.cx - 2, size.cy - 2), c.face);
        EXPECT_GT(canvas.Count(inside, c.text), 0) << "the text";
        EXPECT_EQ(canvas.Count(inside, c.otherText), 0);
        const int marked = canvas.Count(focusRow, c.face, false);
        if (c.state & ODS_FOCUS)
            EXPECT_GT(marked, size.cx / 4) << "a focus rectangle 3 pixels inside";
        else
            EXPECT_EQ(marked, 0);
    }
}

TEST_F(PageSkin, AMissingModuleIsToldOnceByABoxOfThePageAndThePageDrawsPlain)
{
    kvtest::ScratchFolder empty;
    const std::string missing = empty.File("KvSEEfRc.dll");
    geq::SetSkinModulePath(std::wstring(missing.begin(), missing.end()).c_str());

    HWND first = OpenPage();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, first);
    EXPECT_EQ(boxes[0].text, L"KvSEEfRc.dll not found.");
    EXPECT_EQ(boxes[0].caption, L"Korvane Message");
    EXPECT_EQ(boxes[0].type, UINT(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(WrongRows(first, [](int, int) { return kGrey; }), std::vector<int>{});

    // Not again: neither for a second page nor after every page has gone and the skin is made anew.
    HWND second = OpenPage();
    ClosePage(first);
    ClosePage(second);
    ASSERT_EQ(geq::PageSkinWindowCount(), 0);
    HWND again = OpenPage();
    EXPECT_EQ(boxes.size(), 1u);

    // Buttons are drawn without face images.
    HWND button = GetDlgItem(again, IDC_RESET);
    const SIZE size = ClientSize(button);
    Canvas canvas(size.cx, size.cy);
    DRAWITEMSTRUCT item{ODT_BUTTON, IDC_RESET, 0, ODA_DRAWENTIRE, 0, button, canvas.Dc(), RECT{0, 0, size.cx, size.cy},
                        0};
    SendMessageW(again, WM_DRAWITEM, IDC_RESET, LPARAM(&item));
    EXPECT_GT(canvas.Count(RECT{4, 4, size.cx - 4, size.cy - 4}, RGB(0, 0, 0)), 0);
}
