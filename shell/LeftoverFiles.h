// Temporary files that killed runs and killed saves left behind, removed at start-up once the
// recovery of a killed session is settled. Only this program's own names are touched, and
// only files nothing holds open:
// - in the temporary folder, the program's and the engine's scratch files ("NY*.tmp",
//   "KMT*.tmp") written before this run that no open document uses; none while a session
//   file of an earlier run stays there for a later attempt, whose edits may need them;
// - beside the files the program saves, the "NY<hex>.tmp" a killed save left.
// Nothing is removed while another copy of the program runs (another user's): its files of
// this moment are not told apart from those left behind.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct IMtTempStore;

// Whether nothing has the file open: it can be opened for nobody else.
bool IsUnheld(const std::string& path);
// "NY" and one to four hexadecimal digits, ".tmp": the name a save's scratch file gets.
bool IsSaveScratchName(const char* name);
// A session file ("KVC*.tmp") in the folder that nothing holds: kept for a later attempt.
bool HasKeptSessionFiles(const std::string& folder);
// Deletes the save scratch files in the folders written before this run that nothing holds;
// the count deleted.
int RemoveLeftoverSaveFiles(const std::vector<std::string>& folders);
// The whole clean-up: the temporary folder through the engine's store (open documents' files
// listed as in use), then the save scratch files in the folders of the open documents, the
// recent files and the last save.
void RemoveLeftoverFiles(IMtTempStore* store);
