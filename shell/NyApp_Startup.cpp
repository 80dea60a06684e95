// Start-up: one copy per logon session and none beside another user's, then the frame, the
// skin, the folders, the engine and the documents of the last session.
#include "NyApp.h"

#include "AppHelpers.h"
#include "AppIds.h"
#include "ChildFrame.h"
#include "DirectXVersion.h"
#include "FontSet.h"
#include "KsMultiTrackLoader.h"
#include "IKvSKsFIO.h"
#include "MainFrame.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "MixerView.h"
#include "ProgramHosts.h"
#include "ProgressDlg.h"
#include "LeftoverFiles.h"
#include "Settings.h"
#include "SessionRecovery.h"
#include "SingleInstance.h"
#include "SkinImage.h"
#include "SkinTables.h"
#include "SplashWnd.h"
#include "StreamLibrary.h"
#include "TempFilePaths.h"
#include "TracksStopMessage.h"
#include "resource.h"

#include <float.h>
#include <shlobj.h>

#include <cstdio>

namespace {

constexpr const char kProductCaption[] = "KorvaneSound5 Tarn";

// The system's own version: the compatibility answer of GetVersionEx hides later systems.
void RealSystemVersion(DWORD* major, DWORD* minor, bool* nt)
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    if (rtlGetVersion && rtlGetVersion(&info) == 0) {
        *major = info.dwMajorVersion;
        *minor = info.dwMinorVersion;
        *nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
        return;
    }
    *major = *minor = 0;
    *nt = false;
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

void DesktopBox(const char* text)
{
    CWinApp::EnableCommonControls();
    ::MessageBoxA(::GetDesktopWindow(), text, kProductCaption, MB_OK | MB_ICONHAND);
}

// A running copy's frame, waiting a moment for a copy whose frame is still being made.
HWND FindRunningFrame(DWORD waitMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND frame = ::FindWindowA(CMainFrame::kWindowClass, nullptr))
            return frame;
        if (::GetTickCount() - start >= waitMs)
            return nullptr;
        ::Sleep(100);
    }
}

} // namespace

