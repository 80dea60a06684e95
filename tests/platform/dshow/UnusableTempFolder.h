// UnusableTempFolder: while it lives, the system's temporary folder (TMP and TEMP) lies below a
// file, so that no file can be made there: a tracks writer that makes its files there cannot
// start. The variables come back as they were when it goes.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

class UnusableTempFolder {
public:
    UnusableTempFolder()
    {
        for (int i = 0; i < 2; ++i)
            had_[i] = ::GetEnvironmentVariableA(kNames[i], saved_[i], MAX_PATH) != 0;
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        blocker_ = std::string(temp) + "kv-blocker-" + std::to_string(::GetCurrentProcessId());
        FILE* f = std::fopen(blocker_.c_str(), "wb");
        ok_ = f != nullptr;
        if (f)
            std::fclose(f);
        const std::string below = blocker_ + "\\kv5eu\\";
        for (const char* name : kNames)
            ::SetEnvironmentVariableA(name, below.c_str());
    }
    ~UnusableTempFolder()
    {
        for (int i = 0; i < 2; ++i)
            ::SetEnvironmentVariableA(kNames[i], had_[i] ? saved_[i] : nullptr);
        ::DeleteFileA(blocker_.c_str());
    }
    UnusableTempFolder(const UnusableTempFolder&) = delete;
    UnusableTempFolder& operator=(const UnusableTempFolder&) = delete;

    bool Ok() const { return ok_; }

private:
    static constexpr const char* kNames[2] = {"TMP", "TEMP"};
    std::string blocker_;
    char saved_[2][MAX_PATH] = {};
    bool had_[2] = {};
    bool ok_ = false;
};
