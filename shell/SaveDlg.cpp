#include "SaveDlg.h"

#include "AdvancedSettingsDialog.h"
#include "ErrorText.h"
#include "FileDialogIds.h"
#include "FwApp.h"
#include "GlobalMemory.h"
#include "FwDocTemplate.h"
#include "HelpLauncher.h"
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "ResourceModule.h"

#include <cstring>

namespace {

constexpr UINT kIdsFolderNotWritable = 20455;
constexpr UINT kIdsMarkersOutside = 61281;
constexpr int kNameBox = 1152;   // the Explorer dialog's file-name edit
constexpr int kTypeBox = 1136;   // its file-type combo box
constexpr int kNameCombo = 1148; // the name box of newer dialogs
constexpr const char* kDialogProperty = "KvSaveDialog";

std::string Text(UINT id)
{
    char text[512] = {};
    LoadStringA(GetResourceModule(), id, text, sizeof(text));
    return text;
}

bool IsProjectCode(int code)
{
    return code == 0 || code == 1 || code == 20;
}

// The normalised full path, for comparing two names of one file.
std::string FullPath(const char* path)
{
    char full[MAX_PATH * 2] = {};
    if (!GetFullPathNameA(path, sizeof(full), full, nullptr))
        return path;
    char longer[MAX_PATH * 2] = {};
    if (GetLongPathNameA(full, longer, sizeof(longer)))
        return longer;
    return full;
}

} // namespace

BEGIN_MESSAGE_MAP(CSaveDlg, CFileDialog)
    ON_COMMAND(IDC_FILE_HELP, OnHelp)
    ON_COMMAND(IDC_SAVE_ADVANCED, OnFormatOptions)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CSaveDlg::CSaveDlg(int mode, CNyMultiTrackDoc* document, const char* filter, const char* path, CWnd* parent)
    : CFileDialog(FALSE, nullptr, path, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, filter, parent), m_mode(mode),
      m_document(document)
{
    m_ofn.Flags |= OFN_ENABLETEMPLATE;
    m_ofn.hInstance = GetResourceModule();
    m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_SAVE_PANEL);
}

CSaveDlg::~CSaveDlg()
{
    if (m_infoBlock)
        GlobalUnlockFree(m_infoBlock);
}

void CSaveDlg::SetFormats(IFormatConverter* converter, const std::vector<FileFormatEntry>& formats, int filterIndex)
{
    m_converter = ComRef<IFormatConverter>::Share(converter);
    m_formats = formats;
    m_ofn.nFilterIndex = DWORD(filterIndex > 0 ? filterIndex : 1);
    RefreshMixdown();
}

void CSaveDlg::SetInfoEntries(const std::vector<FioInfoEntry>& entries)
{
    if (m_infoBlock)
        GlobalUnlockFree(m_infoBlock);
    m_infoBlock = nullptr;
    m_infoCount = 0;
    const size_t count = entries.size() < kFioMaxInfoEntries ? entries.size() : kFioMaxInfoEntries;
    if (count == 0)
        return;
    m_infoBlock = GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, count * sizeof(FioInfoEntry));
    if (!m_infoBlock)
        return;
    std::memcpy(m_infoBlock, entries.data(), count * sizeof(FioInfoEntry));
    m_infoCount = WORD(count);
}

const std::vector<FioInfoEntry>& CSaveDlg::InfoEntries()
{
    const auto* first = static_cast<const FioInfoEntry*>(m_infoBlock);
    m_info.assign(first, first ? first + m_infoCount : first);
    return m_info;
}

void CSaveDlg::RefreshMixdown()
{
    const int code = GetFormatCode();
    m_mixdown = m_document && code >= 0 && !IsProjectCode(code) ? m_document->NeedsNewerFormat(code) : FALSE;
}

LONG CSaveDlg::MixChannels() const
{
    return m_mixdown ? (m_document && m_document->IsMultichannel() ? 6 : 2) : 0;
}

std::string CSaveDlg::FileName() const
{
    std::string path = m_lastPath.IsEmpty() ? std::string(m_ofn.lpstrFile ? m_ofn.lpstrFile : "")
                                            : std::string(static_cast<const char*>(m_lastPath));
    return path.substr(path.find_last_of('\\') == std::string::npos ? 0 : path.find_last_of('\\') + 1);
}

