#include "TempStore.h"

#include "Item.h"

#include "KvSSException.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <tuple>

namespace {

using Key = std::tuple<std::string, WORD, WORD, WORD, DWORD>;


// Nobody holds the file open (a held file may be a journal being written).
bool IsUnheld(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

HRESULT DeleteUnusedTempFiles(const MtFileItemRecord* documents, LONG count)
{
    std::vector<std::string> listed;
    for (LONG i = 0; i < count; ++i)
        listed.push_back(
            PathKey(std::string(documents[i].path, strnlen(documents[i].path, sizeof(documents[i].path)))));
    std::string folder = GetEngineTempFolder();
    if (folder.empty())
        return S_OK;
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    // Files written since this run began may belong to an open document's journal or clips.
    const FILETIME start = ThisRunStart();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return S_OK;
    std::vector<std::string> doomed;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
            continue;
        if (!IsEngineTempName(found.cFileName) || CompareFileTime(&found.ftLastWriteTime, &start) >= 0)
            continue;
        std::string path = folder + found.cFileName;
        if (std::find(listed.begin(), listed.end(), PathKey(path)) != listed.end())
            continue;
        doomed.push_back(path);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    for (const std::string& path : doomed)
        if (!IsFileUsedByItems(path) && IsUnheld(path))
            DeleteFileA(path.c_str());
    return S_OK;
}

std::mutex& StoreLock()
{
    static std::mutex lock;
    return lock;
}
// The size and last write of the file a record names; zero when it cannot be read.
struct FileStamp {
    uint64_t size = 0;
    uint64_t written = 0;
    bool operator==(const FileStamp& o) const { return size == o.size && written == o.written; }
};

FileStamp StampOf(const MtFileItemRecord& r)
{
    std::string path(r.path, strnlen(r.path, sizeof(r.path)));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FileStamp stamp;
    if (!path.empty() && GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        stamp.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.written = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    }
    return stamp;
}

// A held item and the stamp its source file had when it was registered: once the file
// changes (a project saved over), the item no longer stands for it.
struct HeldItem {
    std::weak_ptr<const ItemData> data;
    FileStamp stamp;
};

std::map<Key, HeldItem>& Store()
{
    static std::map<Key, HeldItem> items;
    return items;
}

Key KeyOf(const MtFileItemRecord& r)
{
    std::string path(r.path, strnlen(r.path, sizeof(r.path)));
    for (char& c : path)
        c = c == '/' ? '\\' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return Key{path, r.trackNumber, r.channels, r.bitsPerSample, r.samplesPerSec};
}

class CTempStore : public ComObject<IMtTempStore, IMtTempSettings> {
public:
    STDMETHODIMP Reserved3() override { return E_NOTIMPL; }
    STDMETHODIMP LookupTrack(const MtFileItemRecord* record, IUnknown** item, DWORD flags) override
    {
        if (!record || !item)
            return E_POINTER;
        *item = nullptr;
        try {
            ItemDataPtr data = FindStoredItem(*record);
            // Opening a file as raw samples is for take files only: a load's request would
            // read a sound file's header as sound.
            if (!data && !(flags & kMtLookupHeldOnly) && record->trackNumber == 0 && record->path[0]) {
                std::string path(record->path, strnlen(record->path, sizeof(record->path)));
                if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
                    MtFormat f;
                    f.rate = record->samplesPerSec;
                    f.bits = record->bitsPerSample;
                    f.channels = record->channels;
                    data = ItemData::OpenFile(path, std::string(), f, true);
                    RegisterStoredItem(*record, data);
                }
            }
            Log(*record, data != nullptr);
            if (!data)
                return S_FALSE;
            CItem* own = Create<CItem>(data, *record);
            if (!own)
                return E_OUTOFMEMORY;
            *item = static_cast<IMtItem*>(own);
            return S_OK;
        } catch (const CKvSSException& e) {
            return e.m_hr;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    STDMETHODIMP Open() override
    {
        m_open = true;
        return S_OK;
    }
    STDMETHODIMP Close() override
    {
        m_open = false;
        return S_OK;
    }

    STDMETHODIMP GetLogging(LONG* on) override
    {
        if (!on)
            return E_POINTER;
        *on = m_logging ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP DeleteUnusedFiles(const MtFileItemRecord* documents, LONG count) override
    {
        if (count < 0)
            return E_INVALIDARG;
        if (count > 0 && !documents)
            return E_POINTER;
        try {
            return DeleteUnusedTempFiles(documents, count);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    STDMETHODIMP SetLogging(LONG on) override
    {
        m_logging = on != 0;
        return S_OK;
    }
    STDMETHODIMP GetFolder(char* buffer, DWORD capacity) override
    {
        if (!buffer || capacity == 0)
            return E_POINTER;
        std::string folder = GetEngineTempFolder();
        if (folder.size() >= capacity)
            return E_INVALIDARG;
        memcpy(buffer, folder.c_str(), folder.size() + 1);
        return S_OK;
    }
    STDMETHODIMP SetFolder(const char* folder) override
    {
        if (!folder || !*folder)
            return E_INVALIDARG;
        SetEngineTempFolder(folder);
        return S_OK;
    }

private:
    void Log(const MtFileItemRecord& r, bool held)
    {
        if (!m_logging)
            return;
        std::string folder = GetEngineTempFolder();
        if (folder.empty())
            return;
        if (folder.back() != '\\' && folder.back() != '/')
            folder += '\\';
        std::ofstream log(folder + "KsMtStore.log", std::ios::app);
        log << (held ? "held " : "miss ") << std::string(r.path, strnlen(r.path, sizeof(r.path))) << " track "
            << r.trackNumber << " " << r.channels << "ch " << r.bitsPerSample << "bit " << r.samplesPerSec << "Hz\n";
    }

    bool m_logging = false;
    bool m_open = false;
};

} // namespace

void RegisterStoredItem(const MtFileItemRecord& record, const ItemDataPtr& data)
{
    std::lock_guard<std::mutex> guard(StoreLock());
    auto& store = Store();
    for (auto it = store.begin(); it != store.end();)
        it = it->second.data.expired() ? store.erase(it) : std::next(it);
    store[KeyOf(record)] = HeldItem{data, StampOf(record)};
}

ItemDataPtr FindStoredItem(const MtFileItemRecord& record)
{
    std::lock_guard<std::mutex> guard(StoreLock());
    auto it = Store().find(KeyOf(record));
    if (it == Store().end())
        return nullptr;
    if (!(it->second.stamp == StampOf(record))) {
        Store().erase(it);
        return nullptr;
    }
    return it->second.data.lock();
}

HRESULT CreateTempStore(IMtTempStore** store)
{
    if (!store)
        return E_POINTER;
    *store = ComObject<IMtTempStore>::Create<CTempStore>();
    return *store ? S_OK : E_OUTOFMEMORY;
}
