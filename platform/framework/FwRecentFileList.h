// CRecentFileList: the most recently used files, newest first, kept in a profile section
// ("Recent File List", values "File1".."FileN") and shown in the menu in place of ID_FILE_MRU_FILE1.
#pragma once
#include "FwString.h"
#include <vector>

class CCmdUI;

class CRecentFileList {
public:
    CRecentFileList(UINT firstId, const char* section, const char* entryFormat, int size);
    virtual ~CRecentFileList() = default;

    int GetSize() const { return m_size; }
    int GetCount() const { return static_cast<int>(m_names.size()); }
    const CString& operator[](int index) const { return m_names.at(static_cast<size_t>(index)); }
    // Adds the full path at the top (moving it up when already listed; case is ignored).
    virtual void Add(const char* path);
    virtual void Remove(int index);
    virtual void ReadList();
    virtual void WriteList();
    // Replaces the menu items of the list's command ids with the current entries ("&1 path").
    virtual void UpdateMenu(CCmdUI* cmdUI);

protected:
    UINT m_firstId;
    CString m_section;
    CString m_entryFormat;
    int m_size;
    std::vector<CString> m_names;
};
