// Driving the effect dialogs as a user does while their modal loop runs: a script runs from a
// thread timer inside the loop, finds the dialog of this thread and clicks its controls (the
// button sends its own WM_COMMAND), and reads what it shows.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace fxtest {

// The visible top-level window of this thread that holds a control of that id.
inline HWND FindDialogWith(int controlId)
{
    struct Search {
        int id;
        HWND found;
    } search{controlId, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (::IsWindowVisible(w) && ::GetDlgItem(w, s->id)) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline std::string WindowText(HWND w)
{
    char text[512] = {};
    ::GetWindowTextA(w, text, sizeof text);
    return text;
}

inline std::string ItemText(HWND dialog, int id)
{
    return WindowText(::GetDlgItem(dialog, id));
}

inline void Click(HWND dialog, int id)
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[512] = {};
        ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// A combo choice with the notification the user's choice sends.
inline void Choose(HWND dialog, int id, int index)
{
    HWND combo = ::GetDlgItem(dialog, id);
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// A tab chosen as the tab control reports a click.
inline void ChooseTab(HWND dialog, int id, int index)
{
    HWND tabs = ::GetDlgItem(dialog, id);
    ::SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header{tabs, static_cast<UINT_PTR>(id), static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&header));
}

// Runs steps one after the other from a timer while modal loops run; each step returns true
// when it is done (false: try again at the next tick). After too many ticks, counted while a
// step waits in a modal loop of its own too, this thread's dialogs get Cancel at every tick, so
// that a test that went wrong ends rather than hangs.
class Script {
public:
    explicit Script(std::vector<std::function<bool()>> steps, int maxTicks = 1500)
        : m_steps(std::move(steps)), m_maxTicks(maxTicks)
    {
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 20, &Script::Tick);
    }
    ~Script()
    {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    bool Finished() const { return m_next >= m_steps.size(); }
    bool TimedOut() const { return m_timedOut; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        Script* self = s_current;
        if (!self || (self->Finished() && !self->m_timedOut))
            return;
        if (self->m_timedOut || ++self->m_ticks > self->m_maxTicks) {
            self->m_timedOut = true;
            self->m_next = self->m_steps.size();
            CancelDialogs();
            return;
        }
        // A step may run a modal loop of its own (a message box, a nested dialog).
        if (self->m_busy)
            return;
        self->m_busy = true;
        const bool done = self->m_steps[self->m_next]();
        self->m_busy = false;
        if (done)
            ++self->m_next;
    }
    // Cancel to every visible dialog (an owned window or a system dialog) of this thread: the
    // active window may be none of them.
    static void CancelDialogs()
    {
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND w, LPARAM) -> BOOL {
                char name[16] = {};
                ::GetClassNameA(w, name, sizeof name);
                if (::IsWindowVisible(w) && (::GetWindow(w, GW_OWNER) || std::string(name) == "#32770"))
                    ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            },
            0);
    }
    static inline Script* s_current = nullptr;
    std::vector<std::function<bool()>> m_steps;
    int m_maxTicks;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
    size_t m_next = 0;
    bool m_busy = false;
    bool m_timedOut = false;
};

} // namespace fxtest
