#include "OpenDlg.h"

#include "AudioRenderer.h"
#include "ErrorText.h"
#include "FileDialogIds.h"
#include "FwApp.h"
#include "HelpLauncher.h"
#include "KvSSException.h"
#include "ProjectFile.h"
#include "ResourceModule.h"
#include "Settings.h"

#include <cderr.h>
#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kPlayerMessage = 0x536;
constexpr UINT kBurnFromFiles = 1105;
constexpr HRESULT kErrFormat = static_cast<HRESULT>(0x83E804B4);
constexpr HRESULT kErrChannels = static_cast<HRESULT>(0x83E807D5);
constexpr HRESULT kErrNoAudioRenderer = static_cast<HRESULT>(0x83E80450);
constexpr int kTypeBox = 1136;
constexpr int kWhenInit = 0, kWhenType = 1, kWhenFile = 2;

std::string Text(UINT id)
{
    char text[256] = {};
    LoadStringA(GetResourceModule(), id, text, sizeof(text));
    return text;
}

bool IsFolder(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

BEGIN_MESSAGE_MAP(COpenDlg, CFileDialog)
    ON_COMMAND(IDC_OPEN_PREVIEW, OnPreview)
    ON_COMMAND(IDC_FILE_HELP, OnHelp)
    ON_MESSAGE(kPlayerMessage, OnPlayRequest)
    ON_WM_DESTROY()
    ON_WM_SIZE()
END_MESSAGE_MAP()

COpenDlg::COpenDlg(BOOL open, const char* defaultExtension, const char* fileName, DWORD flags, const char* filter,
                   CWnd* parent, const char* title, UINT commandId)
    : CFileDialog(open, defaultExtension, fileName, flags, filter, parent), m_commandId(commandId)
{
    m_ofn.Flags |= OFN_ENABLETEMPLATE;
    m_ofn.hInstance = GetResourceModule();
    m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_OPEN_PANEL);
    m_ofn.lpstrTitle = title;
}

COpenDlg::~COpenDlg() = default;

void COpenDlg::SetFormatTable(IKvSKsFIO* player, int count, const FileFormatEntry* table, IMtTrackSet* target)
{
    m_player = player;
    m_count = count;
    m_table = table;
    m_target = target;
    const int remembered = GetSettingInt("Settings", "OpenFilterIndex", 0);
    m_ofn.nFilterIndex = DWORD(m_commandId != kBurnFromFiles && remembered > 0 ? remembered : count + 1);
}

void COpenDlg::GetSelectedPaths(std::vector<std::string>& paths) const
{
    if (!m_captured.empty()) {
        paths.insert(paths.end(), m_captured.begin(), m_captured.end());
        return;
    }
    for (const CString& path : ChosenPaths())
        paths.emplace_back(static_cast<const char*>(path));
}

INT_PTR COpenDlg::DoModal()
{
    m_captured.clear();
    INT_PTR result = CFileDialog::DoModal();
    if (result != IDOK && CommDlgExtendedError() == FNERR_BUFFERTOOSMALL && !m_captured.empty())
        result = IDOK;
    return result;
}

void COpenDlg::CaptureSelection()
{
    m_captured.clear();
    HWND explorer = GetExplorerWindow();
    LRESULT specLength = ::SendMessageA(explorer, CDM_GETSPEC, 0, 0);
    LRESULT folderLength = ::SendMessageA(explorer, CDM_GETFOLDERPATH, 0, 0);
    if (specLength <= 0 || folderLength < 0)
        return;
    std::vector<char> typed(size_t(specLength) + 2, '\0'), folderText(size_t(folderLength) + 2, '\0');
    ::SendMessageA(explorer, CDM_GETSPEC, WPARAM(typed.size()), reinterpret_cast<LPARAM>(typed.data()));
    ::SendMessageA(explorer, CDM_GETFOLDERPATH, WPARAM(folderText.size()), reinterpret_cast<LPARAM>(folderText.data()));
    std::string folder(folderText.data());
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    auto add = [&](const std::string& name) {
        if (name.empty())
            return;
        const bool absolute = name.find(':') != std::string::npos || name[0] == '\\';
        m_captured.push_back(absolute ? name : folder + name);
    };
    std::string text(typed.data());
    if (text.find('"') == std::string::npos) {
        add(text);
        return;
    }
    for (size_t at = text.find('"'); at != std::string::npos;) {
        size_t end = text.find('"', at + 1);
        if (end == std::string::npos)
            break;
        add(text.substr(at + 1, end - at - 1));
        at = text.find('"', end + 1);
    }
}

