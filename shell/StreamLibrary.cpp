#include "StreamLibrary.h"

#include "AppHelpers.h"
#include "ComRef.h"
#include "KvsStrm.h"
#include "RegistryKey.h"

#include <cstdio>
#include <cstring>

namespace {

HMODULE g_library = nullptr;

template <class Fn>
Fn LibraryExport(WORD ordinal)
{
    if (!g_library)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(g_library, MAKEINTRESOURCEA(ordinal))));
}

const char* const kTableNames[4] = {"AIFF_ChannelTbl_3", "AIFF_ChannelTbl_4", "AIFF_ChannelTbl_5", "AIFF_ChannelTbl_6"};

} // namespace

void BuildAiffChannelTable(int channels, uint8_t table[72])
{
    static const uint8_t kIdentity[6] = {0, 1, 2, 3, 4, 5};
    memset(table, 0, 72);
    const uint32_t n = static_cast<uint32_t>(channels);
    for (int half = 0; half < 2; ++half) {
        memcpy(table + half * 36, &n, 4);
        memcpy(table + half * 36 + 4, kIdentity, static_cast<size_t>(channels));
    }
}

void SetAiffChannelTables()
{
    auto getRegistry = LibraryExport<StrmGetRegistryFn>(kStrmOrdGetRegistry);
    IStrmRegistry* registry = getRegistry ? getRegistry() : nullptr;
    if (!registry)
        return;
    for (InterfaceTag tag : {kTagAiffReader, kTagAiffWriter}) {
        const StrmRegistration* entry = registry->Find(TagLow(tag), TagHigh(tag));
        if (!entry || !entry->create)
            continue;
        ComRef<ITaggedObject> component;
        if (FAILED(entry->create(TagLow(tag), TagHigh(tag), component.Out())) || !component)
            continue;
        ComRef<IStrmDefaultParams> params;
        component->QueryInterface(kTagDefaultParams, params.OutVoid());
        if (!params)
            continue;
        params->BeginChange();
        for (int channels = 3; channels <= 6; ++channels) {
            uint8_t table[72];
            BuildAiffChannelTable(channels, table);
            params->SetValue(kTableNames[channels - 3], kStrmParamBinary, table, sizeof table);
        }
        params->EndChange();
    }
}

void StartStreamLibraryModule(HINSTANCE instance)
{
    if (!g_library)
        g_library = ::LoadLibraryA((ProgramFolder() + "KVSSTRM.dll").c_str());
    auto openKey = LibraryExport<StrmOpenKeyFn>(kStrmOrdOpenKey);
    auto initialize = LibraryExport<StrmInitializeFn>(kStrmOrdInitialize);
    if (!openKey || !initialize)
        return;
    const std::string path = GetSettingsRoot() + "\\KvSSStream";
    ComRef<IStrmKey> key;
    openKey(path.c_str(), key.Out());
    if (key) {
        key->SetDefaultText("", 0);
        key->SetText("PlugInPath", "");
        key->Flush();
    }
    StreamLibraryStartInfo start;
    memset(&start, 0, sizeof start);
    start.size = sizeof start;
    start.value400 = 400;
    start.value300 = 300;
    lstrcpynA(start.product, "KorvaneSound5 Tarn", sizeof start.product);
    start.versionTimes100 = static_cast<uint32_t>(atof("5.00") * 100.0);
    start.valueF0 = 0xF0;
    lstrcpynA(start.product2, "KorvaneSound5 Tarn", sizeof start.product2);
    snprintf(start.versionText, sizeof start.versionText, "%s%s", "5.00", "R4");
    initialize(instance, key.Get(), 0, 0, &start);
    key.Reset();
    SetAiffChannelTables();
}

void StopStreamLibrary()
{
    if (auto uninitialize = LibraryExport<StrmUninitializeFn>(kStrmOrdUninitialize))
        uninitialize();
    if (g_library)
        ::FreeLibrary(g_library);
    g_library = nullptr;
}
