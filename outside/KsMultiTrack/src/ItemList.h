// CItemList: an ordered list of (object, track id) pairs with a read cursor.
#pragma once
#include "ComObject.h"
#include "ComRef.h"
#include "KsMultiTrack.h"

#include <vector>

class CItemList : public ComObject<IMtItemList> {
public:
    ~CItemList() override;

    STDMETHODIMP NextItem(IUnknown** item, LONG* trackId) override;
    STDMETHODIMP ResetItems(LONG flags) override;
    STDMETHODIMP AddItem(IUnknown* item, LONG trackId) override;
    STDMETHODIMP AddFileItem(const MtFileItemRecord* record, const char* dataPath, const char* peakPath,
                             LONG trackId) override;
    STDMETHODIMP GetCount(LONG* count) override;
    STDMETHODIMP Clear() override;
    BOOL STDMETHODCALLTYPE IsEmpty() override;

private:
    struct Entry {
        ComRef<IUnknown> item;
        LONG trackId;
    };
    std::vector<Entry> m_entries;
    size_t m_next = 0;
};
