// Helpers for tests that run under Wine beside the program's binaries.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace kvtest {

// Folder of the running test executable, with a trailing backslash: the build's bin folder,
// where the program and every module lie.
std::string BinFolder();
// Ends a child test program at a moment of the parent's choosing, as a kill from outside would,
// but by the child itself (its test main watches an event named in its environment). Wine
// reports a process ended from outside while its last write may still be landing, so a test
// reading the child's files then can see them change under it; a process that ends itself is
// reported ended only once all of it is gone.
class ChildKill {
public:
    explicit ChildKill(UINT killedCode);
    ~ChildKill();
    ChildKill(const ChildKill&) = delete;
    ChildKill& operator=(const ChildKill&) = delete;
    // Around the CreateProcess of the child: names the event in the environment it inherits.
    void Arm();
    void Disarm();
    // Ends the child and waits for it; one that does not end itself in time is ended from outside.
    void Now(HANDLE process);

private:
    HANDLE m_event;
    std::string m_name;
    UINT m_code;
};
// In a test program's entry: when started as a killed child, the watch that ends it.
void WatchForChildKill();

// Runs the disabled test `test` of the program `exeName` (in BinFolder) as a child with the
// environment variable set to `value`, and kills it with `killedCode` once it sets `midway`
// (see ChildKill). True when the child was killed there; its exit code goes to *code either way.
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