int COpenDlg::CurrentCode() const
{
    int index = int(m_ofn.nFilterIndex) - 1;
    return m_table && index >= 0 && index < m_count ? m_table[index].type : -1;
}

std::string COpenDlg::FormatSampleCount(int64_t samples)
{
    if (samples < 0)
        return std::string();
    // Groups of three digits, for counts of any size.
    std::string digits = std::to_string(samples), text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

std::string COpenDlg::FormatDuration(int64_t hundredNanoseconds)
{
    int64_t ms = hundredNanoseconds / 10000;
    char text[64];
    std::snprintf(text, sizeof(text), "%02lld:%02d.%03d", static_cast<long long>(ms / 60000), int(ms / 1000 % 60),
                  int(ms % 1000));
    return text;
}

HRESULT COpenDlg::CheckSelection(IKvSKsFIO* player, IMtTrackSet* target, const std::vector<std::string>& paths,
                                 LONG formatHint)
{
    if (!target)
        return S_OK;
    try {
        // The channels the document keeps: its empty tracks at the end do not count.
        int budget = 6;
        LONG count = 0;
        ThrowIfFailed(target->GetTrackCount(&count));
        LONG last = count - 1;
        for (; last >= 0; --last) {
            ComRef<IMtTrack> track;
            LONGLONG length = 0;
            ThrowIfFailed(target->GetTrack(last, track.Out()));
            ThrowIfFailed(track->GetLength(&length));
            if (length > 0)
                break;
        }
        for (LONG i = 0; i <= last; ++i) {
            ComRef<IMtTrack> track;
            WORD channels = 0;
            ThrowIfFailed(target->GetTrack(i, track.Out()));
            ThrowIfFailed(track->GetChannels(&channels));
            budget -= channels;
        }
        for (const std::string& path : paths) {
            FileInfoRecord info{};
            ThrowIfFailed(player->QueryFileInfo(nullptr, path.c_str(), formatHint, 1, &info));
            if (info.fileType == 6)
                continue;
            const WORD bits = info.bitsPerSample;
            if ((bits != 8 && bits != 16 && bits != 20 && bits != 24 && bits != 32) || info.samplesPerSec > 192000)
                throw CKvSSException(kErrFormat);
            int channels = info.fileType == 11 ? 2 : info.channels;
            if (info.fileType == 0 || info.fileType == 1 || info.fileType == 20) {
                int format = CProjectFile::DetectProjectFormat(path.c_str());
                std::unique_ptr<CProjectFile> project = CProjectFile::Create(format, nullptr);
                channels = project ? project->ReadFileInfo(path.c_str()) : -1;
                if (channels < 0)
                    throw CKvSSException(kErrFormat);
            }
            budget -= channels;
            if (budget < 0)
                throw CKvSSException(kErrChannels);
        }
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
    return S_OK;
}

void COpenDlg::UpdateSplitBox(int code, int when)
{
    HWND box = ::GetDlgItem(m_hWnd, IDC_OPEN_SPLIT);
    if (!box)
        return;
    BOOL check = m_channelSplit, enable = TRUE;
    if (m_commandId == kBurnFromFiles || code == -1 || code == 0 || code == 1 || code == 20 || code == 21 ||
        (code == 6 && when != kWhenFile) || (code == 22 && when == kWhenInit)) {
        check = FALSE;
        enable = FALSE;
    } else if (code == 3) {
        if (m_documentType == 0) {
            check = TRUE;
            enable = FALSE;
        } else if (when == kWhenFile && m_info.channels > 2) {
            enable = FALSE;
        }
    }
    ::SendMessageA(box, BM_SETCHECK, check ? BST_CHECKED : BST_UNCHECKED, 0);
    ::EnableWindow(box, enable);
}

void COpenDlg::ClearPanel()
{
    for (int id : {IDC_OPEN_FORMAT, IDC_OPEN_PROPERTIES, IDC_OPEN_SAMPLES, IDC_OPEN_TIME})
        SetDlgItemText(id, "");
}

BOOL COpenDlg::OnInitDialog()
{
    CFileDialog::OnInitDialog();
    ClearPanel();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OPEN_PREVIEW), FALSE);
    ::SendDlgItemMessageA(m_hWnd, IDC_OPEN_AUTOPLAY, BM_SETCHECK,
                          GetSettingInt("Settings", "AutoPlay", 0) ? BST_CHECKED : BST_UNCHECKED, 0);
    m_documentType = GetSettingInt("Settings", "DefaultDocumentType", m_documentType);
    if (m_target) {
        LONG limit = 2;
        m_target->GetChannelLimit(&limit);
        m_documentType = limit == 2 ? 0 : 1;
    }
    m_channelSplit = GetSettingInt("Settings", "ChannelSplit", 0) != 0;
    UpdateSplitBox(CurrentCode(), kWhenInit);
    return TRUE;
}