BOOL CNyApp::ClaimSingleInstance()
{
    DWORD major = 0, minor = 0;
    bool nt = false;
    RealSystemVersion(&major, &minor, &nt);
    SECURITY_ATTRIBUTES everyone = {sizeof everyone, nullptr, TRUE};
    DWORD globalError = 0;
    if (nt && SystemHasGlobalBlock(major, minor)) {
        m_everyoneDescriptor = ::LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
        if (!m_everyoneDescriptor ||
            !::InitializeSecurityDescriptor(m_everyoneDescriptor, SECURITY_DESCRIPTOR_REVISION) ||
            !::SetSecurityDescriptorDacl(m_everyoneDescriptor, TRUE, nullptr, FALSE)) {
            ReleaseInstanceObjects();
            return FALSE;
        }
        everyone.lpSecurityDescriptor = m_everyoneDescriptor;
        m_globalMutex = ::CreateMutexA(&everyone, FALSE, GlobalMutexName().c_str());
        globalError = ::GetLastError();
        m_globalBlockRan = true;
    }

    DWORD packed = 0;
    if (FAILED(GetDirectXVersion(&packed, nullptr, 0))) {
        ReleaseInstanceObjects();
        return FALSE;
    }
    if (packed < kDirectXRequired) {
        DesktopBox(LoadText(IDS_DIRECTX_REQUIRED));
        ReleaseInstanceObjects();
        return FALSE;
    }

    m_localMutex = ::CreateMutexA(nullptr, FALSE, kMutexBlockName);
    const DWORD localError = ::GetLastError();
    if (!m_localMutex) {
        ReleaseInstanceObjects();
        return FALSE;
    }

    // Another user's copy holds the global mutex.
    if (m_globalBlockRan && (!m_globalMutex || globalError == ERROR_ALREADY_EXISTS) &&
        localError != ERROR_ALREADY_EXISTS) {
        std::string name;
        if (HANDLE mapping = ::OpenFileMappingA(FILE_MAP_READ, FALSE, kSharedBlockName)) {
            if (void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
                MEMORY_BASIC_INFORMATION region = {};
                size_t readable = ::VirtualQuery(view, &region, sizeof region) ? region.RegionSize : 0;
                name = ReadInUseName(view, readable);
                ::UnmapViewOfFile(view);
            }
            ::CloseHandle(mapping);
        }
        CString text;
        if (name.empty())
            text = LoadText(IDS_IN_USE_BY_ANOTHER);
        else
            text.Format(LoadText(IDS_IN_USE_BY_NAMED), name.c_str());
        DesktopBox(text);
        ReleaseInstanceObjects();
        return FALSE;
    }

    // A copy runs in this logon session: bring it up and hand it the file named.
    if (localError == ERROR_ALREADY_EXISTS) {
        ReleaseInstanceObjects();
        HWND frame = FindRunningFrame(5000);
        if (!frame)
            return FALSE;
        if (::IsIconic(frame))
            ::ShowWindow(frame, SW_RESTORE);
        ::SetForegroundWindow(frame);
        HWND popup = ::GetLastActivePopup(frame);
        ::BringWindowToTop(popup);
        ::SetForegroundWindow(popup);
        CCommandLineInfo info;
        ParseCommandLine(info);
        // A file that is missing or cannot be opened goes over too: the running copy's open
        // says why, where the user is looking.
        if (info.m_nShellCommand == CCommandLineInfo::FileOpen && !info.m_strFileName.IsEmpty())
            SendOpenToRunningInstance(PathAsStoredOnDisk(info.m_strFileName).c_str());
        return FALSE;
    }

    if (m_globalBlockRan) {
        m_sharedMemory = ::CreateFileMappingA(INVALID_HANDLE_VALUE, &everyone, PAGE_READWRITE, 0, kSharedBlockSize,
                                              kSharedBlockName);
        void* view = m_sharedMemory ? ::MapViewOfFile(m_sharedMemory, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
        if (!view) {
            if (m_sharedMemory)
                ::CloseHandle(m_sharedMemory);
            m_sharedMemory = nullptr;
            ::LocalFree(m_everyoneDescriptor);
            m_everyoneDescriptor = nullptr;
            return FALSE;
        }
        char user[256] = {};
        DWORD size = sizeof user;
        WriteInUseName(view, ::GetUserNameA(user, &size) && size ? user : nullptr);
        ::UnmapViewOfFile(view);
    }
    if (m_everyoneDescriptor) {
        ::LocalFree(m_everyoneDescriptor);
        m_everyoneDescriptor = nullptr;
    }
    return TRUE;
}

// Before the local mutex is kept: the exit then runs only the framework's own.
void CNyApp::ReleaseInstanceObjects()
{
    if (m_everyoneDescriptor)
        ::LocalFree(m_everyoneDescriptor);
    m_everyoneDescriptor = nullptr;
    if (m_globalMutex)
        ::CloseHandle(m_globalMutex);
    m_globalMutex = nullptr;
    if (m_localMutex)
        ::CloseHandle(m_localMutex);
    m_localMutex = nullptr;
}

BOOL CNyApp::InitInstance()
{
    // Not before: a second copy hands its file over without loading the common controls.
    if (!ClaimSingleInstance())
        return FALSE;
    EnableCommonControls();

    RegisterTracksStopMessage();
    SetDocumentHost(this);
    SetInPlaceEditHost(this);
    InstallProgramHosts();
    InstallSettingsHosts(true);

    SetRegistryKey("Korvane");
    LoadStdProfileSettings(6);
    AddDocTemplate(new CMultiDocTemplate(IDR_MULTITRACKDOC, RUNTIME_CLASS(CNyMultiTrackDoc), RUNTIME_CLASS(CChildFrame),
                                         RUNTIME_CLASS(CNyMultiTrackView)));

    // The 64 x 64 check pattern of the panes.
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    if (!memory) {
        ::ReleaseDC(nullptr, screen);
        return FALSE;
    }
    m_patternBitmap = ::CreateCompatibleBitmap(screen, 64, 64);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ previous = ::SelectObject(memory, m_patternBitmap);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ::SetPixel(memory, x, y, (x + y) & 1 ? RGB(255, 255, 255) : RGB(0, 0, 0));
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    const UINT menuIds[3] = {IDR_MULTITRACKDOC, 423, 424};
    for (int i = 0; i < 3; ++i)
        m_menus[i] = ::LoadMenuA(m_hInstance, MAKEINTRESOURCEA(menuIds[i]));

    // The frame deletes itself when its window goes, also when creating it fails.
    CMainFrame* frame = new CMainFrame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
        return FALSE;
    m_pMainWnd = frame;

    RegisterShellOpenAtoms();
    RegisterShellFileTypes(FALSE);
    RegisterDdeExecValues();

    m_gdiplus = std::make_unique<GdiplusSession>();
    CCommandLineInfo commandLine;
    ParseCommandLine(commandLine);
    SplashWnd::EnableSplashScreen(commandLine.m_bShowSplash);
    SplashWnd::ShowSplashScreen(nullptr);

    // A missing skin image ends the start with its name.
    if (!LoadSkin())
        return FALSE;

    StartStreamLibrary();
    if (!PrepareFolders())
        return FALSE;
    m_tempSpaceBudget = CheckTempDiskSpace();
    LoadSettings();

    PlaceMainWindow(frame);
    SplashWnd::ShowOnTop(0);
    frame->ShowWindow(m_nCmdShow);
    frame->UpdateWindow();

    m_startupProgress = std::make_unique<CProgressDlg>();
    m_startupProgress->Create(CProgressDlg::IDD, frame);
    SplashWnd::ShowOnTop(0);

    if (!StartEngine())
        return FALSE;

    _controlfp(_MCW_EM, _MCW_EM);

    ParseCommandLine(commandLine);
    if (commandLine.m_bRunEmbedded || commandLine.m_bRunAutomated) {
        WriteInstanceInfo();
        return TRUE;
    }
    if (commandLine.m_nShellCommand == CCommandLineInfo::FileOpen)
        commandLine.m_strFileName = PathAsStoredOnDisk(commandLine.m_strFileName).c_str();
    else
        commandLine.m_nShellCommand = CCommandLineInfo::FileNothing;

    m_commandLogging = GetSettingInt(kSettingsSection, "CommandLogging", 1);

    if (RunSessionRecovery() != IDOK) {
        frame->UpdateWindow();
        if (commandLine.m_nShellCommand == CCommandLineInfo::FileNothing) {
            if (GetSettingInt(kSettingsSection, "OpenLastFiles", 1)) {
                int fromMachine = GetSettingInt(kSettingsSection, "OpenFirstFiles", 1);
                ReopenLastFiles(fromMachine);
                if (fromMachine)
                    SetSettingInt(kSettingsSection, "OpenFirstFiles", 0);
            }
        } else {
            m_openAsFileType = -1;
            if (!ProcessShellCommand(commandLine))
                return FALSE;
        }
    }
    // Settled: what the killed runs and saves left and nothing needs now goes.
    RemoveLeftoverFiles(m_tempStore.Get());

    WriteInstanceInfo();
    CreatePanes();
    SplashWnd::ShowOnTop(1);

    ::SetForegroundWindow(frame->m_hWnd);
    frame->SendMessage(WM_ACTIVATEAPP, TRUE, 0);
    return TRUE;
}

BOOL CNyApp::IsCdWriterPresent()
{
    if (m_cdWriterPresent < 0)
        m_cdWriterPresent = CheckKgPTPModule();
    return m_cdWriterPresent != 0;
}

void CNyApp::RegisterDdeExecValues()
{
    CString typeId;
    POSITION pos = GetFirstDocTemplatePosition();
    CDocTemplate* docTemplate = pos ? GetNextDocTemplate(pos) : nullptr;
    if (!docTemplate || !docTemplate->GetDocString(typeId, CDocTemplate::regFileTypeId))
        return;
    // Beside the framework's registration of the type.
    const CString base = "Software\\Classes\\" + typeId + "\\shell\\open\\ddeexec\\";
    const char* const values[2][2] = {{"Application", kDdeService}, {"Topic", kDdeTopic}};
    for (const auto& value : values) {
        HKEY key = nullptr;
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, base + value[0], 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                              nullptr, &key, nullptr) != ERROR_SUCCESS)
            continue;
        ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value[1]),
                         static_cast<DWORD>(strlen(value[1]) + 1));
        ::RegCloseKey(key);
    }
}

