// What the document asks of the program for its files: the file module the application
// holds, the main window that owns the module's progress and questions, the choices of the
// open that runs (file type, split channels) and the program's Save and Import dialogs.
#include "NyApp.h"

#include "AppHelpers.h"
#include "DocCommandIds.h"
#include "IKvSKsFIO.h"
#include "KvSSException.h"
#include "MainFrame.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "PropertiesDialog.h"
#include "SaveDlg.h"
#include "SmallValueDialogs.h"
#include "Settings.h"
#include "ViewDialogs.h"

#include <cstring>

int CNyApp::ShowMessageText(const char* text, UINT style)
{
    return AfxMessageBox(text, style);
}

IKvSKsFIO* CNyApp::FileModule()
{
    // Before start-up made the application's object (tests of parts), the shared one.
    return m_fileIo ? static_cast<IKvSKsFIO*>(m_fileIo.Get()) : DocumentHost::FileModule();
}

LONG CNyApp::FileTypeHint()
{
    return m_openAsFileType;
}

BOOL CNyApp::IsChannelSplitOn()
{
    return m_splitChannels != 0;
}

BOOL CNyApp::IsCommandLoggingOn()
{
    return m_commandLogging != 0;
}

HWND CNyApp::OwnerWindow()
{
    return m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
}

BOOL CNyApp::RunSaveDialog(CNyMultiTrackDoc* document, int mode, SaveAsChoice* choice)
{
    return RunSaveAsDialog(document, mode, choice);
}

BOOL CNyApp::RunImportDialog(CNyMultiTrackDoc*, std::vector<std::string>* paths)
{
    std::vector<CString> chosen;
    if (RunOpenDialog(&chosen, ID_FILE_IMPORT, 0) != 1)
        return FALSE;
    for (const CString& path : chosen)
        paths->push_back(static_cast<const char*>(path));
    return TRUE;
}

void CNyApp::ClearFileTypeHint()
{
    m_openAsFileType = -1;
}

uint32_t CNyApp::CurrentDocumentType()
{
    return m_currentDocumentType == 1 ? 1u : 0u;
}

void CNyApp::RequestReopen(CNyMultiTrackDoc* document)
{
    RequestReopenDocument(document);
}

void CNyApp::OpenFurtherDocument(const char* path, int fileType, uint32_t documentType)
{
    m_openAsFileType = fileType;
    m_currentDocumentType = static_cast<int>(documentType);
    OpenDocumentFile(path);
    // The type was this file's; later opens detect theirs.
    m_openAsFileType = -1;
}

std::string CNyApp::TempFolder()
{
    return static_cast<const char*>(m_tempPath);
}

void CNyApp::SetTempFolder(const std::string& folder)
{
    m_tempPath = folder.c_str();
}

void CNyApp::CreateTempFolder()
{
    ::CreateTempFolder();
}

void CNyApp::ArrangePanesAtDefaults()
{
    if (auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd))
        frame->ArrangeFloatingPanes(-1);
}

HRESULT CNyApp::GetTempStore(ComRef<IMtTempStore>& store)
{
    if (!m_tempStore)
        return E_FAIL;
    store = m_tempStore;
    return S_OK;
}

void CNyApp::InstallSettingsHosts(bool install)
{
    if (!install) {
        if (&GetEnvSheetHost() == static_cast<EnvSheetHost*>(this))
            SetEnvSheetHost(nullptr);
        SetDocumentFormatTexts(nullptr);
        SetViewDialogs({});
        return;
    }
    SetEnvSheetHost(this);
    ViewDialogs dialogs;
    dialogs.properties = [this](CNyMultiTrackView* view, int track) {
        auto* document = view ? dynamic_cast<CNyMultiTrackDoc*>(view->GetDocument()) : nullptr;
        if (!document)
            return;
        try {
            PropertiesDialog dialog(document, view, track);
            dialog.DoModal();
        } catch (const CKvSSException& e) {
            ShowErrorBox(e.m_hr, nullptr, nullptr, MB_ICONEXCLAMATION);
        }
    };
    dialogs.recordingTimer = [this](CNyMultiTrackView*) {
        AutoStopTimerDialog dialog(m_pMainWnd);
        dialog.DoModal();
    };
    dialogs.trackLabel = [](CNyMultiTrackView* view, std::string* label) {
        TrackLabelDialog dialog(view);
        dialog.SetLabel(label->c_str());
        if (dialog.DoModal() != IDOK)
            return false;
        *label = static_cast<const char*>(dialog.GetLabel());
        return true;
    };
    dialogs.sampleValue = [](CNyMultiTrackView* view, int64_t position, int32_t* value) {
        const AmplitudeUnits& units = view->GetAmplitudeScale().Units();
        SetValueDialog dialog(view);
        dialog.m_position = position;
        dialog.m_bits = units.bits;
        dialog.m_value = *value;
        dialog.m_form = units.unit;
        dialog.m_zeroBased = units.signedDisplay;
        dialog.m_max = int(units.range);
        dialog.m_offset = units.offset;
        if (dialog.DoModal() != IDOK)
            return false;
        *value = dialog.m_value;
        return true;
    };
    SetViewDialogs(std::move(dialogs));
    // Properties shows the format the document's file was read as and its attributes.
    SetDocumentFormatTexts([](CNyMultiTrackDoc* document, std::string* name, std::string* attributes) {
        const FileInfoRecord& info = document->GetFileInfo();
        *name = std::string(info.formatName, strnlen(info.formatName, sizeof(info.formatName)));
        *attributes = std::string(info.description, strnlen(info.description, sizeof(info.description)));
    });
}
