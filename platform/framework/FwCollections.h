// The two collection classes programs keep framework objects in: CObArray (an ordered list of
// object pointers; it owns nothing, callers delete the elements) and CMapStringToPtr (a map
// from a case-sensitive string to a pointer; it owns nothing either). Iterate the map with
// GetStartPosition / GetNextAssoc; changing the map ends an iteration.
#pragma once
#include "FwObject.h"
#include "FwString.h"
#include <map>
#include <string>
#include <vector>

class CObArray : public CObject {
public:
    CObArray() = default;
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return m_items.empty(); }
    // Indexes out of range give null (reads) or are ignored (writes).
    CObject* GetAt(INT_PTR index) const { return InRange(index) ? m_items[static_cast<size_t>(index)] : nullptr; }
    CObject* operator[](INT_PTR index) const { return GetAt(index); }
    void SetAt(INT_PTR index, CObject* object)
    {
        if (InRange(index))
            m_items[static_cast<size_t>(index)] = object;
    }
    INT_PTR Add(CObject* object)
    {
        m_items.push_back(object);
        return GetUpperBound();
    }
    // Inserts before index (at the end when index is the size or more).
    void InsertAt(INT_PTR index, CObject* object);
    void RemoveAt(INT_PTR index, INT_PTR count = 1);
    void RemoveAll() { m_items.clear(); }

private:
    bool InRange(INT_PTR index) const { return index >= 0 && index < GetSize(); }
    std::vector<CObject*> m_items;
};

inline void CObArray::InsertAt(INT_PTR index, CObject* object)
{
    if (index < 0)
        index = 0;
    if (index > GetSize())
        index = GetSize();
    m_items.insert(m_items.begin() + index, object);
}

inline void CObArray::RemoveAt(INT_PTR index, INT_PTR count)
{
    if (!InRange(index) || count <= 0)
        return;
    INT_PTR end = index + count < GetSize() ? index + count : GetSize();
    m_items.erase(m_items.begin() + index, m_items.begin() + end);
}

class CMapStringToPtr : public CObject {
public:
    explicit CMapStringToPtr(INT_PTR blockSize = 10) { (void)blockSize; }
    INT_PTR GetCount() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetSize() const { return GetCount(); }
    BOOL IsEmpty() const { return m_items.empty(); }
    BOOL Lookup(const char* key, void*& value) const;
    void SetAt(const char* key, void* value) { m_items[key ? key : ""] = value; }
    // The value slot of key, created (null) when missing.
    void*& operator[](const char* key) { return m_items[key ? key : ""]; }
    BOOL RemoveKey(const char* key) { return m_items.erase(key ? key : "") != 0; }
    void RemoveAll() { m_items.clear(); }
    // Keys come in ascending byte order.
    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& pos, CString& key, void*& value) const;

private:
    using Entry = std::map<std::string, void*>::value_type;
    std::map<std::string, void*> m_items;
};

inline BOOL CMapStringToPtr::Lookup(const char* key, void*& value) const
{
    auto at = m_items.find(key ? key : "");
    if (at == m_items.end())
        return FALSE;
    value = at->second;
    return TRUE;
}

inline POSITION CMapStringToPtr::GetStartPosition() const
{
    return m_items.empty() ? nullptr : reinterpret_cast<POSITION>(const_cast<Entry*>(&*m_items.begin()));
}

inline void CMapStringToPtr::GetNextAssoc(POSITION& pos, CString& key, void*& value) const
{
    const auto* entry = reinterpret_cast<const Entry*>(pos);
    key = CString(entry->first);
    value = entry->second;
    auto next = m_items.upper_bound(entry->first);
    pos = next == m_items.end() ? nullptr : reinterpret_cast<POSITION>(const_cast<Entry*>(&*next));
}
