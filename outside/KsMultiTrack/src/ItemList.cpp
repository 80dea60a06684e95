#include "ItemList.h"

#include "Item.h"
#include "TempStore.h"

#include "KvSSException.h"

#include <cstring>

CItemList::~CItemList()
{
    Clear();
}

STDMETHODIMP CItemList::NextItem(IUnknown** item, LONG* trackId)
{
    if (!item)
        return E_POINTER;
    *item = nullptr;
    if (m_next >= m_entries.size())
        return S_FALSE;
    const Entry& e = m_entries[m_next++];
    *item = ComRef<IUnknown>::Share(e.item.Get()).Detach();
    if (trackId)
        *trackId = e.trackId;
    return S_OK;
}

STDMETHODIMP CItemList::ResetItems(LONG)
{
    m_next = 0;
    return S_OK;
}

STDMETHODIMP CItemList::AddItem(IUnknown* item, LONG trackId)
{
    if (!item)
        return E_POINTER;
    try {
        m_entries.push_back(Entry{ComRef<IUnknown>::Share(item), trackId});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

STDMETHODIMP CItemList::AddFileItem(const MtFileItemRecord* record, const char* dataPath, const char* peakPath,
                                    LONG trackId)
{
    if (!record)
        return E_POINTER;
    try {
        const std::string recordPath(record->path, strnlen(record->path, sizeof(record->path)));
        std::string data = dataPath && *dataPath ? std::string(dataPath) : recordPath;
        std::string peaks = peakPath ? std::string(peakPath) : std::string();
        MtFormat format;
        format.rate = record->samplesPerSec;
        format.bits = record->bitsPerSample;
        format.channels = record->channels;
        auto itemData = ItemData::OpenFile(data, peaks, format, true);
        ComRef<CItem> item(ComObject<IMtItem>::Create<CItem>(itemData, *record));
        if (!item)
            return E_OUTOFMEMORY;
        RegisterStoredItem(*record, itemData);
        return AddItem(static_cast<IMtItem*>(item.Get()), trackId);
    } catch (const CKvSSException& e) {
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CItemList::GetCount(LONG* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<LONG>(m_entries.size());
    return S_OK;
}

STDMETHODIMP CItemList::Clear()
{
    // The items are released as this goes out of scope, with the list already empty.
    std::vector<Entry> entries;
    entries.swap(m_entries);
    m_next = 0;
    return S_OK;
}

BOOL STDMETHODCALLTYPE CItemList::IsEmpty()
{
    return m_entries.empty() ? TRUE : FALSE;
}
