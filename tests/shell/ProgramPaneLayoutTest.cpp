// Where a first start puts the tool panes, read from the running program's own windows.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramProcess.h"
#include "TestSupport.h"

#include <string>
#include <vector>

namespace {

struct Window {
    HWND hwnd;
    std::string cls;
    RECT rect;
};

struct Search {
    DWORD pid;
    HWND frame;
    std::vector<Window> found;
};

// The process's shown top-level windows besides its main frame and the tips.
std::vector<Window> ShownPanes(DWORD pid, HWND frame)
{
    Search search = {pid, frame, {}};
    ::EnumWindows(
        [](HWND wnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(wnd, &owner);
            if (owner != s->pid || wnd == s->frame || !::IsWindowVisible(wnd))
                return TRUE;
            char cls[64] = {};
            ::GetClassNameA(wnd, cls, sizeof cls);
            RECT rect;
            ::GetWindowRect(wnd, &rect);
            char title[8] = {};
            // Untitled windows (the start-up splash) are not panes.
            if (std::string(cls) != "tooltips_class32" && ::GetWindowTextA(wnd, title, sizeof title) > 0 &&
                !::IsRectEmpty(&rect))
                s->found.push_back({wnd, cls, rect});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindToolBar(HWND frame)
{
    HWND found = nullptr;
    ::EnumChildWindows(
        frame,
        [](HWND wnd, LPARAM lp) -> BOOL {
            char cls[64] = {};
            ::GetClassNameA(wnd, cls, sizeof cls);
            if (std::string(cls) != "ToolbarWindow32" || !::IsWindowVisible(wnd))
                return TRUE;
            *reinterpret_cast<HWND*>(lp) = wnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string Describe(const Window& w)
{
    char title[128] = {};
    ::GetWindowTextA(w.hwnd, title, sizeof title);
    return "\"" + std::string(title) + "\" (" + w.cls + ") at " + std::to_string(w.rect.left) + "," +
           std::to_string(w.rect.top) + "-" + std::to_string(w.rect.right) + "," + std::to_string(w.rect.bottom);
}

} // namespace

// A new user's first start: the controller, the selection control and the mixer each in a
// place of its own, none over another or over the tool bar's buttons.
TEST(ProgramPaneLayout, AFirstStartShowsEveryPaneInAPlaceOfItsOwnClearOfTheToolBar)
{
    kvtest::ClearProgramKey();
    kvtest::ProgramProcess start(kvtest::BinFolder() + "KvSound5EU.exe");
    HWND frame = start.WaitForFrame();
    ASSERT_NE(frame, nullptr);
    // The panes come up, then are arranged together: wait until three are shown and none has
    // moved for half a second.
    std::vector<Window> panes;
    std::string last;
    DWORD steady = ::GetTickCount();
    for (DWORD began = ::GetTickCount(); ::GetTickCount() - began < 20000; ::Sleep(50)) {
        panes = ShownPanes(start.Id(), frame);
        std::string now;
        for (const Window& w : panes)
            now += Describe(w) + ";";
        if (now != last) {
            last = now;
            steady = ::GetTickCount();
        } else if (panes.size() >= 3 && ::GetTickCount() - steady >= 500) {
            break;
        }
    }
    ASSERT_GE(panes.size(), 3u) << "controller, selection control and mixer";
    HWND toolBar = FindToolBar(frame);
    ASSERT_NE(toolBar, nullptr);
    RECT bar;
    ::GetWindowRect(toolBar, &bar);
    for (size_t i = 0; i < panes.size(); ++i) {
        RECT meet;
        EXPECT_FALSE(::IntersectRect(&meet, &panes[i].rect, &bar)) << Describe(panes[i]) << " covers the tool bar";
        for (size_t j = i + 1; j < panes.size(); ++j)
            EXPECT_FALSE(::IntersectRect(&meet, &panes[i].rect, &panes[j].rect))
                << Describe(panes[i]) << " overlaps " << Describe(panes[j]);
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(start.WaitForExit(15000));
}
