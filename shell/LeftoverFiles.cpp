#include "LeftoverFiles.h"

#include "ComRef.h"
#include "Framework.h"
#include "FwRecentFileList.h"
#include "KsMultiTrack.h"
#include "MultiTrackDoc.h"
#include "Settings.h"
#include "TempFilePaths.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

FILETIME ThisRunStart()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        ::GetSystemTimeAsFileTime(&created);
    return created;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Another copy of the program runs, in another user's session (a second copy in this session
// hands its file over and ends before its start gets this far). Its scratch files may be
// closed for a moment between two steps, and were written before this run began: from here
// they look left behind. When it cannot be told, another copy is taken to run.
bool AnotherCopyRuns()
{
    char self[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return true;
    const char* slash = std::strrchr(self, '\\');
    const char* name = slash ? slash + 1 : self;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return true;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32First(snapshot, &entry); more && !found; more = ::Process32Next(snapshot, &entry))
        found = entry.th32ProcessID != ::GetCurrentProcessId() && _stricmp(entry.szExeFile, name) == 0;
    ::CloseHandle(snapshot);
    return found;
}

std::vector<CNyMultiTrackDoc*> OpenDocuments()
{
    std::vector<CNyMultiTrackDoc*> documents;
    CWinApp* app = AfxGetApp();
    POSITION templates = app ? app->GetFirstDocTemplatePosition() : nullptr;
    if (CDocTemplate* docTemplate = templates ? app->GetNextDocTemplate(templates) : nullptr)
        for (POSITION pos = docTemplate->GetFirstDocPosition(); pos;)
            if (auto* document = dynamic_cast<CNyMultiTrackDoc*>(docTemplate->GetNextDoc(pos)))
                documents.push_back(document);
    return documents;
}

} // namespace

bool IsUnheld(const std::string& path)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(h);
    return true;
}

bool IsSaveScratchName(const char* name)
{
    const size_t length = std::strlen(name);
    if (length < 7 || length > 10 || _strnicmp(name, "NY", 2) != 0 || _stricmp(name + length - 4, ".tmp") != 0)
        return false;
    for (size_t i = 2; i < length - 4; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

bool HasKeptSessionFiles(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "\\KVC*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool kept = false;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsUnheld(folder + "\\" + found.cFileName))
            kept = true;
    while (!kept && ::FindNextFileA(find, &found));
    ::FindClose(find);
    return kept;
}

int RemoveLeftoverSaveFiles(const std::vector<std::string>& folders)
{
    const FILETIME start = ThisRunStart();
    int removed = 0;
    for (const std::string& folder : folders) {
        WIN32_FIND_DATAA found;
        HANDLE find = ::FindFirstFileA((folder + "\\NY*.tmp").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        std::vector<std::string> doomed;
        do
            if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) &&
                IsSaveScratchName(found.cFileName) && ::CompareFileTime(&found.ftLastWriteTime, &start) < 0)
                doomed.push_back(folder + "\\" + found.cFileName);
        while (::FindNextFileA(find, &found));
        ::FindClose(find);
        for (const std::string& path : doomed)
            if (IsUnheld(path) && ::DeleteFileA(path.c_str()))
                ++removed;
    }
    return removed;
}

void RemoveLeftoverFiles(IMtTempStore* store)
{
    // A later start, with no other copy running, removes them.
    if (AnotherCopyRuns())
        return;
    TempFilePaths paths;
    std::string temp = paths.GetFolder();
    while (!temp.empty() && (temp.back() == '\\' || temp.back() == '/'))
        temp.pop_back();
    const std::vector<CNyMultiTrackDoc*> documents = OpenDocuments();

    std::vector<std::string> folders;
    for (CNyMultiTrackDoc* document : documents)
        folders.push_back(FolderOf(static_cast<const char*>(document->GetPathName())));
    if (CWinApp* app = AfxGetApp())
        if (CRecentFileList* recent = app->m_pRecentFileList)
            for (int i = 0; i < recent->GetCount(); ++i)
                folders.push_back(FolderOf(static_cast<const char*>((*recent)[i])));
    std::string lastSave;
    GetSettingString("Settings", "LastSaveDir", "", &lastSave);
    folders.push_back(lastSave);
    for (std::string& folder : folders)
        while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
            folder.pop_back();
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) < 0; });
    folders.erase(std::unique(folders.begin(), folders.end(),
                              [](const std::string& a, const std::string& b) {
                                  return _stricmp(a.c_str(), b.c_str()) == 0;
                              }),
                  folders.end());
    folders.erase(std::remove(folders.begin(), folders.end(), std::string()), folders.end());

    // The temporary folder is the engine's to clean: it knows the files its items use. A
    // session kept there for a later attempt may need any scratch file of its run.
    if (temp.empty() || HasKeptSessionFiles(temp)) {
    } else if (ComRef<IMtTempSettings> settings = QueryCom<IMtTempSettings>(store)) {
        std::vector<MtFileItemRecord> records;
        for (CNyMultiTrackDoc* document : documents) {
            MtFileItemRecord record{};
            lstrcpynA(record.path, document->GetPathName(), static_cast<int>(sizeof record.path));
            records.push_back(record);
        }
        settings->DeleteUnusedFiles(records.empty() ? nullptr : records.data(), static_cast<LONG>(records.size()));
    }
    RemoveLeftoverSaveFiles(folders);
}
