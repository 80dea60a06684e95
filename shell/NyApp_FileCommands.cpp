// File New, File Open, the recent files and a document's reopen request.
#include "NyApp.h"

#include "AppIds.h"
#include "GlobalMemory.h"
#include "IKvSKsFIO.h"
#include "MultiTrackDoc.h"
#include "OpenDlg.h"
#include "OpenFilter.h"
#include "Settings.h"

namespace {

constexpr UINT kImportCommand = 1000;

CMultiDocTemplate* DocumentTemplateOf(CWinApp* app)
{
    POSITION pos = app->GetFirstDocTemplatePosition();
    return pos ? dynamic_cast<CMultiDocTemplate*>(app->GetNextDocTemplate(pos)) : nullptr;
}

UINT ReopenMessage()
{
    static const UINT message = ::RegisterWindowMessageA("MsgReopenDocument");
    return message;
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

} // namespace

BEGIN_MESSAGE_MAP(CNyApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_UPDATE_COMMAND_UI(ID_FILE_NEW, OnUpdateFileNewOpen)
    ON_UPDATE_COMMAND_UI(ID_FILE_OPEN, OnUpdateFileNewOpen)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
    ON_UPDATE_COMMAND_UI(ID_APP_EXIT, OnUpdateAppExit)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
END_MESSAGE_MAP()

// Wiring point: the main frame answers whether playback or recording runs.
BOOL CNyApp::IsEngineBusy()
{
    return m_pMainWnd ? IsTransportBusy() : FALSE;
}

UINT RegisterClipboardFormatClip()
{
    static const UINT format = ::RegisterClipboardFormatA("KorvaneSound Clip");
    return format;
}

void CNyApp::OnFileNew()
{
    m_currentDocumentType = GetSettingInt(kSettingsSection, "DefaultDocumentType", 0);
    CWinApp::OnFileNew();
}

void CNyApp::OnUpdateFileNewOpen(CCmdUI* cmdUI)
{
    cmdUI->Enable(!IsEngineBusy());
}

int CNyApp::RunOpenDialog(std::vector<CString>* paths, UINT command, int filterArgument)
{
    paths->clear();
    m_pendingFileInfoSet = -1;
    auto* fileIo = static_cast<IKvSKsFIO*>(m_fileIo.Get());
    LONG count = 0;
    FileFormatEntry* types = nullptr;
    if (!fileIo || FAILED(fileIo->GetFileTypes(&count, &types, command == kImportCommand ? 1 : 0)) || count < 1) {
        if (types)
            GlobalUnlockFree(types);
        return 0;
    }
    const std::string filter = BuildOpenFilter(types, count, LoadText(IDS_ALL_SOUND_FILES), LoadText(IDS_ALL_FILES));
    std::string folder;
    GetSettingString(kSettingsSection, "LastLoadDir", "", &folder);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    const bool multiple = command == ID_FILE_OPEN || command == kImportCommand;
    const DWORD flags = multiple ? 0x1A04 : 0x1804;
    const CString title = LoadText(command == ID_FILE_OPEN ? IDS_OPEN : IDS_IMPORT);
    const OpenRequest request = {filter.c_str(), flags, title, folder.c_str(), command, filterArgument, types, count};
    OpenChoice choice;
    INT_PTR result = ChooseFilesToOpen(request, &choice);
    GlobalUnlockFree(types);
    if (result != IDOK || choice.paths.empty())
        return static_cast<int>(result == IDOK ? IDCANCEL : result);
    CString first = choice.paths.front();
    int slash = first.ReverseFind('\\');
    if (slash > 0)
        SetSettingString(kSettingsSection, "LastLoadDir", first.Left(slash));
    m_openAsFileType = choice.fileType;
    m_splitChannels = choice.splitChannels;
    *paths = choice.paths;
    return 1;
}

// The program's open dialog: format information, preview, the type and split choices, its
// filters from the file module's types.
INT_PTR CNyApp::ChooseFilesToOpen(const OpenRequest& request, OpenChoice* choice)
{
    COpenDlg dialog(TRUE, nullptr, nullptr, request.flags, request.filter, m_pMainWnd, request.title, request.command);
    if (request.folder && *request.folder)
        dialog.m_ofn.lpstrInitialDir = request.folder;
    CDocument* active = request.command == kImportCommand ? GetActiveFrameDocument() : nullptr;
    auto* target = dynamic_cast<CNyMultiTrackDoc*>(active);
    dialog.SetFormatTable(static_cast<IKvSKsFIO*>(m_fileIo.Get()), request.count, request.types,
                          target ? target->GetTrackSet() : nullptr);
    INT_PTR result = dialog.DoModal();
    if (result != IDOK)
        return result;
    std::vector<std::string> paths;
    dialog.GetSelectedPaths(paths);
    for (const std::string& path : paths)
        choice->paths.push_back(path.c_str());
    choice->fileType = dialog.GetSelectedFormat();
    choice->splitChannels = dialog.IsChannelSplit() ? 1 : 0;
    return result;
}

void CNyApp::OnFileOpen()
{
    std::vector<CString> paths;
    if (RunOpenDialog(&paths, ID_FILE_OPEN, 0) != 1)
        return;
    for (size_t i = 0; i < paths.size(); ++i) {
        m_currentDocumentType = GetSettingInt(kSettingsSection, "DefaultDocumentType", 0);
        OpenDocumentFile(paths[i]);
        // Only the first file takes the type chosen in the dialog.
        m_openAsFileType = -1;
    }
}

BOOL CNyApp::OnOpenRecentFile(UINT id)
{
    m_openAsFileType = -1;
    m_pendingFileInfoSet = -1;
    m_currentDocumentType = GetSettingInt(kSettingsSection, "DefaultDocumentType", 0);
    m_splitChannels = GetSettingInt(kSettingsSection, "ChannelSplit", 0);
    CWinApp::OnOpenRecentFile(id);
    return TRUE;
}

void CNyApp::OnUpdateRecentFileMenu(CCmdUI* cmdUI)
{
    CWinApp::OnUpdateRecentFileMenu(cmdUI);
    if (!IsEngineBusy() || !cmdUI->m_hMenu)
        return;
    for (UINT id = ID_FILE_MRU_FILE1; id < ID_FILE_MRU_FILE16; ++id)
        ::EnableMenuItem(cmdUI->m_hMenu, id, MF_BYCOMMAND | MF_GRAYED);
}

CDocument* CNyApp::CreateNewDocument()
{
    OnFileNew();
    CMultiDocTemplate* docTemplate = DocumentTemplateOf(this);
    CDocument* last = nullptr;
    for (POSITION pos = docTemplate ? docTemplate->GetFirstDocPosition() : nullptr; pos;)
        last = docTemplate->GetNextDoc(pos);
    return last;
}

void CNyApp::RequestReopenDocument(CDocument* document)
{
    m_reopenPath = document->GetPathName();
    m_reopenDocument = document;
    m_reopenFileType = DocumentFileFormat(document);
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->PostMessage(ReopenMessage(), 0, 0);
}

void CNyApp::ReopenDocument()
{
    if (m_reopenPath.IsEmpty() || !m_reopenDocument)
        return;
    // A save that ended a close has closed the document already: its file opens anew.
    bool open = false;
    CMultiDocTemplate* docTemplate = DocumentTemplateOf(this);
    for (POSITION pos = docTemplate ? docTemplate->GetFirstDocPosition() : nullptr; pos && !open;)
        open = docTemplate->GetNextDoc(pos) == m_reopenDocument;
    m_openAsFileType = m_reopenFileType;
    if (open)
        m_reopenDocument->OnCloseDocument();
    m_currentDocumentType = GetSettingInt(kSettingsSection, "DefaultDocumentType", 0);
    OpenDocumentFile(m_reopenPath);
    // The type hint was for this file only: later opens and imports detect theirs.
    m_openAsFileType = -1;
    m_reopenPath.Empty();
    m_reopenDocument = nullptr;
}

// The document's file type, so that a reopen reads the file as what it was saved as.
int CNyApp::DocumentFileFormat(CDocument* document)
{
    auto* multitrack = dynamic_cast<CNyMultiTrackDoc*>(document);
    return multitrack ? multitrack->GetFileType() : -1;
}
