// CItem: the COM face of one item (ItemData) with a read range; also registered in the
// temporary store under its record. ItemDataOf finds the ItemData behind any of this
// engine's items.
#pragma once
#include "ItemData.h"

#include "ComObject.h"

KV_DECLARE_IID(IMtItemData, 0xd8615f7c, 0x05fe, 0x4b22, 0x97, 0x65, 0xdb, 0xc0, 0x6a, 0xe5, 0x26, 0xc8)

class CItem : public ComObject<IMtItem, IMtReaderSeek> {
public:
    CItem(ItemDataPtr data, const MtFileItemRecord& record);

    const ItemDataPtr& Data() const { return m_data; }
    const MtFileItemRecord& Record() const { return m_record; }

    STDMETHODIMP BeginRead() override;
    STDMETHODIMP Read(void* buffer, DWORD bytes, DWORD* read) override;
    STDMETHODIMP EndRead() override;
    STDMETHODIMP GetSize(LONGLONG* bytes) override;
    STDMETHODIMP SetRange(const LONGLONG* start, const LONGLONG* end) override;
    STDMETHODIMP GetInfo(MtFileItemRecord* record) override;
    STDMETHODIMP GetPosition(LONGLONG* position) override;
    STDMETHODIMP Seek(LONGLONG position) override;

protected:
    void* QueryExtraInterface(REFIID iid) override { return iid == __uuidof(IMtItemData) ? this : nullptr; }

private:
    ItemDataPtr m_data;
    MtFileItemRecord m_record;
    LONGLONG m_start = 0;
    LONGLONG m_end = -1;
    LONGLONG m_position = 0;
};

// The item data behind an item of this engine; null for anything else.
ItemDataPtr ItemDataOf(IUnknown* item);
// A record describing data (path and format).
MtFileItemRecord MakeRecord(const std::string& path, const MtFormat& format);
