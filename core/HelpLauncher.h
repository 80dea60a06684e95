// HelpLauncher: opens help topics in the user's browser. A topic number is looked up in the
// help index "KvSound.dat" (a profile file in the help folder): section "Help" maps numbers
// to pages relative to the help folder, section "URL" maps numbers with the top bit set
// (key = the number without it) to web addresses.
//
// The help folder is the setting "Settings"/"HelpPath", else the folder "HELP" beside the
// folder that holds the program (C:\A\B\prog.exe -> C:\A\HELP\); the demo folder likewise
// with "DemoPath" and "AutoDemo".
#pragma once
#include <windows.h>

#include <string>

constexpr const char* kHelpIndexFile = "KvSound.dat";
constexpr DWORD kTopicContents = 1;
constexpr DWORD kTopicMakerWebPage = 0x80000001;
constexpr DWORD kTopicRulerUnits = 305;

// The folder named folderName beside the folder that holds the program file, with a closing
// backslash; "" when the program path has no folder above its own.
std::string SiblingFolderOfProgram(const std::string& programPath, const char* folderName);

class HelpLauncher {
public:
    HelpLauncher();
    virtual ~HelpLauncher() = default;

    // Folder texts, ending in a backslash, copied into buffer (bounded, ended when it fits);
    // return the text's length (0 when none).
    int GetHelpFolder(DWORD capacity, char* buffer);
    int GetDemoFolder(DWORD capacity, char* buffer);
    // 1 when the topic's page or address was opened; 0 (nothing shown) when the index, the
    // section or the key is missing or a path would be too long.
    BOOL ShowTopic(DWORD topic, DWORD_PTR owner);
    // Opens a page (or an address) in the default browser with the program's folder as the
    // current directory for the call; shows string 11400 when no browser is set.
    virtual BOOL OpenPage(const char* page, BOOL isAddress);
    // The program that opens "index.html" of the help folder; isIexplore when its file name is
    // exactly "iexplore".
    BOOL FindBrowser(char* browserPath, BOOL* isIexplore);

    // The help folder read at construction; empty when there is none or it does not fit MAX_PATH.
    const char* HelpFolder() const { return m_helpFolder; }

private:
    DWORD_PTR m_owner = 0;
    char m_helpFolder[MAX_PATH];
};

// Starts "autodemo.exe" of the demo folder; 1 when started.
BOOL StartAutoDemo();
