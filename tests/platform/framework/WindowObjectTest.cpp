// Each window's object: found from its handle on any thread while the window lives, gone with it;
// messages to the descendants that have one.
#include "FrameworkTestSupport.h"

#include <thread>

namespace {

constexpr UINT kProbeMessage = WM_APP + 17;

// Counts the probe message; may destroy another window when it hears it.
class CCounter : public CWnd {
public:
    int heard = 0;
    CWnd* destroyOnHearing = nullptr;
    LRESULT OnProbe(WPARAM, LPARAM)
    {
        ++heard;
        if (destroyOnHearing && destroyOnHearing->m_hWnd)
            destroyOnHearing->DestroyWindow();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCounter, CWnd)
    ON_MESSAGE(kProbeMessage, OnProbe)
END_MESSAGE_MAP()

bool CreateChild(CWnd* wnd, HWND parent)
{
    return wnd->CreateEx(0, nullptr, "child", WS_CHILD, 0, 0, 10, 10, parent, nullptr) != FALSE;
}

} // namespace

TEST_F(FrameworkTest, AWindowsObjectIsFoundOnAnyThreadUntilTheWindowGoes)
{
    CCounter wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "found", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    const HWND hwnd = wnd.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &wnd);
    CWnd* fromWorker = nullptr;
    std::thread([&] { fromWorker = CWnd::FromHandlePermanent(hwnd); }).join();
    EXPECT_EQ(fromWorker, &wnd);
    wnd.DestroyWindow();
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);

    // Detached, and an object that dies before its window (which then goes too).
    CCounter detached;
    ASSERT_TRUE(detached.CreateEx(0, nullptr, "detached", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    const HWND kept = detached.Detach();
    EXPECT_EQ(CWnd::FromHandlePermanent(kept), nullptr);
    ::DestroyWindow(kept);
    HWND orphan = nullptr;
    {
        CCounter shortLived;
        ASSERT_TRUE(shortLived.CreateEx(0, nullptr, "short", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        orphan = shortLived.m_hWnd;
    }
    EXPECT_EQ(CWnd::FromHandlePermanent(orphan), nullptr);
    EXPECT_FALSE(::IsWindow(orphan));
}

// Children and grandchildren with objects hear it, also under a window without one; the parent,
// a window elsewhere and plain controls do not; a window destroyed by an earlier handler is
// skipped.
TEST_F(FrameworkTest, ObjectDescendantsGetTheMessageAndOthersDoNot)
{
    CCounter top, child, grandchild, elsewhere, first, second;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "top", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    ASSERT_TRUE(CreateChild(&child, top.m_hWnd));
    HWND plain = ::CreateWindowA("STATIC", "plain", WS_CHILD, 0, 0, 50, 50, top.m_hWnd, nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    ASSERT_TRUE(CreateChild(&grandchild, plain));
    ASSERT_TRUE(elsewhere.CreateEx(0, nullptr, "elsewhere", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    // Whichever of the two hears it first destroys the other.
    ASSERT_TRUE(CreateChild(&first, top.m_hWnd));
    ASSERT_TRUE(CreateChild(&second, top.m_hWnd));
    first.destroyOnHearing = &second;
    second.destroyOnHearing = &first;

    top.SendMessageToObjectDescendants(kProbeMessage);
    EXPECT_EQ(top.heard, 0);
    EXPECT_EQ(child.heard, 1);
    EXPECT_EQ(grandchild.heard, 1);
    EXPECT_EQ(elsewhere.heard, 0);
    EXPECT_EQ(first.heard + second.heard, 1);
    elsewhere.DestroyWindow();
    top.DestroyWindow();
}
