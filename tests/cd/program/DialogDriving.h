// Driving the program's dialogs from the test process: waiting with messages flowing, list
// rows read and selected in the program's memory, and a line naming the boxes it shows.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace kvtest {
class ProgramProcess;
}

namespace cdtest {

void Pump(DWORD ms);
// True once ready() holds, false after ms.
bool WaitFor(const std::function<bool()>& ready, DWORD ms);
std::string RemoteListText(HWND list, int row, int column);
// Selects that row alone.
void RemoteSelectRow(HWND list, int row);
// The program's box with that title, waited for up to ms; null when none came.
HWND WaitForBoxTitled(const kvtest::ProgramProcess& program, const std::string& title, DWORD ms = 20000);
// "[title: message] ..." of every box the program shows.
std::string DescribeBoxes(const kvtest::ProgramProcess& program);
// Save As or Export (command) of the active document through the program's save dialog: the
// type of the path's extension chosen in its list, the full path typed into its name box; a
// question afterwards is answered No. True once the file is there and the program shows no box.
bool SaveActiveDocumentAs(const kvtest::ProgramProcess& program, HWND frame, UINT command, const std::string& path);

} // namespace cdtest
