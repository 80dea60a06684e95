#include "AdvancedAudioSettingsDialog.h"

#include "GlobalMemory.h"
#include "HelpLauncher.h"
#include "SettingsIds.h"

#include <cstring>

namespace {

constexpr DWORD kHelpTopicInfo = 104;

// The list's items in their filling order with their label strings.
const struct {
    char name[5];
    UINT label;
} kListItems[] = {
    {"IARL", 20001}, {"IART", 20002}, {"ICMS", 20006}, {"ICMT", 20007}, {"ICRD", 20017}, {"ICRP", 20005},
    {"IDPI", 20013}, {"IENG", 20003}, {"IGNR", 20008}, {"IKEY", 20004}, {"ISRC", 20009}, {"ISRF", 20010},
    {"ISFT", 20011}, {"ISBJ", 20012}, {"IPLT", 20014}, {"IMED", 20015}, {"ITCH", 20016}, {"IPRD", 20018},
    {"ISHP", 20019}, {"IDIM", 20020}, {"INAM", 20022}, {"ILGT", 20023},
};

constexpr DWORD kCopyright = InfoId("ICOP"), kTitle = InfoId("DISP"), kSoftware = InfoId("ISFT");

} // namespace

BEGIN_MESSAGE_MAP(AdvancedAudioSettingsDialog, CDialog)
    ON_LBN_SELCHANGE(IDC_INFO_LIST, OnSelectionChanged)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

AdvancedAudioSettingsDialog::AdvancedAudioSettingsDialog(CWnd* parent) : CDialog(IDD_INFO_ENTRIES, parent) {}

int AdvancedAudioSettingsDialog::SetData(WORD* count, void** block)
{
    m_callerCount = count;
    m_callerBlock = block;
    m_entries.clear();
    m_haveCopy = false;
    if (!count || !block)
        return 0;
    // The whole list is copied, however long; each text is ended where it must end.
    const InfoEntry* source = static_cast<const InfoEntry*>(*block);
    size_t entries = source ? *count : 0;
    try {
        m_entries.reserve(entries > (size_t)kMaxEntries ? entries : (size_t)kMaxEntries);
        for (size_t i = 0; i < entries; ++i) {
            InfoEntry entry;
            memcpy(&entry, &source[i], sizeof entry);
            entry.text[kMaxText] = '\0';
            m_entries.push_back(entry);
        }
    } catch (const std::bad_alloc&) {
        m_entries.clear();
        return 0;
    }
    m_haveCopy = true;
    return 1;
}

std::string AdvancedAudioSettingsDialog::GetText(DWORD id) const
{
    for (const InfoEntry& entry : m_entries)
        if (entry.id == id)
            return entry.text;
    return std::string();
}

void AdvancedAudioSettingsDialog::SetText(DWORD id, const std::string& text)
{
    for (InfoEntry& entry : m_entries) {
        if (entry.id == id) {
            lstrcpynA(entry.text, text.c_str(), kMaxText + 1);
            return;
        }
    }
    if (text.empty() || m_entries.size() >= (size_t)kMaxEntries)
        return;
    InfoEntry entry{};
    entry.id = id;
    lstrcpynA(entry.text, text.c_str(), kMaxText + 1);
    m_entries.push_back(entry);
}

std::string AdvancedAudioSettingsDialog::EditText(int id) const
{
    HWND edit = ::GetDlgItem(m_hWnd, id);
    std::string text((size_t)::GetWindowTextLengthA(edit) + 1, '\0');
    text.resize((size_t)::GetWindowTextA(edit, &text[0], (int)text.size()));
    if (text.size() > (size_t)kMaxText)
        text.resize(kMaxText);
    return text;
}

BOOL AdvancedAudioSettingsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_haveCopy) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    SetDlgItemText(IDC_INFO_COPYRIGHT, GetText(kCopyright).c_str());
    SetDlgItemText(IDC_INFO_TITLE, GetText(kTitle).c_str());
    SetDlgItemText(IDC_INFO_TEXT, "");
    for (const auto& item : kListItems) {
        CString label;
        label.LoadString(item.label);
        int index = (int)SendDlgItemMessage(IDC_INFO_LIST, LB_ADDSTRING, 0, (LPARAM)(const char*)label);
        SendDlgItemMessage(IDC_INFO_LIST, LB_SETITEMDATA, (WPARAM)index, (LPARAM)InfoId(item.name));
    }
    bool hasSoftware = false;
    for (const InfoEntry& entry : m_entries)
        hasSoftware = hasSoftware || entry.id == kSoftware;
    if (!hasSoftware) {
        CString product, suffix;
        product.LoadString(IDS_PRODUCT_NAME);
        suffix.LoadString(20405);
        SetText(kSoftware, std::string(product) + " " + std::string(suffix));
    }
    m_shown = -1;
    return TRUE;
}

void AdvancedAudioSettingsDialog::TakeDescription(int item)
{
    if (item < 0 || !SendDlgItemMessage(IDC_INFO_TEXT, EM_GETMODIFY, 0, 0))
        return;
    DWORD id = (DWORD)SendDlgItemMessage(IDC_INFO_LIST, LB_GETITEMDATA, (WPARAM)item, 0);
    SetText(id, EditText(IDC_INFO_TEXT));
}

void AdvancedAudioSettingsDialog::OnSelectionChanged()
{
    TakeDescription(m_shown);
    int item = (int)SendDlgItemMessage(IDC_INFO_LIST, LB_GETCURSEL, 0, 0);
    DWORD id = item >= 0 ? (DWORD)SendDlgItemMessage(IDC_INFO_LIST, LB_GETITEMDATA, (WPARAM)item, 0) : 0;
    SetDlgItemText(IDC_INFO_TEXT, item >= 0 ? GetText(id).c_str() : "");
    SendDlgItemMessage(IDC_INFO_TEXT, EM_SETMODIFY, FALSE, 0);
    m_shown = item;
}

void AdvancedAudioSettingsDialog::OnOK()
{
    SetText(kCopyright, EditText(IDC_INFO_COPYRIGHT));
    SetText(kTitle, EditText(IDC_INFO_TITLE));
    TakeDescription((int)SendDlgItemMessage(IDC_INFO_LIST, LB_GETCURSEL, 0, 0));

    std::vector<InfoEntry> kept;
    for (const InfoEntry& entry : m_entries)
        if (entry.text[0])
            kept.push_back(entry);
    void* block = nullptr;
    if (!kept.empty()) {
        block = GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, kept.size() * sizeof(InfoEntry));
        if (!block) {
            EndDialog(IDOK); // the caller keeps its list
            return;
        }
        memcpy(block, kept.data(), kept.size() * sizeof(InfoEntry));
    }
    *m_callerCount = (WORD)kept.size();
    GlobalUnlockFree(*m_callerBlock);
    *m_callerBlock = block;
    EndDialog(IDOK);
}

void AdvancedAudioSettingsDialog::OnCancel()
{
    m_entries.clear();
    EndDialog(IDCANCEL);
}

void AdvancedAudioSettingsDialog::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(kHelpTopicInfo, 0);
}
