#include "FwRecentFileList.h"
#include "FwApp.h"

CRecentFileList::CRecentFileList(UINT firstId, const char* section, const char* entryFormat, int size)
    : m_firstId(firstId), m_section(section), m_entryFormat(entryFormat), m_size(size < 1 ? 1 : size)
{
}

void CRecentFileList::Add(const char* path)
{
    if (!path || !*path)
        return;
    char full[MAX_PATH];
    if (!::GetFullPathNameA(path, MAX_PATH, full, nullptr))
        lstrcpynA(full, path, MAX_PATH);
    for (size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i].CompareNoCase(full) == 0) {
            m_names.erase(m_names.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    m_names.insert(m_names.begin(), CString(full));
    if (static_cast<int>(m_names.size()) > m_size)
        m_names.resize(static_cast<size_t>(m_size));
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < GetCount())
        m_names.erase(m_names.begin() + index);
}

void CRecentFileList::ReadList()
{
    m_names.clear();
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    for (int i = 0; i < m_size; ++i) {
        CString entry;
        entry.Format(m_entryFormat, i + 1);
        CString name = app->GetProfileString(m_section, entry);
        if (!name.IsEmpty())
            m_names.push_back(name);
    }
}

void CRecentFileList::WriteList()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    for (int i = 0; i < m_size; ++i) {
        CString entry;
        entry.Format(m_entryFormat, i + 1);
        // Entries past the end are removed, so a shorter list does not pick up stale names.
        app->WriteProfileString(m_section, entry,
                                i < GetCount() ? static_cast<const char*>(m_names[static_cast<size_t>(i)]) : nullptr);
    }
}

void CRecentFileList::UpdateMenu(CCmdUI* cmdUI)
{
    HMENU menu = cmdUI->m_hMenu;
    if (!menu) {
        cmdUI->Enable(GetCount() > 0);
        return;
    }
    // The item being updated (the list's first id) stays where it is; the other entries go and
    // come back after it.
    for (UINT id = m_firstId + 1; id < m_firstId + static_cast<UINT>(m_size); ++id)
        ::DeleteMenu(menu, id, MF_BYCOMMAND);
    if (m_names.empty()) {
        ::ModifyMenuA(menu, cmdUI->m_nIndex, MF_BYPOSITION | MF_STRING, m_firstId, "Recent File");
        cmdUI->Enable(FALSE);
    } else {
        for (int i = 0; i < GetCount(); ++i) {
            CString text;
            text.Format(i < 9 ? "&%d %s" : "%d %s", i + 1, static_cast<const char*>(m_names[static_cast<size_t>(i)]));
            UINT position = cmdUI->m_nIndex + static_cast<UINT>(i);
            if (i == 0)
                ::ModifyMenuA(menu, position, MF_BYPOSITION | MF_STRING, m_firstId, text);
            else
                ::InsertMenuA(menu, position, MF_BYPOSITION | MF_STRING, m_firstId + static_cast<UINT>(i), text);
        }
        cmdUI->Enable(TRUE);
        cmdUI->m_nIndex += static_cast<UINT>(GetCount()) - 1; // the caller goes on after the last entry
    }
    cmdUI->m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(menu));
}
