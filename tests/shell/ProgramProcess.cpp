#include "ProgramProcess.h"

namespace kvtest {

namespace {

struct Search {
    DWORD pid;
    bool boxes;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND wnd, LPARAM lp)
{
    auto* search = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != search->pid || !IsWindowVisible(wnd))
        return TRUE;
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (lstrcmpA(cls, search->boxes ? "#32770" : "KorvaneSound FrameWnd") == 0)
        search->found.push_back(wnd);
    return TRUE;
}

std::vector<HWND> Find(DWORD pid, bool boxes)
{
    Search search = {pid, boxes, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct TitleSearch {
    const std::string* text;
    bool found;
};

BOOL CALLBACK MatchTitle(HWND wnd, LPARAM lp)
{
    auto* search = reinterpret_cast<TitleSearch*>(lp);
    char title[512] = {};
    GetWindowTextA(wnd, title, sizeof title);
    if (std::string(title).find(*search->text) != std::string::npos) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void ClearProgramKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Korvane\\Common\\KorvaneSound");
}

ProgramProcess::ProgramProcess(const std::string& exe, const std::string& arguments, const std::string& folder)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &m_info))
        m_info = {};
}

ProgramProcess::~ProgramProcess()
{
    if (!m_info.hProcess)
        return;
    if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_info.hProcess, 1);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
}

HWND ProgramProcess::Frame() const
{
    std::vector<HWND> frames = Find(m_info.dwProcessId, false);
    return frames.empty() ? nullptr : frames.front();
}

HWND ProgramProcess::WaitForFrame(DWORD ms) const
{
    for (DWORD waited = 0;; waited += 50) {
        if (HWND frame = Frame())
            return frame;
        if (waited >= ms || WaitForSingleObject(m_info.hProcess, 0) == WAIT_OBJECT_0)
            return nullptr;
        Sleep(50);
    }
}

std::vector<HWND> ProgramProcess::Boxes() const
{
    return Find(m_info.dwProcessId, true);
}

HWND ProgramProcess::WaitForBox(DWORD ms) const
{
    for (DWORD waited = 0;; waited += 50) {
        std::vector<HWND> boxes = Boxes();
        if (!boxes.empty())
            return boxes.front();
        if (waited >= ms || WaitForSingleObject(m_info.hProcess, 0) == WAIT_OBJECT_0)
            return nullptr;
        Sleep(50);
    }
}

bool ProgramProcess::WaitForExit(DWORD ms, DWORD* code) const
{
    if (WaitForSingleObject(m_info.hProcess, ms) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(m_info.hProcess, code);
    return true;
}

std::string BoxText(HWND box)
{
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        char buffer[2048] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        if (lstrcmpiA(cls, "Static") == 0 && lstrlenA(buffer) > static_cast<int>(text.size()))
            text = buffer;
    }
    return text;
}

bool HasChildTitled(HWND top, const std::string& text)
{
    TitleSearch search = {&text, false};
    EnumChildWindows(top, MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace kvtest
