#include "KsMultiTrackLoader.h"

#include <mutex>
#include <string>

namespace {

struct Binding {
    std::mutex lock;
    HMODULE module = nullptr;
    PFN_MtCreateTrackSet createTrackSet = nullptr;
    PFN_MtCreateItemList createItemList = nullptr;
    PFN_MtCreateClip createClip = nullptr;
    PFN_MtCreateTempStore createTempStore = nullptr;

    void Clear()
    {
        module = nullptr;
        createTrackSet = nullptr;
        createItemList = nullptr;
        createClip = nullptr;
        createTempStore = nullptr;
    }
};

Binding& TheBinding()
{
    static Binding binding;
    return binding;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

template <class Fn>
Fn Bind(HMODULE module, MtOrdinal ordinal)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

HRESULT LastError()
{
    DWORD error = ::GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// Under the lock.
HRESULT LoadLocked(Binding& b)
{
    if (b.module)
        return S_OK;
    HMODULE module = ::LoadLibraryA((ProgramFolder() + "KsMultiTrack.dll").c_str());
    if (!module)
        return LastError();
    b.createTrackSet = Bind<PFN_MtCreateTrackSet>(module, kMtOrdCreateTrackSet);
    b.createItemList = Bind<PFN_MtCreateItemList>(module, kMtOrdCreateItemList);
    b.createClip = Bind<PFN_MtCreateClip>(module, kMtOrdCreateClip);
    b.createTempStore = Bind<PFN_MtCreateTempStore>(module, kMtOrdCreateTempStore);
    if (!b.createTrackSet || !b.createItemList || !b.createClip || !b.createTempStore) {
        HRESULT hr = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
        ::FreeLibrary(module);
        b.Clear();
        return hr;
    }
    b.module = module;
    return S_OK;
}

template <class I, class Fn>
HRESULT Create(Fn Binding::*member, ComRef<I>& out)
{
    Binding& b = TheBinding();
    Fn create = nullptr;
    {
        std::lock_guard<std::mutex> guard(b.lock);
        HRESULT hr = LoadLocked(b);
        if (FAILED(hr))
            return hr;
        create = b.*member;
    }
    return create(out.Out());
}

} // namespace

namespace MtEngine {

HRESULT Load()
{
    Binding& b = TheBinding();
    std::lock_guard<std::mutex> guard(b.lock);
    return LoadLocked(b);
}

void Unload()
{
    Binding& b = TheBinding();
    std::lock_guard<std::mutex> guard(b.lock);
    if (b.module)
        ::FreeLibrary(b.module);
    b.Clear();
}

bool IsLoaded()
{
    Binding& b = TheBinding();
    std::lock_guard<std::mutex> guard(b.lock);
    return b.module != nullptr;
}

HRESULT CreateTrackSet(ComRef<IMtTrackSet>& set)
{
    return Create(&Binding::createTrackSet, set);
}
HRESULT CreateItemList(ComRef<IMtItemList>& list)
{
    return Create(&Binding::createItemList, list);
}
HRESULT CreateClip(ComRef<IMtClip>& clip)
{
    return Create(&Binding::createClip, clip);
}
HRESULT CreateTempStore(ComRef<IMtTempStore>& store)
{
    return Create(&Binding::createTempStore, store);
}

FARPROC Export(MtOrdinal ordinal)
{
    Binding& b = TheBinding();
    std::lock_guard<std::mutex> guard(b.lock);
    if (FAILED(LoadLocked(b)))
        return nullptr;
    return ::GetProcAddress(b.module, MAKEINTRESOURCEA(ordinal));
}

HRESULT StartPlayer(IMtTrackSet* engine, HWND notifyWindow, UINT stopMessage, ComRef<IMtTransport>& player)
{
    player.Reset();
    auto create = ExportAs<PFN_MtCreateInstance>(kMtOrdCreateInstance);
    HRESULT hr = create ? create(kMtClsidTransport, player.OutVoid(), __uuidof(IMtTransport)) : E_FAIL;
    ComRef<IMtSourceLink> link;
    ComRef<IMtNotify> notify;
    if (SUCCEEDED(hr))
        hr = player->QueryInterface(__uuidof(IMtSourceLink), link.OutVoid());
    if (SUCCEEDED(hr))
        hr = link->Attach(engine, 1);
    if (SUCCEEDED(hr))
        hr = player->QueryInterface(__uuidof(IMtNotify), notify.OutVoid());
    if (SUCCEEDED(hr))
        hr = notify->SetNotifyWindow(notifyWindow, stopMessage, 0);
    if (SUCCEEDED(hr))
        hr = player->Start(0);
    return hr;
}

} // namespace MtEngine
