// Helpers for tests that run under Wine beside the program's binaries.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace kvtest {

// Folder of the running test executable, with a trailing backslash: the build's bin folder,
// where the program and every module lie.
std::string BinFolder();
// Runs the disabled test `test` of the program `exeName` (in BinFolder) as a child with the
// environment variable set to `value`, and kills it with `killedCode` once it sets `midway`.
// True when the child was killed there; its exit code goes to *code either way.
bool KillChildAtEvent(const std::string& exeName, const std::string& test, const char* variable,
                      const std::string& value, HANDLE midway, UINT killedCode, DWORD* code);

// The environment variable's whole number, or otherwise when it is not set (a fuzz's rounds,
// longer by hand than in the suite).
unsigned EnvNumber(const char* name, unsigned otherwise);

// Names exported by a loaded module, read from its PE export directory.
std::vector<std::string> ExportedNames(HMODULE module);

// A fresh empty folder under the system temporary folder, removed with its files on destruction.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; } // with trailing backslash
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

} // namespace kvtest