int CSaveDlg::GetFormatCode() const
{
    if (m_chosenCode >= 0 && !m_hWnd)
        return m_chosenCode;
    size_t index = m_ofn.nFilterIndex ? m_ofn.nFilterIndex - 1 : 0;
    return index < m_formats.size() ? m_formats[index].type : -1;
}

std::string CSaveDlg::ReplaceExtension(const std::string& name, const char* pattern)
{
    std::string base = name.substr(name.find_last_of('\\') == std::string::npos ? 0 : name.find_last_of('\\') + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos)
        base.resize(dot);
    std::string extension(pattern);
    extension = extension.substr(0, extension.find(';'));
    if (extension.compare(0, 2, "*.") == 0)
        extension.erase(0, 2);
    return extension.empty() ? base : base + "." + extension;
}

UINT CSaveDlg::CheckTarget(const char* path, CNyMultiTrackDoc* document)
{
    std::string full(path ? path : "");
    size_t slash = full.find_last_of('\\');
    std::string name = slash == std::string::npos ? full : full.substr(slash + 1);
    if (name.empty() || name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return IDS_FD_INVALID_NAME;
    // Another open document's file, however its path is spelled.
    if (document && document->GetDocTemplate()) {
        const std::string target = FullPath(full.c_str());
        CDocTemplate* docTemplate = document->GetDocTemplate();
        for (POSITION pos = docTemplate->GetFirstDocPosition(); pos;) {
            CDocument* other = docTemplate->GetNextDoc(pos);
            CString otherPath = other ? other->GetPathName() : CString();
            if (other && other != document && !otherPath.IsEmpty() &&
                lstrcmpiA(FullPath(otherPath).c_str(), target.c_str()) == 0)
                return IDS_FD_IN_OTHER_WINDOW;
        }
    }
    DWORD attributes = GetFileAttributesA(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return IDS_FD_READ_ONLY;
    std::string folder = slash == std::string::npos ? "." : full.substr(0, slash);
    if (folder.size() == 2 && folder[1] == ':')
        folder += '\\';
    if (!CNyMultiTrackDoc::IsFolderWritable(folder.c_str()))
        return kIdsFolderNotWritable;
    return 0;
}

BOOL CSaveDlg::OnInitDialog()
{
    CFileDialog::OnInitDialog();
    m_initialCode = GetFormatCode();
    m_settings.Reset();
    m_lastCode = -2;
    OnTypeChange();
    return TRUE;
}

void CSaveDlg::OnInitDone()
{
    HWND explorer = GetExplorerWindow();
    if (explorer && !m_explorerProc) {
        ::SetPropA(explorer, kDialogProperty, this);
        m_explorerProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(explorer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSaveDlg::ExplorerProc)));
    }
}

LRESULT CALLBACK CSaveDlg::ExplorerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CSaveDlg* self = static_cast<CSaveDlg*>(::GetPropA(wnd, kDialogProperty));
    if (!self)
        return ::DefWindowProcA(wnd, msg, wp, lp);
    WNDPROC previous = self->m_explorerProc;
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK && self->RefuseTypedName())
        return 0;
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropA(wnd, kDialogProperty);
        self->m_explorerProc = nullptr;
    }
    return ::CallWindowProcA(previous, wnd, msg, wp, lp);
}

BOOL CSaveDlg::RefuseTypedName()
{
    HWND explorer = GetExplorerWindow();
    HWND box = ::GetDlgItem(explorer, kNameBox);
    if (!box || !::IsWindowVisible(box))
        box = ::GetDlgItem(explorer, kNameCombo);
    char typed[MAX_PATH * 2] = {};
    if (box)
        ::GetWindowTextA(box, typed, sizeof(typed));
    std::string name(typed);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    if (name.find_first_of("\\/:*?\"<>|") == std::string::npos)
        return FALSE;
    AfxMessageBox(Text(IDS_FD_INVALID_NAME).c_str(), MB_ICONEXCLAMATION);
    return TRUE;
}

