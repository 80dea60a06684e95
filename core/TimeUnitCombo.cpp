#include "TimeUnitCombo.h"

#include "PositionText.h"
#include "ResourceModule.h"

#include <string>

namespace {
// String ids of the unit names, in flag order.
constexpr UINT kFirstUnitNameId = 10004;
constexpr uint32_t kUnitCount = 6;
} // namespace

void FillTimeUnitCombo(HWND combo, uint32_t unit)
{
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (uint32_t i = 0; i < kUnitCount; ++i) {
        char name[64] = {};
        LoadStringA(GetResourceModule(), kFirstUnitNameId + i, name, sizeof name);
        const LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (index >= 0)
            SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(1u << i));
    }
    SelectTimeUnit(combo, unit);
}

uint32_t GetSelectedTimeUnit(HWND combo)
{
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    return static_cast<uint32_t>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

int SelectTimeUnit(HWND combo, uint32_t unit)
{
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const uint32_t flag = static_cast<uint32_t>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        if (flag & unit) {
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return static_cast<int>(i);
        }
    }
    return -1;
}

int64_t UpdatePositionEdit(HWND edit, uint32_t rate, uint32_t unit, double frameRate, int64_t current)
{
    if (!edit || rate == 0 || unit == 0)
        return -1;
    const int length = GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(edit, &text[0], length + 1);
    text.resize(static_cast<size_t>(length) < text.size() ? static_cast<size_t>(length) : text.size());
    const std::string currentText = FormatPosition(rate, unit, frameRate, current);
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        SetWindowTextA(edit, currentText.c_str());
        return current;
    }
    const int64_t parsed = ParsePosition(text.c_str(), rate, unit, frameRate);
    if (parsed == -1)
        return -1;
    return FormatPosition(rate, unit, frameRate, parsed) != currentText ? parsed : current;
}
