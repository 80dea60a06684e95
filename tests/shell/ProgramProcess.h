// Copies of the program started as a user would start them, and what they show.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace kvtest {

// Removes the program's settings and its instance information, so a start begins as the
// first after installation.
void ClearProgramKey();

class ProgramProcess {
public:
    // exe: full path of the program; arguments after its quoted name; folder: its working folder.
    ProgramProcess(const std::string& exe, const std::string& arguments = "", const std::string& folder = "");
    ~ProgramProcess(); // ends a copy still running
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Started() const { return m_info.hProcess != nullptr; }
    DWORD Id() const { return m_info.dwProcessId; }
    // The visible main frame, waited for up to ms; null when none came.
    HWND WaitForFrame(DWORD ms = 15000) const;
    // The first visible box (dialog class) of the process, waited for up to ms.
    HWND WaitForBox(DWORD ms = 15000) const;
    std::vector<HWND> Boxes() const;
    // True when the process ended within ms; its exit code then.
    bool WaitForExit(DWORD ms, DWORD* code = nullptr) const;
    // Whether it ever had a visible top-level window of the frame class (checked by polling).
    HWND Frame() const;

private:
    PROCESS_INFORMATION m_info = {};
};

// The longest static text of a box: its message.
std::string BoxText(HWND box);
// True when a window below the top-level one has a title containing text.
bool HasChildTitled(HWND top, const std::string& text);

} // namespace kvtest