void CSaveDlg::ShowDescription(const std::string& text, BOOL advanced)
{
    m_description = text;
    if (!m_hWnd)
        return;
    SetDlgItemText(IDC_SAVE_DESCRIPTION, m_description.c_str());
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SAVE_ADVANCED), advanced);
}

void CSaveDlg::OnFormatChanged()
{
    CWaitCursor wait;
    const int code = GetFormatCode();
    // Back on the format the dialog opened with: its settings start again from the document.
    if (code != m_refreshedCode && code == m_initialCode)
        m_settings.Reset();
    m_refreshedCode = code;
    // The program's own projects need no description or settings.
    if (IsProjectCode(code) || code < 0 || !m_converter) {
        ShowDescription("", FALSE);
        return;
    }
    try {
        ThrowIfFailed(m_converter->SetOutputChannels(MixChannels()));
        ThrowIfFailed(m_converter->SetFormat(FileName().c_str(), code, m_settings.Get(), &m_bitsValue));
        char text[1024] = {};
        m_converter->GetDescription(text, sizeof text);
        std::string description = text;
        if (!description.empty())
            description += "\r\n" + Text(m_mixdown ? 20214 : 20215);
        if (!m_converter->CanConvert())
            description = ErrorText(GetResourceModule()).GetText(kErrFormatSettings);
        ShowDescription(description, TRUE);
    } catch (const CKvSSException& e) {
        ShowDescription(static_cast<const char*>(ErrorText(GetResourceModule()).GetText(e.m_hr)), FALSE);
    }
}

void CSaveDlg::OnFormatOptions()
{
    const int code = GetFormatCode();
    const size_t index = m_ofn.nFilterIndex ? m_ofn.nFilterIndex - 1 : 0;
    if (!m_converter || IsProjectCode(code) || index >= m_formats.size())
        return;
    ComRef<IOutputFormatSettings> current;
    if (m_settings)
        m_settings->CopySettings(current.Out());
    else
        m_converter->CreateSettings(1, current.Out());
    if (!current)
        return;
    const bool surround = m_document && m_document->IsMultichannel() && m_document->GetTotalChannels() > 2;
    AdvancedSettingsDialog dialog(this);
    dialog.SetOutputFormat(m_formats[index].description, code, current.Get());
    dialog.SetOptionParams(&m_infoCount, &m_infoBlock);
    dialog.m_infoButton = 1;
    dialog.m_bits = m_bitsValue;
    dialog.m_sourceChannels = surround ? 6 : 2;
    dialog.m_mix = m_mixAll;
    dialog.m_channelMask = m_channelMask;
    ComRef<IPropertyPage> page;
    if (SUCCEEDED(current->GetSettingsPage(page.Out())) && page)
        dialog.SetSourceObject(page.Get());
    if (dialog.DoModal() != IDOK)
        return;
    m_mixAll = dialog.m_mix;
    m_channelMask = surround ? dialog.m_channelMask : 0x80000000;
    ComRef<IOutputFormatSettings> chosen;
    if (SUCCEEDED(dialog.GetOutputFormat(chosen.Out())) && chosen) {
        chosen->SetChannels(m_channelMask, m_mixAll ? dialog.m_sourceChannels : 0);
        m_settings = chosen;
        // The dialog's own format is no longer the one to start again from.
        m_initialCode = -1;
    }
    OnFormatChanged();
}

void CSaveDlg::OnTypeChange()
{
    CWaitCursor wait;
    const int code = GetFormatCode();
    if (code == m_lastCode)
        return;
    m_lastCode = code;
    if (code == m_initialCode)
        m_settings.Reset();
    RefreshMixdown();
    ShowDescription("", FALSE);
    const size_t index = m_ofn.nFilterIndex ? m_ofn.nFilterIndex - 1 : 0;
    if (index >= m_formats.size()) {
        OnFormatChanged();
        return;
    }
    const char* pattern = m_formats[index].extensions;
    std::string extension = std::string(pattern).substr(0, std::string(pattern).find(';'));
    HWND explorer = GetExplorerWindow();
    ::SendMessageA(explorer, CDM_SETDEFEXT, 0, reinterpret_cast<LPARAM>(extension.c_str()));
    // The name in the box takes the new format's extension.
    char name[MAX_PATH * 2] = {};
    HWND box = ::GetDlgItem(explorer, kNameBox);
    if (!box)
        box = ::GetDlgItem(explorer, kNameCombo);
    if (box)
        ::GetWindowTextA(box, name, sizeof(name));
    if (name[0]) {
        std::string renamed = ReplaceExtension(name, pattern);
        ::SendMessageA(explorer, CDM_SETCONTROLTEXT, box == ::GetDlgItem(explorer, kNameBox) ? kNameBox : kNameCombo,
                       reinterpret_cast<LPARAM>(renamed.c_str()));
    }
    OnFormatChanged();
}

