// One copy of the program per logon session, and none while another user runs it: the names
// of the mutexes and of the block that tells who runs it, and the hand-over of a file to the
// running copy by a DDE execute.
#pragma once
#include <windows.h>

#include <string>

constexpr const char kMutexBlockName[] = "KorvaneSound.MutexBlock";
constexpr const char kGlobalMutexFormat[] = "Global\\%sGlobal";
constexpr const char kSharedBlockName[] = "Global\\KvSoundMap";
constexpr DWORD kSharedBlockSize = 4096;
constexpr const char kDdeService[] = "KvSound";
constexpr const char kDdeTopic[] = "System";

std::string GlobalMutexName();

// The user name of a block of blockSize readable bytes: bounded by its length word, by 255
// characters and by the block, and terminated. Empty when the block names nobody.
std::string ReadInUseName(const void* block, size_t blockSize);
// Writes the length word and the terminated name (at most 255 characters) into a block of
// kSharedBlockSize bytes.
void WriteInUseName(void* block, const char* name);

// Only on NT 5.1 and later 5.x, or a major version above 6, do copies of other users meet.
bool SystemHasGlobalBlock(DWORD major, DWORD minor);

// The full path of an existing file with its name as stored on disk; the path as given
// (made full) when it is not found.
std::string PathAsStoredOnDisk(const char* path);

// Hands "[open("path")]" to the running copy: waits up to waitMs for a copy still starting to
// answer, then sends the execute and waits for its acknowledgement. 1 when the copy took it.
int SendOpenToRunningInstance(const char* path, DWORD waitMs = 5000);