void COpenDlg::OnInitDone()
{
    if (m_table && m_count > 0) {
        std::string pattern = m_table[0].extensions;
        pattern = pattern.substr(0, pattern.find(';'));
        ::SendMessageA(GetExplorerWindow(), CDM_SETDEFEXT, 0, reinterpret_cast<LPARAM>(pattern.c_str()));
    }
}

void COpenDlg::OnTypeChange()
{
    int index = int(m_ofn.nFilterIndex) - 1;
    if (m_table && index >= 0 && index < m_count) {
        std::string pattern = m_table[index].extensions;
        pattern = pattern.substr(0, pattern.find(';'));
        ::SendMessageA(GetExplorerWindow(), CDM_SETDEFEXT, 0, reinterpret_cast<LPARAM>(pattern.c_str()));
    }
    UpdateSplitBox(CurrentCode(), kWhenType);
}

void COpenDlg::StopPreview()
{
    if (m_player)
        m_player->StopPreview();
    m_playing = FALSE;
    SetDlgItemText(IDC_OPEN_PREVIEW, Text(IDS_FD_PREVIEW).c_str());
}

void COpenDlg::OnFileNameChange()
{
    CString path = GetPathName();
    if (IsFolder(path)) {
        ClearPanel();
        return;
    }
    if (m_playing)
        StopPreview();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OPEN_PREVIEW), FALSE);
    char typed[MAX_PATH * 2] = {};
    ::SendMessageA(GetExplorerWindow(), CDM_GETSPEC, sizeof(typed), reinterpret_cast<LPARAM>(typed));
    std::memset(&m_info, 0, sizeof(m_info));
    if (std::strchr(typed, '"') || !m_player ||
        FAILED(m_player->QueryFileInfo(nullptr, path, CurrentCode(), 0, &m_info))) {
        ClearPanel();
        return;
    }
    m_selectedFormat = m_info.fileType;
    SetDlgItemText(IDC_OPEN_FORMAT, m_info.formatName);
    SetDlgItemText(IDC_OPEN_PROPERTIES, m_info.description);
    SetDlgItemText(IDC_OPEN_SAMPLES, FormatSampleCount(m_info.lengthSamples).c_str());
    SetDlgItemText(IDC_OPEN_TIME, FormatDuration(m_info.duration).c_str());
    static const int kPreviewable[] = {0, 1, 2, 3, 4, 5, 7, 9, 11, 12, 13, 14, 17, 18, 19, 20, 21, 22, 23};
    bool previewable = false;
    for (int code : kPreviewable)
        previewable = previewable || code == m_info.fileType;
    const int limit = m_info.fileType == 3 && m_documentType == 1 ? 6 : 2;
    if (m_info.soundTracks && previewable && m_info.channels <= limit) {
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OPEN_PREVIEW), TRUE);
        if (::IsDlgButtonChecked(m_hWnd, IDC_OPEN_AUTOPLAY) == BST_CHECKED)
            OnPreview();
    }
    UpdateSplitBox(m_info.fileType, kWhenFile);
}

void COpenDlg::OnPreview()
{
    if (!m_player)
        return;
    // Without a sound device there is nothing to play on: say so rather than fail silently.
    if (!CanCreateAudioRenderer()) {
        AfxMessageBox(ErrorText(GetResourceModule()).GetText(kErrNoAudioRenderer), MB_ICONEXCLAMATION);
        return;
    }
    if (m_playing) {
        StopPreview();
        return;
    }
    CString path = GetPathName();
    if (!path.IsEmpty() && SUCCEEDED(m_player->PlayPreview(m_hWnd, path))) {
        m_playing = TRUE;
        SetDlgItemText(IDC_OPEN_PREVIEW, Text(IDS_FD_STOP).c_str());
    } else {
        SetDlgItemText(IDC_OPEN_PREVIEW, Text(IDS_FD_PREVIEW).c_str());
    }
}

LRESULT COpenDlg::OnPlayRequest(WPARAM, LPARAM)
{
    if (!m_player)
        return 0;
    bool complete = false;
    LONG code = 0;
    LONG_PTR first = 0, second = 0;
    while (m_player->GetNextEvent(&code, &first, &second, 0) == S_OK)
        complete = complete || code == 1;
    if (complete && m_playing)
        OnPreview();
    return 0;
}

