// What the settings dialog tests share: reading and typing into controls, clicking buttons and
// tabs as the user does, and a script that drives the next modal loop from a timer.
#pragma once
#include "Framework.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace settingstest {

inline std::string Text(HWND dialog, int id)
{
    HWND control = ::GetDlgItem(dialog, id);
    std::string text((size_t)::GetWindowTextLengthA(control) + 1, '\0');
    text.resize((size_t)::GetWindowTextA(control, &text[0], (int)text.size()));
    return text;
}

// Types text into an edit (or an editable combo's edit) as the user does: focus, replace, leave.
inline void Type(HWND dialog, int id, const char* text)
{
    HWND control = ::GetDlgItem(dialog, id);
    ::SetFocus(control);
    ::SetWindowTextA(control, text);
    HWND edit = ::FindWindowExA(control, nullptr, "Edit", nullptr);
    ::SendMessageA(edit ? edit : control, EM_SETMODIFY, TRUE, 0);
}

// A button click as the button sends it.
inline void Click(HWND dialog, int id)
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A button's click as the dialog hears it (also for buttons hidden or disabled at the time).
inline void Press(HWND dialog, int id)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(dialog, id));
}

// A combo or list box choice with the notification the user's choice sends.
inline void Choose(HWND dialog, int id, int index)
{
    HWND control = ::GetDlgItem(dialog, id);
    char className[32] = "";
    ::GetClassNameA(control, className, (int)sizeof className);
    bool list = _stricmp(className, "ListBox") == 0;
    ::SendMessageA(control, list ? LB_SETCURSEL : CB_SETCURSEL, (WPARAM)index, 0);
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, list ? LBN_SELCHANGE : CBN_SELCHANGE), (LPARAM)control);
}

inline std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    int count = (int)::SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        ::SendMessageA(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
        items.push_back(text);
    }
    return items;
}

// Runs script from a thread timer inside the next modal loop until it returns true.
class ModalScript {
public:
    explicit ModalScript(std::function<bool()> script, int maxTicks = 250)
        : m_script(std::move(script)), m_maxTicks(maxTicks)
    {
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 20, &ModalScript::Tick);
    }
    ~ModalScript()
    {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ModalScript* self = s_current;
        if (!self || self->m_done)
            return;
        if (++self->m_ticks > self->m_maxTicks) { // end the loop rather than hang
            self->m_done = true;
            if (HWND active = ::GetActiveWindow())
                ::PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        self->m_done = self->m_script();
    }
    static inline ModalScript* s_current = nullptr;
    std::function<bool()> m_script;
    int m_maxTicks;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
    bool m_done = false;
};

// Catches the framework's message boxes for the test's life, answering IDOK.
class MessageCatcher {
public:
    MessageCatcher()
    {
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
            messages.push_back(text);
            return IDOK;
        });
    }
    ~MessageCatcher() { AfxSetMessageBoxHook(nullptr); }
    std::vector<std::string> messages;
};

} // namespace settingstest
