// Program-wide settings, the documents to reopen, the instance information for other
// programs, and shut-down.
#include "NyApp.h"

#include "AppHelpers.h"
#include "FontSet.h"
#include "KsMultiTrackLoader.h"
#include "LastFiles.h"
#include "MainFrame.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "ProgressDlg.h"
#include "RegistryKey.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "SkinImage.h"
#include "SkinTables.h"
#include "StreamLibrary.h"

#include <cstdio>
#include <set>

namespace {

constexpr const char kLastFileList[] = "Last File List";
constexpr const char kInstanceKey[] = "Software\\Korvane\\Common\\KorvaneSound";
constexpr DWORD kVersionMajor = 5;
constexpr DWORD kVersionMinor = 0;

// What "Last File List" keeps of a document besides its path: the number of its file type
// and whether its channels were opened split.
void DescribeForLastFiles(CDocument* document, int* headerNumber, bool* splitChannels)
{
    auto* multitrack = dynamic_cast<CNyMultiTrackDoc*>(document);
    *headerNumber = multitrack ? multitrack->GetFileType() : 0;
    *splitChannels = multitrack && multitrack->WasOpenedSplit();
}

CMultiDocTemplate* DocumentTemplate(CWinApp* app)
{
    POSITION pos = app->GetFirstDocTemplatePosition();
    return pos ? dynamic_cast<CMultiDocTemplate*>(app->GetNextDocTemplate(pos)) : nullptr;
}

} // namespace

void CNyApp::LoadSettings()
{
    m_defaultSettings = ReadDefaultDocumentSettings();
    m_defaultSettingsRead = true;
    m_currentDocumentType = static_cast<int>(GetSettingInt(kSettingsSection, "DefaultDocumentType", 0));
    std::string vst;
    GetSettingString(kSettingsSection, "VSTPath", "", &vst);
    m_vstPath = vst.c_str();
}

void CNyApp::SaveSettings()
{
    const DocumentSettings& s = DefaultSettings();
    SetSettingInt(kSettingsSection, "WaveShowMode", s.waveShowMode);
    SetSettingInt(kSettingsSection, "PreviewLength", s.previewLength);
    SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", static_cast<int>(s.samplesPerSec));
    SetSettingInt(kSettingsSection, "DefaultBitsPerSample", s.validBits ? s.validBits : s.bitsPerSample);
    SetSettingInt(kSettingsSection, "DefaultRecChannels", s.recordChannels);
    SetSettingInt(kSettingsSection, "PeakIndicate", s.peakIndicate);
    SetSettingInt(kSettingsSection, "Unit", static_cast<int>(s.rulerUnit));
    char frames[64];
    snprintf(frames, sizeof frames, "%f", s.frameRate);
    SetSettingString(kSettingsSection, "UnitFrames", frames);
    SetSettingInt(kSettingsSection, "DefaultDataChannels", s.dataChannels);
    SetSettingInt(kSettingsSection, "ShowVolEnv", (s.viewOptions & kViewOptionVolumeEnv) ? 1 : 0);
    SetSettingInt(kSettingsSection, "ShowPanEnvLR", (s.viewOptions & kViewOptionPanEnv) ? 1 : 0);
    SetSettingInt(kSettingsSection, "ReadAutomation", static_cast<int>(s.readAutomation));
    SetSettingInt(kSettingsSection, "WriteAutomation", static_cast<int>(s.writeAutomation));
}

LONG CNyApp::WriteInstanceInfo()
{
    HKEY key = nullptr;
    LONG rc = ::RegCreateKeyExA(HKEY_CURRENT_USER, kInstanceKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    ::RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), length);
    ::RegSetValueExA(key, "Major", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kVersionMajor), sizeof(DWORD));
    ::RegSetValueExA(key, "Minor", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kVersionMinor), sizeof(DWORD));
    char text[MAX_PATH] = {};
    lstrcpynA(text, CMainFrame::kWindowClass, MAX_PATH);
    ::RegSetValueExA(key, "ClassName", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
    char mutexes[MAX_PATH] = {};
    snprintf(mutexes, sizeof mutexes, "%s,%s", kMutexBlockName, GlobalMutexName().c_str());
    ::RegSetValueExA(key, "Mutex", 0, REG_SZ, reinterpret_cast<const BYTE*>(mutexes), lstrlenA(mutexes) + 1);
    ::RegCloseKey(key);
    return ERROR_SUCCESS;
}

void CNyApp::SaveLastFiles()
{
    {
        RegistryKey list;
        if (list.Open(kLastFileList) == ERROR_SUCCESS && list.UserKey()) {
            // Deleting the first value until none is left; a value that will not go ends it.
            for (;;) {
                char name[MAX_PATH + 1];
                DWORD nameLength = sizeof name;
                DWORD type = 0;
                if (list.EnumValue(false, 0, name, &nameLength, &type) != ERROR_SUCCESS)
                    break;
                if (list.DeleteValue(name) != ERROR_SUCCESS)
                    break;
            }
        }
    }
    CMultiDocTemplate* docTemplate = DocumentTemplate(this);
    if (!docTemplate)
        return;
    RegistryKey list;
    if (list.Create(kLastFileList) != ERROR_SUCCESS)
        return;
    std::set<std::string> taken;
    for (POSITION pos = docTemplate->GetFirstDocPosition(); pos;) {
        CDocument* document = docTemplate->GetNextDoc(pos);
        int headerNumber = 0;
        bool split = false;
        DescribeForLastFiles(document, &headerNumber, &split);
        std::string text = FormatLastFileEntry(document->GetPathName(), headerNumber, split);
        if (text.empty())
            continue;
        std::string title(document->GetTitle());
        std::string name = title;
        for (int occurrence = 2; taken.count(name); ++occurrence)
            name = LastFileValueName(title, occurrence);
        taken.insert(name);
        list.SetString(name.c_str(), text.c_str());
    }
}

