#include "Attributes.h"

#include "ComRef.h"
#include "GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

KV_DECLARE_IID(FileAttributesSelf, 0x0E7C4B93, 0x51AF, 0x4C62, 0x8F, 0x2D, 0x93, 0x1B, 0x7A, 0x44, 0x0C, 0xE8)

class FileAttributes::Values : public TaggedObject<IKsAttributeValues, kTagFileAttributes> {
public:
    explicit Values(FileAttributes* owner) : m_owner(owner) {}
    LONG STDMETHODCALLTYPE GetValue(LONG which) override
    {
        return which == kAttributeFirstValue ? m_owner->firstValue : 0;
    }
    HRESULT STDMETHODCALLTYPE SetValue(LONG which, LONG value) override
    {
        if (which != kAttributeFirstValue)
            return E_INVALIDARG;
        m_owner->firstValue = value;
        return S_OK;
    }
    // The owner lives while the tagged view is held.
    ULONG STDMETHODCALLTYPE AddRef() override { return m_owner->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_owner->Release(); }

private:
    FileAttributes* m_owner;
};

FileAttributes::FileAttributes() : m_values(new Values(this)) {}

FileAttributes::~FileAttributes()
{
    delete m_values;
}

void* FileAttributes::QueryExtraInterface(REFIID iid)
{
    return iid == __uuidof(FileAttributesSelf) ? static_cast<FileAttributes*>(this) : nullptr;
}

FileAttributes* AsFileAttributes(IUnknown* object)
{
    ComRef<IKvSFileAttributes> a = QueryCom<IKvSFileAttributes>(object);
    if (!a)
        return nullptr;
    // Only our own objects answer the private id; it hands back the object itself.
    ComRef<FileAttributes> own;
    if (FAILED(a->QueryInterface(__uuidof(FileAttributesSelf), own.OutVoid())))
        return nullptr;
    return own.Get(); // the caller's reference keeps it
}

HRESULT FileAttributes::GetInfoEntries(WORD* count, void** block)
{
    if (!count || !block)
        return E_POINTER;
    *count = 0;
    *block = nullptr;
    if (info.empty())
        return S_OK;
    void* p = GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, info.size() * sizeof(FioInfoEntry));
    if (!p)
        return E_OUTOFMEMORY;
    std::memcpy(p, info.data(), info.size() * sizeof(FioInfoEntry));
    *count = static_cast<WORD>(info.size());
    *block = p;
    return S_OK;
}

HRESULT FileAttributes::SetInfoEntries(WORD count, const void* block)
{
    if (count && !block)
        return E_POINTER;
    std::vector<FioInfoEntry> next;
    const FioInfoEntry* e = static_cast<const FioInfoEntry*>(block);
    for (WORD i = 0; i < count && next.size() < kFioMaxInfoEntries; ++i) {
        FioInfoEntry copy = e[i];
        copy.text[sizeof copy.text - 1] = 0;
        if (copy.text[0])
            next.push_back(copy);
    }
    info.swap(next);
    return S_OK;
}

HRESULT FileAttributes::IsEqual(IUnknown* other)
{
    FileAttributes* o = AsFileAttributes(other);
    if (!o)
        return S_FALSE;
    if (o == this)
        return S_OK;
    if (o->firstValue != firstValue || o->info.size() != info.size() || o->kept.size() != kept.size())
        return S_FALSE;
    // Entries compare by id and text; their order in the file carries nothing.
    auto key = [](const std::vector<FioInfoEntry>& entries) {
        std::vector<std::pair<uint32_t, std::string>> k;
        for (const FioInfoEntry& e : entries)
            k.emplace_back(e.id, e.text);
        std::sort(k.begin(), k.end());
        return k;
    };
    if (key(info) != key(o->info))
        return S_FALSE;
    for (size_t i = 0; i < kept.size(); ++i)
        if (kept[i].id != o->kept[i].id || kept[i].from != o->kept[i].from || kept[i].body != o->kept[i].body)
            return S_FALSE;
    return S_OK;
}

HRESULT FileAttributes::QueryTag(InterfaceTag tag, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (tag != kTagFileAttributes)
        return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IKsAttributeValues*>(m_values);
    return S_OK;
}

HRESULT FileAttributes::Clone(IUnknown** copy)
{
    if (!copy)
        return E_POINTER;
    *copy = nullptr;
    try {
        FileAttributes* c = Create<FileAttributes>();
        if (!c)
            return E_OUTOFMEMORY;
        c->info = info;
        c->kept = kept;
        c->firstValue = firstValue;
        *copy = c;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
