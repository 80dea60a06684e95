#include "PaneToolTip.h"

#include <commctrl.h>

HWND CreatePaneToolTip(HWND owner)
{
    HWND tip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
    if (tip)
        ::SendMessageA(tip, TTM_ACTIVATE, TRUE, 0);
    return tip;
}

void RemovePaneTool(HWND tip, HWND owner, UINT_PTR id)
{
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = id;
    ::SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void SetPaneTool(HWND tip, HWND owner, UINT_PTR id, const RECT& rect, const char* text)
{
    RemovePaneTool(tip, owner, id);
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = 0;
    tool.hwnd = owner;
    tool.uId = id;
    tool.rect = rect;
    tool.lpszText = const_cast<char*>(text);
    ::SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}
