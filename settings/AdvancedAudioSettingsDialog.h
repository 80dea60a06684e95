// AdvancedAudioSettingsDialog ("Advanced Audio Settings"): edits the RIFF INFO text entries
// written into a saved sound file. It works on a copy of its caller's list (a 16-bit count and
// a locked global block of 1028-byte entries); OK hands back a compacted list in a new block
// and frees the old one, Cancel leaves the caller's list as it was.
//
//   WORD count = ...; void* block = ...;        // the caller owns the block
//   AdvancedAudioSettingsDialog dialog(parent);
//   if (dialog.SetData(&count, &block)) dialog.DoModal();
#pragma once
#include "Framework.h"

#include <string>
#include <vector>

#pragma pack(push, 1)
struct InfoEntry {
    DWORD id;        // four characters, the first in the lowest byte
    char text[1024]; // terminated
};
#pragma pack(pop)
static_assert(sizeof(InfoEntry) == 1028, "an INFO entry is 1028 bytes");

constexpr DWORD InfoId(const char (&name)[5])
{
    return (DWORD)(BYTE)name[0] | (DWORD)(BYTE)name[1] << 8 | (DWORD)(BYTE)name[2] << 16 | (DWORD)(BYTE)name[3] << 24;
}

class AdvancedAudioSettingsDialog : public CDialog {
public:
    static constexpr int kMaxEntries = 24;
    static constexpr int kMaxText = 1023;

    explicit AdvancedAudioSettingsDialog(CWnd* parent = nullptr);

    // Keeps the caller's count and block pointer and copies its entries; 0 when no copy could be made.
    int SetData(WORD* count, void** block);

    // The first entry's text for the identifier, else empty.
    std::string GetText(DWORD id) const;
    // An existing entry takes the text (even an empty one); a new one is added only when the
    // text is not empty and there are fewer than 24 entries.
    void SetText(DWORD id, const std::string& text);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnSelectionChanged();
    void OnHelp();

private:
    std::string EditText(int id) const;
    // Takes the description edit for the list item when the user changed it.
    void TakeDescription(int item);

    WORD* m_callerCount = nullptr;
    void** m_callerBlock = nullptr;
    bool m_haveCopy = false;
    std::vector<InfoEntry> m_entries;
    int m_shown = -1;
    DECLARE_MESSAGE_MAP()
};