BOOL CNyApp::PrepareFolders()
{
    std::string temp;
    GetSettingString(kSettingsSection, "TempPath", "", &temp);
    if (temp.empty() || !IsWritableFolder(temp.c_str())) {
        char path[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, path);
        NormalizeFolderPath(path);
        temp = path;
        SetSettingString(kSettingsSection, "TempPath", path);
    }
    m_tempPath = temp.c_str();
    CreateTempFolder();

    ComRef<IMtTempStore> store;
    if (FAILED(MtEngine::CreateTempStore(store))) {
        // Without the engine's module nothing can run: say so rather than end in silence.
        AfxMessageBox(LoadText(IDS_INIT_ERROR), MB_OK);
        return FALSE;
    }
    m_tempStore = store;
    ComRef<IMtTempSettings> settings = QueryCom<IMtTempSettings>(m_tempStore.Get());
    TempFilePaths paths;
    if (!settings || FAILED(settings->SetFolder(paths.GetFolder())) ||
        FAILED(settings->SetLogging(GetSettingInt(kSettingsSection, "TempLogging", 0))) || FAILED(m_tempStore->Open()))
        return FALSE;

    std::string lastSave;
    GetSettingString(kSettingsSection, "LastSaveDir", "", &lastSave);
    if (lastSave.empty() || !IsWritableFolder(lastSave.c_str())) {
        char path[MAX_PATH] = {};
        ::SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, TRUE);
        NormalizeFolderPath(path);
        SetSettingString(kSettingsSection, "LastSaveDir", path);
    }
    return TRUE;
}

