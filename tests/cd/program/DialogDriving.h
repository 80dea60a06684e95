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
// "[title: message] ..." of every box the program shows.
std::string DescribeBoxes(const kvtest::ProgramProcess& program);

} // namespace cdtest
