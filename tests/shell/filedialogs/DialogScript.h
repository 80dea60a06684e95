// Scripts that drive this thread's dialogs from a timer while their modal loops run: the
// system's file dialogs and the program's boxes over them.
#pragma once
#include <windows.h>
#include <dlgs.h>

#include <functional>
#include <string>

namespace kvtest {

// Runs a script on a thread timer while a dialog's modal loop (or a box's over it) runs.
class TimerScript {
public:
    explicit TimerScript(std::function<bool()> script) : m_script(std::move(script))
    {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 50, &TimerScript::Tick);
    }
    ~TimerScript()
    {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_current && !s_current->m_done && !s_current->m_busy) {
            s_current->m_busy = true;
            s_current->m_done = s_current->m_script();
            s_current->m_busy = false;
        }
    }
    inline static TimerScript* s_current = nullptr;
    std::function<bool()> m_script;
    UINT_PTR m_timer = 0;
    bool m_done = false, m_busy = false;
};

inline HWND NameBox(HWND explorer)
{
    HWND box = ::GetDlgItem(explorer, cmb13);
    return box ? box : ::GetDlgItem(explorer, edt1);
}

// The message box of this thread showing over the dialog, or null.
inline HWND FindBox(HWND explorer)
{
    struct Search {
        HWND explorer, found;
    } search{explorer, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND wnd, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            char cls[16] = {};
            GetClassNameA(wnd, cls, sizeof(cls));
            if (wnd != s->explorer && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(wnd) && GetDlgItem(wnd, 0xFFFF)) {
                s->found = wnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace kvtest