void CNyApp::ReopenLastFiles(int fromMachineKey)
{
    std::vector<std::string> texts;
    {
        RegistryKey list;
        if (list.Open(kLastFileList) != ERROR_SUCCESS)
            return;
        for (DWORD index = 0;; ++index) {
            char name[MAX_PATH + 1];
            DWORD nameLength = sizeof name;
            DWORD type = 0;
            if (list.EnumValue(fromMachineKey != 0, index, name, &nameLength, &type) != ERROR_SUCCESS)
                break;
            if (type != REG_SZ)
                continue;
            std::string text;
            if (list.QueryString(name, &text) == ERROR_SUCCESS)
                texts.push_back(text.substr(0, MAX_PATH));
        }
    }
    for (const std::string& text : texts) {
        LastFileEntry entry = ParseLastFileEntry(text);
        if (::GetFileAttributesA(entry.path.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        m_currentDocumentType = 0;
        m_splitChannels = entry.splitChannels ? 1 : 0;
        m_openAsFileType = -1;
        OpenDocumentFile(entry.path.c_str());
    }
}

void CNyApp::UpdateAllDocuments()
{
    CMultiDocTemplate* docTemplate = DocumentTemplate(this);
    if (!docTemplate)
        return;
    for (POSITION pos = docTemplate->GetFirstDocPosition(); pos;)
        docTemplate->GetNextDoc(pos)->UpdateAllViews(nullptr);
}

int CNyApp::DoMessageBox(const char* text, UINT type, UINT helpId)
{
    auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd);
    if (frame && frame->m_hWnd)
        frame->BeginModalState();
    int result = CWinApp::DoMessageBox(text, type, helpId);
    if (frame && frame->m_hWnd)
        frame->EndModalState();
    return result;
}

int CNyApp::ExitInstance()
{
    // A second copy, or a start that ended before it was the one copy.
    if (!m_localMutex)
        return CWinApp::ExitInstance();

    int code = CWinApp::ExitInstance();
    EndInPlaceEdit();
    // The engine's module may go only once no document holds an engine object.
    CloseAllDocuments(TRUE);
    // The panes hold engine objects too. The program's own end has destroyed the main window by
    // now; an exit that finds it still there takes it down before the engine's module goes.
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->DestroyWindow();
    m_fileIo.Reset();
    if (m_tempStore) {
        ComRef<IMtTempSettings> settings = QueryCom<IMtTempSettings>(m_tempStore.Get());
        if (settings)
            settings->SetLogging(GetSettingInt(kSettingsSection, "TempLogging", 0));
        m_tempStore->Close();
        m_tempStore.Reset();
    }
    StopStreamLibrary();
    if (m_engineStarted) {
        if (auto uninitialize = MtEngine::ExportAs<PFN_MtUninitialize>(kMtOrdUninitialize))
            uninitialize();
        m_engineStarted = false;
    }
    MtEngine::Unload();
    UnloadModules();

    m_startupProgress.reset();
    m_operationProgress.reset();
    if (m_patternBitmap)
        ::DeleteObject(m_patternBitmap);
    m_patternBitmap = nullptr;

    SaveSettings();
    DeleteSpectralPresetTemp();
    if (!m_tempPath.IsEmpty())
        SetSettingString(kSettingsSection, "TempPath", m_tempPath);

    if (m_sharedMemory)
        ::CloseHandle(m_sharedMemory);
    m_sharedMemory = nullptr;
    ReleaseInstanceObjects();
    for (HMENU& menu : m_menus) {
        if (menu)
            ::DestroyMenu(menu);
        menu = nullptr;
    }
    if (m_comStarted)
        ::CoUninitialize();
    m_comStarted = false;
    FreeSkin();
    return code;
}

void CNyApp::SetReadAutomation(int on)
{
    DefaultSettings().readAutomation = static_cast<uint32_t>(on);
    ForEachDocumentTrackSet([on](IMtTrackSet* set) { set->SetReadAutomation(on); });
}

void CNyApp::SetWriteAutomation(int on)
{
    DefaultSettings().writeAutomation = static_cast<uint32_t>(on);
    ForEachDocumentTrackSet([on](IMtTrackSet* set) { set->SetWriteAutomation(on); });
}

void CNyApp::ForEachDocumentTrackSet(const std::function<void(IMtTrackSet*)>& apply)
{
    CMultiDocTemplate* docTemplate = DocumentTemplate(this);
    if (!docTemplate)
        return;
    for (POSITION pos = docTemplate->GetFirstDocPosition(); pos;) {
        CDocument* document = docTemplate->GetNextDoc(pos);
        if (auto* multiTrack = dynamic_cast<CNyMultiTrackDoc*>(document))
            if (IMtTrackSet* set = multiTrack->GetTrackSet())
                apply(set);
        document->UpdateAllViews(nullptr);
    }
}
