#include "SingleInstance.h"

#include <ddeml.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

std::string GlobalMutexName()
{
    char name[128];
    snprintf(name, sizeof name, kGlobalMutexFormat, kMutexBlockName);
    return name;
}

std::string ReadInUseName(const void* block, size_t blockSize)
{
    if (!block || blockSize <= 4)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(block);
    DWORD lengthWord = 0;
    memcpy(&lengthWord, bytes, 4);
    if (lengthWord < 1)
        return {};
    // Any user may write the block: its word, 255 characters and the block all bound the name.
    size_t limit = std::min<size_t>({lengthWord, 255, blockSize - 4});
    const char* name = reinterpret_cast<const char*>(bytes + 4);
    return std::string(name, strnlen(name, limit));
}

void WriteInUseName(void* block, const char* name)
{
    auto* bytes = static_cast<unsigned char*>(block);
    size_t length = name ? strnlen(name, 255) : 0;
    DWORD lengthWord = length ? static_cast<DWORD>(length + 2) : 2; // with its zero, plus 1
    memcpy(bytes, &lengthWord, 4);
    if (length)
        memcpy(bytes + 4, name, length);
    bytes[4 + length] = 0;
    bytes[5 + length] = 0;
}

bool SystemHasGlobalBlock(DWORD major, DWORD minor)
{
    return (major == 5 && minor >= 1) || major > 6;
}

std::string PathAsStoredOnDisk(const char* path)
{
    char full[MAX_PATH];
    char* namePart = nullptr;
    DWORD length = ::GetFullPathNameA(path, MAX_PATH, full, &namePart);
    if (length == 0 || length >= MAX_PATH)
        return path;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(full, &found);
    if (find == INVALID_HANDLE_VALUE)
        return full;
    ::FindClose(find);
    std::string result(full);
    size_t slash = result.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : result.substr(0, slash + 1)) + found.cFileName;
}

namespace {

HDDEDATA CALLBACK IgnoreDdeEvent(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

} // namespace

int SendOpenToRunningInstance(const char* path, DWORD waitMs)
{
    DWORD instance = 0;
    const DWORD flags = APPCMD_CLIENTONLY | APPCMD_FILTERINITS | CBF_FAIL_ALLSVRXACTIONS | CBF_SKIP_REGISTRATIONS |
                        CBF_SKIP_UNREGISTRATIONS;
    if (::DdeInitializeA(&instance, IgnoreDdeEvent, flags, 0) != DMLERR_NO_ERROR)
        return 0;
    int handed = 0;
    HSZ service = ::DdeCreateStringHandleA(instance, kDdeService, CP_WINANSI);
    HSZ topic = ::DdeCreateStringHandleA(instance, kDdeTopic, CP_WINANSI);
    if (service && topic) {
        // A copy still starting answers once its main frame stands: ask again until then.
        const DWORD start = ::GetTickCount();
        HCONV conversation = nullptr;
        for (;;) {
            conversation = ::DdeConnect(instance, service, topic, nullptr);
            if (conversation || ::GetTickCount() - start >= waitMs)
                break;
            ::Sleep(100);
        }
        if (conversation) {
            std::string command = "[open(\"" + std::string(path) + "\")]";
            DWORD elapsed = ::GetTickCount() - start;
            DWORD timeout = std::max<DWORD>(waitMs > elapsed ? waitMs - elapsed : 0, 1000);
            // Sent and acknowledged before this copy goes: the running copy has the name.
            HDDEDATA result =
                ::DdeClientTransaction(reinterpret_cast<LPBYTE>(&command[0]), static_cast<DWORD>(command.size() + 1),
                                       conversation, nullptr, 0, XTYP_EXECUTE, timeout, nullptr);
            handed = result ? 1 : 0;
            ::DdeDisconnect(conversation);
        }
    }
    if (service)
        ::DdeFreeStringHandle(instance, service);
    if (topic)
        ::DdeFreeStringHandle(instance, topic);
    ::DdeUninitialize(instance);
    return handed;
}
