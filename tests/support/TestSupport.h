// Helpers for tests that run under Wine beside the program's binaries.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace kvtest {

// Folder of the running test executable, with a trailing backslash: the build's bin folder,
// where the program and every module lie.
std::string BinFolder();

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