void CNyApp::PlaceMainWindow(CWnd* frame)
{
    std::string text;
    GetSettingString(kSettingsSection, "Position", "", &text);
    WINDOWPLACEMENT saved = {};
    saved.length = sizeof saved;
    int fields[10] = {};
    int read = text.empty()
                   ? 0
                   : sscanf(text.c_str(), "%i:%i:%i:%i:%i:%i:%i:%i:%i:%i", &fields[0], &fields[1], &fields[2],
                            &fields[3], &fields[4], &fields[5], &fields[6], &fields[7], &fields[8], &fields[9]);
    if (read < 10) {
        WINDOWPLACEMENT current = {};
        current.length = sizeof current;
        frame->GetWindowPlacement(&current);
        current.showCmd = SW_SHOWMAXIMIZED;
        frame->SetWindowPlacement(&current);
        m_nCmdShow = SW_SHOWMAXIMIZED;
        return;
    }
    saved.flags = static_cast<UINT>(fields[0]);
    saved.showCmd = static_cast<UINT>(fields[1]);
    saved.ptMinPosition = {fields[2], fields[3]};
    saved.ptMaxPosition = {fields[4], fields[5]};
    saved.rcNormalPosition = {fields[6], fields[7], fields[8], fields[9]};
    if (saved.showCmd == SW_SHOWMAXIMIZED ||
        (saved.showCmd == SW_SHOWMINIMIZED && (saved.flags & WPF_RESTORETOMAXIMIZED))) {
        m_nCmdShow = SW_SHOWMAXIMIZED;
        return;
    }
    saved.showCmd = static_cast<UINT>(m_nCmdShow);
    frame->SetWindowPlacement(&saved);
}

BOOL CNyApp::StartEngine()
{
    if (SUCCEEDED(::CoInitialize(nullptr)))
        m_comStarted = true;
    auto initialize = MtEngine::ExportAs<PFN_MtInitialize>(kMtOrdInitialize);
    if (!initialize || FAILED(initialize(m_pMainWnd->m_hWnd))) {
        AfxMessageBox(LoadText(IDS_INIT_ERROR), MB_OK);
        return FALSE;
    }
    m_engineStarted = true;
    if (IsAsioInUse()) {
        auto openAsio = MtEngine::ExportAs<PFN_MtOpenAsio>(kMtOrdOpenAsio);
        HRESULT hr = openAsio ? openAsio() : E_FAIL;
        if (FAILED(hr))
            ShowErrorBox(hr, nullptr, nullptr, MB_ICONEXCLAMATION);
    }
    if (FAILED(CreateModuleObject("KvSKsFIO.dll", CLSID_KvSKsFIO, __uuidof(IKvSKsFIO), m_fileIo.OutVoid()))) {
        AfxMessageBox(LoadText(IDS_INIT_ERROR), MB_OK);
        return FALSE;
    }
    return TRUE;
}

void CNyApp::StartStreamLibrary()
{
    StartStreamLibraryModule(m_hInstance);
}

// Each pane the program has, in its order (the video preview, the analysis pane and the
// auxiliary windows come with their own work); the frame connects the controller and the mixer
// as they come. Then the mixer's strips are built.
void CNyApp::CreatePanes()
{
    auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    if (!frame)
        return;
    // Each pane once, in this order; a pane whose class the program lacks gives none. The
    // analysis pane comes with its first use: it reads its transform settings when it is made.
    // A pane saved hidden that nothing needs while hidden comes with its first show: built now
    // it would only cost the start its windows.
    if (!IsPaneBuiltOnFirstShow(PaneKind::VideoPreview))
        frame->GetVideoPreviewPane();
    frame->GetControllerPane();
    frame->GetSelectionPane();
    if (!IsPaneBuiltOnFirstShow(PaneKind::MarkerList))
        frame->GetMarkerListPane();
    frame->GetEffectLauncherPane();
    frame->GetAuxWindowA();
    frame->GetAuxWindowB();
    if (CMixerView* mixer = frame->GetMixerPane())
        mixer->Rebuild();
    frame->ArrangeNewPanes();
}

INT_PTR CNyApp::RunSessionRecovery()
{
    SessionRecoveryDlg dialog(m_pMainWnd);
    return dialog.DoModal();
}
