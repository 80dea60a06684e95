#include "HelpLauncher.h"

#include "CoreMessageBox.h"
#include "FileNames.h"
#include "Settings.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

namespace {

std::string ProgramPath()
{
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length && length < MAX_PATH ? std::string(path, length) : std::string();
}

// The setting's folder with a closing backslash, else the sibling folder of the program.
int FolderRule(const char* entry, const char* folderName, DWORD capacity, char* buffer)
{
    char value[MAX_PATH];
    std::string folder;
    if (GetSettingBuffer(kSettingsSection, entry, "", value, sizeof(value)) > 0) {
        folder = value;
        if (folder.back() != '\\')
            folder += '\\';
    } else {
        folder = SiblingFolderOfProgram(ProgramPath(), folderName);
    }
    if (buffer && capacity) {
        size_t copy = folder.size() + 1 <= capacity ? folder.size() + 1 : capacity;
        std::memcpy(buffer, folder.c_str(), copy);
    }
    return static_cast<int>(folder.size());
}

// Sets the current directory to the program's folder and restores the earlier one on exit.
class ProgramFolderAsCurrent {
public:
    ProgramFolderAsCurrent()
    {
        m_saved = ::GetCurrentDirectoryA(MAX_PATH, m_previous) > 0;
        ::SetCurrentDirectoryA(SplitDirectory(ProgramPath(), false).c_str());
    }
    ~ProgramFolderAsCurrent()
    {
        if (m_saved)
            ::SetCurrentDirectoryA(m_previous);
    }

private:
    char m_previous[MAX_PATH];
    bool m_saved = false;
};

// TRUE for a shell result above 32; the two codes that mean "no browser" show the message.
BOOL ShellResult(HINSTANCE result, INT_PTR noBrowser1, INT_PTR noBrowser2)
{
    INT_PTR code = reinterpret_cast<INT_PTR>(result);
    if (code > 32)
        return TRUE;
    if (code == noBrowser1 || code == noBrowser2)
        ShowCoreMessage(kIdsNoDefaultBrowser, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

BOOL FindResult(HINSTANCE result)
{
    return ShellResult(result, ERROR_BAD_FORMAT, SE_ERR_NOASSOC);
}

BOOL ExecuteResult(HINSTANCE result)
{
    return ShellResult(result, SE_ERR_ASSOCINCOMPLETE, SE_ERR_NOASSOC);
}

} // namespace

std::string SiblingFolderOfProgram(const std::string& programPath, const char* folderName)
{
    std::string directory = SplitDirectory(programPath, true); // "C:\A\B"
    size_t separator = directory.find_last_of('\\');
    if (separator == std::string::npos)
        return std::string();
    return directory.substr(0, separator) + "\\" + folderName + "\\";
}

HelpLauncher::HelpLauncher()
{
    std::memset(m_helpFolder, 0, sizeof(m_helpFolder));
    // A folder that does not fit with its end mark would be cut and left unterminated.
    if (GetHelpFolder(sizeof(m_helpFolder), m_helpFolder) >= static_cast<int>(sizeof(m_helpFolder)))
        m_helpFolder[0] = '\0';
}

int HelpLauncher::GetHelpFolder(DWORD capacity, char* buffer)
{
    return FolderRule("HelpPath", "HELP", capacity, buffer);
}

int HelpLauncher::GetDemoFolder(DWORD capacity, char* buffer)
{
    return FolderRule("DemoPath", "AutoDemo", capacity, buffer);
}

BOOL HelpLauncher::ShowTopic(DWORD topic, DWORD_PTR owner)
{
    m_owner = owner;
    const size_t folderLength = std::strlen(m_helpFolder);
    if (folderLength == 0 || folderLength + std::strlen(kHelpIndexFile) >= MAX_PATH)
        return FALSE;
    const std::string index = std::string(m_helpFolder) + kHelpIndexFile;
    const bool isAddress = (topic & 0x80000000u) != 0;
    char key[16];
    std::snprintf(key, sizeof(key), "%lu", static_cast<unsigned long>(topic & 0x7FFFFFFFu));
    char value[MAX_PATH];
    ::GetPrivateProfileStringA(isAddress ? "URL" : "Help", key, "", value, sizeof(value), index.c_str());
    if (value[0] == '\0')
        return FALSE;
    if (isAddress)
        return OpenPage(value, TRUE);
    if (folderLength + std::strlen(value) >= MAX_PATH)
        return FALSE;
    return OpenPage((std::string(m_helpFolder) + value).c_str(), FALSE);
}

BOOL HelpLauncher::FindBrowser(char* browserPath, BOOL* isIexplore)
{
    *isIexplore = FALSE;
    browserPath[0] = '\0';
    const std::string index = std::string(m_helpFolder) + "index.html";
    HINSTANCE result = ::FindExecutableA(index.c_str(), nullptr, browserPath);
    if (!FindResult(result))
        return FALSE;
    std::string name = SplitFileName(browserPath);
    name = name.substr(0, name.find_last_of('.'));
    *isIexplore = name == "iexplore";
    return TRUE;
}

BOOL HelpLauncher::OpenPage(const char* page, BOOL /*isAddress*/)
{
    char browser[MAX_PATH];
    BOOL isIexplore = FALSE;
    if (!FindBrowser(browser, &isIexplore))
        return FALSE;
    ProgramFolderAsCurrent current;
    HINSTANCE result = isIexplore ? ::ShellExecuteA(nullptr, "open", browser, page, nullptr, SW_SHOWNORMAL)
                                  : ::ShellExecuteA(nullptr, "open", page, nullptr, nullptr, SW_SHOW);
    return ExecuteResult(result);
}

BOOL StartAutoDemo()
{
    char folder[MAX_PATH];
    int length = FolderRule("DemoPath", "AutoDemo", sizeof(folder), folder);
    if (length == 0 || length + std::strlen("autodemo.exe") >= MAX_PATH)
        return FALSE;
    const std::string path = std::string(folder) + "autodemo.exe";
    ProgramFolderAsCurrent current;
    return ExecuteResult(::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}