void CSaveDlg::OnFileNameChange()
{
    CString path = GetPathName();
    if (lstrcmpiA(path, m_lastPath) == 0)
        return;
    m_lastPath = path;
    const int code = GetFormatCode();
    if (IsProjectCode(code) || !m_converter) {
        ShowDescription("", FALSE);
        return;
    }
    m_converter->SetOutputChannels(MixChannels());
    m_converter->SetFormat(static_cast<const char*>(path), code, m_settings.Get(), &m_bitsValue);
}

BOOL CSaveDlg::OnFileNameOK()
{
    CString path = GetPathName();
    UINT refusal = CheckTarget(path, m_document);
    if (refusal) {
        AfxMessageBox(Text(refusal).c_str(), MB_ICONEXCLAMATION);
        return TRUE;
    }
    m_chosenCode = GetFormatCode();
    const int code = m_chosenCode;
    if (m_document && (IsProjectCode(code) || code == 2 || code == 3 || code == 21 || code == 22) &&
        !m_document->AreLabelsInsideDocument(1) &&
        AfxMessageBox(Text(kIdsMarkersOutside).c_str(), MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return TRUE;
    if (IsProjectCode(code))
        return FALSE;
    if (m_document && m_document->GetVideoFile().empty() && (code == 5 || code == 14)) {
        AfxMessageBox(Text(IDS_FD_NO_VIDEO).c_str(), MB_ICONEXCLAMATION);
        return TRUE;
    }
    if (m_converter) {
        m_converter->SetOutputChannels(MixChannels());
        const HRESULT set = m_converter->SetFormat(FileName().c_str(), code, m_settings.Get(), &m_bitsValue);
        if (set == kErrFormatSettings) {
            // A format without settings of its own (AVI): the file module writes it as it is.
            m_settings.Reset();
            return FALSE;
        }
        if (FAILED(set) || !m_converter->CanConvert()) {
            AfxMessageBox(Text(IDS_FD_CANNOT_CONVERT).c_str(), MB_ICONEXCLAMATION);
            return TRUE;
        }
        // The settings the file is written with.
        m_settings.Reset();
        m_converter->CreateSettings(1, m_settings.Out());
    }
    return FALSE;
}

void CSaveDlg::OnHelp()
{
    HelpLauncher help;
    if (m_mode == 1)
        help.ShowTopic(101, reinterpret_cast<DWORD_PTR>(m_hWnd));
    else if (m_mode == 0 || m_mode == 2)
        help.ShowTopic(103, reinterpret_cast<DWORD_PTR>(m_hWnd));
}

void CSaveDlg::OnSize(UINT, int, int)
{
    HWND explorer = GetExplorerWindow();
    RECT typeBox{}, ok{};
    HWND typeWnd = ::GetDlgItem(explorer, kTypeBox), okWnd = ::GetDlgItem(explorer, IDOK);
    if (!typeWnd || !okWnd)
        return;
    ::GetWindowRect(typeWnd, &typeBox);
    ::GetWindowRect(okWnd, &ok);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&typeBox), 2);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&ok), 2);
    RECT r{};
    HWND description = ::GetDlgItem(m_hWnd, IDC_SAVE_DESCRIPTION);
    if (description) {
        ::GetWindowRect(description, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::MoveWindow(description, r.left, r.top, typeBox.right - r.left, r.bottom - r.top, TRUE);
    }
    for (int id : {IDC_SAVE_ADVANCED, IDC_FILE_HELP}) {
        HWND item = ::GetDlgItem(m_hWnd, id);
        if (!item)
            continue;
        ::GetWindowRect(item, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::MoveWindow(item, ok.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}