BOOL COpenDlg::OnFileNameOK()
{
    if (m_playing)
        StopPreview();
    m_selectedFormat = CurrentCode();
    CaptureSelection();
    std::vector<std::string> paths;
    GetSelectedPaths(paths);
    HRESULT hr = m_player ? CheckSelection(m_player, m_target, paths, m_selectedFormat) : S_OK;
    if (FAILED(hr)) {
        ErrorText text(GetResourceModule());
        AfxMessageBox(text.GetText(hr), MB_OK);
        return TRUE;
    }
    HWND box = ::GetDlgItem(m_hWnd, IDC_OPEN_SPLIT);
    m_channelSplit = ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    m_channelSplitEnabled = ::IsWindowEnabled(box);
    if (m_commandId != kBurnFromFiles)
        SetSettingInt("Settings", "OpenFilterIndex", int(m_ofn.nFilterIndex));
    return FALSE;
}

BOOL COpenDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_OPEN_SPLIT && HIWORD(wParam) == BN_CLICKED)
        m_channelSplit = ::IsDlgButtonChecked(m_hWnd, IDC_OPEN_SPLIT) == BST_CHECKED;
    return CFileDialog::OnCommand(wParam, lParam);
}

void COpenDlg::FitBuffer(OPENFILENAMEA* ofn)
{
    HWND explorer = GetExplorerWindow();
    LRESULT folder = ::SendMessageA(explorer, CDM_GETFOLDERPATH, 0, 0);
    LRESULT typed = ::SendMessageA(explorer, CDM_GETSPEC, 0, 0);
    if (folder < 0 || typed < 0)
        return;
    // Room for the folder, every name with its end mark and the closing one.
    const size_t needed = size_t(folder) + size_t(typed) + 16;
    if (needed <= m_fileBuffer.size())
        return;
    std::vector<char> grown(needed * 2, '\0');
    std::memcpy(grown.data(), m_fileBuffer.data(), m_fileBuffer.size());
    m_fileBuffer.swap(grown);
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = DWORD(m_fileBuffer.size());
    if (ofn && ofn != &m_ofn) {
        ofn->lpstrFile = m_ofn.lpstrFile;
        ofn->nMaxFile = m_ofn.nMaxFile;
    }
}

BOOL COpenDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // A large multiple selection is not lost as a cancel: the buffer grows with it.
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if ((m_ofn.Flags & OFN_ALLOWMULTISELECT) && (header->code == CDN_SELCHANGE || header->code == CDN_FILEOK))
        FitBuffer(reinterpret_cast<OFNOTIFYA*>(lParam)->lpOFN);
    return CFileDialog::OnNotify(wParam, lParam, result);
}

void COpenDlg::OnDestroy()
{
    if (m_player)
        m_player->StopPreview();
    SetSettingInt("Settings", "AutoPlay", ::IsDlgButtonChecked(m_hWnd, IDC_OPEN_AUTOPLAY) == BST_CHECKED ? 1 : 0);
    if (m_channelSplitEnabled)
        SetSettingInt("Settings", "ChannelSplit", m_channelSplit ? 1 : 0);
    Default();
}

void COpenDlg::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(m_commandId == 57601 ? 100 : 102, reinterpret_cast<DWORD_PTR>(m_hWnd));
}

void COpenDlg::OnSize(UINT, int, int)
{
    HWND explorer = GetExplorerWindow();
    HWND typeWnd = ::GetDlgItem(explorer, kTypeBox), okWnd = ::GetDlgItem(explorer, IDOK);
    if (!typeWnd || !okWnd)
        return;
    RECT typeBox{}, ok{}, r{};
    ::GetWindowRect(typeWnd, &typeBox);
    ::GetWindowRect(okWnd, &ok);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&typeBox), 2);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&ok), 2);
    for (int id : {IDC_OPEN_FORMAT, IDC_OPEN_PROPERTIES}) {
        HWND item = ::GetDlgItem(m_hWnd, id);
        ::GetWindowRect(item, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::MoveWindow(item, r.left, r.top, typeBox.right - r.left, r.bottom - r.top, TRUE);
    }
    for (int id : {IDC_FILE_HELP, IDC_OPEN_PREVIEW, IDC_OPEN_AUTOPLAY}) {
        HWND item = ::GetDlgItem(m_hWnd, id);
        ::GetWindowRect(item, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::MoveWindow(item, ok.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}
